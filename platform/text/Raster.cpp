#include "platform/text/Raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform::text {

namespace {

struct Rgb {
    uint32_t R, G, B;
};

// Each format reads a pixel into 8-bit channels and writes one back; `Write` keeps what
// the format does not describe (the top byte of a 32-bit pixel).
struct Rgb565Pixel {
    static constexpr int kBytes = 2;
    static Rgb Read(const uint8_t* p) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
    }
    static void Write(uint8_t* p, Rgb c) {
        const auto v = static_cast<uint16_t>((c.R >> 3) << 11 | (c.G >> 2) << 5 | c.B >> 3);
        std::memcpy(p, &v, 2);
    }
};

struct Rgb555Pixel {
    static constexpr int kBytes = 2;
    static Rgb Read(const uint8_t* p) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return {r << 3 | r >> 2, g << 3 | g >> 2, b << 3 | b >> 2};
    }
    static void Write(uint8_t* p, Rgb c) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        v = static_cast<uint16_t>((v & 0x8000) | (c.R >> 3) << 10 | (c.G >> 3) << 5 | c.B >> 3);
        std::memcpy(p, &v, 2);
    }
};

struct Rgb888Pixel {
    static constexpr int kBytes = 3;
    static Rgb Read(const uint8_t* p) { return {p[2], p[1], p[0]}; }
    static void Write(uint8_t* p, Rgb c) {
        p[0] = static_cast<uint8_t>(c.B);
        p[1] = static_cast<uint8_t>(c.G);
        p[2] = static_cast<uint8_t>(c.R);
    }
};

struct Xrgb8888Pixel {
    static constexpr int kBytes = 4;
    static Rgb Read(const uint8_t* p) { return {p[2], p[1], p[0]}; }
    static void Write(uint8_t* p, Rgb c) { Rgb888Pixel::Write(p, c); }
};

uint32_t Mix(uint32_t under, uint32_t over, uint32_t coverage) {
    return (under * (255 - coverage) + over * coverage + 127) / 255;
}

template <class Pixel>
void BlendRows(const Target& target, const Rect& area, const Coverage& cov, Rgb color) {
    auto* base = static_cast<uint8_t*>(target.Bits);
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        uint8_t* row = base + static_cast<ptrdiff_t>(y) * target.Pitch;
        const uint8_t* src = cov.Bits + static_cast<ptrdiff_t>(y - cov.Y) * cov.Stride + (area.Left - cov.X);
        for (int32_t x = area.Left; x < area.Right; ++x, ++src) {
            const uint32_t c = *src;
            if (c == 0) continue;
            uint8_t* p = row + static_cast<ptrdiff_t>(x) * Pixel::kBytes;
            if (c == 255) {
                Pixel::Write(p, color);
                continue;
            }
            const Rgb under = Pixel::Read(p);
            Pixel::Write(p, {Mix(under.R, color.R, c), Mix(under.G, color.G, c), Mix(under.B, color.B, c)});
        }
    }
}

}  // namespace

int BytesPerPixel(PixelFormat format) noexcept {
    switch (format) {
        case PixelFormat::Rgb565:
        case PixelFormat::Rgb555: return 2;
        case PixelFormat::Rgb888: return 3;
        case PixelFormat::Xrgb8888: return 4;
    }
    return 0;
}

bool TargetUsable(const Target& target) noexcept {
    const int bpp = BytesPerPixel(target.Format);
    return target.Bits != nullptr && bpp > 0 && target.Width > 0 && target.Height > 0 &&
           std::llabs(static_cast<long long>(target.Pitch)) >= static_cast<long long>(target.Width) * bpp;
}

bool IsEmpty(const Rect& r) noexcept { return r.Right <= r.Left || r.Bottom <= r.Top; }

Rect Intersect(const Rect& a, const Rect& b) noexcept {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

void BlendCoverage(const Target& target, const Rect& clip, const Coverage& coverage, uint32_t color) noexcept {
    if (!TargetUsable(target) || coverage.Bits == nullptr) return;
    // Coverage boxes lie near the clip, so their corners fit 32 bits once clipped.
    const Rect box{coverage.X, coverage.Y, coverage.X + coverage.Width, coverage.Y + coverage.Height};
    const Rect area = Intersect(Intersect(box, clip), BoundsOf(target));
    if (IsEmpty(area)) return;
    const Rgb rgb{color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF};
    switch (target.Format) {
        case PixelFormat::Rgb565: BlendRows<Rgb565Pixel>(target, area, coverage, rgb); break;
        case PixelFormat::Rgb555: BlendRows<Rgb555Pixel>(target, area, coverage, rgb); break;
        case PixelFormat::Rgb888: BlendRows<Rgb888Pixel>(target, area, coverage, rgb); break;
        case PixelFormat::Xrgb8888: BlendRows<Xrgb8888Pixel>(target, area, coverage, rgb); break;
    }
}

}  // namespace platform::text
