// Sheets the data set composes from the generators' pictures: damage stages turned into
// columns, tinted variants, the paddle's skins, the heads-up letter frames and panels.
#pragma once

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// The rows of a one-column sheet of w x h patterns as the columns of a one-row sheet, last
// row first when `reverse`.
Image RowsToColumns(const Image& sheet, int w, int h, bool reverse);
// Every opaque pixel mixed towards `tint` by `amount`, keeping its brightness ordering.
Image Recolour(const Image& image, Rgb tint, double amount);

// Skins drawn over the paddle: five columns for its five widths (64 .. 128 in a 128-pixel
// cell, 24 high, the paddle's 16 rows in the middle), one row per frame.
enum class PaddleSkin { Lift, Catch, Frost, Cannon };
Image PaddleSkinSheet(PaddleSkin kind, int frames);

// The collected letters of "РАКЕТКА" for the heads-up row: frame i shows letter i lit.
Image LetterFrames(int size);

// The heads-up panel pictures: 1 the side panel with its readout wells, 2 the frame around
// the field with the lives bar above it, 3 the bar below the field.
Image HudPanelPicture(int panel, int width, int height);

}  // namespace datagen::demo
