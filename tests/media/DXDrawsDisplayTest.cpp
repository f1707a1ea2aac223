#include <gtest/gtest.h>

#include "DisplayFixtures.h"

using namespace media;
using fixtures::Recorder;
using fixtures::Screen;

namespace {

// Writes its name to a shared list; leaves when told of the initialisation, if asked to.
struct Named {
    char name;
    std::vector<char>* order;
    bool leaveOnInitialize = false;
    static void Notify(void* self, TCustomDXDraw& d, TDXDrawNotifyType t) {
        auto* n = static_cast<Named*>(self);
        n->order->push_back(n->name);
        if (n->leaveOnInitialize && t == dxntInitialize) d.RemoveNotifyListener(n->Listener());
    }
    TDXDrawNotifyEvent Listener() { return {&Notify, this}; }
};

// One object listening through two callbacks.
struct TwoWays {
    std::vector<int> first, second;
    static void First(void* self, TCustomDXDraw&, TDXDrawNotifyType t) { static_cast<TwoWays*>(self)->first.push_back(t); }
    static void Second(void* self, TCustomDXDraw&, TDXDrawNotifyType t) {
        static_cast<TwoWays*>(self)->second.push_back(t);
    }
};

}  // namespace

TEST(DXDrawListeners, LateListenerGetsTheReplayAndRemovalNotifies) {
    Recorder early;  // outlives the display, which tells it of its end
    Screen screen;
    screen.dxdraw.AddNotifyListener(early.Listener());
    EXPECT_EQ(early.codes, (std::vector<int>{7}));
    screen.dxdraw.Initialize();
    EXPECT_EQ(early.codes, (std::vector<int>{7, 1, 7, 2, 3, 6}));
    Recorder late;
    screen.dxdraw.AddNotifyListener(late.Listener());
    EXPECT_EQ(late.codes, (std::vector<int>{7, 2, 3, 6}));
    screen.dxdraw.RemoveNotifyListener(late.Listener());
    EXPECT_EQ(late.codes, (std::vector<int>{7, 2, 3, 6, 5, 4}));
    early.codes.clear();
    screen.dxdraw.SetSize(200, 100);
    EXPECT_EQ(early.codes, (std::vector<int>{5, 3, 7}));
    EXPECT_EQ(screen.dxdraw.SurfaceWidth(), 200);
    early.codes.clear();
    screen.dxdraw.Finalize();
    EXPECT_EQ(early.codes, (std::vector<int>{5, 4}));
}

TEST(DXDrawListeners, LastRegisteredFirstAndSelfRemovalDuringNotification) {
    std::vector<char> order;
    Named a{'a', &order}, b{'b', &order, true}, c{'c', &order};
    Screen screen;
    screen.dxdraw.AddNotifyListener(a.Listener());
    // b leaves while being told of the initialisation.
    screen.dxdraw.AddNotifyListener(b.Listener());
    screen.dxdraw.AddNotifyListener(c.Listener());
    order.clear();
    screen.dxdraw.NotifyListeners(dxntSetSurfaceSize);
    EXPECT_EQ(std::string(order.begin(), order.end()), "cba");
    order.clear();
    screen.dxdraw.Initialize();
    // 1, 7 and 2 reach all three; b leaves during 2 and hears its own 4 on the way out,
    // a still hears the 2; then 3 and 6 reach only c and a.
    EXPECT_EQ(std::string(order.begin(), order.end()), "cbacbacbbacaca");
}

TEST(DXDrawListeners, AListenerIsItsCallbackAndItsObjectTogether) {
    TwoWays two;
    Screen screen;
    screen.dxdraw.Initialize();
    screen.dxdraw.AddNotifyListener({&TwoWays::First, &two});
    screen.dxdraw.AddNotifyListener({&TwoWays::Second, &two});
    // The second pair joins the first: same object, another callback.
    EXPECT_EQ(two.first, (std::vector<int>{7, 2, 3, 6}));
    EXPECT_EQ(two.second, (std::vector<int>{7, 2, 3, 6}));
    screen.dxdraw.RemoveNotifyListener({&TwoWays::Second, &two});
    EXPECT_EQ(two.second, (std::vector<int>{7, 2, 3, 6, 5, 4}));
    EXPECT_EQ(two.first, (std::vector<int>{7, 2, 3, 6})) << "the other pair of the object stays";
    screen.dxdraw.RemoveNotifyListener({&TwoWays::Second, &two});  // gone already: nothing
    EXPECT_EQ(two.second.size(), 6u);
    screen.dxdraw.NotifyListeners(dxntRestore);
    EXPECT_EQ(two.first.back(), 6);
    EXPECT_EQ(two.second.size(), 6u);
    // Adding a pair that is there moves it: it hears the removal, then the replay.
    two.first.clear();
    screen.dxdraw.AddNotifyListener({&TwoWays::First, &two});
    EXPECT_EQ(two.first, (std::vector<int>{5, 4, 7, 2, 3, 6}));
    screen.dxdraw.RemoveNotifyListener({&TwoWays::First, &two});
}

TEST(DXDrawOptions, EffectiveOptionsFollowTheRules) {
    Screen screen;
    TCustomDXDraw& d = screen.dxdraw;
    EXPECT_EQ(d.NowOptions(), doWaitVBlank | doCenter);  // the defaults without full screen or 3-D
    d.SetOptions(doFlip | doCenter);
    EXPECT_EQ(d.NowOptions(), doCenter);
    d.SetOptions(doFullScreen | doFlip | doSystemMemory);
    EXPECT_EQ(d.NowOptions(), doFullScreen | doSystemMemory);
    d.SetOptions(do3D | doDirectX7Mode | doRetainedMode | doHardware);
    EXPECT_EQ(d.NowOptions(), do3D | doDirectX7Mode);
    d.SetOptions(doFlip);
    d.Initialize();
    EXPECT_NE(d.Primary(), nullptr);
    EXPECT_EQ(d.Primary()->SurfaceDesc().dwBackBufferCount, 0u);  // the Blt driver
    d.SetOptions(doFullScreen | doStretch);
    EXPECT_EQ(d.NowOptions() & (doFullScreen | doStretch), doStretch);
}

TEST(DXDrawModes, SearchFindsTheNearestQualifyingMode) {
    platform::ddraw::DeviceConfig only32 = fixtures::SmallDevice();
    only32.Modes = {{640, 480, 32}, {800, 600, 32}};
    {
        Screen screen(only32);
        auto& disp = screen.dxdraw.Display();
        disp.SetWidth(800), disp.SetHeight(600), disp.SetBitCount(16);
        disp.FixedBitCount = false;
        screen.dxdraw.SetOptions(doFullScreen);
        screen.dxdraw.Initialize();
        EXPECT_EQ(disp.BitCount(), 32);
        EXPECT_EQ(screen.presenter.Width(), 800);
        screen.dxdraw.Finalize();
        disp.SetBitCount(16);
        disp.FixedBitCount = true;
        try {
            screen.dxdraw.Initialize();
            FAIL();
        } catch (const EDXDrawError& e) {
            EXPECT_STREQ(e.what(), "Display mode cannot be changed (800x600 16bit)");
        }
        EXPECT_FALSE(screen.dxdraw.Initialized());
    }
    platform::ddraw::DeviceConfig mixed = fixtures::SmallDevice();
    mixed.Modes = {{1024, 768, 16}, {800, 600, 32}, {800, 600, 16}, {1280, 720, 16}};
    Screen screen(mixed);
    auto& disp = screen.dxdraw.Display();
    EXPECT_EQ(disp.Count(), 4);
    EXPECT_EQ(disp.Modes(0).Width(), 800);
    EXPECT_EQ(disp.Modes(1).BitCount(), 32);
    EXPECT_EQ(disp.IndexOf(1280, 720, 16), 3);
    EXPECT_EQ(disp.IndexOf(1280, 720, 32), -1);
    disp.FixedBitCount = false;
    screen.dxdraw.SetOptions(doFullScreen);
    screen.dxdraw.Initialize();
    EXPECT_TRUE(disp.DynSetDisplayMode(800, 600, 24));
    EXPECT_EQ(disp.BitCount(), 32);
    EXPECT_TRUE(disp.DynSetDisplayMode(640, 480, 16));
    EXPECT_EQ(disp.Width(), 800);
    EXPECT_EQ(disp.BitCount(), 16);
    EXPECT_FALSE(disp.DynSetDisplayMode(0, 480, 16));
    EXPECT_FALSE(disp.DynSetDisplayMode(640, 480, 15));
    EXPECT_THROW(disp.SetBitCount(12), EDirectDrawError);
}

TEST(DXDrawLifecycle, LostSurfacesRestoreAtCanDrawAndNotify) {
    Recorder r;
    Screen screen;
    screen.dxdraw.AddNotifyListener(r.Listener());
    screen.dxdraw.Initialize();
    r.codes.clear();
    screen.dxdraw.Surface()->Fill(0x1234);
    screen.dxdraw.DDraw()->IDraw().LoseAllSurfaces();
    EXPECT_TRUE(screen.dxdraw.CanDraw());
    EXPECT_EQ(r.codes, (std::vector<int>{6}));
    EXPECT_EQ(screen.dxdraw.Surface()->Pixel(0, 0), 0u);
    EXPECT_THROW(TDXDraw(screen.presenter).Initialize(), EDXDrawError);  // no form
}

TEST(DXDrawLifecycle, FlipCentresTheBackSurfaceAndTheFormHookInitializesAndFinalizes) {
    Screen screen;
    screen.dxdraw.AutoInitialize = true;
    screen.dxdraw.SetAutoSize(false);
    screen.dxdraw.SetSize(100, 50);
    screen.form.Show();  // shown: the hook initialises
    ASSERT_TRUE(screen.dxdraw.Initialized());
    EXPECT_EQ(screen.dxdraw.SurfaceWidth(), 100);
    screen.dxdraw.Surface()->Fill(0xFFFF);
    screen.dxdraw.Flip();
    const auto frame = screen.presenter.ReadFrame();
    ASSERT_EQ(frame.Width, 320);
    EXPECT_EQ(frame.Pixels[95 * 320 + 110], 0xFFFF);  // (320-100)/2, (240-50)/2
    EXPECT_EQ(frame.Pixels[94 * 320 + 110], 0);
    EXPECT_EQ(frame.Pixels[95 * 320 + 109], 0);
    screen.form.Close();
    EXPECT_FALSE(screen.dxdraw.Initialized());
}

TEST(DXForms, ToolWindowBitFollowsTheLiveForms) {
    auto& app = platform::display::ApplicationWindow();
    {
        TDXForm a;
        EXPECT_TRUE(app.ExStyle & platform::display::WS_EX_TOOLWINDOW);
        {
            TDXForm b;
        }
        EXPECT_TRUE(app.ExStyle & platform::display::WS_EX_TOOLWINDOW);
        a.Perform(platform::display::WM_SYSCOMMAND, platform::display::SC_MINIMIZE);
        EXPECT_EQ(a.State, platform::display::WindowState::Minimized);
    }
    EXPECT_FALSE(app.ExStyle & platform::display::WS_EX_TOOLWINDOW);
}
