// The demo pictures: shapes that read as what they are, colours that survive a 5/6/5
// display, a transparent colour only where the picture is transparent, and layouts the
// widget readers cut correctly.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "media/gpBitmap.h"
#include "rtl/Streams.h"
#include "tests/TempDir.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Jpeg.h"
#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtBall.h"
#include "tools/datagen/demo/DemoArtBricks.h"
#include "tools/datagen/demo/DemoArtEffects.h"
#include "tools/datagen/demo/DemoArtHud.h"
#include "tools/datagen/demo/DemoArtInsignia.h"
#include "tools/datagen/demo/DemoArtMonsters.h"
#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoArtPrizes.h"
#include "tools/datagen/demo/DemoArtWidgets.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoCatalogue.h"
#include "tools/datagen/demo/DemoText.h"

using namespace datagen::demo;

namespace {

media::TGPBitmap Decode(const std::string& bytes) {
    rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    media::TGPBitmap bitmap;
    bitmap.LoadFromStream(stream);
    return bitmap;
}

// Mean brightness of the opaque pixels of rows [y0, y1) of one pattern.
double MeanLuma(const Image& img, int y0, int y1) {
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.Opaque(x, y)) sum += Luma(img.At(x, y)), ++n;
    return n ? sum / n : 0;
}

bool SamePixels(const Image& a, const Image& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Opaque(x, y) != b.Opaque(x, y) || (a.Opaque(x, y) && !(a.At(x, y) == b.At(x, y)))) return false;
    return true;
}

std::vector<Image> Patterns(const Image& sheet, int w, int h) {
    std::vector<Image> out;
    for (int y = 0; y + h <= sheet.Height(); y += h)
        for (int x = 0; x + w <= sheet.Width(); x += w) out.push_back(sheet.Crop(x, y, w, h));
    return out;
}

}  // namespace

TEST(DemoBall, MaskIsADiscLitFromTheUpperLeft) {
    for (double r : {4.5, 6.0, 8.0, 11.0, 14.0}) {
        const int cell = static_cast<int>(2 * r) + 4;
        const Image ball = Ball({}, cell, r);
        const double c = cell / 2.0, area = std::numbers::pi * r * r;
        EXPECT_NEAR(static_cast<double>(ball.OpaqueCount()), area, area * 0.1) << r;
        double brightest = -1;
        int bx = 0, by = 0;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
                // Round and solid: everything well inside is drawn, nothing well outside.
                if (d < r - 1.0) {
                    EXPECT_TRUE(ball.Opaque(x, y)) << r << " at " << x << "," << y;
                }
                if (d > r + 1.0) {
                    EXPECT_FALSE(ball.Opaque(x, y)) << r << " at " << x << "," << y;
                }
                if (ball.Opaque(x, y) && Luma(ball.At(x, y)) > brightest) brightest = Luma(ball.At(x, y)), bx = x, by = y;
            }
        EXPECT_LT(bx + 0.5, c) << r;
        EXPECT_LT(by + 0.5, c) << r;
        // The lower right is the shadow side.
        EXPECT_GT(brightest, Luma(ball.At(static_cast<int>(c + r * 0.5), static_cast<int>(c + r * 0.5))) + 60) << r;
    }
}

TEST(DemoBall, EdgesNeverTakeTheTransparentColour) {
    // Drawing never mixes in the background, so the encoded ball is the same whatever
    // colour its surroundings are given: no fringe of the key.
    const Image ball = BallSheet({.color = {80, 200, 255}, .swirl = true}, 24, {5, 7, 9}, 3);
    for (int bits : {8, 16, 24}) {
        const media::TGPBitmap black = Decode(EncodePicture(ball, Rgb{0, 0, 0}, bits));
        const media::TGPBitmap pink = Decode(EncodePicture(ball, Rgb{255, 0, 255}, bits));
        media::TGPBitmap a = black, b = pink;
        for (int y = 0; y < ball.Height(); ++y)
            for (int x = 0; x < ball.Width(); ++x) {
                if (ball.Opaque(x, y)) {
                    EXPECT_EQ(a.PixelColor(x, y), b.PixelColor(x, y)) << bits << " at " << x << "," << y;
                } else {
                    EXPECT_NE(a.PixelColor(x, y), b.PixelColor(x, y)) << bits << " at " << x << "," << y;
                }
            }
    }
}

TEST(DemoBall, SheetsHoldOneColumnPerSizeAndOneRowPerFrame) {
    const Image balls = BallSheet({.flame = true}, 30, {5, 7, 9, 11}, 6);
    EXPECT_EQ(balls.Width(), 4 * 30);
    EXPECT_EQ(balls.Height(), 6 * 30);
    const std::vector<Image> cells = Patterns(balls, 30, 30);
    EXPECT_LT(cells[0].OpaqueCount(), cells[3].OpaqueCount());  // bigger to the right
    EXPECT_FALSE(SamePixels(cells[0], cells[4]));                // the flame moves
    const Image paddles = PaddleSheet({}, 120, {60, 90, 120}, 4);
    EXPECT_EQ(paddles.Width(), 360);
    EXPECT_EQ(paddles.Height(), 4 * 16);
    const std::vector<Image> p = Patterns(paddles, 120, 16);
    EXPECT_LT(p[0].OpaqueCount(), p[1].OpaqueCount());
    EXPECT_LT(p[1].OpaqueCount(), p[2].OpaqueCount());
    EXPECT_FALSE(p[0].Opaque(10, 8));  // narrow paddles sit in the middle of the cell
    EXPECT_TRUE(p[0].Opaque(60, 8));
    EXPECT_GT(MeanLuma(p[2], 0, 5), MeanLuma(p[2], 11, 16));
}

TEST(DemoBricks, BrighterOnTopThanAtTheBottom) {
    std::vector<Image> sheets;
    for (size_t i = 0; i < BrickColors().size(); ++i)
        sheets.push_back(BrickSheet({.color = BrickColors()[i], .frames = 3, .seed = static_cast<uint32_t>(i + 1)}));
    sheets.push_back(MetalBrickSheet(48, 24, 4));
    for (int k = 0; k < kSpecialBrickKinds; ++k) sheets.push_back(SpecialBrickSheet(static_cast<SpecialBrick>(k), 48, 24, 4));
    for (const Image& sheet : sheets) {
        ASSERT_EQ(sheet.Width(), 48);
        for (const Image& frame : Patterns(sheet, 48, 24)) EXPECT_GT(MeanLuma(frame, 0, 8), MeanLuma(frame, 16, 24) + 10);
    }
}

TEST(DemoBricks, CracksDeepenFromFrameToFrame) {
    const Image sheet = BrickSheet({.color = {64, 184, 72}, .frames = 3, .seed = 5});
    ASSERT_EQ(sheet.Height(), 3 * 24);
    const std::vector<Image> frames = Patterns(sheet, 48, 24);
    auto darkPixels = [](const Image& img) {
        int n = 0;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) n += img.Opaque(x, y) && Luma(img.At(x, y)) < 60;
        return n;
    };
    EXPECT_LT(darkPixels(frames[0]) + 10, darkPixels(frames[1]));
    EXPECT_LT(darkPixels(frames[1]), darkPixels(frames[2]));
}

TEST(DemoBricks, ColoursStayApartOnASixteenBitDisplay) {
    const std::vector<Rgb>& colors = BrickColors();
    std::set<uint16_t> packed;
    for (Rgb c : colors) packed.insert(To565(c));
    EXPECT_EQ(packed.size(), colors.size());
    for (size_t i = 0; i < colors.size(); ++i)
        for (size_t j = i + 1; j < colors.size(); ++j) {
            const double d = std::hypot(colors[i].r - colors[j].r, colors[i].g - colors[j].g, colors[i].b - colors[j].b);
            EXPECT_GT(d, 40) << i << " and " << j << " look alike";
        }
}

TEST(DemoPictures, TheKeyColourOnlyWhereTransparent) {
    // Every picture of the showcase, through its encoding and the game's bitmap reader.
    for (const CataloguePicture& p : CataloguePictures()) {
        SCOPED_TRACE(p.name);
        if (p.jpeg) {
            media::TGPBitmap jpeg = Decode(datagen::LengthPrefixed(EncodeJpegPicture(p.image)));
            EXPECT_EQ(jpeg.FormatKind, media::gpbJPEG);
            EXPECT_EQ(jpeg.Width(), p.image.Width());
            EXPECT_EQ(p.image.OpaqueCount(), static_cast<size_t>(p.image.Width()) * static_cast<size_t>(p.image.Height()));
            continue;
        }
        media::TGPBitmap bmp = Decode(EncodePicture(p.image, p.key, p.bitCount));
        ASSERT_EQ(bmp.FormatKind, media::gpbBMP);
        ASSERT_EQ(bmp.Width(), p.image.Width());
        ASSERT_EQ(bmp.Height(), p.image.Height());
        EXPECT_EQ(bmp.BitCount(), p.bitCount);
        if (p.patternWidth) {
            EXPECT_EQ(p.image.Width() % p.patternWidth, 0);
        }
        if (p.patternHeight) {
            EXPECT_EQ(p.image.Height() % p.patternHeight, 0);
        }
        int inside = 0, leaks = 0, holes = 0;
        for (int y = 0; y < p.image.Height(); ++y)
            for (int x = 0; x < p.image.Width(); ++x) {
                const uint16_t shown = To565(Rgb::From(bmp.PixelColor(x, y)));
                if (p.image.Opaque(x, y)) ++inside, leaks += shown == To565(p.key);
                else holes += shown != To565(p.key);
            }
        EXPECT_GT(inside, 0);
        EXPECT_EQ(leaks, 0);
        EXPECT_EQ(holes, 0);
    }
}

TEST(DemoPictures, EncodingKeepsShapesOffTheKey) {
    // A shape painted in the key colour itself, and one with more colours than a palette.
    Image img(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (x > 2) img.Set(x, y, x < 6 ? Rgb{0, 0, 0} : Rgb{static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 8), static_cast<uint8_t>(x * y)});
    for (int bits : {8, 16, 24}) {
        SCOPED_TRACE(bits);
        media::TGPBitmap bmp = Decode(EncodePicture(img, Rgb{0, 0, 0}, bits));
        EXPECT_EQ(bmp.BitCount(), bits);
        for (int y = 0; y < 30; ++y) {
            EXPECT_EQ(bmp.PixelColor(0, y), 0u);
            EXPECT_NE(To565(Rgb::From(bmp.PixelColor(4, y))), 0);  // black inside a shape is nudged off the key
            // Colours come through closely, even when the palette had to be cut down.
            const Rgb want = img.At(30, y), got = Rgb::From(bmp.PixelColor(30, y));
            EXPECT_LT(std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b), bits == 8 ? 60 : 16);
        }
    }
    EXPECT_EQ(AvoidKey(Rgb{4, 2, 4}, Rgb{0, 0, 0}).g, 6);
    EXPECT_TRUE(AvoidKey(Rgb{40, 2, 4}, Rgb{0, 0, 0}) == (Rgb{40, 2, 4}));
    EXPECT_NE(To565(AvoidKey(Rgb{255, 1, 250}, Rgb{255, 0, 255})), To565(Rgb{255, 0, 255}));
}

TEST(DemoPrizes, CapsuleLettersAreNotEmpty) {
    std::vector<CapsuleStyle> styles;
    for (int i = 0; i < 7; ++i) styles.push_back(LetterPrizeStyle(i));
    for (int code : {0, 1, 2, 3, 4, 6, 9, 16, 17, 21, 23, 26, 30, 99}) styles.push_back(EffectPrizeStyle(code));
    std::set<std::string> letters;
    for (const CapsuleStyle& s : styles) {
        SCOPED_TRACE(s.label);
        EXPECT_FALSE(RenderText(s.fallback, 16).Empty());
        CapsuleStyle blank = s;
        blank.label = blank.fallback = "";
        const Image with = CapsuleSheet(s), without = CapsuleSheet(blank);
        ASSERT_EQ(with.Height(), s.height * s.frames);
        // The label shows on the front: frame 0 differs from the blank capsule in a good
        // share of its pixels, with ink of clear contrast.
        int differ = 0;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                differ += with.Opaque(x, y) && std::abs(Luma(with.At(x, y)) - Luma(without.At(x, y))) > 40;
        EXPECT_GT(differ, s.width * s.height / 20) << s.label;
        EXPECT_EQ(with.OpaqueCount(), without.OpaqueCount());  // the label stays on the pill
    }
    for (int i = 0; i < 7; ++i) letters.insert(LetterPrizeStyle(i).label);
    EXPECT_EQ(std::size(kLetterPrizeLetters), 7u);
    EXPECT_GE(letters.size(), 5u);
}

TEST(DemoText, RendersWithTheDejaVuFaces) {
    const TextMask a = RenderText("A", 20);
    ASSERT_FALSE(a.Empty());
    EXPECT_GT(a.height, 10);
    EXPECT_LT(a.height, 24);
    const TextMask wide = RenderText("WWW", 20);
    EXPECT_GT(wide.width, 2 * a.width);
    EXPECT_FALSE(RenderText("\u041F\u0443\u0441\u043A", 20).Empty());  // Cyrillic
    EXPECT_TRUE(HasGlyphs("\u0416"));
    EXPECT_TRUE(RenderText("   ", 20).Empty());
    const TextMask fit = FitText("A long caption", 60, 14, 40);
    EXPECT_LE(fit.width, 60);
    EXPECT_LE(fit.height, 14);
    const TextMask grown = Grow(a, 2);
    EXPECT_EQ(grown.width, a.width + 4);
    EXPECT_EQ(grown.height, a.height + 4);
    int inked = 0, grownInk = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            EXPECT_GE(grown.At(x + 2, y + 2), a.At(x, y));
            inked += a.At(x, y) > 0;
        }
    for (uint8_t v : grown.alpha) grownInk += v > 0;
    EXPECT_GT(grownInk, inked + a.width + a.height);
}

TEST(DemoWidgets, PatternsMatchWhatTheWidgetsCut) {
    const std::vector<Image> button = Patterns(ButtonSheet("Play", 160, 36), 160, 36);
    ASSERT_EQ(button.size(), 4u);
    const std::vector<Image> check = Patterns(CheckBoxSheet(24), 24, 24);
    ASSERT_EQ(check.size(), 5u);
    for (const auto* set : {&button, &check})
        for (size_t i = 0; i < set->size(); ++i)
            for (size_t j = i + 1; j < set->size(); ++j) EXPECT_FALSE(SamePixels((*set)[i], (*set)[j])) << i << " " << j;
    const Image track = TrackBarSheet(20, 22);
    EXPECT_EQ(track.Width(), 20 * kTrackBarPatterns);
    EXPECT_EQ(track.Height(), 22);
    const std::vector<Image> pieces = Patterns(track, 20, 22);
    EXPECT_TRUE(SamePixels(pieces[6], pieces[4]));
    for (int i : {0, 2, 4, 8}) EXPECT_FALSE(SamePixels(pieces[static_cast<size_t>(i)], pieces[static_cast<size_t>(i) + 1]));  // left and right ends
    EXPECT_FALSE(SamePixels(pieces[4], pieces[8]));
    EXPECT_FALSE(SamePixels(pieces[10], pieces[11]));
    const Image rows = RowHeaderSheet({"a", "b", "c"}, 50, 20), cols = ColumnHeaderSheet({"a", "b"}, 50, 20);
    EXPECT_EQ(rows.Width(), 4 * 50);
    EXPECT_EQ(rows.Height(), 3 * 20);
    EXPECT_EQ(cols.Width(), 2 * 50);
    EXPECT_EQ(cols.Height(), 4 * 20);
    // Column headers: pattern column + count × state; row headers: 4 × row + state.
    EXPECT_TRUE(SamePixels(cols.Crop(50, 2 * 20, 50, 20), Patterns(ColumnHeaderSheet({"b"}, 50, 20), 50, 20)[2]));
    EXPECT_TRUE(SamePixels(rows.Crop(3 * 50, 2 * 20, 50, 20), Patterns(RowHeaderSheet({"c"}, 50, 20), 50, 20)[3]));
}

TEST(DemoWindows, ShapesOnTheirBorderColour) {
    for (const Image& shape : {MessageBoxBackground(), OptionBoxBackground()}) {
        media::TGPBitmap bmp = Decode(EncodePicture(shape, kWindowKey));
        const uint32_t border = bmp.PixelColor(1, 1);
        EXPECT_EQ(border, kWindowKey.Value());
        size_t opaque = 0;
        for (int y = 0; y < shape.Height(); ++y)
            for (int x = 0; x < shape.Width(); ++x)
                if (bmp.PixelColor(x, y) != border) ++opaque;
        EXPECT_EQ(opaque, shape.OpaqueCount());
        EXPECT_GT(opaque, static_cast<size_t>(shape.Width() * shape.Height()) * 8 / 10);
        // The region data covers exactly the shape.
        const std::string region = RegionData(shape);
        auto i32 = [&](size_t at) {
            uint32_t v = 0;
            for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(region[at + static_cast<size_t>(k)]);
            return static_cast<int32_t>(v);
        };
        const size_t size = static_cast<uint8_t>(region[0]) | static_cast<size_t>(static_cast<uint8_t>(region[1])) << 8;
        ASSERT_EQ(size + 2, region.size());
        EXPECT_EQ(i32(2), 32);
        const int count = i32(10);
        EXPECT_EQ(i32(14), count * 16);
        EXPECT_EQ(static_cast<size_t>(32 + count * 16), size);
        int64_t area = 0;
        for (int r = 0; r < count; ++r) {
            const size_t at = 34 + static_cast<size_t>(r) * 16;
            area += int64_t{i32(at + 8) - i32(at)} * (i32(at + 12) - i32(at + 4));
        }
        EXPECT_EQ(area, static_cast<int64_t>(shape.OpaqueCount()));
    }
    EXPECT_EQ(MessageBoxBackground().Width(), 433);
    EXPECT_EQ(MessageBoxBackground().Height(), 290);
}

TEST(DemoWindows, ButtonsStackFourFramesWithATransparentCorner) {
    const Image sheet = WindowButtonSheet("OK", 80, 40);
    ASSERT_EQ(sheet.Width(), 80);
    ASSERT_EQ(sheet.Height(), 160);
    media::TGPBitmap bmp = Decode(EncodePicture(sheet, kWindowKey));
    const uint32_t corner = bmp.PixelColor(0, 0);
    EXPECT_EQ(corner, kWindowKey.Value());
    const std::vector<Image> frames = Patterns(sheet, 80, 40);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FALSE(frames[i].Opaque(0, 0));
        for (size_t j = i + 1; j < 4; ++j) EXPECT_FALSE(SamePixels(frames[i], frames[j]));
    }
}

TEST(DemoWindows, PreviewsAreSmallPalettePictures) {
    std::vector<PreviewBrick> bricks{{0, 0, 48, 24, {214, 48, 49}}, {288, 240, 48, 24, {48, 104, 224}}};
    const Image preview = LevelPreview(bricks, BackdropTile(BackdropKind::Waves, 64));
    ASSERT_EQ(preview.Width(), 160);
    ASSERT_EQ(preview.Height(), 120);
    media::TGPBitmap bmp = Decode(EncodePicture(preview, Rgb{}, 8));
    EXPECT_EQ(bmp.BitCount(), 8);
    EXPECT_EQ(bmp.Width(), 160);
    // The red brick at the top left and the blue one in the middle show through.
    const Rgb red = Rgb::From(bmp.PixelColor(6, 3)), blue = Rgb::From(bmp.PixelColor(85, 58));
    EXPECT_GT(red.r, 150);
    EXPECT_LT(red.g, 100);
    EXPECT_GT(blue.b, 150);
    EXPECT_LT(blue.r, 100);
    EXPECT_EQ(EmptySlotPicture().OpaqueCount(), 160u * 120u);
}

TEST(DemoBackdrops, TilesJoinWithoutASeam) {
    for (int k = 0; k < kBackdropKinds; ++k) {
        SCOPED_TRACE(k);
        const int tile = 64;
        const Image t = BackdropTile(static_cast<BackdropKind>(k), tile, 3);
        auto step = [&](int x0, int y0, int x1, int y1) {
            const Rgb a = t.At(x0, y0), b = t.At(x1, y1);
            return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        };
        double inner = 0, seam = 0;
        for (int i = 0; i < tile; ++i) {
            inner += step(tile / 2 - 1, i, tile / 2, i) + step(i, tile / 2 - 1, i, tile / 2);
            seam += step(tile - 1, i, 0, i) + step(i, tile - 1, i, 0);
        }
        EXPECT_LT(seam, inner * 2.5 + 200);
        const Image big = Backdrop(static_cast<BackdropKind>(k), 150, 100, tile, 3);
        EXPECT_TRUE(big.At(10, 20) == big.At(10 + tile, 20 + tile));
    }
}

TEST(DemoInsignia, EveryRankAndMedalHasItsOwnPicture) {
    std::vector<Image> all;
    for (int r = 1; r <= kRankCount; ++r) all.push_back(RankInsignia(r));
    for (int m = 1; m <= kMedalCount; ++m) all.push_back(MedalPicture(m, 48, 48));
    for (int d = 1; d <= kDifficultyCount; ++d) all.push_back(DifficultyBadge(d, 48, 48));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_GT(all[i].OpaqueCount(), 48u * 48u / 5) << i;
        for (size_t j = i + 1; j < all.size(); ++j) EXPECT_FALSE(SamePixels(all[i], all[j])) << i << " " << j;
    }
    // A page picture has no transparent pixel left.
    const Image page = Flatten(MedalPicture(3), Rgb{16, 16, 32});
    EXPECT_EQ(page.OpaqueCount(), static_cast<size_t>(page.Width() * page.Height()));
}

namespace {

double Centroid(const Image& img, double cx, double cy) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.Opaque(x, y)) sum += std::hypot(x + 0.5 - cx, y + 0.5 - cy), ++n;
    return n ? sum / n : 0;
}

int EdgePixels(const Image& img) {
    int n = 0;
    for (int i = 0; i < img.Width(); ++i) n += img.Opaque(i, 0) + img.Opaque(i, img.Height() - 1);
    for (int i = 0; i < img.Height(); ++i) n += img.Opaque(0, i) + img.Opaque(img.Width() - 1, i);
    return n;
}

double Saturation(const Image& img) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.Opaque(x, y)) {
                const Rgb c = img.At(x, y);
                sum += std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}), ++n;
            }
    return n ? sum / n : 0;
}

}  // namespace

TEST(DemoMonsters, AnimateInsideTheirCells) {
    for (int k = 0; k < kMonsterKinds; ++k) {
        SCOPED_TRACE(k);
        const Image sheet = MonsterSheet(static_cast<MonsterKind>(k), 40, 8);
        ASSERT_EQ(sheet.Width(), 40);
        ASSERT_EQ(sheet.Height(), 320);
        const std::vector<Image> frames = Patterns(sheet, 40, 40);
        int changes = 0;
        for (size_t f = 0; f < frames.size(); ++f) {
            EXPECT_GT(frames[f].OpaqueCount(), 40u * 40u / 6);
            EXPECT_LT(EdgePixels(frames[f]), 12);  // a creature, not a tile: it keeps off the cell's border
            changes += !SamePixels(frames[f], frames[(f + 1) % frames.size()]);
        }
        EXPECT_GE(changes, 7);  // every step of the loop moves
    }
}

TEST(DemoEffects, ExplosionsSwellAndBurnOut) {
    const std::vector<Image> boom = Patterns(ExplosionSheet(64, 10, 4), 64, 64);
    ASSERT_EQ(boom.size(), 10u);
    EXPECT_GT(boom[3].OpaqueCount(), boom[0].OpaqueCount());    // it swells
    EXPECT_LT(boom[9].OpaqueCount(), boom[4].OpaqueCount());    // and thins out
    EXPECT_GT(MeanLuma(boom[1], 0, 64), MeanLuma(boom[9], 0, 64) + 40);  // from white heat to smoke
    const std::vector<Image> sparks = Patterns(SparkSheet(24, 6), 24, 24);
    for (size_t f = 1; f < sparks.size(); ++f) EXPECT_GT(Centroid(sparks[f], 12, 12), Centroid(sparks[f - 1], 12, 12));
    const std::vector<Image> flash = Patterns(HitFlashSheet(28, 5), 28, 28);
    for (size_t f = 2; f < flash.size(); ++f) EXPECT_GT(Centroid(flash[f], 14, 14), Centroid(flash[f - 1], 14, 14));
    const std::vector<Image> muzzle = Patterns(MuzzleFlashSheet(14, 22, 4), 14, 22);
    EXPECT_GT(muzzle[0].OpaqueCount(), muzzle[3].OpaqueCount());
    EXPECT_TRUE(muzzle[0].Opaque(7, 20));   // it leaves the barrel at the bottom
    EXPECT_FALSE(muzzle[0].Opaque(7, 0));   // and ends in a point
    for (ShotKind kind : {ShotKind::Bullet, ShotKind::Laser, ShotKind::Plasma}) {
        const std::vector<Image> shot = Patterns(ShotSheet(kind, 8, 16, 3), 8, 16);
        EXPECT_GT(shot[0].OpaqueCount(), 10u);
        EXPECT_FALSE(SamePixels(shot[0], shot[1]));
    }
    const Image floor = FloorBarSheet(200, 8, 4);
    EXPECT_EQ(floor.Height(), 32);
    EXPECT_GT(floor.OpaqueCount(), 200u * 8u * 4u * 9u / 10u);
}

TEST(DemoBricks, SpecialsPulseAndShattersFallApart) {
    for (int k = 0; k < kSpecialBrickKinds; ++k) {
        const std::vector<Image> frames = Patterns(SpecialBrickSheet(static_cast<SpecialBrick>(k), 48, 24, 4), 48, 24);
        EXPECT_FALSE(SamePixels(frames[0], frames[2])) << k;
        for (int j = k + 1; j < kSpecialBrickKinds; ++j)
            EXPECT_FALSE(SamePixels(frames[0], Patterns(SpecialBrickSheet(static_cast<SpecialBrick>(j), 48, 24, 4), 48, 24)[0])) << k << " " << j;
    }
    const std::vector<Image> shatter = Patterns(BrickShatterSheet({.color = {40, 192, 200}}, 6), 48, 24);
    for (size_t f = 1; f < shatter.size(); ++f) EXPECT_LT(shatter[f].OpaqueCount(), shatter[f - 1].OpaqueCount());
    const std::vector<Image> chips = Patterns(SplinterSheet({240, 136, 32}, 10, 4), 10, 10);
    EXPECT_FALSE(SamePixels(chips[0], chips[2]));
    const Image metal = MetalBrickSheet(48, 24, 4);
    EXPECT_LT(Saturation(metal), 30);  // steel is grey
    EXPECT_GT(Saturation(BrickSheet({.color = {48, 104, 224}, .frames = 1})), 80);
}

TEST(DemoPaddle, ArmedAndStunnedVariants) {
    const Image plain = Paddle({}, 100, 100), armed = Paddle({.cannons = true}, 100, 100), stunned = Paddle({.stunned = true}, 100, 100);
    EXPECT_EQ(plain.OpaqueCount(), armed.OpaqueCount());  // the guns sit on the caps
    EXPECT_FALSE(SamePixels(plain, armed));
    EXPECT_LT(Saturation(stunned), Saturation(plain));
    const std::vector<Image> pulse = Patterns(PaddleSheet({}, 100, {100}, 4), 100, 16);
    EXPECT_FALSE(SamePixels(pulse[0], pulse[1]));
}

TEST(DemoHud, FramesGaugesAndCursors) {
    const Image frame = HudFieldFrame(100, 80, 6);
    ASSERT_EQ(frame.Width(), 112);
    ASSERT_EQ(frame.Height(), 92);
    for (int y = 6; y < 86; ++y)
        for (int x = 6; x < 106; ++x) ASSERT_FALSE(frame.Opaque(x, y)) << x << "," << y;
    EXPECT_TRUE(frame.Opaque(3, 40));
    EXPECT_TRUE(frame.Opaque(56, 88));
    const std::vector<Image> gauge = Patterns(GaugeSheet(100, 12, 6), 100, 12);
    auto colourful = [](const Image& img) {
        int n = 0;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x) {
                const Rgb c = img.At(x, y);
                n += img.Opaque(x, y) && std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) > 90;
            }
        return n;
    };
    EXPECT_EQ(colourful(gauge[0]), 0);
    for (size_t f = 1; f < gauge.size(); ++f) EXPECT_GT(colourful(gauge[f]), colourful(gauge[f - 1]));
    const Image arrow = CursorArrow(24);
    EXPECT_TRUE(arrow.Opaque(1, 1));  // the hot spot is the tip
    EXPECT_FALSE(arrow.Opaque(20, 3));
    EXPECT_FALSE(SamePixels(CursorSlot(false), CursorSlot(true)));
    EXPECT_TRUE(CursorPanel(24).Opaque(12, 12));
    EXPECT_GT(HudPanel(120, 200, "HUD").OpaqueCount(), 120u * 200u * 9u / 10u);
    EXPECT_EQ(LifeIcon(26, 12).Width(), 26);
}

TEST(DemoArtCommand, TwoRunsWriteTheSameBytes) {
    TempDir a, b;
    const datagen::CommandEntry* command = datagen::FindCommand("demo-art");
    ASSERT_NE(command, nullptr);
    ASSERT_EQ(command->run({a.File("out")}), 0);
    ASSERT_EQ(command->run({b.File("out")}), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(a.File("out"))) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(a.Read("out/" + name), b.Read("out/" + name)) << name;
        ++files;
    }
    EXPECT_GT(files, 100);
    EXPECT_EQ(command->run({}), 2);
}
