// RGB565 to 32-bit pixels and back: each channel's top bits repeated below it (0x1F becomes
// 0xFF), so that a widened frame narrows back exactly. Rows widen with the widest vector
// instructions the processor has.
#pragma once

#include <cstdint>

namespace platform::display {

inline constexpr uint32_t kOpaque = 0xFF000000u;

// One pixel as 0xFFRRGGBB.
inline uint32_t Widen(uint16_t v) {
    const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
    return kOpaque | (r * 33 >> 2) << 16 | (g * 65 >> 4) << 8 | (b * 33 >> 2);
}
inline uint16_t Narrow(uint32_t v) { return uint16_t((v >> 19 & 31) << 11 | (v >> 10 & 63) << 5 | (v >> 3 & 31)); }

// `count` pixels of `source` as 0xFFRRGGBB into `dest`.
void WidenRow(const uint16_t* source, uint32_t* dest, int32_t count);

}  // namespace platform::display
