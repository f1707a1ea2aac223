// Every level of every level set of the demo data, played by the game's own flow: the main
// form started headless over a copy of the data, each level started from the new-game panel
// (the set chosen in its list, the level by the start-level parameter), the ticks handed over
// by the game's timer on a virtual clock. Without input a level must run its ticks with no
// exception, have its bricks struck and present a frame that is more than one colour. A
// struck brick need not break: a ball launched without input may hit only bricks of two or
// more hits before it is lost, and then nothing is scored.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpUtils.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"

namespace {

// The sanitizers slow a tick down tenfold: there the runs are shorter, yet long enough for the
// ball to leave the paddle (after 520 ticks at the lowest difficulty) and hit something, and
// only the first and the last level of each set run.
constexpr int kTicksPerLevel = demotest::kSanitized ? 1000 : 2000;

// Lives enough that no level ends for want of them before its run is over.
constexpr int32_t kLives = 99;

using demotest::FieldValue;

// The hits the destructible bricks in play can still take.
int64_t BrickToughness(const engine::TGPKernel& kernel) {
    int64_t sum = 0;
    if (const engine::TGPNation* bricks = kernel.FindNation(0))
        for (const engine::TGPObject* o : bricks->Objects)
            if (!o->Dead() && engine::IsBrickClass(o->IDClass) && o->HitPoints < engine::kIndestructible) sum += o->HitPoints;
    return sum;
}

struct Frame {
    int colours = 0, fieldColours = 0;
};

Frame ReadFrame(const platform::display::Frame& frame) {
    Frame f;
    std::set<uint16_t> all, field;
    for (int32_t y = 0; y < frame.Height; ++y)
        for (int32_t x = 0; x < frame.Width; ++x) {
            const uint16_t c = demotest::PixelAt(frame, x, y);
            all.insert(c);
            // The playing field: 576 x 512 from (34, 48).
            if (x >= 34 && x < 34 + 576 && y >= 48 && y < 48 + 512) field.insert(c);
        }
    f.colours = static_cast<int>(all.size());
    f.fieldColours = static_cast<int>(field.size());
    return f;
}

}  // namespace

TEST(DemoLevelRuns, EveryLevelOfEverySetPlaysItsTicksWithoutInputAndDrawsItsField) {
    demotest::HeadlessGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start());
    // The logos give way to the main menu by themselves.
    ASSERT_TRUE(game.TickUntilShown("MainPanel", 2000));

    struct Run {
        std::string where;
        bool testSet = false;
        int32_t score = 0, level = -1, lives = 0, clearedAt = -1;
        int64_t hits = 0;  // the bricks' toughness lost
        Frame frame;
    };
    // The flow logs every failure it catches: nothing may be logged while the levels run.
    const size_t logBefore = game.Log().size();
    std::vector<Run> runs;
    size_t levels = 0;
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        const std::string file = set.set.file;
        const auto count = static_cast<int32_t>(set.set.set.levels.size());
        for (int32_t index = 0; index < count; ++index) {
            // Under a sanitizer a tick is about ten times slower: each set's first and last.
            if (demotest::kSanitized && index != 0 && index != count - 1) continue;
            ++levels;
            ASSERT_NO_FATAL_FAILURE(game.NewGame(file, index));
            SCOPED_TRACE(game.where);
            engine::TKernelRecord& record = game.Form().Kernel->KernelRecord;
            engine::SetFieldValue(record.Life, kLives);

            Run run;
            run.where = game.where;
            run.testSet = file == "0Test.ig";
            const int64_t toughness = BrickToughness(*game.Form().Kernel);
            while (game.levelTicks < kTicksPerLevel) {
                // The level's message (and any other) is closed as a player would.
                ASSERT_NO_FATAL_FAILURE(game.Play());
                if (run.clearedAt < 0 && FieldValue(record.Level) != index) run.clearedAt = game.levelTicks;
                // The bricks of the level played, not of the one it cleared to.
                if (run.clearedAt < 0) run.hits = std::max(run.hits, toughness - BrickToughness(*game.Form().Kernel));
            }
            run.frame = ReadFrame(game.Frame());
            run.score = FieldValue(record.Count);
            run.level = FieldValue(record.Level);
            run.lives = FieldValue(record.Life) - kLives;
            runs.push_back(run);
            EXPECT_TRUE(game.Form().GameRunning) << "the game ended";
            ASSERT_NO_FATAL_FAILURE(game.EndGame());
        }
    }

    EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
    EXPECT_EQ(game.Log().substr(logBefore), "");
    ASSERT_EQ(runs.size(), levels);
    for (const Run& run : runs) {
        SCOPED_TRACE(run.where);
        EXPECT_GT(run.frame.colours, 1) << "a frame of one colour";
        EXPECT_GT(run.frame.fieldColours, 16) << "the field is hardly drawn";
        EXPECT_TRUE(run.score > 0 || run.hits > 0) << "the level does not play: nothing was hit";
        // The test set's levels clear by themselves, after the hundred ticks a script needs.
        if (run.testSet) {
            EXPECT_GT(run.clearedAt, 100);
            EXPECT_LT(run.clearedAt, 1000);
        }
        std::cout << run.where << ": score " << run.score << ", bricks' hits " << run.hits << ", cleared at tick " << run.clearedAt << ", now at level "
                  << run.level + 1 << ", lives " << std::showpos << run.lives << std::noshowpos << ", "
                  << run.frame.fieldColours << " colours in the field\n";
    }
}
