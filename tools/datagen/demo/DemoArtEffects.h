// Effects: explosions, sparks, hit and muzzle flashes, shots and the closed floor. Every
// sheet is one pattern wide with one row per frame; short effects play once.
#pragma once

#include <cstdint>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// A fireball that swells, burns out and leaves thinning smoke.
Image ExplosionSheet(int size = 64, int frames = 12, uint32_t seed = 1);
// Sparks flying out from the middle and fading.
Image SparkSheet(int size = 20, int frames = 6, Rgb color = {255, 220, 120}, uint32_t seed = 1);
// A bright star-shaped flash that widens into a ring and thins out (a hit).
Image HitFlashSheet(int size = 28, int frames = 5, Rgb color = {255, 244, 200});
// A flame leaving a barrel upwards (the barrel's mouth at the bottom middle).
Image MuzzleFlashSheet(int width = 14, int height = 22, int frames = 4);

enum class ShotKind { Bullet, Laser, Plasma };
// A shot flying upwards, flickering from frame to frame.
Image ShotSheet(ShotKind kind, int width = 8, int height = 16, int frames = 3);

// The floor of light that closes the bottom of the field: one row across, `frames` rows
// of its ripple.
Image FloorBarSheet(int width = 576, int height = 8, int frames = 4);

}  // namespace datagen::demo
