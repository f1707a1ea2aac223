// The main menu and the small panels: Esc on every kind of panel, the logos, the exit
// question, help and credits, the button sounds, the hall of fame and the shell's pages.
#include <fstream>

#include "engine/gpMouse.h"
#include "tests/app/PanelFixture.h"

namespace {

using apptest::PanelFixture;
using namespace engine;

constexpr int kEsc = 14, kEnter = 16;

class MenuPanelTest : public PanelFixture {
protected:
    MenuPanelTest() {
        mainPanel = Panel("MainPanel", {{"OnGPShow", "On_Link_MainPanel_Show"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}});
        hall = Add<TGPButton>(mainPanel, "BT_Hall_of_glory", {{"OnGPMouseDown", "On_Link_MainPanel_ShowLocalTopList"}});
        update = Add<TGPButton>(mainPanel, "TB_Updata");
        exitButton = Add<TGPButton>(mainPanel, "BT_Exit",
                                    {{"Left", "100"}, {"Top", "200"}, {"PatternWidth", "60"}, {"PatternHeight", "30"},
                                     {"OnGPEnter", "On_Link_Enter_Button"}, {"OnGPExit", "On_Link_Exit_Button"},
                                     {"OnGPMouseDown", "On_Link_Sprallion_Exit"},
                                     {"OnDXKeyDown", "On_Link_Main_DXKey_Cancel"}});
        help = Panel("Help", {{"OnGPShow", "On_Link_ShowHelp"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}});
        keyHelp = Add<TGPCustomGrid>(help, "CG_KeyHelp", {{"ColCount", "1"}, {"RowCount", "6"}});
        expanded = Add<TGPCustomGrid>(help, "CG_ExpanKeyHelp", {{"ColCount", "2"}, {"RowCount", "11"}});
        back = Add<TGPButton>(help, "TB_Back_Help", {{"OnGPMouseDown", "On_Link_CallBackMain"}});
        pause = Panel("Pause", {{"OnDXKeyDown", "On_Link_DXKeyDown"}}, "ck_Interface");
        box = Panel("MessageBox", {{"OnDXKeyDown", "On_Link_DXKeyDown"}}, "ck_Interface");
        Add<TGPLabel>(box, "Ed_Text");
        Add<TGPLabel>(box, "Ed_Title");
        ok = Add<TGPButton>(box, "Ok_Message", {{"OnDXKeyDown", "On_Link_Message_DXKey_Ok"}});
        cancel = Add<TGPButton>(box, "Cancel_Message");
        Strings({{"Message_10_409", "Leave the game?"}, {"Title_Message_10_409", "Sprallion"},
                 {"Message_15_409", "-"}, {"Title_Key_409", "Fire\r\nPause\r\nMenu"}});
    }
    void ShowMain() {
        K->ShowForm("MainPanel", nullptr);
        Step();
    }
    void Press(TGPForm* form, int state) {
        auto key = Keys(state);
        form->OnDXKeyDown(form, key);
        Step();
    }

    TGPForm *mainPanel = nullptr, *help = nullptr, *pause = nullptr, *box = nullptr;
    TGPButton *hall = nullptr, *update = nullptr, *exitButton = nullptr, *back = nullptr, *ok = nullptr,
              *cancel = nullptr;
    TGPCustomGrid *keyHelp = nullptr, *expanded = nullptr;
};

// ---- Esc ----

TEST_F(MenuPanelTest, EscOnAPanelOpenedFromTheMainMenuReturnsThere) {
    ShowMain();
    main->On_Link_Help(nullptr);
    Step();
    ASSERT_TRUE(help->Visible);
    EXPECT_FALSE(mainPanel->Visible);
    EXPECT_EQ(help->ParentForm, mainPanel);
    Press(help, kEsc);
    EXPECT_FALSE(help->Visible);
    EXPECT_TRUE(mainPanel->Visible);
    EXPECT_EQ(K->FocusForm, mainPanel);
}

TEST_F(MenuPanelTest, EscOnTheMainMenuLeavesItThereAlsoAfterComingBackWithACaller) {
    main->LoggingEnabled = true;
    ShowMain();
    auto esc = Keys(kEsc);
    exitButton->OnDXKeyDown = nullptr;  // the main menu's own question aside
    mainPanel->OnDXKeyDown(mainPanel, esc);
    Step();
    EXPECT_TRUE(mainPanel->Visible);
    main->On_Link_Help(nullptr);
    Step();
    back->OnGPMouseDown(back);  // back with Help as the caller
    Step();
    ASSERT_TRUE(mainPanel->Visible);
    EXPECT_EQ(mainPanel->ParentForm, help);
    Press(mainPanel, kEsc);
    EXPECT_TRUE(mainPanel->Visible);
    EXPECT_FALSE(help->Visible);
}

TEST_F(MenuPanelTest, EscOnAPanelOverTheRunningGameResumesIt) {
    K->Condition = ck_Play;
    K->ShowFormOverGame("Pause", nullptr);
    Step();
    ASSERT_TRUE(pause->Visible);
    ASSERT_EQ(K->Condition, ck_Interface);
    Press(pause, kEsc);
    EXPECT_FALSE(pause->Visible);
    EXPECT_EQ(K->Condition, ck_Play);
}

TEST_F(MenuPanelTest, EscOnTheMainMenuAsksTheExitQuestionAndCancelReturns) {
    ShowMain();
    Press(mainPanel, kEsc);
    ASSERT_TRUE(box->Visible);
    EXPECT_EQ(main->RememberedPanel, "MainPanel");
    ASSERT_TRUE(cancel->OnGPMouseDown);
    cancel->OnGPMouseDown(cancel);
    Step();
    EXPECT_FALSE(box->Visible);
    EXPECT_TRUE(mainPanel->Visible);
    EXPECT_TRUE(main->RememberedPanel.empty());
    // Esc in the question goes the same way back.
    Press(mainPanel, kEsc);
    ASSERT_TRUE(box->Visible);
    Press(box, kEsc);
    EXPECT_FALSE(box->Visible);
    EXPECT_TRUE(mainPanel->Visible);
    EXPECT_FALSE(main->Destroyed());
}

TEST_F(MenuPanelTest, OkOfTheExitQuestionClosesTheMainForm) {
    ShowMain();
    main->On_Link_Sprallion_Exit(exitButton);
    Step();
    ASSERT_TRUE(box->Visible);
    Press(box, kEnter);  // Enter presses Ok
    EXPECT_TRUE(main->Destroyed());
    EXPECT_TRUE(platform::window::TerminateRequested());
}

TEST_F(MenuPanelTest, AboutReturnsToTheRememberedPanelThroughBothButtons) {
    ShowMain();
    main->On_Link_About_Show(nullptr);
    Step();
    ASSERT_TRUE(box->Visible);
    ok->OnGPMouseDown(ok);
    Step();
    EXPECT_FALSE(box->Visible);
    EXPECT_TRUE(mainPanel->Visible);
}

// ---- Logos ----

class LogoTest : public MenuPanelTest {
protected:
    LogoTest() {
        logos = Panel("Spr_Logo", {{"OnGPShow", "On_Link_Spr_Logo_Show"}, {"OnGPMove", "On_Link_Spr_Logo_Move"},
                                   {"OnDXKeyDown", "On_Link_Spr_Logo_DXKey"}, {"OnGPHide", "On_Link_Spr_Logo_Hide"}});
        second = Panel("Spr2_Logo_", {{"OnDXKeyDown", "On_Link_Spr_Logo_F_DXKey"}, {"OnGPHide", "On_Link_Spr_Logo_F_Hide"}});
    }
    void AddLogos() {
        mirel = Add<TGPLogo>(logos, "Log_Mirel", {{"Paint", "Panel"}, {"StepUp", "50"}, {"Stand", "5"}, {"StepDown", "50"},
                                                  {"OnBeginStand", "On_Link_Mirel_BeginStand"},
                                                  {"OnGPHide", "On_Link_Mirel_HideStand"}});
        quor = Add<TGPLogo>(logos, "Log_Quor", {{"Paint", "Panel"}, {"StepUp", "50"}, {"Stand", "5"}, {"StepDown", "50"},
                                                {"OnBeginStand", "On_Link_Quor_BeginStand"}});
    }
    TGPForm *logos = nullptr, *second = nullptr;
    TGPLogo *mirel = nullptr, *quor = nullptr;
};

TEST_F(LogoTest, AKeyDuringTheLogosGoesToTheSecondPanelAndOneMoreToTheMainMenu) {
    AddLogos();
    K->ShowForm("Spr_Logo", nullptr);
    Step();
    ASSERT_TRUE(logos->Visible);
    for (int i = 0; i < 25; ++i) Step();
    EXPECT_TRUE(mirel->Visible);  // the first logo came after 21 frames
    Press(logos, 5);
    EXPECT_FALSE(logos->Visible);
    EXPECT_TRUE(second->Visible);
    EXPECT_FALSE(mainPanel->Visible);
    Press(second, 7);
    EXPECT_FALSE(second->Visible);
    EXPECT_TRUE(mainPanel->Visible);
    EXPECT_EQ(K->Condition, ck_MainInterface);
}

TEST_F(LogoTest, ALogoPanelWithoutLogosEndsByItself) {
    K->ShowForm("Spr_Logo", nullptr);
    Step();
    EXPECT_TRUE(main->LogoHidden);
    for (int i = 0; i < 6; ++i) Step();
    EXPECT_FALSE(logos->Visible);
    EXPECT_TRUE(second->Visible);
}

// ---- Help, credits, sounds, services ----

TEST_F(MenuPanelTest, TheHelpGridsHoldTheKeyNamesAndTitlesAndShortListsLeaveCellsEmpty) {
    main->On_Link_Help(nullptr);
    Step();
    EXPECT_FALSE(keyHelp->HoverEnabled);
    EXPECT_EQ(keyHelp->GetCell(0, 0), KeyName(static_cast<int32_t>(main->KeyAssigns[0][0])));
    EXPECT_FALSE(keyHelp->GetCell(0, 0).empty());
    EXPECT_EQ(expanded->GetCell(0, 0), "Fire");   // item 0
    EXPECT_EQ(expanded->GetCell(0, 1), "Pause");  // item 1
    EXPECT_EQ(expanded->GetCell(0, 2), "Menu");
    EXPECT_EQ(expanded->GetCell(0, 3), "");       // the list is short
    EXPECT_EQ(expanded->GetCell(1, 0), KeyName(static_cast<int32_t>(main->KeyAssigns[15][0])));
    // Each row is written once: the end-game key keeps the fifth, the pause key the sixth.
    EXPECT_EQ(expanded->GetCell(1, 4), KeyName(static_cast<int32_t>(main->KeyAssigns[10][0])));
    EXPECT_EQ(expanded->GetCell(1, 5), KeyName(static_cast<int32_t>(main->KeyAssigns[6][0])) + ", Pause");
}

TEST_F(MenuPanelTest, TheCreditsGridHoldsTheRolesAndPeople) {
    auto* credits = Panel("Credits", {{"OnGPShow", "On_Link_Credits_Show"}});
    auto* grid = Add<TGPCustomGrid>(credits, "TGrid_Credits", {{"ColCount", "2"}, {"RowCount", "7"}});
    main->On_Link_Credits_Create(nullptr);
    Step();
    EXPECT_TRUE(credits->Visible);
    EXPECT_EQ(grid->GetCell(0, 0), "Producer");
    EXPECT_EQ(grid->GetCell(0, 6), "Web Master");
    for (int row = 0; row < 7; ++row) EXPECT_FALSE(grid->GetCell(1, row).empty());
}

TEST_F(MenuPanelTest, EnterAndExitSoundsArePlacedAtTheButtonsCentre) {
    K->CommandLine->Clear();
    exitButton->OnGPEnter(exitButton);
    exitButton->OnGPExit(exitButton);
    const auto& words = K->CommandLine->Buffer;
    int found = 0;
    for (int i = 0; i + 5 < K->CommandLine->EndMark; ++i) {
        if (words[static_cast<size_t>(i)] != cmd::PlaySound || !cmd::IsSoundNumber(words[static_cast<size_t>(i) + 1]))
            continue;
        EXPECT_EQ(cmd::SoundNumberOf(words[static_cast<size_t>(i) + 1]), found);
        const auto place = words[static_cast<size_t>(i) + 3];
        EXPECT_EQ(place & 0xFFFF, 130u);        // 100 + 60 / 2
        EXPECT_EQ((place >> 16) & 0xFFFF, 215u);  // 200 + 30 / 2
        EXPECT_EQ(words[static_cast<size_t>(i) + 4], 1u);  // looped 1, play 0
        EXPECT_EQ(words[static_cast<size_t>(i) + 5], 1u);  // extra 1
        ++found;
    }
    EXPECT_EQ(found, 2);
}

TEST_F(MenuPanelTest, WithoutTheLibraryTheHallOfFameButtonIsDisabledAndNothingRaises) {
    main->LoggingEnabled = true;
    ShowMain();
    ShowMain();
    EXPECT_FALSE(hall->Enabled);
    EXPECT_FALSE(update->Enabled);
    EXPECT_NO_THROW(main->On_Link_MainPanel_ShowLocalTopList(hall));
    const std::string log = dir.Read("Exception.Log");
    const size_t first = log.find("MainPanelShow");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("MainPanelShow", first + 1), std::string::npos);  // once a run
}

TEST_F(MenuPanelTest, TheHelpPageAndTheMakersPageReachTheShell) {
    main->FullScreen = false;
    std::ofstream(dir.File("Index.htm")) << "<html></html>";
    main->On_Link_HelpHTML(nullptr);
    main->OnClick_Quorvex(nullptr);
    std::ifstream in(dir.File("shell"));
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("Index.htm"), std::string::npos) << all;
    EXPECT_NE(all.find("https://"), std::string::npos) << all;
}

TEST_F(MenuPanelTest, HandlersSkipMissingWidgetsAndWidgetsOfAnotherClass) {
    auto* odd = Panel("Odd", {{"OnGPShow", "On_Link_ShowHelp"}});
    Add<TGPLabel>(odd, "CG_KeyHelp");  // a label where a grid belongs
    EXPECT_NO_THROW(main->On_Link_ShowHelp(odd));
    EXPECT_NO_THROW(main->On_Link_Credits_Show(odd));
    EXPECT_NO_THROW(main->On_Link_OnClick_Concel(nullptr));
    EXPECT_NO_THROW(main->On_Link_Difficulty_CheckBox(odd));
    EXPECT_NO_THROW(main->On_Link_OnClick_Tema(odd));
}

}  // namespace
