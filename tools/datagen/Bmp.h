// Writer of BMP files in every depth and compression the readers take.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct BmpPicture {
    int width = 0, height = 0, bitCount = 8;
    // Row by row from the top: an index up to 8 bits, the packed value for 16 and 32 bits,
    // $RRGGBB for 24.
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> palette;  // $RRGGBB
    uint32_t rMask = 0, gMask = 0, bMask = 0;  // bit fields; 0 = the depth's default
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

struct BmpOptions {
    bool rle = false;         // RLE8 for 8 bits, RLE4 for 4 bits
    bool rleDelta = false;    // runs of index 0 become delta codes
    bool topDown = false;     // negative height
    bool core = false;        // 12-byte core header, 3-byte colours
    uint32_t infoSize = 40;   // 40, 108 or 124
    bool bitFields = false;   // compression 3 with masks
    uint32_t gap = 0;         // bytes between the colour table and the pixels (bfOffBits)
    int32_t colorsUsed = -1;  // -1: the palette's size
};

// A picture with runs, edges and every index or channel value in use.
BmpPicture TestPicture(int width, int height, int bitCount, uint32_t rMask = 0, uint32_t gMask = 0, uint32_t bMask = 0);
// The RLE8/RLE4 data of a picture, rows from the bottom, ending with end-of-bitmap.
std::string EncodeRLE(const BmpPicture& picture, bool delta);
std::string EncodeBmp(const BmpPicture& picture, const BmpOptions& options = {});

}  // namespace datagen
