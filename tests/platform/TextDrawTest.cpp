// DrawText on the headless backend, checked pixel by pixel: where the ink lands, in which
// colour, what stays untouched, and that nothing is written outside the target.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/platform/TextFixtures.h"

namespace {

using namespace text_test;
using txt::Rect;

constexpr uint32_t kRed = 0x000000FF;  // 0x00BBGGRR

int Draw(Pixels& px, const txt::Font& font, std::string_view text, Rect r, uint32_t format, uint32_t color = kRed) {
    return txt::DrawText(px.Target(), font, text, r, format, color);
}

bool Inside(const Box& b, const Rect& r) {
    return b.Left >= r.Left && b.Top >= r.Top && b.Right <= r.Right && b.Bottom <= r.Bottom;
}

// ---- Colour, rectangle and background ----

TEST(TextDraw, TextLiesInsideItsRectangleInTheColour) {
    Pixels px(200, 100);
    const Pixels before = px;
    const auto font = MakeFont(-20);
    const Rect r{20, 10, 180, 60};
    EXPECT_EQ(Draw(px, *font, "Hello, World", r, txt::DT_LEFT), font->Metrics().Height);
    const Box ink = px.InkBox(before);
    ASSERT_FALSE(ink.Empty());
    EXPECT_TRUE(Inside(ink, r));
    EXPECT_LE(ink.Left, r.Left + 3);
    EXPECT_LE(ink.Bottom, r.Top + font->Metrics().Height);
    for (int y = 0; y < px.Height(); ++y)
        for (int x = 0; x < px.Width(); ++x) {
            if (px.At(x, y) != before.At(x, y)) {
                ASSERT_EQ(px.At(x, y), To565(kRed)) << x << "," << y;
            }
        }
    EXPECT_TRUE(px.GuardsIntact());
}

TEST(TextDraw, BackgroundUnderTheTextIsKept) {
    Pixels px(160, 60);
    px.FillPattern();
    const Pixels before = px;
    const auto font = MakeFont(-28);
    Draw(px, *font, "Mg&Wy", Rect{0, 0, 160, 60}, txt::DT_CENTER);
    int painted = 0;
    for (int y = 0; y < px.Height(); ++y)
        for (int x = 0; x < px.Width(); ++x)
            if (px.At(x, y) != before.At(x, y)) {
                ASSERT_EQ(px.At(x, y), To565(kRed));
                ++painted;
            }
    EXPECT_GT(painted, 50);
    // The pixels between the strokes keep their pattern: the text's box is not filled.
    const Box ink = px.InkBox(before);
    EXPECT_LT(painted, ink.Width() * ink.Height() / 2);
}

TEST(TextDraw, EveryPixelFormatGetsTheSameShape) {
    const auto font = MakeFont(-18);
    const Rect r{4, 4, 156, 40};
    Pixels base(160, 44);
    const Pixels plain = base;
    Draw(base, *font, "Format & shape", r, txt::DT_CENTER);
    const std::string mask = base.Mask(plain, Box{0, 0, 160, 44});
    for (auto format : {txt::PixelFormat::Rgb555, txt::PixelFormat::Rgb888, txt::PixelFormat::Xrgb8888}) {
        Pixels px(160, 44, format, 5);
        px.Fill(0xAB102030);
        const Pixels before = px;
        Draw(px, *font, "Format & shape", r, txt::DT_CENTER, 0x00336699);
        EXPECT_EQ(px.Mask(before, Box{0, 0, 160, 44}), mask) << int(format);
        EXPECT_TRUE(px.GuardsIntact());
        uint32_t painted = 0;
        for (int i = 0; i < 160 * 44 && !painted; ++i)
            if (px.At(i % 160, i / 160) != before.At(i % 160, i / 160)) painted = px.At(i % 160, i / 160);
        switch (format) {
            case txt::PixelFormat::Rgb555: EXPECT_EQ(painted, uint32_t(0x99 >> 3 << 10 | 0x66 >> 3 << 5 | 0x33 >> 3)); break;
            case txt::PixelFormat::Rgb888: EXPECT_EQ(painted, 0x996633u); break;
            // The top byte of a 32-bit pixel stays as the surface had it.
            default: EXPECT_EQ(painted, 0xAB996633u); break;
        }
    }
}

TEST(TextDraw, BottomUpTargetsDrawTheSameRows) {
    const auto font = MakeFont(-16);
    Pixels top(80, 30), bottom(80, 30);
    Rect r{0, 0, 80, 30};
    txt::DrawText(top.Target(), *font, "Up", r, txt::DT_LEFT, kRed);
    txt::DrawText(bottom.BottomUp(), *font, "Up", r, txt::DT_LEFT, kRed);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(top.At(x, y), bottom.At(x, 29 - y));
    EXPECT_TRUE(bottom.GuardsIntact());
}

// ---- Flags ----

TEST(TextDraw, RightAndCentreMoveTheBoundingBox) {
    const auto font = MakeFont(-18);
    const Rect r{10, 5, 290, 45};
    Box boxes[3];
    const uint32_t aligns[3] = {txt::DT_LEFT, txt::DT_CENTER, txt::DT_RIGHT};
    for (int i = 0; i < 3; ++i) {
        Pixels px(300, 50);
        const Pixels before = px;
        Draw(px, *font, "Aligned text", r, aligns[i]);
        boxes[i] = px.InkBox(before);
        ASSERT_FALSE(boxes[i].Empty());
        EXPECT_TRUE(Inside(boxes[i], r));
    }
    EXPECT_EQ(boxes[0].Width(), boxes[1].Width());
    EXPECT_EQ(boxes[0].Width(), boxes[2].Width());
    EXPECT_LE(boxes[0].Left, r.Left + 3);
    EXPECT_GE(boxes[2].Right, r.Right - 3);
    const int slack = r.Right - r.Left - txt::GetTextExtent(*font, "Aligned text").Cx;
    EXPECT_EQ(boxes[1].Left - boxes[0].Left, slack / 2);
    EXPECT_EQ(boxes[2].Left - boxes[0].Left, slack);
    EXPECT_EQ(boxes[0].Top, boxes[1].Top);
}

TEST(TextDraw, WordBreakMakesLinesAndWithoutItTheRectangleClips) {
    const auto font = MakeFont(-16);
    const int line = font->Metrics().Height;
    const Rect r{5, 5, 105, 195};
    const std::string text = "one two three four five six";
    Pixels wrapped(200, 200), single(200, 200);
    const Pixels before = wrapped;
    EXPECT_GE(Draw(wrapped, *font, text, r, txt::DT_WORDBREAK), 3 * line);
    Draw(single, *font, text, r, txt::DT_LEFT);
    const Box a = wrapped.InkBox(before), b = single.InkBox(before);
    EXPECT_TRUE(Inside(a, r));
    EXPECT_GT(a.Height(), 2 * line);
    EXPECT_LE(a.Right, r.Right);
    // One line, cut at the rectangle's right edge.
    EXPECT_LE(b.Height(), line);
    EXPECT_EQ(b.Right, r.Right);
}

TEST(TextDraw, TabsExpandToEightAverageWidths) {
    const auto font = MakeFont(-16);
    const int stop = 8 * font->Metrics().AveCharWidth;
    Pixels tabbed(300, 30), plain(300, 30);
    const Pixels before = tabbed;
    Draw(tabbed, *font, "l\tl", Rect{0, 0, 300, 30}, txt::DT_EXPANDTABS);
    Draw(plain, *font, "l\tl", Rect{0, 0, 300, 30}, txt::DT_LEFT);
    const Box t = tabbed.InkBox(before), p = plain.InkBox(before);
    // The second "l" starts at the stop; its ink begins within its left bearing.
    EXPECT_GE(t.Right, stop + 1);
    EXPECT_LE(t.Right, stop + font->Advance('l'));
    EXPECT_LT(p.Width(), stop / 2);
}

TEST(TextDraw, PrefixUnderlinesOneLetterAndDoubleAmpersandDrawsOne) {
    const auto font = MakeFont(-20);
    const Rect r{0, 0, 200, 40};
    Pixels marked(200, 40), plain(200, 40);
    const Pixels before = marked;
    Draw(marked, *font, "&Hello", r, txt::DT_LEFT);
    Draw(plain, *font, "Hello", r, txt::DT_NOPREFIX);
    const int baseline = font->Metrics().Ascent;
    const Box extra = marked.InkBox(plain);
    ASSERT_FALSE(extra.Empty());
    EXPECT_GE(extra.Top, baseline);
    EXPECT_LE(extra.Right, font->Advance('H'));
    EXPECT_EQ(extra.Height(), font->UnderlineThickness());
    // Above the underline both draw the same letters.
    EXPECT_EQ(marked.Mask(before, Box{0, 0, 200, baseline}), plain.Mask(before, Box{0, 0, 200, baseline}));

    Pixels twice(200, 40), once(200, 40);
    Draw(twice, *font, "A && B", r, txt::DT_LEFT);
    Draw(once, *font, "A & B", r, txt::DT_NOPREFIX);
    EXPECT_TRUE(twice == once);
    // Without prefixes the ampersand is drawn and nothing is underlined.
    Pixels raw(200, 40);
    Draw(raw, *font, "&Hello", r, txt::DT_NOPREFIX);
    EXPECT_GT(raw.InkBox(before).Width(), plain.InkBox(before).Width());
    EXPECT_LT(raw.InkBox(before).Bottom, baseline + font->UnderlineTop() + 1);
}

TEST(TextDraw, VerticalPlacementWorksOnSingleLinesOnly) {
    const auto font = MakeFont(-16);
    const int line = font->Metrics().Height;
    const Rect r{0, 0, 120, 60};
    const Rect centred{0, (60 - line) / 2, 120, 60}, bottom{0, 60 - line, 120, 60};
    auto image = [&](Rect rect, uint32_t format) {
        Pixels px(120, 60);
        txt::DrawText(px.Target(), *font, "Middle", rect, format, kRed);
        return px;
    };
    EXPECT_TRUE(image(r, txt::DT_SINGLELINE | txt::DT_VCENTER) == image(centred, txt::DT_SINGLELINE));
    EXPECT_TRUE(image(r, txt::DT_SINGLELINE | txt::DT_BOTTOM) == image(bottom, txt::DT_SINGLELINE));
    EXPECT_TRUE(image(r, txt::DT_VCENTER) == image(r, txt::DT_TOP));
    Rect probe = r;
    EXPECT_EQ(txt::DrawText(Pixels(1, 1).Target(), *font, "Middle", probe, txt::DT_SINGLELINE | txt::DT_BOTTOM, 0), 60);
}

TEST(TextDraw, CalcRectMeasuresAndDrawsNothing) {
    const auto font = MakeFont(-16);
    Pixels px(100, 100);
    const Pixels before = px;
    Rect r{7, 9, 8, 9};
    const int height = txt::DrawText(px.Target(), *font, "Hello\nWorld!!", r, txt::DT_CALCRECT, kRed);
    EXPECT_EQ(height, 2 * font->Metrics().Height);
    EXPECT_EQ(r.Left, 7);
    EXPECT_EQ(r.Top, 9);
    EXPECT_EQ(r.Right - r.Left, std::max(txt::GetTextExtent(*font, "Hello").Cx, txt::GetTextExtent(*font, "World!!").Cx));
    EXPECT_EQ(r.Bottom - r.Top, height);
    EXPECT_EQ(px.Changed(before), 0);
    // LF CR is one line end: the name and the score take two lines.
    Rect pair{0, 0, 0, 0};
    EXPECT_EQ(Draw(px, *font, "Name\n\r120", pair, txt::DT_CALCRECT), 2 * font->Metrics().Height);
    Rect empty{3, 4, 50, 50};
    EXPECT_EQ(txt::DrawText(px.Target(), *font, "", empty, txt::DT_CALCRECT, kRed), 0);
    EXPECT_EQ(empty, (Rect{3, 4, 3, 4}));
}

TEST(TextDraw, UnderlineAndStrikeOutRunTheLine) {
    txt::LogFont f;
    f.FaceName = "Arial";
    f.Height = -20;
    f.Underline = true;
    f.StrikeOut = true;
    const auto font = Headless().CreateFont(f);
    Pixels px(200, 40);
    const Pixels before = px;
    Draw(px, *font, "a b", Rect{10, 0, 200, 40}, txt::DT_LEFT);
    const int baseline = font->Metrics().Ascent;
    const int width = txt::GetTextExtent(*font, "a b").Cx;
    for (int row : {baseline + font->UnderlineTop(), baseline + font->StrikeOutTop()})
        for (int x = 10; x < 10 + width; ++x) ASSERT_EQ(px.At(x, row), To565(kRed)) << x << "," << row;
    EXPECT_EQ(px.At(10 + width, baseline + font->UnderlineTop()), before.At(0, 0));
}

// ---- Clipping ----

TEST(TextDraw, ClipsAtEverySurfaceEdge) {
    const auto font = MakeFont(-24);
    const std::string text = "WWWWW WWWWW WWWWW WWWWW";
    for (auto format : {txt::PixelFormat::Rgb565, txt::PixelFormat::Rgb888, txt::PixelFormat::Xrgb8888}) {
        Pixels px(40, 30, format, 3);
        const Pixels before = px;
        // A rectangle overhanging all four edges, with and without its own clip.
        for (uint32_t flags : {uint32_t(txt::DT_WORDBREAK), uint32_t(txt::DT_WORDBREAK | txt::DT_NOCLIP | txt::DT_CENTER)}) {
            Draw(px, *font, text, Rect{-30, -20, 70, 60}, flags);
            ASSERT_TRUE(px.GuardsIntact());
        }
        const Box ink = px.InkBox(before);
        EXPECT_EQ(ink.Left, 0);
        EXPECT_EQ(ink.Top, 0);
        EXPECT_EQ(ink.Right, 40);
        EXPECT_EQ(ink.Bottom, 30);
    }
}

TEST(TextDraw, RectangleClipsUnlessNoClip) {
    const auto font = MakeFont(-16);
    const Rect r{50, 10, 70, 30};
    Pixels clipped(200, 40), free(200, 40);
    const Pixels before = clipped;
    Draw(clipped, *font, "A long line of text", r, txt::DT_LEFT);
    Draw(free, *font, "A long line of text", r, txt::DT_NOCLIP);
    EXPECT_TRUE(Inside(clipped.InkBox(before), r));
    EXPECT_GT(free.InkBox(before).Right, 150);
    // The part inside the rectangle is the same.
    EXPECT_EQ(clipped.Mask(before, Box{50, 10, 70, 30}), free.Mask(before, Box{50, 10, 70, 30}));
}

TEST(TextDraw, NothingIsDrawnOutsideOrOnUnusableTargets) {
    const auto font = MakeFont(-16);
    Pixels px(50, 50);
    const Pixels before = px;
    for (Rect r : {Rect{-500, 0, -1, 50}, Rect{60, 0, 400, 50}, Rect{0, -90, 50, -40}, Rect{0, 50, 50, 90},
                   Rect{40, 40, 10, 10}})
        Draw(px, *font, "Outside", r, txt::DT_LEFT);
    EXPECT_EQ(px.Changed(before), 0);

    txt::Target t = px.Target();
    Rect r{0, 0, 50, 50};
    for (auto broken : {txt::Target{nullptr, t.Pitch, 50, 50, t.Format}, txt::Target{t.Bits, 99, 50, 50, t.Format},
                        txt::Target{t.Bits, t.Pitch, 0, 50, t.Format}, txt::Target{t.Bits, t.Pitch, 50, -3, t.Format}}) {
        EXPECT_EQ(txt::DrawText(broken, *font, "Text", r, txt::DT_LEFT, kRed), font->Metrics().Height);
        EXPECT_FALSE(txt::TextOut(broken, *font, 0, 0, "Text", kRed));
    }
    EXPECT_EQ(px.Changed(before), 0);
    EXPECT_TRUE(px.GuardsIntact());
}

TEST(TextDraw, HeightsOfZeroNegativeAndHugeAreClamped) {
    for (int height : {0, 1, -1, INT_MIN, INT_MAX, -100000, 5000}) {
        const auto font = MakeFont(height);
        ASSERT_TRUE(font->Usable()) << height;
        EXPECT_GE(font->PixelsPerEm(), 1);
        EXPECT_LE(font->PixelsPerEm(), txt::kMaxPixelHeight);
        Pixels px(64, 64);
        const Pixels before = px;
        const Rect r{8, 8, 56, 56};
        Draw(px, *font, "Wg", r, txt::DT_WORDBREAK | txt::DT_CENTER);
        const Box ink = px.InkBox(before);
        EXPECT_TRUE(ink.Empty() || Inside(ink, r)) << height;
        if (font->Metrics().Height < 40) {
            EXPECT_FALSE(ink.Empty()) << height;
        }
        EXPECT_TRUE(px.GuardsIntact()) << height;
    }
    EXPECT_EQ(MakeFont(0)->PixelsPerEm(), 16);  // 12 points
}

TEST(TextDraw, HugeGlyphsAreRasterisedWhereTheyMeetTheClip) {
    const auto font = MakeFont(-1000);
    Pixels px(50, 50);
    // An "I" whose stem (about 100 pixels from its pen) covers the whole target down to
    // the baseline at row 40.
    Rect r{-120, 40 - font->Metrics().Ascent, 2000, 2000};
    Draw(px, *font, "I", r, txt::DT_LEFT);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(px.At(x, y), To565(kRed)) << x << "," << y;
    EXPECT_NE(px.At(0, 40), To565(kRed));
    EXPECT_TRUE(px.GuardsIntact());
}

// ---- Repeatability, escapement, code pages ----

TEST(TextDraw, TwoRunsAreIdentical) {
    auto run = [](txt::TextSystem& system) {
        Pixels px(240, 120);
        px.FillPattern();
        for (int escapement : {0, 900, 450}) {
            const auto font = MakeFont(-17, txt::RUSSIAN_CHARSET, escapement, system);
            Draw(px, *font, "&Menu\tItem\n\xC8\xE3\xF0\xEE\xEA wraps here", Rect{5, 5, 235, 115},
                 txt::DT_WORDBREAK | txt::DT_EXPANDTABS | txt::DT_CENTER);
        }
        return px;
    };
    txt::TextSystem fresh(txt::Backend::Headless);
    const Pixels first = run(Headless());
    EXPECT_TRUE(first == run(Headless()));  // glyphs from the cache
    EXPECT_TRUE(first == run(fresh));        // a system of its own
}

TEST(TextDraw, Escapement900RunsTheTextUpwards) {
    const auto font = MakeFont(-20, txt::RUSSIAN_CHARSET, 900);
    const Rect r{10, 10, 70, 210};
    auto ink = [&](std::string_view text) {
        Pixels px(80, 220);
        const Pixels before = px;
        Draw(px, *font, text, r, txt::DT_LEFT);
        EXPECT_TRUE(px.GuardsIntact());
        return px.InkBox(before);
    };
    const Box one = ink("A"), four = ink("AAAA");
    EXPECT_TRUE(Inside(four, r));
    // The text starts at the bottom-left corner and grows upwards.
    EXPECT_GE(one.Bottom, r.Bottom - 3);
    EXPECT_EQ(four.Bottom, one.Bottom);
    EXPECT_LT(four.Top, one.Top - 2 * font->Advance('A'));
    EXPECT_GT(four.Height(), 3 * four.Width());
    EXPECT_LE(four.Right, r.Left + font->Metrics().Height);
    // Upside down it starts at the bottom-right corner.
    const auto flipped = MakeFont(-20, txt::RUSSIAN_CHARSET, 1800);
    Pixels px(80, 220);
    const Pixels before = px;
    Rect wide{0, 0, 80, 220};
    txt::DrawText(px.Target(), *flipped, "AAAA", wide, txt::DT_LEFT, kRed);
    EXPECT_GE(px.InkBox(before).Right, 76);
    EXPECT_GE(px.InkBox(before).Top, 220 - flipped->Metrics().Height);
}

TEST(TextDraw, CyrillicFrom1251DrawsRealGlyphs) {
    const auto font = MakeFont(-24, txt::RUSSIAN_CHARSET);
    const std::string word = "\xC8\xE3\xF0\xEE\xEA";  // "Игрок"
    auto mask = [&](const txt::Font& f, std::string_view text) {
        Pixels px(60, 40);
        const Pixels before = px;
        Rect r{4, 4, 60, 40};
        txt::DrawText(px.Target(), f, text, r, txt::DT_NOPREFIX, kRed);
        return px.Mask(before, Box{0, 0, 60, 40});
    };
    // 0x98 is unassigned in 1251: the face has no glyph for it and draws the missing box.
    ASSERT_FALSE(font->HasGlyph(0x98));
    const std::string missing = mask(*font, "\x98");
    ASSERT_NE(missing.find('#'), std::string::npos);
    for (char letter : word) {
        EXPECT_TRUE(font->HasGlyph(uint8_t(letter)));
        EXPECT_NE(mask(*font, std::string(1, letter)), missing);
    }
    // The same byte under the Latin code page is another letter (И is not È).
    const auto latin = MakeFont(-24, txt::ANSI_CHARSET);
    EXPECT_NE(mask(*font, "\xC8"), mask(*latin, "\xC8"));
}

TEST(TextDraw, TextOutTurnsAboutItsStart) {
    const auto font = MakeFont(-16, txt::RUSSIAN_CHARSET, 900);
    Pixels px(60, 120);
    const Pixels before = px;
    ASSERT_TRUE(txt::TextOut(px.Target(), *font, 20, 100, "Up", kRed));
    const Box ink = px.InkBox(before);
    // Upwards from (20, 100); the cell's top lies on the left, so the glyphs stand right of x 20.
    EXPECT_LE(ink.Bottom, 101);
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Right, 20 + font->Metrics().Height);
    const Rect clip{0, 0, 60, 95};
    Pixels cut(60, 120);
    txt::TextOut(cut.Target(), *font, 20, 100, "Up", kRed, &clip);
    EXPECT_LE(cut.InkBox(before).Bottom, 95);
}

}  // namespace
