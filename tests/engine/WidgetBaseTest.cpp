// What every widget shares: the screen position and centring, hover and depth, names by
// container, event binding by name, the pictures of the forms register and the font's copies.
#include "WidgetFixture.h"

#include <fstream>

using namespace engine;
using enginetest::Props;
using enginetest::To565;

namespace {

// The program's main form as the widgets see it: handlers published by name.
class WidgetMainForm : public rtl::Object {
    RTL_CLASS(WidgetMainForm, rtl::Object)
public:
    void On_Link_Menu_Click(TObject* sender) { clicks.push_back(sender); }
    void On_Link_Menu_Key(TObject*, uint16_t& key, uint32_t) { keys.push_back(key); }
    static void DescribeClass(rtl::ClassBuilder<WidgetMainForm>& c) {
        c.Method("On_Link_Menu_Click", &WidgetMainForm::On_Link_Menu_Click).Method("On_Link_Menu_Key", &WidgetMainForm::On_Link_Menu_Key);
    }
    std::vector<TObject*> clicks;
    std::vector<uint16_t> keys;
};

class WidgetBaseTest : public enginetest::WidgetFixture {
protected:
    WidgetBaseTest() {
        Pictures({{"Menu", datagen::WidgetSheet(400, 300, 1, 1)},
                  {"Button", datagen::WidgetSheet(100, 30, 1, 4)},
                  {"Check", datagen::WidgetSheet(20, 20, 1, 5)}});
        menu = Make<TGPForm>(kernel.get(), {{"Name", "Menu"}, {"Paint", "Menu"}, {"PatternWidth", "400"},
                                            {"PatternHeight", "300"}});
    }
    TGPForm* menu = nullptr;
};

}  // namespace

TEST_F(WidgetBaseTest, ACentredWidgetSitsInTheMiddleOfTheSurfacePlusItsParentsPlace) {
    menu->Left = 40, menu->Top = 30;
    auto* image = Make<TGPImage>(menu, {{"Alignment", "gaCenter"}, {"PatternWidth", "200"}, {"PatternHeight", "100"}});
    image->Left = 999;  // an aligned widget starts at (0, 0)
    EXPECT_EQ(WidgetScreenPos(*image), (TPoint{40, 30}));
    const rtl::TRect r = WidgetRect(*image);
    EXPECT_EQ(r.Left, 300 + 40);
    EXPECT_EQ(r.Top, 250 + 30);
    // One level only: a grandchild adds its parent's place, not the form's.
    auto* inner = Make<TGPLabel>(image, {{"Left", "5"}, {"Top", "6"}});
    image->Left = 7, image->Top = 8;
    EXPECT_EQ(WidgetScreenPos(*inner), (TPoint{12, 14}));
}

TEST_F(WidgetBaseTest, ACentredFormWritesItsPlaceBackSoItsChildrenFollow) {
    menu->Alignment = gaCenter;
    auto* button = Make<TGPButton>(menu, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"},
                                          {"Left", "10"}, {"Top", "20"}});
    kernel->ShowForm("Menu", nullptr);
    Tick();
    Tick();
    EXPECT_EQ(menu->Left, 200);
    EXPECT_EQ(menu->Top, 150);
    EXPECT_EQ(WidgetScreenPos(*button), (TPoint{210, 170}));
    EXPECT_EQ(Pixel(215, 175), Colour565(2));
}

TEST_F(WidgetBaseTest, UnnamedWidgetsAreNumberedByTheContainerTheyJoin) {
    auto* a = Make<TGPLabel>(menu);
    auto* b = Make<TGPLabel>(menu);  // the kernel's count has not moved: it would clash
    auto* c = Make<TGPButton>(menu);
    EXPECT_EQ(a->Name, "TGPLabel0");
    EXPECT_EQ(b->Name, "TGPLabel1");
    EXPECT_EQ(c->Name, "TGPButton2");
    EXPECT_EQ(menu->FindChild("TGPLabel1"), b);
    EXPECT_EQ(kernel->FindChild("TGPLabel1"), nullptr);
    auto* other = Make<TGPForm>(kernel.get());
    EXPECT_EQ(other->Name, "TGPForm1");
    EXPECT_EQ(kernel->FindChild("TGPForm1"), other);
    // Renaming to a sibling's name is refused and keeps the old one.
    EXPECT_THROW(b->SetName("TGPLabel0"), rtl::EComponentError);
    EXPECT_EQ(b->Name, "TGPLabel1");
    // A renamed widget frees its default: the next one skips what is taken.
    a->SetName("TGPLabel3");
    auto* d = Make<TGPLabel>(menu);
    EXPECT_EQ(d->Name, "TGPLabel4");
    EXPECT_THROW(CreateWidget("TGPKernel", menu, 200), rtl::EInvalidCast);
    EXPECT_THROW(CreateWidget("TNoSuchWidget", menu, 200), rtl::EClassNotFound);
}

TEST_F(WidgetBaseTest, EveryMenuWidgetClassIsMadeByNameAndPublishesInItsOrder) {
    for (const char* name : {"TGPForm", "TGPLabel", "TGPButton", "TGPCheckBox", "TGPTrackBar", "TGPCustomGrid",
                             "TGPEdit", "TGPImage", "TGPRollImage", "TGPSlideShow", "TGPLogo"}) {
        TGPBaseInterface* w = CreateWidget(name, menu, 200);
        EXPECT_EQ(w->ClassName(), name);
        EXPECT_EQ(w->ParentWidget(), menu);
    }
    auto names = [](const char* cls) {
        std::vector<std::string> out;
        for (const rtl::PropInfo* p : rtl::FindClass(cls).Properties()) out.push_back(p->Name);
        return out;
    };
    const std::vector<std::string> structure{"OnGPBeginVibration", "OnGPVibration", "OnGPEndVibration",
                                             "OnGPSplinterEvent",  "OnGPMove",      "OnGPSetKind",
                                             "OnDXKeyDown",        "OnGPMouseDown"};
    std::vector<std::string> base = structure;
    for (const char* n : {"Cursor", "PatternWidth", "PatternHeight", "Name", "Paint", "Transparent",
                          "TransparentColor", "Visible", "OnGPClick", "OnGPExit", "OnGPEnter"})
        base.push_back(n);
    std::vector<std::string> form = base;
    for (const char* n : {"Alignment", "Condition", "MIDIFile", "TimeShow", "TicksShow", "OnGPCreate", "OnGPShow",
                          "OnGPHide"})
        form.push_back(n);
    EXPECT_EQ(names("TGPForm"), form);
    std::vector<std::string> track = form;
    for (const char* n : {"Enabled", "Left", "Top", "FocusAnimat", "Min", "Max", "Value", "Width", "Height"})
        track.push_back(n);
    EXPECT_EQ(names("TGPTrackBar"), track);
    std::vector<std::string> image = base;
    for (const char* n : {"Alignment", "Left", "Top"}) image.push_back(n);
    EXPECT_EQ(names("TGPImage"), image);  // Paint keeps its place and takes the image's setter
    std::vector<std::string> grid = form;
    for (const char* n : {"Enabled", "Left", "Top", "FocusAnimat", "Font", "FontName", "FontSize", "FontColorFront",
                          "FontColorBackground", "OnGPKeyDown", "ColCount", "RowCount", "FixedCols", "FixedRows",
                          "ColPaint", "RowPaint", "NameEdit"})
        grid.push_back(n);
    EXPECT_EQ(names("TGPCustomGrid"), grid);
    const auto label = names("TGPLabel");
    EXPECT_EQ(std::vector<std::string>(label.end() - 10, label.end()),
              (std::vector<std::string>{"FontName", "FontSize", "FontCopies", "FontCopiesDirection", "FontDX", "FontDY",
                                        "FontRotated", "FontColorFront", "FontColorBackground", "FontDirection"}));
    const auto hud = names("TGPDataText");
    EXPECT_EQ(std::vector<std::string>(hud.begin() + 8, hud.end()),
              (std::vector<std::string>{"Cursor", "PatternWidth", "PatternHeight", "Left", "Top", "FlagChange",
                                        "MinValue", "MaxValue", "Font", "Alignment", "TxtFormat", "Offset"}));
}

TEST_F(WidgetBaseTest, EventsBindByNameAndAMismatchOrAMissingMethodLeavesThemUnset) {
    WidgetMainForm shell;
    auto* button = Make<TGPButton>(menu,
                                   {{"Paint", "Button"},
                                    {"OnGPClick", "On_Link_Menu_Key"},    // a key handler: refused
                                    {"OnGPEnter", "On_Link_Menu_Click"},  // bound
                                    {"OnGPExit", "On_Link_Nobody"}},      // not published
                                   &shell);
    EXPECT_FALSE(button->OnGPClick);
    EXPECT_FALSE(button->OnGPExit);
    ASSERT_TRUE(button->OnGPEnter);
    auto* grid = Make<TGPCustomGrid>(menu, {{"OnGPKeyDown", "On_Link_Menu_Key"}}, &shell);
    ASSERT_TRUE(grid->OnGPKeyDown);
    // The widget works without the refused handler.
    button->PatternWidth = 100, button->PatternHeight = 30;
    kernel->ShowForm("Menu", nullptr);
    MouseAt(10, 10);
    Tick();
    Press(true);
    Tick();
    EXPECT_EQ(shell.clicks, (std::vector<TObject*>{button}));
    EXPECT_EQ(Pixel(10, 10), Colour565(3));
}

TEST_F(WidgetBaseTest, TheDeeperWidgetTakesTheHoverWhateverTheDrawingOrder) {
    // The check box lies under the button and draws after it; both hold the mouse.
    auto* button = Make<TGPButton>(menu, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"}});
    auto* inner = Make<TGPCheckBox>(menu, {{"Paint", "Check"}, {"PatternWidth", "20"}, {"PatternHeight", "20"}});
    std::vector<std::string> events;
    auto log = [&](const char* what) { return [&events, what](TObject*) { events.push_back(what); }; };
    menu->OnGPEnter = log("enter menu");
    menu->OnGPExit = log("exit menu");
    button->OnGPEnter = log("enter button");
    button->OnGPExit = log("exit button");
    inner->OnGPEnter = log("enter box");
    kernel->ShowForm("Menu", nullptr);
    Tick();
    MouseAt(5, 5);
    Tick();
    // The first of equal depth keeps it; the form (depth 0) gave way first.
    EXPECT_EQ(mouse->Hovered, button);
    EXPECT_EQ(events, (std::vector<std::string>{"enter menu", "enter button", "exit menu"}));
    // Deeper: the check box shown by the button.
    inner->SetParentForm(button);
    ASSERT_EQ(inner->Depth, 2);
    events.clear();
    Tick();
    EXPECT_EQ(mouse->Hovered, inner);
    EXPECT_EQ(events, (std::vector<std::string>{"enter box", "exit button"}));
    // A lower one never takes it back.
    events.clear();
    kernel->HoverWidget(button);
    EXPECT_EQ(mouse->Hovered, inner);
    EXPECT_TRUE(events.empty());
    // Nil clears the hover and the pressed button, firing nothing.
    mouse->Pressed = true;
    kernel->HoverWidget(nullptr);
    EXPECT_EQ(mouse->Hovered, nullptr);
    EXPECT_FALSE(mouse->Pressed);
    EXPECT_TRUE(events.empty());
}

TEST_F(WidgetBaseTest, NoHoverSwitchesWhileTheFormsBehindTheFocusedOneDrawOrWithoutTheFlag) {
    auto* button = Make<TGPButton>(menu, {{"Paint", "Button"}});
    kernel->DrawingForms = true;
    kernel->HoverWidget(button);
    EXPECT_EQ(mouse->Hovered, nullptr);
    kernel->DrawingForms = false;
    kernel->Flags = 0;
    kernel->HoverWidget(button);
    EXPECT_EQ(mouse->Hovered, nullptr);
    kernel->Flags = 1u << 1;
    kernel->HoverWidget(button);
    EXPECT_EQ(mouse->Hovered, button);
    // Leaving its rectangle hands the hover to its parent form, without events.
    button->SetParentForm(menu);
    int exits = 0;
    button->OnGPExit = [&](TObject*) { ++exits; };
    MouseAt(700, 500);
    EXPECT_TRUE(button->TrackMouse({0, 0}, 100, 30));
    EXPECT_EQ(mouse->Hovered, menu);
    EXPECT_EQ(exits, 0);
    mouse->HoverTracking = false;
    EXPECT_FALSE(button->TrackMouse({0, 0}, 100, 30));
}

TEST_F(WidgetBaseTest, OnlyTheFocusedFormsWidgetsTakeTheHoverAndTheCursorTakesTheirKind) {
    auto* back = Make<TGPForm>(kernel.get(), {{"Name", "Back"}, {"Paint", "Menu"}, {"PatternWidth", "400"},
                                              {"PatternHeight", "300"}});
    auto* backButton = Make<TGPButton>(back, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"},
                                              {"Cursor", "3"}});
    auto* button = Make<TGPButton>(menu, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"},
                                          {"Cursor", "2"}});
    menu->Left = 300;
    kernel->ShowForm("Back", nullptr);
    Tick();
    kernel->ShowForm("Menu", nullptr);
    Tick();
    MouseAt(10, 10);  // over the form behind
    Tick();
    EXPECT_NE(mouse->Hovered, backButton);
    MouseAt(310, 10);
    Tick();
    EXPECT_EQ(mouse->Hovered, button);
    EXPECT_EQ(mouse->IDClass, 2);
    EXPECT_TRUE(mouse->HoverTracking);  // restored after the forms behind
    EXPECT_FALSE(kernel->DrawingForms);
}

TEST_F(WidgetBaseTest, HidingAFormFreesItsTreesPicturesAndAnotherWidgetOfTheSamePaintNeverDrawsAFreedOne) {
    auto* a = Make<TGPButton>(menu, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"}});
    auto* other = Make<TGPForm>(kernel.get(), {{"Name", "Other"}, {"Paint", "Menu"}});
    auto* b = Make<TGPButton>(other, {{"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"}});
    b->Left = 200;
    kernel->ShowForm("Menu", nullptr);
    Tick();
    kernel->ShowFormOverGame("Other", menu);
    Tick();
    Tick();  // both buttons have drawn "Button" and cached it
    ASSERT_NE(kernel->FormsRegister->Items().Find("Button"), nullptr);
    EXPECT_EQ(Pixel(210, 5), Colour565(2));
    a->Hide();  // frees "Button" from the shared register
    EXPECT_EQ(kernel->FormsRegister->Items().Find("Button"), nullptr);
    Tick();  // b looks it up again (a freed item would be a use after free)
    EXPECT_EQ(Pixel(210, 5), Colour565(2));
    ASSERT_NE(kernel->FormsRegister->Items().Find("Button"), nullptr);
    kernel->HideForm("Other");
    Tick();
    EXPECT_EQ(kernel->FormsRegister->Items().Find("Menu"), nullptr);
    EXPECT_EQ(kernel->FormsRegister->Items().Find("Button"), nullptr);
}

TEST_F(WidgetBaseTest, APictureNameThatLeavesTheFormsFolderLoadsNothing) {
    kernel->InterfaceResource = nullptr;  // loose files of the forms folder
    std::filesystem::create_directories(dir.File("Resource"));
    {
        std::ofstream out(dir.File("Resource/Secret.BMP"), std::ios::binary);
        const std::string bmp = datagen::SolidPicture(8, 8, 0xFF0000);
        out.write(bmp.data(), std::streamsize(bmp.size()));
    }
    auto* sneaky = Make<TGPButton>(menu, {{"Paint", "..\\Secret"}});
    EXPECT_EQ(sneaky->GetPicture(true), nullptr);
    EXPECT_TRUE(IsPlainFileName("Button"));
    for (const char* bad : {"", ".", "..", "a/b", "a\\b"}) EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

TEST_F(WidgetBaseTest, TheFontIsDrawnOnceWhateverItsCopies) {
    auto* label = Make<TGPLabel>(menu, {{"Text", "Copies"}, {"PatternWidth", "200"}, {"PatternHeight", "40"},
                                        {"FontSize", "20"}, {"PaintAlways", "True"}, {"FontCopies", "5"},
                                        {"FontColorFront", "65535"}});
    EXPECT_EQ(label->Font->Copies(), 1);
    EXPECT_EQ(label->GetFontCopies(), 5);  // stored and published as given
    EXPECT_EQ(rtl::GetOrdProp(*label->Font, "Copies"), 1);
    kernel->ShowForm("Menu", nullptr);
    Tick();
    Tick();
    const int drawn = Count(To565(0xFFFF00), 0, 0, 200, 40);
    label->SetFontCopies(1);
    Tick();
    const int once = Count(To565(0xFFFF00), 0, 0, 200, 40);
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(drawn, once);
}
