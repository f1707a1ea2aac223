// The sprallion program on a real X server: it opens its SDL window and ends in order on
// SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/MinimalGame.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

std::string BinDir() {
    const char* dir = std::getenv("SPRALLION_BIN_DIR");
    return dir ? dir : std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// Whether a window whose name starts with `prefix` is anywhere in the X server's tree.
bool WindowNamed(const std::string& prefix) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    std::function<bool(Window)> search = [&](Window w) {
        char* name = nullptr;
        bool found = false;
        if (XFetchName(display, w, &name) && name) {
            found = std::strncmp(name, prefix.c_str(), prefix.size()) == 0;
            XFree(name);
        }
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!found && XQueryTree(display, w, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) found = search(children[i]);
        }
        if (children) XFree(children);
        return found;
    };
    const bool found = search(DefaultRootWindow(display));
    XCloseDisplay(display);
    return found;
}

TEST(ProgramWindow, TheGameOpensItsWindowAndEndsInOrderOnSigterm) {
    TempDir dir;
    datagen::WriteMinimalGame(dir.File("game"));
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "SPRALLION_", 10) != 0) env.emplace_back(*e);
    for (const std::string& e : {"SPRALLION_HOME=" + dir.File("game"), "SPRALLION_REGISTRY=" + dir.File("registry"),
                                 "SPRALLION_RUNTIME_DIR=" + dir.File("run"), "SPRALLION_SHELL=record:" + dir.File("shell"),
                                 std::string("SPRALLION_VIDEO=sdl"), std::string("SPRALLION_AUDIO=null"),
                                 std::string("SPRALLION_MIDI=null"), std::string("SPRALLION_TEXT=headless")})
        env.push_back(e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = BinDir() + "/sprallion";
    char* argv[] = {program.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);

    auto log = [&] { return dir.Read("game/Exception.Log"); };
    const bool started = testproc::WaitFor([&] { return log().find("Class CreateGameKernel with message ''.") != std::string::npos; },
                                           std::chrono::seconds(60));
    EXPECT_TRUE(started) << log();
    EXPECT_NE(log().find("Video: SDL2 window"), std::string::npos);
    EXPECT_TRUE(testproc::WaitFor([] { return WindowNamed("Sprallion"); }, std::chrono::seconds(10)));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(30)), 0);
    const std::string text = log();
    EXPECT_EQ(text.rfind("Class ----------------- END SESSION: "), text.rfind("Class "));
}

}  // namespace
