// The ways between the panels never lose or freeze a running game: one run of the program,
// headless on the virtual clock over a copy of the demo data, walks every way out of a panel
// or an in-game message, from play and from the main menu, as a player would (keys, and
// clicks at the widgets' places in the demo's interface table). After each return to play
// the level, score, lives and bricks are those the panel froze, and the kernel plays; a
// panel opened from the main menu returns there, with no game started. The test set's first
// level keeps its one brick for 150 ticks of play, time enough for all the ways tried on it.
// In-process, the screen back on the pause from its save panel is the pause as first shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "app/PanelWidgets.h"
#include "engine/gpInterfaceImage.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "platform/display/Pointer.h"
#include "platform/input/VirtualKeys.h"
#include "tests/TempDir.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoInterface.h"

namespace {

// The screen point at the centre of a widget of the demo's interface: a centred form lies in
// the middle of the 800 x 600 screen, any other at its corner; widgets lie at their form's
// place plus their own.
std::string ClickOn(const std::string& formName, const std::string& widgetName) {
    auto number = [](const datagen::demo::WidgetEntry& w, const char* property) {
        const std::string* value = w.Property(property);
        return value ? std::stoi(*value) : 0;
    };
    for (const auto& form : datagen::demo::DemoForms()) {
        if (form.name != formName) continue;
        const bool centred = form.Property("Alignment") && *form.Property("Alignment") == "gaCenter";
        const int left = centred ? (800 - number(form, "PatternWidth")) / 2 : 0;
        const int top = centred ? (600 - number(form, "PatternHeight")) / 2 : 0;
        for (const auto& w : form.children)
            if (w.name == widgetName) {
                const int x = left + number(w, "Left") + number(w, "PatternWidth") / 2;
                const int y = top + number(w, "Top") + number(w, "PatternHeight") / 2;
                // Pushed into the corner first: the game warps the pointer onto the panels it shows.
                return "move -32768 -32768\nmove " + std::to_string(x) + " " + std::to_string(y) + "\nwait 2\nclick left\n";
            }
    }
    ADD_FAILURE() << "no widget " << formName << "." << widgetName;
    return "";
}

// What a panel over the game must leave as it was.
const std::string kGameState[] = {"fd_Level", "fd_Count", "fd_Life", "Bricks"};

// Kept while the panel shows: the world stands still under it.
std::string Keep() {
    std::string s;
    for (const std::string& v : kGameState) s += "keep " + v + "\n";
    return s;
}

// The panel closed on this tick: the kernel plays the game it froze.
std::string BackInPlay() {
    std::string s = "until Condition = 0 within 3\n";
    for (const std::string& v : kGameState) s += "until " + v + " = kept within 0\n";
    return s;
}

// On the main menu, and still there some ticks later (no game plays behind it).
std::string OnMainMenu() {
    return "until panel MainPanel within 10\nuntil Condition = 4 within 0\nwait 10\n"
           "until Condition = 4 within 0\nuntil panel MainPanel within 0\n";
}

// The keys of the help and the pause toggle their panel at most once in 500 ms (23 ticks):
// the ways wait this long while their panel shows, or in play before they open it again.
const std::string kToggleGuard = "wait 25\n";

std::string Script() {
    std::string s = "until panel MainPanel within 3000\n";
    // From the main menu with no game: Load and Save, each left by Esc and by Back; Help by Back.
    for (const std::string panel : {"Load_Games", "Save_Games"}) {
        const std::string button = panel == "Load_Games" ? "BT_Load" : "BT_Save";
        s += ClickOn("MainPanel", button) + "until panel " + panel + " within 10\nkey Esc\n" + OnMainMenu();
        s += ClickOn("MainPanel", button) + "until panel " + panel + " within 10\n" +
             ClickOn(panel, "TB_Back_" + panel) + OnMainMenu();
    }
    s += ClickOn("MainPanel", "BT_Help") + "until panel Help within 10\n" + ClickOn("Help", "TB_Back_Help") + OnMainMenu();

    // A new game on the test set. On its first level: the end-game question answered No, by
    // Esc and by its Cancel button; the help over the game closed by Back, Esc and F1.
    s += "key Enter\nuntil panel NewGames within 10\n";
    // Enter in the name ends the typing and starts nothing; the next Enter starts the game.
    s += ClickOn("NewGames", "Ed_User_Name") + "key A\nkey Enter\nwait 10\nuntil panel NewGames within 0\n"
         "until Condition = 4 within 0\n";
    s += "key Enter\nuntil message 3 within 300\nkey Enter\nuntil Condition = 0 within 3\n";
    s += "key Esc\nuntil message 9 within 5\n" + Keep() + "key Esc\n" + BackInPlay();
    s += "key Esc\nuntil message 9 within 5\n" + Keep() + ClickOn("MessageBox", "Cancel_Message") + BackInPlay();
    const std::string help = "key F1\nuntil panel Help within 5\n" + Keep() + kToggleGuard;
    s += help + ClickOn("Help", "TB_Back_Help") + BackInPlay();
    s += help + "key Esc\n" + BackInPlay();
    s += help + "key F1\n" + BackInPlay();
    // Play goes on: the brick breaks and the second level begins.
    s += "keep fd_Count\nuntil fd_Count > kept within 300\nuntil message 4 within 100\nkey Enter\n"
         "until Condition = 0 within 3\n";
    // On the second: the pause, then the save panel; a saved slot, Esc and Back each return to
    // the pause (the save panel gone), which P ends.
    const std::string saveFromPause = "key P\nuntil panel Pause within 5\n" + Keep() + kToggleGuard +
                                      ClickOn("Pause", "BT_Save_Pause") + "until panel Save_Games within 5\n";
    const std::string onPause =
        "until panel Pause within 5\nuntil no panel Save_Games within 0\nuntil Condition = 3 within 0\nkey P\n" +
        BackInPlay();
    s += saveFromPause + ClickOn("Save_Games", "Im_Save_3") + onPause;
    s += kToggleGuard + saveFromPause + "key Esc\n" + onPause;
    s += kToggleGuard + saveFromPause + ClickOn("Save_Games", "TB_Back_Save_Games") + onPause;
    // The game ends by the question's Ok and the main menu follows.
    s += "key Esc\nuntil message 9 within 5\nkey Enter\n" + OnMainMenu();

    // Credits and About from the main menu, then the game saved on the second level is loaded:
    // the question's Esc goes back to that game, and no panel seen before comes back.
    s += ClickOn("MainPanel", "BT_Credits") + "until panel Credits within 10\n" +
         ClickOn("Credits", "TB_Back_Credits") + OnMainMenu();
    s += ClickOn("MainPanel", "BT_About") + "until message 15 within 10\n" + ClickOn("MessageBox", "Cancel_Message") +
         OnMainMenu();
    s += ClickOn("MainPanel", "BT_Load") + "until panel Load_Games within 10\n" + ClickOn("Load_Games", "Im_Load_3") +
         "until message 4 within 300\nkey Enter\nuntil Condition = 0 within 3\nuntil fd_Level = 1 within 0\n";
    s += "key Esc\nuntil message 9 within 5\n" + Keep() + "key Esc\n" + BackInPlay() + "until no panel Credits within 0\n";
    s += "keep fd_Count\nuntil fd_Count > kept within 300\n";
    // The pending save of this game stored from the main menu: back on the menu, no game.
    s += "until panel MessageBox within 100\nkey Enter\nuntil Condition = 0 within 5\n";
    s += "key Esc\nuntil message 9 within 5\nkey Enter\n" + OnMainMenu();
    s += ClickOn("MainPanel", "BT_Save") + "until panel Save_Games within 10\n" + ClickOn("Save_Games", "Im_Save_4") +
         OnMainMenu();
    // F12 ends the program in order; should it not, the check that cannot hold ends it.
    return s + "key F12\nwait 300\nuntil panel NoSuchPanel within 1\n";
}

TEST(DemoPanelsReturn, EveryWayOutOfAPanelReturnsToTheGameOrTheMenuItCameFrom) {
    TempDir dir;
    std::filesystem::copy(demotest::DemoData::Get().home, dir.File("game"), std::filesystem::copy_options::recursive);
    dir.Write("script", Script());
    const pid_t pid = testproc::SpawnProgram(
        "sprallion", demotest::ScriptedRun(dir.File("game"), dir.File(""), dir.File("script")), dir.File("stderr"));
    ASSERT_GT(pid, 0);
    const std::optional<int> status = testproc::WaitExit(pid, std::chrono::seconds(300));
    ASSERT_TRUE(status.has_value()) << "the program did not end in time";
    EXPECT_EQ(*status, 0) << dir.Read("stderr") << dir.Read("game/Exception.Log");
}

// Back on the pause from its save panel, by a saved slot and by Esc: the screen is the pause
// as first shown, with no pixel of the save panel left under it.
TEST(DemoPanelsReturn, BackOnThePauseFromItsSavePanelTheScreenIsThePauseAlone) {
    demotest::HeadlessGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start());
    ASSERT_TRUE(game.TickUntilShown("MainPanel", 2000)) << game.Shown();
    ASSERT_NO_FATAL_FAILURE(game.NewGame("0Test.ig", 0));
    engine::TGPKernel& k = *game.Form().Kernel;
    for (int i = 0; i < 200 && (k.Condition != engine::ck_Play || game.PanelShown("MessageBox")); ++i)
        ASSERT_NO_FATAL_FAILURE(game.Play());
    // The pointer in the corner, where it draws little; the save panel moves it onto itself.
    auto park = [] { platform::display::ScriptPointer(799, 599); };
    park();
    game.Form().TogglePause();
    ASSERT_TRUE(game.TickUntilShown("Pause")) << game.Shown();
    game.Ticks(3);
    const platform::display::Frame paused = game.Frame();
    const int32_t pointer = k.Mouse->IDClass;

    auto* save = app::panels::Find<engine::TGPStructure>(app::panels::FindForm(&k, "Pause"), "BT_Save_Pause");
    ASSERT_TRUE(save && save->OnGPMouseDown);
    for (const char* way : {"a saved slot", "Esc"}) {
        SCOPED_TRACE(way);
        save->OnGPMouseDown(save);
        ASSERT_TRUE(game.TickUntilShown("Save_Games")) << game.Shown();
        game.Ticks(2);
        if (std::string_view(way) == "Esc") {
            game.Input().SetKey(platform::input::vk::Escape, true);
            game.Tick();
            game.Input().SetKey(platform::input::vk::Escape, false);
        } else {
            auto* slot = app::panels::Find<engine::TGPImage>(app::panels::FindForm(&k, "Save_Games"), "Im_Save_3");
            ASSERT_TRUE(slot && slot->OnGPClick);
            slot->OnGPClick(slot);
        }
        for (int i = 0; i < 20 && (game.PanelShown("Save_Games") || !game.PanelShown("Pause")); ++i) game.Tick();
        ASSERT_TRUE(game.PanelShown("Pause") && !game.PanelShown("Save_Games")) << game.Shown();
        park();
        k.SetMouseKind(pointer);  // the pointer's shape, which the slots change as it passes
        game.Ticks(3);
        const platform::display::Frame back = game.Frame();
        int stale = 0;
        for (int y = 0; y < back.Height; ++y)
            for (int x = 0; x < back.Width; ++x) stale += demotest::PixelAt(back, x, y) != demotest::PixelAt(paused, x, y);
        EXPECT_EQ(stale, 0) << "pixels differ from the pause as first shown";
    }
    EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
}

}  // namespace
