// The demo pictures' canvas: colours, the coverage rule, shapes and their lighting,
// periodic noise, sheets, text placement, region data and the seeded generator.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>

#include "tools/datagen/demo/DemoImage.h"
#include "tools/datagen/demo/DemoRandom.h"
#include "tools/datagen/demo/DemoText.h"
#include "tools/datagen/demo/DemoArtWindows.h"

using namespace datagen::demo;

TEST(DemoColours, MixShadeAndPack) {
    const Rgb red{200, 40, 20}, blue{20, 40, 200};
    EXPECT_TRUE(Mix(red, blue, 0) == red);
    EXPECT_TRUE(Mix(red, blue, 1) == blue);
    EXPECT_TRUE(Mix(red, blue, 7) == blue);  // clamped
    EXPECT_TRUE(Mix(red, blue, 0.5) == (Rgb{110, 40, 110}));
    EXPECT_TRUE(Shade(red, 0.5) == (Rgb{100, 20, 10}));
    EXPECT_TRUE(Shade(red, 2.0) == (Rgb{255, 255, 255}));
    EXPECT_GT(Luma(Shade(red, 1.3)), Luma(red));
    EXPECT_EQ(To565(Rgb{255, 255, 255}), 0xFFFF);
    EXPECT_EQ(To565(Rgb{8, 4, 8}), (1 << 11) | (1 << 5) | 1);
    EXPECT_EQ(To565(Rgb{7, 3, 7}), 0);
    EXPECT_TRUE(Rgb::From(Rgb{1, 2, 3}.Value()) == (Rgb{1, 2, 3}));
    EXPECT_TRUE(Hsv(0, 1, 1) == (Rgb{255, 0, 0}));
    EXPECT_TRUE(Hsv(120, 1, 1) == (Rgb{0, 255, 0}));
    EXPECT_TRUE(Hsv(240, 1, 1) == (Rgb{0, 0, 255}));
    EXPECT_TRUE(Hsv(-120, 1, 1) == (Rgb{0, 0, 255}));
    EXPECT_TRUE(Hsv(77, 0, 0.5) == (Rgb{128, 128, 128}));
}

TEST(DemoCanvas, CoverageTakesTransparentPixelsWholeOrNotAtAll) {
    Image img(4, 1);
    img.Cover(0, 0, Rgb{200, 0, 0}, 0.49);
    img.Cover(1, 0, Rgb{200, 0, 0}, 0.5);
    img.Set(2, 0, Rgb{0, 0, 200});
    img.Cover(2, 0, Rgb{200, 0, 0}, 0.25);
    img.Tint(3, 0, Rgb{200, 0, 0}, 1.0);  // tints never widen a shape
    EXPECT_FALSE(img.Opaque(0, 0));
    EXPECT_TRUE(img.Opaque(1, 0));
    EXPECT_TRUE(img.At(1, 0) == (Rgb{200, 0, 0}));  // not mixed with anything
    EXPECT_TRUE(img.At(2, 0) == (Rgb{50, 0, 150}));
    EXPECT_FALSE(img.Opaque(3, 0));
    EXPECT_EQ(img.OpaqueCount(), 2u);
    img.Set(-1, 0, Rgb{});  // outside: ignored
    img.Cover(4, 0, Rgb{}, 1);
    img.Clear(1, 0);
    EXPECT_EQ(img.OpaqueCount(), 1u);
}

TEST(DemoCanvas, PasteKeepsTheBackgroundPlaceReplacesIt) {
    Image dot(3, 3);
    dot.Set(1, 1, Rgb{9, 9, 9});
    Image a(5, 5, Rgb{100, 100, 100}), b = a;
    a.Paste(dot, 1, 1);
    b.Place(dot, 1, 1);
    EXPECT_EQ(a.OpaqueCount(), 25u);
    EXPECT_EQ(b.OpaqueCount(), 25u - 8u);
    EXPECT_TRUE(a.At(2, 2) == (Rgb{9, 9, 9}));
    EXPECT_TRUE(b.At(2, 2) == (Rgb{9, 9, 9}));
    const Image crop = a.Crop(2, 2, 4, 4);  // runs past the edge: transparent there
    EXPECT_EQ(crop.OpaqueCount(), 9u);
    EXPECT_TRUE(crop.At(0, 0) == (Rgb{9, 9, 9}));
}

TEST(DemoCanvas, SheetsNumberPatternsRowByRow) {
    std::vector<Image> patterns;
    for (int i = 0; i < 5; ++i) patterns.emplace_back(4, 3, Rgb{static_cast<uint8_t>(i * 10), 0, 0});
    const Image sheet = MakeSheet(patterns, 2);
    ASSERT_EQ(sheet.Width(), 8);
    ASSERT_EQ(sheet.Height(), 9);
    EXPECT_EQ(sheet.At(4, 0).r, 10);  // pattern 1: second column of the first row
    EXPECT_EQ(sheet.At(0, 3).r, 20);  // pattern 2: first column of the second row
    EXPECT_EQ(sheet.At(0, 6).r, 40);
    EXPECT_FALSE(sheet.Opaque(4, 6));  // no sixth pattern
    EXPECT_EQ(MakeSheet(patterns, 9).Width(), 20);
    EXPECT_EQ(MakeSheet({}, 2).Width(), 0);
}

TEST(DemoShapes, DistancesAreNegativeInside) {
    const Sdf circle = CircleSdf(10, 10, 5);
    EXPECT_DOUBLE_EQ(circle(10, 10), -5);
    EXPECT_DOUBLE_EQ(circle(18, 10), 3);
    const Sdf box = RoundRectSdf(0, 0, 20, 10, 2);
    EXPECT_LT(box(10, 5), 0);
    EXPECT_NEAR(box(10, -1), 1, 1e-9);
    EXPECT_NEAR(box(25, 5), 5, 1e-9);
    EXPECT_GT(box(0.2, 0.2), 0);  // the rounded corner is cut off
    const Sdf ellipse = EllipseSdf(0, 0, 10, 4);
    EXPECT_LT(ellipse(9, 0), 0);
    EXPECT_GT(ellipse(0, 5), 0);
    EXPECT_NEAR(ellipse(11, 0), 1, 0.05);
    const Sdf segment = SegmentSdf(0, 0, 10, 0, 1);
    EXPECT_NEAR(segment(5, 3), 2, 1e-9);
    EXPECT_NEAR(segment(13, 0), 2, 1e-9);
    const Sdf triangle = PolygonSdf({{0, 0}, {10, 0}, {0, 10}});
    EXPECT_LT(triangle(2, 2), 0);
    EXPECT_GT(triangle(8, 8), 0);
    EXPECT_NEAR(triangle(5, -2), 2, 1e-9);
    const Sdf ring = Subtract(CircleSdf(0, 0, 10), CircleSdf(0, 0, 5));
    EXPECT_GT(ring(0, 0), 0);
    EXPECT_LT(ring(7, 0), 0);
    EXPECT_LT(Union(CircleSdf(0, 0, 1), CircleSdf(10, 0, 1))(10, 0), 0);
}

TEST(DemoShapes, FillCoversTheShapeAndBevelsLightTheTop) {
    Image img(20, 20);
    const Sdf box = RoundRectSdf(2, 2, 16, 16, 0.01);
    Fill(img, box, Rgb{100, 100, 100});
    EXPECT_EQ(img.OpaqueCount(), 16u * 16u);
    EXPECT_FALSE(img.Opaque(1, 10));
    EXPECT_TRUE(img.Opaque(2, 10));
    EXPECT_GT(Bevel(box, 10, 2.5, box(10, 2.5), 3), 0.3);    // top edge faces the light
    EXPECT_GT(Bevel(box, 2.5, 10, box(2.5, 10), 3), 0.2);    // so does the left
    EXPECT_LT(Bevel(box, 10, 17.5, box(10, 17.5), 3), -0.3); // the bottom is in shadow
    EXPECT_EQ(Bevel(box, 10, 10, box(10, 10), 3), 0);        // flat further in
    // Overlay paints only onto the shape.
    Overlay(img, CircleSdf(2, 2, 4), [](double, double, double) { return Rgb{255, 0, 0}; });
    EXPECT_EQ(img.OpaqueCount(), 16u * 16u);
    EXPECT_GT(img.At(2, 2).r, 200);
}

TEST(DemoNoise, PeriodicAndBounded) {
    double lo = 1, hi = 0;
    for (int i = 0; i < 200; ++i) {
        const double x = i * 1.37, y = i * 0.91;
        const double v = TileNoise(x, y, 64, 8, 5);
        lo = std::min(lo, v), hi = std::max(hi, v);
        EXPECT_NEAR(v, TileNoise(x + 64, y, 64, 8, 5), 1e-12);
        EXPECT_NEAR(v, TileNoise(x, y - 128, 64, 8, 5), 1e-12);
        EXPECT_NEAR(TileFractal(x, y, 64, 4, 3, 2), TileFractal(x + 64, y + 64, 64, 4, 3, 2), 1e-12);
    }
    EXPECT_GE(lo, 0);
    EXPECT_LE(hi, 1);
    EXPECT_GT(hi - lo, 0.4);  // not flat
    EXPECT_NE(TileNoise(3.3, 4.4, 64, 8, 5), TileNoise(3.3, 4.4, 64, 8, 6));
}

TEST(DemoRandom, SeededAndInRange) {
    Xorshift a(42), b(42), c(43);
    std::set<uint64_t> seen;
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const uint64_t va = a.Next();
        EXPECT_EQ(va, b.Next());
        differs |= va != c.Next();
        seen.insert(va);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(seen.size(), 1000u);
    Xorshift r(0);  // a zero seed still runs
    int counts[5] = {};
    for (int i = 0; i < 5000; ++i) {
        const double u = r.Unit();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        const int k = r.Below(5);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 5);
        ++counts[k];
        const double s = r.Range(-2, 3);
        ASSERT_GE(s, -2);
        ASSERT_LT(s, 3);
    }
    for (int n : counts) EXPECT_NEAR(n, 1000, 150);
    EXPECT_EQ(r.Below(0), 0);
    EXPECT_EQ(r.Below(-3), 0);
    EXPECT_NE(LatticeHash(1, 2, 3), LatticeHash(2, 1, 3));
}

TEST(DemoText, CaptionsAreCentredAndKeptInsideShapes) {
    const TextMask m = RenderText("O", 16);
    Image open(40, 30);
    DrawCaption(open, m, 20, 15, Rgb{255, 255, 255}, Rgb{0, 0, 0}, 0);
    int x0 = 40, x1 = 0, y0 = 30, y1 = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (open.Opaque(x, y)) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    EXPECT_NEAR((x0 + x1 + 1) / 2.0, 20, 1.5);
    EXPECT_NEAR((y0 + y1 + 1) / 2.0, 15, 1.5);
    // With opaqueOnly the text never adds pixels outside the shape it is written on.
    Image plate(40, 30);
    Fill(plate, RoundRectSdf(0, 10, 40, 10, 0.01), Rgb{50, 50, 50});
    const size_t before = plate.OpaqueCount();
    DrawCaption(plate, m, 20, 15, Rgb{255, 255, 255}, Rgb{0, 0, 0}, 2, true);
    EXPECT_EQ(plate.OpaqueCount(), before);
    int lit = 0;
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 40; ++x) lit += plate.At(x, y).r > 150;
    EXPECT_GT(lit, 10);
}

TEST(DemoRegion, RectanglesFromRows) {
    auto count = [](const std::string& region) { return static_cast<int>(static_cast<uint8_t>(region[10])); };
    EXPECT_EQ(RegionData(Image(10, 10)).size(), 2u + 32u);  // empty: a header alone
    Image box(10, 10);
    for (int y = 2; y < 8; ++y)
        for (int x = 1; x < 9; ++x) box.Set(x, y, Rgb{1, 1, 1});
    EXPECT_EQ(count(RegionData(box)), 1);  // equal rows merge into one rectangle
    box.Set(0, 5, Rgb{1, 1, 1});           // one row longer: it splits the run of rows
    EXPECT_EQ(count(RegionData(box)), 3);
    Image twoRuns(10, 3);
    for (int y = 0; y < 3; ++y) twoRuns.Set(1, y, Rgb{1, 1, 1}), twoRuns.Set(5, y, Rgb{1, 1, 1});
    const std::string region = RegionData(twoRuns);
    EXPECT_EQ(count(region), 2);
    // The bounds: left 1, top 0, right 6, bottom 3.
    EXPECT_EQ(static_cast<uint8_t>(region[18]), 1);
    EXPECT_EQ(static_cast<uint8_t>(region[22]), 0);
    EXPECT_EQ(static_cast<uint8_t>(region[26]), 6);
    EXPECT_EQ(static_cast<uint8_t>(region[30]), 3);
    // A shape too ragged for a 16-bit length is refused.
    Image comb(4200, 2);
    for (int x = 0; x < 4200; x += 2) comb.Set(x, 0, Rgb{1, 1, 1}), comb.Set(x + 1, 1, Rgb{1, 1, 1});
    EXPECT_THROW(RegionData(comb), std::length_error);
}
