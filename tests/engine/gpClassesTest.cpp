#include "engine/gpClasses.h"

#include <gtest/gtest.h>

#include "ClassesFixture.h"
#include "rtl/Exceptions.h"

using namespace engine;
using datagen::IntEncoding;
using datagen::RealEncoding;
using datagen::RecordWriter;

namespace {

std::string Slide(int32_t state, IntEncoding encoding = IntEncoding::Smallest) {
    return RecordWriter("TOneSlide", "S" + std::to_string(state))
        .Int("IDName", 3, encoding)
        .Int("IDCondition", state, encoding)
        .Str("IDSlide", "Monster_" + std::string(StateName(state)))
        .Int("PatternWidth", 40, encoding)
        .Int("BaseLeft", -3, encoding)
        .Int("HTicksPerChange", 100, encoding)
        .Ident("StyleHTicks", "sh_RandomAnimation")
        .Ident("StyleAniSprite", "swAll")
        .Finish();
}

std::string SevenSlides(int count = 7) {
    std::string out;
    for (int s = 1; s <= count; ++s) out += Slide(s);
    return out;
}

std::string Cursor(int32_t idName, const std::string& picture) {
    return RecordWriter("TOneCursor", "C").Int("IDName", idName).Str("IDClasse", picture).Int("OffsetY", 5).Finish();
}

}  // namespace

// ---- Name tables ----

using NameTables = ClassesFixture;

TEST_F(NameTables, FillEachTableFromSlotOneAndEmptyEntriesTakeNoSlot) {
    auto names = DefaultNames();
    names.tables[3] = {"Boom", "", "Spark"};  // the empty entry leaves no gap
    ASSERT_EQ(LoadNames(names), 0);
    EXPECT_EQ(UnitClassName(3), "Monster");
    EXPECT_EQ(MapElementName(1), "Wall");
    EXPECT_EQ(CursorName(2), "Hand");
    EXPECT_EQ(EffectName(2), "Spark");
    EXPECT_EQ(EffectName(3), "");
    EXPECT_EQ(InterfaceName(2), "Digits");
    EXPECT_EQ(UnitClassName(0), "");
    EXPECT_EQ(UnitClassName(167), "");
}

TEST_F(NameTables, AFullUnitTableLoadsAndOneNameMoreRaisesTheRangeErrorKeepingTheOldNames) {
    datagen::NameTables names;
    for (int i = 1; i <= 166; ++i) names.tables[0].push_back("U" + std::to_string(i));
    ASSERT_EQ(LoadNames(names), 0);
    EXPECT_EQ(UnitClassName(166), "U166");
    EXPECT_EQ(MapElementName(1), "");  // a shorter table leaves no stale names

    names.tables[0].push_back("U167");
    names.tables[0][0] = "Changed";
    EXPECT_THROW(LoadNames(names), rtl::ERangeError);
    EXPECT_EQ(UnitClassName(1), "U1");
}

TEST_F(NameTables, WithoutTheUnitFlagTheUnitNamesStayButTheOtherTablesAreRead) {
    auto names = DefaultNames();
    names.tables[0] = {"Other"};
    names.tables[2] = {"Pointer"};
    ASSERT_EQ(LoadNames(names, 0), 0);
    EXPECT_EQ(UnitClassName(1), "Paddle");
    EXPECT_EQ(CursorName(1), "Pointer");
    ASSERT_EQ(LoadNames(names, 30), 0);  // what the shell passes: bit value 2 is set
    EXPECT_EQ(UnitClassName(1), "Other");
    EXPECT_EQ(UnitClassName(2), "");
}

TEST_F(NameTables, SignatureIsExactlyFiveBytesAndVersionMustBeOnePointOne) {
    auto names = DefaultNames();
    names.tables[0] = {"Other"};
    names.signature = "GP_RX";  // byte 5 not zero
    EXPECT_EQ(LoadNames(names), -2);
    names.signature = std::string("GP_R\0", 5);
    names.version = 1.0;
    EXPECT_EQ(LoadNames(names), -1);
    EXPECT_EQ(UnitClassName(1), "Paddle");

    rtl::MemoryStream shortStream(std::vector<uint8_t>{'G', 'P'});
    EXPECT_EQ(LoadPixSetGP({}, 62, &shortStream), -2);
}

TEST_F(NameTables, UntrustedLengthsAndTruncationRaiseTheReadError) {
    const std::string good = datagen::WriteNameTables(DefaultNames());
    std::string huge = good.substr(0, 13) + datagen::Int32Bytes(0x7FFFFFF0) + "abc";
    rtl::MemoryStream a(std::vector<uint8_t>(huge.begin(), huge.end()));
    EXPECT_THROW(LoadPixSetGP({}, 62, &a), rtl::EReadError);
    rtl::MemoryStream b(std::vector<uint8_t>(good.begin(), good.end() - 3));
    EXPECT_THROW(LoadPixSetGP({}, 62, &b), rtl::EReadError);
    EXPECT_EQ(UnitClassName(1), "Paddle");
}

TEST_F(NameTables, LoadFromAFileFoundWhateverItsCase) {
    auto names = DefaultNames();
    names.tables[0] = {"FromFile"};
    dir_.Write("Resource/PIXSET.GP", datagen::WriteNameTables(names));
    EXPECT_EQ(LoadPixSetGP(ResourceFolders().Resource + "PixSet.gp", 62, nullptr), 0);
    EXPECT_EQ(UnitClassName(1), "FromFile");
    EXPECT_THROW(LoadPixSetGP(ResourceFolders().Resource + "none.gp", 62, nullptr), rtl::EFOpenError);
}

// ---- Loaders ----

using Descriptions = ClassesFixture;

TEST_F(Descriptions, EveryClassLoadsFromItsContainerSectionWithDefaultsForAbsentProperties) {
    TGPResource& level = Container({
        {"Classes_Unit", {{"Monster", SevenSlides()}}},
        {"Classes_MapElement", {{"Wall", RecordWriter("TOneSlide", "W").Str("IDSlide", "Wall").Finish()}}},
        {"Classes_Effects", {{"Spark", RecordWriter("TOneEffects", "E").Real("fiReal", 0.5).Finish()}}},
        {"Classes_Interface", {{"Digits", RecordWriter("TOneInterface", "I").Int("Top", 550).Finish()}}},
    });
    TGPResource& gameData = Container({{"Cursors", {{"Hand", Cursor(2, "Hand")}}}});
    const TKernelResources kernel{&level, &gameData};

    TListOneSlide slides;
    ASSERT_TRUE(LoadUnitSlides(kernel, 3, slides));
    ASSERT_EQ(slides.Count(), 7);
    EXPECT_EQ(slides.Get(3)->IDSlide, "Monster_Move");
    EXPECT_EQ(slides.Get(3)->IDCondition, 4);
    EXPECT_EQ(slides.Get(3)->StyleHTicks, TStyleHTicks::sh_RandomAnimation);
    EXPECT_EQ(slides.Get(3)->IDWav, -1);
    EXPECT_EQ(slides.Get(3)->PictureIndex, -1);

    TListOneSlide element;
    ASSERT_TRUE(LoadElementSlides(kernel, 1, element));
    EXPECT_EQ(element.Get(0)->IDSlide, "Wall");
    EXPECT_EQ(element.Get(0)->IDName, 1);

    auto effect = LoadEffectClass(kernel, 2);
    ASSERT_TRUE(effect);
    EXPECT_DOUBLE_EQ(effect->fiReal, 0.5);
    EXPECT_EQ(effect->IDClasse, "No");
    auto panel = LoadInterfaceClass(kernel, 2);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->Top, 550);
    EXPECT_EQ(panel->IDWav, -1);
    auto cursor = LoadCursorClass(kernel, 2);  // from the game data, not the level set
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->OffsetY, 5);

    // Absent entries, empty names and identifiers outside the tables give nothing.
    EXPECT_FALSE(LoadUnitSlides(kernel, 1, slides));
    EXPECT_FALSE(LoadUnitSlides(kernel, 167, slides));
    EXPECT_FALSE(LoadEffectClass(kernel, 1));
    EXPECT_FALSE(LoadEffectClass(kernel, 36));
    EXPECT_FALSE(LoadCursorClass(kernel, 1));
    EXPECT_FALSE(LoadInterfaceClass(kernel, 121));
}

TEST_F(Descriptions, EveryClassLoadsFromLooseFilesAndAMissingFileRaises) {
    Loose("Monster", ".ss", SevenSlides());
    Loose("wall", ".SE", RecordWriter("TOneSlide", "W").Int("IDName", 1).Finish());
    Loose("Hand", ".cr", Cursor(2, "Hand"));
    Loose("Spark", ".ef", RecordWriter("TOneEffects", "E").Ident("StyleImposition", "siScaling").Finish());
    Loose("Digits", ".si", RecordWriter("TOneInterface", "I").Int("OffX", -7).Finish());
    const TKernelResources none;

    TListOneSlide slides;
    EXPECT_TRUE(LoadUnitSlides(none, 3, slides));
    EXPECT_EQ(slides.Count(), 7);
    EXPECT_TRUE(LoadElementSlides(none, 1, slides));
    EXPECT_EQ(LoadCursorClass(none, 2)->IDClasse, "Hand");
    EXPECT_EQ(LoadEffectClass(none, 2)->StyleImposition, TStyleImposition::siScaling);
    EXPECT_EQ(LoadInterfaceClass(none, 2)->OffX, -7);
    EXPECT_THROW(LoadCursorClass(none, 1), rtl::EFOpenError);
}

TEST_F(Descriptions, IntegersAndRealsReadTheSameWhateverTheirEncoding) {
    std::vector<std::pair<std::string, std::string>> entries;
    const IntEncoding ints[] = {IntEncoding::Int16, IntEncoding::Int32, IntEncoding::Int64};
    for (int i = 0; i < 3; ++i) entries.push_back({"Monster" + std::to_string(i), [&] {
        std::string seven;
        for (int s = 1; s <= 7; ++s) seven += Slide(s, ints[i]);
        return seven;
    }()});
    TGPResource& level = Container({datagen::DescriptionSection("Classes_Unit", entries),
                                    {"Classes_Effects", {
                                        {"Boom", RecordWriter("TOneEffects", "E").Real("fiReal", 0.1, RealEncoding::Extended).Int("IDWav", 5, IntEncoding::Int8).Finish()},
                                        {"Spark", RecordWriter("TOneEffects", "E").Real("fiReal", 0.1, RealEncoding::Double).Int("IDWav", 5, IntEncoding::Int32).Finish()}}}});
    auto names = DefaultNames();
    names.tables[0] = {"Monster0", "Monster1", "Monster2"};
    ASSERT_EQ(LoadNames(names), 0);
    const TKernelResources kernel{&level, nullptr};
    std::vector<TListOneSlide> read(3);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(LoadUnitSlides(kernel, i + 1, read[static_cast<size_t>(i)]));
    for (int i = 0; i < 3; ++i) {
        for (int s = 0; s < 7; ++s) {
            const TOneSlide& slide = *read[static_cast<size_t>(i)].Get(s);
            EXPECT_EQ(slide.IDCondition, s + 1);
            EXPECT_EQ(slide.PatternWidth, 40);
            EXPECT_EQ(slide.BaseLeft, -3);
            EXPECT_EQ(slide.HTicksPerChange, 100);
        }
    }
    auto extended = LoadEffectClass(kernel, 1), twice = LoadEffectClass(kernel, 2);
    EXPECT_EQ(extended->fiReal, 0.1);
    EXPECT_EQ(twice->fiReal, 0.1);
    EXPECT_EQ(extended->IDWav, 5);
    EXPECT_EQ(twice->IDWav, 5);
}

TEST_F(Descriptions, ARecordIsReadInsideItsEntryNeverIntoTheNextOne) {
    // Six slides where seven belong: the seventh must not come from the neighbouring entry.
    TGPResource& level = Container({{"Classes_Unit", {{"Monster", SevenSlides(6)}, {"Paddle", SevenSlides()}}},
                                    {"Classes_Effects", {{"Boom", Slide(1).substr(0, 20)}}}});
    const TKernelResources kernel{&level, nullptr};
    TListOneSlide slides;
    EXPECT_THROW(LoadUnitSlides(kernel, 3, slides), rtl::EReadError);
    TListOneSlide paddle;
    EXPECT_TRUE(LoadUnitSlides(kernel, 1, paddle));
    EXPECT_THROW(LoadEffectClass(kernel, 1), rtl::EReadError);  // the last entry ends with the file
}

// ---- Registers ----

using Registers = ClassesFixture;

TEST_F(Registers, APresentDescriptionIsLoadedOnceAndAnAbsentOneTriedAgain) {
    TGPResource& without = Container({{"Classes_Effects", {{"Boom", RecordWriter("TOneEffects", "E").Finish()}}}});
    TGPResource& with = Container({{"Classes_Effects", {{"Spark", RecordWriter("TOneEffects", "E").Int("TimeLifes", 4).Finish()}}}});
    TGPResource& changed = Container({{"Classes_Effects", {{"Spark", RecordWriter("TOneEffects", "E").Int("TimeLifes", 9).Finish()}}}});

    EXPECT_EQ(ListAnimateEffects().FindOrLoad({&without, nullptr}, 2), nullptr);
    EXPECT_EQ(ListAnimateEffects().FindOrLoad({&without, nullptr}, 2), nullptr);
    EXPECT_EQ(ListAnimateEffects().Count(), 0);
    TOneEffects* spark = ListAnimateEffects().FindOrLoad({&with, nullptr}, 2);  // tried again
    ASSERT_NE(spark, nullptr);
    EXPECT_EQ(ListAnimateEffects().FindOrLoad({&changed, nullptr}, 2), spark);  // not read again
    EXPECT_EQ(spark->TimeLifes, 4);
    EXPECT_EQ(ListAnimateEffects().Count(), 1);
}

TEST_F(Registers, EntriesAreKeyedByTheIdentifierAskedForNotTheStoredIDName) {
    TGPResource& gameData = Container({{"Cursors", {{"Hand", Cursor(9, "Hand")}}}});
    const TKernelResources kernel{nullptr, &gameData};
    TOneCursor* first = ListAnimateCursor().FindOrLoad(kernel, 2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->IDName, 9);
    EXPECT_EQ(ListAnimateCursor().FindOrLoad(kernel, 2), first);
    EXPECT_EQ(ListAnimateCursor().Count(), 1);
    EXPECT_EQ(ListAnimateCursor().KeyOf(0), 2);
}

TEST_F(Registers, ClearingFreesEveryDescriptionButTheCursors) {
    TGPResource& level = Container({{"Classes_Unit", {{"Monster", SevenSlides()}}},
                                    {"Classes_MapElement", {{"Wall", Slide(1)}}},
                                    {"Classes_Effects", {{"Boom", RecordWriter("TOneEffects", "E").Finish()}}},
                                    {"Classes_Interface", {{"Panel", RecordWriter("TOneInterface", "I").Finish()}}}});
    TGPResource& gameData = Container({{"Cursors", {{"Arrow", Cursor(1, "Arrow")}}}});
    const TKernelResources kernel{&level, &gameData};
    TStructureSlide* monster = ListAnimateObject().FindOrLoad(kernel, 3);
    ASSERT_NE(monster, nullptr);
    EXPECT_EQ(monster->IDClass, 3);
    EXPECT_TRUE(monster->Loaded);
    EXPECT_EQ(monster->SlideCount(), 7);
    ASSERT_NE(ListAnimateElement().FindOrLoad(kernel, 1), nullptr);
    ASSERT_NE(ListAnimateEffects().FindOrLoad(kernel, 1), nullptr);
    ASSERT_NE(ListAnimateInterface().FindOrLoad(kernel, 1), nullptr);
    ASSERT_NE(ListAnimateCursor().FindOrLoad(kernel, 1), nullptr);
    EXPECT_EQ(ListAnimateObject().FindOrLoad(kernel, 1), nullptr);  // absent: nothing added

    ClearAnimationRegistries();
    EXPECT_EQ(ListAnimateObject().Count() + ListAnimateElement().Count() + ListAnimateEffects().Count() +
                  ListAnimateInterface().Count(), 0);
    EXPECT_EQ(ListAnimateCursor().Count(), 1);
    try {
        ListAnimateObject().Get(0);
        FAIL();
    } catch (const rtl::EListError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (0)");
    }
    EXPECT_THROW((void)ListAnimateCursor().Get(-1), rtl::EListError);
}
