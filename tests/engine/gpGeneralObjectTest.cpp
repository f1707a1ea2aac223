#include "engine/gpGeneralObject.h"

#include <gtest/gtest.h>

#include <random>

#include "ClassesFixture.h"
#include "rtl/Exceptions.h"

using namespace engine;
using datagen::RecordWriter;

namespace {

// Every published property of the object set to a random value of its type.
void Randomise(rtl::Object& o, std::mt19937& random) {
    for (const rtl::PropInfo* p : rtl::GetPropList(o)) {
        if (!p->IsWritable() || !p->Stored) continue;  // the name travels in the header
        switch (p->Kind) {
            case rtl::PropKind::Integer: {
                const int bits = p->OrdSize * 8;
                const int64_t lo = p->Signed ? -(int64_t{1} << (bits - 1)) : 0;
                const int64_t hi = p->Signed ? (int64_t{1} << (bits - 1)) - 1 : (int64_t{1} << bits) - 1;
                rtl::SetOrdProp(o, *p, std::uniform_int_distribution<int64_t>(lo, hi)(random));
                break;
            }
            case rtl::PropKind::Enumeration:
            case rtl::PropKind::Boolean:
                rtl::SetOrdProp(o, *p, std::uniform_int_distribution<int64_t>(0, p->Enum->Count() - 1)(random));
                break;
            case rtl::PropKind::Float:
                rtl::SetFloatProp(o, *p, std::uniform_real_distribution<double>(-1e6, 1e6)(random));
                break;
            case rtl::PropKind::String: {
                std::string text(std::uniform_int_distribution<size_t>(0, 300)(random), ' ');
                for (char& c : text) c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
                rtl::SetStrProp(o, *p, text);
                break;
            }
            default: break;
        }
    }
}

void ExpectSameProperties(const rtl::Object& a, const rtl::Object& b) {
    for (const rtl::PropInfo* p : rtl::GetPropList(a))
        EXPECT_EQ(rtl::GetPropValue(a, *p), rtl::GetPropValue(b, *p)) << a.ClassName() << "." << p->Name;
}

}  // namespace

using GeneralObject = ClassesFixture;

TEST_F(GeneralObject, ParseWeaponsFillsTheTableAndClampsItsCount) {
    TGPGeneralObject g(nullptr, 4);
    EXPECT_EQ(g.ClassID, 4);
    EXPECT_EQ(g.AddParamInt4, -1);
    g.IDWeapon = "3\r\n5";
    g.Weapons.fill(9);
    g.ParseWeapons();
    EXPECT_EQ(g.SizeWeapon, 2);
    EXPECT_EQ(g.Weapons[0], 3);
    EXPECT_EQ(g.Weapons[1], 5);
    EXPECT_EQ(g.Weapons[2], 0);

    std::string many;
    for (int i = 1; i <= 300; ++i) many += std::to_string(i) + "\n";
    g.IDWeapon = many;
    g.ParseWeapons();
    EXPECT_EQ(g.SizeWeapon, 256);
    EXPECT_EQ(g.Weapons[255], 256);

    g.IDWeapon = "3\nfive";
    EXPECT_THROW(g.ParseWeapons(), rtl::EConvertError);
}

TEST_F(GeneralObject, LoadsFromTheContainerOrALooseFileAndIsCachedPerClass) {
    const std::string record = RecordWriter("TGPGeneralObject", "Monster")
                                   .Int("MinSpeed", 2).Real("MaxSpeedUp", 1.25, datagen::RealEncoding::Double)
                                   .Bool("ProcessingEvents", true).Str("IDWeapon", "7").Finish();
    TGPResource& level = Container({{"GeneralObject_Unit", {{"Monster", record}}}});
    TGPGeneralObjects nation;
    TGPGeneralObject* g = nation.FindOrLoad({&level, nullptr}, 3);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ClassID, 3);
    EXPECT_EQ(g->MinSpeed, 2);
    EXPECT_EQ(g->MaxSpeedUp, 1.25);
    EXPECT_TRUE(g->ProcessingEvents);
    EXPECT_EQ(g->AddParamInt4, -1);  // absent: the constructor's value
    EXPECT_EQ(nation.FindOrLoad({nullptr, nullptr}, 3), g);  // cached: no stream read
    EXPECT_EQ(nation.Count(), 1);
    EXPECT_EQ(nation.FindOrLoad({&level, nullptr}, 1), nullptr);  // absent entry
    EXPECT_EQ(nation.FindOrLoad({&level, nullptr}, 0), nullptr);  // no name
    EXPECT_EQ(nation.Count(), 1);
    EXPECT_THROW(nation.Get(1), rtl::EListError);

    EXPECT_EQ(LoadGeneralObject({}, 2), nullptr);  // no loose file
    Loose("PADDLE2", ".go", record);
    auto loose = LoadGeneralObject({}, 2);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->ClassID, 2);
    EXPECT_EQ(loose->MinSpeed, 2);
    nation.Clear();
    EXPECT_EQ(nation.Count(), 0);
}

TEST_F(GeneralObject, RandomValuesOfEveryDescriptionClassSurviveWriterAndLoader) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 20; ++round) {
        TOneSlide slides[7];
        std::string seven;
        for (auto& s : slides) {
            Randomise(s, random);
            seven += datagen::WriteRecord(s);
        }
        TOneSlide element;
        TOneCursor cursor;
        TOneEffects effect;
        TOneInterface panel;
        TGPGeneralObject general(nullptr, 3);
        for (rtl::Object* o : std::initializer_list<rtl::Object*>{&element, &cursor, &effect, &panel, &general})
            Randomise(*o, random);
        TGPResource& level = Container({{"Classes_Unit", {{"Monster", seven}}},
                                        {"Classes_MapElement", {{"Wall", datagen::WriteRecord(element)}}},
                                        {"Classes_Effects", {{"Boom", datagen::WriteRecord(effect)}}},
                                        {"Classes_Interface", {{"Panel", datagen::WriteRecord(panel)}}},
                                        {"GeneralObject_Unit", {{"Monster", datagen::WriteRecord(general)}}}});
        TGPResource& gameData = Container({{"Cursors", {{"Arrow", datagen::WriteRecord(cursor)}}}});
        const TKernelResources kernel{&level, &gameData};

        TListOneSlide read;
        ASSERT_TRUE(LoadUnitSlides(kernel, 3, read));
        for (int i = 0; i < 7; ++i) ExpectSameProperties(slides[i], *read.Get(i));
        TListOneSlide readElement;
        ASSERT_TRUE(LoadElementSlides(kernel, 1, readElement));
        ExpectSameProperties(element, *readElement.Get(0));
        ExpectSameProperties(cursor, *LoadCursorClass(kernel, 1));
        ExpectSameProperties(effect, *LoadEffectClass(kernel, 1));
        ExpectSameProperties(panel, *LoadInterfaceClass(kernel, 1));
        ExpectSameProperties(general, *LoadGeneralObject(kernel, 3));
    }
    TLineFont font;
    Randomise(font, random);
    const std::string bytes = datagen::WriteRecord(font);
    rtl::ComponentReader fontReader({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    TLineFont copy;
    fontReader.ReadComponent(copy);
    ExpectSameProperties(font, copy);
}

TEST(Paths, DataPathsFindFilesWhateverTheirCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("Resource/Sound"));
    dir.Write("Resource/Sound/ListWave.lw", "x");
    EXPECT_EQ(RealPath(DataPath(dir.File("")) + "\\resource\\SOUND\\listwave.LW"), dir.File("Resource/Sound/ListWave.lw"));
    EXPECT_EQ(RealPath(DataPath(dir.File("")) + "\\Resource\\none.bmp"), dir.File("Resource/none.bmp"));
    EXPECT_EQ(JoinDataPath("a\\", "\\b"), "a\\b");
    EXPECT_EQ(JoinDataPath("a", "b"), "a\\b");
    SetProgramFolder("/opt/game");
    EXPECT_EQ(ResourceFolders().Program, "\\opt\\game\\");
    EXPECT_EQ(ResourceFolders().Sound, "\\opt\\game\\Resource\\Sound\\");
    EXPECT_EQ(ResourceFolders().PrnScr, "\\opt\\game\\Resource\\PRNSCR\\");
}
