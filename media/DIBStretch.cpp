// Stretched drawing of a DIB onto another one (the memory canvas), nearest pixel.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/DIB.h"
#include "media/DIBPixels.h"

namespace media {
namespace {

// Source column (or row) for each destination one of [from, to) in a span of Span pixels
// starting at Origin, over a source of Count pixels; Span may be negative (mirrored).
std::vector<int> MapAxis(int from, int to, int origin, int span, int count) {
    std::vector<int> map;
    map.reserve(static_cast<size_t>(std::max(0, to - from)));
    for (int d = from; d < to; ++d) {
        int64_t num = (2 * static_cast<int64_t>(d - origin) + 1) * count;
        int64_t den = 2 * static_cast<int64_t>(span);
        if (den < 0) {
            num = -num;
            den = -den;
        }
        map.push_back(static_cast<int>(std::clamp<int64_t>(num / den, 0, count - 1)));
    }
    return map;
}

bool SameLayout(const TDIBSharedImage& a, const TDIBSharedImage& b) {
    if (a.BitCount != b.BitCount || a.BitCount < 8) return false;
    if (a.BitCount == 8) return a.ColorTable == b.ColorTable;
    if (a.BitCount == 24) return true;
    return a.PixelFormat.SameMasks(b.PixelFormat);
}

}  // namespace

void TDIB::Draw(TDIB& canvas, const TRect& rect) {
    if (Empty() || canvas.Empty() || &canvas == this) return;
    if (image_->Compressed) Changing();
    const int dw = rect.Right - rect.Left, dh = rect.Bottom - rect.Top;
    if (dw == 0 || dh == 0) return;
    canvas.Changing();
    const TDIBSharedImage& src = *image_;
    TDIBSharedImage& dst = *canvas.image_;

    const int x0 = std::max(0, std::min(rect.Left, rect.Right)), x1 = std::min(dst.Width, std::max(rect.Left, rect.Right));
    const int y0 = std::max(0, std::min(rect.Top, rect.Bottom)), y1 = std::min(dst.Height, std::max(rect.Top, rect.Bottom));
    if (x0 >= x1 || y0 >= y1) return;
    const std::vector<int> columns = MapAxis(x0, x1, rect.Left, dw, src.Width);
    const std::vector<int> rows = MapAxis(y0, y1, rect.Top, dh, src.Height);

    if (SameLayout(src, dst)) {
        const size_t bpp = static_cast<size_t>(src.BitCount / 8);
        for (int y = y0; y < y1; ++y) {
            const uint8_t* in = src.ScanLine(rows[static_cast<size_t>(y - y0)]);
            uint8_t* out = dst.ScanLine(y) + static_cast<size_t>(x0) * bpp;
            for (size_t i = 0; i < columns.size(); ++i, out += bpp)
                std::memcpy(out, in + static_cast<size_t>(columns[i]) * bpp, bpp);
        }
        return;
    }
    // Any other pair goes through colours; palette targets take the nearest entry.
    uint32_t lastColor = 0xFFFFFFFFu, lastRaw = 0;
    for (int y = y0; y < y1; ++y) {
        const int sy = rows[static_cast<size_t>(y - y0)];
        for (int x = x0; x < x1; ++x) {
            const uint32_t color = dib::RawToColor(src, dib::GetRaw(src, columns[static_cast<size_t>(x - x0)], sy));
            if (color != lastColor) {
                lastColor = color;
                lastRaw = dib::ColorToRaw(dst, color);
            }
            dib::PutRaw(dst, x, y, lastRaw);
        }
    }
}

}  // namespace media
