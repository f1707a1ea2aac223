// Menu forms, buttons, check boxes and track bars on the headless display.
#include "WidgetFixture.h"

#include "engine/gpCmdExecute.h"

using namespace engine;
using enginetest::Props;
using enginetest::To565;

namespace {

constexpr int kPW = 20;  // the controls' pattern size

class WidgetMenuTest : public enginetest::WidgetFixture {
protected:
    WidgetMenuTest() {
        Pictures({{"Menu", datagen::WidgetSheet(400, 300, 1, 1)},
                  {"Options", datagen::WidgetSheet(200, 100, 1, 1)},
                  {"Button", datagen::WidgetSheet(100, 30, 1, 4)},
                  {"Check", datagen::WidgetSheet(kPW, kPW, 1, 5)},
                  {"Track", datagen::WidgetSheet(kPW, kPW, 12, 1)}});
        menu = Make<TGPForm>(kernel.get(), {{"Name", "Menu"}, {"Paint", "Menu"}, {"PatternWidth", "400"},
                                            {"PatternHeight", "300"}, {"Condition", "ck_MainInterface"},
                                            {"Visible", "False"}});
        menu->Left = 100, menu->Top = 50;
    }
    void ShowMenu() {
        kernel->ShowForm("Menu", nullptr);
        Tick();
    }
    TGPForm* menu = nullptr;
};

}  // namespace

// ---- Forms ----

TEST_F(WidgetMenuTest, AFormShowsAtTheEndOfTheTickAsTheFocusedMainMenu) {
    kernel->Condition = ck_Play;
    kernel->ShowForm("menu", nullptr);
    EXPECT_FALSE(menu->Visible);  // queued
    Tick();
    EXPECT_TRUE(menu->Visible);
    EXPECT_EQ(kernel->Condition, ck_MainInterface);
    EXPECT_EQ(kernel->FocusForm, menu);
    Tick();
    EXPECT_EQ(Pixel(110, 60), Colour565(0));
    EXPECT_EQ(Pixel(90, 60), 0);  // outside the form
}

TEST_F(WidgetMenuTest, AFormWithTimeShowFiftyHidesOnTheFiftyFirstFrameAtThatTicksEnd) {
    menu->TimeShow = 50;
    ShowMenu();
    for (int frame = 1; frame <= 50; ++frame) Tick();
    EXPECT_TRUE(menu->Visible);
    EXPECT_EQ(menu->TicksShow, 50);
    Tick();
    EXPECT_FALSE(menu->Visible);
    EXPECT_EQ(menu->TicksShow, 51);
}

TEST_F(WidgetMenuTest, HidingAFormShownOverAMenuReturnsToTheMenusCondition) {
    auto* options = Make<TGPForm>(kernel.get(), {{"Name", "Options"}, {"Paint", "Options"}, {"Condition", "ck_Interface"},
                                                 {"Visible", "False"}});
    ShowMenu();
    std::vector<TConditionKernel> seen;
    kernel->OnConditionEvent = [&](TObject*, TConditionKernel c) { seen.push_back(c); };
    kernel->ShowFormOverGame("Options", menu);
    Tick();
    EXPECT_EQ(kernel->Condition, ck_Interface);
    EXPECT_EQ(kernel->FocusForm, options);
    EXPECT_EQ(options->ParentForm, menu);
    kernel->HideForm("Options");
    Tick();
    EXPECT_FALSE(options->Visible);
    EXPECT_EQ(kernel->FocusForm, menu);
    EXPECT_EQ(kernel->Condition, ck_MainInterface);
    EXPECT_EQ(seen, (std::vector<TConditionKernel>{ck_Interface, ck_MainInterface}));
}

TEST_F(WidgetMenuTest, HidingTheLastFormReturnsToTheConditionThePauseSaved) {
    kernel->Condition = ck_Play;
    auto* pause = Make<TGPForm>(kernel.get(), {{"Name", "Pause"}, {"Paint", "Options"}});
    kernel->RestorePending = true;
    kernel->SavedCondition = ck_Play;
    kernel->ShowFormOverGame("Pause", nullptr);
    Tick();
    EXPECT_FALSE(mouse->Hidden());
    kernel->HideForm("Pause");
    Tick();
    EXPECT_FALSE(pause->Visible);
    EXPECT_EQ(kernel->Condition, ck_Play);
    EXPECT_FALSE(kernel->RestorePending);
    EXPECT_TRUE(mouse->Hidden());  // back to play: the engine's cursor goes
    EXPECT_EQ(kernel->FocusForm, nullptr);
}

TEST_F(WidgetMenuTest, ShowOverTheGameFiresOnGPShowBeforeTheConditionAndTheMainMenuAfterTheChildren) {
    auto* child = Make<TGPButton>(menu, {{"Name", "B"}});
    std::vector<std::string> order;
    kernel->OnConditionEvent = [&](TObject*, TConditionKernel) { order.push_back("condition"); };
    menu->OnGPShow = [&](TObject*) { order.push_back("show"); };
    child->OnGPShow = [&](TObject*) { order.push_back("child"); };
    menu->Show(nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"show", "condition", "child"}));
    order.clear();
    menu->ShowMain(nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"condition", "child", "show"}));
    EXPECT_EQ(child->ParentForm, menu);
    EXPECT_EQ(child->Depth, 1);
    EXPECT_EQ(menu->Depth, 0);
}

TEST_F(WidgetMenuTest, AFormMovesOnlyItsGridsAndAHandlerThatAddsAChildDoesNotUpsetTheWalk) {
    auto* grid = Make<TGPCustomGrid>(menu, {{"Name", "Grid"}});
    auto* button = Make<TGPButton>(menu, {{"Name", "B"}});
    int gridMoves = 0, buttonMoves = 0;
    grid->OnGPMove = [&](TObject*) { ++gridMoves; };
    button->OnGPMove = [&](TObject*) { ++buttonMoves; };
    int added = 0;
    menu->OnGPMove = [&](TObject*) {
        if (added++ == 0) Make<TGPCustomGrid>(menu, {{"Name", "Late"}});
    };
    ShowMenu();
    Tick();
    EXPECT_EQ(menu->ChildCount(), 3);
    EXPECT_EQ(buttonMoves, 0);  // a button gets no move from its form
    EXPECT_EQ(gridMoves, 0);    // a grid's Move is its own, not its OnGPMove
}

// ---- Buttons ----

TEST_F(WidgetMenuTest, AButtonDrawsNormalHoveredPressedAndDisabledPatterns) {
    auto* button = Make<TGPButton>(menu, {{"Name", "Ok"}, {"Paint", "Button"}, {"PatternWidth", "100"},
                                          {"PatternHeight", "30"}, {"Left", "20"}, {"Top", "10"}, {"Enabled", "True"}});
    int downs = 0;
    button->OnGPMouseDown = [&](TObject*) { ++downs; };
    ShowMenu();
    MouseAt(5, 5);
    Tick();
    EXPECT_EQ(Pixel(130, 70), Colour565(2));
    MouseAt(130, 70);
    Tick();
    EXPECT_EQ(Pixel(130, 70), Colour565(1));
    Press(true);
    Tick();
    Tick();
    EXPECT_EQ(Pixel(130, 70), Colour565(3));
    EXPECT_EQ(downs, 2);  // every frame while held
    button->Enabled = false;
    Tick();
    EXPECT_EQ(Pixel(130, 70), Colour565(0));
}

TEST_F(WidgetMenuTest, ACentredButtonTakesTheHoverWhereItIsDrawn) {
    auto* button = Make<TGPButton>(menu, {{"Name", "Ok"}, {"Paint", "Button"}, {"PatternWidth", "100"},
                                          {"PatternHeight", "30"}, {"Alignment", "gaCenter"}});
    ShowMenu();
    // Centred on the 800 x 600 surface, plus the form's Left and Top (one level).
    const int x = 100 + 400 - 50, y = 50 + 300 - 15;
    MouseAt(x + 5, y + 5);
    Tick();
    EXPECT_EQ(mouse->Hovered, button);
    EXPECT_EQ(Pixel(x + 5, y + 5), Colour565(1));
}

// ---- Check boxes ----

TEST_F(WidgetMenuTest, ACheckBoxHeldDownTogglesOnceAndAgainOnlyAfterTheDebounce) {
    auto* box = Make<TGPCheckBox>(menu, {{"Name", "CB_cWav"}, {"Paint", "Check"}, {"PatternWidth", "20"},
                                         {"PatternHeight", "20"}, {"Enabled", "True"}});
    int clicks = 0;
    box->OnGPClick = [&](TObject*) { ++clicks; };
    ShowMenu();
    MouseAt(105, 55);
    Tick();
    EXPECT_EQ(Pixel(105, 55), Colour565(1));  // hovered, unchecked
    Press(true);
    Tick();
    EXPECT_TRUE(box->Checked);
    EXPECT_EQ(Pixel(105, 55), Colour565(3));  // hovered and checked
    for (int t = 22; t <= 600; t += 22) Tick();
    EXPECT_EQ(clicks, 1);
    Tick();  // 616 ms after the toggle
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(box->Checked);
    Press(false);
    MouseAt(5, 5);
    Tick();
    EXPECT_EQ(Pixel(105, 55), Colour565(2));
    box->Checked = true;
    Tick();
    EXPECT_EQ(Pixel(105, 55), Colour565(4));
    EXPECT_EQ(menu->FindChild("CB_cWav"), box);  // the shell finds it in its form
}

TEST_F(WidgetMenuTest, ThePressDebounceCountsAcrossTheClocksWrap) {
    clock.Set(0xFFFFFF00u);
    auto* box = Make<TGPCheckBox>(menu, {{"Name", "Box"}, {"Paint", "Check"}, {"PatternWidth", "20"},
                                         {"PatternHeight", "20"}, {"Enabled", "True"}});
    ShowMenu();
    MouseAt(105, 55);
    Press(true);
    Tick();
    EXPECT_TRUE(box->Checked);
    Tick(300);  // the clock wraps here
    EXPECT_TRUE(box->Checked);
    Tick(400);
    EXPECT_FALSE(box->Checked);
}

// ---- Track bars ----

namespace {
Props TrackProps(const char* min, const char* max, const char* value) {
    return {{"Name", "Volume"}, {"Paint", "Track"}, {"PatternWidth", "20"}, {"PatternHeight", "20"},
            {"Width", "200"},   {"Height", "20"},   {"Min", min},           {"Max", max},
            {"Value", value},   {"Enabled", "True"}, {"Left", "40"},         {"Top", "100"}};
}
}  // namespace

TEST_F(WidgetMenuTest, ATrackBarOfTenPatternsDrawsItsRightEndAtEightAndItsThumbByTheFormula) {
    auto* bar = Make<TGPTrackBar>(menu, TrackProps("0", "10", "5"));
    ShowMenu();
    MouseAt(5, 5);
    Tick();
    const int x = 140, y = 155;
    EXPECT_EQ(Pixel(x + 5, y), Colour565(4));                // left end, normal
    EXPECT_EQ(Pixel(x + kPW + 5, y), Colour565(10));         // a middle piece
    EXPECT_EQ(Pixel(x + 7 * kPW + 5, y), Colour565(10));
    EXPECT_EQ(Pixel(x + 8 * kPW + 5, y), Colour565(5));      // right end at 8 x PatternWidth
    EXPECT_EQ(Pixel(x + 9 * kPW + 5, y), Colour565(0));      // the form behind: nothing at 9
    // r = (200 - 60) / 10 = 14; X = round(140 + 200 - 40 - 14 x 5) - 10 = 220.
    EXPECT_EQ(bar->ThumbX(x), x + 80);
    EXPECT_EQ(Pixel(x + 81, y), Colour565(11));
    EXPECT_EQ(Pixel(x + 79, y), Colour565(10));
}

TEST_F(WidgetMenuTest, AHeldTrackBarStepsEveryThreeHundredMillisecondsTowardsTheMouseSide) {
    auto* bar = Make<TGPTrackBar>(menu, TrackProps("0", "10", "5"));
    int clicks = 0;
    bar->OnGPClick = [&](TObject*) { ++clicks; };
    ShowMenu();
    MouseAt(140 + 150, 160);  // right of the middle
    Press(true);
    Tick();
    EXPECT_EQ(bar->Value, 6);
    EXPECT_EQ(Pixel(140 + 8 * kPW + 5, 155), Colour565(9));  // the right end while stepping up
    for (int t = 0; t < 13; ++t) Tick();
    EXPECT_EQ(bar->Value, 6);  // 286 ms: not yet
    Tick();
    EXPECT_EQ(bar->Value, 7);  // 308 ms after the first step
    MouseAt(140 + 50, 160);    // left of the middle
    for (int t = 0; t < 14; ++t) Tick();
    EXPECT_EQ(bar->Value, 6);
    EXPECT_EQ(clicks, 3);
    bar->Value = 10;
    MouseAt(140 + 150, 160);
    Tick(400);
    EXPECT_EQ(bar->Value, 10);  // at its limit: no change, but the click fires
    EXPECT_EQ(clicks, 4);
}

TEST_F(WidgetMenuTest, ATrackBarWithMinEqualToMaxNeverSteps) {
    auto* bar = Make<TGPTrackBar>(menu, TrackProps("3", "3", "3"));
    int clicks = 0;
    bar->OnGPClick = [&](TObject*) { ++clicks; };
    ShowMenu();
    MouseAt(140 + 150, 160);
    Press(true);
    for (int i = 0; i < 40; ++i) Tick(100);
    EXPECT_EQ(bar->Value, 3);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(bar->ThumbX(140), 140 + 200 - 40 - 10);  // r is 0
}

TEST_F(WidgetMenuTest, AHugeTrackBarFromDataDrawsOnlyToTheSurfaceEdge) {
    auto* bar = Make<TGPTrackBar>(menu, TrackProps("0", "10", "5"));
    bar->Width = 2000000000;
    bar->PatternWidth = 1;
    ShowMenu();
    Tick();  // ends at once
    EXPECT_TRUE(bar->Visible);
}
