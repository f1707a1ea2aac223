// Every level of every level set of the demo data, played by the game's own flow: the main
// form started headless over a copy of the data, each level started from the new-game panel
// (the set chosen in its list, the level by the start-level parameter), the ticks handed over
// by the game's timer on a virtual clock. Without input a level must run its ticks with no
// exception, keep scoring and present a frame that is more than one colour.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/gpData.h"
#include "engine/gpKernel.h"
#include "platform/display/Display.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/DemoSession.h"

namespace {

// The sanitizers slow a tick down tenfold: there the runs are shorter, yet long enough for the
// ball to leave the paddle (after 520 ticks at the lowest difficulty) and hit something, and
// only the first and the last level of each set run.
constexpr int kTicksPerLevel = demotest::kSanitized ? 1000 : 2000;

// Lives enough that no level ends for want of them before its run is over.
constexpr int32_t kLives = 99;

using demotest::FieldValue;

struct Frame {
    int colours = 0, fieldColours = 0;
};

Frame ReadFrame(const platform::display::Presenter* presenter) {
    Frame f;
    if (!presenter) return f;
    const platform::display::Frame frame = presenter->ReadFrame();
    std::set<uint16_t> all, field;
    for (int32_t y = 0; y < frame.Height; ++y)
        for (int32_t x = 0; x < frame.Width; ++x) {
            const uint16_t c = frame.Pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.Width) + static_cast<size_t>(x)];
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
    demotest::DemoSession game;
    ASSERT_TRUE(game.Start());

    struct Run {
        std::string where;
        bool testSet = false;
        int32_t score = 0, level = -1, lives = 0, clearedAt = -1;
        Frame frame;
    };
    // The flow logs every failure it catches: nothing may be logged while the levels run.
    const size_t logBefore = game.Log().size();
    std::vector<Run> runs;
    size_t levels = 0;
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        const std::string file = set.set.file;
        levels += demotest::kSanitized ? std::min<size_t>(2, set.set.set.levels.size()) : set.set.set.levels.size();
        const auto count = static_cast<int32_t>(set.set.set.levels.size());
        for (int32_t index = 0; index < count; ++index) {
            if (demotest::kSanitized && index != 0 && index != count - 1) continue;
            game.where = file + " level " + std::to_string(index + 1);
            SCOPED_TRACE(game.where);
            ASSERT_TRUE(game.StartLevel(file, index, kLives));
            engine::TKernelRecord& record = game.form->Kernel->KernelRecord;

            Run run;
            run.where = game.where;
            run.testSet = file == "0Test.ig";
            for (int tick = 0; tick < kTicksPerLevel;) {
                // The level's message (and any other) is closed as a player would.
                if (game.PanelShown("MessageBox")) {
                    ASSERT_TRUE(game.PressEnter());
                    tick += 2;
                } else {
                    ASSERT_TRUE(game.Tick());
                    ++tick;
                }
                if (run.clearedAt < 0 && FieldValue(record.Level) != index) run.clearedAt = tick;
            }
            run.frame = ReadFrame(game.form->Presenter.get());
            run.score = FieldValue(record.Count);
            run.level = FieldValue(record.Level);
            run.lives = FieldValue(record.Life) - kLives;
            runs.push_back(run);
            EXPECT_TRUE(game.form->GameRunning) << "the game ended";
            ASSERT_TRUE(game.EndGame());
        }
    }

    EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
    EXPECT_EQ(game.Log().substr(logBefore), "");
    ASSERT_EQ(runs.size(), levels);
    for (const Run& run : runs) {
        SCOPED_TRACE(run.where);
        EXPECT_GT(run.frame.colours, 1) << "a frame of one colour";
        EXPECT_GT(run.frame.fieldColours, 16) << "the field is hardly drawn";
        EXPECT_GT(run.score, 0) << "the level does not play: nothing was hit";
        // The test set's levels clear by themselves, after the hundred ticks a script needs.
        if (run.testSet) {
            EXPECT_GT(run.clearedAt, 100);
            EXPECT_LT(run.clearedAt, 1000);
        }
        std::cout << run.where << ": score " << run.score << ", cleared at tick " << run.clearedAt << ", now at level "
                  << run.level + 1 << ", lives " << std::showpos << run.lives << std::noshowpos << ", "
                  << run.frame.fieldColours << " colours in the field\n";
    }
}
