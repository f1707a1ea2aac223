// A kernel's level reset and its end: what each frees, in which order, and what it leaves
// for the next level or the next kernel.
#include "engine/gpClasses.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpResource.h"
#include "media/GPTimer.h"
#include "platform/window/Application.h"

#include <gtest/gtest.h>

#include "ClassesFixture.h"
#include "EngineFixtures.h"

using namespace engine;
using datagen::RecordWriter;

namespace {

std::string Slides(int count) {
    std::string out;
    for (int s = 1; s <= count; ++s) out += RecordWriter("TOneSlide", "S" + std::to_string(s)).Int("IDCondition", s).Finish();
    return out;
}

class KernelLifecycle : public ClassesFixture {
protected:
    void SetUp() override {
        ClassesFixture::SetUp();
        platform::window::App().SetActive(true);
        enginetest::EmptyPools();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
    }
    void TearDown() override {
        kernel.reset();
        enginetest::EmptyPools();
        ClassesFixture::TearDown();
    }
    // A level set with a unit class, an effect, an interface element and a map element,
    // opened as the kernel's own; cursors come from the game data.
    void LoadLevelSet() {
        const std::string file = dir_.File("level.ig");
        datagen::WriteContainer(file, {{"Classes_Unit", {{"Monster", Slides(7)}}},
                                       {"Classes_MapElement", {{"Wall", Slides(1)}}},
                                       {"Classes_Effects", {{"Boom", RecordWriter("TOneEffects", "E").Finish()}}},
                                       {"Classes_Interface", {{"Panel", RecordWriter("TOneInterface", "I").Finish()}}},
                                       {"GeneralObject_Unit",
                                        {{"Monster", RecordWriter("TGPGeneralObject", "G").Int("Toughness", 7).Finish()}}}});
        kernel->Resource = std::make_unique<TGPResource>(file, rtl::fmOpenRead);
        kernel->InterfaceResource =
            &Container({{"Cursors", {{"Arrow", RecordWriter("TOneCursor", "C").Int("IDName", 1).Finish()}}}});
        const TKernelResources r = kernel->Resources();
        ASSERT_NE(ListAnimateObject().FindOrLoad(r, 3), nullptr);
        ASSERT_NE(ListAnimateElement().FindOrLoad(r, 1), nullptr);
        ASSERT_NE(ListAnimateEffects().FindOrLoad(r, 1), nullptr);
        ASSERT_NE(ListAnimateInterface().FindOrLoad(r, 1), nullptr);
        ASSERT_NE(ListAnimateCursor().FindOrLoad(r, 1), nullptr);
    }
    static int Descriptions() {
        return ListAnimateObject().Count() + ListAnimateElement().Count() + ListAnimateEffects().Count() +
               ListAnimateInterface().Count();
    }

    enginetest::HeadlessDisplay display;
    std::unique_ptr<TGPKernel> kernel;
};

}  // namespace

TEST_F(KernelLifecycle, ALevelResetEmptiesTheDescriptionRegistersAndFreesTheLevelSet) {
    LoadLevelSet();
    ASSERT_EQ(Descriptions(), 4);
    kernel->Clear();
    EXPECT_EQ(Descriptions(), 0);  // the next level set brings its own
    EXPECT_EQ(ListAnimateCursor().Count(), 1);
    EXPECT_EQ(kernel->Resource, nullptr);
    // Without a level set the loaders look for loose files: the old container is not read.
    EXPECT_THROW(ListAnimateEffects().FindOrLoad(kernel->Resources(), 1), rtl::EFOpenError);
}

TEST_F(KernelLifecycle, TheKernelsEndEmptiesTheDescriptionRegisters) {
    LoadLevelSet();
    kernel.reset();
    EXPECT_EQ(Descriptions(), 0);
    EXPECT_EQ(ListAnimateCursor().Count(), 1);
}

TEST_F(KernelLifecycle, NationsLoadTheirTemplatesOnceAndFreeThemOnReset) {
    LoadLevelSet();
    TGPNation* monsters = kernel->NationByKey(2);
    TGPGeneralObject* t = monsters->Template(3);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Toughness, 7);
    EXPECT_EQ(monsters->Template(3), t);
    EXPECT_EQ(monsters->Templates.Count(), 1);
    EXPECT_EQ(monsters->Template(1), nullptr);  // no description of that class
    EXPECT_EQ(kernel->NationByKey(5)->Templates.Count(), 0);  // each nation its own cache
    monsters->Reset();
    EXPECT_EQ(monsters->Templates.Count(), 0);
}

TEST_F(KernelLifecycle, TheEndDisablesTheDisplayAndTimerBeforeOnDestroyWhichStillSeesTheGame) {
    std::vector<std::string> steps;
    display.onEnabled = [&](bool on) { steps.push_back(on ? "display on" : "display off"); };
    TGPNation* bricks = kernel->NationByKey(0);
    TGPObject* brick = bricks->CreateObject(0, 0, 12);
    TGPField* level = nullptr;
    kernel->Data->AddField(nullptr, ftInteger, level);
    kernel->KernelRecord.Level = level;
    kernel->Start();
    ASSERT_TRUE(kernel->Timer->Enabled());
    TGPKernel* k = kernel.get();
    kernel->OnDestroy = [&](TObject* sender) {
        steps.push_back("OnDestroy");
        EXPECT_EQ(sender, k);
        EXPECT_FALSE(k->Timer->Enabled());
        EXPECT_FALSE(k->Timer->OnTimer());
        EXPECT_EQ(GlobalKernel(), k);
        EXPECT_EQ(k->Nations->Count(), 1);  // the game is still there to save from
        EXPECT_TRUE(bricks->Objects.Contains(brick));
        EXPECT_EQ(k->KernelRecord.Level, level);
    };
    kernel.reset();
    EXPECT_EQ(steps, (std::vector<std::string>{"display off", "OnDestroy"}));
    EXPECT_EQ(GlobalKernel(), nullptr);
    EXPECT_TRUE(ObjectPool().Holds(brick));
    EXPECT_EQ(brick->Kernel, nullptr);
}

TEST_F(KernelLifecycle, TheNineGameVariableReferencesAreFoundByNameAndClearedTogether) {
    TKernelRecord& r = kernel->KernelRecord;
    const char* names[] = {"fd_Level", "fd_Count", "fd_FPS", "fd_Difficulty", "fd_Life", "fd_Prizes", "fd_Count_1"};
    std::vector<TGPField**> refs;
    for (const char* n : names) {
        TGPField** ref = r.Find(n);
        ASSERT_NE(ref, nullptr) << n;
        EXPECT_EQ(std::count(refs.begin(), refs.end(), ref), 0) << n;
        refs.push_back(ref);
    }
    EXPECT_EQ(r.Find("FD_LEVEL"), &r.Level);
    EXPECT_EQ(r.Find("fd_Count_1"), &r.Count_1);
    EXPECT_EQ(r.Find("fd_Nothing"), nullptr);
    refs.push_back(&r.Medals);
    refs.push_back(&r.Rank);
    for (TGPField** ref : refs) kernel->Data->AddField(nullptr, ftInteger, *ref);
    for (TGPField** ref : refs) ASSERT_NE(*ref, nullptr);
    kernel->Clear();
    for (TGPField** ref : refs) EXPECT_EQ(*ref, nullptr);  // all nine, before the fields went
    EXPECT_EQ(kernel->Data->Count(), 0);
}
