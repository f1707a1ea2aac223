// Bricks: bevelled, lit from the upper left (brighter on top than at the bottom), with
// crack frames for tough bricks, metal plates for indestructible ones and marked special
// bricks. Every sheet is one pattern wide; its rows are the frames.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// Twelve brick colours that stay apart on a 5/6/5 display.
const std::vector<Rgb>& BrickColors();

struct BrickStyle {
    int width = 48, height = 24;
    Rgb color{200, 40, 40};
    int frames = 3;      // row 0 whole, each later row more cracked (one row per toughness step)
    uint32_t seed = 1;   // where the cracks run
};

Image BrickSheet(const BrickStyle& style);

// A brick that slides along its row: the brick of `style` with a dark chevron at each end
// pointing outwards, its crack rows as BrickSheet's.
Image SliderBrickSheet(const BrickStyle& style);
// A riveted steel plate that no ball breaks; `frames` rows of a glint sweeping across.
Image MetalBrickSheet(int width = 48, int height = 24, int frames = 4);

// The marks of the special bricks that steer the ball.
enum class SpecialBrick { Curve, Down, Across, Speed, Star, Ring };
inline constexpr int kSpecialBrickKinds = 6;
// A dark glass brick with a glowing mark; `frames` rows of the glow pulsing.
Image SpecialBrickSheet(SpecialBrick kind, int width = 48, int height = 24, int frames = 4);

// A brick breaking apart: `frames` rows of its pieces flying off and fading.
Image BrickShatterSheet(const BrickStyle& style, int frames = 6);

// A small tumbling chip of a brick: `frames` rows of it turning.
Image SplinterSheet(Rgb color, int size = 10, int frames = 4);

}  // namespace datagen::demo
