// The sprallion program on a real X server over the demo data: its SDL window shows the main
// menu (read back from the X server, as another client sees it) and it ends in order on
// SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <set>

#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoDataSet.h"

// Last: Xlib's macros would clash with the names above.
#include "tests/platform/window/XScreen.h"

namespace {

// How many colours a window's picture on the screen holds (0 when it is not viewable): a grid
// of points is enough to tell a drawn menu from a cleared one.
size_t Colours(const xtest::XScreen& x, Window window) {
    const xtest::Area a = x.Place(window);
    const std::vector<uint32_t> screen = x.Grab();
    if (screen.empty()) return 0;
    std::set<uint32_t> colours;
    for (int y = std::max(a.y, 0); y < std::min(a.y + a.h, x.Height()); y += 4)
        for (int i = std::max(a.x, 0); i < std::min(a.x + a.w, x.Width()); i += 4)
            colours.insert(screen[size_t(y) * size_t(x.Width()) + size_t(i)]);
    return colours.size();
}

TEST(ProgramWindow, TheGameShowsItsMainMenuInItsWindowAndEndsInOrderOnSigterm) {
    TempDir dir;
    datagen::demo::WriteDemoFiles(dir.File("game"), datagen::demo::BuildDemoDataSet(false).Files());
    const pid_t pid = testproc::SpawnProgram(
        "sprallion",
        {"SPRALLION_HOME=" + dir.File("game"), "SPRALLION_REGISTRY=" + dir.File("registry"),
         "SPRALLION_RUNTIME_DIR=" + dir.File("run"), "SPRALLION_SHELL=record:" + dir.File("shell"),
         "SPRALLION_VIDEO=sdl", "SPRALLION_AUDIO=null", "SPRALLION_MIDI=null", "SPRALLION_TEXT=headless"},
        dir.File("stderr"));
    ASSERT_GT(pid, 0);

    auto log = [&] { return dir.Read("game/Exception.Log"); };
    const bool started = testproc::WaitFor([&] { return log().find("Class CreateGameKernel with message ''.") != std::string::npos; },
                                           std::chrono::seconds(60));
    EXPECT_TRUE(started) << log() << dir.Read("stderr");
    EXPECT_NE(log().find("Video: SDL2 window"), std::string::npos);
    // The main menu's handler logs its first show from the first tick.
    EXPECT_TRUE(testproc::WaitFor([&] { return log().find("Class MainPanelShow with message ''.") != std::string::npos; },
                                  std::chrono::seconds(10)));

    // The menu as the X server shows it: a picture, not the cleared window.
    xtest::XScreen x;
    ASSERT_TRUE(x.get());
    Window window = 0;
    EXPECT_TRUE(testproc::WaitFor([&] { return (window = x.Named("Sprallion")) != 0; }, std::chrono::seconds(10)));
    size_t colours = 0;
    EXPECT_TRUE(testproc::WaitFor([&] { return (colours = Colours(x, window)) > 16; }, std::chrono::seconds(10)))
        << colours << " colours in the window";

    ::kill(pid, SIGTERM);
    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(30)), 0);
    const std::string text = log();
    EXPECT_EQ(text.rfind("Class ----------------- END SESSION: "), text.rfind("Class "));
}

}  // namespace
