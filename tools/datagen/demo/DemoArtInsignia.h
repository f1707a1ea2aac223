// Rank insignia (19), medals (10) and difficulty badges (3), for the in-game message box
// and, flattened onto a page colour, for the hall-of-fame page.
#pragma once

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

inline constexpr int kRankCount = 19;
inline constexpr int kMedalCount = 10;
inline constexpr int kDifficultyCount = 3;

// Rank 1..19, from private (one chevron) through sergeants (chevrons and rockers),
// officers (shoulder boards with stars), generals (gold boards) to the marshal and the
// generalissimo (a star in a wreath).
Image RankInsignia(int rank, int width = 48, int height = 48);
// Medal 1..10: a ribbon with a medal of its own shape and emblem.
Image MedalPicture(int medal, int width = 40, int height = 56);
// Difficulty 1..3: a shield with one, two or three pips, green, amber, red.
Image DifficultyBadge(int difficulty, int width = 40, int height = 40);

}  // namespace datagen::demo
