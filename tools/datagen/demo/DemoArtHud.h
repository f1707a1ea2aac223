// The heads-up display and the mouse cursors: panels around the playfield, readout
// wells, a gauge, the lives icon and the cursor pictures.
#pragma once

#include <string_view>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// A riveted metal panel with an engraved title plate (empty title: none).
Image HudPanel(int width = 176, int height = 552, std::string_view title = {});
// A frame around the playfield: `border` pixels of metal on every side of a transparent
// fieldWidth × fieldHeight window.
Image HudFieldFrame(int fieldWidth = 576, int fieldHeight = 512, int border = 10);
// A metal plate of width × height with square outer edges and a transparent window
// (the playfield) whose edges are bevelled.
Image HudSurround(int width, int height, int windowX, int windowY, int windowWidth, int windowHeight);
// A recessed dark well for numbers and texts.
Image HudReadout(int width = 150, int height = 34);
// A charge gauge: `frames` rows from empty (row 0) to full (last row).
Image GaugeSheet(int width = 150, int height = 14, int frames = 10);
// The small paddle that counts the lives left.
Image LifeIcon(int width = 26, int height = 12);

// Mouse cursors; the hot spot is the top-left pixel of the arrow and the centre of the
// others.
Image CursorArrow(int size = 24, int frames = 1);
Image CursorPanel(int size = 24);            // over a heads-up panel: a ring with a dot
Image CursorSlot(bool used, int size = 28);  // over a saved-game slot: empty or filled disk

}  // namespace datagen::demo
