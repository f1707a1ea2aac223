// The demo data opens with the game's own readers: containers (checksums), name tables,
// level sets, class descriptions and game values, the picture loaders (a picture is its
// pattern size times its columns and rows), the wave list, the WAVE reader and the MIDI
// reader.
#include <gtest/gtest.h>

#include <span>

#include "engine/gpClasses.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpLevel.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "media/Wave.h"
#include "platform/midi/MidiFile.h"
#include "rtl/Text.h"
#include "tests/demo/DemoFixture.h"
#include "tests/engine/WorldFixture.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoInterface.h"
#include "tools/datagen/demo/DemoNames.h"

using demotest::DemoData;
using namespace datagen::demo;

namespace {

std::vector<std::string> Containers() {
    std::vector<std::string> out{kGameDataFile};
    for (const DemoLevelSetData& s : DemoData::Get().set.levelSets) out.push_back(s.Path());
    return out;
}

int32_t LoadNames(engine::TGPResource& container, int32_t flags) {
    if (!container.Locate("Strings", "PixSetGP")) return -99;
    return engine::LoadPixSetGP({}, flags, &container);
}

// The picture loaders on a headless display, with the demo's containers as the kernel's.
class DemoPictureTest : public enginetest::WorldFixture {
protected:
    void UseSet(const DemoLevelSetData& set) {
        kernel->Resource = std::make_unique<engine::TGPResource>(DemoData::Get().Path(set.Path()), rtl::fmOpenRead);
        gameData = std::make_unique<engine::TGPResource>(DemoData::Get().Path(kGameDataFile), rtl::fmOpenRead);
        kernel->InterfaceResource = gameData.get();
        ASSERT_EQ(LoadNames(*kernel->Resource, 62), 0);
        engine::ClearAnimationRegistries();
    }
    engine::TDXRegisterAnimate reg;
};

}  // namespace

TEST(DemoReaders, ContainersOpenWithTheirChecksumsAndNameTables) {
    for (const std::string& path : Containers()) {
        engine::TGPResource r(DemoData::Get().Path(path), rtl::fmOpenRead);
        EXPECT_EQ(r.Status(), 0) << path;
        EXPECT_EQ(LoadNames(r, path == kGameDataFile ? 30 : 62), 0) << path;
    }
    EXPECT_EQ(engine::UnitClassName(unit::Ball), "Ball");
    EXPECT_EQ(engine::EffectName(effect::FloorRow), "Floor_Row");
    EXPECT_EQ(engine::CursorName(cursor::SlotUsed), "Slot_Used");
    EXPECT_EQ(engine::InterfaceName(panel::Bottom), "Panel_Bottom");
    engine::ClearNameTables();
}

TEST(DemoReaders, EveryLevelOfEverySetReadsWithTheLevelReader) {
    for (const DemoLevelSetData& s : DemoData::Get().set.levelSets) {
        SCOPED_TRACE(s.set.file);
        engine::TGPResource r(DemoData::Get().Path(s.Path()), rtl::fmOpenRead);
        engine::TInterfaceHeader header = engine::LevelSetHeader();
        engine::TLevelStream stream(s.Path(), &r, header, rtl::fmOpenRead);
        ASSERT_EQ(stream.Status(), 0);
        EXPECT_EQ(header.PackName, s.set.FileTitle());
        EXPECT_EQ(rtl::AnsiToUtf8(header.Title), s.set.title);
        EXPECT_LE(header.Title.size(), 20u);
        EXPECT_LE(s.set.file.size(), 20u);
        engine::TRecordInterfaceGame& d = stream.Descriptor();
        EXPECT_EQ(d.ScriptInterface != 0, s.set.scriptHud);
        EXPECT_EQ(d.MapColumns(), 9);
        EXPECT_EQ(d.MapRows(), 8);
        ASSERT_EQ(d.Hierarchy.size(), 3u);
        for (int p = 0; p < 3; ++p) EXPECT_EQ(d.Hierarchy[static_cast<size_t>(p)].PanelNumber(), p + 1);
        ASSERT_EQ(stream.GetLevelCount(), static_cast<int>(s.set.set.levels.size()));
        for (int i = 0; i < stream.GetLevelCount(); ++i) {
            const auto level = stream.LoadLevel(i);
            EXPECT_FALSE(level->Title.empty());
            EXPECT_EQ(level->PlayerStartY, 490);
            EXPECT_EQ(level->EffectTicks, 300);
            EXPECT_TRUE(level->BallLimit && level->AttachmentLimit && level->LevelParameter && level->ChargeMax);
            ASSERT_GE(level->ElementCount(), 1);
            EXPECT_TRUE(level->GetElement(0).IDClass >= 1 && level->GetElement(0).IDClass <= kBackdropElements);
            for (int key : {0, 1, 2, 3, 4, 5}) EXPECT_NE(level->Nations.FindNation(key), nullptr) << key;
            const engine::TStructurNation* player = level->Nations.FindNation(3);
            int active = 0;
            for (int k = 0; k < player->Count(); ++k)
                if (player->Object(k).Active) {
                    ++active;
                    EXPECT_EQ(player->Object(k).IDClass, unit::Paddle);
                    EXPECT_EQ(player->Object(k).Y, 490);
                }
            EXPECT_EQ(active, 1);
            EXPECT_GE(level->SpeedFactor(3), level->SpeedFactor(1));
        }
    }
}

TEST(DemoReaders, WaveListNamesEverySoundAndEverySoundIsPlainPcm) {
    engine::TGPResource r(DemoData::Get().Path(kGameDataFile), rtl::fmOpenRead);
    auto entry = r.OpenEntry("Strings", "ListWave");
    ASSERT_NE(entry, nullptr);
    engine::TWaveListData list;
    engine::ReadWaveList(*entry, true, list);
    const datagen::WaveList expected = DemoWaveList();
    EXPECT_EQ(list.Bases, expected.bases);
    ASSERT_EQ(list.Names.Count(), static_cast<int>(expected.names.size()));
    for (int i = 0; i < list.Names.Count(); ++i) {
        auto wave = r.OpenEntry("Wav", list.Names[i]);
        ASSERT_NE(wave, nullptr) << list.Names[i];
        media::TWaveReader reader;
        ASSERT_TRUE(media::OpenWaveStream(wave.get(), reader)) << list.Names[i];
        EXPECT_EQ(reader.Format.nSamplesPerSec, 22050u);
        EXPECT_EQ(reader.Format.nChannels, 1);
        EXPECT_EQ(reader.Format.wBitsPerSample, 16);
        EXPECT_GT(reader.DataSize, 1000u);
    }
}

TEST(DemoReaders, TunesLastLongerThanHalfAMinute) {
    for (const DemoTune& t : DemoTunes()) {
        const std::string& bytes = DemoData::Get().FileBytes("Resource/MIDI/" + t.file);
        const auto song = platform::midi::ReadMidiFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_GT(song.LengthMs(), 30000u) << t.file;
    }
}

TEST_F(DemoPictureTest, EveryClassLoadsItsSlidesGameValuesAndPictures) {
    for (const DemoLevelSetData& s : DemoData::Get().set.levelSets) {
        SCOPED_TRACE(s.set.file);
        UseSet(s);
        for (const UnitEntry& u : DemoUnits()) {
            SCOPED_TRACE(UnitName(u.id));
            engine::TListOneSlide slides;
            ASSERT_TRUE(engine::LoadUnitSlides(kernel->Resources(), u.id, slides));
            ASSERT_EQ(slides.Count(), 7);
            for (int i = 0; i < 7; ++i) {
                engine::TOneSlide& slide = *slides.Get(i);
                EXPECT_EQ(slide.IDName, u.id);
                EXPECT_EQ(slide.LinesWidth, u.columns);
                EXPECT_EQ(slide.LinesHeight, u.frames);
                media::TPictureCollectionItem* item = engine::LoadUnitPicture(reg, *kernel, slide, kernel->Display());
                ASSERT_NE(item, nullptr) << "state " << i + 1;
                EXPECT_EQ(item->Picture().Width(), slide.PatternWidth * slide.LinesWidth);
                EXPECT_EQ(item->Picture().Height(), slide.PatternHeight * slide.LinesHeight);
                EXPECT_EQ(item->PatternCount(), slide.LinesWidth * slide.LinesHeight);
                EXPECT_TRUE(item->Transparent);
            }
            // The state a pooled object starts in has a slide, and orders stay within the kinds.
            const auto general = engine::LoadGeneralObject(kernel->Resources(), u.id);
            ASSERT_NE(general, nullptr);
            EXPECT_EQ(general->Toughness, u.toughness);
            EXPECT_EQ(general->PriceForDeath, u.price);
            EXPECT_TRUE(general->DefaultSlide >= 1 && general->DefaultSlide <= 7);
            EXPECT_NO_THROW(general->ParseWeapons());
            EXPECT_EQ(general->SizeWeapon, u.weapons.empty() ? 0 : 3);
        }
    }
}

TEST_F(DemoPictureTest, EffectsPanelsBackdropsAndCursorsLoadWithTheirPictures) {
    const DemoLevelSetData& s = DemoData::Get().set.levelSets.back();
    UseSet(s);
    for (int id = 1; id <= effect::Count; ++id) {
        auto fx = engine::LoadEffectClass(kernel->Resources(), id);
        ASSERT_NE(fx, nullptr) << id;
        media::TPictureCollectionItem* item = engine::LoadEffectPicture(reg, *kernel, *fx, kernel->Display());
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->Picture().Width() % fx->PatternWidth, 0) << id;
        EXPECT_EQ(item->Picture().Height() % fx->PatternHeight, 0) << id;
        EXPECT_GE(item->PatternCount(), fx->LinesWidth * fx->LinesHeight) << id;
    }
    for (int id = 1; id <= panel::Count; ++id) {
        auto panel = engine::LoadInterfaceClass(kernel->Resources(), id);
        ASSERT_NE(panel, nullptr) << id;
        media::TPictureCollectionItem* item = engine::LoadInterfacePicture(reg, *kernel, *panel, kernel->Display());
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->Picture().Width(), panel->PatternWidth);
        EXPECT_EQ(item->Picture().Height(), panel->PatternHeight);
        EXPECT_EQ(panel->Position, 0);
        EXPECT_LE(panel->Left + panel->PatternWidth, 800);
        EXPECT_LE(panel->Top + panel->PatternHeight, 600);
    }
    for (int id = 1; id <= kBackdropElements; ++id) {
        engine::TListOneSlide slides;
        ASSERT_TRUE(engine::LoadElementSlides(kernel->Resources(), id, slides)) << id;
        media::TPictureCollectionItem* item = engine::LoadMapElementPicture(reg, *kernel, *slides.Get(0), kernel->Display());
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->Picture().Width(), 576);
        EXPECT_EQ(item->Picture().Height(), 512);
        EXPECT_FALSE(item->Transparent);
    }
    for (int id = 1; id <= cursor::Count; ++id) {
        auto c = engine::LoadCursorClass(kernel->Resources(), id);
        ASSERT_NE(c, nullptr) << id;
        media::TPictureCollectionItem* item = engine::LoadCursorPicture(reg, *kernel, *c, kernel->Display());
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->Picture().Width(), c->PatternWidth);
    }
}

TEST_F(DemoPictureTest, EveryWidgetPictureLoadsCutIntoItsPatterns) {
    UseSet(DemoData::Get().set.levelSets.back());
    int loaded = 0;
    for (const DemoPicture& p : InterfacePictures()) {
        engine::TWidgetPicture widget{p.key, p.patternWidth, p.patternHeight, true, 0};
        media::TPictureCollectionItem* item = engine::LoadFormPicture(reg, *kernel, p.key, widget);
        ASSERT_NE(item, nullptr) << p.key;
        EXPECT_EQ(item->Picture().Width(), p.patternWidth * p.columns) << p.key;
        EXPECT_EQ(item->Picture().Height(), p.patternHeight * p.rows) << p.key;
        EXPECT_EQ(item->PatternCount(), p.columns * p.rows) << p.key;
        ++loaded;
    }
    EXPECT_GT(loaded, 30);
}
