// A window region: a set of pixels given as rectangles, kept y-x banded as the X server and
// GDI keep theirs: horizontal bands of equal height, each holding sorted, disjoint spans,
// bands sorted top to bottom, adjacent bands with equal spans merged. Two regions of the
// same pixels therefore have the same bands, and Rects() is what XShapeCombineRectangles
// takes with the YXBanded ordering.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform::window {

// Left and top inside, right and bottom outside.
struct RegionRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Empty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const RegionRect&) const = default;
};

class Region {
public:
    Region() = default;
    explicit Region(const RegionRect& rect);
    // The union of any rectangles, overlapping or not; empty ones add nothing.
    static Region FromRects(std::span<const RegionRect> rects);

    void Union(const Region& other);
    void Union(const RegionRect& rect) { Union(Region(rect)); }
    void Intersect(const RegionRect& rect);
    void Offset(int32_t dx, int32_t dy);

    bool Contains(int32_t x, int32_t y) const;
    bool Empty() const { return bands_.empty(); }
    // The smallest rectangle around every pixel; all zero for an empty region.
    RegionRect Bounds() const;
    // The region's rectangles, y-x banded.
    std::vector<RegionRect> Rects() const;
    size_t RectCount() const;

    bool operator==(const Region&) const = default;

private:
    struct Span {
        int32_t Left, Right;
        bool operator==(const Span&) const = default;
    };
    struct Band {
        int32_t Top, Bottom;
        std::vector<Span> Spans;
        bool operator==(const Band&) const = default;
    };
    // Appends a band below the last, merging it into the last when they touch with equal spans.
    void Append(int32_t top, int32_t bottom, std::vector<Span> spans);
    static std::vector<Span> Merge(const std::vector<Span>& a, const std::vector<Span>& b);

    std::vector<Band> bands_;
};

}  // namespace platform::window
