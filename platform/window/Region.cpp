#include "platform/window/Region.h"

#include <algorithm>

namespace platform::window {

Region::Region(const RegionRect& rect) {
    if (!rect.Empty()) bands_.push_back({rect.Top, rect.Bottom, {{rect.Left, rect.Right}}});
}

void Region::Append(int32_t top, int32_t bottom, std::vector<Span> spans) {
    if (spans.empty() || top >= bottom) return;
    if (!bands_.empty() && bands_.back().Bottom == top && bands_.back().Spans == spans) {
        bands_.back().Bottom = bottom;
        return;
    }
    bands_.push_back({top, bottom, std::move(spans)});
}

std::vector<Region::Span> Region::Merge(const std::vector<Span>& a, const std::vector<Span>& b) {
    std::vector<Span> out;
    out.reserve(a.size() + b.size());
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        const Span next = (j >= b.size() || (i < a.size() && a[i].Left <= b[j].Left)) ? a[i++] : b[j++];
        if (!out.empty() && next.Left <= out.back().Right)
            out.back().Right = std::max(out.back().Right, next.Right);  // overlapping or touching
        else
            out.push_back(next);
    }
    return out;
}

Region Region::FromRects(std::span<const RegionRect> rects) {
    // A sweep from top to bottom: between two consecutive edges the set of rectangles that
    // cover the rows is constant, and its spans, sorted and merged, make one band.
    std::vector<const RegionRect*> live;
    std::vector<int32_t> edges;
    for (const RegionRect& r : rects)
        if (!r.Empty()) {
            live.push_back(&r);
            edges.push_back(r.Top);
            edges.push_back(r.Bottom);
        }
    std::sort(live.begin(), live.end(), [](const RegionRect* a, const RegionRect* b) { return a->Top < b->Top; });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    Region region;
    std::vector<const RegionRect*> active;
    size_t next = 0;
    for (size_t e = 0; e + 1 < edges.size(); ++e) {
        const int32_t top = edges[e], bottom = edges[e + 1];
        std::erase_if(active, [top](const RegionRect* r) { return r->Bottom <= top; });
        while (next < live.size() && live[next]->Top <= top) active.push_back(live[next++]);
        if (active.empty()) continue;
        std::vector<Span> spans;
        spans.reserve(active.size());
        for (const RegionRect* r : active) spans.push_back({r->Left, r->Right});
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.Left < b.Left; });
        region.Append(top, bottom, Merge(spans, {}));
    }
    return region;
}

void Region::Union(const Region& other) {
    if (other.Empty()) return;
    if (Empty()) {
        bands_ = other.bands_;
        return;
    }
    // Walk both band lists together, cutting at every band edge of either.
    const std::vector<Band> mine = std::move(bands_);
    bands_.clear();
    static const std::vector<Span> none;
    size_t i = 0, j = 0;
    int32_t y = std::min(mine.front().Top, other.bands_.front().Top);
    while (i < mine.size() || j < other.bands_.size()) {
        const Band* a = i < mine.size() ? &mine[i] : nullptr;
        const Band* b = j < other.bands_.size() ? &other.bands_[j] : nullptr;
        const bool inA = a && a->Top <= y, inB = b && b->Top <= y;
        int32_t bottom = INT32_MAX;
        if (a) bottom = std::min(bottom, inA ? a->Bottom : a->Top);
        if (b) bottom = std::min(bottom, inB ? b->Bottom : b->Top);
        if (inA || inB) Append(y, bottom, Merge(inA ? a->Spans : none, inB ? b->Spans : none));
        y = bottom;
        if (a && a->Bottom <= y) ++i;
        if (b && b->Bottom <= y) ++j;
    }
}

void Region::Intersect(const RegionRect& rect) {
    std::vector<Band> mine = std::move(bands_);
    bands_.clear();
    if (rect.Empty()) return;
    for (Band& band : mine) {
        const int32_t top = std::max(band.Top, rect.Top), bottom = std::min(band.Bottom, rect.Bottom);
        if (top >= bottom) continue;
        std::vector<Span> spans;
        for (const Span& s : band.Spans) {
            const int32_t l = std::max(s.Left, rect.Left), r = std::min(s.Right, rect.Right);
            if (l < r) spans.push_back({l, r});
        }
        Append(top, bottom, std::move(spans));
    }
}

void Region::Offset(int32_t dx, int32_t dy) {
    for (Band& band : bands_) {
        band.Top += dy;
        band.Bottom += dy;
        for (Span& s : band.Spans) s.Left += dx, s.Right += dx;
    }
}

bool Region::Contains(int32_t x, int32_t y) const {
    const auto band = std::upper_bound(bands_.begin(), bands_.end(), y,
                                       [](int32_t v, const Band& b) { return v < b.Bottom; });
    if (band == bands_.end() || band->Top > y) return false;
    const auto span = std::upper_bound(band->Spans.begin(), band->Spans.end(), x,
                                       [](int32_t v, const Span& s) { return v < s.Right; });
    return span != band->Spans.end() && span->Left <= x;
}

RegionRect Region::Bounds() const {
    if (bands_.empty()) return {};
    RegionRect r{INT32_MAX, bands_.front().Top, INT32_MIN, bands_.back().Bottom};
    for (const Band& band : bands_) {
        r.Left = std::min(r.Left, band.Spans.front().Left);
        r.Right = std::max(r.Right, band.Spans.back().Right);
    }
    return r;
}

std::vector<RegionRect> Region::Rects() const {
    std::vector<RegionRect> out;
    out.reserve(RectCount());
    for (const Band& band : bands_)
        for (const Span& s : band.Spans) out.push_back({s.Left, band.Top, s.Right, band.Bottom});
    return out;
}

size_t Region::RectCount() const {
    size_t n = 0;
    for (const Band& band : bands_) n += band.Spans.size();
    return n;
}

}  // namespace platform::window
