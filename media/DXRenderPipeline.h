// What the compiler, the interpreter and the code generator share: the channel
// masks each blend operation asks of its operands, and the per-format helpers.
#pragma once

#include <cstdint>

#include "media/DXRender.h"

namespace media {

inline constexpr int dxrMaxOp = 14;

// (Channels & And) | Or, for the left and the right operand.
struct TDXROpMasks {
    uint8_t LeftAnd, LeftOr, RightAnd, RightOr;
};
inline constexpr TDXROpMasks dxrOpMasks[dxrMaxOp + 1] = {
    {0, 0, 0, 0},    {15, 0, 0, 0},   {0, 0, 15, 0},  {15, 0, 15, 0}, {15, 0, 15, 0},
    {15, 0, 15, 0},  {15, 0, 15, 0},  {7, 8, 0, 0},   {7, 8, 15, 0},  {7, 8, 15, 0},
    {7, 8, 15, 0},   {7, 8, 15, 0},   {7, 0, 0, 8},   {7, 8, 7, 8},   {15, 0, 15, 0},
};

// The channel records of a surface by channel index (red, green, blue, alpha);
// for an indexed surface only alpha is a channel record.
inline const TDXRChannel& ChannelRecord(const TDXRSurface& s, int c) {
    switch (c) {
        case dxrcRed: return s.RGB.Red;
        case dxrcGreen: return s.RGB.Green;
        case dxrcBlue: return s.RGB.Blue;
        default: return SurfaceAlphaChannel(s);
    }
}

// The texel bits a colour key compares.
inline uint32_t ColorKeyMask(const TDXRSurface& s) {
    uint32_t mask = 0xFFFFFFFFu;
    if (const uint32_t alpha = SurfaceAlphaChannel(s).Mask) mask = ~alpha;
    if (s.BitCount == 32) mask &= 0x00FFFFFFu;
    return mask;
}

// Bit (level * 4 + position) of the ordered dither table; position = 2 (X & 1) + (Y & 1).
inline constexpr uint32_t dxrDitherBits = 0x7910;

inline uint32_t PackChannel(const TDXRChannel& ch, uint32_t value) {
    return ch.Shift != 0 ? (value << ch.Shift) & ch.Mask : (value >> ch.LeftShift) & ch.Mask;
}
inline uint8_t UnpackChannel(const TDXRChannel& ch, uint32_t pixel) {
    return static_cast<uint8_t>(((pixel & ch.Mask) >> ch.Shift) << ch.LeftShift);
}
inline uint32_t DitherValue(uint32_t value, uint32_t bitCount, int position) {
    const uint32_t level = (value >> (6 - bitCount)) & 3;
    if ((dxrDitherBits >> (level * 4 + static_cast<uint32_t>(position))) & 1) {
        value += 1u << (8 - bitCount);
        if (value > 255) value = 255;
    }
    return value;
}

// Bit counts the machine can fetch and store.
inline bool ValidTextureBitCount(int32_t b) {
    return b == 1 || b == 2 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
}
inline bool ValidDestBitCount(int32_t b) { return b == 8 || b == 16 || b == 24 || b == 32; }

// Plain packing of four 8-bit values for the channel mask (dithered when position >= 0).
inline uint32_t PackColor(const TDXRSurface& dest, const uint8_t value[4], uint8_t mask, int position) {
    uint32_t p = 0;
    for (int c = 0; c < 4; ++c) {
        const TDXRChannel& ch = ChannelRecord(dest, c);
        if (!(mask & (1 << c)) || ch.Mask == 0) continue;
        uint32_t v = value[c];
        if (position >= 0 && ch.BitCount < 7) v = DitherValue(v, ch.BitCount, position);
        p |= PackChannel(ch, v);
    }
    return p;
}

}  // namespace media
