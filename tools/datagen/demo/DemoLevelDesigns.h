// The demo's levels as designs: a brick map, the prizes bricks drop, the monsters that come,
// the ball's speed and the paddle's weapons. DemoLevels turns them into level records.
//
// A brick map has one character per brick, twelve to a row of 48 x 24 pixels from the top
// of the field down:
//   r o y g c b v p   one hit, by colour        R O Y G C B   two hits      1 2 3 4   three hits
//   #   steel (no ball breaks it)               $   gold
//   ~ = %   sliders of one, two and three hits, moving to and fro along their row
//   ( ! - + * )   special bricks that turn the ball passing through
//   .   no brick
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace datagen::demo {

// A prize or monster and its share of its table; a prize may carry another effect code
// than its class's.
struct Share {
    int id = 0, chance = 0, code = -1;
};

struct LevelDesign {
    const char* name = "";     // the title the player reads (UTF-8)
    const char* english = "";  // the second text
    int backdrop = 1;          // map element 1..5
    std::vector<std::string> rows{};
    std::vector<Share> prizes{}, monsters{};
    int wander = 0, drop = 25, monsterLimit = 0;
    int ballSpeed = 3, ballMaxSpeed = 6;
    double acceleration = 1.0;  // speed factor at difficulty 1; each step above adds 0.15
    std::string weapons{};      // the order weapon prizes give them in ("" the usual)
    std::vector<std::pair<int, int>> freeBalls{};  // balls already flying, at these places
};

std::vector<LevelDesign> PrologueDesigns();
std::vector<LevelDesign> SprallionDesigns();
std::vector<LevelDesign> AbyssDesigns();

}  // namespace datagen::demo
