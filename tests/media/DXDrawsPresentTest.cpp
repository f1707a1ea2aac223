// How the display presents: the full-screen flip chain through the component, frames on the
// refresh, the desktop on deactivation and at the end, and pixel accesses that do not present.
#include <gtest/gtest.h>

#include "DisplayFixtures.h"
#include "platform/window/Application.h"

using namespace media;
using fixtures::Recorder;
using fixtures::Screen;
namespace dd = platform::ddraw;

namespace {

dd::DeviceConfig NoSixteenBitAt800() {
    dd::DeviceConfig c = fixtures::SmallDevice();
    c.Modes = {{640, 480, 16}, {800, 600, 32}, {1024, 768, 16}};
    return c;
}

uint16_t FrameAt(Screen& s, int x, int y) {
    const auto frame = s.presenter.ReadFrame();
    return frame.Pixels.at(size_t(y) * size_t(frame.Width) + size_t(x));
}

}  // namespace

TEST(DXDrawFlipDriver, FullScreenFlipChainFromInitializeToFinalize) {
    Screen screen(NoSixteenBitAt800());
    TCustomDXDraw& d = screen.dxdraw;
    Recorder r;
    d.AddNotifyListener(r.Listener());
    d.Display().SetWidth(800), d.Display().SetHeight(600), d.Display().SetBitCount(16);
    d.Display().FixedBitCount = false;
    d.SetOptions(doFullScreen | doFlip);
    r.codes.clear();
    d.Initialize();
    EXPECT_EQ(r.codes, (std::vector<int>{1, 7, 2, 3, 6}));
    // No 800x600 at 16 bits: the search takes the first qualifying size at its highest depth.
    EXPECT_EQ(d.Display().BitCount(), 32);
    EXPECT_TRUE(screen.presenter.FullScreen());
    EXPECT_EQ(screen.presenter.Width(), 800);
    // The chain: a primary with one back buffer, which is the surface the game draws on.
    ASSERT_NE(d.Primary(), nullptr);
    EXPECT_EQ(d.Primary()->SurfaceDesc().dwBackBufferCount, 1u);
    EXPECT_TRUE(d.Surface()->SurfaceDesc().ddsCaps & dd::DDSCAPS_BACKBUFFER);
    EXPECT_EQ(d.Surface()->Width(), 800);

    d.Surface()->Fill(d.Surface()->ColorMatch(RGBColor(255, 0, 0)));
    int presents = screen.presenter.PresentCount();
    d.Flip();
    EXPECT_EQ(screen.presenter.PresentCount(), presents + 1);
    EXPECT_EQ(FrameAt(screen, 400, 300), 0xF800);

    // Deactivated, the form shows the desktop and the chain does not flip.
    screen.form.SetActive(false);
    EXPECT_FALSE(screen.presenter.FullScreen());
    d.Flip();
    EXPECT_EQ(screen.presenter.PresentCount(), presents + 1);
    EXPECT_EQ(d.Primary()->DXResult(), 0);

    // Back again, after the surfaces were lost meanwhile: restored, cleared, told, shown.
    screen.form.SetActive(true);
    d.DDraw()->IDraw().LoseAllSurfaces();
    r.codes.clear();
    d.Flip();
    EXPECT_EQ(r.codes, (std::vector<int>{6}));
    EXPECT_TRUE(screen.presenter.FullScreen());
    EXPECT_GT(screen.presenter.PresentCount(), presents + 1);
    EXPECT_EQ(FrameAt(screen, 400, 300), 0);

    r.codes.clear();
    d.Finalize();
    EXPECT_EQ(r.codes, (std::vector<int>{5, 4}));
    EXPECT_FALSE(screen.presenter.FullScreen()) << "the desktop's mode comes back at the end";
    d.RemoveNotifyListener(r.Listener());
}

TEST(DXDrawPresent, WaitVBlankPresentsOnTheRefreshAndPaintDoesNot) {
    Screen screen;
    TCustomDXDraw& d = screen.dxdraw;
    ASSERT_TRUE(d.NowOptions() & doWaitVBlank);  // among the defaults
    d.Initialize();
    const int presents = screen.presenter.PresentCount();
    d.Flip();
    EXPECT_EQ(screen.presenter.PresentCount(), presents + 1);
    EXPECT_EQ(screen.presenter.VSyncPresentCount(), 1);
    d.Paint();  // flips once without waiting
    EXPECT_EQ(screen.presenter.PresentCount(), presents + 2);
    EXPECT_EQ(screen.presenter.VSyncPresentCount(), 1);
    d.SetOptions(d.Options() & ~doWaitVBlank);  // takes effect while initialised
    d.Flip();
    EXPECT_EQ(screen.presenter.VSyncPresentCount(), 1);
    EXPECT_FALSE(screen.presenter.VSync());
}

TEST(DXDrawPresent, SwitchingAwayFromAFullScreenGameShowsTheDesktop) {
    auto& app = platform::window::App();
    Screen screen;
    TCustomDXDraw& d = screen.dxdraw;
    d.Display().SetWidth(800), d.Display().SetHeight(600), d.Display().SetBitCount(16);
    d.SetOptions(doFullScreen | doCenter);  // the game's display: full screen, the blit driver
    d.Initialize();
    ASSERT_TRUE(screen.presenter.FullScreen());
    app.SetActive(false);
    EXPECT_FALSE(screen.presenter.FullScreen());
    app.SetActive(true);
    d.Flip();
    EXPECT_TRUE(screen.presenter.FullScreen()) << "the first frame back takes the screen again";
    d.Finalize();
    EXPECT_FALSE(screen.presenter.FullScreen());
}

TEST(DXDrawPresent, PixelAccessesOnThePrimaryDoNotPresentTheFrame) {
    Screen screen;
    screen.dxdraw.Initialize();
    TDirectDrawSurface& primary = *screen.dxdraw.Primary();
    const int presents = screen.presenter.PresentCount();
    for (int x = 0; x < 50; ++x) primary.SetPixel(x, 3, 0x07E0);
    EXPECT_EQ(primary.Pixel(10, 3), 0x07E0u);
    TDIB copy;
    primary.AssignTo(copy);
    EXPECT_EQ(copy.Pixel(10, 3), 0x00FF00u);  // $BBGGRR of pure green
    EXPECT_EQ(screen.presenter.PresentCount(), presents) << "shown with the next flip, not per pixel";
    dd::DDSURFACEDESC desc;
    ASSERT_TRUE(primary.Lock(nullptr, desc));
    primary.Unlock();
    EXPECT_EQ(screen.presenter.PresentCount(), presents + 1) << "a whole-surface lock may have drawn anything";
}
