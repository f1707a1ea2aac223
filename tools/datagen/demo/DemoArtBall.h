// Balls: round, anti-aliased towards their own dark edge (never towards the transparent
// colour), lit from the upper left so the brightest pixel sits there. A ball sheet holds
// one column per size (the bigger-ball prize steps through them) and one row per frame.
#pragma once

#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

struct BallStyle {
    Rgb color{196, 204, 220};   // body under white light
    bool swirl = false;         // bands turning from frame to frame (energy balls)
    bool flame = false;         // a flickering corona around the disc (fire ball)
    bool ring = false;          // a bright ring round the dark edge, so the ball stands out
    Rgb ringColor{255, 150, 48};
};

// One ball of `radius` centred in a cell × cell pattern; `phase` 0..1 animates swirl and flame.
Image Ball(const BallStyle& style, int cell, double radius, double phase = 0.0);
Image BallSheet(const BallStyle& style, int cell, const std::vector<double>& radii, int frames = 1);

// The glowing gem whose touch ends a level: `frames` rows of it turning and pulsing.
Image ExitGemSheet(int size = 28, int frames = 8);

}  // namespace datagen::demo
