// The sprallion program on a real X server over the demo data: its SDL window shows the main
// menu (read back from the X server, as another client sees it) and it ends in order on
// SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <functional>
#include <set>

#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoDataSet.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// An X connection that survives the errors of a window that goes or is not mapped yet:
// a request that fails answers nothing instead of ending the test program.
class XConnection {
public:
    XConnection() : display_(XOpenDisplay(nullptr)) { previous_ = XSetErrorHandler(&Ignore); }
    ~XConnection() {
        if (display_) XCloseDisplay(display_);
        XSetErrorHandler(previous_);
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    ::Display* get() const { return display_; }

    // The first window in the tree whose name starts with `prefix`; 0 when none has it.
    Window Named(const std::string& prefix) const {
        if (!display_) return 0;
        std::function<Window(Window)> search = [&](Window w) -> Window {
            char* name = nullptr;
            bool found = false;
            if (XFetchName(display_, w, &name) && name) {
                found = std::strncmp(name, prefix.c_str(), prefix.size()) == 0;
                XFree(name);
            }
            if (found) return w;
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            Window match = 0;
            if (XQueryTree(display_, w, &root, &parent, &children, &count))
                for (unsigned i = 0; i < count && !match; ++i) match = search(children[i]);
            if (children) XFree(children);
            return match;
        };
        return search(DefaultRootWindow(display_));
    }

    // How many colours the window's picture on the screen holds (0 when it cannot be read:
    // not mapped, or gone). A grid of points is enough to tell a drawn menu from a cleared one.
    size_t Colours(Window window) const {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display_, window, &a) || a.map_state != IsViewable || a.width <= 0 || a.height <= 0)
            return 0;
        XImage* image = XGetImage(display_, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
        if (!image) return 0;
        std::set<unsigned long> colours;
        for (int y = 0; y < a.height; y += 4)
            for (int x = 0; x < a.width; x += 4) colours.insert(XGetPixel(image, x, y));
        XDestroyImage(image);
        return colours.size();
    }

private:
    static int Ignore(::Display*, XErrorEvent*) { return 0; }
    ::Display* display_;
    int (*previous_)(::Display*, XErrorEvent*) = nullptr;
};

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
    XConnection x;
    ASSERT_TRUE(x.get());
    Window window = 0;
    EXPECT_TRUE(testproc::WaitFor([&] { return (window = x.Named("Sprallion")) != 0; }, std::chrono::seconds(10)));
    size_t colours = 0;
    EXPECT_TRUE(testproc::WaitFor([&] { return (colours = x.Colours(window)) > 16; }, std::chrono::seconds(10)))
        << colours << " colours in the window";

    ::kill(pid, SIGTERM);
    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(30)), 0);
    const std::string text = log();
    EXPECT_EQ(text.rfind("Class ----------------- END SESSION: "), text.rfind("Class "));
}

}  // namespace
