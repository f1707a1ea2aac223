// Monsters: small animated creatures that drift through the field. Each sheet is one
// pattern wide with one row per frame, and loops from the last frame to the first.
#pragma once

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

enum class MonsterKind {
    Eye,      // a floating eyeball with waving tentacles, looking around and blinking
    Spinner,  // a four-bladed steel star turning around a hot core
    Jelly,    // a wobbling green blob with bubbles
    Saucer,   // a small flying saucer with running lights
    Builder,  // a boxy little robot raising a brick over its head
    Comet,    // a white-hot head trailing a tail of sparks
    Drifter,  // a pitted rock with a faint glowing seam
};
inline constexpr int kMonsterKinds = 7;

Image MonsterSheet(MonsterKind kind, int size = 40, int frames = 8);

}  // namespace datagen::demo
