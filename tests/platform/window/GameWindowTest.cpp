// The game's window on a real X server, as a player meets it: full screen, the whole main menu
// scaled onto the screen; when the focus goes elsewhere, the whole frame in a window; the
// frame centred pixel for pixel in a window resized to 1000 x 700; full screen and whole again
// when the focus comes back; and a click at a scaled point reaching the button under it. The
// screen is read as another X client sees it and compared with the frame the headless display
// shows of the same menu. CTest runs it on screens of two sizes, without a window manager and
// (SPRALLION_TEST_WM=openbox) under openbox.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <set>
#include <spawn.h>
#include <thread>

#include "app/Program.h"
#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "media/DXDrawsDisplay.h"
#include "platform/display/Placement.h"
#include "platform/display/Pointer.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoDataSet.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/keysym.h>

#include "tests/platform/window/XScreen.h"

namespace {

namespace display = platform::display;
using display::Placement;
using namespace std::chrono_literals;
using xtest::Area;
using xtest::XScreen;

constexpr int kFrameW = 800, kFrameH = 600;

// openbox on the test's X server while the test runs, when SPRALLION_TEST_WM asks for it.
class WindowManager {
public:
    explicit WindowManager(const XScreen& screen) {
        const char* wanted = std::getenv("SPRALLION_TEST_WM");
        if (!wanted || std::string(wanted) != "openbox") return;
        char program[] = "openbox";
        char* argv[] = {program, nullptr};
        if (::posix_spawnp(&pid_, program, nullptr, nullptr, argv, environ) != 0) pid_ = -1;
        started_ = pid_ > 0 && testproc::WaitFor([&] { return screen.WindowManagerRuns(); }, 20s);
    }
    ~WindowManager() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        testproc::WaitExit(pid_, 10s);
    }
    bool Wanted() const { return pid_ != 0; }
    bool Started() const { return started_; }

private:
    pid_t pid_ = 0;
    bool started_ = false;
};

uint32_t Rgb(uint16_t p) {
    const uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// The share of sampled screen points in `area` that do not show the frame placed there as `p`
// (in the area's coordinates): inside the frame a point must have the colour of the frame
// pixel it maps to or of one next to it (nearest scaling may round either way), beside it
// black. Points of the area beyond the screen's edges are not seen.
double Mismatch(const std::vector<uint32_t>& shot, int screenW, Area area, const Placement& p,
                const display::Frame& frame) {
    if (shot.empty() || area.w <= 0 || area.h <= 0) return 1;
    const int screenH = int(shot.size() / size_t(screenW));
    size_t points = 0, wrong = 0;
    for (int y = std::max(0, -area.y); y < std::min(area.h, screenH - area.y); y += 2)
        for (int x = std::max(0, -area.x); x < std::min(area.w, screenW - area.x); x += 2) {
            const uint32_t seen = shot[size_t(area.y + y) * size_t(screenW) + size_t(area.x + x)];
            ++points;
            if (x < p.left || y < p.top || x >= p.left + p.width || y >= p.top + p.height) {
                wrong += seen != 0;
                continue;
            }
            int32_t fx = 0, fy = 0;
            p.ToFrame(x, y, frame.Width, frame.Height, fx, fy);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int32_t nx = std::clamp(fx + dx, 0, frame.Width - 1), ny = std::clamp(fy + dy, 0, frame.Height - 1);
                    near = Rgb(frame.Pixels[size_t(ny) * size_t(frame.Width) + size_t(nx)]) == seen;
                }
            wrong += !near;
        }
    return double(wrong) / double(points);
}

std::vector<std::string> GameSettings(const std::string& home, const TempDir& dir, const std::string& run,
                                      const std::string& video) {
    return {"SPRALLION_HOME=" + home,
            "SPRALLION_REGISTRY=" + dir.File(run + "-registry"),
            "SPRALLION_RUNTIME_DIR=" + dir.File(run + "-run"),
            "SPRALLION_SHELL=record:" + dir.File(run + "-shell"),
            "SPRALLION_VIDEO=" + video,
            "SPRALLION_AUDIO=null",
            "SPRALLION_MIDI=null",
            "SPRALLION_TEXT=headless"};
}

// The main menu as the headless display shows it, with the pointer where the screen's middle
// puts it: the program run in a child process, its frame written out after 25 ticks of the menu.
display::Frame HeadlessMainMenu(const std::string& home, const TempDir& dir) {
    const std::string out = dir.File("headless-frame");
    const pid_t pid = testproc::Fork([&] {
        for (const std::string& setting : GameSettings(home, dir, "headless", "headless")) {
            const size_t eq = setting.find('=');
            ::setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(), 1);
        }
        display::ScriptPointer(kFrameW / 2, kFrameH / 2);
        int ticks = 0;
        app::ProgramHooks hooks;
        hooks.AfterTick = [&](app::TDlg_Sprallion& form) {
            engine::TGPStructure* menu = form.Kernel ? form.Kernel->FindChild("MainPanel") : nullptr;
            if (!menu || !menu->Visible || ++ticks != 25) return;
            const display::Frame frame = form.DXDrawGP->Presenter().ReadFrame();
            std::ofstream(out, std::ios::binary)
                .write(reinterpret_cast<const char*>(frame.Pixels.data()), std::streamsize(frame.Pixels.size() * 2));
            form.Perform(display::WM_CLOSE);
        };
        char name[] = "sprallion";
        char* argv[] = {name, nullptr};
        return app::RunProgram(1, argv, hooks);
    });
    EXPECT_EQ(testproc::WaitExit(pid, 120s), 0);
    display::Frame frame;
    frame.Width = kFrameW, frame.Height = kFrameH;
    frame.Pixels.resize(size_t(kFrameW) * size_t(kFrameH));
    std::ifstream(out, std::ios::binary).read(reinterpret_cast<char*>(frame.Pixels.data()), std::streamsize(frame.Pixels.size() * 2));
    return frame;
}

TEST(GameWindow, TheWholeMenuShowsFullScreenWindowedAndResizedAndTakesAClickAtItsScaledPlace) {
    XScreen screen;
    ASSERT_TRUE(screen.get()) << "no X server";
    const WindowManager manager(screen);
    ASSERT_TRUE(!manager.Wanted() || manager.Started()) << "openbox does not start";
    ASSERT_EQ(screen.WindowManagerRuns(), manager.Wanted());

    TempDir dir;
    const auto files = datagen::demo::BuildDemoDataSet(false).Files();
    datagen::demo::WriteDemoFiles(dir.File("headless"), files);
    datagen::demo::WriteDemoFiles(dir.File("game"), files);
    const display::Frame menu = HeadlessMainMenu(dir.File("headless"), dir);
    std::set<uint16_t> colours(menu.Pixels.begin(), menu.Pixels.end());
    ASSERT_GT(colours.size(), 16u) << "the headless menu is not drawn";

    const pid_t game = testproc::SpawnProgram("sprallion", GameSettings(dir.File("game"), dir, "game", "sdl"), dir.File("stderr"));
    ASSERT_GT(game, 0);
    struct Ending {
        pid_t pid;
        bool ended = false;
        ~Ending() {
            if (!ended) testproc::WaitExit(pid, 0ms);  // a failed step: the game goes with the test
        }
    } ending{game};
    const auto log = [&] { return dir.Read("game/Exception.Log"); };
    ASSERT_TRUE(testproc::WaitFor([&] { return log().find("Class MainPanelShow with message ''.") != std::string::npos; }, 90s))
        << log() << dir.Read("stderr");
    Window window = 0;
    ASSERT_TRUE(testproc::WaitFor([&] { return (window = screen.Named("Sprallion")) != 0; }, 10s));

    const int sw = screen.Width(), sh = screen.Height();
    const Area whole{0, 0, sw, sh};
    const Placement fullScreen = Placement::Fit(kFrameW, kFrameH, sw, sh);
    int32_t px = 0, py = 0;
    fullScreen.ToOutput(kFrameW / 2, kFrameH / 2, kFrameW, kFrameH, px, py);
    screen.MovePointer(px, py);
    screen.Focus(window);
    double mismatch = 1;
    // Each step waits until the screen shows what it should; then a share of about one
    // percent may differ (the game's own pointer, drawn where the real pointer was).
    const auto shows = [&](const std::function<Area()>& area, const std::function<Placement(Area)>& placement) {
        return testproc::WaitFor([&] {
            const Area a = area();
            mismatch = Mismatch(screen.Grab(), sw, a, placement(a), menu);
            return mismatch < 0.01;
        }, 20s);
    };
    const auto scaled = [&](Area) { return fullScreen; };
    const auto centred = [](Area a) { return Placement::Centred(kFrameW, kFrameH, a.w, a.h); };
    const auto windowArea = [&] { return screen.Place(window); };

    EXPECT_TRUE(shows([&] { return whole; }, scaled)) << "full screen: " << mismatch;

    const Window other = screen.OtherWindow();
    screen.Focus(other);
    EXPECT_TRUE(testproc::WaitFor([&] { return windowArea().w == kFrameW && windowArea().h == kFrameH; }, 20s));
    EXPECT_TRUE(shows(windowArea, centred)) << "focus elsewhere: " << mismatch;

    screen.Resize(window, 1000, 700);
    EXPECT_TRUE(testproc::WaitFor([&] { return windowArea().w == 1000 && windowArea().h == 700; }, 20s));
    EXPECT_TRUE(shows(windowArea, centred)) << "resized: " << mismatch;

    screen.Focus(window);
    EXPECT_TRUE(shows([&] { return whole; }, scaled)) << "focus back: " << mismatch;

    // The exit button (frame 430..650 x 440..480) at its scaled place; its question takes Enter.
    fullScreen.ToOutput(540, 460, kFrameW, kFrameH, px, py);
    screen.MovePointer(px, py);
    std::this_thread::sleep_for(300ms);
    screen.Button(true);
    std::this_thread::sleep_for(150ms);
    screen.Button(false);
    std::this_thread::sleep_for(700ms);
    screen.Key(XK_Return);
    EXPECT_EQ(testproc::WaitExit(game, 30s), 0) << "the click did not reach the exit button";
    ending.ended = true;
    const std::string text = log();
    EXPECT_EQ(text.rfind("Class ----------------- END SESSION: "), text.rfind("Class "));
    XDestroyWindow(screen.get(), other);
}

}  // namespace
