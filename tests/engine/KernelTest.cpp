#include "engine/gpEffects.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "media/GPTimer.h"
#include "platform/window/Application.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace engine;
using enginetest::ProbeObject;

namespace {

class CountingMap : public TGPMap {
public:
    void Move(uint8_t, const TRect&, rtl::List<TGPStructure*>*) override { ++moves; }
    void Draw() override { ++draws; }
    TListGPObject* AddObjectToCells(TListGPObject* list, TGPObject* obj) override {
        entered.push_back(obj);
        return list;
    }
    void RemoveObjectFromCells(TGPObject* obj) override {
        // Leaving the cells needs the object as it was in play, before it is cleared.
        leftAt.push_back(obj->ChildSprites ? obj->ChildSprites->Count() : -1);
    }
    int moves = 0, draws = 0;
    std::vector<TGPObject*> entered;
    std::vector<int32_t> leftAt;
};

class CountingMouse : public TGPMouse {
public:
    void Draw() override { ++draws; }
    int draws = 0;
};

class CountingForm : public TGPForm {
public:
    void Move(uint8_t, const TRect&, rtl::List<TGPStructure*>*) override { ++moves; }
    void Draw() override { ++draws; }
    // A probe: showing it records the show and leaves the kernel's condition alone.
    void Show(TObject*) override {
        ++shows;
        Visible = true;
    }
    int moves = 0, draws = 0, shows = 0;
};

class KernelTest : public ::testing::Test {
protected:
    KernelTest() {
        platform::window::App().SetActive(true);
        platform::window::App().SetMainFormActive(true);
        enginetest::EmptyPools();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
        map = std::make_unique<CountingMap>();
        map->Create(kernel.get(), 0);
        auto m = std::make_unique<CountingMouse>();
        mouse = m.get();
        kernel->SetMouse(std::move(m));
        auto f = std::make_unique<CountingForm>();
        f->Name = "MainPanel";
        form = f.get();
        form->Create(kernel.get(), 0);
        kernel->AttachInterface(std::move(f));
        // The focused form is a plain form: the forms are drawn only then, it last.
        auto focus = std::make_unique<TGPForm>();
        focus->Name = "Focus";
        focus->Create(kernel.get(), 0);
        kernel->FocusForm = focus.get();
        kernel->AttachInterface(std::move(focus));
        media::PublishSharedClock(1000);
    }
    ~KernelTest() override {
        kernel.reset();
        platform::window::App().SetActive(true);
    }
    TGPNation* ProbeNation(int32_t key) {
        TGPNation* n = kernel->NationByKey(key);
        enginetest::UseProbes(n);
        return n;
    }
    ProbeObject* Make(TGPNation* n, int32_t id, int32_t x, int32_t y, int32_t w = 10, int32_t h = 10) {
        auto* o = static_cast<ProbeObject*>(n->CreateObject(x, y, id));
        o->Width = w;
        o->Height = h;
        o->CollisionRect = {0, 0, w, h};
        return o;
    }

    enginetest::HeadlessDisplay display;
    std::unique_ptr<TGPKernel> kernel;
    std::unique_ptr<CountingMap> map;
    CountingMouse* mouse = nullptr;
    CountingForm* form = nullptr;
};

TOneSlide& MovingSlide() {
    static TOneSlide slide;
    slide.IDCondition = 4;
    return slide;
}

}  // namespace

TEST_F(KernelTest, ConditionsFireTheirEventButEndGamesIsSilent) {
    std::vector<TConditionKernel> heard;
    kernel->OnConditionEvent = [&](TObject*, TConditionKernel v) { heard.push_back(v); };
    kernel->SetCondition(ck_MainInterface);
    kernel->SetCondition(ck_Play);
    int last = 0;
    kernel->OnGPLastLevel = [&](TObject*) { ++last; };
    kernel->FireLastLevel();  // no nations: no end of the games
    EXPECT_EQ(kernel->Condition, ck_Play);
    kernel->NationByKey(0);
    kernel->CommandLine->AddEndGames();
    kernel->RunCommands();
    EXPECT_EQ(kernel->Condition, ck_EndGames);
    EXPECT_EQ(heard, (std::vector<TConditionKernel>{ck_MainInterface, ck_Play}));
    kernel->Condition = ck_Play;
    kernel->FireLastLevel();
    EXPECT_EQ(kernel->Condition, ck_EndGames);
    EXPECT_EQ(last, 2);
}

TEST_F(KernelTest, EndGamesReturnsEveryObjectWithoutReportingIt) {
    TGPNation* bricks = ProbeNation(0);
    Make(bricks, 12, 0, 0);
    Make(bricks, 13, 0, 0);
    int pushes = 0;
    kernel->OnPUSH = [&](TObject*) { ++pushes; };
    kernel->EndGames();
    EXPECT_TRUE(bricks->Objects.Empty());
    EXPECT_EQ(pushes, 0);
    EXPECT_TRUE(kernel->OnPUSH);
    TGPObject* again = bricks->CreateFromPool(0, 0, false, 12);
    kernel->FreeObject(2, again);
    EXPECT_EQ(pushes, 1);
}

TEST_F(KernelTest, LifeCountdownFiresNewLifeOnEveryTickOnceItRanOut) {
    int lives = 0;
    kernel->OnGPNewLife = [&](TObject*) { ++lives; };
    kernel->Condition = ck_EndLife;
    kernel->EndLifeCountdown = 2;
    for (int i = 0; i < 4; ++i) kernel->Tick();
    EXPECT_EQ(lives, 2);
    kernel->Busy = true;
    kernel->Tick();
    EXPECT_EQ(lives, 2);
}

TEST_F(KernelTest, MainInterfaceMovesAndDrawsOnlyFormsMouseAndOnDraw) {
    TGPNation* bricks = ProbeNation(0);
    ProbeObject* brick = Make(bricks, 12, 0, 0);
    int moved = 0, drawn = 0;
    kernel->OnGPMove = [&](TObject*) { ++moved; };
    kernel->OnDraw = [&](TObject*) { ++drawn; };
    kernel->SetCondition(ck_MainInterface);
    kernel->Tick();
    EXPECT_EQ(brick->steps, 0);
    EXPECT_EQ(brick->draws, 0);
    EXPECT_EQ(map->moves, 0);
    EXPECT_EQ(map->draws, 0);
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(form->moves, 1);
    EXPECT_EQ(form->draws, 1);
    EXPECT_EQ(mouse->draws, 1);
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(display.flips, 1);

    kernel->SetCondition(ck_Play);
    kernel->Tick();
    EXPECT_EQ(brick->steps, 1);
    EXPECT_EQ(brick->draws, 1);
    EXPECT_EQ(map->moves, 1);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(form->moves, 1);  // forms move only in the interface conditions
    EXPECT_EQ(form->draws, 1);
}

TEST_F(KernelTest, OverTheGameOnlyTheFirstOfSeveralNationsIsDrawn) {
    ProbeObject* brick = Make(ProbeNation(0), 12, 0, 0);
    kernel->SetCondition(ck_Interface);
    kernel->Draw();
    EXPECT_EQ(brick->draws, 0);  // one nation: none drawn
    ProbeObject* ball = Make(ProbeNation(4), 62, 0, 0);
    kernel->Draw();
    EXPECT_EQ(brick->draws, 1);
    EXPECT_EQ(ball->draws, 0);
    EXPECT_EQ(form->draws, 2);
}

TEST_F(KernelTest, PlayTimeCountsEveryTickThatMovesTheWorldAndNothingOfThePause) {
    kernel->Tick();  // the first tick after creation has nothing to measure from
    EXPECT_EQ(kernel->TotalTime, 0);
    media::PublishSharedClock(1022);
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 22);

    // Paused: the ticks only carry the clock forward.
    platform::window::App().SetActive(false);
    for (uint32_t t = 1044; t <= 50000; t += 22 * 100) {
        media::PublishSharedClock(t);
        kernel->Tick();
    }
    EXPECT_EQ(kernel->TotalTime, 22);
    media::PublishSharedClock(50022);
    kernel->Tick();
    platform::window::App().SetActive(true);
    media::PublishSharedClock(50044);
    kernel->Tick();  // the first step after the pause counts its own tick
    EXPECT_EQ(kernel->TotalTime, 44);

    // A lost life, then play again: the same.
    kernel->Condition = ck_EndLife;
    kernel->EndLifeCountdown = 5;
    media::PublishSharedClock(50066);
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 44);
    kernel->Condition = ck_Play;
    media::PublishSharedClock(50088);
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 66);

    media::PublishSharedClock(50000);  // a clock that went back adds nothing
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 66);
    media::PublishSharedClock(0xFFFFFFF0u);
    kernel->Tick();
    media::PublishSharedClock(0x6u);  // across the wrap of the millisecond count
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 66 + 22);

    // The timer's grid restarted (it was stopped, or gave up catching up): the wall time
    // since the last tick was no play, the step counts one interval.
    kernel->Timer->Restart();
    media::PublishSharedClock(0x6u + 5000);
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 66 + 22 + media::TickLength);
    media::PublishSharedClock(0x6u + 5022);
    kernel->Tick();
    EXPECT_EQ(kernel->TotalTime, 66 + 22 + media::TickLength + 22);
}

TEST_F(KernelTest, ABallAgainstThreeStillTargetsRepliesOnceAndDestroysTheOtherTwo) {
    TGPNation* bricks = ProbeNation(0);
    ProbeObject* a = Make(bricks, 12, 0, 0);
    ProbeObject* b = Make(bricks, 13, 20, 0);
    ProbeObject* c = Make(bricks, 14, 0, 30);
    ProbeObject* ball = Make(ProbeNation(4), 62, 10, 10);
    for (ProbeObject* t : {a, b, c}) kernel->AskMoveList->AddAskMove(ball, t, {}, {});
    kernel->ResolveCollisions();
    ASSERT_EQ(ball->replies.size(), 1u);
    EXPECT_EQ(ball->replies[0].rect, (TRect{0, 0, 30, 40}));
    EXPECT_EQ(ball->replies[0].Obstacles(), (std::vector<TGPStructure*>{a}));
    EXPECT_TRUE(a->killers.empty());
    EXPECT_EQ(b->killers, (std::vector<TGPObject*>{ball}));
    EXPECT_EQ(c->killers, (std::vector<TGPObject*>{ball}));
    EXPECT_EQ(kernel->AskMoveList->UsedCount(), 0);
    EXPECT_EQ(kernel->AskMoveList->Get(0)->Asker, nullptr);
}

TEST_F(KernelTest, AMonsterAgainstStillTargetsDestroysNothing) {
    TGPNation* bricks = ProbeNation(0);
    ProbeObject* a = Make(bricks, 12, 0, 0);
    ProbeObject* b = Make(bricks, 13, 20, 0);
    ProbeObject* monster = Make(ProbeNation(2), 3, 10, 10);
    kernel->AskMoveList->AddAskMove(monster, a, {}, {});
    kernel->AskMoveList->AddAskMove(monster, b, {}, {});
    kernel->ResolveCollisions();
    ASSERT_EQ(monster->replies.size(), 1u);
    EXPECT_EQ(monster->replies[0].rect, (TRect{0, 0, 30, 10}));
    EXPECT_TRUE(b->killers.empty());
}

TEST_F(KernelTest, AMovingPairRepliesOncePerSide) {
    TGPNation* monsters = ProbeNation(2);
    ProbeObject* m1 = Make(monsters, 3, 0, 0);
    ProbeObject* m2 = Make(monsters, 32, 5, 5);
    ProbeObject* other = Make(monsters, 33, 50, 50);
    m1->CurrentSlide = &MovingSlide();
    m2->CurrentSlide = &MovingSlide();
    other->CurrentSlide = &MovingSlide();
    kernel->AskMoveList->AddAskMove(m1, m2, {}, {});
    kernel->AskMoveList->AddAskMove(m2, m1, {}, {});  // the reversed pair
    kernel->AskMoveList->AddAskMove(m1, m2, {}, {});  // the same pair again
    kernel->AskMoveList->AddAskMove(m1, other, {}, {});
    kernel->ResolveCollisions();
    ASSERT_EQ(m2->replies.size(), 1u);
    EXPECT_EQ(m2->replies[0].rect, (TRect{0, 0, 10, 10}));
    EXPECT_EQ(m2->replies[0].Obstacles(), (std::vector<TGPStructure*>{m1}));
    ASSERT_EQ(m1->replies.size(), 2u);  // one for m2, one for the other pair
    EXPECT_EQ(m1->replies[0].rect, (TRect{5, 5, 15, 15}));
    EXPECT_EQ(other->replies.size(), 1u);
}

TEST_F(KernelTest, NationByKeyCreatesOnceAndStartSortsByTheFirstObjectsClass) {
    int sorts = 0;
    kernel->OnGPSortNation = [&](TObject* sender) {
        ++sorts;
        EXPECT_EQ(sender, kernel->Nations.get());
    };
    TGPNation* n9 = ProbeNation(9);
    EXPECT_EQ(kernel->NationByKey(9), n9);
    EXPECT_EQ(sorts, 1);
    TGPNation* n7 = ProbeNation(7);
    Make(n9, 62, 0, 0);  // a ball: key 4
    Make(n7, 12, 0, 0);  // a brick: key 0
    TGPNation* empty = ProbeNation(3);
    kernel->Start();
    EXPECT_EQ(kernel->Nations->Get(0), n7);
    EXPECT_EQ(kernel->Nations->Get(1), empty);
    EXPECT_EQ(kernel->Nations->Get(2), n9);
    EXPECT_EQ(n9->NationKey, 4);
    EXPECT_TRUE(kernel->Timer->Enabled());
    EXPECT_EQ(NationKeyOfClass(166), -1);
    EXPECT_EQ(NationKeyOfClass(2), 3);
}

TEST_F(KernelTest, PoolsReuseObjectsByClassAndRefuseBadClasses) {
    TGPNation* bricks = ProbeNation(0);
    EXPECT_EQ(bricks->CreateObject(0, 0, -1), nullptr);
    EXPECT_EQ(bricks->CreateObject(0, 0, 167), nullptr);
    EXPECT_EQ(bricks->CreateObject(0, 0, -5), nullptr);
    EXPECT_EQ(bricks->CreateFromPool(0, 0, false, -2), nullptr);
    ProbeObject* brick = Make(bricks, 12, 0, 0);
    kernel->FreeObject(2, brick);
    kernel->FreeObject(2, brick);  // pushed twice: one copy
    EXPECT_EQ(ObjectPool().Count(), 1);
    EXPECT_TRUE(bricks->Objects.Empty());
    TGPObject* fresh = bricks->CreateFromPool(0, 0, false, 13);  // none pooled: a new one at (100, 100)
    EXPECT_NE(fresh, brick);
    EXPECT_EQ(ObjectPool().Count(), 1);
    TOneSlide based;
    based.BaseLeft = 3;
    based.BaseTop = 5;
    brick->CurrentSlide = &based;
    TGPObject* reused = bricks->CreateFromPool(130, -1, true, 12);
    EXPECT_EQ(reused, brick);
    EXPECT_EQ(reused->GetX(), 128 - 3);
    EXPECT_EQ(reused->GetY(), -64 - 5);  // floored to the grid, not masked into a huge number
    brick->CurrentSlide = nullptr;
    EXPECT_EQ(map->entered.back(), reused);

    bricks->SetMaxCount(2);
    EXPECT_EQ(bricks->CreateFromPool(0, 0, false, 12), nullptr);  // full: the pool is untouched
    EXPECT_EQ(kernel->CreateObject(2, bricks, true, 12), nullptr);
    Make(ProbeNation(1), 11, 0, 0);
    bricks->SetMaxCount(1);
    EXPECT_EQ(bricks->Objects.Count(), 1);
    EXPECT_EQ(bricks->Objects.First(), reused);  // the oldest went back
    EXPECT_EQ(kernel->CreateObject(9, bricks, false, 12), nullptr);
}

TEST_F(KernelTest, PushLeavesTheMapCellsBeforeTheObjectIsCleared) {
    TGPNation* bricks = ProbeNation(0);
    ProbeObject* brick = Make(bricks, 12, 0, 0);
    auto* spark = dynamic_cast<TGPPhantom*>(kernel->CreateObject(1, brick, false, 3));
    ASSERT_NE(spark, nullptr);
    EXPECT_TRUE(brick->ChildSprites->Contains(spark));
    kernel->FreeObject(2, brick);
    EXPECT_EQ(map->leftAt, (std::vector<int32_t>{1}));  // still carrying its spark
    EXPECT_TRUE(PhantomPool().Holds(spark));
    EXPECT_TRUE(brick->ChildSprites->Empty());
}

TEST_F(KernelTest, ClearUnlinksTheGameVariablesAndEmptiesThePools) {
    kernel->Panels.push_back(std::make_unique<TGPStructure>());  // the list owns its widgets
    TGPNation* bricks = ProbeNation(0);
    Make(bricks, 12, 0, 0);
    kernel->Selected = bricks;
    kernel->Data->AddField(nullptr, ftInteger, kernel->KernelRecord.Level);
    ASSERT_EQ(kernel->Data->Count(), 1);
    kernel->Clear();
    EXPECT_EQ(kernel->Data->Count(), 0);
    EXPECT_EQ(kernel->KernelRecord.Level, nullptr);
    EXPECT_TRUE(kernel->Panels.empty());
    EXPECT_EQ(kernel->Nations->Count(), 0);
    EXPECT_EQ(ObjectPool().Count(), 0);
    EXPECT_EQ(kernel->Selected, nullptr);
}

TEST_F(KernelTest, ATickThatRaisesStillRunsTheCommandLine) {
    TGPNation* bricks = ProbeNation(0);
    Make(bricks, 12, 0, 0);
    kernel->OnGPMove = [](TObject*) { throw std::runtime_error("move failed"); };
    form->Visible = true;
    kernel->HideForm("MainPanel");
    EXPECT_THROW(kernel->Tick(), std::runtime_error);
    EXPECT_FALSE(form->Visible);
    EXPECT_EQ(kernel->CommandLine->EndMark, 0);
}

TEST_F(KernelTest, ASteadyTickAllocatesNothing) {
    TGPNation* bricks = ProbeNation(0);
    TGPNation* balls = ProbeNation(4);
    std::vector<ProbeObject*> targets;
    for (int i = 0; i < 20; ++i) targets.push_back(Make(bricks, 12, i * 12, 0));
    ProbeObject* ball = Make(balls, 62, 0, 5);
    ball->replies.reserve(64);
    map->entered.reserve(64);
    map->leftAt.reserve(64);
    for (auto* t : targets) t->killers.reserve(64);
    TGPStructure* form2 = form;
    auto oneTick = [&](uint32_t clock) {
        for (int i = 0; i < 3; ++i) kernel->AskMoveList->AddAskMove(ball, targets[static_cast<size_t>(i)], {}, {});
        // An object dies and comes back from the pool; a sound and a form change are queued.
        kernel->FreeObject(2, targets[5]);
        bricks->CreateFromPool(60, 0, false, 12);
        kernel->CommandLine->AddSound(2, ball, 0, 0, 0, 1, 1);
        kernel->CommandLine->AddShow(form2, nullptr);
        media::PublishSharedClock(clock);
        kernel->Tick();
    };
    for (int i = 0; i < 3; ++i) oneTick(2000 + 22 * static_cast<uint32_t>(i));  // pools grow to their peak
    long allocations;
    {
        enginetest::AllocationCounter::Scope scope;
        for (int i = 3; i < 10; ++i) oneTick(2000 + 22 * static_cast<uint32_t>(i));
        allocations = scope.Allocations();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(kernel->TotalTime, 0);
}

TEST_F(KernelTest, FormsAreDrawnOnlyUnderAPlainFocusedForm) {
    kernel->SetCondition(ck_Interface);
    auto special = std::make_unique<CountingForm>();
    special->Name = "Special";
    special->Create(kernel.get(), 0);
    kernel->FocusForm = special.get();
    kernel->AttachInterface(std::move(special));
    kernel->Draw();
    EXPECT_EQ(form->draws, 0);  // the focus is an heir, not a plain form
    kernel->FocusForm = kernel->FindChild("Focus");
    kernel->Draw();
    EXPECT_EQ(form->draws, 1);
}
