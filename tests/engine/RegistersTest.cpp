#include "WorldFixture.h"

#include <limits>

#include "media/DXSounds.h"
#include "platform/audio/NullOutput.h"
#include "tools/datagen/Jpeg.h"
#include "tools/datagen/Wave.h"

using namespace engine;

namespace {

std::string Wave() {
    datagen::WaveParams w;
    w.samples = datagen::TestSamples(1, 16, 200);
    return datagen::BuildWave(w);
}

// A widget as the picture loaders see it.
struct StandInWidget {
    std::string Paint;
    int32_t PatternWidth = 0, PatternHeight = 0;
    bool Transparent = true;
    uint32_t TransparentColor = 0;
};

class SoundRegisterTest : public enginetest::WorldFixture {
protected:
    SoundRegisterTest() {
        auto device = platform::audio::Device::Create(std::make_unique<platform::audio::NullOutput>([] { return 0u; }));
        auto sound = std::make_unique<TKernelDirectSound>(std::make_unique<media::TDirectSound>(1, 0, device));
        kernel = std::make_unique<TGPKernel>(&display, nullptr, std::move(sound));
        waves = WaveRegister(*kernel);
    }
    // The game data with a wave list of these names, bases 10, 20, ... 70.
    void WaveData(std::vector<std::string> names, int64_t lengthDelta = 0) {
        datagen::WaveList list{{10, 20, 30, 40, 50, 60, 70}, std::move(names), lengthDelta};
        GameData({{"Strings", {{"ListWave", datagen::WaveListEntry(list)}}},
                  {"Wav", {{"Boom", Wave()}, {"Ping", "not a wave at all"}}}});
    }
    TDXRegisterSound* waves = nullptr;
};

class ImageRegisterTest : public enginetest::WorldFixture {
protected:
    ImageRegisterTest() { kernel->BackColor = 0x00FF00FF; }
    // A slide of class 3 ("Monster") in a state.
    static std::unique_ptr<TOneSlide> Slide(int32_t state) {
        auto slide = std::make_unique<TOneSlide>();
        slide->IDName = 3;
        slide->IDCondition = state;
        slide->IDSlide = "Monster" + std::to_string(state);
        slide->PatternWidth = slide->PatternHeight = 8;
        return slide;
    }
    TDXRegisterAnimate reg;
};

}  // namespace

TEST_F(SoundRegisterTest, GroupBasesGiveTheSoundNumbersSummedWithoutOverflow) {
    ASSERT_NE(waves, nullptr);
    waves->List.Bases = {10, 20, 30, 40, 50, 60, 70};
    EXPECT_EQ(waves->SoundNumber(115, 3), 23);  // classes 115 and 20 share the second base
    EXPECT_EQ(waves->SoundNumber(20, 3), 23);
    EXPECT_EQ(waves->SoundNumber(70, 5), 5);  // in no group
    EXPECT_EQ(waves->SoundNumber(2, 0), 10);
    EXPECT_EQ(waves->SoundNumber(65, 1), 51);
    EXPECT_EQ(waves->SoundNumber(7, 1), 61);
    EXPECT_EQ(waves->SoundNumber(200, 1), 71);
    waves->List.Bases[0] = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(waves->SoundNumber(1, std::numeric_limits<int32_t>::max()), int64_t{2} * std::numeric_limits<int32_t>::max());
}

TEST_F(SoundRegisterTest, SoundsLoadOnceAndANumberWithoutALineGivesNoneWithSoundOn) {
    WaveData({"Boom", "Ping", "", "Gone"});
    waves->LoadWaveList(kernel->InterfaceResource);
    ASSERT_EQ(waves->Enabled, 1);
    media::TWaveCollectionItem* boom = waves->GetSound(70, 0, *kernel);  // no level set: the game data
    ASSERT_NE(boom, nullptr);
    EXPECT_EQ(boom->Name(), "0");
    EXPECT_EQ(waves->GetSound(70, 0, *kernel), boom);
    EXPECT_EQ(waves->GetSound(1, -10, *kernel), boom);  // base 10
    EXPECT_EQ(waves->GetSound(70, 1, *kernel), nullptr);  // not a wave
    EXPECT_EQ(waves->GetSound(70, 2, *kernel), nullptr);  // an empty line
    EXPECT_EQ(waves->GetSound(70, 3, *kernel), nullptr);  // no such entry
    EXPECT_EQ(waves->GetSound(70, 7, *kernel), nullptr);  // no line at all
    EXPECT_EQ(waves->GetSound(70, -1, *kernel), nullptr);
    EXPECT_EQ(waves->Count(), 1);
    EXPECT_TRUE(kernel->SoundState->SoundOn);
    EXPECT_EQ(waves->Enabled, 1);
    // Through the executor's interface: the sound plays.
    TKernelSound* sound = kernel->SoundRegister->SoundOfNumber(*kernel, 0, 70);
    ASSERT_NE(sound, nullptr);
    sound->Play();
    EXPECT_TRUE(sound->Playing());
    EXPECT_EQ(kernel->SoundRegister->SoundOfNumber(*kernel, 0, 70), sound);
    kernel->Clear();  // a level reset empties the loaded sounds
    EXPECT_EQ(waves->Count(), 0);
}

TEST_F(SoundRegisterTest, AMissingOrDamagedWaveListSilencesEverySound) {
    GameData({{"Wav", {{"Boom", Wave()}}}});
    waves->LoadWaveList(kernel->InterfaceResource);
    EXPECT_EQ(waves->Enabled, 0);
    EXPECT_EQ(waves->GetSound(70, 0, *kernel), nullptr);
    EXPECT_FALSE(kernel->SoundState->SoundOn);
    // Names that claim more than the entry holds.
    kernel->SoundState->SoundOn = true;
    waves->Enabled = 1;
    WaveData({"Boom"}, 1000);
    EXPECT_THROW(waves->LoadWaveList(kernel->InterfaceResource), rtl::EReadError);
    EXPECT_EQ(waves->Enabled, 0);
    // The loose file of the sound folder, and a missing one.
    waves->Enabled = 1;
    dir.Write("Resource/Sound/listwave.lw", datagen::WaveListFile({{1, 2, 3, 4, 5, 6, 7}, {"A", "B"}}));
    waves->LoadWaveList(nullptr);
    EXPECT_EQ(waves->Enabled, 1);
    EXPECT_EQ(waves->List.Names.Count(), 2);
    EXPECT_EQ(waves->List.Bases[6], 7);
    std::filesystem::remove(dir.File("Resource/Sound/listwave.lw"));
    EXPECT_THROW(waves->LoadWaveList(nullptr), rtl::EFOpenError);
    EXPECT_EQ(waves->Enabled, 0);
}

TEST_F(ImageRegisterTest, SpritesOfOneClassAndStateShareOnePictureReadOnce) {
    LevelSet({{"BMP_Unit", {{"Monster_Work", datagen::PatternPicture(8, 8, 2, 1, [](int c, int) { return 0xFF0000u + c; })}}}});
    auto first = Slide(3), second = Slide(3);
    TPictureCollectionItem* item = LoadUnitPicture(reg, *kernel, *first, kernel->Display());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name(), "Monster3");
    EXPECT_EQ(item->PatternCount(), 2);
    EXPECT_TRUE(item->Transparent);
    EXPECT_EQ(item->TransparentColor(), 0x00FF00FFu);
    EXPECT_EQ(first->PictureIndex, item->Index());
    kernel->Resource = Container({});  // nothing to read from any more
    EXPECT_EQ(LoadUnitPicture(reg, *kernel, *second, kernel->Display()), item);
    EXPECT_EQ(LoadUnitPicture(reg, *kernel, *first, kernel->Display()), item);
    EXPECT_EQ(reg.Items().Count(), 1);
}

TEST_F(ImageRegisterTest, AFailedPictureIsMarkedAndNeverTriedAgain) {
    LevelSet({{"BMP_Unit", {{"Monster_Attack", "BM this is no bitmap"}}}});
    auto move = Slide(4), attack = Slide(5);
    EXPECT_EQ(LoadUnitPicture(reg, *kernel, *move, kernel->Display()), nullptr);  // "Monster_Move" is absent
    EXPECT_EQ(move->IDName, -1);
    EXPECT_ANY_THROW(LoadUnitPicture(reg, *kernel, *attack, kernel->Display()));
    EXPECT_EQ(attack->IDName, -1);
    EXPECT_EQ(reg.Items().Count(), 0);  // the item of the damaged picture went with it
    LevelSet({{"BMP_Unit", {{"Monster_Move", datagen::SolidPicture(8, 8, 0xFF)}}}});
    EXPECT_EQ(LoadUnitPicture(reg, *kernel, *move, kernel->Display()), nullptr);
    EXPECT_EQ(reg.Items().Count(), 0);
}

TEST_F(ImageRegisterTest, LooseFilesAreKeyedAndJpegsAndMapElementsAreOpaque) {
    dir.Write("Resource/Monster_Birth.BMP", datagen::SolidPicture(8, 8, 0x123456));
    auto birth = Slide(1);
    TPictureCollectionItem* loose = LoadUnitPicture(reg, *kernel, *birth, kernel->Display());
    ASSERT_NE(loose, nullptr);
    EXPECT_TRUE(loose->Transparent);
    auto quiet = Slide(2);
    EXPECT_THROW(LoadUnitPicture(reg, *kernel, *quiet, kernel->Display()), rtl::EFOpenError);
    EXPECT_EQ(quiet->IDName, -1);
    const std::string jpeg = datagen::LengthPrefixed(datagen::EncodeJpeg(datagen::TestJpegPicture(16, 8)));
    LevelSet({{"BMP_Unit", {{"Monster_Work", jpeg}}},
              {"BMP_MapElement", {{"Wall", datagen::SolidPicture(8, 8, 0x123456)}}},
              {"BMP_Font", {{"Digits", datagen::SolidPicture(8, 8, 0x123456)}}}});
    auto work = Slide(3);
    TPictureCollectionItem* photo = LoadUnitPicture(reg, *kernel, *work, kernel->Display());
    ASSERT_NE(photo, nullptr);
    EXPECT_FALSE(photo->Transparent);
    TOneSlide wall;
    wall.IDName = 1;
    wall.IDSlide = "WallPic";
    TPictureCollectionItem* tile = FindMapElementPicture(reg, *kernel, wall, false, kernel->Display());
    EXPECT_EQ(tile, nullptr);  // looked up only
    tile = FindMapElementPicture(reg, *kernel, wall, true, kernel->Display());
    ASSERT_NE(tile, nullptr);
    EXPECT_FALSE(tile->Transparent);
    TLineFont digits;
    digits.IDClasse = "Digits";
    EXPECT_NE(LoadInterfacePicture(reg, *kernel, digits, kernel->Display()), nullptr);
    TOneInterface panel;
    panel.IDClasse = "Digits";  // interface elements read "BMP_Interface"
    panel.PictureIndex = -1;
    TDXRegisterAnimate other;
    EXPECT_EQ(LoadInterfacePicture(other, *kernel, panel, kernel->Display()), nullptr);
    EXPECT_EQ(panel.IDClasse, "");
}

TEST_F(ImageRegisterTest, WidgetPicturesTakeThePatternOnlyWhenTheyAreLargeEnough) {
    GameData({{"BMP", {{"Small", datagen::SolidPicture(10, 10, 0xFF)}, {"Big", datagen::SolidPicture(64, 32, 0xFF)}}}});
    StandInWidget widget{"Big", 32, 32, false, 0x0000FF};
    EXPECT_EQ(FindWidgetPicture(reg, *kernel, WidgetPictureOf(widget), kernel->Display(), false), nullptr);
    TPictureCollectionItem* big = FindWidgetPicture(reg, *kernel, WidgetPictureOf(widget), kernel->Display(), true);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->PatternCount(), 2);
    EXPECT_FALSE(big->Transparent);  // the widget asked for none
    TPictureCollectionItem* small = FindNamedPicture(reg, *kernel, "Small", WidgetPictureOf(widget), true, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->PatternWidth, 0);
    EXPECT_EQ(small->Width(), 10);
    EXPECT_EQ(FindNamedPicture(reg, *kernel, "Absent", WidgetPictureOf(widget), true, nullptr), nullptr);
    // An image by its Paint: the resource folder's file with the image's own transparency.
    dir.Write("Resource/Preview.BMP", datagen::SolidPicture(20, 20, 0xFF));
    StandInWidget image{"Preview", 0, 0, true, 0x0000FF};
    TPictureCollectionItem* preview =
        FindImagePicture(reg, *kernel, WidgetPictureOf(image), kernel->Display(), true, true);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->Transparent);
    EXPECT_EQ(preview->TransparentColor(), 0x0000FFu);
}

TEST_F(ImageRegisterTest, ANewPictureBuildsOnlyItsOwnSurfaces) {
    GameData({{"BMP", {{"One", datagen::SolidPicture(16, 16, 0xFF)}, {"Two", datagen::SolidPicture(16, 16, 0xFF00)}}}});
    StandInWidget widget;
    TPictureCollectionItem* one = LoadFormPicture(reg, *kernel, "One", WidgetPictureOf(widget));
    ASSERT_NE(one, nullptr);
    ASSERT_EQ(one->SurfaceCount(), 1);
    const int surfaces = dxdraw.DDraw()->SurfaceCount();
    one->Surfaces(0).SetPixel(0, 0, 0x1234);  // rebuilt from the picture, this mark would go
    TPictureCollectionItem* two = LoadFormPicture(reg, *kernel, "Two", WidgetPictureOf(widget));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->SurfaceCount(), 1);
    EXPECT_EQ(one->Surfaces(0).Pixel(0, 0), 0x1234u);
    EXPECT_EQ(dxdraw.DDraw()->SurfaceCount(), surfaces + 1);
}

TEST_F(ImageRegisterTest, RegisterAllLoadsTheEffectPicturesUpToTheFirstFailure) {
    LevelSet({{"BMP_Effects",
               {{"Boom", datagen::SolidPicture(8, 8, 0xFF)},
                {"Flash", "GIF89a: not something this loader decodes"},
                {"Smoke", datagen::SolidPicture(8, 8, 0xFF)}}}});
    TDXRegisterEffects effects;
    effects.RegisterAll(*kernel, false);
    EXPECT_EQ(effects.Items().Count(), 0);
    effects.RegisterAll(*kernel, true);
    ASSERT_EQ(effects.Items().Count(), 1);  // "Spark" is absent and skipped; "Flash" stops it
    EXPECT_EQ(effects.Items().Items(0)->Name(), "");
}
