// Canvases of bitmaps and surfaces: text and simple drawing on their pixels, the lock a
// surface's canvas holds until it is released, and what a canvas leaves alone.
#include <gtest/gtest.h>

#include "DisplayFixtures.h"
#include "media/DIBCanvas.h"
#include "media/DXDrawsCanvas.h"

using namespace media;
namespace txt = platform::text;

namespace {

constexpr uint32_t kRed = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;  // TColor

TDIB Blank(int w, int h, int bits, const TPixelFormat& format = PixelFormat888()) {
    TDIB dib;
    dib.PixelFormat = format;
    dib.SetSize(w, h, bits);
    return dib;
}

// Pixels of a colour in a rectangle of the canvas.
int Count(TCanvas& c, uint32_t color, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += c.Pixel(x, y) == color;
    return n;
}

}  // namespace

TEST(DIBCanvas, FillsAndReadsPixelsInEveryDrawableDepth) {
    struct Case {
        int bits;
        TPixelFormat format;
        uint32_t read;  // what reads back of a TColor 0x3366CC after truncation
    };
    for (const Case& c : {Case{24, PixelFormat888(), 0x3366CC}, Case{32, PixelFormat888(), 0x3366CC},
                          Case{16, PixelFormat565(), 0x3165CE}, Case{16, PixelFormat555(), 0x3163CE}}) {
        TDIB dib = Blank(8, 6, c.bits, c.format);
        TCanvas& canvas = dib.Canvas();
        canvas.Brush.Color = 0x3366CC;
        canvas.FillRect({2, 1, 5, 3});
        EXPECT_EQ(canvas.Pixel(2, 1), c.read) << c.bits;
        EXPECT_EQ(canvas.Pixel(4, 2), c.read) << c.bits;
        EXPECT_EQ(canvas.Pixel(5, 2), 0u) << c.bits;  // right and bottom edges left out
        EXPECT_EQ(canvas.Pixel(4, 3), 0u) << c.bits;
        EXPECT_EQ(canvas.Pixel(8, 0), 0xFFFFFFFFu) << c.bits;
        canvas.Release();
    }
    // Rows are stored bottom-up: the top row of the canvas is the picture's top row.
    TDIB dib = Blank(4, 4, 24);
    dib.Canvas().SetPixel(1, 0, kRed);
    EXPECT_EQ(dib.PixelColor(1, 0), 0xFF0000u);
}

TEST(DIBCanvas, AnIndexedOrEmptyPictureDrawsNothing) {
    TDIB indexed = Blank(8, 8, 8);
    indexed.Canvas().Brush.Color = kWhite;
    indexed.Canvas().FillRect({0, 0, 8, 8});
    EXPECT_EQ(indexed.Pixel(3, 3), 0u);
    EXPECT_EQ(indexed.Canvas().Pixel(3, 3), 0xFFFFFFFFu);
    TDIB empty;
    empty.Canvas().TextOut(0, 0, "x");
    EXPECT_TRUE(empty.Empty());
}

TEST(DIBCanvas, DrawingMakesThePictureItsOwnFirst) {
    TDIB a = Blank(6, 6, 24);
    TDIB b;
    b.Assign(a);
    ASSERT_TRUE(a.SharesImageWith(b));
    a.Canvas().Brush.Color = kRed;
    a.Canvas().FillRect({0, 0, 6, 6});
    EXPECT_FALSE(a.SharesImageWith(b));
    EXPECT_EQ(b.PixelColor(3, 3), 0u);
    EXPECT_EQ(a.PixelColor(3, 3), 0xFF0000u);
}

TEST(DIBCanvas, TextDrawsInTheFontColourOnAClearOrASolidBrush) {
    TDIB dib = Blank(120, 40, 24);
    TCanvas& canvas = dib.Canvas();
    canvas.Brush.Color = kWhite;
    canvas.FillRect({0, 0, 120, 40});
    canvas.Font.Name = "Arial";
    canvas.Font.Height = -20;
    canvas.Font.Color = kRed;
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.TextOut(5, 5, "Wall");
    const int ink = Count(canvas, kRed, 0, 0, 120, 40);
    EXPECT_GT(ink, 20);
    EXPECT_EQ(ink + Count(canvas, kWhite, 0, 0, 120, 40), 120 * 40);  // monochrome: ink or paper
    EXPECT_EQ(canvas.Pixel(2, 2), kWhite);
    const int w = canvas.TextWidth("Wall"), h = canvas.TextHeight("Wall");
    EXPECT_GT(w, 20);
    EXPECT_GE(h, 20);
    // A solid brush fills the text's cell first.
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Brush.Color = kBlack;
    canvas.TextOut(5, 5, "Wall");
    EXPECT_EQ(Count(canvas, kRed, 0, 0, 120, 40), ink);
    EXPECT_EQ(Count(canvas, kBlack, 0, 0, 120, 40), w * h - ink);
    // DT_CALCRECT measures without drawing.
    TRect r{10, 10, 10, 10};
    canvas.Brush.Color = kWhite;
    canvas.FillRect({0, 0, 120, 40});
    EXPECT_EQ(canvas.DrawText("Wall", r, txt::DT_CALCRECT), h);
    EXPECT_EQ(r.Right - r.Left, w);
    EXPECT_EQ(Count(canvas, kRed, 0, 0, 120, 40), 0);
    canvas.Release();
}

TEST(DIBCanvas, LinesLeaveOutTheirEndAndStayOnThePicture) {
    TDIB dib = Blank(10, 10, 24);
    TCanvas& canvas = dib.Canvas();
    canvas.Pen.Color = kRed;
    canvas.MoveTo(1, 4);
    canvas.LineTo(6, 4);
    EXPECT_EQ(Count(canvas, kRed, 0, 0, 10, 10), 5);
    EXPECT_EQ(canvas.Pixel(6, 4), 0u);
    canvas.MoveTo(-1000000, -1000000);
    canvas.LineTo(1000000, 1000000);  // the diagonal through the picture, nowhere else
    EXPECT_EQ(canvas.Pixel(9, 9), kRed);
    EXPECT_EQ(canvas.Pixel(0, 0), kRed);
    canvas.Brush.Color = kRed;
    canvas.FrameRect({0, 0, 10, 10});
    EXPECT_EQ(canvas.Pixel(9, 5), kRed);
    EXPECT_EQ(canvas.Pixel(5, 3), 0u);
}

namespace {
struct SurfaceCanvas : ::testing::Test {
    platform::display::HeadlessPresenter presenter;
    TDirectDraw ddraw{presenter, fixtures::SmallDevice()};
    std::unique_ptr<TDirectDrawSurface> Surface(int w, int h) {
        auto s = std::make_unique<TDirectDrawSurface>(ddraw);
        s->SetSize(w, h);
        return s;
    }
};
}  // namespace

TEST_F(SurfaceCanvas, TheCanvasLocksTheSurfaceUntilReleased) {
    auto surface = Surface(32, 16);
    auto other = Surface(8, 8);
    TDirectDrawSurfaceCanvas& canvas = surface->Canvas();
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.Brush.Color = kRed;
    canvas.FillRect({0, 0, 4, 4});
    EXPECT_TRUE(canvas.HandleAllocated());
    EXPECT_EQ(surface->LockCount(), 1);
    platform::ddraw::DDSURFACEDESC d;
    EXPECT_FALSE(surface->Lock(nullptr, d));  // held by the canvas, as by a device context
    canvas.Release();
    EXPECT_EQ(surface->LockCount(), 0);
    EXPECT_EQ(surface->Pixel(2, 2), fixtures::To565(0xFF0000));
    EXPECT_EQ(surface->Pixel(4, 4), 0u);
    other->Draw(0, 0, {0, 0, 4, 4}, surface.get(), false);
    EXPECT_EQ(other->Pixel(1, 1), fixtures::To565(0xFF0000));
}

TEST_F(SurfaceCanvas, ANewSizeOrTheSurfacesEndGivesTheLockBack) {
    auto surface = Surface(32, 16);
    surface->Canvas().SetPixel(1, 1, kWhite);
    ASSERT_TRUE(surface->Canvas().HandleAllocated());
    surface->SetSize(64, 8);
    EXPECT_FALSE(surface->Canvas().HandleAllocated());
    EXPECT_EQ(surface->LockCount(), 0);
    surface->Canvas().SetPixel(63, 7, kWhite);
    EXPECT_EQ(surface->Canvas().Pixel(63, 7), kWhite);
    surface.reset();  // destroyed while the canvas holds its lock
}

TEST_F(SurfaceCanvas, DrawTextKeepsToItsRectangleAndTheSurface) {
    auto surface = Surface(64, 32);
    TDirectDrawSurfaceCanvas& canvas = surface->Canvas();
    canvas.Font.Height = -24;
    canvas.Font.Color = kWhite;
    canvas.Brush.Style = TBrushStyle::bsClear;
    TRect r{40, 4, 60, 28};
    canvas.DrawText("WWWW", r, 0);
    int outside = 0, inside = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool in = x >= 40 && x < 60 && y >= 4 && y < 28;
            (in ? inside : outside) += canvas.Pixel(x, y) == kWhite;
        }
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
    r = {50, 10, 500, 300};  // past the surface's edges
    canvas.DrawText("WWWW", r, txt::DT_NOCLIP);
    canvas.Release();
    EXPECT_EQ(surface->LockCount(), 0);
}
