// The BMP file form the stand-ins write: little-endian fields, the file header, and the
// bottom-up 24-bit picture the headless backends dump their frames to.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::window {

void PutLE16(std::vector<uint8_t>& b, uint32_t v);
void PutLE32(std::vector<uint8_t>& b, uint32_t v);

// "BM", the file's size and the offset of its pixels: the 14 bytes before the DIB.
void PutBmpFileHeader(std::vector<uint8_t>& b, uint32_t fileBytes, uint32_t pixelOffset);

// A bottom-up 24-bit BMP file of width x height pixels; rgbAt(x, y) answers 0x00RRGGBB for
// the rows counted top-down.
template <class RgbAt>
std::vector<uint8_t> EncodeBmp24(int32_t width, int32_t height, RgbAt rgbAt) {
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(height);
    std::vector<uint8_t> b;
    b.reserve(54 + imageBytes);
    PutBmpFileHeader(b, 54 + imageBytes, 54);
    for (uint32_t v : {40u, uint32_t(width), uint32_t(height)}) PutLE32(b, v);
    PutLE16(b, 1);
    PutLE16(b, 24);
    for (uint32_t v : {0u, imageBytes, 2835u, 2835u, 0u, 0u}) PutLE32(b, v);
    for (int32_t y = height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = rgbAt(x, y);
            b.push_back(uint8_t(p));
            b.push_back(uint8_t(p >> 8));
            b.push_back(uint8_t(p >> 16));
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad) b.push_back(0);
    }
    return b;
}

}  // namespace platform::window
