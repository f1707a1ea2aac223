// The game program plays the demo data as a player would: started headless on the virtual
// clock with a script of keys, it goes from the main menu through the new-game panel into the
// test set, whose first level clears without input.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DemoFixture.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace {

TEST(DemoPlay, ANewGameOnTheTestSetReachesItsSecondLevelWithoutInput) {
    TempDir dir;
    // The game writes its configuration into its data: a copy of its own.
    std::filesystem::copy(demotest::DemoData::Get().home, dir.File("game"), std::filesystem::copy_options::recursive);
    // Enter on the main menu opens the new-game list, Enter there starts the first set (the
    // test set sorts first), Enter closes the first level's message. The last check cannot
    // hold: the program ends there with status 3, which shows that every line before it held.
    dir.Write("script",
              "until panel MainPanel within 2000\n"
              "key Enter\n"
              "until panel NewGames within 200\n"
              "key Enter\n"
              "until panel MessageBox within 200\n"
              "key Enter\n"
              "until fd_Level = 1 within 3000\n"
              "until panel NoSuchPanel within 1\n");
    const pid_t pid = testproc::SpawnProgram(
        "sprallion", demotest::ScriptedRun(dir.File("game"), dir.File(""), dir.File("script")), dir.File("stderr"));
    ASSERT_GT(pid, 0);

    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(240)), 3);
    const std::string log = dir.Read("game/Exception.Log");
    EXPECT_NE(log.find("MainPanelShow"), std::string::npos);
    EXPECT_NE(log.find("line 8: panel NoSuchPanel"), std::string::npos) << log;
    EXPECT_NE(log.find("END SESSION"), std::string::npos);
}

}  // namespace
