// Pictures of the native dialogs and of the program itself: the shaped message-box and
// options backgrounds (an opaque shape on a border colour, read back from pixel (1, 1)),
// their region data, window buttons of four frames stacked vertically, the game icon,
// level previews and the empty save slot.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// The colour around shaped windows and inside window buttons' corners; it occurs nowhere
// inside a shape.
inline constexpr Rgb kWindowKey{255, 0, 255};

// A shaped dialog background: the shape's pixels are opaque, everything else is
// transparent (encode with kWindowKey so that pixel (1, 1) carries the border colour).
Image MessageBoxBackground(int width = 433, int height = 290);
Image OptionBoxBackground(int width = 535, int height = 447);

// The window region of a shape: a 16-bit length, then the region data (a 32-byte header:
// size 32, type 1, rectangle count, byte count, bounds; then left, top, right, bottom
// per rectangle). Rows with equal runs share one rectangle.
std::string RegionData(const Image& shape);

// A window button: four frames stacked vertically: 0 normal, 1 disabled, 2 pressed,
// 3 hovered. Its corners are transparent, so its top-left pixel is the key.
Image WindowButtonSheet(std::string_view label, int width = 96, int height = 30);

// The program's icon (window and tray): bricks, a ball flying up from the paddle, on a
// dark tile with rounded (transparent) corners.
Image GameIcon(int size = 32);

// A brick of a level preview, in playfield pixels.
struct PreviewBrick {
    int x = 0, y = 0, width = 48, height = 24;
    Rgb color{200, 60, 60};
};
// A level's preview (160 × 120 by default): the background scaled down with the bricks
// drawn over it. Store it at 8 bits.
Image LevelPreview(const std::vector<PreviewBrick>& bricks, const Image& background, int fieldWidth = 576,
                   int fieldHeight = 512, int width = 160, int height = 120);
// The picture of an empty save slot.
Image EmptySlotPicture(int width = 160, int height = 120);

}  // namespace datagen::demo
