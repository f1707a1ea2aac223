// The level sets of the demo: the prologue, the main set and the abyss (ten, eleven and ten
// levels, each set getting harder from level to level, heads-up built from its description),
// and the test set of the end-to-end checks (two levels that clear without input, with the
// shell's fixed heads-up). Levels are drawn as brick maps (DemoLevelDesigns);
// each set is a level-set structure the writer turns into bytes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/datagen/LevelSet.h"
#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// Tuning values of a set's "Default" section.
struct LevelTuning {
    int32_t averageFactor = 1000000, sizeLevel = 10, minCountForTopList = 200, intervalTimer = 22;
    int32_t skb = 5, ss = 300000, sgcb = 5, ccp = 5, sa = 5, fh = 10, uf = 5, tl = 10;
    std::pair<int32_t, int32_t> speedDifficulty[3] = {{8, 30}, {12, 30}, {16, 30}};
    double superSpeedup[3] = {1.1, 1.3, 1.5};
};

struct DemoLevelSet {
    std::string file;    // "Sprallion.ig": at most 20 characters
    std::string title;   // UTF-8; at most 20 characters once stored
    bool scriptHud = false;
    int typeIG = 787878;
    LevelTuning tuning;
    LevelSet set;        // texts already in the game's code page
    std::vector<Image> previews;  // per level, 160 x 120
    std::vector<std::string> tunes;  // its music ("MIDI_List"), files of Resource/MIDI
    std::string FileTitle() const { return file.substr(0, file.find('.')); }
};

// The sets the build writes; with `testSet` the test set as well (named to sort first).
std::vector<DemoLevelSet> DemoLevelSets(bool testSet);
DemoLevelSet TestLevelSet();

// How hard a level is: its bricks' toughness, the ball's speed and the wandering monsters,
// less what the prizes give.
double DifficultyMeasure(const LevelRecord& level);

// Where the free ball of a test level starts and where its only destructible brick lies.
struct TestLevelGeometry {
    int ballX, ballY;      // the ball's pattern position
    int brickX, brickY;    // the brick's position
    int ballMinSpeed;      // pixels per tick
};
std::vector<TestLevelGeometry> TestLevelGeometries();

}  // namespace datagen::demo
