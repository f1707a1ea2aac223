// The save and load panels over the saved-games container: saving the pending game into a
// slot, the slots shown on both panels, loading, damaged slots and containers, and the
// container's crash-safe replacement.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "app/SaveGames.h"
#include "engine/gpDataStream.h"
#include "rtl/Checksum.h"
#include "rtl/Streams.h"
#include "tests/app/PanelFixtures.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Container.h"

namespace {

namespace fs = std::filesystem;
using app::TSaveGames;
using engine::TGPImage;
using engine::TGPLabel;

app::TPlayerRecord Game(const std::string& name, int32_t level, int32_t score) {
    app::TPlayerRecord r;
    r.Alive = 1;
    r.Name = name;
    r.SubjectFile = "Forest.ig";
    r.SubjectTitle = "The forest";
    r.Level = level;
    r.Lives = 3;
    r.Score = score;
    r.Difficulty = 2;
    r.Rank = 4;
    r.Medals[0] = 2;
    r.Medals[1] = 7;
    r.Prizes[0] = 5;
    return r;
}

std::string Preview() {
    return datagen::EncodeBmp(datagen::TestPicture(160, 120, 8));
}

class SavePanelTest : public apptest::PanelTest {
protected:
    SavePanelTest() {
        form_->InstallExceptionHandler();
        save = Slots("Save_Games", "Im_Save_", "Save_Name_", "Save_Count_", "Save_Level_");
        load = Slots("Load_Games", "Im_Load_", "Lb_Load_", "Lb_Load_Count_", "Lb_Load_Level_");
        file = form_->SaveContainerFile();
        form_->InitSaveContainer();
        form_->OnSaveSlotDamaged = [this](int slot) { damaged.push_back(slot); };
        form_->Kernel->OnGPCreateGames = [this](rtl::Object*, const std::string& name) { created.push_back(name); };
    }
    ~SavePanelTest() override { rtl::SetAtomicWriteFault({}); }

    engine::TGPForm* Slots(const std::string& name, const std::string& image, const std::string& label,
                           const std::string& count, const std::string& level) {
        engine::TGPForm* form = Form(name);
        for (int s = 1; s <= 6; ++s) {
            Child<TGPImage>(form, image + std::to_string(s));
            for (const std::string& l : {label, count, level}) Child<TGPLabel>(form, l + std::to_string(s));
        }
        Child<TGPImage>(form, image + "0");
        return form;
    }
    TGPImage* Image(engine::TGPForm* form, const std::string& name) { return dynamic_cast<TGPImage*>(form->FindChild(name)); }
    std::string Text(engine::TGPForm* form, const std::string& name) {
        return dynamic_cast<TGPLabel*>(form->FindChild(name))->Text;
    }
    TSaveGames Stored() { return app::ReadSaveGames(file); }
    void Store(const TSaveGames& games) { app::WriteSaveGames(file, games); }
    // A pending game with its preview, as the start of a level leaves it.
    void Pending(const app::TPlayerRecord& record) {
        TSaveGames games = Stored();
        games.Slots[0].Record = app::EncodePlayerRecord(record);
        games.Slots[0].Preview = Preview();
        Store(games);
    }
    std::string Bytes() { return dir_.Read("game/Resource/" + fs::path(file).filename().string()); }
    void LevelSet(const std::string& name) {
        datagen::WriteContainer(dir_.File("game/Resource/" + name),
                                {{"Default", {{"TypeIG", datagen::Int32Bytes(787878)}}}, {"Subjects", {{"Subject", "x"}}}});
    }
    int Leftovers() {
        int n = 0;
        for (const auto& e : fs::directory_iterator(fs::path(file).parent_path()))
            if (e.path().filename().string().front() == '.') ++n;
        return n;
    }

    engine::TGPForm *save, *load;
    std::string file;
    std::vector<int> damaged;
    std::vector<std::string> created;
};

TEST(SaveRecord, FieldsRoundTripAndTextsStayInTheirFields) {
    const app::TPlayerRecord game = Game(std::string(21, 'N'), 7, 12345);
    const app::TSaveRecord bytes = app::EncodePlayerRecord(game);
    EXPECT_EQ(bytes[22], 'F');  // a full name has no NUL: the next field follows at once
    const app::TPlayerRecord back = app::DecodePlayerRecord(bytes);
    EXPECT_EQ(back.Name, game.Name);
    EXPECT_EQ(back.SubjectFile, "Forest.ig");
    EXPECT_EQ(back.Level, 7);
    EXPECT_EQ(back.Score, 12345);
    EXPECT_EQ(back.Medals, game.Medals);
    EXPECT_TRUE(app::IsValidSaveRecord(bytes));
    for (const char* bad : {"..\\x.ig", "../x.ig", "x.bif", ".ig", "a:b.ig", ""}) EXPECT_FALSE(app::IsPlainLevelSetName(bad)) << bad;
    EXPECT_TRUE(app::IsPlainLevelSetName("Forest.IG"));
}

TEST_F(SavePanelTest, SlotsWithAndWithoutPreviewsKeepTheirOwnPictures) {
    TSaveGames games = Stored();
    for (auto& slot : games.Slots) slot.Preview.clear();
    games.Slots[2].Preview = Preview();
    games.Slots[6].Preview = Preview() + "tail";  // the last entry runs to the end of the file
    Store(games);
    const TSaveGames read = Stored();
    EXPECT_TRUE(read.Slots[1].Preview.empty());
    EXPECT_EQ(read.Slots[2].Preview, Preview());
    EXPECT_EQ(read.Slots[6].Preview, Preview());  // a bitmap says how long it is
}

TEST_F(SavePanelTest, WithoutAPendingGameASaveChangesNothing) {
    const std::string before = Bytes();
    form_->On_Link_Save_Games(Image(save, "Im_Save_3"));
    EXPECT_EQ(Bytes(), before);
}

TEST_F(SavePanelTest, SaveShowThenLoadRestoresTheGame) {
    Pending(Game("Anna", 5, 4200));
    form_->On_Link_LoadSave_Show(save);
    form_->On_Link_Save_Games(Image(save, "Im_Save_3"));
    TSaveGames games = Stored();
    EXPECT_FALSE(app::SaveRecordUsed(games.Slots[0].Record));
    EXPECT_EQ(app::DecodePlayerRecord(games.Slots[3].Record).Name, "Anna");
    EXPECT_EQ(Text(save, "Save_Name_3"), "Anna");
    EXPECT_TRUE(fs::exists(dir_.File("game/Resource/Save_3_Forest.ig.BMP")));
    EXPECT_TRUE(Image(save, "Im_Save_3")->FromFile);

    // The pending game went into slot 3: slot 4 gets nothing.
    const std::string before = Bytes();
    form_->On_Link_Save_Games(Image(save, "Im_Save_4"));
    EXPECT_EQ(Bytes(), before);

    form_->On_Link_Load_Show(load);
    EXPECT_EQ(Text(load, "Lb_Load_3"), "Anna");
    EXPECT_EQ(Text(load, "Lb_Load_Count_3"), "4200");
    EXPECT_EQ(Text(load, "Lb_Load_Level_3"), "5");
    EXPECT_EQ(Image(load, "Im_Load_3")->Paint, "Save_3_Forest.ig");
    EXPECT_EQ(Image(load, "Im_Load_1")->Paint, "Save_Default");

    LevelSet("Forest.ig");
    form_->PlayerRecord = app::TPlayerRecord{};
    form_->On_Link_Load_Games(Image(load, "Im_Load_3"));
    ASSERT_EQ(created.size(), 1u);
    EXPECT_NE(created[0].find("Forest.ig"), std::string::npos);
    const app::TPlayerRecord& r = form_->PlayerRecord;
    EXPECT_EQ(r.Level, 5);
    EXPECT_EQ(r.Score, 4200);
    EXPECT_EQ(r.Lives, 3);
    EXPECT_EQ(r.Difficulty, 2);
    EXPECT_EQ(r.Medals, Game("Anna", 5, 4200).Medals);
    // Loaded into a program that started no game before: the game takes the keys and runs at
    // the saved difficulty's speed, as a new game does.
    EXPECT_TRUE(static_cast<bool>(form_->Kernel->OnDXKeyDown));
    EXPECT_EQ(form_->GameSpeed, form_->DifficultySpeed(2));
}

TEST_F(SavePanelTest, AMissingOrUnusableLevelSetStartsNothing) {
    TSaveGames games = Stored();
    games.Slots[2].Record = app::EncodePlayerRecord(Game("Bob", 2, 10));
    Store(games);
    form_->On_Link_Load_Games(Image(load, "Im_Load_2"));
    EXPECT_TRUE(created.empty());
    std::ofstream(dir_.File("game/Resource/Forest.ig")) << "no level set";
    form_->On_Link_Load_Games(Image(load, "Im_Load_2"));
    EXPECT_TRUE(created.empty());
}

TEST_F(SavePanelTest, HoverReadsOnlyAndNeverCreates) {
    TGPImage* image = Image(load, "Im_Load_1");
    form_->On_Link_Enter_ImageLoad(image);
    EXPECT_EQ(image->Cursor, 8);
    TSaveGames games = Stored();
    games.Slots[1].Record = app::EncodePlayerRecord(Game("Cid", 1, 1));
    Store(games);
    form_->On_Link_Enter_ImageLoad(image);
    EXPECT_EQ(image->Cursor, 9);
    form_->On_Link_Enter_ImageSave(Image(save, "Im_Save_1"));
    EXPECT_EQ(Image(save, "Im_Save_1")->Cursor, 8);  // nothing pending

    fs::remove(file);
    form_->On_Link_Enter_ImageLoad(image);
    EXPECT_EQ(image->Cursor, 8);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SavePanelTest, SlotZeroIsNoSlot) {
    Pending(Game("Dan", 1, 1));
    const std::string before = Bytes();
    form_->On_Link_Save_Games(Image(save, "Im_Save_0"));
    EXPECT_EQ(Bytes(), before);
}

// ---- Damage ----

TEST_F(SavePanelTest, DamagedSlotsAreReportedOnceAndShownEmptyWhileTheOthersWork) {
    TSaveGames games = Stored();
    games.Slots[1].Record = app::EncodePlayerRecord(Game("One", 1, 100));
    games.Slots[3].Record = app::EncodePlayerRecord(Game("Three", 3, 300));
    games.Slots[2].Record.fill(0xA5);
    Store(games);
    const std::string before = Bytes();

    form_->On_Link_Load_Show(load);
    form_->On_Link_LoadSave_Show(save);
    EXPECT_EQ(damaged, (std::vector<int>{2, 2}));  // once per showing
    EXPECT_EQ(Text(load, "Lb_Load_1"), "One");
    EXPECT_EQ(Text(load, "Lb_Load_3"), "Three");
    EXPECT_EQ(Text(load, "Lb_Load_2"), "");
    EXPECT_EQ(Text(save, "Save_Name_2"), "");
    EXPECT_EQ(Bytes(), before);
    EXPECT_NE(Log().find("Saved game 2 is damaged"), std::string::npos);

    LevelSet("Forest.ig");
    form_->On_Link_Load_Games(Image(load, "Im_Load_2"));
    EXPECT_TRUE(created.empty());
    form_->On_Link_Load_Games(Image(load, "Im_Load_1"));
    EXPECT_EQ(created.size(), 1u);

    // Saving into the damaged slot repairs it.
    Pending(Game("Fix", 4, 4));
    form_->On_Link_Save_Games(Image(save, "Im_Save_2"));
    EXPECT_FALSE(Stored().Slots[2].Damaged);
    EXPECT_EQ(app::DecodePlayerRecord(Stored().Slots[2].Record).Name, "Fix");
}

TEST_F(SavePanelTest, AForeignPathOrAnOffsetPastTheEndDamagesOnlyThatSlot) {
    TSaveGames games = Stored();
    app::TPlayerRecord evil = Game("Evil", 1, 1);
    evil.SubjectFile = "..\\x.ig";
    games.Slots[2].Record = app::EncodePlayerRecord(evil);
    games.Slots[4].Record = app::EncodePlayerRecord(Game("Four", 1, 1));
    Store(games);
    EXPECT_TRUE(Stored().Slots[2].Damaged);

    // Slot 4's record entry moved past the end of the file (the directory's checksum kept right).
    std::string bytes = app::BuildSaveContainer(games);
    const size_t at = bytes.find(std::string("\x06\0\0\0Save_4", 10));
    ASSERT_NE(at, std::string::npos);
    const int32_t far = 0x7FFFFF00;
    std::memcpy(bytes.data() + at + 10, &far, 4);
    int32_t n = 0;
    std::memcpy(&n, bytes.data() + 8, 4);
    const int32_t sum = rtl::ResourceChecksum(std::string_view(bytes).substr(16, size_t(n)));
    std::memcpy(bytes.data() + 12, &sum, 4);
    rtl::WriteFileAtomically(file, bytes.data(), bytes.size());
    const TSaveGames read = Stored();
    EXPECT_TRUE(read.Slots[4].Damaged);
    EXPECT_TRUE(read.Slots[2].Damaged);
    EXPECT_FALSE(read.Slots[1].Damaged);
    form_->On_Link_Load_Show(load);
    EXPECT_EQ(damaged, (std::vector<int>{2, 4}));
}

TEST_F(SavePanelTest, AContainerThatDoesNotOpenIsMovedAsideAndMadeAnew) {
    std::string bytes = Bytes();
    bytes[5] = 'X';
    rtl::WriteFileAtomically(file, bytes.data(), bytes.size());
    form_->On_Link_Load_Show(load);
    EXPECT_TRUE(fs::exists(file + ".bad"));
    EXPECT_NO_THROW(Stored());
    Pending(Game("New", 1, 1));
    form_->On_Link_Save_Games(Image(save, "Im_Save_1"));
    EXPECT_EQ(app::DecodePlayerRecord(Stored().Slots[1].Record).Name, "New");
}

// ---- Crash safety ----

TEST_F(SavePanelTest, AFailingStepLeavesTheOldFileAndNoTemporary) {
    Pending(Game("Eve", 2, 2));
    const std::string before = Bytes();
    for (const char* step : {"write", "flush", "rename"}) {
        rtl::SetAtomicWriteFault([step](std::string_view s) { return s == step; });
        form_->On_Link_Save_Games(Image(save, "Im_Save_5"));
        EXPECT_EQ(Bytes(), before) << step;
        EXPECT_EQ(Leftovers(), 0) << step;
    }
    rtl::SetAtomicWriteFault({});
    form_->On_Link_Save_Games(Image(save, "Im_Save_5"));
    EXPECT_EQ(app::DecodePlayerRecord(Stored().Slots[5].Record).Name, "Eve");
}

TEST_F(SavePanelTest, KilledWhileSavingEverySlotHoldsItsOldOrItsNewRecord) {
    // Two generations of a full container; the child writes them in turn until killed.
    TSaveGames a = Stored(), b = Stored();
    for (int s = 0; s <= 6; ++s) {
        a.Slots[size_t(s)].Record = app::EncodePlayerRecord(Game("A", s + 1, 1000 + s));
        b.Slots[size_t(s)].Record = app::EncodePlayerRecord(Game("B", s + 1, 2000 + s));
        a.Slots[size_t(s)].Preview = b.Slots[size_t(s)].Preview = Preview();
    }
    Store(a);
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) app::WriteSaveGames(file, i % 2 ? a : b);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const TSaveGames read = Stored();
        const std::string first = app::DecodePlayerRecord(read.Slots[0].Record).Name;
        for (int s = 0; s <= 6; ++s) {
            ASSERT_FALSE(read.Slots[size_t(s)].Damaged) << round;
            EXPECT_EQ(app::DecodePlayerRecord(read.Slots[size_t(s)].Record).Name, first) << round;
        }
    }
}

}  // namespace
