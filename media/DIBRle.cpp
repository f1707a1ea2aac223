// RLE8 and RLE4 decoding. The input is bounded by its size and every write by the picture.
#include "media/DIB.h"

namespace media {

void DecodeRLE(const uint8_t* data, size_t size, int compression, TDIBSharedImage& target) {
    const bool rle8 = compression == 1;
    const int64_t width = target.Width, height = target.Height;
    int64_t x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](int64_t column, uint8_t value) {
        if (column < 0 || column >= width || y < 0 || y >= height) return;
        uint8_t* row = target.Pixels.data() + y * target.WidthBytes;
        if (rle8) {
            row[column] = value;
        } else {
            uint8_t& b = row[column >> 1];
            b = (column & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                             : static_cast<uint8_t>((b & 0x0F) | (value << 4));
        }
    };
    size_t i = 0;
    while (i + 1 < size && y < height) {
        const uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x + k < width; ++k)
                put(x + k, rle8 ? value : static_cast<uint8_t>((k & 1) ? value & 0x0F : value >> 4));
            x += count;
            continue;
        }
        switch (value) {
            case 0: x = 0; ++y; break;     // end of line
            case 1: return;                // end of bitmap
            case 2:                        // delta: right and up
                if (i + 1 >= size) return;
                x += data[i];
                y += data[i + 1];
                i += 2;
                break;
            default: {                     // absolute run, padded to an even position
                const size_t bytes = rle8 ? value : (value + 1u) / 2u;
                for (size_t k = 0; k < value; ++k) {
                    const size_t at = i + (rle8 ? k : k / 2);
                    if (at >= size) break;
                    const uint8_t v = rle8 ? data[at] : static_cast<uint8_t>((k & 1) ? data[at] & 0x0F : data[at] >> 4);
                    put(x + static_cast<int64_t>(k), v);
                }
                x += value;
                i += bytes;
                if (i & 1u) ++i;
                break;
            }
        }
    }
}

}  // namespace media
