// Putting coverage on a target: 8-bit coverage maps blended in one colour into the
// target's pixel format, inside a clip rectangle and never outside the target.
#pragma once

#include <cstdint>

#include "platform/text/Text.h"

namespace platform::text {

// 8-bit coverage (0 leaves the pixel, 255 paints it), rows of `Stride` bytes, whose
// top-left pixel lies at (X, Y) on the target.
struct Coverage {
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
    const uint8_t* Bits = nullptr;
    int32_t Stride = 0;
};

int BytesPerPixel(PixelFormat format) noexcept;
// Bits set, a size above 0 and rows long enough for the width.
bool TargetUsable(const Target& target) noexcept;

bool IsEmpty(const Rect& r) noexcept;
Rect Intersect(const Rect& a, const Rect& b) noexcept;
inline Rect BoundsOf(const Target& target) noexcept { return {0, 0, target.Width, target.Height}; }

// Blends `color` (0x00BBGGRR) by the coverage into the pixels inside both the clip and
// the target.
void BlendCoverage(const Target& target, const Rect& clip, const Coverage& coverage, uint32_t color) noexcept;

}  // namespace platform::text
