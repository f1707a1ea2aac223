// The paddle: a chrome capsule with coloured end caps and a glowing energy strip. A paddle
// sheet holds one column per width (the wider and narrower paddle prizes step through
// them, each centred in the widest cell) and one row per frame of the strip's pulse.
#pragma once

#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

struct PaddleStyle {
    int height = 16;
    Rgb caps{208, 44, 40};
    Rgb glow{72, 216, 255};
    bool cannons = false;  // small guns on the caps (the armed paddle)
    bool stunned = false;  // a dull body with crackling sparks
};

Image Paddle(const PaddleStyle& style, int cellWidth, int width, double phase = 0.0);
Image PaddleSheet(const PaddleStyle& style, int cellWidth, const std::vector<int>& widths, int frames = 4);

}  // namespace datagen::demo
