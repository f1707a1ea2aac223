// DrawText, TextOut and the text measurement: a layout (Layout.h) placed on the target,
// turned by the font's escapement, drawn glyph by glyph with its bars.
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/text/Font.h"
#include "platform/text/Layout.h"
#include "platform/text/Raster.h"
#include "platform/text/Text.h"

namespace platform::text {

namespace {

int64_t FloorHalf(int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }
int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Where layout coordinates lie on the target: u runs along the baseline, v down the lines
// (both turned by the escapement) from the origin.
struct Placement {
    PointF Origin;
    Direction Dir;

    PointF At(double u, double v) const {
        return {Origin.X + u * Dir.Cos + v * Dir.Sin, Origin.Y - u * Dir.Sin + v * Dir.Cos};
    }
    bool Plain() const { return Dir.Cos == 1 && Dir.Sin == 0; }
    // The stretch of u whose points can reach the clip: bars are cut to it, so their
    // corners stay near the target however long a line is.
    void Reach(const Rect& clip, double margin, double& lo, double& hi) const {
        const double xs[2] = {static_cast<double>(clip.Left), static_cast<double>(clip.Right)};
        const double ys[2] = {static_cast<double>(clip.Top), static_cast<double>(clip.Bottom)};
        lo = INFINITY;
        hi = -INFINITY;
        for (double x : xs)
            for (double y : ys) {
                const double u = (x - Origin.X) * Dir.Cos - (y - Origin.Y) * Dir.Sin;
                lo = std::min(lo, u);
                hi = std::max(hi, u);
            }
        lo -= margin;
        hi += margin;
    }
};

class Painter {
public:
    Painter(const Target& target, const Font& font, const Placement& place, const Rect& clip, uint32_t color)
        : target_(target), font_(font), place_(place), clip_(clip), color_(color), metrics_(font.Metrics()) {
        place_.Reach(clip_, metrics_.Height + font.PixelsPerEm(), reachLo_, reachHi_);
    }

    // Lines from `top` (v), aligned in a box `boxWidth` wide by `align` (DT_CENTER, DT_RIGHT).
    void Lines(const TextLayout& layout, int64_t top, int64_t boxWidth, uint32_t align) {
        const int64_t margin = font_.PixelsPerEm() + metrics_.Height;
        for (size_t i = 0; i < layout.Lines.size(); ++i) {
            const LayoutLine& line = layout.Lines[i];
            const int64_t v = top + static_cast<int64_t>(i) * metrics_.Height;
            if (place_.Plain()) {
                const double y = place_.Origin.Y + static_cast<double>(v);
                if (y - margin >= clip_.Bottom) break;
                if (y + margin <= clip_.Top) continue;
            }
            int64_t u0 = 0;
            if (align & DT_CENTER)
                u0 = FloorHalf(boxWidth - line.Width);
            else if (align & DT_RIGHT)
                u0 = boxWidth - line.Width;
            Line(layout, line, u0, v);
        }
    }

private:
    void Line(const TextLayout& layout, const LayoutLine& line, int64_t u0, int64_t v) {
        const int64_t baseline = v + metrics_.Ascent;
        for (size_t k = line.First; k < line.First + line.Count; ++k) {
            const PlacedByte& b = layout.Bytes[k];
            const double u = static_cast<double>(u0 + b.X);
            if (u + b.Advance < reachLo_) continue;
            if (u > reachHi_) break;  // bytes run along u
            const PointF pen = place_.At(u, static_cast<double>(baseline));
            font_.DrawGlyph(target_, clip_, b.Byte, std::llround(pen.X), std::llround(pen.Y), color_);
            if (b.Marked) Bar(u, u + b.Advance, baseline + font_.UnderlineTop(), font_.UnderlineThickness());
        }
        const double start = static_cast<double>(u0), end = static_cast<double>(u0 + line.Width);
        if (font_.Desc().Underline) Bar(start, end, baseline + font_.UnderlineTop(), font_.UnderlineThickness());
        if (font_.Desc().StrikeOut) Bar(start, end, baseline + font_.StrikeOutTop(), font_.StrikeOutThickness());
    }

    void Bar(double u0, double u1, int64_t top, int32_t thickness) {
        u0 = std::max(u0, reachLo_);
        u1 = std::min(u1, reachHi_);
        if (u1 <= u0) return;
        const double v0 = static_cast<double>(top), v1 = v0 + thickness;
        font_.FillQuad(target_, clip_, {place_.At(u0, v0), place_.At(u1, v0), place_.At(u1, v1), place_.At(u0, v1)},
                       color_);
    }

    const Target& target_;
    const Font& font_;
    const Placement& place_;
    const Rect& clip_;
    uint32_t color_;
    const TextMetrics& metrics_;
    double reachLo_ = 0, reachHi_ = 0;
};

AdvanceOf AdvancesOf(const Font& font) {
    return [&font](uint8_t b) { return font.Advance(b); };
}

}  // namespace

TextMetrics GetTextMetrics(const Font& font) { return font.Metrics(); }

Extent GetTextExtent(const Font& font, std::string_view text) {
    if (!font.Usable()) return {};
    LayoutRules rules;
    rules.SingleLine = true;
    const TextLayout layout = LayOutText(text, rules, AdvancesOf(font));
    return {Clamp32(layout.Width), font.Metrics().Height};
}

int32_t DrawText(const Target& target, const Font& font, std::string_view text, Rect& rect, uint32_t format,
                 uint32_t color) {
    if (!font.Usable()) return 0;
    const TextMetrics& metrics = font.Metrics();
    const Direction dir = font.Dir();
    const int64_t rectWidth = int64_t{rect.Right} - rect.Left, rectHeight = int64_t{rect.Bottom} - rect.Top;
    // The box the lines are laid out in has its width along the baseline.
    const int64_t boxWidth = dir.Upright() ? rectHeight : rectWidth;
    const int64_t boxHeight = dir.Upright() ? rectWidth : rectHeight;

    LayoutRules rules;
    rules.SingleLine = (format & DT_SINGLELINE) != 0;
    rules.WordBreak = (format & DT_WORDBREAK) != 0 && !rules.SingleLine;
    rules.ExpandTabs = (format & DT_EXPANDTABS) != 0;
    rules.Prefix = (format & DT_NOPREFIX) == 0;
    rules.MaxWidth = boxWidth;
    rules.TabWidth = 8 * metrics.AveCharWidth;
    const TextLayout layout = LayOutText(text, rules, AdvancesOf(font));
    const int64_t height = static_cast<int64_t>(layout.Lines.size()) * metrics.Height;

    if (format & DT_CALCRECT) {
        rect.Right = Clamp32(rect.Left + layout.Width);
        rect.Bottom = Clamp32(rect.Top + height);
        return Clamp32(height);
    }
    // Vertical placement works on single lines only, as the system's did.
    int64_t top = 0;
    const bool placed = rules.SingleLine && (format & (DT_VCENTER | DT_BOTTOM)) != 0;
    if (placed) top = (format & DT_VCENTER) ? FloorHalf(boxHeight - metrics.Height) : boxHeight - metrics.Height;
    const int32_t answer = Clamp32(placed ? top + height : height);

    if (!TargetUsable(target) || layout.Lines.empty()) return answer;
    Rect clip = BoundsOf(target);
    if (!(format & DT_NOCLIP)) clip = Intersect(clip, rect);
    if (IsEmpty(clip)) return answer;

    Placement place{{static_cast<double>(rect.Left), static_cast<double>(rect.Top)}, dir};
    if (!place.Plain()) {
        // The box turns about the rectangle's centre.
        const double cx = (static_cast<double>(rect.Left) + rect.Right) / 2;
        const double cy = (static_cast<double>(rect.Top) + rect.Bottom) / 2;
        const double hw = static_cast<double>(boxWidth) / 2, hh = static_cast<double>(boxHeight) / 2;
        place.Origin = {cx - hw * dir.Cos - hh * dir.Sin, cy + hw * dir.Sin - hh * dir.Cos};
    }
    Painter(target, font, place, clip, color).Lines(layout, top, boxWidth, format & (DT_CENTER | DT_RIGHT));
    return answer;
}

bool TextOut(const Target& target, const Font& font, int32_t x, int32_t y, std::string_view text, uint32_t color,
             const Rect* clip) {
    if (!font.Usable() || !TargetUsable(target)) return false;
    LayoutRules rules;
    rules.SingleLine = true;
    const TextLayout layout = LayOutText(text, rules, AdvancesOf(font));
    const Rect area = clip ? Intersect(*clip, BoundsOf(target)) : BoundsOf(target);
    if (IsEmpty(area) || layout.Lines.empty()) return true;
    const Placement place{{static_cast<double>(x), static_cast<double>(y)}, font.Dir()};
    Painter(target, font, place, area, color).Lines(layout, 0, 0, DT_LEFT);
    return true;
}

}  // namespace platform::text
