// The game program plays the demo data as a player would: started headless on the virtual
// clock with a script of keys, it goes from the main menu through the new-game panel into the
// test set, whose first level clears without input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoFixture.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

extern char** environ;

namespace {

std::string BinDir() {
    const char* dir = std::getenv("SPRALLION_BIN_DIR");
    return dir ? dir : std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

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
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "SPRALLION_", 10) != 0) env.emplace_back(*e);
    for (const std::string& e :
         {"SPRALLION_HOME=" + dir.File("game"), "SPRALLION_REGISTRY=" + dir.File("registry"),
          "SPRALLION_RUNTIME_DIR=" + dir.File("run"), "SPRALLION_SHELL=record:" + dir.File("shell"),
          "SPRALLION_SCRIPT=" + dir.File("script"), std::string("SPRALLION_CLOCK=virtual"),
          std::string("SPRALLION_VIDEO=headless"), std::string("SPRALLION_AUDIO=null"), std::string("SPRALLION_MIDI=null"),
          std::string("SPRALLION_TEXT=headless")})
        env.push_back(e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = BinDir() + "/sprallion";
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, dir.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(240)), 3);
    const std::string log = dir.Read("game/Exception.Log");
    EXPECT_NE(log.find("MainPanelShow"), std::string::npos);
    EXPECT_NE(log.find("line 8: panel NoSuchPanel"), std::string::npos) << log;
    EXPECT_NE(log.find("END SESSION"), std::string::npos);
}

}  // namespace
