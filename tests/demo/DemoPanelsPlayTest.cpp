// The game program through its panels across restarts, as a player would use them: started
// headless on the virtual clock over a copy of the demo data, driven by keys and by mouse
// clicks at the widgets' places in the demo's interface.
//
//  1. a new game on the test set with a typed name and difficulty 3, paused on its second
//     level, saved into slot 2, quit;
//  2. started again, slot 2 loaded: name, difficulty, level and score are back; the options
//     over the game reassign the first key (up) to W; quit;
//  3. started again: the options show W, and the key table stored at shut-down still has it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/SaveGames.h"
#include "tests/app/AppFixtures.h"
#include "tests/demo/DemoFixture.h"

namespace {

constexpr uint32_t kKeyW = 87;
constexpr uint32_t kKeyDown = 40;

class DemoPanelsPlayTest : public apptest::AppTest {
protected:
    DemoPanelsPlayTest() {
        std::filesystem::copy(demotest::DemoData::Get().home, Game(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    }

    std::string Game() const { return dir_.File("game"); }
    std::string SaveFile() const { return dir_.File("game/Resource/Sprallion.sav"); }

    // Runs the program with this script; its exit status, or -100 when it did not end in time.
    int Play(const std::string& name, const std::string& script) {
        dir_.Write(name + ".script", script);
        const size_t logBefore = Log().size();
        const pid_t pid = testproc::SpawnProgram(
            "sprallion", demotest::ScriptedRun(Game(), dir_.File(""), dir_.File(name + ".script")),
            dir_.File(name + ".stderr"));
        if (pid <= 0) return -101;
        const std::optional<int> status = testproc::WaitExit(pid, std::chrono::seconds(300));
        const std::string log = Log();
        runLog_ = log.size() >= logBefore ? log.substr(logBefore) : log;
        return status.value_or(-100);
    }

    // A left click at a point of the screen: the pointer is first pushed into the corner, so
    // the moves land on the point wherever the game had put it.
    static std::string ClickAt(int x, int y) {
        return "move -32768 -32768\nmove " + std::to_string(x) + " " + std::to_string(y) + "\nwait 2\nclick left\n";
    }
    // The script's last lines: F12 ends the program in order; should it not, the check that
    // can never hold ends it with status 3.
    static std::string Quit() { return "wait 5\nkey F12\nwait 300\nuntil panel NoSuchPanel within 1\n"; }

    app::TSaveGames Saves() const { return app::ReadSaveGames(SaveFile()); }

    // The key table as the next start reads it: the main form's own configuration reader.
    media::TKeyAssignList StoredKeys() {
        auto form = NewForm();
        GiveDevices(*form);
        form->ContainerFile = dir_.File("game/Resource/Demo2.bif");
        form->Resource = std::make_unique<engine::TGPResource>(form->ContainerFile, rtl::fmOpenRead);
        form->LoadConfig(*form->Resource);
        const media::TKeyAssignList keys = form->Input->Keyboard().KeyAssigns;
        DropDevices(*form);
        return keys;
    }

    std::string runLog_;  // what the last run wrote into the log
};

// The places of the demo's widgets: the menu panels cover the screen, so their widgets' places
// are places on the screen; the pause panel is centred on the 800 x 600 screen.
constexpr int kNewGameX = 260, kNewGameY = 228;   // MainPanel.BT_NewGame
constexpr int kLoadX = 260, kLoadY = 286;         // MainPanel.BT_Load
constexpr int kOptionsX = 260, kOptionsY = 402;   // MainPanel.BT_Options
constexpr int kNameX = 560, kNameY = 308;         // NewGames.Ed_User_Name
constexpr int kHardX = 438, kHardY = 442;         // NewGames.CB_Difficulty_3
constexpr int kStartX = 582, kStartY = 500;       // NewGames.TB_Start_NewGame
constexpr int kSaveX = 400, kSaveY = 360;         // Pause.BT_Save_Pause
constexpr int kSlot2X = 388, kSlot2Y = 136;       // Save_Games.Im_Save_2, Load_Games.Im_Load_2
constexpr int kKeyCellX = 314, kKeyCellY = 154;   // OptionPanel.CG_KeyAssigns, row 0

TEST_F(DemoPanelsPlayTest, AGameSavedFromThePauseLoadsAfterARestartAndAReassignedKeyIsKept) {
    // ---- 1: new game, pause, save into slot 2, quit ----
    std::string typeName;
    for (int i = 0; i < 24; ++i) typeName += "key Backspace\n";
    typeName += "key R\nkey E\nkey X\n";
    const std::string first = "until panel MainPanel within 3000\n" + ClickAt(kNewGameX, kNewGameY) +
                              "until panel NewGames within 200\n" + ClickAt(kNameX, kNameY) + typeName +
                              ClickAt(kHardX, kHardY) + ClickAt(kStartX, kStartY) +
                              "until panel MessageBox within 300\n"
                              "key Enter\n"
                              "until fd_Difficulty = 3 within 10\n"
                              "until fd_Level = 1 within 3000\n"
                              "until panel MessageBox within 300\n"
                              "key Enter\n"
                              "key P\n"
                              "until panel Pause within 60\n" +
                              ClickAt(kSaveX, kSaveY) + "until panel Save_Games within 60\n" + ClickAt(kSlot2X, kSlot2Y) +
                              Quit();
    ASSERT_EQ(Play("first", first), 0) << runLog_ << dir_.Read("first.stderr");
    EXPECT_NE(runLog_.find("END SESSION"), std::string::npos) << runLog_;

    app::TSaveGames saves = Saves();
    ASSERT_TRUE(app::SaveRecordUsed(saves.Slots[2].Record)) << runLog_;
    const app::TPlayerRecord saved = app::DecodePlayerRecord(saves.Slots[2].Record);
    EXPECT_EQ(saved.Name, "rex");
    EXPECT_EQ(saved.Difficulty, 3);
    EXPECT_EQ(saved.Level, 2);  // the second level: fd_Level 1
    EXPECT_EQ(saved.SubjectFile, "0Test.ig");
    EXPECT_EQ(saved.Score, 250 * 3);  // the first level's brick at difficulty 3
    EXPECT_FALSE(app::SaveRecordUsed(saves.Slots[0].Record));  // the pending game went into the slot
    EXPECT_FALSE(saves.Slots[2].Preview.empty());

    // ---- 2: load slot 2, check the game, reassign the first key, quit ----
    const std::string second = "until panel MainPanel within 3000\n" + ClickAt(kLoadX, kLoadY) +
                               "until panel Load_Games within 200\n" + ClickAt(kSlot2X, kSlot2Y) +
                               "until panel MessageBox within 300\n"
                               "until fd_Difficulty = 3 within 1\n"
                               "until fd_Level = 1 within 1\n"
                               "until fd_Count = " + std::to_string(saved.Score) + " within 1\n"
                               "until fd_Life = " + std::to_string(saved.Lives) + " within 1\n"
                               "key Enter\n"
                               "key F8\n"
                               "until panel OptionPanel within 60\n" +
                               ClickAt(kKeyCellX, kKeyCellY) +
                               "key W\n"
                               "key Enter\n" +
                               Quit();
    ASSERT_EQ(Play("second", second), 0) << runLog_ << dir_.Read("second.stderr");
    // The loaded game stored itself as the pending game when its level started.
    saves = Saves();
    const app::TPlayerRecord pending = app::DecodePlayerRecord(saves.Slots[0].Record);
    EXPECT_EQ(pending.Name, "rex");
    EXPECT_EQ(pending.Difficulty, 3);
    EXPECT_EQ(pending.Level, saved.Level);
    EXPECT_EQ(pending.Score, saved.Score);
    EXPECT_EQ(app::DecodePlayerRecord(saves.Slots[2].Record).Name, "rex");  // loading keeps the slot
    media::TKeyAssignList keys = StoredKeys();
    EXPECT_EQ(keys[0][0], kKeyW);
    EXPECT_EQ(keys[1][0], kKeyDown);

    // ---- 3: the key is in use: the options show it, and Ok keeps it ----
    const std::string third = "until panel MainPanel within 3000\n" + ClickAt(kOptionsX, kOptionsY) +
                              "until panel OptionPanel within 200\n"
                              "key Enter\n" +
                              Quit();
    ASSERT_EQ(Play("third", third), 0) << runLog_ << dir_.Read("third.stderr");
    keys = StoredKeys();
    EXPECT_EQ(keys[0][0], kKeyW);
    EXPECT_EQ(keys[1][0], kKeyDown);
}

}  // namespace
