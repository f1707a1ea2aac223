// The data set as files: the same bytes on every run, a few MiB, written by the command into
// a program folder, and its pictures as the game's picture reader decodes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/gpBitmap.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"
#include "tests/TempDir.h"
#include "tests/demo/DemoFixture.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoSheets.h"

using demotest::DemoData;
using namespace datagen::demo;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

media::TGPBitmap Decode(const std::string& bytes) {
    rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    media::TGPBitmap bitmap;
    bitmap.LoadFromStream(stream);
    return bitmap;
}

}  // namespace

TEST(DemoDataSet, TwoRunsWriteTheSameBytes) {
    const std::vector<DemoFile> again = BuildDemoDataSet(true).Files();
    const auto& first = DemoData::Get().files;
    ASSERT_EQ(again.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(again[i].path, first[i].path);
        EXPECT_TRUE(again[i].bytes == first[i].bytes) << first[i].path << " differs between runs";
    }
}

TEST(DemoDataSet, TheSetStaysAFewMegabytes) {
    size_t total = 0, withoutTest = 0;
    for (const DemoFile& f : DemoData::Get().files) {
        total += f.bytes.size();
        if (f.path != "Resource/0Test.ig") withoutTest += f.bytes.size();
    }
    // Each of the three sets carries its classes, pictures, backdrops and sounds.
    EXPECT_LT(withoutTest, size_t{9} << 20);
    EXPECT_GT(withoutTest, size_t{1} << 20) << "suspiciously small";
    EXPECT_LT(total, size_t{11} << 20);
}

TEST(DemoDataSet, TheCommandWritesTheProgramFolderAndReplacesFilesWhole) {
    TempDir dir;
    const datagen::CommandEntry* demo = datagen::FindCommand("demo");
    ASSERT_NE(demo, nullptr);
    EXPECT_EQ(demo->run({dir.File("home"), "--bogus"}), 2);
    EXPECT_EQ(demo->run({}), 2);
    ASSERT_EQ(demo->run({dir.File("home")}), 0);
    for (const char* path : {"Resource/Demo2.bif", "Resource/Sprallion.ig", "Resource/Prologue.ig", "Resource/MIDI/Menu.mid",
                             "Index.htm", "Help/Sprallion_419.TXT", "TopList/Ranks/Рядовой.bmp", "TopList/Template/header.htm"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.File(std::string("home/") + path))) << path;
    EXPECT_FALSE(std::filesystem::exists(dir.File("home/Resource/0Test.ig")));
    EXPECT_EQ(ReadFile(dir.File("home/Resource/Demo2.bif")), DemoData::Get().FileBytes(kGameDataFile));
    // A second run over a changed file puts the whole file back and leaves no temporary files.
    const std::string bif = dir.File("home/Resource/Demo2.bif");
    std::ofstream(bif, std::ios::binary | std::ios::trunc) << "damaged";
    ASSERT_EQ(demo->run({dir.File("home"), "--test-set"}), 0);
    EXPECT_EQ(ReadFile(bif), DemoData::Get().FileBytes(kGameDataFile));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("home/Resource/0Test.ig")));
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.File("home")))
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
}

TEST(DemoDataSet, HelpTextAndPageSpeakRussian) {
    const std::string& text = DemoData::Get().FileBytes("Help/Sprallion_419.TXT");
    // In the game's code page, not UTF-8.
    EXPECT_NE(rtl::AnsiToUtf8(text).find("Управление"), std::string::npos);
    EXPECT_EQ(text.find("Управление"), std::string::npos);
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    const std::string& page = DemoData::Get().FileBytes("Index.htm");
    EXPECT_NE(page.find("charset=\"utf-8\""), std::string::npos);
    EXPECT_NE(page.find("Управление"), std::string::npos);
}

TEST(DemoDataSet, StoredPicturesDecodeToTheirImagesWithTheKeyOnlyWhereTransparent) {
    // Run-length coded sheets of every kind: the paddle's sizes, a brick's damage stages, a
    // skin following the paddle, the heads-up frame with its window into the field.
    std::vector<DemoPicture> pictures;
    for (const UnitClassData& c : DemoUnitClasses())
        if (c.id == 1 || c.id == 28 || c.id == 62) pictures.insert(pictures.end(), c.pictures.begin(), c.pictures.end());
    const EffectsData effects = DemoEffects(), panels = DemoInterfaceClasses();
    pictures.push_back(effects.pictures.at(3));
    pictures.push_back(panels.pictures.at(1));
    for (const DemoPicture& p : pictures) {
        SCOPED_TRACE(p.key);
        media::TGPBitmap bmp = Decode(p.Bytes());
        ASSERT_FALSE(bmp.Failure);
        ASSERT_EQ(bmp.Width(), p.image.Width());
        ASSERT_EQ(bmp.Height(), p.image.Height());
        int mismatched = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) {
                const uint32_t c = bmp.PixelColor(x, y) & 0xFFFFFF;
                const bool key = c == 0;
                mismatched += key == p.image.Opaque(x, y);
            }
        EXPECT_EQ(mismatched, 0);
    }
}

TEST(DemoDataSet, BrickStagesRunFromNearlyBrokenToWhole) {
    // A hit moves a brick one column down, so column 0 carries the deepest cracks.
    const Image sheet = RowsToColumns(MakeSheet({Image(4, 2, Rgb{1, 1, 1}), Image(4, 2, Rgb{2, 2, 2}), Image(4, 2, Rgb{3, 3, 3})}, 1),
                                      4, 2, true);
    ASSERT_EQ(sheet.Width(), 12);
    ASSERT_EQ(sheet.Height(), 2);
    EXPECT_EQ(sheet.At(0, 0).r, 3);
    EXPECT_EQ(sheet.At(11, 1).r, 1);
    for (const UnitClassData& c : DemoUnitClasses()) {
        if (c.id != 28) continue;  // a three-hit brick
        const Image& stages = c.pictures.at(0).image;
        auto dark = [&](int column) {
            int n = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = column * 48; x < column * 48 + 48; ++x) n += stages.Opaque(x, y) && Luma(stages.At(x, y)) < 40;
            return n;
        };
        EXPECT_GT(dark(0), dark(1));
        EXPECT_GT(dark(1), dark(2));
    }
}
