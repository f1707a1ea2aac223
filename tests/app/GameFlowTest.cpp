// The rules of a game: the bonus step after each level (ranks, medals, extra lives), the
// player record and the saved game of slot 0, the speed limits, the start of a level and the
// hit handlers a level installs.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/GameRules.h"
#include "app/SaveGames.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpResource.h"
#include "media/gpBitmap.h"
#include "rtl/Streams.h"
#include "tests/app/AppFixtures.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/DialogData.h"
#include "tools/datagen/LevelSet.h"

namespace {

using apptest::AppTest;

std::string ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class GameFlowTest : public AppTest {
protected:
    GameFlowTest() {
        GiveDevices(*form_);
        engine::TGPKernel& k = *form_->Kernel;
        engine::TKernelRecord& r = k.KernelRecord;
        for (auto [field, type] : {std::pair{&r.Level, engine::ftInteger}, {&r.Life, engine::ftInteger},
                                   {&r.Count, engine::ftInteger}, {&r.Count_1, engine::ftInteger},
                                   {&r.Difficulty, engine::ftInteger}, {&r.Prizes, engine::ftArray},
                                   {&r.Medals, engine::ftArray}, {&r.Rank, engine::ftInteger}})
            k.Data->AddField(nullptr, type, *field);
        Set(r.Difficulty, 1);
        Set(r.Rank, 1);
        Set(r.Life, 5);
        form_->OnGameMessage = [this](int32_t message, int32_t number) { shown.emplace_back(message, number); };
    }
    ~GameFlowTest() override { DropDevices(*form_); }

    engine::TKernelRecord& R() { return form_->Kernel->KernelRecord; }
    static void Set(engine::TGPField* f, int32_t v) { engine::SetFieldValue(f, v); }
    static int32_t Get(engine::TGPField* f) { return app::rules::FieldInt(f); }
    bool HasMedal(int32_t m) { return R().Medals->Present().test(static_cast<size_t>(m)); }
    int MedalCount() { return static_cast<int>(R().Medals->Present().count()); }

    // One bonus step at level L (fd_Level = L) with the score.
    bool Bonus(int32_t level, int32_t score, bool silent = false) {
        Set(R().Level, level);
        Set(R().Count, score);
        return form_->CalculationOfBonus(level, silent);
    }

    std::vector<std::pair<int32_t, int32_t>> shown;
};

// ---- Ranks ----

TEST_F(GameFlowTest, TheRankStepFollowsTheAverageScore) {
    struct Row {
        int32_t rank, level, score, expected;
    };
    const Row rows[] = {{1, 9, 0, 2},           {1, 9, 2500000, 2},  {1, 9, 3000000, 3}, {1, 9, 5000000, 3},
                        {3, 19, 10000000, 5},   {5, 29, 2000000000, 7}};
    for (const Row& row : rows) {
        Set(R().Rank, row.rank);
        form_->PreviousScore = 0;
        shown.clear();
        EXPECT_TRUE(Bonus(row.level, row.score)) << row.rank << " " << row.level << " " << row.score;
        EXPECT_EQ(Get(R().Rank), row.expected) << row.rank << " " << row.level << " " << row.score;
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], std::make_pair(8, row.expected));  // the rank message, no medal after it
        EXPECT_EQ(MedalCount(), 0);
    }
}

TEST_F(GameFlowTest, ARankPastTheTableIsLoggedAndNotStored) {
    Set(R().Rank, 18);
    EXPECT_FALSE(Bonus(99, 50000000));
    EXPECT_EQ(Get(R().Rank), 18);
    EXPECT_NE(Log().find("Class CalculationOfBonus with message 'Rank=20'."), std::string::npos);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(MedalCount(), 0);  // a rank step all the same: no medal
}

TEST_F(GameFlowTest, TheLastRankEarnsMedalTenThenExtraLives) {
    Set(R().Rank, 19);
    EXPECT_TRUE(Bonus(9, 0));
    EXPECT_TRUE(HasMedal(10));
    EXPECT_EQ(shown.back(), std::make_pair(7, 10));
    EXPECT_EQ(Get(R().Life), 5);
    EXPECT_TRUE(Bonus(19, 0));
    EXPECT_EQ(Get(R().Life), 6);
    EXPECT_EQ(shown.back(), std::make_pair(27, 27));
    EXPECT_EQ(form_->Kernel->Shared.LivesGained, 1);
}

TEST_F(GameFlowTest, RankStepsNeedTheEndOfABlockAndSaneSettings) {
    form_->PreviousScore = 1;  // no medal either
    form_->Tuning.SA = 100;
    EXPECT_FALSE(Bonus(8, 1));
    EXPECT_EQ(Get(R().Rank), 1);
    form_->Tuning.AverageFactor = 0;  // no average: one step up
    Set(R().Rank, 4);
    EXPECT_TRUE(Bonus(9, 900000000));
    EXPECT_EQ(Get(R().Rank), 5);
    form_->Tuning.SizeLevel = 0;  // no blocks at all, and no division by zero
    EXPECT_FALSE(Bonus(9, 900000000));
    EXPECT_EQ(Get(R().Rank), 5);
}

// ---- Medals ----

TEST_F(GameFlowTest, EachMedalHasItsBoundary) {
    auto fresh = [&] {
        engine::ClearField(R().Medals);
        form_->PreviousScore = 0;
        form_->LevelsWithoutLoss = form_->MonsterHitsByBall = form_->MonsterHitsOther = 0;
        form_->BallMonsterHits = form_->Kernel->Shared.LivesGained = form_->ChargeCount = form_->ShotCount = 0;
        form_->OnlySpecialBricks = false;
        shown.clear();
    };
    auto awarded = [&](int32_t level) {
        const bool any = Bonus(level, Get(R().Count) ? Get(R().Count) : 0);
        return any ? shown.at(0).second : 0;
    };
    fresh();
    Set(R().Count, 300001);
    EXPECT_EQ(awarded(1), 1);
    fresh();
    Set(R().Count, 300000);
    EXPECT_EQ(awarded(1), 0);
    Set(R().Count, 0);

    fresh();
    form_->LevelsWithoutLoss = 5;
    EXPECT_EQ(awarded(1), 2);
    EXPECT_EQ(form_->LevelsWithoutLoss, 1);  // reset, then the closing step counts this level
    fresh();
    form_->MonsterHitsByBall = 4;
    form_->MonsterHitsOther = 6;
    EXPECT_EQ(awarded(1), 4);
    EXPECT_EQ(form_->MonsterHitsByBall + form_->MonsterHitsOther, 0);
    fresh();
    form_->BallMonsterHits = 6;
    EXPECT_EQ(awarded(1), 7);
    fresh();
    form_->BallMonsterHits = 5;
    EXPECT_EQ(awarded(1), 0);
    fresh();
    form_->Kernel->Shared.LivesGained = 10;
    EXPECT_EQ(awarded(1), 5);
    EXPECT_EQ(form_->Kernel->Shared.LivesGained, 0);
    for (int32_t charges : {5, 0, 6}) {
        fresh();
        form_->ChargeCount = charges;
        EXPECT_EQ(awarded(1), charges == 5 ? 8 : 0) << charges;
    }
    fresh();
    EXPECT_EQ(awarded(5), 6);  // fd_Level 5
    shown.clear();
    form_->ShotCount = 5;
    EXPECT_EQ(awarded(5), 3);  // 6 held: the chain goes on
    fresh();
    form_->OnlySpecialBricks = true;
    EXPECT_EQ(awarded(1), 9);
}

TEST_F(GameFlowTest, OnlyTheFirstHoldingRowAwardsAndTheClosingStepAlwaysRuns) {
    Set(R().Count, 400000);
    form_->LevelsWithoutLoss = 7;
    form_->ShotCount = 9;
    form_->ChargeCount = 3;
    EXPECT_TRUE(Bonus(1, 400000));
    EXPECT_EQ(MedalCount(), 1);
    EXPECT_TRUE(HasMedal(1));
    EXPECT_EQ(form_->PreviousScore, 400000);
    EXPECT_EQ(form_->LevelsWithoutLoss, 8);
    EXPECT_EQ(form_->ShotCount, 0);
    EXPECT_EQ(form_->ChargeCount, 0);

    // Level 0: no step at all, the closing step still.
    form_->ShotCount = 9;
    EXPECT_FALSE(Bonus(0, 9000000));
    EXPECT_EQ(MedalCount(), 1);
    EXPECT_EQ(form_->PreviousScore, 9000000);
    EXPECT_EQ(form_->ShotCount, 0);
}

TEST_F(GameFlowTest, ASilentStepShowsNothingAndGivesNoLife) {
    Set(R().Rank, 19);
    Bonus(9, 0, true);
    EXPECT_TRUE(HasMedal(10));  // the medal still counts
    Bonus(19, 0, true);
    EXPECT_EQ(Get(R().Life), 5);
    EXPECT_TRUE(shown.empty());
}

// ---- The player record ----

TEST_F(GameFlowTest, ThePlayerRecordRoundTripsFieldByField) {
    app::TPlayerRecord r;
    r.Alive = 1;
    r.Name = "Ann";
    r.SubjectFile = "Demo1.ig";
    r.SubjectTitle = std::string(30, 'T');  // longer than its field: cut to 21
    r.Level = 7;
    r.Lives = 3;
    r.Score = -2;
    r.Difficulty = 2;
    r.SpeedEntry = {0x11223344, 0x3FF00000};
    r.Rank = 12;
    r.Medals[0] = 2;
    r.Prizes[0] = 0;
    const app::TPlayerRecordBytes bytes = app::WritePlayerRecord(r);
    EXPECT_EQ(bytes[1], 'A');
    EXPECT_EQ(bytes[22], 'D');
    EXPECT_EQ(bytes[64], 7);
    EXPECT_EQ(bytes[80], 0x44);
    EXPECT_EQ(bytes[92], 2);
    EXPECT_EQ(bytes[93], 30);
    EXPECT_EQ(bytes[136], 0);
    const app::TPlayerRecord back = app::ReadPlayerRecord(bytes);
    EXPECT_EQ(back.Name, "Ann");
    EXPECT_EQ(back.SubjectTitle, std::string(21, 'T'));
    EXPECT_EQ(back.Score, -2);
    EXPECT_EQ(back.SpeedEntry, r.SpeedEntry);
    EXPECT_EQ(back.Medals, r.Medals);
    EXPECT_EQ(back.Prizes, r.Prizes);
    // A short record reads what it holds; a name without its NUL stops at its field.
    std::vector<uint8_t> shortOne(40, 'x');
    const app::TPlayerRecord cut = app::ReadPlayerRecord(shortOne);
    EXPECT_EQ(cut.Name, std::string(21, 'x'));
    EXPECT_EQ(cut.SubjectFile, std::string(18, 'x'));
    EXPECT_EQ(cut.Score, 0);
}

TEST_F(GameFlowTest, ALoadedRecordIsClampedWhereTheGameUsesIt) {
    app::TPlayerRecord& r = form_->PlayerRecord;
    r.Score = 1234;
    r.Level = 3;
    r.Lives = 2;
    r.Difficulty = 9;
    r.Rank = 25;
    r.Medals = app::TPlayerRecord::Empty();
    r.Medals[0] = 4;
    r.Medals[1] = 4;   // repeated
    r.Medals[2] = 0;   // no medal
    r.Medals[3] = 77;  // none either
    r.Medals[12] = 9;  // past the 11 that count
    r.Prizes[0] = 0;
    r.Prizes[1] = 10;
    r.Prizes[2] = 11;
    form_->SetUserInfo();
    EXPECT_EQ(Get(R().Count), 1234);
    EXPECT_EQ(Get(R().Difficulty), 3);
    EXPECT_EQ(form_->Kernel->Shared.Difficulty, 3);
    EXPECT_EQ(Get(R().Rank), 19);
    EXPECT_NE(Log().find("Class SetUserInfo with message 'Rank=25'."), std::string::npos);
    EXPECT_EQ(R().Medals->Count(), 1);
    EXPECT_TRUE(HasMedal(4));
    EXPECT_EQ(R().Prizes->Count(), 2);

    form_->UpdatePlayerRecord();
    EXPECT_EQ(r.Medals[0], 4);
    EXPECT_EQ(r.Medals[1], 30);
    EXPECT_EQ(r.Prizes[0], 0);
    EXPECT_EQ(r.Prizes[1], 10);
    EXPECT_EQ(r.Prizes[2], 30);
    EXPECT_EQ(r.Alive, 1);
}

// ---- The saved game ----

class PendingSaveTest : public GameFlowTest {
protected:
    std::string SaveFile() { return form_->SaveContainerFile(); }
    app::TPlayerRecord Stored() {
        engine::TGPResource saves(SaveFile(), rtl::fmOpenRead);
        engine::TSaveRecord bytes{};
        EXPECT_EQ(saves.Read144("Save_User", "Save_0", bytes), 1);
        return app::ReadPlayerRecord(bytes);
    }
};

TEST_F(PendingSaveTest, TheRunningGameGoesToSlotZeroWithItsPreviewAtSlotSize) {
    form_->InitSaveContainer();
    const std::string level = dir_.File("level.ig");
    datagen::WriteContainer(level, {{"PreView_Level", {{"LevelPreView_3", datagen::EncodeBmp(datagen::PlainPicture(320, 240, 0x00FF00))}}}});
    form_->Kernel->Resource = std::make_unique<engine::TGPResource>(level, rtl::fmOpenRead);
    Set(R().Level, 2);
    Set(R().Count, 4321);
    form_->PlayerRecord.Name = "Bo";
    form_->StorePendingSave();
    const app::TPlayerRecord stored = Stored();
    EXPECT_EQ(stored.Name, "Bo");
    EXPECT_EQ(stored.Score, 4321);
    EXPECT_EQ(stored.Level, 3);
    engine::TGPResource saves(SaveFile(), rtl::fmOpenRead);
    std::unique_ptr<media::TGPBitmap> preview;
    ASSERT_NE(saves.ReadBitmap("Save_BMP", "Save_0", preview), 3);
    EXPECT_EQ(preview->Width(), 160);
    EXPECT_EQ(preview->Height(), 120);
    EXPECT_EQ(preview->BitCount(), 8);
    EXPECT_EQ(preview->PixelColor(80, 60) & 0x00FF00, 0x00FF00u);  // green, not the red placeholder
}

TEST_F(PendingSaveTest, AFailedWriteLeavesTheStoredFileAsItWas) {
    form_->InitSaveContainer();
    const std::string before = ReadFile(SaveFile());
    const std::string level = dir_.File("level.ig");
    datagen::WriteContainer(level, {{"PreView_Level", {{"LevelPreView_1", datagen::EncodeBmp(datagen::PlainPicture(16, 16, 0xFF))}}}});
    form_->Kernel->Resource = std::make_unique<engine::TGPResource>(level, rtl::fmOpenRead);
    Set(R().Count, 55);
    for (const char* failing : {"write", "flush", "rename"}) {
        SCOPED_TRACE(failing);
        rtl::SetAtomicWriteFault([failing](std::string_view step) { return step == failing; });
        form_->StorePendingSave();
        rtl::SetAtomicWriteFault(nullptr);
        EXPECT_EQ(ReadFile(SaveFile()), before);
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(SaveFile()).parent_path()))
            EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos) << e.path();  // no temporary left
    }
    EXPECT_FALSE(std::filesystem::exists(SaveFile() + ".bad"));
    EXPECT_NE(Log().find("StorePendingSave"), std::string::npos);
}

// The save panel writes slots without a preview with no room at all: the pending game's
// preview still goes in, and the other slots stay as they were.
TEST_F(PendingSaveTest, APendingGameGoesIntoAContainerTheSavePanelWrote) {
    app::TSaveGames games;
    app::TPlayerRecord kept;
    kept.Alive = 1, kept.Name = "Kept", kept.SubjectFile = "Kept.ig", kept.Level = 4, kept.Lives = 2, kept.Score = 900;
    games.Slots[3].Record = app::EncodePlayerRecord(kept);
    app::WriteSaveGames(SaveFile(), games);
    const std::string level = dir_.File("level.ig");
    datagen::WriteContainer(level, {{"PreView_Level", {{"LevelPreView_1", datagen::EncodeBmp(datagen::PlainPicture(320, 240, 0xFF))}}}});
    form_->Kernel->Resource = std::make_unique<engine::TGPResource>(level, rtl::fmOpenRead);
    Set(R().Count, 31);
    form_->StorePendingSave();
    EXPECT_EQ(Stored().Score, 31);
    const app::TSaveGames stored = app::ReadSaveGames(SaveFile());
    EXPECT_FALSE(stored.Slots[0].Preview.empty());
    EXPECT_EQ(stored.Slots[3].Record, games.Slots[3].Record);
    EXPECT_TRUE(stored.Slots[3].Preview.empty());
}

TEST_F(PendingSaveTest, AContainerThatDoesNotOpenIsKeptAsideAndMadeAnew) {
    std::ofstream(SaveFile(), std::ios::binary) << "not a container at all";
    Set(R().Count, 77);
    form_->StorePendingSave();
    EXPECT_EQ(ReadFile(SaveFile() + ".bad"), "not a container at all");
    EXPECT_EQ(Stored().Score, 77);
    engine::TGPResource saves(SaveFile(), rtl::fmOpenRead);
    EXPECT_TRUE(saves.Locate("Save_User", "Save_6"));
}

// ---- Limits and the hit handlers ----

TEST_F(GameFlowTest, ATickOfPlayWithoutTheLivesVariableLosesNoLife) {
    R().Life = nullptr;  // no game made it: it reads as 1
    EXPECT_EQ(Get(R().Life), 1);
    form_->Kernel->Condition = engine::ck_Play;
    form_->DoGPMove(form_->Kernel.get());
    form_->Kernel->RunCommands();
    EXPECT_TRUE(shown.empty()) << "message " << shown[0].first;
    EXPECT_EQ(form_->Kernel->Condition, engine::ck_Play);
}

TEST_F(GameFlowTest, SpeedsAreLimitedByClassAndDifficulty) {
    engine::TGPObject ball;
    ball.IDClass = 62;
    double v = -30;
    form_->DoCheckVelocity(v, &ball, engine::TVelocityXY::vxyX);
    EXPECT_DOUBLE_EQ(v, -5);
    ball.Kind = engine::kind::DifficultySpeed;
    Set(R().Difficulty, 3);
    v = 30;
    form_->DoCheckVelocity(v, &ball, engine::TVelocityXY::vxyY);
    EXPECT_DOUBLE_EQ(v, 7.5);
    Set(R().Difficulty, 40);  // a difficulty from data never indexes past the table
    v = 30;
    form_->DoCheckVelocity(v, &ball, engine::TVelocityXY::vxyY);
    EXPECT_DOUBLE_EQ(v, 7.5);
    engine::TGPObject paddle;
    paddle.IDClass = 1;
    v = -25;
    form_->DoCheckVelocity(v, &paddle, engine::TVelocityXY::vxySpeed);
    EXPECT_DOUBLE_EQ(v, -20);
}

TEST_F(GameFlowTest, ABrickHitCountsOnlyAHitterThatIsStillTheSame) {
    form_->DropsOff = true;
    engine::TGPObject brick, ball;
    brick.IDClass = 12;
    brick.HitPoints = 10;
    ball.IDClass = 62;
    ball.Column = 2;  // a ball's damage grows with its row
    brick.SetParam(109, reinterpret_cast<intptr_t>(static_cast<engine::TGPStructure*>(&ball)));
    form_->BrickHit(&brick);
    EXPECT_EQ(brick.HitPoints, 7);
    // The ball went back to its pool and came out again: no longer the hitter.
    ball.NextGeneration();
    form_->BrickHit(&brick);
    EXPECT_EQ(brick.HitPoints, 6);
    EXPECT_EQ(form_->BallMonsterHits, 0);
}

TEST_F(GameFlowTest, AShakenSpecialBrickSurvivesAndTheCountRestarts) {
    engine::TGPObject special;
    special.IDClass = 112;
    int32_t count = 0;
    for (int i = 0; i < 12; ++i) form_->BrickShake(&special, true, count, true);
    EXPECT_EQ(count, 12);
    EXPECT_FALSE(special.Dead());
    form_->BrickShake(&special, true, count, false);
    EXPECT_EQ(count, 0);
}

TEST_F(GameFlowTest, AFloorEffectWithoutAPictureWidthPlacesNothingMore) {
    engine::TGPMap* map = engine::CreateMap(*form_->Kernel, false, 34, 48, 9, 9, 9, 9, 64);
    form_->DoMapSetKind(map, 0x1000);  // the phantom has no description: width 0
    EXPECT_LE(map->ChildSprites ? map->ChildSprites->Count() : 0, 1);
    form_->DoMapSetKind(map, 0);
    EXPECT_EQ(map->ChildSprites ? map->ChildSprites->Count() : 0, 0);
}

TEST_F(GameFlowTest, ABallLeftOnThePaddleGoesAfterTicksByDifficulty) {
    engine::TGPObject paddle;
    paddle.IDClass = 1;
    paddle.Kind = engine::kind::Carrier;
    form_->Kernel->Shared.SetPlayer(&paddle);
    form_->Kernel->SetCondition(engine::ck_Play);
    for (auto [difficulty, ticks] : {std::pair{3, 420}, {1, 520}, {2, 470}}) {
        Set(R().Difficulty, difficulty);
        form_->LaunchCounter = 0;
        for (int i = 1; i < ticks; ++i) form_->DoGPMove(nullptr);
        EXPECT_EQ(form_->LaunchCounter, ticks - 1) << difficulty;
        form_->DoGPMove(nullptr);
        EXPECT_EQ(form_->LaunchCounter, 0) << difficulty;  // released on this tick
    }
    form_->Kernel->Shared.SetPlayer(nullptr);
}

TEST_F(GameFlowTest, WhatTheObjectsScoreIsTheGamesScoreAndALoadedScoreCountsOn) {
    form_->Kernel->SetCondition(engine::ck_Play);
    form_->Kernel->AddScore(250);
    EXPECT_EQ(Get(R().Count), 250);  // shown, ranked and saved from here

    app::TPlayerRecord& r = form_->PlayerRecord;
    r.Score = 1000, r.Level = 2, r.Lives = 3, r.Difficulty = 1;
    form_->SetUserInfo();
    form_->Kernel->AddScore(250);
    EXPECT_EQ(Get(R().Count), 1250);
    form_->UpdatePlayerRecord();
    EXPECT_EQ(r.Score, 1250);
}

// ---- Levels ----

class LevelFlowTest : public GameFlowTest {
protected:
    // A loose level set of three levels without nations.
    void GiveLevelSet(int levels) {
        datagen::LevelSet set = datagen::SampleLevelSet();
        set.levels.resize(static_cast<size_t>(levels));
        for (auto& l : set.levels) l.nations.clear();
        set.index.clear();
        const std::string file = dir_.File("game/Resource/Set.lvl");
        std::ofstream(file, std::ios::binary) << datagen::BuildLevelSet(set);
        engine::TInterfaceHeader header = engine::LevelSetHeader();
        form_->Kernel->SetLevelStream(std::make_unique<engine::TLevelStream>(file, nullptr, header, rtl::fmOpenRead));
    }
};

TEST_F(LevelFlowTest, ASetNamedInTheDatasFormAsTheNewGameListNamesItOpens) {
    GiveLevelSet(2);
    form_->Kernel->SetLevelStream(nullptr);
    // The list joins the resource folder to the file name, in the data's form.
    form_->DoGPCreateGames(nullptr, engine::JoinDataPath(engine::ResourceFolders().Resource, "Set.lvl"));
    ASSERT_NE(form_->Kernel->LevelStream, nullptr);
    EXPECT_EQ(form_->Kernel->LevelStream->GetLevelCount(), 2);
    EXPECT_EQ(Log().find("Game data"), std::string::npos);
}

TEST_F(LevelFlowTest, AStartIndexOutsideTheSetStartsTheFirstLevel) {
    form_->InitSaveContainer();
    GiveLevelSet(3);
    form_->StartLevel(-1, true);
    EXPECT_EQ(Get(R().Level), 0);
    form_->StartLevel(2, true);
    EXPECT_EQ(Get(R().Level), 2);
    form_->StartLevel(3, true);
    EXPECT_EQ(Get(R().Level), 0);
    EXPECT_TRUE(form_->GameRunning);
    EXPECT_EQ(form_->PlayerStartY > 0, true);
    EXPECT_GT(form_->WeaponChargeMax, 0);
}

TEST_F(LevelFlowTest, ALevelIsCompletedOnceAndItsMessageNamesIt) {
    form_->InitSaveContainer();
    GiveLevelSet(2);
    form_->StartLevel(1, false);
    EXPECT_EQ(shown.back().first, 4);
    form_->StartLevel(0, false);
    EXPECT_EQ(shown.back().first, 3);
    engine::TExecuteLine& line = *form_->Kernel->CommandLine;
    const int32_t before = line.Position;
    form_->LevelCompleted();
    const int32_t once = line.Position;
    form_->LevelCompleted();  // the push handler and the periodic check in one tick
    EXPECT_GT(once, before);
    EXPECT_EQ(line.Position, once);
}

TEST_F(LevelFlowTest, TheLastLifeEndsTheGameOnce) {
    GiveLevelSet(1);
    int ended = 0;
    form_->Kernel->OnDestroyGames = [&](rtl::Object*) { ++ended; };
    Set(R().Life, 1);
    form_->LoseLife();  // no message panel: the game over's Ok runs at once
    EXPECT_EQ(Get(R().Life), 0);
    EXPECT_EQ(form_->Kernel->Condition, engine::ck_EndGames);
    EXPECT_TRUE(form_->GameEnded);
    form_->EndGame(form_.get());  // the second button in the same tick
    EXPECT_FALSE(form_->GameRunning);
}

TEST_F(LevelFlowTest, AFatalHitEndsTheGameWhateverTheLives) {
    GiveLevelSet(1);
    Set(R().Life, 4);
    form_->FatalHit = true;
    form_->LoseLife();
    EXPECT_EQ(Get(R().Life), 0);
    EXPECT_EQ(form_->Kernel->Condition, engine::ck_EndGames);
}

}  // namespace
