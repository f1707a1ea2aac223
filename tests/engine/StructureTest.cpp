#include "engine/gpKernel.h"
#include "rtl/Numbers.h"
#include "engine/gpSprite.h"
#include "engine/gpStructure.h"
#include "engine/gpEffects.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

#include <set>

using namespace engine;

namespace {

struct Counting {
    int begin = 0, step = 0, end = 0;
    void Hook(TGPStructure& s) {
        s.OnGPBeginVibration = [this](TObject*) { ++begin; };
        s.OnGPVibration = [this](TObject*) { ++step; };
        s.OnGPEndVibration = [this](TObject*) { ++end; };
    }
};

void Moves(TGPStructure& s, int n) {
    for (int i = 0; i < n; ++i) s.Move(0, {}, nullptr);
}

}  // namespace

TEST(Vibration, StepsOnEveryPeriodPlusSecondMoveAndSwitchesBetweenBeginAndEnd) {
    TGPStructure s;
    s.Create(nullptr, 0);
    Counting c;
    c.Hook(s);
    s.SetParam(108, 1);
    s.SetParam(100, 1);
    EXPECT_EQ(c.begin, 1);
    Moves(s, 6);  // period 0: a step on every second call
    EXPECT_EQ(c.step, 3);
    s.SetParam(100, 1);  // already on: restarts and reports an end, not a begin
    EXPECT_EQ(c.begin, 1);
    EXPECT_EQ(c.end, 1);
    s.SetParam(100, 0);
    EXPECT_EQ(c.end, 2);
    Moves(s, 4);
    EXPECT_EQ(c.step, 3);
}

TEST(Vibration, PeriodTwoHundredFiftyFiveStillStepsAndModeTwoSwitchesOff) {
    TGPStructure s;
    s.Create(nullptr, 0);
    Counting c;
    c.Hook(s);
    s.SetParam(101, 255);
    s.SetParam(107, 1);
    s.SetParam(108, 2);
    s.SetParam(100, 1);
    Moves(s, 257);
    EXPECT_EQ(c.step, 1);  // the 257th call steps
    EXPECT_EQ(s.Vibration.On, 1);
    Moves(s, 257);  // the second step finds MaxSteps reached and switches off
    EXPECT_EQ(s.Vibration.On, 0);
    EXPECT_EQ(c.end, 1);
}

TEST(Vibration, ModeThreeDecaysAndSwitchesItselfOff) {
    TGPStructure s;
    s.Create(nullptr, 0);
    InitVibration(0, 0, 5, 5, 0.8, 0.8, 0, 3, s.Vibration);
    s.SetParam(100, 1);  // resets CurX/CurY to the amplitudes
    Moves(s, 2);
    EXPECT_NEAR(s.Vibration.CurX, 4.2, 1e-9);
    Moves(s, 2);
    EXPECT_NEAR(s.Vibration.CurY, 3.4, 1e-9);
    EXPECT_LE(std::abs(s.Vibration.OffsetX), 4);
    Moves(s, 40);
    EXPECT_EQ(s.Vibration.On, 0);
    EXPECT_GT(s.Vibration.CurX, 0.0);
    EXPECT_THROW(s.SetParam(108, 256), rtl::ERangeError);
}

TEST(Structure, KindFlagsAndOwnerLinks) {
    TGPStructure s;
    std::vector<int32_t> heard;
    s.OnGPSetKind = [&](TObject*, int32_t v) { heard.push_back(v); };
    s.SetKind(0x80000 | 0x10);
    s.SetKind(-0x80000);
    s.SetKind(0);
    EXPECT_EQ(s.Kind, 0x10);
    EXPECT_EQ(heard, (std::vector<int32_t>{0x80010, -0x80000, 0}));


    enginetest::HeadlessDisplay display;
    TGPKernel kernel(&display, nullptr, nullptr);
    EXPECT_EQ(kernel.Kernel, &kernel);  // the kernel is its own kernel
    TGPStructure child, grandchild, stray;
    child.Create(&kernel, 0);
    grandchild.Create(&child, 0);
    EXPECT_EQ(grandchild.Kernel, &kernel);
    EXPECT_EQ(grandchild.Owner, &child);
    stray.Create(nullptr, 0);
    EXPECT_EQ(stray.Kernel, nullptr);
}

TEST(Structure, EventBindingsKeepTheFirstPerKindAndEventAndBindByScope) {
    TGPStructure nation;
    int first = 0, second = 0, moved = 0;
    nation.AddEventBinding(2, 12, 2, 0, [&](TObject*) { ++first; });
    nation.AddEventBinding(2, 13, 2, 0, [&](TObject*) { ++second; });
    nation.AddEventBinding(2, 0, 5, 2, [&](TObject*) { ++moved; });
    nation.AddEventBinding(2, 0, 9, 2, [&](TObject*) {});
    EXPECT_EQ(nation.BindingCount(), 3);
    TGPStructure brick, ball;
    brick.IDClass = 12;
    ball.IDClass = 62;
    nation.BindEvents(2, brick);
    nation.BindEvents(2, ball);
    nation.BindEvents(1, ball);
    ASSERT_TRUE(brick.OnGPVibration);
    brick.OnGPVibration(&brick);
    EXPECT_EQ(first, 1);
    EXPECT_FALSE(ball.OnGPVibration);  // class-bound, not every class
    ASSERT_TRUE(ball.OnGPMove);
    ball.OnGPMove(&ball);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(second, 0);
}

TEST(Structure, NamedChildrenAreFoundIgnoringCaseAndNamesStayUnique) {
    TGPStructure parent;
    EXPECT_EQ(parent.ChildCount(), 0);
    EXPECT_THROW(parent.GetChild(0), rtl::EListError);
    auto a = std::make_unique<TGPStructure>();
    a->Name = "MainPanel";
    TGPStructure* pa = a.get();
    parent.AttachInterface(std::move(a));
    EXPECT_EQ(parent.FindChild("mainpanel"), pa);
    EXPECT_EQ(parent.FindChild(""), nullptr);
    auto b = std::make_unique<TGPStructure>();
    b->Name = "MAINPANEL";
    try {
        parent.AttachInterface(std::move(b));
        FAIL() << "duplicate accepted";
    } catch (const rtl::EComponentError& e) {
        EXPECT_EQ(e.message(), "A component named MAINPANEL already exists");
    }
    EXPECT_EQ(parent.ChildCount(), 1);
    try {
        parent.GetChild(3);
        FAIL();
    } catch (const rtl::EListError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (3)");
    }
}

TEST(Structure, ClearHandsChildSpritesBackEvenWhenThePoolKeepsThemListed) {
    enginetest::HeadlessDisplay display;
    TGPKernel kernel(&display, nullptr, nullptr);
    TGPStructure holder;
    holder.Create(&kernel, 0);
    holder.ChildSprites = std::make_unique<TListStructure>();
    // Not phantoms: the pool ignores them and does not unlink them from the list.
    TGPStructure a, b;
    holder.ChildSprites->AddUnique(&a);
    EXPECT_EQ(holder.ChildSprites->AddUnique(&a), -1);
    holder.ChildSprites->AddUnique(&b);
    int pushed = 0;
    kernel.OnPUSH = [&](TObject*) { ++pushed; };
    holder.Clear();  // ends: each sprite is taken off first
    EXPECT_EQ(pushed, 2);
    EXPECT_TRUE(holder.ChildSprites->Empty());

    TListStructure list;
    TGPStructure plain;
    plain.Create(&kernel, 0);
    list.Add(&plain);
    EXPECT_THROW(list.ReleaseAll(), rtl::ERangeError);
    EXPECT_TRUE(list.Empty());
}

TEST(Structure, PhantomsOwnedByAStructureReturnToTheirPoolOnClear) {
    enginetest::EmptyPools();
    enginetest::HeadlessDisplay display;
    TGPKernel kernel(&display, nullptr, nullptr);
    auto* p = dynamic_cast<TGPPhantom*>(kernel.CreateObject(1, &kernel, false, 8));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(kernel.ChildSprites->Contains(p));
    kernel.TGPStructure::Clear();
    EXPECT_TRUE(kernel.ChildSprites->Empty());
    EXPECT_TRUE(PhantomPool().Holds(p));
    EXPECT_EQ(kernel.CreateObject(1, &kernel, false, 8), p);  // reused
    EXPECT_NE(kernel.CreateObject(1, &kernel, false, 8), p);  // a second one is new
}

TEST(Vibration, SwitchHookSeesTheOldStateAndTheNewValueAndCanCount) {
    TGPStructure s;
    s.Create(nullptr, 0);
    Counting c;
    c.Hook(s);
    struct Call {
        bool wasOn;
        uint8_t newOn;
        int32_t countBefore;
    };
    std::vector<Call> calls;
    s.OnSwitchVibration = [&](TObject* sender, bool wasOn, uint8_t newOn, int32_t& count) {
        EXPECT_EQ(sender, &s);
        calls.push_back({wasOn, newOn, count});
        ++count;  // by reference: the structure keeps it
    };
    s.SetParam(100, 3);
    s.SetParam(100, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(!calls[0].wasOn && calls[0].newOn == 3 && calls[0].countBefore == 0);
    EXPECT_TRUE(calls[1].wasOn && calls[1].newOn == 0 && calls[1].countBefore == 1);
    EXPECT_EQ(s.Vibration.Count, 2);
    EXPECT_EQ((std::vector<int>{c.begin, c.end}), (std::vector<int>{1, 1}));

    // 111 switches through the hook with no events and no reset.
    s.SetParam(102, 9);
    s.Vibration.Counter = 4;
    s.Vibration.OffsetX = 2;
    s.SetParam(111, 1);
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(s.Vibration.On, 1);
    EXPECT_EQ((std::vector<int>{c.begin, c.end}), (std::vector<int>{1, 1}));
    EXPECT_EQ(s.Vibration.Counter, 4);
    EXPECT_EQ(s.Vibration.OffsetX, 2);
    s.SetParam(111, 0);
    EXPECT_EQ(s.Vibration.On, 0);
    EXPECT_EQ(c.end, 1);

    // 109 names the structure that caused the shake, again without a reset; 110 does nothing.
    TGPStructure cause;
    s.SetParam(109, reinterpret_cast<intptr_t>(&cause));
    EXPECT_EQ(s.Vibration.Target, &cause);
    EXPECT_EQ(s.Vibration.Counter, 4);
    const TVibration before = s.Vibration;
    s.SetParam(110, 77);
    EXPECT_EQ(s.Vibration.Counter, before.Counter);
    EXPECT_EQ(s.Vibration.Target, &cause);
    EXPECT_EQ(calls.size(), 4u);
    // Switching off forgets the cause; switching on keeps it.
    s.SetParam(100, 1);
    EXPECT_EQ(s.Vibration.Target, &cause);
    s.SetParam(100, 0);
    EXPECT_EQ(s.Vibration.Target, nullptr);
    EXPECT_EQ(s.Vibration.Counter, 0);  // 100 resets
}

TEST(Vibration, ModeOneOffsetsFollowTheGeneratorExactly) {
    TGPStructure s;
    s.Create(nullptr, 0);
    InitVibration(0, 0, 5, 3, 0, 0, 0, 1, s.Vibration);
    s.SetParam(100, 1);
    // The generator by its formula: seed := seed * $08088405 + 1, r := (seed * n) >> 32;
    // the offset is r below n div 2, else -r.
    uint32_t seed = 2024;
    auto next = [&seed](int32_t n) {
        seed = seed * 0x08088405u + 1u;
        const auto r = static_cast<int32_t>((uint64_t{seed} * static_cast<uint32_t>(n)) >> 32);
        return r < n / 2 ? r : -r;
    };
    rtl::RandSeed = 2024;
    std::vector<std::pair<int32_t, int32_t>> seen, expected;
    for (int step = 0; step < 12; ++step) {
        Moves(s, 2);  // period 0: one step every second move
        seen.push_back({s.Vibration.OffsetX, s.Vibration.OffsetY});
        const int32_t x = next(5);
        expected.push_back({x, next(3)});
    }
    EXPECT_EQ(seen, expected);
    for (auto [x, y] : seen) {
        EXPECT_TRUE(x == 0 || x == 1 || x == -2 || x == -3 || x == -4) << x;
        EXPECT_TRUE(y == 0 || y == -1 || y == -2) << y;
    }
}
