// Every screen of the demo as the program shows it, headless: the menu panels, each kind of
// in-game message, and the pause with the heads-up of each level set. What a widget draws is
// found by presenting the screen with none of them, then with each alone. Texts must lie
// inside their form's frame and inside the rectangle their description gives them (with room
// to spare below), nothing may draw over a text, check boxes and track bars carry a caption
// beside them, an edit is clicked where it is drawn, and every pixel of the screen is painted
// every frame. A medal or a rank shows its Ok alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PanelWidgets.h"
#include "engine/gpData.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "media/DXDraws.h"
#include "platform/display/Pointer.h"
#include "platform/input/VirtualKeys.h"
#include "rtl/Format.h"
#include "rtl/Text.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tools/datagen/demo/DemoInterface.h"
#include "tools/datagen/demo/DemoTexts.h"

namespace {

using demotest::HeadlessGame;
using engine::TGPInterface;
using platform::display::Frame;
using Opener = void (app::TDlg_Sprallion::*)(rtl::Object*);

struct Box {
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;  // right and bottom exclusive
    bool Empty() const { return r <= l || b <= t; }
    bool Contains(int x, int y) const { return x >= l && x < r && y >= t && y < b; }
    bool Contains(const Box& o) const { return o.Empty() || (o.l >= l && o.t >= t && o.r <= r && o.b <= b); }
    void Add(int x, int y) {
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), b = std::max(b, y + 1);
    }
};

Box Bounds(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

std::string Text(const Box& b) {
    return b.Empty() ? "nothing" : rtl::Format("(%D, %D)-(%D, %D)", {b.l, b.t, b.r, b.b});
}

// The pixels where two frames differ.
struct Ink {
    std::vector<int> pixels;  // y * width + x, ascending
    Box box;
};

Ink Difference(const Frame& a, const Frame& b) {
    Ink ink;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x)
            if (demotest::PixelAt(a, x, y) != demotest::PixelAt(b, x, y)) {
                ink.pixels.push_back(y * a.Width + x);
                ink.box.Add(x, y);
            }
    return ink;
}

bool Meet(const Ink& a, const Ink& b) {
    if (a.box.Empty() || b.box.Empty() || a.box.r <= b.box.l || b.box.r <= a.box.l || a.box.b <= b.box.t ||
        b.box.b <= a.box.t)
        return false;
    std::vector<int> both;
    std::set_intersection(a.pixels.begin(), a.pixels.end(), b.pixels.begin(), b.pixels.end(), std::back_inserter(both));
    return !both.empty();
}

int CountOutside(const Ink& ink, const Box& box, int width) {
    return static_cast<int>(std::count_if(ink.pixels.begin(), ink.pixels.end(),
                                          [&](int p) { return !box.Contains(p % width, p / width); }));
}

// A widget's rectangle on the screen.
Box ScreenBox(const TGPInterface& w) {
    const engine::TPoint p = engine::WidgetScreenPos(w);
    return Bounds(p.X, p.Y, w.PatternWidth, w.PatternHeight);
}

// The rectangle the description gives a widget: its Left and Top on its parent's place, its
// pattern's size (a grid: its header cells and its cells, each cell 20 pixels wider).
Box Described(const TGPInterface& w) {
    const TGPInterface* parent = w.ParentWidget();
    const int x = w.Left + (parent ? parent->Left : 0), y = w.Top + (parent ? parent->Top : 0);
    if (const auto* grid = dynamic_cast<const engine::TGPCustomGrid*>(&w))
        return Bounds(x, y, grid->FixedRows * w.PatternWidth + grid->ColCount * (w.PatternWidth + 20),
                      (grid->FixedCols + grid->RowCount) * w.PatternHeight);
    return Bounds(x, y, w.PatternWidth, w.PatternHeight);
}

struct Piece {
    TGPInterface* widget;
    bool text;
    Ink ink, roomy;  // as drawn, and drawn with 300 pixels more height
};

// Heads-up widgets have no names: their class and place name them.
std::string Named(const TGPInterface& w) {
    return !w.Name.empty() ? w.Name : rtl::Format("%S at (%D, %D)", {std::string(w.ClassName()), w.Left, w.Top});
}

bool IsText(const TGPInterface* w) {
    return dynamic_cast<const engine::TGPLabel*>(w) || dynamic_cast<const engine::TGPEdit*>(w) ||
           dynamic_cast<const engine::TGPCustomGrid*>(w) || dynamic_cast<const engine::TGPText*>(w);
}

bool NeedsCaption(const TGPInterface* w) {
    return dynamic_cast<const engine::TGPCheckBox*>(w) || dynamic_cast<const engine::TGPTrackBar*>(w);
}

bool& Shown(TGPInterface& w) { return dynamic_cast<engine::TGPBaseInterface*>(&w) ? w.Visible : w.DrawEnabled; }

// The caption of a control: text ink within 24 pixels to its left or right on its line, or
// within 12 pixels above it.
bool Beside(const Box& control, const Box& text) {
    if (control.Empty() || text.Empty()) return false;
    const int overlapY = std::min(control.b, text.b) - std::max(control.t, text.t);
    const int overlapX = std::min(control.r, text.r) - std::max(control.l, text.l);
    const int gapX = std::max(text.l - control.r, control.l - text.r);
    const int gapY = control.t - text.b;
    return (overlapY * 2 >= std::min(control.b - control.t, text.b - text.t) && gapX >= 0 && gapX <= 24) ||
           (overlapX > 0 && gapY >= 0 && gapY <= 12);
}

class DemoScreens : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(game_.Start());
        ASSERT_TRUE(game_.TickUntilShown("MainPanel", 2000)) << game_.Shown();
        Park();
    }

    engine::TGPKernel& Kernel() { return *game_.Form().Kernel; }
    engine::TGPForm* FormOf(const std::string& name) { return app::panels::FindForm(&Kernel(), name); }

    // The pointer in the screen's bottom-right corner, where it draws (almost) nothing.
    void Park() { platform::display::ScriptPointer(799, 599); }

    // What each widget of a screen draws, alone: the screen presented with none of them, then
    // with each in turn (a text also with 300 pixels more height, to see whether it needs them).
    void Measure(const std::string& screen, std::vector<Piece>& pieces) {
        for (Piece& p : pieces) Shown(*p.widget) = false;
        game_.Ticks(2);
        const Frame bare = game_.Frame();
        for (Piece& p : pieces) {
            Shown(*p.widget) = true;
            game_.Tick();
            p.ink = Difference(game_.Frame(), bare);
            if (p.text && !dynamic_cast<engine::TGPCustomGrid*>(p.widget)) {
                p.widget->PatternHeight += 300;
                game_.Tick();
                p.roomy = Difference(game_.Frame(), bare);
                p.widget->PatternHeight -= 300;
            }
            Shown(*p.widget) = false;
        }
        for (Piece& p : pieces) Shown(*p.widget) = true;
        game_.Tick();
        Dump(screen, game_.Frame());
    }

    // Every pixel painted in a frame: the back surface filled with two colours in turn before
    // a tick; what keeps the fill both times was drawn by nothing.
    void ExpectPaintedWhole(const std::string& screen) {
        Frame seen[2];
        const uint16_t fills[2] = {0xF81F, 0x07E0};
        for (int i = 0; i < 2; ++i) {
            Kernel().Surface()->Fill(fills[i]);
            game_.Tick();
            seen[i] = game_.Frame();
        }
        Box unpainted;
        int count = 0;
        for (int y = 0; y < seen[0].Height; ++y)
            for (int x = 0; x < seen[0].Width; ++x)
                if (demotest::PixelAt(seen[0], x, y) == fills[0] && demotest::PixelAt(seen[1], x, y) == fills[1]) {
                    unpainted.Add(x, y);
                    ++count;
                }
        if (count) faults_.push_back(screen + ": " + std::to_string(count) + " pixels in " + Text(unpainted) + " painted by nothing");
    }

    // The checks over one screen; `frame` is where its texts must stay.
    void Check(const std::string& screen, const Box& frame, const std::vector<Piece>& pieces) {
        const int width = game_.Frame().Width;
        auto fault = [&](const TGPInterface& w, const std::string& what) {
            faults_.push_back(screen + "." + Named(w) + ": " + what);
        };
        for (const Piece& p : pieces) {
            const TGPInterface& w = *p.widget;
            if (p.ink.box.Empty()) continue;
            if (!frame.Contains(p.ink.box)) fault(w, "draws " + Text(p.ink.box) + " outside the frame " + Text(frame));
            if (NeedsCaption(&w) && std::none_of(pieces.begin(), pieces.end(), [&](const Piece& t) {
                    return t.text && Beside(p.ink.box, t.ink.box);
                }))
                fault(w, "has no caption beside it");
            if (!p.text) continue;
            const Box described = Described(w);
            if (!described.Contains(p.ink.box)) fault(w, "draws " + Text(p.ink.box) + " outside its rectangle " + Text(described));
            if (int n = CountOutside(p.roomy, described, width))
                fault(w, std::to_string(n) + " pixels of its text do not fit its rectangle " + Text(described));
            for (const Piece& o : pieces)
                if (&o != &p && Meet(p.ink, o.ink)) fault(w, "meets " + Named(*o.widget));
            if (auto* edit = dynamic_cast<const engine::TGPEdit*>(&w)) {
                const Box clicked = ScreenBox(*edit);
                if (clicked.l != edit->Left || clicked.t != edit->Top)
                    fault(w, "is drawn at (" + std::to_string(edit->Left) + ", " + std::to_string(edit->Top) +
                                 ") but clicked at " + Text(clicked));
            }
        }
    }

    // A form: its children; its texts stay within the panel the table frames on its backdrop,
    // or within the form.
    void CheckForm(const std::string& name, const std::string& screen) {
        engine::TGPForm* form = FormOf(name);
        ASSERT_NE(form, nullptr) << name;
        std::vector<Piece> pieces;
        for (int i = 0; i < form->ChildCount(); ++i)
            if (auto* w = dynamic_cast<TGPInterface*>(form->GetChild(i)); w && w->Visible) pieces.push_back({w, IsText(w), {}, {}});
        Measure(screen, pieces);
        // A form's place: the centring of its last drawing wrote it into Left and Top.
        Box frame = Bounds(form->Left, form->Top, form->PatternWidth, form->PatternHeight);
        const datagen::demo::WidgetEntry* entry = datagen::demo::DemoForm(name);
        if (entry && !entry->frame.Empty()) frame = Bounds(entry->frame.left, entry->frame.top, entry->frame.width, entry->frame.height);
        Check(screen, frame, pieces);
    }

    // SPRALLION_SCREENS_DUMP=DIR keeps each screen looked at as a picture.
    static void Dump(std::string screen, const Frame& frame) {
        if (const char* dir = std::getenv("SPRALLION_SCREENS_DUMP")) {
            std::replace(screen.begin(), screen.end(), ' ', '_');
            demotest::WriteFrameBmp(frame, std::string(dir) + "/" + screen + ".bmp");
        }
    }

    void ShowFromMenu(Opener opener, const std::string& panel) {
        (game_.Form().*opener)(FormOf("MainPanel"));  // as a button of the menu
        ASSERT_TRUE(game_.TickUntilShown(panel)) << game_.Shown();
        Park();
    }

    void BackToMenu(const std::string& panel) {
        Kernel().ShowForm("MainPanel", nullptr);
        Kernel().HideForm(panel);
        ASSERT_TRUE(game_.TickUntilShown("MainPanel")) << game_.Shown();
    }

    std::string Faults() const {
        std::string text;
        for (const std::string& f : faults_) text += f + "\n";
        return text;
    }

    std::string Language(const std::string& key) { return game_.Form().LanguageString(key + "_%S"); }

    HeadlessGame game_;
    std::vector<std::string> faults_;
};

TEST_F(DemoScreens, EveryMenuPanelKeepsItsTextsInPlaceAndPaintsTheWholeScreen) {
    ASSERT_NO_FATAL_FAILURE(CheckForm("MainPanel", "MainPanel"));
    ExpectPaintedWhole("MainPanel");

    ASSERT_NO_FATAL_FAILURE(ShowFromMenu(&app::TDlg_Sprallion::On_Link_NewGame_Show, "NewGames"));
    // The player's name typed, and the hint the panel shows while no set is chosen.
    auto* name = app::panels::Find<engine::TGPEdit>(FormOf("NewGames"), "Ed_User_Name");
    ASSERT_NE(name, nullptr);
    name->Text = rtl::Utf8ToAnsi("Александра");
    if (auto* hint = app::panels::Find<engine::TGPLabel>(FormOf("NewGames"), "TL_MsgSubject"))
        hint->Text = Language("TL_MsgSubject");
    ASSERT_NO_FATAL_FAILURE(CheckForm("NewGames", "NewGames"));
    ExpectPaintedWhole("NewGames");
    ASSERT_NO_FATAL_FAILURE(BackToMenu("NewGames"));

    const std::pair<Opener, const char*> panels[] = {
        {&app::TDlg_Sprallion::On_Link_OnClick_Option, "OptionPanel"},
        {&app::TDlg_Sprallion::On_Link_Help, "Help"},
        {&app::TDlg_Sprallion::On_Link_Credits_Create, "Credits"},
        {&app::TDlg_Sprallion::On_Link_Load_Create, "Load_Games"},
        {&app::TDlg_Sprallion::On_Link_Save_Create, "Save_Games"}};
    for (const auto& [opener, panel] : panels) {
        SCOPED_TRACE(panel);
        ASSERT_NO_FATAL_FAILURE(ShowFromMenu(opener, panel));
        // Every slot as a used one shows it: a name, the score and the level.
        for (int slot = 1; slot <= 6; ++slot) {
            const bool load = std::string(panel) == "Load_Games";
            const std::string n = std::to_string(slot);
            const std::pair<std::string, std::string> texts[] = {
                {load ? "Lb_Load_" + n : "Save_Name_" + n, rtl::Utf8ToAnsi("Александра")},
                {load ? "Lb_Load_Count_" + n : "Save_Count_" + n, rtl::Format(Language("Count"), {9999999})},
                {load ? "Lb_Load_Level_" + n : "Save_Level_" + n, rtl::Format(Language("Level"), {30})}};
            for (const auto& [label, text] : texts)
                if (auto* l = app::panels::Find<engine::TGPLabel>(FormOf(panel), label)) l->Text = text;
        }
        ASSERT_NO_FATAL_FAILURE(CheckForm(panel, panel));
        ExpectPaintedWhole(panel);
        ASSERT_NO_FATAL_FAILURE(BackToMenu(panel));
    }
    EXPECT_EQ(Faults(), "");
    EXPECT_TRUE(game_.failures.empty()) << ::testing::PrintToString(game_.failures);
}

TEST_F(DemoScreens, ThePointerChangesOnlyWhereItWasWhereItIsAndWhatItHovers) {
    // Across a panel, round its margins and back: each frame differs from the one before only
    // under the cursor's old and new places and on the widgets hovered before or after, and
    // back where it began, the screen is as it began.
    ASSERT_NO_FATAL_FAILURE(ShowFromMenu(&app::TDlg_Sprallion::On_Link_NewGame_Show, "NewGames"));
    engine::TGPMouse& mouse = *Kernel().Mouse;
    auto cursorBox = [&] {
        const engine::TOneCursor* c = mouse.Cursor();
        return c ? Bounds(Kernel().MouseX - c->OffsetX, Kernel().MouseY - c->OffsetY, c->PatternWidth, c->PatternHeight) : Box{};
    };
    // A form looks the same hovered or not.
    auto widgetBox = [](engine::TGPStructure* s) -> Box {
        auto* w = dynamic_cast<TGPInterface*>(s);
        if (!w || typeid(*w) == typeid(engine::TGPForm)) return {};
        return dynamic_cast<engine::TGPCustomGrid*>(w) ? Described(*w) : ScreenBox(*w);
    };
    std::vector<std::pair<int, int>> path;
    for (int x = 10; x <= 790; x += 37) path.push_back({x, 300});
    for (int y = 300; y <= 590; y += 29) path.push_back({790, y});
    for (int x = 790; x >= 10; x -= 41) path.push_back({x, 590});
    for (int y = 590; y >= 300; y -= 31) path.push_back({10, y});
    path.push_back({10, 300});
    platform::display::ScriptPointer(path[0].first, path[0].second);
    game_.Ticks(3);
    const Frame first = game_.Frame();
    ASSERT_FALSE(mouse.Hidden());
    ASSERT_EQ(Kernel().MouseX, path[0].first) << "the game does not read the pointer";
    ASSERT_FALSE(cursorBox().Empty()) << "no cursor drawn";
    Frame before = first;
    Box cursorBefore = cursorBox();
    engine::TGPStructure* hoveredBefore = mouse.Hovered;
    for (const auto& [x, y] : path) {
        platform::display::ScriptPointer(x, y);
        game_.Tick();
        const Frame now = game_.Frame();
        const Box allowed[] = {cursorBefore, cursorBox(), widgetBox(hoveredBefore), widgetBox(mouse.Hovered)};
        Box stray;
        for (int p : Difference(before, now).pixels)
            if (std::none_of(std::begin(allowed), std::end(allowed), [&](const Box& b) { return b.Contains(p % now.Width, p / now.Width); }))
                stray.Add(p % now.Width, p / now.Width);
        if (!stray.Empty()) faults_.push_back(rtl::Format("at (%D, %D): pixels changed in %S", {x, y, Text(stray)}));
        before = now;
        cursorBefore = cursorBox();
        hoveredBefore = mouse.Hovered;
    }
    game_.Tick();
    const Ink left = Difference(first, game_.Frame());
    if (!left.box.Empty()) faults_.push_back(std::to_string(left.pixels.size()) + " pixels left changed in " + Text(left.box));
    EXPECT_EQ(Faults(), "");
}

TEST_F(DemoScreens, EveryKindOfMessageKeepsItsTextsInsideTheBox) {
    // The longest texts the callers pass: a set's title and a level's, an update list, a file.
    std::string setTitle, levelTitle;
    for (const auto& s : demotest::DemoData::Get().set.levelSets) {
        if (s.set.set.header.title.size() > setTitle.size()) setTitle = s.set.set.header.title;
        for (const auto& level : s.set.set.levels)
            if (level.texts[0].size() > levelTitle.size()) levelTitle = level.texts[0];
    }
    auto show = [&](const std::string& screen, const std::function<void()>& raise) {
        SCOPED_TRACE(screen);
        raise();
        ASSERT_TRUE(game_.TickUntilShown("MessageBox")) << game_.Shown();
        ASSERT_NO_FATAL_FAILURE(CheckForm("MessageBox", screen));
        Kernel().HideForm("MessageBox");
        game_.Tick();
    };
    const std::string updates = "Sprallion 1.2\r\nSprallion.ig 1.2", file = "Sprallion.ig";
    app::TDlg_Sprallion& form = game_.Form();
    for (const datagen::demo::MessageUse& m : datagen::demo::ShellMessages()) {
        if (m.number == 7 || m.number == 8) continue;  // the medals and ranks below
        std::vector<rtl::FormatArg> args;
        if (m.number == 3) args = {setTitle, levelTitle};
        if (m.number == 4) args = {levelTitle};
        if (m.number == 19) args = {updates};
        if (m.number == 26) args = {file};
        ASSERT_EQ(static_cast<int>(args.size()), m.arguments) << "message " << m.number;
        ASSERT_NO_FATAL_FAILURE(show("message " + std::to_string(m.number),
                                     [&] { form.ShowMessageBox(m.number, m.number, args, nullptr, nullptr, 0); }));
    }
    for (int k = 1; k <= 10; ++k)
        ASSERT_NO_FATAL_FAILURE(show("medal " + std::to_string(k), [&] { form.ShowMedalMessage(k); }));
    for (int k = 1; k <= 19; ++k)
        ASSERT_NO_FATAL_FAILURE(show("rank " + std::to_string(k), [&] { form.ShowRankMessage(k); }));
    EXPECT_EQ(Faults(), "");
}

TEST_F(DemoScreens, ThePauseOverEachLevelSetKeepsTheHeadsUpInItsPanelsAndTheScreenPainted) {
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        const std::string file = set.set.file;
        SCOPED_TRACE(file);
        ASSERT_TRUE(game_.ChooseSet(file));
        // A name of common length: the shell's fixed heads-up holds about eight letters at its
        // size beside the player's emblem.
        if (auto* name = app::panels::Find<engine::TGPEdit>(FormOf("NewGames"), "Ed_User_Name"))
            name->Text = rtl::Utf8ToAnsi("Мария");
        game_.Form().On_Link_OnClick_StartNewGame(nullptr);
        ASSERT_TRUE(game_.TickUntilShown("MessageBox")) << game_.Shown();
        game_.PressEnter();
        // The heads-up greets the player by the name just typed.
        bool named = false;
        for (const auto& item : Kernel().Panels)
            if (auto* text = dynamic_cast<engine::TGPText*>(item.get())) named |= text->Text == rtl::Utf8ToAnsi("Мария");
        EXPECT_TRUE(named) << "the heads-up shows another name";
        engine::TKernelRecord& vars = Kernel().KernelRecord;
        engine::SetFieldValue(vars.Count, 9999999);
        game_.Form().TogglePause();
        ASSERT_TRUE(game_.TickUntilShown("Pause")) << game_.Shown();
        Park();
        ExpectPaintedWhole(file + " paused");
        ASSERT_NO_FATAL_FAILURE(CheckForm("Pause", file + " Pause"));
        for (const auto& item : Kernel().Panels) {
            auto* panel = dynamic_cast<engine::TGPPanel*>(item.get());
            if (!panel) continue;
            std::vector<Piece> pieces;
            for (int i = 0; i < panel->Count(); ++i) pieces.push_back({panel->Child(i), IsText(panel->Child(i)), {}, {}});
            const std::string screen = file + " heads-up " + std::to_string(panel->IDClass);
            Measure(screen, pieces);
            Check(screen, ScreenBox(*panel), pieces);
        }
        game_.Form().EndGame(nullptr);
        ASSERT_TRUE(game_.TickUntilShown("MainPanel")) << game_.Shown();
    }
    EXPECT_EQ(Faults(), "");
    EXPECT_TRUE(game_.failures.empty()) << ::testing::PrintToString(game_.failures);
}

TEST_F(DemoScreens, AMedalOrARankShowsOnlyItsOkAndEscOrEnterReturnToPlay) {
    ASSERT_NO_FATAL_FAILURE(game_.NewGame("0Test.ig", 0));
    auto playing = [&] { return Kernel().Condition == engine::ck_Play && !game_.PanelShown("MessageBox"); };
    for (int i = 0; i < 200 && !playing(); ++i) ASSERT_NO_FATAL_FAILURE(game_.Play());
    ASSERT_TRUE(playing()) << game_.Shown();
    auto* cancel = app::panels::Find<engine::TGPButton>(FormOf("MessageBox"), "Cancel_Message");
    ASSERT_NE(cancel, nullptr);
    struct Way {
        const char* name;
        void (app::TDlg_Sprallion::*raise)(int32_t);
        uint8_t key;
    };
    for (const Way& way : {Way{"medal, Esc", &app::TDlg_Sprallion::ShowMedalMessage, platform::input::vk::Escape},
                           Way{"rank, Enter", &app::TDlg_Sprallion::ShowRankMessage, platform::input::vk::Return}}) {
        SCOPED_TRACE(way.name);
        (game_.Form().*way.raise)(2);
        ASSERT_TRUE(game_.TickUntilShown("MessageBox")) << game_.Shown();
        Park();
        game_.Ticks(2);
        EXPECT_FALSE(cancel->Visible);
        // What the screen shows where Cancel would be is what it shows with Cancel surely hidden.
        const Frame shown = game_.Frame();
        cancel->Visible = false;
        game_.Tick();
        const Box place = ScreenBox(*cancel);
        Box drawn;
        for (int y = place.t; y < place.b; ++y)
            for (int x = place.l; x < place.r; ++x)
                if (demotest::PixelAt(shown, x, y) != demotest::PixelAt(game_.Frame(), x, y)) drawn.Add(x, y);
        EXPECT_TRUE(drawn.Empty()) << "Cancel drawn at " << Text(drawn);

        game_.Input().SetKey(way.key, true);
        game_.Tick();
        game_.Input().SetKey(way.key, false);
        game_.Ticks(3);
        EXPECT_TRUE(playing()) << game_.Shown();
    }
    EXPECT_TRUE(game_.failures.empty()) << ::testing::PrintToString(game_.failures);
}

}  // namespace
