// Prize capsules: a lit pill turning about its long axis, its label (a letter or a mark,
// rendered with FreeType) rolling over the front from frame to frame.
#pragma once

#include <string>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

struct CapsuleStyle {
    std::string label = "?";  // UTF-8; a mark the face lacks falls back to `fallback`
    std::string fallback = "?";
    Rgb color{64, 160, 232};
    int width = 40, height = 20;
    int frames = 8;
};

// One column, `frames` rows.
Image CapsuleSheet(const CapsuleStyle& style);

// The word the seven letter prizes spell, РАКЕТКА (the paddle), one letter per prize in
// class order (UTF-8).
inline constexpr const char* kLetterPrizeLetters[7] = {"Р", "А", "К", "Е", "Т", "К", "А"};
CapsuleStyle LetterPrizeStyle(int index);  // 0..6
// The capsule of a prize by its effect code (the drop table's effect column): its mark
// and a colour that says whether it helps (cool) or hurts (warm, dark).
CapsuleStyle EffectPrizeStyle(int effectCode);

// The heads-up row of collected letters: frame 0 an empty slot, frame i (1..7) letter
// i - 1 lit. One column, eight rows of size × size.
Image LetterSlotSheet(int size = 24);

}  // namespace datagen::demo
