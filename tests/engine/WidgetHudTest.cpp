// The heads-up widgets: bound to game variables, drawn over the game by their panel or by
// the kernel, each with a phantom of the kernel's pool.
#include "WidgetFixture.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"

using namespace engine;
using enginetest::To565;

namespace {

class WidgetHudTest : public enginetest::WidgetFixture {
protected:
    WidgetHudTest() {
        datagen::NameTables names;
        names.tables[3] = {"Bar", "Dot", "Blink", "Empty"};
        names.tables[4] = {"Panel1"};
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        LoadPixSetGP({}, 62, &stream);
        auto effect = [](int32_t id, const char* picture, int32_t frames, int32_t ticks = 0) {
            return datagen::EffectRecord({.idName = id, .picture = picture, .patternWidth = 8, .patternHeight = 8,
                                          .linesWidth = frames, .hTicksPerChange = ticks});
        };
        LevelSet({{"Classes_Effects",
                   {{"Bar", effect(1, "BarPic", 10)},
                    {"Dot", effect(2, "DotPic", 3)},
                    {"Blink", effect(3, "BlinkPic", 3, 170)},  // a new frame on every step
                    {"Empty", effect(4, "DotPic", 0)}}},
                  {"BMP_Effects",
                   {{"BarPic", datagen::WidgetSheet(8, 8, 10, 1)},
                    {"DotPic", datagen::WidgetSheet(8, 8, 3, 1)},
                    {"BlinkPic", datagen::WidgetSheet(8, 8, 3, 1)}}},
                  {"Classes_Interface",
                   {{"Panel1", datagen::InterfaceRecord({.idName = 1, .picture = "PanelPic", .patternWidth = 200,
                                                         .patternHeight = 40, .left = 100, .top = 500})}}},
                  {"BMP_Interface", {{"PanelPic", datagen::SolidPicture(200, 40, 0x102030)}}}});
        Pictures({});
        kernel->Condition = ck_Play;
    }

    template <class W> W* Hud(TGPField*& field, TGPFieldType type, int32_t id, int left = 10, int top = 10) {
        W* w = CreateHudWidget<W>(*kernel, kernel.get(), field, type, id);
        w->Left = left, w->Top = top;
        return w;
    }
    static void Set(TGPField* f, int32_t v) { f->WriteValue(v); }
};

}  // namespace

TEST_F(WidgetHudTest, AProgressBarOfTenFramesShowsTheValueDivStepAndTheLastFrameBeyond) {
    TGPField* field = nullptr;
    auto* bar = Hud<TGPProgress>(field, ftInteger, 1);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Owner(), bar);
    bar->MinValue = 0;
    bar->SetMaxValue(100);
    EXPECT_EQ(bar->Step, 10);
    Set(field, 35);
    Tick();
    EXPECT_EQ(Pixel(12, 12), Colour565(3));
    Set(field, 150);
    Tick();
    EXPECT_EQ(Pixel(12, 12), Colour565(9));
    Set(field, -10);  // v div step is -1: held at the first frame
    Tick();
    EXPECT_EQ(Pixel(12, 12), Colour565(0));
    bar->SetMaxValue(5);  // a range below the frame count: no step, nothing drawn
    EXPECT_EQ(bar->Step, 0);
    Tick();
    EXPECT_EQ(Pixel(12, 12), 0);
}

TEST_F(WidgetHudTest, AProgressBarWhoseSlideHasNoFramesHasNoStep) {
    TGPField* field = nullptr;
    auto* bar = Hud<TGPProgress>(field, ftInteger, 4);
    bar->SetMaxValue(100);
    EXPECT_EQ(bar->Step, 0);
    Tick();
    EXPECT_EQ(Pixel(12, 12), 0);
}

TEST_F(WidgetHudTest, ACountDrawsItsValueClampedToItsRangeSideBySide) {
    TGPField* lives = nullptr;
    auto* count = Hud<TGPCount>(lives, ftInteger, 2, 10, 10);
    count->MinValue = 0, count->MaxValue = 5;
    Set(lives, 9);
    Tick();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Pixel(12 + 8 * i, 12), Colour565(0)) << i;
    EXPECT_EQ(Pixel(12 + 8 * 5, 12), 0);
    Set(lives, -3);
    Tick();
    EXPECT_EQ(Pixel(12, 12), 0);
    // Unbound, it shows MinValue pictures.
    TGPField* none = nullptr;
    auto* fixed = Hud<TGPCount>(none, ftNo, 2, 10, 100);
    EXPECT_EQ(none, nullptr);
    fixed->MinValue = 2, fixed->MaxValue = 5;
    Tick();
    EXPECT_EQ(Pixel(20, 102), Colour565(0));
    EXPECT_EQ(Pixel(28, 102), 0);
}

TEST_F(WidgetHudTest, AHugeCountStopsAtTheSurfacesRightEdge) {
    TGPField* field = nullptr;
    auto* count = Hud<TGPCount>(field, ftInteger, 2, 780, 10);
    count->MaxValue = 2000000000;
    Set(field, 2000000000);
    Tick();  // returns: three pictures reach the edge
    EXPECT_EQ(Pixel(799, 12), Colour565(0));
}

TEST_F(WidgetHudTest, AnIconTakesTheClassOfItsValueAndKeepsItsPictureOutOfItsList) {
    TGPField* field = nullptr;
    auto* icon = Hud<TGPIcon>(field, ftInteger, 1);
    icon->SetPictures({2, 3, 4}, 1);
    EXPECT_EQ(icon->Pictures, (std::vector<int32_t>{2, 3}));
    Set(field, 2);
    Tick();
    EXPECT_EQ(icon->Phantom()->IDClass, 3);
    EXPECT_EQ(Pixel(12, 12), Colour565(1));  // the blinking class steps on every draw
    Set(field, 0);
    Tick();
    EXPECT_EQ(icon->Phantom()->IDClass, 3);
    Set(field, 3);
    Tick();
    EXPECT_EQ(icon->Phantom()->IDClass, 3);
    Set(field, 1);
    Tick();
    EXPECT_EQ(icon->Phantom()->IDClass, 2);
}

TEST_F(WidgetHudTest, ACountArrayDrawsOneFramePerElementAndNothingForAnElementBeyondTheFrames) {
    TGPField* prizes = nullptr;
    Hud<TGPCountArray>(prizes, ftArray, 2);
    for (int32_t v : {2, 7, 0}) Set(prizes, v);
    Tick();
    EXPECT_EQ(Pixel(12, 12), Colour565(2));
    EXPECT_EQ(Pixel(20, 12), 0);  // 7: the dots have three frames
    EXPECT_EQ(Pixel(28, 12), Colour565(0));
}

TEST_F(WidgetHudTest, ADataTextFormatsItsValuePlusOffsetAndDropsAFormatThatFails) {
    TGPField* level = nullptr;
    auto* text = Hud<TGPDataText>(level, ftInteger, 0);
    text->TxtFormat = "Level %D";
    text->Offset = 1;
    Set(level, 2);
    text->Draw();
    EXPECT_EQ(text->Text, "Level 3");
    // Two texts on one name: each keeps its own variable.
    TGPField* shared = level;
    auto* second = Hud<TGPDataText>(shared, ftInteger, 0);
    EXPECT_NE(shared, level);
    EXPECT_EQ(second->Field(), shared);
    text->TxtFormat = "%S";
    EXPECT_THROW(text->Draw(), rtl::EConvertError);
    EXPECT_TRUE(text->TxtFormat.empty());
    text->Draw();
    EXPECT_EQ(text->Text, "2");
    // The failure passes on through the tick.
    second->TxtFormat = "%S";
    EXPECT_THROW(Tick(), rtl::EConvertError);
}

TEST_F(WidgetHudTest, APanelDrawsItsWidgetsAndTheKernelDrawsEachWidgetOnceATick) {
    auto* panel = CreateHudWidget<TGPPanel>(*kernel, kernel.get(), 1);
    EXPECT_EQ(panel->Left, 100);
    EXPECT_EQ(panel->Top, 500);
    TGPField* field = nullptr;
    auto* icon = CreateHudWidget<TGPIcon>(*kernel, panel, field, ftInteger, 3);
    icon->Left = 4, icon->Top = 4;
    ASSERT_EQ(icon->ParentWidget(), panel);
    ASSERT_EQ(panel->Count(), 1);
    TGPPhantom* blink = icon->Phantom();
    ASSERT_NE(blink, nullptr);
    Tick();
    EXPECT_EQ(Pixel(102, 502), To565(0x102030));
    EXPECT_EQ(Pixel(106, 506), Colour565(1));  // the phantom stepped once: frame 1
    EXPECT_EQ(blink->EffectFrame, 1);
    Tick();
    EXPECT_EQ(blink->EffectFrame, 2);
    // No panel over the main menu.
    kernel->Condition = ck_MainInterface;
    Tick();
    EXPECT_EQ(Pixel(102, 502), 0);
}

TEST_F(WidgetHudTest, WidgetsAndTheirSharedVariableDropTheirLinksWhicheverGoesFirst) {
    TGPField* lives = nullptr;
    auto* a = Hud<TGPCount>(lives, ftInteger, 2);
    auto* b = Hud<TGPCount>(lives, ftInteger, 2);
    ASSERT_EQ(a->Field(), lives);
    ASSERT_EQ(b->Field(), lives);
    kernel->Data->Clear();  // the variables first
    EXPECT_EQ(a->Field(), nullptr);
    EXPECT_EQ(b->Field(), nullptr);
    Tick();

    TGPField* score = nullptr;
    Hud<TGPCount>(score, ftInteger, 2);
    Hud<TGPCount>(score, ftInteger, 2);
    std::vector<TGPPhantom*> phantoms;
    for (const auto& w : kernel->Panels) phantoms.push_back(static_cast<TGPProgress*>(w.get())->Phantom());
    kernel->FreePanels();  // the widgets first
    EXPECT_EQ(score->Owner(), nullptr);
    for (TGPPhantom* p : phantoms) EXPECT_TRUE(PhantomPool().Holds(p));
    score->WriteValue(3);  // the variable lives on with the kernel
    kernel->Data->Clear();
}

TEST_F(WidgetHudTest, ALevelResetFreesTheWidgetsAndTheirPhantoms) {
    TGPField* field = nullptr;
    auto* panel = CreateHudWidget<TGPPanel>(*kernel, kernel.get(), 1);
    CreateHudWidget<TGPCount>(*kernel, panel, field, ftInteger, 2);
    Hud<TGPText>(field, ftNo, 0);
    ASSERT_EQ(kernel->Panels.size(), 3u);
    kernel->Clear();
    EXPECT_TRUE(kernel->Panels.empty());
    EXPECT_EQ(kernel->Data->Count(), 0);
    EXPECT_EQ(PhantomPool().Count(), 0);  // handed back, then freed with the pool's idle ones
}

TEST_F(WidgetHudTest, AHeadsUpTextDrawsItsTextAlignedWithTheHeadsUpEffects) {
    TGPField* none = nullptr;
    auto* text = CreateHudWidget<TGPText>(*kernel, kernel.get(), none, ftNo, 0);
    EXPECT_EQ(text->Font->Name, "Arial");
    EXPECT_EQ(text->Font->Size, 12);
    EXPECT_EQ(text->PatternWidth, 100);
    text->Text = "HUD";
    text->Font->ColorFront = 0x0000FF;  // red
    text->Font->DX = 50;
    text->Left = 0, text->Top = 0;
    Tick();
    auto leftmost = [&] {
        for (int x = 0; x < 200; ++x)
            if (Count(To565(0xFF0000), x, 0, x + 1, 40) > 0) return x;
        return -1;
    };
    const int plain = leftmost();
    ASSERT_GE(plain, 0);
    ASSERT_LT(plain, 10);
    text->Alignment = gaLeftJustify;  // aligned: shifted by DX
    Tick();
    EXPECT_EQ(leftmost(), plain + 50);
}
