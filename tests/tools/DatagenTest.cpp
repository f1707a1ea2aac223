// The writers' command lines and the fuzz seed corpora make files the readers accept.
#include <gtest/gtest.h>

#include "engine/gpResource.h"
#include "media/gpBitmap.h"
#include "media/Wave.h"
#include "tests/TempDir.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Seeds.h"

namespace {
int RunCommand(const std::string& name, const std::vector<std::string>& args) {
    const datagen::CommandEntry* command = datagen::FindCommand(name);
    if (!command) return -1;
    return command->run(args);
}
}  // namespace

TEST(DatagenCommands, WriteFilesTheReadersAccept) {
    TempDir dir;
    ASSERT_EQ(RunCommand("container", {dir.File("a.bif")}), 0);
    {
        engine::TGPResource r(dir.File("a.bif"), rtl::fmOpenRead);
        EXPECT_EQ(r.Status(), 0);
        EXPECT_EQ(r.ReadString("Strings", "Title_409"), "Sprallion");
    }
    ASSERT_EQ(RunCommand("container", {dir.File("b.bif"), "badmagic"}), 0);
    EXPECT_EQ(engine::TGPResource(dir.File("b.bif"), rtl::fmOpenRead).Status(), -1);
    EXPECT_EQ(RunCommand("container", {dir.File("c.bif"), "nonsense"}), 2);

    for (const char* depth : {"1", "4", "8", "16", "24", "32"}) {
        ASSERT_EQ(RunCommand("bmp", {dir.File("p.bmp"), depth}), 0);
        media::TDIB dib;
        dib.LoadFromFile(dir.File("p.bmp"));
        EXPECT_EQ(dib.BitCount(), std::stoi(depth));
    }
    ASSERT_EQ(RunCommand("bmp", {dir.File("r.bmp"), "8", "rle", "delta"}), 0);
    media::TDIB rle;
    rle.LoadFromFile(dir.File("r.bmp"));
    EXPECT_TRUE(rle.Compressed());

    ASSERT_EQ(RunCommand("wave", {dir.File("s.wav"), "8000", "8", "2"}), 0);
    rtl::FileStream wav(dir.File("s.wav"), rtl::fmOpenRead);
    media::TWaveReader reader;
    ASSERT_TRUE(media::OpenWaveStream(&wav, reader));
    EXPECT_EQ(reader.SampleCount, 800u);

    ASSERT_EQ(RunCommand("jpeg", {dir.File("j.jpg"), "30", "20", "80"}), 0);
    media::TGPBitmap jpeg;
    jpeg.LoadFromFile(dir.File("j.jpg"));
    EXPECT_EQ(jpeg.FormatKind, media::gpbJPEG);
    EXPECT_EQ(jpeg.Width(), 30);

    ASSERT_EQ(RunCommand("records", {dir.File("r.dat")}), 0);
}

TEST(DatagenSeeds, EveryReaderHasACorpus) {
    for (const char* target : {"fuzz_container", "fuzz_datastream", "fuzz_bmp", "fuzz_jpeg", "fuzz_wave"}) {
        const datagen::SeedFunction* seeds = datagen::FindSeedWriter(target);
        ASSERT_NE(seeds, nullptr) << target;
        int count = 0;
        (*seeds)([&](const std::string&, std::string_view bytes) { count += bytes.empty() ? 0 : 1; });
        EXPECT_GE(count, 4) << target;
    }
}
