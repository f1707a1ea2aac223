// Fonts: sizes and their clamps, the font cache, code pages, font files added and removed,
// and the FreeType backend's face matching, fallback and anti-aliasing.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text/Charset.h"
#include "tests/TempDir.h"
#include "tests/platform/TextFixtures.h"

// fontconfig 2.14 loses a few bytes while it parses its XML configuration, once per
// process; leak checks of everything else stay on.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using namespace text_test;
namespace fs = std::filesystem;

// ---- Sizes ----

TEST(TextFont, HeightsInPixelsCellsAndPoints) {
    EXPECT_EQ(MakeFont(-20)->PixelsPerEm(), 20);
    // A positive height is the cell: ascent and descent together.
    for (int cell : {12, 20, 37}) {
        const auto font = MakeFont(cell);
        EXPECT_NEAR(font->Metrics().Height, cell, 1) << cell;
        EXPECT_LT(font->PixelsPerEm(), cell);
    }
    const auto m = MakeFont(-20)->Metrics();
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(m.InternalLeading, m.Height - 20);
    EXPECT_GT(m.AveCharWidth, 5);
    EXPECT_LT(m.AveCharWidth, 20);

    EXPECT_EQ(txt::HeightFromPoints(12), -16);
    EXPECT_EQ(txt::HeightFromPoints(35), -47);
    EXPECT_EQ(txt::HeightFromPoints(0), -1);
    EXPECT_EQ(txt::HeightFromPoints(-8), -1);
    EXPECT_EQ(txt::HeightFromPoints(NAN), -1);
    EXPECT_EQ(txt::HeightFromPoints(1e12), -txt::kMaxPixelHeight);
}

TEST(TextFont, EqualDescriptionsShareOneFont) {
    txt::TextSystem system(txt::Backend::Headless);
    const auto a = MakeFont(-14, txt::RUSSIAN_CHARSET, 0, system);
    EXPECT_EQ(a, MakeFont(-14, txt::RUSSIAN_CHARSET, 0, system));
    EXPECT_EQ(a, MakeFont(-14, txt::RUSSIAN_CHARSET, 3600, system));  // a full turn is none
    EXPECT_NE(a, MakeFont(-15, txt::RUSSIAN_CHARSET, 0, system));
    EXPECT_NE(a, MakeFont(-14, txt::ANSI_CHARSET, 0, system));
    // Many sizes later the first is made again, the same.
    for (int h = 1; h < 200; ++h) MakeFont(-h, txt::RUSSIAN_CHARSET, 0, system);
    const auto again = MakeFont(-14, txt::RUSSIAN_CHARSET, 0, system);
    EXPECT_EQ(again->Metrics().Height, a->Metrics().Height);
}

TEST(TextFont, HeadlessPinsEveryFaceToDejaVuSans) {
    txt::TextSystem system(txt::Backend::Headless);
    for (const char* face : {"Arial", "Times New Roman", "", "NoSuchFace"}) {
        txt::LogFont f;
        f.FaceName = face;
        EXPECT_EQ(system.CreateFont(f)->FacePath(), txt::kDejaVuSans) << face;
        f.Weight = txt::FW_BOLD;
        EXPECT_EQ(system.CreateFont(f)->FacePath(), txt::kDejaVuSansBold) << face;
    }
    EXPECT_TRUE(system.CreateFont({})->Monochrome());
    // Tests run headless: TestMain chooses the backend for the process.
    EXPECT_EQ(txt::TextSystem::Default().Kind(), txt::Backend::Headless);
}

TEST(TextFont, ItalicAndBoldChangeTheShape) {
    txt::LogFont f;
    f.Height = -30;
    const auto regular = Headless().CreateFont(f);
    f.Italic = true;
    const auto italic = Headless().CreateFont(f);
    f.Italic = false;
    f.Weight = txt::FW_BOLD;
    const auto bold = Headless().CreateFont(f);
    auto mask = [](const txt::Font& font) {
        Pixels px(80, 40);
        const Pixels before = px;
        txt::Rect r{2, 2, 80, 40};
        txt::DrawText(px.Target(), font, "lH", r, txt::DT_LEFT, 0xFF);
        return std::make_pair(px.Mask(before, Box{0, 0, 80, 40}), px.Changed(before));
    };
    const auto [plain, plainCount] = mask(*regular);
    const auto [slanted, slantedCount] = mask(*italic);
    const auto [heavy, heavyCount] = mask(*bold);
    EXPECT_NE(plain, slanted);
    EXPECT_NEAR(slantedCount, plainCount, plainCount / 5);
    EXPECT_GT(heavyCount, plainCount * 5 / 4);
}

// ---- Code pages ----

// Every upper-half byte of the Latin code pages against the C library's converter.
TEST(TextFont, CodePagesAgreeWithTheSystemConverter) {
    for (auto [page, name] : {std::pair{txt::CodePage::Cp1250, "CP1250"}, std::pair{txt::CodePage::Cp1252, "CP1252"},
                              std::pair{txt::CodePage::Cp1251, "CP1251"}}) {
        iconv_t cd = iconv_open("UTF-32LE", name);
        ASSERT_NE(cd, iconv_t(-1)) << name;
        int checked = 0;
        for (int b = 0x20; b < 0x100; ++b) {
            char in = char(b);
            char32_t out = 0;
            char* inp = &in;
            char* outp = reinterpret_cast<char*>(&out);
            size_t inLeft = 1, outLeft = 4;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) {
                // Unassigned in the code page: its C1 control.
                EXPECT_EQ(txt::DecodeByte(page, uint8_t(b)), char32_t(b)) << name << " " << b;
                continue;
            }
            EXPECT_EQ(txt::DecodeByte(page, uint8_t(b)), out) << name << " " << b;
            ++checked;
        }
        EXPECT_GT(checked, 200);
        iconv_close(cd);
    }
    EXPECT_EQ(txt::CodePageOf(txt::RUSSIAN_CHARSET), txt::CodePage::Cp1251);
    EXPECT_EQ(txt::CodePageOf(txt::DEFAULT_CHARSET), txt::CodePage::Cp1251);
    EXPECT_EQ(txt::CodePageOf(txt::EASTEUROPE_CHARSET), txt::CodePage::Cp1250);
    EXPECT_EQ(txt::CodePageOf(txt::ANSI_CHARSET), txt::CodePage::Cp1252);
    EXPECT_EQ(txt::CodePageOf(161), txt::CodePage::Cp1251);
}

// ---- Font files ----

class TextFontFiles : public ::testing::Test {
protected:
    std::string Copy(const std::string& from, const std::string& name) {
        const std::string to = dir_.File(name);
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        return to;
    }
    TempDir dir_;
};

TEST_F(TextFontFiles, AddedTwiceIsRemovedTwice) {
    txt::TextSystem system(txt::Backend::Headless);
    const std::string file = Copy(txt::kDejaVuSans, "Level.ttf");
    EXPECT_EQ(system.AddFontResource(file), 1);
    // The same file however the path spells it.
    EXPECT_EQ(system.AddFontResource(dir_.File("./Level.ttf")), 1);
    EXPECT_EQ(system.FontResourceCount(file), 2);
    EXPECT_TRUE(system.RemoveFontResource(file));
    EXPECT_EQ(system.FontResourceCount(file), 1);
    EXPECT_TRUE(system.RemoveFontResource(file));
    EXPECT_EQ(system.FontResourceCount(file), 0);
    EXPECT_FALSE(system.RemoveFontResource(file));
    // Removing what was never added fails, also for a file that does not exist.
    EXPECT_FALSE(system.RemoveFontResource(Copy(txt::kDejaVuSansBold, "Other.ttf")));
    EXPECT_FALSE(system.RemoveFontResource(dir_.File("missing.ttf")));
}

TEST_F(TextFontFiles, FilesThatAreNoFontsAddNothing) {
    txt::TextSystem system(txt::Backend::Headless);
    dir_.Write("note.ttf", "This is not a font at all, only some words.");
    dir_.Write("empty.ttf", "");
    std::string cut = dir_.Read("note.ttf");
    {
        const std::string font = Copy(txt::kDejaVuSans, "whole.ttf");
        std::ifstream in(font, std::ios::binary);
        cut.assign(std::istreambuf_iterator<char>(in), {});
        cut.resize(cut.size() / 50);
        dir_.Write("cut.ttf", cut);
    }
    for (const char* name : {"note.ttf", "empty.ttf", "cut.ttf", "missing.ttf"}) {
        EXPECT_EQ(system.AddFontResource(dir_.File(name)), 0) << name;
        EXPECT_FALSE(system.RemoveFontResource(dir_.File(name))) << name;
    }
    EXPECT_EQ(system.AddFontResource(dir_.File(".")), 0);
}

TEST_F(TextFontFiles, AnAddedFaceIsFoundByItsFamilyAndGoesWithTheFile) {
    txt::TextSystem system(txt::Backend::FreeType);
    const std::string file = Copy("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", "LevelSerif.ttf");
    txt::LogFont f;
    f.FaceName = "dejavu serif";  // names compare without regard to case
    f.Height = -18;
    EXPECT_NE(system.CreateFont(f)->FacePath(), fs::canonical(file).string());
    ASSERT_EQ(system.AddFontResource(file), 1);
    const auto font = system.CreateFont(f);
    EXPECT_EQ(font->FacePath(), fs::canonical(file).string());
    EXPECT_EQ(font->FamilyName(), "DejaVu Serif");
    ASSERT_TRUE(system.RemoveFontResource(file));
    EXPECT_NE(system.CreateFont(f)->FacePath(), fs::canonical(file).string());
    // A font made while the file was added keeps drawing after it went.
    Pixels px(100, 30);
    const Pixels before = px;
    txt::Rect r{0, 0, 100, 30};
    txt::DrawText(px.Target(), *font, "Serif", r, txt::DT_LEFT, 0xFF);
    EXPECT_GT(px.Changed(before), 20);
}

TEST_F(TextFontFiles, AFaceWithoutBoldIsEmboldened) {
    txt::TextSystem system(txt::Backend::FreeType);
    ASSERT_EQ(system.AddFontResource(Copy("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", "Mono.ttf")), 1);
    txt::LogFont f;
    f.FaceName = "DejaVu Sans Mono";
    f.Height = -24;
    const auto regular = system.CreateFont(f);
    f.Weight = txt::FW_BOLD;
    const auto bold = system.CreateFont(f);
    ASSERT_EQ(bold->FacePath(), regular->FacePath());  // the added file has no bold face
    auto ink = [](const txt::Font& font) {
        Pixels px(120, 30);
        px.Fill(0);
        const Pixels before = px;
        txt::Rect r{0, 0, 120, 30};
        txt::DrawText(px.Target(), font, "lHl", r, txt::DT_LEFT, 0xFFFFFF);
        return px.Changed(before);
    };
    EXPECT_GT(ink(*bold), ink(*regular) * 5 / 4);
    EXPECT_GT(bold->Advance('l'), regular->Advance('l'));
}

TEST_F(TextFontFiles, HeadlessKeepsDejaVuSansWhateverIsAdded) {
    txt::TextSystem system(txt::Backend::Headless);
    ASSERT_EQ(system.AddFontResource(Copy("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", "Serif.ttf")), 1);
    txt::LogFont f;
    f.FaceName = "DejaVu Serif";
    EXPECT_EQ(system.CreateFont(f)->FacePath(), txt::kDejaVuSans);
}

// ---- The FreeType backend ----

TEST(TextFreeType, GlyphsAreAntiAliased) {
    txt::TextSystem system(txt::Backend::FreeType);
    const auto font = MakeFont(-20, txt::RUSSIAN_CHARSET, 0, system);
    ASSERT_TRUE(font->Usable());
    EXPECT_FALSE(font->Monochrome());
    Pixels px(120, 30);
    px.Fill(0);
    const Pixels before = px;
    txt::Rect r{0, 0, 120, 30};
    txt::DrawText(px.Target(), *font, "Soft edges", r, txt::DT_LEFT, 0xFFFFFF);
    int full = 0, partial = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            const uint32_t v = px.At(x, y);
            if (v == 0xFFFF) ++full;
            else if (v != before.At(x, y)) ++partial;
        }
    EXPECT_GT(full, 20);
    EXPECT_GT(partial, 20);
}

TEST(TextFreeType, AMissingFaceIsToldOnce) {
    std::vector<std::string> lines;
    txt::SetLogSink([&](const std::string& line) { lines.push_back(line); });
    {
        txt::TextSystem system(txt::Backend::FreeType);
        txt::LogFont f;
        f.FaceName = "No Such Face Anywhere";
        for (int h : {-12, -14, -16}) {
            f.Height = h;
            const auto font = system.CreateFont(f);
            EXPECT_TRUE(font->Usable());
            Pixels px(60, 20);
            txt::Rect r{0, 0, 60, 20};
            txt::DrawText(px.Target(), *font, "Text", r, txt::DT_LEFT, 0xFF);
        }
        f.FaceName = "DejaVu Sans";
        system.CreateFont(f);  // installed: nothing to tell
    }
    txt::SetLogSink(nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("No Such Face Anywhere"), std::string::npos);
}

TEST(TextFreeType, FontconfigFindsInstalledFaces) {
    txt::TextSystem system(txt::Backend::FreeType);
    txt::LogFont f;
    f.FaceName = "DejaVu Sans Mono";
    EXPECT_EQ(system.CreateFont(f)->FamilyName(), "DejaVu Sans Mono");
    f.FaceName = "DejaVu Sans";
    f.Weight = txt::FW_BOLD;
    EXPECT_EQ(system.CreateFont(f)->FacePath(), txt::kDejaVuSansBold);
}

}  // namespace
