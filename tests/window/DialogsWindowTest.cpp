// The native dialogs as real windows on an X server (run under a virtual one), above a game
// window: the screen shows the dialog's frame exactly inside its shape and what was there
// before outside it, the X server holds the shape, clicks from another client (XTest) reach
// the dialog only inside its shape, and the game's keyboard reads nothing while a dialog has
// the focus. Each dialog's screenshot is kept beside the test results.
// The X11 headers come last: they define None and Status as macros.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/fmDrawOption.h"
#include "app/fmPallidor.h"
#include "app/multinst.h"
#include "app/fmGPMessageBox.h"
#include "app/fmPuDate.h"
#include "platform/display/Display.h"
#include "platform/input/Input.h"
#include "platform/window/EventPump.h"
#include "platform/window/ModalLoop.h"
#include "tests/app/AppFixtures.h"
#include "tests/app/FakeInternet.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoImage.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

extern char** environ;

namespace pw = platform::window;
namespace demo = datagen::demo;

namespace {

// The screen as another X client sees it.
struct Screen {
    ::Display* display = XOpenDisplay(nullptr);
    ~Screen() {
        if (display) XCloseDisplay(display);
    }
    pw::DialogFrame Grab(int x, int y, int w, int h) const {
        XSync(display, False);
        XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        pw::DialogFrame frame;
        frame.Width = w, frame.Height = h;
        frame.Pixels.resize(size_t(w) * size_t(h));
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) frame.Pixels[size_t(j * w + i)] = uint32_t(XGetPixel(image, i, j)) & 0xFFFFFF;
        XDestroyImage(image);
        return frame;
    }
    void Click(int x, int y) const {
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
    }
    void Key(KeySym key, bool down) const {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down, CurrentTime);
        XSync(display, False);
    }
};

// The X window behind a dialog's window.
::Window XWindowOf(uint32_t windowId) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 ? info.info.x11.window : 0;
}

std::string ArtifactDir() {
    const std::string dir = SPRALLION_ARTIFACT_DIR;
    std::filesystem::create_directories(dir);
    return dir;
}

class DialogsWindowTest : public apptest::AppTest {
protected:
    DialogsWindowTest() {
        env_.Set("SPRALLION_VIDEO", "sdl");
        env_.Set("SPRALLION_SHELL", "record:" + dir_.File("opened"));
        // The game window underneath, showing a pattern.
        form_->Presenter = platform::display::OpenSdlPresenter("Sprallion");
        if (!form_->Presenter) return;
        form_->Presenter->SetMode(800, 600, false);
        std::vector<uint16_t> pattern(800 * 600);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) pattern[size_t(y * 800 + x)] = uint16_t((x / 8) * 2049 + (y / 8) * 37);
        form_->Presenter->Present(pattern.data(), 1600, 800, 600);
        // The game data with the demo's skins.
        const demo::Image box = demo::MessageBoxBackground(), options = demo::OptionBoxBackground();
        std::vector<datagen::ContainerSection> data{
            {"BMP",
             {{"Pal_MessageBox", demo::EncodePicture(box, demo::kWindowKey)},
              {"Pal_Option_Win", demo::EncodePicture(options, demo::kWindowKey) + demo::RegionData(options)},
              {"Win_Button_Ok", demo::EncodePicture(demo::WindowButtonSheet("OK"), demo::kWindowKey)},
              {"Win_Button_Cancel", demo::EncodePicture(demo::WindowButtonSheet("Cancel"), demo::kWindowKey)},
              {"Win_Option_Ok", demo::EncodePicture(demo::WindowButtonSheet("OK"), demo::kWindowKey)},
              {"Win_Option_Cancel", demo::EncodePicture(demo::WindowButtonSheet("Cancel"), demo::kWindowKey)}}},
            {"Strings",
             {{"Message_20_419", datagen::LenString("All updates are here.")},
              {"L_ListBif_419", datagen::LenString("Game data")},
              {"CB_AutoCheck_419", datagen::LenString("Use the internet")}}}};
        const std::string file = dir_.File("game/Resource/Demo2.bif");
        datagen::WriteContainer(file, data);
        form_->Resource = std::make_unique<engine::TGPResource>(file, rtl::fmOpenRead);
        form_->Resource->Open();
        form_->Bif = "Demo2.bif";
    }
    ~DialogsWindowTest() override {
        *alive_ = false;  // steps not reached are dropped
        form_.reset();
    }

    // Runs `action` `ms` of real time after the previous step; a last step presses Esc in
    // case a check failed and left a dialog open.
    void Then(uint32_t ms, std::function<void()> action) {
        at_ += ms;
        pw::After(at_, [alive = alive_, action = std::move(action)] {
            if (*alive) action();
        });
    }
    void GiveUpAfter(uint32_t ms) {
        Then(ms, [this] {
            if (app::TForm* form = app::ActiveForm()) {
                ADD_FAILURE() << "a dialog was still open";
                form->ModalResult = app::mrCancel;
            }
        });
    }

    // The checks of a shown dialog: the screen inside its shape is its frame, outside it the
    // screen as before; the X server's shape is the dialog's. The screenshot is kept.
    void CheckShown(const std::string& name, const pw::DialogFrame& before) {
        app::TForm* form = app::ActiveForm();
        ASSERT_NE(form, nullptr);
        form->Update();
        pw::DialogWindow& window = form->Window();
        EXPECT_EQ(window.Backend(), std::string("sdl"));
        int x = 0, y = 0;
        ScreenPlace(window.Id(), x, y);
        const pw::DialogFrame shown = screen_.Grab(x, y, window.Width(), window.Height());
        EXPECT_TRUE(window.DumpFrame(ArtifactDir() + "/" + name + "_frame.bmp"));
        {
            std::ofstream out(ArtifactDir() + "/" + name + "_screen.bmp", std::ios::binary);
            const auto bytes = pw::EncodeFrameBmp(shown);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        size_t inside = 0, wrongOutside = 0;
        const size_t wrongInside = WrongInside(*form, shown, &inside);
        for (int j = 0; j < window.Height(); ++j)
            for (int i = 0; i < window.Width(); ++i)
                if (window.HasShape() && !window.Shape().Contains(i, j))
                    wrongOutside += shown.At(i, j) != before.At(x + i, y + j);
        EXPECT_GT(inside, size_t(window.Width()) * size_t(window.Height()) / 2) << name;
        EXPECT_EQ(wrongInside, 0u) << name << ": the window shows the headless frame";
        EXPECT_EQ(wrongOutside, 0u) << name << ": outside the shape the screen is as it was";
        if (window.HasShape()) {
            EXPECT_TRUE(window.Shaped());
            int count = 0, ordering = 0;
            XRectangle* rects = XShapeGetRectangles(screen_.display, XWindowOf(window.Id()), ShapeBounding, &count, &ordering);
            std::vector<pw::RegionRect> got;
            for (int i = 0; i < count; ++i)
                got.push_back({rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height});
            XFree(rects);
            EXPECT_EQ(pw::Region::FromRects(got), window.Shape()) << name << ": the X server's shape";
        }
        left_ = x, top_ = y;
    }

    // How many pixels inside the dialog's shape the screen shows otherwise than its frame
    // (`inside` counts the shape's pixels).
    static size_t WrongInside(app::TForm& form, const pw::DialogFrame& shown, size_t* inside = nullptr) {
        pw::DialogFrame headless;
        form.PaintTo(headless);
        const pw::DialogWindow& window = form.Window();
        size_t count = 0, wrong = 0;
        for (int j = 0; j < window.Height(); ++j)
            for (int i = 0; i < window.Width(); ++i)
                if (!window.HasShape() || window.Shape().Contains(i, j)) {
                    ++count;
                    wrong += shown.At(i, j) != headless.At(i, j);
                }
        if (inside) *inside = count;
        return wrong;
    }

    // The top-left corner of a window of ours on the screen.
    void ScreenPlace(uint32_t windowId, int& x, int& y) const {
        ::Window child = 0;
        XTranslateCoordinates(screen_.display, XWindowOf(windowId), DefaultRootWindow(screen_.display), 0, 0, &x, &y,
                              &child);
    }

    Screen screen_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    uint32_t at_ = 0;
    int left_ = 0, top_ = 0;
};

TEST_F(DialogsWindowTest, TheMessageBoxShowsItsFrameInItsShapeAndTakesClicksOnlyThere) {
    ASSERT_TRUE(screen_.display);
    ASSERT_NE(form_->Presenter, nullptr);
    const pw::DialogFrame before = screen_.Grab(0, 0, 1024, 768);
    bool stillShown = false;
    Then(700, [&] { CheckShown("message_box", before); });
    Then(50, [&] { screen_.Click(left_ + 1, top_ + 1); });  // inside the window's rectangle, outside its shape
    Then(300, [&] {
        const app::TForm* box = app::ActiveForm();
        stillShown = box && box->ModalResult == app::mrNone;
        const app::TDrawButton& ok = form_->MessageDialog->DB_Ok;
        screen_.Click(left_ + ok.Left() + ok.Width() / 2, top_ + ok.Top() + ok.Height() / 2);
    });
    GiveUpAfter(3000);
    const int32_t result = app::GPMessageBox(*form_, "Sprallion", "A message in a shaped window.", form_->Resource.get(), 1, -1, 1);
    EXPECT_TRUE(stillShown);
    EXPECT_EQ(result, app::mrOk);
    EXPECT_EQ(Log().find("cannot shape windows"), std::string::npos) << "the first dialog of the run was shaped";
}

TEST_F(DialogsWindowTest, TheOptionsDialogTakesItsStoredOutlineAndTheGameReadsNoKeysMeanwhile) {
    ASSERT_TRUE(screen_.display);
    ASSERT_NE(form_->Presenter, nullptr);
    std::unique_ptr<platform::input::Device> keyboard = platform::input::OpenDevice();
    ASSERT_STREQ(keyboard->Name(), "SDL");
    const pw::DialogFrame before = screen_.Grab(0, 0, 1024, 768);
    bool gameFocused = true;
    uint8_t keyInGame = 0x80;
    Then(700, [&] {
        CheckShown("options", before);
        screen_.Key(XK_a, true);
    });
    Then(200, [&] {
        keyboard->Poll();
        gameFocused = keyboard->Focused();
        keyInGame = keyboard->Keys()['A'];
        screen_.Key(XK_a, false);
        screen_.Key(XK_Escape, true);
        screen_.Key(XK_Escape, false);
    });
    GiveUpAfter(3000);
    EXPECT_EQ(app::ShowDrawOptionDialog(*form_), 0);
    EXPECT_FALSE(gameFocused) << "the dialog has the keyboard";
    EXPECT_EQ(keyInGame, 0) << "the game's keyboard reads nothing meanwhile";

    // The game window with the focus again reads its keys.
    SDL_SetWindowInputFocus(SDL_GetWindowFromID(form_->Presenter->WindowId()));
    for (int i = 0; i < 20; ++i) pw::MainPump().WaitAndPump(20);
    screen_.Key(XK_a, true);
    for (int i = 0; i < 10; ++i) pw::MainPump().WaitAndPump(20);
    keyboard->Poll();
    EXPECT_EQ(keyboard->Keys()['A'], 0x80);
    screen_.Key(XK_a, false);
}

TEST_F(DialogsWindowTest, TheUpdateDialogIsADecoratedWindowWhoseOkEndsIt) {
    ASSERT_TRUE(screen_.display);
    ASSERT_NE(form_->Presenter, nullptr);
    platform::clock::VirtualClock unused;  // the fake's network takes no time
    apptest::FakeInternet internet(unused);
    internet.FileSizes = {100, 200};
    const pw::DialogFrame before = screen_.Grab(0, 0, 1024, 768);
    Then(1700, [&] {  // the download starts at the timer's first tick, after a second
        CheckShown("update", before);
        const auto& ok = dynamic_cast<app::TGlg_UpDate&>(*app::ActiveForm()).DB_Ok;
        EXPECT_TRUE(ok.Enabled());
        screen_.Click(left_ + ok.Left() + ok.Width() / 2, top_ + ok.Top() + ok.Height() / 2);
    });
    GiveUpAfter(3000);
    EXPECT_EQ(app::ShowUpdateDialog(*form_, &internet), app::mrOk);
    EXPECT_EQ(internet.Downloads, 1);
}

// A window manager on the virtual screen (openbox): it stacks, focuses and raises windows on
// clicks as a desktop does.
class WindowManager {
public:
    WindowManager() {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char program[] = "openbox", noSession[] = "--sm-disable";
        char* argv[] = {program, noSession, nullptr};
        if (::posix_spawnp(&pid_, "openbox", &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        // It is up once it takes a new window into a frame of its own; one mapped while it
        // was still starting may never be, so each try uses a new window.
        ::Display* display = XOpenDisplay(nullptr);
        if (pid_ <= 0 || !display) return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!running_ && std::chrono::steady_clock::now() < deadline) {
            const ::Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
            XSelectInput(display, probe, StructureNotifyMask);
            XMapWindow(display, probe);
            XFlush(display);
            running_ = testproc::WaitFor([&] {
                XEvent event;
                return XCheckTypedWindowEvent(display, probe, ReparentNotify, &event) == True;
            }, std::chrono::milliseconds(500));
            XDestroyWindow(display, probe);
            XSync(display, False);
        }
        XCloseDisplay(display);
    }
    ~WindowManager() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool WindowManagerRunning() const { return running_; }

private:
    pid_t pid_ = -1;
    bool running_ = false;
};

// The dialogs over the game window with a window manager that raises whatever is clicked.
class ManagedDialogs : protected WindowManager, public DialogsWindowTest {
protected:
    // The game window's events pass the pump as the game's do (the main form itself is not
    // started here); the box is shown above it.
    ManagedDialogs() : gameWindow_(form_->Presenter ? form_->Presenter->WindowId() : 0) {
        if (!gameWindow_) return;
        pw::MainPump().Register(gameWindow_, [](const pw::WindowEvent&) {});
        // The game runs full screen, as it does by default: the window manager keeps a focused
        // full-screen window above every ordinary one.
        form_->Presenter->SetMode(800, 600, true);
        std::vector<uint16_t> pattern(800 * 600, 0x07E0);
        form_->Presenter->Present(pattern.data(), 1600, 800, 600);
    }
    ~ManagedDialogs() override {
        if (gameWindow_) pw::MainPump().Unregister(gameWindow_);
    }

    // Pixels of the open box that the screen does not show (0: the box is on top).
    size_t BoxCovered() {
        app::TForm* box = app::ActiveForm();
        if (!box) return SIZE_MAX;
        int x = 0, y = 0;
        ScreenPlace(box->Window().Id(), x, y);
        return WrongInside(*box, screen_.Grab(x, y, box->Window().Width(), box->Window().Height()));
    }
    // A point of the game window outside the box, on the screen.
    void GamePointBesideTheBox(int& x, int& y) {
        ScreenPlace(form_->Presenter->WindowId(), x, y);
        x += 10, y += 10;
    }
    void PressEnter() {
        screen_.Key(XK_Return, true);
        screen_.Key(XK_Return, false);
    }
    int32_t ShowBox() {
        return app::GPMessageBox(*form_, "Sprallion", "A message above the game.", form_->Resource.get(), 1, -1, 1);
    }

    uint32_t gameWindow_;
};

TEST_F(ManagedDialogs, ClicksOnTheGameLeaveTheBoxOnTopAndAnsweringKeys) {
    ASSERT_TRUE(WindowManagerRunning()) << "openbox did not start";
    ASSERT_NE(form_->Presenter, nullptr);
    size_t shown = SIZE_MAX, afterCorner = SIZE_MAX, afterGame = SIZE_MAX;
    Then(700, [&] {
        shown = BoxCovered();
        // Our own raise of the box on input meant for the game is off: the window manager
        // alone keeps it above and focused (some refuse a raise no input of the box asked for).
        app::ActiveForm()->Window().SetBlockedHandler([](const pw::WindowEvent&) {});
        // The player has used the box already (a key that does nothing there).
        screen_.Key(XK_Shift_L, true);
        screen_.Key(XK_Shift_L, false);
    });
    Then(300, [&] {
        // Through the box's transparent corner onto the game below.
        int x = 0, y = 0;
        ScreenPlace(app::ActiveForm()->Window().Id(), x, y);
        screen_.Click(x + 1, y + 1);
    });
    Then(500, [&] {
        afterCorner = BoxCovered();
        int x = 0, y = 0;
        GamePointBesideTheBox(x, y);
        screen_.Click(x, y);
    });
    Then(500, [&] {
        afterGame = BoxCovered();
        PressEnter();
    });
    GiveUpAfter(3000);
    EXPECT_EQ(ShowBox(), app::mrOk) << "the box answers Enter";
    EXPECT_EQ(shown, 0u);
    EXPECT_EQ(afterCorner, 0u) << "a click through the corner leaves the box on top";
    EXPECT_EQ(afterGame, 0u) << "a click on the game leaves the box on top";
}

TEST_F(ManagedDialogs, ASecondStartLeavesTheOpenBoxOnTopAndAnswering) {
    ASSERT_TRUE(WindowManagerRunning()) << "openbox did not start";
    ASSERT_NE(form_->Presenter, nullptr);
    ASSERT_TRUE(form_->CheckInstance());
    std::optional<int> copyEnded;
    size_t afterCopy = SIZE_MAX;
    Then(700, [&] {
        app::ActiveForm()->Window().SetBlockedHandler([](const pw::WindowEvent&) {});  // as above
        const pid_t copy = testproc::SpawnProgram(
            "sprallion", {"SPRALLION_HOME=" + dir_.File("copy"), "SPRALLION_REGISTRY=" + dir_.File("copy.registry"),
                          "SPRALLION_RUNTIME_DIR=" + dir_.File("run"),
                          "SPRALLION_VIDEO=headless", "SPRALLION_AUDIO=null", "SPRALLION_MIDI=null"},
            dir_.File("copy.stderr"));
        copyEnded = testproc::WaitExit(copy, std::chrono::seconds(20));
    });
    Then(700, [&] {  // the restore message has come meanwhile
        afterCopy = BoxCovered();
        PressEnter();
    });
    GiveUpAfter(3000);
    EXPECT_EQ(ShowBox(), app::mrOk) << "the box answers Enter";
    EXPECT_EQ(copyEnded, 0) << "the second copy hands over and ends";
    EXPECT_EQ(afterCopy, 0u) << "the box stays on top";
    app::multinst::ReleaseForTests();
}

}  // namespace
