// Backgrounds: dark, quiet textures that repeat seamlessly (every noise and pattern is
// periodic in the tile), so the bricks and balls stay the brightest things on screen.
#pragma once

#include <cstdint>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

enum class BackdropKind {
    Nebula,   // violet and blue clouds with stars
    Circuit,  // a green circuit board with traces and pads
    Hexes,    // bevelled slate hexagons
    Waves,    // blue ripples of crossing waves
    Marble,   // veined stone slabs
};
inline constexpr int kBackdropKinds = 5;

// One tile, `tile` × `tile` pixels, seamless on all four sides.
Image BackdropTile(BackdropKind kind, int tile = 128, uint32_t seed = 1);
// A picture of any size covered with that tile (the playfield's background element).
Image Backdrop(BackdropKind kind, int width = 576, int height = 512, int tile = 128, uint32_t seed = 1);
// The menus' backdrop: deep space with a glowing horizon grid.
Image MenuBackdrop(int width = 800, int height = 600, uint32_t seed = 1);

}  // namespace datagen::demo
