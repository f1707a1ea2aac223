// Every demo picture, sound and tune under a file name, as the demo-art command writes
// them for a look and as the tests walk them. The data set's assembler calls the
// generators directly with its own sizes; this list is their showcase at the default ones.
#pragma once

#include <string>
#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// The transparent colour of the game's pictures (the picture items' default).
inline constexpr Rgb kDemoKey{0, 0, 0};

struct CataloguePicture {
    std::string name;       // file title
    Image image;
    bool jpeg = false;      // an opaque picture stored as JPEG (written as BMP too, for a look)
    int bitCount = 24;      // BMP depth
    Rgb key = kDemoKey;     // the transparent colour written where the picture is transparent
    int patternWidth = 0, patternHeight = 0;  // 0: the whole picture
};

struct CatalogueSound {
    std::string name;
    std::vector<int16_t> samples;  // 22050 Hz mono
};

struct CatalogueTune {
    std::string name;
    std::string midi;  // Standard MIDI File bytes
};

std::vector<CataloguePicture> CataloguePictures();
std::vector<CatalogueSound> CatalogueSounds();
std::vector<CatalogueTune> CatalogueTunes();

}  // namespace datagen::demo
