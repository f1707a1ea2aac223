// The new-game panel: the level-set list, the preview files, the name, the difficulty group
// and the start of a game.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/gpData.h"
#include "engine/gpLevel.h"
#include "engine/gpPaths.h"
#include "rtl/Streams.h"
#include "tests/app/PanelFixture.h"

namespace {

using apptest::PanelFixture;
namespace fs = std::filesystem;
using namespace engine;

class NewGamePanelTest : public PanelFixture {
protected:
    NewGamePanelTest() {
        main_panel = Panel("MainPanel");
        newGames = Panel("NewGames", {{"OnGPHide", "On_Link_NewGame_Hide"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}});
        Add<TGPLabel>(newGames, "L_CurrentSubject");
        Add<TGPLabel>(newGames, "Lb_Subject");
        Add<TGPLabel>(newGames, "TL_MsgSubject");
        edit = Add<TGPEdit>(newGames, "Ed_User_Name");
        grid = Add<TGPCustomGrid>(newGames, "CG_ListSubject",
                                  {{"ColCount", "1"}, {"RowCount", "10"}, {"OnGPClick", "On_Link_OnClick_Tema"}});
        preview = Add<TGPImage>(newGames, "Im_PreViewSubject");
        for (int d = 1; d <= 3; ++d)
            boxes[d - 1] = Add<TGPCheckBox>(newGames, "CB_Difficulty_" + std::to_string(d),
                                            {{"OnGPClick", "On_Link_Difficulty_CheckBox"}});
        start = Add<TGPButton>(newGames, "TB_Start_NewGame",
                               {{"OnGPMouseDown", "On_Link_OnClick_StartNewGame"},
                                {"OnDXKeyDown", "On_Link_NewGame_DXKey_Ok"}});
        Strings({{"Subject_409", "Level set"}, {"TL_MsgSubject_409", "Choose a level set"}});
    }
    void Open() {
        main->On_Link_NewGame_Show(nullptr);
        Step();
    }
    std::string Resource(const std::string& name) const { return dir.File("Resource/" + name); }

    TGPForm* main_panel = nullptr;
    TGPForm* newGames = nullptr;
    TGPEdit* edit = nullptr;
    TGPCustomGrid* grid = nullptr;
    TGPImage* preview = nullptr;
    TGPCheckBox* boxes[3] = {};
    TGPButton* start = nullptr;
};

TEST_F(NewGamePanelTest, TwelveLevelSetsGiveTenRowsAndUnusableSetsCountButAreNotListed) {
    for (int i = 0; i < 12; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "S%02d.ig", i);
        Subject s;
        s.title = "Title " + std::to_string(i);
        if (i == 1) s.type = 123;         // not a level set's type
        if (i == 2) s.preview = false;    // no preview entry
        if (i == 3) s.subject = false;    // no level set inside
        WriteSubject(name, s);
    }
    WriteSubject("ThisNameIsFarTooLong.ig", {});  // 23 letters: the records keep 20
    std::ofstream(Resource("Broken.ig")) << "not a container";
    main->PlayerRecord.Name = "Ann";
    main->PlayerRecord.Difficulty = 0;
    const auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}); };
    const auto before = openFiles();
    Open();
    EXPECT_EQ(openFiles(), before);  // every container closed, the unusable ones too
    EXPECT_TRUE(newGames->Visible);
    EXPECT_FALSE(main_panel->Visible);
    EXPECT_EQ(grid->RowCount, 10);  // files found, not entries kept
    ASSERT_TRUE(main->SubjectList);
    ASSERT_EQ(main->SubjectList->size(), 9u);  // 14 files, 5 unusable
    EXPECT_EQ(grid->GetCell(0, 0), "Title 0");
    EXPECT_EQ(grid->GetCell(0, 1), "Title 4");
    const auto& first = main->SubjectList->front();
    EXPECT_EQ(first.FileName, "S00.ig");
    EXPECT_EQ(first.FileTitle, "S00");
    EXPECT_EQ(first.PreviewName, "S00");
    EXPECT_EQ(first.TypeText, "787878");
    EXPECT_EQ(first.LevelCount, 3);
    // The first row is chosen at once.
    EXPECT_EQ(main->PlayerRecord.SubjectFile, "S00.ig");
    EXPECT_EQ(main->PlayerRecord.SubjectTitle, "Title 0");
    EXPECT_TRUE(start->Enabled);
    EXPECT_EQ(preview->Paint, "S00");
    EXPECT_TRUE(preview->FromFile);
    EXPECT_EQ(edit->Text, "Ann");
    EXPECT_EQ(main->PlayerRecord.Difficulty, 1);
    EXPECT_TRUE(boxes[0]->Checked);
    // Every set left out is named in the log with the reason.
    const std::string log = dir.Read("Exception.Log");
    for (const char* name : {"ThisNameIsFarTooLong.ig", "S01.ig left out: not a level set", "S02.ig left out: no preview",
                             "S03.ig left out: no level list", "Broken.ig left out"})
        EXPECT_NE(log.find(name), std::string::npos) << name;
    EXPECT_TRUE(fs::exists(Resource("S00.BMP")));
    EXPECT_FALSE(fs::exists(Resource("S02.BMP")));
    for (const auto& e : fs::directory_iterator(dir.File("Resource")))
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(NewGamePanelTest, ASecondOpeningRewritesNoPreviewButReplacesOneThatDoesNotLoad) {
    WriteSubject("A.ig", {});
    WriteSubject("B.ig", {});
    Open();
    main->On_Link_NewGame_Hide(newGames);
    EXPECT_FALSE(main->SubjectList);
    EXPECT_TRUE(preview->Paint.empty());
    const auto written = fs::last_write_time(Resource("A.BMP"));
    std::ofstream(Resource("B.BMP"), std::ios::trunc) << "garbage";
    fs::last_write_time(Resource("A.BMP"), written - std::chrono::hours(1));
    const auto aged = fs::last_write_time(Resource("A.BMP"));
    Open();
    EXPECT_EQ(fs::last_write_time(Resource("A.BMP")), aged);  // untouched
    EXPECT_GT(fs::file_size(Resource("B.BMP")), 100u);         // written again
}

TEST_F(NewGamePanelTest, APreviewThatCannotBeWrittenCostsOnlyThePicture) {
    WriteSubject("A.ig", {});
    WriteSubject("B.ig", {});
    rtl::SetAtomicWriteFault([](std::string_view step) { return step == "write"; });  // a full disk
    Open();
    rtl::SetAtomicWriteFault(nullptr);
    ASSERT_TRUE(main->SubjectList);
    EXPECT_EQ(main->SubjectList->size(), 2u);
    EXPECT_FALSE(fs::exists(Resource("A.BMP")));
    EXPECT_NE(dir.Read("Exception.Log").find("A.ig: the preview is not written: EWriteError"), std::string::npos);
}

TEST_F(NewGamePanelTest, AHeaderWhoseLengthByteRunsPastItsFieldIsCutAtTheField) {
    Subject s;
    s.title = std::string(70, 'T');
    s.titleLength = 255;
    WriteSubject("A.ig", s);
    Open();
    ASSERT_TRUE(main->SubjectList);
    ASSERT_EQ(main->SubjectList->size(), 1u);
    EXPECT_EQ(main->SubjectList->front().Header.Title, std::string(63, 'T'));
    EXPECT_EQ(main->PlayerRecord.SubjectTitle, std::string(21, 'T'));  // the record's field
}

TEST_F(NewGamePanelTest, TheDifficultyBoxesActAsOneGroup) {
    WriteSubject("A.ig", {});
    Open();
    ASSERT_TRUE(K->KernelRecord.Difficulty);  // made by the panel
    boxes[2]->OnGPClick(boxes[2]);
    EXPECT_FALSE(boxes[0]->Checked);
    EXPECT_FALSE(boxes[1]->Checked);
    EXPECT_TRUE(boxes[2]->Checked);
    EXPECT_EQ(main->PlayerRecord.Difficulty, 3);
    EXPECT_EQ(ValueToInteger(GetFieldValue(K->KernelRecord.Difficulty)), 3);
    boxes[1]->OnGPClick(boxes[1]);
    EXPECT_TRUE(boxes[1]->Checked);
    EXPECT_FALSE(boxes[2]->Checked);
    EXPECT_EQ(main->PlayerRecord.Difficulty, 2);
}

TEST_F(NewGamePanelTest, EnterInTheNameFieldDoesNotStartTheGame) {
    WriteSubject("A.ig", {});
    Open();
    int created = 0;
    K->OnGPCreateGames = [&](TObject*, const std::string&) { ++created; };
    K->SetFocusControl(edit);
    auto enter = Keys(16);
    start->OnDXKeyDown(start, enter);
    EXPECT_TRUE(enter.none());  // taken
    EXPECT_EQ(created, 0);
    EXPECT_TRUE(main->SubjectList);
    K->SetFocusControl(nullptr);
    auto other = Keys(14);
    start->OnDXKeyDown(start, other);
    EXPECT_EQ(created, 0);
    enter = Keys(16);
    start->OnDXKeyDown(start, enter);
    EXPECT_EQ(created, 1);
}

TEST_F(NewGamePanelTest, StartingWithDifficultyTwoTakesItsSpeedPairAndPlaysTheFirstLevel) {
    Subject subject;
    subject.objects = false;
    WriteSubject("A.ig", subject);
    Open();
    boxes[1]->OnGPClick(boxes[1]);
    main->BonusTally = 9;
    std::string created;
    K->OnGPCreateGames = [&](TObject*, const std::string& name) {
        created = name;
        K->Resource = std::make_unique<TGPResource>(RealPath(name), rtl::fmOpenRead);
        TInterfaceHeader header = LevelSetHeader();
        K->SetLevelStream(std::make_unique<TLevelStream>(name, K->Resource.get(), header, rtl::fmOpenRead));
    };
    main->On_Link_OnClick_StartNewGame(start);
    Step();
    EXPECT_FALSE(newGames->Visible);
    ASSERT_GE(created.size(), 4u);
    EXPECT_EQ(created.substr(created.size() - 4), "A.ig");
    EXPECT_EQ(main->GameSpeed, (std::array<int32_t, 2>{12, 30}));
    EXPECT_EQ(main->BonusTally, 0);
    EXPECT_EQ(main->PlayerRecord.Difficulty, 2);
    EXPECT_TRUE(main->GameRunning);  // level 0 loaded
    EXPECT_TRUE(K->OnDXKeyDown);     // the in-game keys from now on
}

TEST_F(NewGamePanelTest, NothingStartsWithoutAChosenSet) {
    Open();  // no level sets at all
    EXPECT_FALSE(main->SubjectList);
    int created = 0;
    K->OnGPCreateGames = [&](TObject*, const std::string&) { ++created; };
    main->On_Link_OnClick_StartNewGame(start);
    EXPECT_EQ(created, 0);
}

TEST(DifficultySpeed, TheTableAndItsFallback) {
    app::TDlg_Sprallion form;
    EXPECT_EQ(form.DifficultySpeed(1), (std::array<int32_t, 2>{8, 30}));
    EXPECT_EQ(form.DifficultySpeed(2), (std::array<int32_t, 2>{12, 30}));
    EXPECT_EQ(form.DifficultySpeed(3), (std::array<int32_t, 2>{16, 30}));
    EXPECT_EQ(form.DifficultySpeed(0), (std::array<int32_t, 2>{5, 20}));
    EXPECT_EQ(form.DifficultySpeed(4), (std::array<int32_t, 2>{5, 20}));
}

}  // namespace
