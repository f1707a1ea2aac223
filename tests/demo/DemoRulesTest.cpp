// The rules of a game as a player meets them, played on the test set (one brick of 250 points a
// level, cleared by itself) with the main form in this process: when a level ends, the medal
// for lives won with letters, the weapon's charge after a lost life and a new level, a fatal
// hit, the bonus of a loaded game, and the set's minimum for the hall of fame. The set is tuned
// so that no medal comes from the score alone ("SS" 300,000), three lives win the lives medal
// ("TL" 3) and the hall of fame wants 1,000 points.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdlib>
#include <map>

#include "app/GameRules.h"
#include "app/PanelWidgets.h"
#include "app/SaveGames.h"
#include "engine/gpBehaviours.h"
#include "engine/gpInterfaceImage.h"
#include "engine/gpNation.h"
#include "platform/input/VirtualKeys.h"
#include "platform/registry/Registry.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/demo/DemoNames.h"

namespace {

using demotest::FieldValue;
constexpr const char* kTestSet = "0Test.ig";

class DemoRules : public ::testing::Test {
protected:
    DemoRules() {
        Tune({{"SS", 300000}, {"TL", 3}, {"MinCountForTopList", 1000}});
        // The installer's step: the hall of fame needs the internet library.
        const std::string bin = testproc::BinDir();
        registered_ = std::system(("'" + bin + "/regsvr' -s '" + bin + "/libPalvrek.so'").c_str()) == 0;
    }

    // The test set with these values of its "Default" section.
    void Tune(const std::map<std::string, int32_t>& values) {
        for (const auto& set : demotest::DemoData::Get().set.levelSets) {
            if (set.set.file != kTestSet) continue;
            std::vector<datagen::ContainerSection> sections = set.sections;
            for (auto& section : sections)
                if (section.name == "Default")
                    for (auto& entry : section.entries)
                        if (const auto it = values.find(entry.name); it != values.end())
                            entry.data = datagen::Int32Bytes(it->second);
            datagen::WriteContainer(Home() + "/" + set.Path(), sections);
        }
    }

    // The program's start, until the main menu shows.
    void Start() {
        ASSERT_NO_FATAL_FAILURE(game_.Start());
        ASSERT_TRUE(game_.TickUntilShown("MainPanel", 2000)) << game_.Shown();
    }
    void Tick() { game_.Tick(); }
    void Play() { game_.Play(); }
    void NewGame(const std::string& file, int32_t index) { game_.NewGame(file, index); }
    void EndGame() { game_.EndGame(); }
    bool PanelShown(const std::string& name) const { return game_.PanelShown(name); }
    std::string Shown() const { return game_.Shown(); }
    std::string Home() const { return game_.Home(); }

    engine::TGPKernel& K() { return *form_->Kernel; }
    int32_t Level() { return FieldValue(K().KernelRecord.Level); }
    int32_t Lives() { return FieldValue(K().KernelRecord.Life); }
    // The destructible bricks in play.
    int Bricks() {
        int n = 0;
        if (engine::TGPNation* bricks = K().FindNation(app::rules::BrickNationKey))
            for (engine::TGPObject* o : bricks->Objects) n += engine::IsBrickClass(o->IDClass) && o->HitPoints < 256;
        return n;
    }
    // Plays until the paddle is in play and no message shows.
    void UntilPlay() {
        for (int i = 0; i < 200; ++i) {
            ASSERT_NO_FATAL_FAILURE(Play());
            if (K().Condition == engine::ck_Play && K().Shared.Player() && !PanelShown("MessageBox")) return;
        }
        FAIL() << "not in play; " << Shown();
    }
    // Plays until the level is another one; the medals announced on the way.
    std::vector<int32_t> UntilNextLevel() {
        std::vector<int32_t> medals;
        form_->OnGameMessage = [&](int32_t message, int32_t number) {
            if (message == 7) medals.push_back(number);
        };
        const int32_t level = Level();
        for (int i = 0; i < 1500 && Level() == level; ++i) Play();
        EXPECT_NE(Level(), level) << "the level did not end; " << Shown();
        form_->OnGameMessage = nullptr;
        return medals;
    }
    bool HasMedal(int32_t medal) { return K().KernelRecord.Medals->Present().test(static_cast<size_t>(medal)); }

    demotest::HeadlessGame game_;
    app::TDlg_Sprallion* const form_ = &game_.Form();
    bool registered_ = false;
};

TEST_F(DemoRules, ALevelEndsWithItsLastBrickAndOnceWhenThatIsTheTickOfTheCheckOrOfTheExit) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(NewGame(kTestSet, 0));
    int advances = 0;
    K().OnGPNextLevel = [&, next = K().OnGPNextLevel](rtl::Object* sender) {
        ++advances;
        next(sender);
    };
    int lastWithBrick = 0, endedAt = -1;
    while (game_.levelTicks < 1500 && endedAt < 0) {
        ASSERT_NO_FATAL_FAILURE(Play());
        if (Level() == 0 && Bricks() > 0) lastWithBrick = game_.levelTicks;
        if (Level() != 0) endedAt = game_.levelTicks;
    }
    ASSERT_GT(endedAt, 0) << Shown();
    EXPECT_LE(endedAt - lastWithBrick, 2) << "the brick went at tick " << lastWithBrick + 1;
    EXPECT_EQ(advances, 1);

    // The second level with every tick a tick of the periodic check: its brick ends in one.
    while (game_.levelTicks < 3000 && Level() == 1) {
        form_->CompletionCounter = app::rules::CompletionCheckTicks - 1;
        ASSERT_NO_FATAL_FAILURE(Play());
    }
    for (int i = 0; i < 10; ++i) ASSERT_NO_FATAL_FAILURE(Play());
    EXPECT_EQ(advances, 2);
    EXPECT_EQ(Level(), 0) << "after the last level the first one";

    // The first level again: its last brick goes as the moving paddle meets the exit object.
    ASSERT_NO_FATAL_FAILURE(UntilPlay());
    engine::TGPObject* paddle = K().Shared.Player();
    engine::TGPObject* exit = K().NationByKey(app::rules::BallNationKey)->CreateFromPool(paddle->GetX(), paddle->GetY(), false,
                                                                                      datagen::demo::unit::ExitGem);
    ASSERT_NE(exit, nullptr);
    engine::EnterCells(*exit);
    engine::TGPNation* bricks = K().FindNation(app::rules::BrickNationKey);
    for (int i = bricks->Objects.Count() - 1; i >= 0; --i)
        if (engine::IsBrickClass(bricks->Objects[i]->IDClass)) bricks->Objects[i]->SetDead(true);
    game_.Input().SetKey(platform::input::vk::Right, true);
    ASSERT_NO_FATAL_FAILURE(Tick());
    game_.Input().SetKey(platform::input::vk::Right, false);
    for (int i = 0; i < 10; ++i) ASSERT_NO_FATAL_FAILURE(Play());
    EXPECT_EQ(advances, 3) << "the exit and the brick each ended the level";
    EXPECT_EQ(Level(), 1);
    EXPECT_TRUE(game_.failures.empty()) << ::testing::PrintToString(game_.failures);
}

TEST_F(DemoRules, LivesWonWithLettersCountForTheLivesMedal) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(NewGame(kTestSet, 1));  // the bonus step follows the second level on
    ASSERT_NO_FATAL_FAILURE(UntilPlay());
    // Six letters held; the seventh falls onto the paddle.
    K().SetLettersCollected(std::bitset<256>(0x3F));
    K().Shared.DropTable.push_back({1, -2, -1, 33, engine::kLastLetter});
    engine::TGPObject* letter = K().NationByKey(app::rules::PrizeNationKey)->CreateFromPool(300, 200, false, engine::kLastLetter);
    ASSERT_NE(letter, nullptr);
    const int32_t lives = Lives();
    EXPECT_TRUE(engine::ApplyBonus(nullptr, K().Shared.Player(), *letter));
    EXPECT_EQ(Lives(), lives + 3);
    EXPECT_EQ(UntilNextLevel(), std::vector<int32_t>{5});
    EXPECT_EQ(K().Shared.LivesGained, 0) << "counted again from the medal on";
}

TEST_F(DemoRules, ANewLevelAndALostLifeEndTheChargeAndAFatalHitEndsTheGame) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(NewGame(kTestSet, 0));
    ASSERT_NO_FATAL_FAILURE(UntilPlay());
    engine::TGPField* shown = K().KernelRecord.Count_1;
    form_->SetWeaponCharge(300);
    UntilNextLevel();
    EXPECT_EQ(form_->WeaponCharge, 0) << "carried into the next level";
    EXPECT_EQ(FieldValue(shown), 0);

    ASSERT_NO_FATAL_FAILURE(UntilPlay());
    form_->SetWeaponCharge(300);
    form_->WeaponReady = false;  // the fire key let go while charged
    K().FireEndLife();           // the ball is lost
    EXPECT_EQ(Lives(), 4);
    EXPECT_EQ(form_->WeaponCharge, 0);
    EXPECT_EQ(FieldValue(shown), 0);
    EXPECT_TRUE(form_->WeaponReady);

    ASSERT_NO_FATAL_FAILURE(UntilPlay());  // the next life
    form_->FatalHit = true;
    K().FireEndLife();
    EXPECT_EQ(Lives(), 0);
    EXPECT_EQ(K().Condition, engine::ck_EndGames);
    for (int i = 0; i < 100 && !PanelShown("MainPanel"); ++i) ASSERT_NO_FATAL_FAILURE(Play());  // the game-over message
    EXPECT_TRUE(PanelShown("MainPanel")) << Shown();
    EXPECT_FALSE(form_->GameRunning);
}

TEST_F(DemoRules, ALoadedGameEarnsNoMedalForThePointsItWasSavedWith) {
    ASSERT_NO_FATAL_FAILURE(Start());
    app::TPlayerRecord saved;
    saved.Alive = 1;
    saved.Name = "Saver";
    saved.SubjectFile = kTestSet;
    saved.Level = 2;
    saved.Lives = 3;
    saved.Score = 400000;
    app::TSaveGames games = app::ReadSaveGames(form_->SaveContainerFile());
    games.Slots[2].Record = app::EncodePlayerRecord(saved);
    app::WriteSaveGames(form_->SaveContainerFile(), games);
    // The main menu's load button, then the slot.
    auto* load = app::panels::Find<engine::TGPStructure>(app::panels::FindForm(form_->Kernel.get(), "MainPanel"), "BT_Load");
    auto* slot = app::panels::Find<engine::TGPImage>(app::panels::FindForm(form_->Kernel.get(), "Load_Games"), "Im_Load_2");
    ASSERT_TRUE(load && slot);
    form_->On_Link_Load_Create(load);
    ASSERT_NO_FATAL_FAILURE(Tick());
    form_->On_Link_Load_Games(slot);
    ASSERT_EQ(Level(), 1);
    ASSERT_EQ(FieldValue(K().KernelRecord.Count), 400000);

    const std::vector<int32_t> medals = UntilNextLevel();  // 250 points more
    EXPECT_EQ(std::count(medals.begin(), medals.end(), 1), 0) << ::testing::PrintToString(medals);
    EXPECT_FALSE(HasMedal(1));
}

TEST_F(DemoRules, TheSetsMinimumKeepsASmallScoreOutOfTheHallOfFame) {
    ASSERT_TRUE(registered_);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(form_->InternetAvailable);
    ASSERT_NO_FATAL_FAILURE(NewGame(kTestSet, 0));
    UntilNextLevel();
    ASSERT_EQ(FieldValue(K().KernelRecord.Count), 250);
    ASSERT_NO_FATAL_FAILURE(EndGame());

    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
    std::string list;
    if (reg.OpenKeyReadOnly("\\SOFTWARE\\Quorvex\\Sprallion\\Local Top List")) list = reg.ReadString("List");
    EXPECT_EQ(list, "");
    EXPECT_EQ(game_.Dir().Read("shell").find("TopList"), std::string::npos) << "no page opened";
}

}  // namespace
