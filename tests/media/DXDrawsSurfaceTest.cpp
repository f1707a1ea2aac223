#include <gtest/gtest.h>

#include "DisplayFixtures.h"

using namespace media;
using fixtures::Screen;
using fixtures::To565;

namespace {

struct Surfaces : ::testing::Test {
    platform::display::HeadlessPresenter presenter;
    TDirectDraw ddraw{presenter, fixtures::SmallDevice()};
    // 8x4 source numbered x + 16 * y + 1.
    std::unique_ptr<TDirectDrawSurface> Source() {
        auto s = std::make_unique<TDirectDrawSurface>(ddraw);
        s->SetSize(8, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) s->SetPixel(x, y, uint32_t(x + 16 * y + 1));
        return s;
    }
    std::unique_ptr<TDirectDrawSurface> Dest(int w = 16, int h = 8) {
        auto s = std::make_unique<TDirectDrawSurface>(ddraw);
        s->SetSize(w, h);
        return s;
    }
};

}  // namespace

TEST_F(Surfaces, ClippedDrawAtNegativePositionCopiesOnlyTheVisiblePart) {
    auto src = Source();
    auto dst = Dest();
    dst->Draw(-3, -2, {0, 0, 8, 4}, src.get(), false);
    EXPECT_EQ(dst->Pixel(0, 0), 3u + 16 * 2 + 1);  // source (3, 2)
    EXPECT_EQ(dst->Pixel(4, 1), 7u + 16 * 3 + 1);
    EXPECT_EQ(dst->Pixel(5, 0), 0u);
    EXPECT_EQ(dst->Pixel(0, 2), 0u);
    // Off the right and bottom edges too, with a source rectangle inside the surface.
    dst->Draw(14, 7, {2, 1, 6, 3}, src.get(), false);
    EXPECT_EQ(dst->Pixel(14, 7), 2u + 16 + 1);
    EXPECT_EQ(dst->Pixel(15, 7), 3u + 16 + 1);
    // Nothing at all when wholly outside.
    auto before = dst->Pixel(0, 0);
    dst->Draw(-8, 0, {0, 0, 8, 4}, src.get(), false);
    dst->Draw(16, 0, {0, 0, 8, 4}, src.get(), false);
    EXPECT_EQ(dst->Pixel(0, 0), before);
}

TEST_F(Surfaces, ReversedRectanglesMirrorAlsoWhenClipped) {
    auto src = Source();
    auto dst = Dest();
    dst->Draw(0, 0, {8, 0, 0, 4}, src.get(), false);  // left-right
    EXPECT_EQ(dst->Pixel(0, 0), 8u);
    EXPECT_EQ(dst->Pixel(7, 0), 1u);
    dst->Draw(8, 0, {0, 4, 8, 0}, src.get(), false);  // up-down
    EXPECT_EQ(dst->Pixel(8, 0), 1u + 16 * 3);
    EXPECT_EQ(dst->Pixel(8, 3), 1u);
    // A mirrored pattern not at the surface's edge, cut at the left: the visible part is
    // what an unclipped mirror would show there.
    auto d2 = Dest();
    d2->Draw(-1, 0, {6, 0, 2, 4}, src.get(), false);  // source columns 2..5 reversed
    EXPECT_EQ(d2->Pixel(0, 0), 5u);  // column 4 (value 5) lands at x = 0
    EXPECT_EQ(d2->Pixel(2, 0), 3u);
}

TEST_F(Surfaces, KeyPixelsAreSkippedAndColorMatchUsesThePictureTruncation) {
    auto src = Source();
    auto dst = Dest();
    dst->Fill(0x7777);
    src->SetTransparentColor(2);
    dst->Draw(0, 0, {0, 0, 8, 4}, src.get(), true);
    EXPECT_EQ(dst->Pixel(0, 0), 1u);
    EXPECT_EQ(dst->Pixel(1, 0), 0x7777u);
    dst->Draw(0, 0, {0, 0, 8, 4}, src.get(), false);
    EXPECT_EQ(dst->Pixel(1, 0), 2u);
    // The key computed from a colour equals the value a loaded picture holds for it.
    const uint32_t colour = 0xC86432;  // $RRGGBB
    auto pic = std::make_unique<TDirectDrawSurface>(ddraw);
    pic->LoadFromGraphic(fixtures::Picture(2, 1, [&](int, int) { return colour; }));
    EXPECT_EQ(pic->Pixel(0, 0), To565(colour));
    EXPECT_EQ(pic->ColorMatch(RGBColor(0xC8, 0x64, 0x32)), pic->Pixel(1, 0));
    // And ColorMatch leaves the surface alone.
    EXPECT_EQ(pic->Pixel(0, 0), To565(colour));
}

TEST_F(Surfaces, PixelsOutsideReadZeroAndWriteNothing) {
    auto s = Dest(4, 4);
    s->Fill(0x1111);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}}) {
        EXPECT_EQ(s->Pixel(x, y), 0u);
        s->SetPixel(x, y, 0xFFFF);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(s->Pixel(x, y), 0x1111u);
    TDirectDrawSurface empty(ddraw);
    EXPECT_EQ(empty.Pixel(0, 0), 0u);
    EXPECT_EQ(empty.ColorMatch(0xFFFFFF), 0u);
}

TEST_F(Surfaces, LocksAreCountedAndAFailedLockReleasesNothing) {
    auto s = Dest(4, 4);
    platform::ddraw::DDSURFACEDESC d;
    s->Unlock();  // nothing held: nothing happens
    EXPECT_EQ(s->LockCount(), 0);
    ASSERT_TRUE(s->Lock(nullptr, d));
    EXPECT_FALSE(s->Lock(nullptr, d));
    // A pixel access while someone holds the lock fails without dropping that lock.
    EXPECT_EQ(s->Pixel(0, 0), 0u);
    EXPECT_EQ(s->LockCount(), 1);
    EXPECT_TRUE(s->IDDSurface()->Locked());
    // An alpha draw of the surface onto itself: the second lock is refused, the first undone.
    s->Unlock();
    s->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, s.get(), false, 128);
    EXPECT_EQ(s->LockCount(), 0);
    EXPECT_FALSE(s->IDDSurface()->Locked());
    ASSERT_TRUE(s->Lock(nullptr, d));
    s->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, s.get(), false, 128);
    EXPECT_EQ(s->LockCount(), 1);  // the caller's lock survives
    s->Unlock();
}

TEST_F(Surfaces, AlphaFullCopiesZeroDrawsNothingHalfBlends) {
    auto src = std::make_unique<TDirectDrawSurface>(ddraw);
    src->SetSize(4, 4);
    src->Fill(To565(0xF8FCF8));  // near white
    src->SetPixel(0, 0, 0);
    src->SetTransparentColor(0);
    auto dst = Dest(4, 4);
    dst->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, src.get(), true, 0);
    EXPECT_EQ(dst->Pixel(1, 1), 0u);
    dst->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, src.get(), true, 255);
    EXPECT_EQ(dst->Pixel(1, 1), To565(0xF8FCF8));
    dst->Fill(0);
    dst->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, src.get(), false, 128);
    const uint32_t half = dst->Pixel(1, 1);
    const uint32_t r = half >> 11;
    EXPECT_GE(r, 14u);
    EXPECT_LE(r, 16u);
    dst->Fill(0x001F);
    dst->DrawAlpha({0, 0, 4, 4}, {0, 0, 4, 4}, src.get(), true, 255);
    EXPECT_EQ(dst->Pixel(0, 0), 0x001Fu);  // key pixel skipped
}

TEST(SurfaceMemory, ZeroVideoBudgetFallsBackToSystemMemory) {
    platform::display::HeadlessPresenter presenter;
    TDirectDraw ddraw(presenter, fixtures::SmallDevice(0));
    TDirectDrawSurface s(ddraw);
    EXPECT_FALSE(s.SystemMemory);
    s.SetSize(32, 16);
    EXPECT_TRUE(s.SystemMemory);
    EXPECT_EQ(s.Width(), 32);
    EXPECT_TRUE(s.SurfaceDesc().ddsCaps & platform::ddraw::DDSCAPS_SYSTEMMEMORY);
    s.SetSize(0, 5);
    EXPECT_EQ(s.IDDSurface(), nullptr);
}

TEST(SurfaceMemory, FailureTextsAndRoundTripThroughAPicture) {
    platform::display::HeadlessPresenter presenter;
    TDirectDraw ddraw(presenter, fixtures::SmallDevice());
    TDirectDrawSurface s(ddraw);
    try {
        s.SetSize(100000, 4);
        FAIL();
    } catch (const EDirectDrawSurfaceError& e) {
        EXPECT_STREQ(e.what(), "Surface cannot be made");
    }
    TDirectDrawPalette palette(ddraw);
    EXPECT_THROW(palette.IDDPalette(), EDirectDrawPaletteError);
    auto pic = fixtures::Picture(3, 2, [](int x, int y) { return uint32_t(x * 0x400000 + y * 0x8000 + 0x18); });
    s.LoadFromGraphic(pic);
    TDirectDrawSurface copy(ddraw);
    copy.Assign(s);
    TDIB out;
    copy.AssignTo(out);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(fixtures::To565(out.PixelColor(x, y)), s.Pixel(x, y));
}
