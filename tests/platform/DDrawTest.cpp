#include <gtest/gtest.h>

#include <cstring>

#include "platform/ddraw/DDraw.h"
#include "platform/window/Application.h"

namespace dd = platform::ddraw;
using platform::display::HeadlessPresenter;

namespace {

struct Device {
    HeadlessPresenter presenter;
    dd::DirectDraw draw{presenter, Config()};
    static dd::DeviceConfig Config(size_t video = size_t(8) << 20) {
        dd::DeviceConfig c;
        c.Modes = {{640, 480, 16}, {800, 600, 16}, {800, 600, 32}};
        c.VideoMemory = video;
        return c;
    }
    std::shared_ptr<dd::DirectDrawSurface> Plain(int w, int h, uint32_t caps = dd::DDSCAPS_OFFSCREENPLAIN,
                                                 dd::HRESULT* result = nullptr) {
        dd::DDSURFACEDESC d;
        d.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
        d.dwWidth = uint32_t(w);
        d.dwHeight = uint32_t(h);
        d.ddsCaps = caps;
        std::shared_ptr<dd::DirectDrawSurface> s;
        const dd::HRESULT hr = draw.CreateSurface(d, s);
        if (result) *result = hr;
        return s;
    }
};

uint16_t At(dd::DirectDrawSurface& s, int x, int y) {
    dd::DDSURFACEDESC d;
    EXPECT_EQ(s.Lock(nullptr, d, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    uint16_t v;
    std::memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * 2, 2);
    s.Unlock(d.lpSurface);
    return v;
}

void Put(dd::DirectDrawSurface& s, int x, int y, uint16_t v) {
    dd::DDSURFACEDESC d;
    ASSERT_EQ(s.Lock(nullptr, d, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * 2, &v, 2);
    s.Unlock(d.lpSurface);
}

// A source whose pixel (x, y) holds x + 16 * y + 1.
std::shared_ptr<dd::DirectDrawSurface> Numbered(Device& dev, int w, int h) {
    auto s = dev.Plain(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(*s, x, y, uint16_t(x + 16 * y + 1));
    return s;
}

}  // namespace

TEST(DDrawSurface, DescribesRgb565WithAlignedPitchAndRefusesSecondLock) {
    Device dev;
    auto s = dev.Plain(3, 2);
    dd::DDSURFACEDESC d;
    ASSERT_EQ(s->Lock(nullptr, d, 0, nullptr), dd::DD_OK);
    EXPECT_EQ(d.lPitch, 8);
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(d.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    dd::DDSURFACEDESC again;
    EXPECT_EQ(s->Lock(nullptr, again, 0, nullptr), dd::DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Blt(nullptr, s.get(), nullptr, 0, nullptr), dd::DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(d.lpSurface), dd::DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), dd::DDERR_NOTLOCKED);
    const dd::RECT part{1, 1, 3, 2};
    ASSERT_EQ(s->Lock(&part, d, 0, nullptr), dd::DD_OK);
    EXPECT_EQ(d.dwWidth, 2u);
    s->Unlock(nullptr);
}

TEST(DDrawSurface, BltStretchesMirrorsKeysAndFills) {
    Device dev;
    auto src = Numbered(dev, 4, 2);
    auto dst = dev.Plain(8, 4);
    // Stretch 4x2 onto 8x4: every source pixel becomes a 2x2 block.
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, dd::DDBLT_WAIT, nullptr), dd::DD_OK);
    EXPECT_EQ(At(*dst, 0, 0), 1);
    EXPECT_EQ(At(*dst, 1, 1), 1);
    EXPECT_EQ(At(*dst, 7, 3), 4 + 16 + 0);
    // Mirror both ways into a 4x2 rectangle.
    dd::DDBLTFX fx;
    fx.dwDDFX = dd::DDBLTFX_MIRRORLEFTRIGHT | dd::DDBLTFX_MIRRORUPDOWN;
    const dd::RECT r{0, 0, 4, 2};
    ASSERT_EQ(dst->Blt(&r, src.get(), nullptr, dd::DDBLT_DDFX, &fx), dd::DD_OK);
    EXPECT_EQ(At(*dst, 0, 0), 4 + 16);
    EXPECT_EQ(At(*dst, 3, 1), 1);
    // Colour fill, then a keyed copy leaves the key pixels alone.
    fx.dwFillColor = 0x1234;
    ASSERT_EQ(dst->Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL, &fx), dd::DD_OK);
    const dd::DDCOLORKEY key{2, 3};
    src->SetColorKey(dd::DDCKEY_SRCBLT, &key);
    ASSERT_EQ(dst->BltFast(0, 0, src.get(), nullptr, dd::DDBLTFAST_SRCCOLORKEY), dd::DD_OK);
    EXPECT_EQ(At(*dst, 0, 0), 1);
    EXPECT_EQ(At(*dst, 1, 0), 0x1234);
    EXPECT_EQ(At(*dst, 2, 0), 0x1234);
    EXPECT_EQ(At(*dst, 3, 0), 4);
    // A single-value key along a row long enough for every step width and a tail.
    auto row = dev.Plain(45, 1), under = dev.Plain(45, 1);
    for (int x = 0; x < 45; ++x) Put(*row, x, 0, x % 3 ? uint16_t(100 + x) : 0xF81F);
    const dd::DDCOLORKEY magenta{0xF81F, 0xF81F};
    row->SetColorKey(dd::DDCKEY_SRCBLT, &magenta);
    fx.dwFillColor = 7;
    ASSERT_EQ(under->Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL, &fx), dd::DD_OK);
    ASSERT_EQ(under->BltFast(0, 0, row.get(), nullptr, dd::DDBLTFAST_SRCCOLORKEY), dd::DD_OK);
    for (int x = 0; x < 45; ++x) EXPECT_EQ(At(*under, x, 0), x % 3 ? 100 + x : 7) << x;
}

TEST(DDrawSurface, BltFastRefusesToClipAndBltClipsToTheClipper) {
    Device dev;
    auto src = Numbered(dev, 4, 4);
    auto dst = dev.Plain(4, 4);
    EXPECT_EQ(dst->BltFast(2, 2, src.get(), nullptr, 0), dd::DDERR_INVALIDRECT);
    std::shared_ptr<dd::DirectDrawClipper> clipper;
    dev.draw.CreateClipper(clipper);
    dst->SetClipper(clipper);
    EXPECT_EQ(dst->BltFast(0, 0, src.get(), nullptr, 0), dd::DDERR_BLTFASTCANTCLIP);
    const dd::RECT off{2, 2, 6, 6};
    ASSERT_EQ(dst->Blt(&off, src.get(), nullptr, 0, nullptr), dd::DD_OK);
    EXPECT_EQ(At(*dst, 2, 2), 1);
    EXPECT_EQ(At(*dst, 3, 3), 1 + 1 + 16);
    EXPECT_EQ(At(*dst, 1, 1), 0);
}

TEST(DDrawDevice, VideoBudgetRefusesThenSystemMemorySucceeds) {
    HeadlessPresenter presenter;
    dd::DirectDraw draw(presenter, Device::Config(0));
    Device helper;
    dd::DDSURFACEDESC d;
    d.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    d.dwWidth = d.dwHeight = 16;
    d.ddsCaps = dd::DDSCAPS_OFFSCREENPLAIN;
    std::shared_ptr<dd::DirectDrawSurface> s;
    EXPECT_EQ(draw.CreateSurface(d, s), dd::DDERR_OUTOFVIDEOMEMORY);
    d.ddsCaps |= dd::DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(draw.CreateSurface(d, s), dd::DD_OK);
    EXPECT_TRUE(s->Caps() & dd::DDSCAPS_SYSTEMMEMORY);
    EXPECT_FALSE(s->Caps() & dd::DDSCAPS_VIDEOMEMORY);
    // Freed video surfaces give their memory back.
    const size_t before = helper.draw.VideoMemoryFree();
    { auto v = helper.Plain(64, 64); EXPECT_LT(helper.draw.VideoMemoryFree(), before); }
    EXPECT_EQ(helper.draw.VideoMemoryFree(), before);
}

TEST(DDrawDevice, ModeChangeLosesSurfacesAndRestoreRecovers) {
    Device dev;
    auto s = dev.Plain(4, 4);
    EXPECT_EQ(dev.draw.SetDisplayMode(800, 600, 16), dd::DDERR_INVALIDPARAMS);  // not exclusive
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DD_OK);
    EXPECT_EQ(dev.draw.SetDisplayMode(1024, 768, 16), dd::DDERR_INVALIDMODE);
    ASSERT_EQ(dev.draw.SetDisplayMode(800, 600, 32), dd::DD_OK);
    EXPECT_EQ(s->IsLost(), dd::DDERR_SURFACELOST);
    dd::DDSURFACEDESC d;
    EXPECT_EQ(s->Lock(nullptr, d, 0, nullptr), dd::DDERR_SURFACELOST);
    EXPECT_EQ(s->Restore(), dd::DD_OK);
    EXPECT_EQ(s->IsLost(), dd::DD_OK);
    EXPECT_EQ(dev.presenter.Width(), 800);
}

TEST(DDrawDevice, FlipChainPresentsTheBackBuffer) {
    Device dev;
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DD_OK);
    ASSERT_EQ(dev.draw.SetDisplayMode(640, 480, 16), dd::DD_OK);
    dd::DDSURFACEDESC d;
    d.dwFlags = dd::DDSD_CAPS | dd::DDSD_BACKBUFFERCOUNT;
    d.dwBackBufferCount = 1;
    d.ddsCaps = dd::DDSCAPS_PRIMARYSURFACE | dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX;
    std::shared_ptr<dd::DirectDrawSurface> primary, back, second;
    ASSERT_EQ(dev.draw.CreateSurface(d, primary), dd::DD_OK);
    EXPECT_EQ(dev.draw.CreateSurface(d, second), dd::DDERR_PRIMARYSURFACEALREADYEXISTS);
    ASSERT_EQ(primary->GetAttachedSurface(dd::DDSCAPS_BACKBUFFER, back), dd::DD_OK);
    Put(*back, 5, 7, 0xBEEF);
    ASSERT_EQ(primary->Flip(nullptr, dd::DDFLIP_WAIT), dd::DD_OK);
    const auto frame = dev.presenter.ReadFrame();
    ASSERT_EQ(frame.Width, 640);
    EXPECT_EQ(frame.Pixels[7 * 640 + 5], 0xBEEF);
    EXPECT_EQ(At(*back, 5, 7), 0);  // the old front is now behind
    const auto bmp = platform::display::EncodeBmp(frame);
    EXPECT_EQ(bmp.size(), 54u + 640u * 3u * 480u);
}

namespace {

std::shared_ptr<dd::DirectDrawSurface> Primary(Device& dev, bool chain = false) {
    dd::DDSURFACEDESC d;
    d.dwFlags = dd::DDSD_CAPS | (chain ? dd::DDSD_BACKBUFFERCOUNT : 0);
    d.dwBackBufferCount = chain ? 1 : 0;
    d.ddsCaps = dd::DDSCAPS_PRIMARYSURFACE | (chain ? dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX : 0);
    std::shared_ptr<dd::DirectDrawSurface> s;
    EXPECT_EQ(dev.draw.CreateSurface(d, s), dd::DD_OK);
    return s;
}

void FillAll(dd::DirectDrawSurface& s, uint32_t colour) {
    dd::DDBLTFX fx;
    fx.dwFillColor = colour;
    ASSERT_EQ(s.Blt(nullptr, nullptr, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &fx), dd::DD_OK);
}

}  // namespace

TEST(DDrawDevice, AVerticalBlankWaitMakesTheNextPresentOnTheRefresh) {
    Device dev;
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL), dd::DD_OK);
    auto primary = Primary(dev);
    EXPECT_EQ(dev.draw.WaitForVerticalBlank(0x4), dd::DDERR_UNSUPPORTED);  // the end of the blank
    ASSERT_EQ(dev.draw.WaitForVerticalBlank(dd::DDWAITVB_BLOCKBEGIN), dd::DD_OK);
    FillAll(*primary, 0x1234);
    EXPECT_EQ(dev.presenter.PresentCount(), 1);
    EXPECT_EQ(dev.presenter.VSyncPresentCount(), 1);
    FillAll(*primary, 0x4321);  // no wait asked for this one
    EXPECT_EQ(dev.presenter.PresentCount(), 2);
    EXPECT_EQ(dev.presenter.VSyncPresentCount(), 1);
    EXPECT_FALSE(dev.presenter.VSync());
}

TEST(DDrawDevice, TheDesktopComesBackOnDeactivationAndWhenTheScreenIsGivenUp) {
    auto& app = platform::window::App();
    Device dev;
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DD_OK);
    ASSERT_EQ(dev.draw.SetDisplayMode(800, 600, 16), dd::DD_OK);
    EXPECT_TRUE(dev.presenter.FullScreen());
    auto primary = Primary(dev, true);
    // The form's deactivation in flip mode: the desktop, once, until the next frame.
    ASSERT_EQ(dev.draw.FlipToGDISurface(), dd::DD_OK);
    EXPECT_FALSE(dev.presenter.FullScreen());
    EXPECT_TRUE(dev.draw.DesktopShown());
    EXPECT_EQ(dev.draw.FlipToGDISurface(), dd::DD_OK);
    EXPECT_EQ(dev.presenter.DesktopReturns(), 1);
    ASSERT_EQ(primary->Flip(nullptr, dd::DDFLIP_WAIT), dd::DD_OK);
    EXPECT_TRUE(dev.presenter.FullScreen());
    EXPECT_EQ(dev.presenter.FullScreenEntries(), 2);
    // Switching to another application gives the screen back as well.
    app.SetActive(false);
    EXPECT_FALSE(dev.presenter.FullScreen());
    app.SetActive(true);
    EXPECT_FALSE(dev.presenter.FullScreen()) << "taken again by the next frame, not before";
    ASSERT_EQ(primary->Flip(nullptr, dd::DDFLIP_WAIT), dd::DD_OK);
    EXPECT_TRUE(dev.presenter.FullScreen());
    // Ending exclusive use restores the desktop's mode.
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL), dd::DD_OK);
    EXPECT_FALSE(dev.presenter.FullScreen());
    EXPECT_FALSE(dev.draw.DisplayModeSet());
    app.SetActive(false);  // no longer holding the screen: nothing to give back
    app.SetActive(true);
    EXPECT_EQ(dev.presenter.DesktopReturns(), 3);

    HeadlessPresenter screen;
    {
        dd::DirectDraw draw(screen, Device::Config());
        ASSERT_EQ(draw.SetCooperativeLevel(nullptr, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DD_OK);
        ASSERT_EQ(draw.SetDisplayMode(640, 480, 16), dd::DD_OK);
        EXPECT_TRUE(screen.FullScreen());
    }
    EXPECT_FALSE(screen.FullScreen()) << "the device's end restores the desktop's mode";
    EXPECT_EQ(screen.DesktopReturns(), 1);
}

TEST(DDrawSurface, OnlyWholeSurfaceWritesPresentAtTheirUnlock) {
    Device dev;
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL), dd::DD_OK);
    auto primary = Primary(dev);
    dd::DDSURFACEDESC d;
    ASSERT_EQ(primary->Lock(nullptr, d, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    primary->Unlock(d.lpSurface);
    EXPECT_EQ(dev.presenter.PresentCount(), 1);
    ASSERT_EQ(primary->Lock(nullptr, d, dd::DDLOCK_WAIT | dd::DDLOCK_READONLY, nullptr), dd::DD_OK);
    primary->Unlock(d.lpSurface);
    const dd::RECT pixel{3, 4, 4, 5};
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(primary->Lock(&pixel, d, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
        *static_cast<uint16_t*>(d.lpSurface) = 0xF800;
        primary->Unlock(d.lpSurface);
    }
    EXPECT_EQ(dev.presenter.PresentCount(), 1) << "reads and partial writes wait for the next present";
    FillAll(*primary, 0);
    EXPECT_EQ(dev.presenter.PresentCount(), 2);
}

TEST(DDrawSurface, AClippedStretchFromFarLeftStartsAtTheExactColumn) {
    Device dev;
    auto source = Numbered(dev, 100, 1);  // column x holds x + 1
    auto dest = dev.Plain(800, 2);
    std::shared_ptr<dd::DirectDrawClipper> clipper;
    ASSERT_EQ(dev.draw.CreateClipper(clipper), dd::DD_OK);
    ASSERT_EQ(dest->SetClipper(clipper), dd::DD_OK);
    // Sixteen times wider than the source, starting 800 pixels off the left edge.
    const dd::RECT half{-800, 0, 800, 2};
    ASSERT_EQ(dest->Blt(&half, source.get(), nullptr, dd::DDBLT_WAIT, nullptr), dd::DD_OK);
    EXPECT_EQ(At(*dest, 0, 0), 51);
    EXPECT_EQ(At(*dest, 799, 1), 100);
    // A destination over two thousand million pixels wide: the visible part is the last column.
    const dd::RECT far{-2147483000, 0, 800, 2};
    ASSERT_EQ(dest->Blt(&far, source.get(), nullptr, dd::DDBLT_WAIT, nullptr), dd::DD_OK);
    for (int x : {0, 400, 799}) EXPECT_EQ(At(*dest, x, 0), 100) << x;
    // Mirrored, the same cut shows the first column.
    dd::DDBLTFX fx;
    fx.dwDDFX = dd::DDBLTFX_MIRRORLEFTRIGHT;
    ASSERT_EQ(dest->Blt(&far, source.get(), nullptr, dd::DDBLT_WAIT | dd::DDBLT_DDFX, &fx), dd::DD_OK);
    EXPECT_EQ(At(*dest, 400, 0), 1);
}

TEST(DDrawSurface, AWholeCopyToThePrimaryGoesStraightToTheScreenAndIsReadBackFromIt) {
    Device dev;
    ASSERT_EQ(dev.draw.SetCooperativeLevel(nullptr, dd::DDSCL_NORMAL), dd::DD_OK);
    auto primary = Primary(dev);
    const int w = primary->Width(), h = primary->Height();
    auto back = dev.Plain(w, h);
    dd::DDSURFACEDESC d;
    ASSERT_EQ(back->Lock(nullptr, d, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint16_t v = uint16_t(x * 7 + y * 13);
            std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * 2, &v, 2);
        }
    back->Unlock(d.lpSurface);
    const auto straight = [&] {
        ASSERT_EQ(primary->Blt(nullptr, back.get(), nullptr, dd::DDBLT_WAIT, nullptr), dd::DD_OK);
        EXPECT_TRUE(primary->FrameOnScreenOnly());
        EXPECT_EQ(dev.presenter.ReadFrame().Pixels[size_t(9 * w + 8)], uint16_t(8 * 7 + 9 * 13));
    };
    straight();
    EXPECT_EQ(At(*primary, 8, 9), uint16_t(8 * 7 + 9 * 13)) << "a lock reads the screen";
    EXPECT_FALSE(primary->FrameOnScreenOnly());
    // A part written over the screen's frame keeps the rest of it, presented and in memory.
    straight();
    auto small = Numbered(dev, 4, 4);
    ASSERT_EQ(primary->BltFast(100, 50, small.get(), nullptr, dd::DDBLTFAST_WAIT), dd::DD_OK);
    EXPECT_EQ(dev.presenter.ReadFrame().Pixels[size_t(50 * w + 101)], 2);
    EXPECT_EQ(dev.presenter.ReadFrame().Pixels[size_t(9 * w + 8)], uint16_t(8 * 7 + 9 * 13));
    // A keyed whole copy writes only where the key is not: the screen's frame shows through.
    straight();
    auto keyed = dev.Plain(w, h);
    FillAll(*keyed, 0x0001);
    Put(*keyed, 8, 9, 0x7777);
    const dd::DDCOLORKEY key{0x0001, 0x0001};
    ASSERT_EQ(keyed->SetColorKey(dd::DDCKEY_SRCBLT, &key), dd::DD_OK);
    ASSERT_EQ(primary->Blt(nullptr, keyed.get(), nullptr, dd::DDBLT_WAIT | dd::DDBLT_KEYSRC, nullptr), dd::DD_OK);
    EXPECT_FALSE(primary->FrameOnScreenOnly());
    EXPECT_EQ(At(*primary, 8, 9), 0x7777);
    EXPECT_EQ(At(*primary, 20, 3), uint16_t(20 * 7 + 3 * 13));
    // The primary as a source gives the screen's frame.
    straight();
    auto copy = dev.Plain(w, h);
    ASSERT_EQ(copy->Blt(nullptr, primary.get(), nullptr, dd::DDBLT_WAIT, nullptr), dd::DD_OK);
    EXPECT_EQ(At(*copy, 30, 40), uint16_t(30 * 7 + 40 * 13));
}
