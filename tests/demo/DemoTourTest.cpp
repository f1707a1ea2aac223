// A tour of the demo: every level of every set played to its end by the test script's
// `follow`, which steers the paddle after the ball and catches what falls, on the virtual
// clock. Per level it reports the bricks broken, the prizes caught by effect code, the
// monsters met and killed, the shots fired, the sounds started and whether music played;
// across the tour every prize effect, every mover and every weapon must have been seen, every
// level ended and nothing failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/GameScript.h"
#include "engine/gpFunctionObject.h"
#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpOrder.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "engine/gpWeapon.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/audio/NullOutput.h"
#include "platform/input/VirtualKeys.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tools/datagen/demo/DemoClasses.h"

namespace {

namespace vk = platform::input::vk;
using demotest::FieldValue;

// A level that has not ended after this many ticks counts as not ended.
constexpr int kLevelTicks = 20000;
constexpr int32_t kLives = 99;
constexpr int kPlayMode = 2;

struct LevelReport {
    std::string where, title;
    int ticks = 0;
    bool ended = false;
    int bricks = 0, monstersMet = 0, monstersKilled = 0, shots = 0, sounds = 0;
    std::map<int, int> prizes;  // effect code: times caught
    int musicTicks = 0;
};

// The script's view of the game, its keys the player's.
class SteeringTarget final : public app::TScriptTarget {
public:
    explicit SteeringTarget(demotest::HeadlessGame& game) : game_(game) {}
    void Key(uint8_t key, bool down) override { game_.Input().SetKey(key, down); }
    void MouseMove(int32_t, int32_t) override {}
    void MouseButton(int, bool) override {}
    bool PanelShown(const std::string& name) override { return game_.PanelShown(name); }
    std::optional<int32_t> Variable(const std::string&) override { return std::nullopt; }
    std::optional<int32_t> MessageShown() override { return std::nullopt; }
    std::optional<app::TPlayView> PlayView() override { return app::PlayViewOf(*game_.Form().Kernel); }

private:
    demotest::HeadlessGame& game_;
};

// Watches one level: what leaves play (through the kernel's pool hook) and what is in play
// after every tick.
class LevelWatch {
public:
    LevelWatch(demotest::HeadlessGame& game, LevelReport& report, std::set<int>& orders, std::set<int>& weapons)
        : game_(game), kernel_(*game.Form().Kernel), report_(report), orders_(orders), weapons_(weapons) {
        inner_ = kernel_.OnPUSH;
        kernel_.OnPUSH = [this](engine::TObject* sender) {
            Left(dynamic_cast<engine::TGPObject*>(sender));
            if (inner_) inner_(sender);
        };
        if (auto* null = Output()) null->ClearCalls();
        kills_ = Kills();
    }
    ~LevelWatch() {
        if (game_.Form().Kernel) game_.Form().Kernel->OnPUSH = inner_;
    }
    LevelWatch(const LevelWatch&) = delete;
    LevelWatch& operator=(const LevelWatch&) = delete;

    void AfterTick() {
        for (engine::TGPNation* nation : *kernel_.Nations)
            for (engine::TGPObject* o : nation->Objects) {
                if (o->Dead()) continue;
                if (o->Orders)
                    for (int32_t kind = 0; kind < engine::kOrderKinds; ++kind)
                        if (o->Orders->Routine == engine::OrderRoutine(kind)) orders_.insert(kind);
                const auto key = std::pair{o->Handle(), o->Generation()};
                if (engine::IsMonsterClass(o->IDClass) && monsters_.insert(key).second) ++report_.monstersMet;
                if (IsShot(o->IDClass) && shots_.insert(key).second) {
                    ++report_.shots;
                    if (engine::TGPWeapon* w = o->ShotWeapon()) weapons_.insert(w->IDClass);
                }
            }
        if (auto* null = Output()) {
            for (const std::string& call : null->Calls()) report_.sounds += call.rfind("Play ", 0) == 0;
            null->ClearCalls();
        }
        // The game's own tally of monsters destroyed, which the bonus step empties.
        const int kills = Kills();
        report_.monstersKilled += kills >= kills_ ? kills - kills_ : kills;
        kills_ = kills;
        media::TGPMidi* midi = game_.Form().MusicPlayer();
        report_.musicTicks += midi && midi->GetMode() == kPlayMode;
    }

private:
    static bool IsShot(int32_t id) { return id >= 5 && id <= 10; }
    int Kills() const { return game_.Form().MonsterHitsByBall + game_.Form().MonsterHitsOther; }

    platform::audio::NullOutput* Output() const {
        return game_.Form().Sound ? dynamic_cast<platform::audio::NullOutput*>(&game_.Form().Sound->Device().GetOutput())
                                 : nullptr;
    }

    // An object back to its pool while the level is played: a brick broken, or a prize that
    // touches the paddle (which it does only when caught).
    void Left(engine::TGPObject* o) {
        if (!o || kernel_.Condition != engine::ck_Play) return;
        if (engine::IsBrickClass(o->IDClass) && o->HitPoints != engine::kIndestructible) ++report_.bricks;
        const engine::TGPObject* paddle = kernel_.Shared.Player();
        if (engine::IsPrizeClass(o->IDClass) && paddle && engine::RectsMeet(o->GetRect(), paddle->GetRect()))
            ++report_.prizes[engine::BonusEffectCode(kernel_.Shared, o->IDClass)];
    }

    demotest::HeadlessGame& game_;
    engine::TGPKernel& kernel_;
    LevelReport& report_;
    std::set<int>& orders_;
    std::set<int>& weapons_;
    engine::TNotifyEvent inner_;
    std::set<std::pair<uint32_t, uint16_t>> monsters_, shots_;
    int kills_ = 0;
};

std::string Row(const LevelReport& r) {
    std::string prizes;
    for (const auto& [code, n] : r.prizes) prizes += std::to_string(code) + (n > 1 ? "x" + std::to_string(n) : "") + " ";
    char line[512];
    std::snprintf(line, sizeof line, "%-22s %-16s %6d %-5s %6d %5d/%-5d %5d %6d %-5s %s", r.where.c_str(), r.title.c_str(),
                  r.ticks, r.ended ? "yes" : "NO", r.bricks, r.monstersMet, r.monstersKilled, r.shots, r.sounds,
                  r.musicTicks * 10 >= r.ticks * 9 ? "yes" : "no", prizes.c_str());
    return line;
}

TEST(DemoTour, EveryLevelIsPlayedToItsEndAndShowsEverythingTheGameCanDo) {
    if (demotest::kSanitized) GTEST_SKIP() << "the tour plays about 100,000 ticks: too long under a sanitizer";
    demotest::HeadlessGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start());
    ASSERT_TRUE(game.TickUntilShown("MainPanel", 2000));
    const size_t logBefore = game.Log().size();

    app::TGameScript script;
    std::string error;
    ASSERT_TRUE(app::ParseGameScript("follow " + std::to_string(kLevelTicks) + "\n", script, error)) << error;
    SteeringTarget target(game);

    std::vector<LevelReport> reports;
    std::set<int> effects, orders, weapons, used;
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        const std::string file = set.set.file;
        for (int32_t index = 0; index < static_cast<int32_t>(set.set.set.levels.size()); ++index) {
            for (const auto& nation : set.set.set.levels[static_cast<size_t>(index)].nations)
                if (nation.key == 1)
                    for (const auto& o : nation.objects) used.insert(o.p[12]);
            LevelReport report;
            report.where = file + " " + std::to_string(index + 1);
            report.title = set.set.set.levels[static_cast<size_t>(index)].texts[1];
            game.where = report.where;
            ASSERT_NO_FATAL_FAILURE(game.NewGame(file, index, kLives));
            {
                LevelWatch watch(game, report, orders, weapons);
                app::TScriptRunner runner(script, target);
                while (report.ticks < kLevelTicks) {
                    if (game.PanelShown("MessageBox")) {
                        ASSERT_NO_FATAL_FAILURE(game.PressEnter());
                        report.ticks += 2;
                    } else {
                        ASSERT_NO_FATAL_FAILURE(game.Tick());
                        ++report.ticks;
                        runner.Tick();
                    }
                    if (FieldValue(game.Form().Kernel->KernelRecord.Level) != index) {
                        report.ended = true;
                        break;
                    }
                    watch.AfterTick();
                }
            }
            for (const uint8_t key : {vk::Left, vk::Right, vk::Space}) game.Input().SetKey(key, false);
            for (const auto& [code, n] : report.prizes) effects.insert(code);
            reports.push_back(report);
            ASSERT_NO_FATAL_FAILURE(game.EndGame());
        }
    }

    std::ostringstream table;
    table << "level                  title             ticks ended bricks monsters shots sounds music prizes by effect\n";
    for (const LevelReport& r : reports) table << Row(r) << "\n";
    table << reports.size() << " levels in all\n";
    std::cout << table.str();

    for (const LevelReport& r : reports) {
        EXPECT_TRUE(r.ended) << r.where << " did not end in " << kLevelTicks << " ticks";
        EXPECT_GT(r.sounds, 0) << r.where;
        EXPECT_GE(r.musicTicks * 10, r.ticks * 9) << r.where << " plays no music";
    }
    for (int code : used) EXPECT_TRUE(effects.count(code)) << "no prize of effect " << code << " was caught";
    for (int kind = 0; kind < datagen::demo::order::Count; ++kind)
        EXPECT_TRUE(orders.count(kind)) << "nothing moved under order " << kind;
    EXPECT_EQ(weapons, (std::set<int>{1, 2, 3})) << "weapons fired";
    EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
    EXPECT_EQ(game.Log().substr(logBefore), "");
}

}  // namespace
