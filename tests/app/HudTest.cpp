// The heads-up panels of a level set: widgets built from "Script_Interface" lines or, without
// any, the fixed set; their variables shared through the kernel's references; the end of a
// level when its last destructible target leaves, queued once.
#include "engine/gpInterfaceHud.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "platform/window/Application.h"
#include "tests/app/AppFixtures.h"
#include "tests/engine/EngineFixtures.h"

namespace {

using engine::TGPPanel;

class HudTest : public apptest::AppTest {
protected:
    HudTest() {
        enginetest::EmptyPools();
        GiveDevices(*form_);
        platform::window::App().SetExceptionHandler([this](std::exception_ptr) { ++reports_; });
    }
    ~HudTest() override {
        platform::window::App().SetExceptionHandler(nullptr);
        DropDevices(*form_);
        enginetest::EmptyPools();
    }

    engine::TGPKernel& Kernel() { return *form_->Kernel; }
    TGPPanel* Panel(int32_t id) { return engine::CreateHudWidget<TGPPanel>(Kernel(), &Kernel(), id); }
    // The panel's widgets built from these lines.
    TGPPanel* Build(int32_t id, std::initializer_list<const char*> lines) {
        form_->InterfaceDescriptions.Clear();
        for (const char* line : lines) form_->InterfaceDescriptions.Add(line);
        TGPPanel* panel = Panel(id);
        form_->BuildPanelWidgets(*panel);
        return panel;
    }
    template <class W> W* Child(TGPPanel* panel, int index) {
        return index < panel->Count() ? dynamic_cast<W*>(panel->Child(index)) : nullptr;
    }

    int reports_ = 0;
};

TEST_F(HudTest, ACountLineBuildsOneCountOnTheLivesInItsOwnersPanel) {
    TGPPanel* panel = Build(3, {"TGPCount.Create(OwnerClass=1, IDClass=18, Field=fd_Life)",
                                "TGPCount.Create(OwnerClass=3, IDClass=18, Field=fd_Life, MinValue=0, MaxValue=5, "
                                "Left=18, Top=16, FlagChange=False)"});
    ASSERT_EQ(panel->Count(), 1);
    auto* count = Child<engine::TGPCount>(panel, 0);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(typeid(*count), typeid(engine::TGPCount));
    ASSERT_NE(Kernel().KernelRecord.Life, nullptr);
    EXPECT_EQ(count->Field(), Kernel().KernelRecord.Life);
    EXPECT_EQ(count->MinValue, 0);
    EXPECT_EQ(count->MaxValue, 5);
    EXPECT_EQ(count->Left, 18);
    EXPECT_EQ(count->Top, 16);
    EXPECT_FALSE(count->FlagChange);
    EXPECT_EQ(form_->InterfaceDescriptions.Count(), 1);  // the other owner's line stays
    EXPECT_EQ(reports_, 0);
}

TEST_F(HudTest, CommentsUnknownVariablesAndNonIntegerClassesBuildNothing) {
    TGPPanel* panel = Build(3, {";TGPCount.Create(OwnerClass=3, IDClass=18, Field=fd_Life)",
                                "TGPProgress.Create(OwnerClass=3, IDClass=17, Field=fd_Count)",
                                "TGPCount.Create(OwnerClass=3, IDClass=x, Field=fd_Life)",
                                "TGPCount.Create(OwnerClass=3, IDClass=18, Field=fd_Nothing)"});
    EXPECT_EQ(panel->Count(), 0);
    EXPECT_EQ(Kernel().KernelRecord.Count, nullptr);
    ASSERT_EQ(form_->InterfaceDescriptions.Count(), 1);
    EXPECT_EQ(form_->InterfaceDescriptions[0][0], ';');
    std::string line;
    EXPECT_FALSE(form_->TakeDescriptionForOwner(3, line));
}

TEST_F(HudTest, TheCorrespondenceListNeedsCommaAndBlankAndAClosingBracket) {
    TGPPanel* panel = Build(1, {"TGPIcon.Create(OwnerClass=1, IDClass=2, Field=fd_Difficulty, Correspondence=[4, 7, 9])",
                                "TGPIcon.Create(OwnerClass=1, IDClass=2, Field=fd_Difficulty, Correspondence=[4,7,9])",
                                "TGPIcon.Create(OwnerClass=1, IDClass=2, Field=fd_Difficulty, Correspondence=[4, 7"});
    ASSERT_EQ(panel->Count(), 3);
    EXPECT_EQ(Child<engine::TGPIcon>(panel, 0)->Pictures, (std::vector<int32_t>{4, 7, 9}));
    EXPECT_TRUE(Child<engine::TGPIcon>(panel, 1)->Pictures.empty());
    EXPECT_TRUE(Child<engine::TGPIcon>(panel, 2)->Pictures.empty());
    EXPECT_EQ(reports_, 2);
    // All three icons share the one difficulty variable.
    EXPECT_EQ(Child<engine::TGPIcon>(panel, 2)->Field(), Kernel().KernelRecord.Difficulty);

    std::string many = "TGPIcon.Create(OwnerClass=1, IDClass=2, Field=fd_Difficulty, Correspondence=[";
    for (int i = 0; i < 300; ++i) many += std::to_string(i) + (i < 299 ? ", " : "]");
    panel = Build(1, {many.c_str()});
    EXPECT_EQ(Child<engine::TGPIcon>(panel, 0)->Pictures.size(), 256u);
    EXPECT_EQ(reports_, 2);
}

TEST_F(HudTest, ABadIntegerIsReportedAndTheRestOfTheLineIsBuilt) {
    TGPPanel* panel = Build(1, {"TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Count, Left=abc, Top=40, "
                                "TxtFormat=Score %D, Alignment=gaCenter) TGPText.Create"});
    ASSERT_EQ(panel->Count(), 2);  // one line, two sections
    auto* text = Child<engine::TGPDataText>(panel, 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(reports_, 2);  // the data text's Left, the text's Left
    EXPECT_EQ(text->Top, 40);
    EXPECT_EQ(text->TxtFormat, "Score %D");
    EXPECT_EQ(text->Alignment, engine::gaCenter);
    EXPECT_EQ(Child<engine::TGPText>(panel, 1)->Top, 40);
}

TEST_F(HudTest, EachDataTextHasItsOwnVariableAndTheReferenceFollowsTheLast) {
    TGPPanel* panel = Build(1, {"TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Level)",
                                "TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Level)"});
    ASSERT_EQ(panel->Count(), 2);
    engine::TGPField* first = Child<engine::TGPDataText>(panel, 0)->Field();
    engine::TGPField* second = Child<engine::TGPDataText>(panel, 1)->Field();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(Kernel().KernelRecord.Level, second);

    // The references go with the kernel's data; writing through them then does nothing.
    Kernel().Clear();
    EXPECT_EQ(Kernel().KernelRecord.Level, nullptr);
    form_->SetWeaponCharge(5);
    EXPECT_EQ(form_->WeaponCharge, 5);
}

TEST_F(HudTest, WithoutDescriptionsEachPanelGetsTheFixedWidgetsOfItsIdentifier) {
    form_->PlayerRecord.Name = "Marta";
    TGPPanel* main = Build(1, {});
    ASSERT_EQ(main->Count(), 8);
    auto* name = Child<engine::TGPText>(main, 1);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Text, "Marta");
    EXPECT_EQ(name->GetFontSize(), 25);  // no internet object
    EXPECT_EQ(name->Top, 55);
    EXPECT_EQ(Child<engine::TGPDataText>(main, 0)->TxtFormat, "Level %D");
    EXPECT_EQ(Child<engine::TGPIcon>(main, 7)->Pictures, (std::vector<int32_t>{23, 24, 25}));
    auto* charge = Child<engine::TGPProgress>(main, 6);
    ASSERT_NE(charge, nullptr);
    EXPECT_FALSE(charge->Visible);
    EXPECT_EQ(charge->Field(), Kernel().KernelRecord.Count_1);
    EXPECT_EQ(Child<engine::TGPCountArray>(main, 5)->Field()->FieldType(), engine::ftArray);

    TGPPanel* lives = Build(2, {});
    ASSERT_EQ(lives->Count(), 1);
    EXPECT_EQ(Child<engine::TGPCount>(lives, 0)->MaxValue, 24);
    EXPECT_EQ(Child<engine::TGPCount>(lives, 0)->Field(), Kernel().KernelRecord.Life);
    EXPECT_EQ(Build(3, {})->Count(), 1);
    EXPECT_EQ(Build(4, {})->Count(), 0);

    // The charge shows through the shared reference.
    form_->SetWeaponCharge(42);
    EXPECT_EQ(engine::ValueToInteger(engine::GetFieldValue(Kernel().KernelRecord.Count_1)), 42);
}

TEST_F(HudTest, TheLastDestructibleTargetEndsTheLevelOnce) {
    engine::TGPNation* bricks = Kernel().NationByKey(0);
    engine::TGPObject a, b, wall;
    for (engine::TGPObject* o : {&a, &b, &wall}) {
        o->IDClass = 12;
        o->HitPoints = 1;
        bricks->Objects.Add(o);
    }
    wall.HitPoints = engine::kIndestructible;
    const int before = Kernel().CommandLine->EndMark;
    bricks->Objects.Remove(&a);
    form_->DoPUSH(&a);
    EXPECT_EQ(Kernel().CommandLine->EndMark, before);  // b is still there
    bricks->Objects.Remove(&b);
    form_->DoPUSH(&b);
    const int queued = Kernel().CommandLine->EndMark;
    EXPECT_GT(queued, before);
    EXPECT_FALSE(form_->OnlySpecialBricks);  // the wall is no special brick
    form_->DoPUSH(&b);  // the same tick's second report queues nothing
    EXPECT_EQ(Kernel().CommandLine->EndMark, queued);
    engine::TGPObject ball;
    ball.IDClass = 62;
    Kernel().LevelEndQueued = false;
    form_->DoPUSH(&ball);  // not a target
    EXPECT_EQ(Kernel().CommandLine->EndMark, queued);
    bricks->Objects.Clear();
}

}  // namespace
