// JPEG pictures through libjpeg's encoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

enum class JpegMarker { JFIF, Exif, Adobe };

struct JpegParams {
    int width = 0, height = 0;
    int components = 3;           // 3: RGB, 1: grey
    std::vector<uint8_t> pixels;  // rows from the top, RGB or grey
    int quality = 90;
    JpegMarker marker = JpegMarker::JFIF;
    bool progressive = false;
};

// A smooth picture with some edges.
JpegParams TestJpegPicture(int width, int height, int components = 3);
std::string EncodeJpeg(const JpegParams& params);
// The container's form: a 4-byte little-endian length, then the data.
std::string LengthPrefixed(const std::string& data);

}  // namespace datagen
