// The falling prize and its effects: turning down, the touch on the last tick, letters,
// the effects that count or repeat, and one table over every effect code.
#include "BehaviourFixture.h"

#include "engine/gpGeneralObject.h"
#include "engine/gpNation.h"

#include <functional>
#include <set>

using namespace engine;
using enginetest::EventProbe;

namespace {

class PrizeEffects : public enginetest::BehaviourFixture {
protected:
    // A prize of class id whose drop-table row carries code.
    EventProbe* Prize(int32_t id, int32_t code, int32_t x = 300, int32_t y = 200) {
        Shared().DropTable.push_back({1, -2, -1, code, id});
        EventProbe* p = Make(1, id, x, y);
        p->SetOrder(5, -1, -1, -1, 5);
        return p;
    }
    int Count(int32_t key, int32_t id = -1) {
        int n = 0;
        if (TGPNation* nation = kernel->FindNation(key))
            for (TGPObject* o : nation->Objects) n += id == -1 || o->IDClass == id;
        return n;
    }
    void Tick(TGPObject* o) { o->Move(0, TRect{}, nullptr); }
};

TEST_F(PrizeEffects, ItTurnsDownTwoStepsATickThroughZeroAndSnapsNearStraightDown) {
    EventProbe* prize = Prize(42, 0);
    prize->SetDGCDirection(200);
    std::set<int32_t> seen;
    int ticks = 0;
    while (prize->Direction != 64 && ticks < 100) {
        Tick(prize);
        seen.insert(prize->Direction);
        ++ticks;
    }
    EXPECT_EQ(ticks, 59);
    EXPECT_TRUE(seen.count(254) && seen.count(0) && seen.count(2));
    EXPECT_EQ(seen.count(62), 0u);  // 60 snaps to 64
}

TEST_F(PrizeEffects, ATouchOnTheTickItWouldLeaveIsApplied) {
    EventProbe* paddle = Paddle(200);
    EventProbe* prize = Prize(42, 0, 210, 486);
    prize->MaxSpeedFx = FixedFromReal(6);
    prize->SetDGCSpeed(6);
    prize->SetDGCDirection(64);
    const uint16_t g = prize->Generation();
    Tick(prize);  // its top passes the floor line while it overlaps the paddle
    EXPECT_TRUE(Gone(prize, g));
    EXPECT_EQ(Shared().Score, 7);
    (void)paddle;

    // Without the paddle it is simply lost.
    EventProbe* lost = Prize(43, 0, 400, 486);
    lost->MaxSpeedFx = FixedFromReal(6);
    lost->SetDGCSpeed(6);
    lost->SetDGCDirection(64);
    const uint16_t g2 = lost->Generation();
    Tick(lost);
    EXPECT_TRUE(Gone(lost, g2));
    EXPECT_EQ(Shared().Score, 7);
}

TEST_F(PrizeEffects, LettersCountOnceAndAFullWordGivesLives) {
    EventProbe* paddle = Paddle(200);
    Shared().Letters.set(0);
    EXPECT_TRUE(ApplyBonus(nullptr, paddle, *Prize(kLetter, 33)));
    EXPECT_EQ(Shared().Letters.count(), 1u);  // held already: it only scores
    EXPECT_EQ(Shared().Score, 7);
    for (int32_t id = 125; id <= 130; ++id) ApplyBonus(nullptr, paddle, *Prize(id, 33));
    EXPECT_EQ(Shared().Letters.count(), 0u);
    EXPECT_EQ(Shared().LivesGained, 3);
}

TEST_F(PrizeEffects, LettersLiveInTheLettersVariableTheHeadsUpDisplayShows) {
    EventProbe* paddle = Paddle(200);
    kernel->Data->AddField(nullptr, ftArray, kernel->KernelRecord.Prizes);
    // A loaded game holds letters 124 and 125: the next letter dropped is 126.
    kernel->KernelRecord.Prizes->WriteValue(0);
    kernel->KernelRecord.Prizes->WriteValue(1);
    Shared().DropTable.push_back({1, 0, 1000, 33, kLetter});
    EventProbe* brick = Make(0, kBrick, 40, 40);
    EXPECT_EQ(brick->PickBonus(500), 126);
    ApplyBonus(nullptr, paddle, *Prize(126, 33));
    ASSERT_EQ(FieldCount(kernel->KernelRecord.Prizes), 3);
    EXPECT_EQ(kernel->KernelRecord.Prizes->ReadItem(2), 2);
    for (int32_t id = 127; id <= 130; ++id) ApplyBonus(nullptr, paddle, *Prize(id, 33));
    // The word is full: three lives, and the row of letters starts again.
    EXPECT_EQ(FieldCount(kernel->KernelRecord.Prizes), 0);
    EXPECT_EQ(Shared().LivesGained, 3);
    EXPECT_EQ(Shared().Letters.count(), 0u);
}

TEST_F(PrizeEffects, ANonLetterWithTheLetterCodeOnlyScores) {
    EventProbe* paddle = Paddle(200);
    EXPECT_TRUE(ApplyBonus(nullptr, paddle, *Prize(42, 33)));
    EXPECT_EQ(Shared().Letters.count(), 0u);
}

TEST_F(PrizeEffects, ShowersComeOnlyWhileTheFieldHoldsNineOrFewer) {
    EventProbe* paddle = Paddle(200);
    for (int i = 0; i < 9; ++i) Make(1, 43, 20 * i, 100);
    ApplyBonus(nullptr, paddle, *Prize(42, 29));  // ten with the prize itself
    EXPECT_EQ(Count(1, 46), 0);
    kernel->FindNation(1)->Objects.First()->SetDead(true);  // eight left, nine with the next prize
    ApplyBonus(nullptr, paddle, *Prize(42, 29));
    EXPECT_EQ(Count(1, 46), 6);
}

TEST_F(PrizeEffects, UpsideDownTwiceDoesNothingMore) {
    EventProbe* paddle = Paddle(200);
    Make(2, kMonster, 100, 100);
    map->Kind |= 0x1000;
    ApplyBonus(nullptr, paddle, *Prize(42, 27));
    EXPECT_TRUE(Shared().UpsideDown);
    EXPECT_EQ(Count(2), 0);
    EXPECT_FALSE(map->Kind & 0x1000);
    Make(2, kMonster, 100, 100);
    EXPECT_TRUE(ApplyBonus(nullptr, paddle, *Prize(43, 27)));
    EXPECT_EQ(Count(2), 1);
    EXPECT_EQ(Shared().Score, 14);  // both scored, the first although it went with its nation
}

TEST_F(PrizeEffects, WithoutAPlayerObjectOrAPaddleInReachNothingBreaks) {
    EventProbe* prize = Prize(42, 3);
    TListGPObject none;
    EXPECT_FALSE(ApplyBonus(&none, nullptr, *prize));
    EventProbe* paddle = Make(3, kPaddle, 200, kFloor);  // no player object set
    EXPECT_TRUE(ApplyBonus(nullptr, paddle, *prize));
}

// Every effect code: the prize is applied, scored and gone, and the effect shows.
TEST_F(PrizeEffects, EveryEffectCode) {
    struct World {
        EventProbe* paddle;
        EventProbe* ball;
        EventProbe* ball2;
        EventProbe* monster;
        EventProbe* brick;
        uint16_t brickGeneration = 0;
        int endLives = 0;
        int splinters = 0;
    };
    using Check = std::function<void(World&)>;
    struct Row {
        int code;
        Check check;
    };
    auto kind = [](TGPObject* o, int32_t bits) { return (o->Kind & bits) == bits; };
    const std::vector<Row> rows = {
        {0, [&](World& w) { EXPECT_TRUE(Gone(w.brick, w.brickGeneration)); }},  // the area on the paddle cleared
        {1, [&](World& w) { EXPECT_EQ(w.splinters, 1); }},
        {2, [&](World& w) { EXPECT_EQ(w.ball->Column, 1); }},
        {3, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x2)); }},
        {4, [&](World& w) { EXPECT_EQ(w.ball->IDClass, 64); }},
        {5, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x4)); }},
        {6, [&](World& w) { EXPECT_TRUE(w.ball->IDClass == 63 && kind(w.ball, 0x4000)); }},
        {7, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x8)); }},
        {8, [&](World&) { EXPECT_EQ(Count(3, 2), 1); }},
        {9, [&](World&) { EXPECT_TRUE(map->Kind & 0x1000); }},
        {10, [&](World&) { EXPECT_EQ(Count(2), 0); }},
        {11, [&](World& w) { EXPECT_TRUE(w.brick->Vibration.On); }},
        {15, [&](World&) { EXPECT_EQ(Count(2), 2); }},
        {16, [&](World& w) { EXPECT_EQ(w.paddle->Column, 0); }},
        {17, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x10)); }},
        {19, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x20)); }},
        {20, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x40)); }},
        {21, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x400)); }},
        {22, [&](World& w) { EXPECT_TRUE(kind(w.ball, 0x40000)); }},
        {23, [&](World& w) { EXPECT_TRUE(kind(w.paddle, 0x200)); }},
        {24, [&](World&) { EXPECT_TRUE(map->Vibration.On); }},
        {25, [&](World&) { EXPECT_EQ(Count(2, 33), 1); }},
        {26, [&](World& w) { EXPECT_EQ(w.endLives, 1); }},
        {27, [&](World&) { EXPECT_TRUE(Shared().UpsideDown); }},
        {28, [&](World&) { EXPECT_EQ(Count(4, 69), 1); }},
        {29, [&](World&) { EXPECT_EQ(Count(1, 46), 6); }},
        {30, [&](World& w) { EXPECT_TRUE(kind(w.ball, 0x800)); }},
        {31, [&](World& w) { EXPECT_TRUE(w.ball->IDClass == 65 && kind(w.ball, 0x8000 | 0x4000)); }},
        {32, [&](World&) { EXPECT_EQ(Count(1, 43), 1); }},
        {33, [&](World&) { EXPECT_EQ(Shared().Letters.count(), 0u); }},
        {34, [&](World&) { EXPECT_EQ(Count(1, 61), 4); }},
        {35, [&](World&) { EXPECT_EQ(Count(2, 3), 1); }},
        {50, [&](World& w) { EXPECT_TRUE(kind(w.ball, 0x20000)); }},
        {52, [&](World& w) { EXPECT_FALSE(kind(w.paddle, 0x2)); }},
        {53, [&](World& w) { EXPECT_FALSE(kind(w.paddle, 0x4)); }},
        {54, [&](World& w) { EXPECT_FALSE(kind(w.paddle, 0x8)); }},
        {99, [&](World&) { EXPECT_EQ(Count(2), 3); }},  // no such code: it only scores
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        // A fresh field: a paddle with its riders' nation, two balls, three monsters (two
        // overlapping each other), a brick on the paddle.
        for (int32_t key : {0, 1, 2, 3, 4}) Nation(key)->Reset();
        map->Kind = 0;
        map->Vibration.On = 0;
        Shared().Reset();
        Shared().FloorLine = kFloor;
        Shared().MonsterTable = {{2, 0, 999, 0, 33}};
        Shared().DropTable = {{1, 0, 1000, 0, 43}};
        World w{};
        w.paddle = Paddle(200);
        w.paddle->Column = 1;
        w.ball = Ball(100, 100, 0);
        w.ball2 = Ball(150, 100, 0);
        w.monster = Make(2, kMonster, 300, 100);
        Make(2, kMonster, 300, 100);
        Make(2, kMonster, 400, 100);
        w.brick = Make(0, kBrick, 220, 480);
        w.brickGeneration = w.brick->Generation();
        kernel->OnGPEndLife = [&](TObject*) { ++w.endLives; };
        w.ball->OnGPSplinterEvent = [&](TObject*, TObject*, const std::vector<int32_t>& kinds,
                                        const std::vector<int32_t>& classes) {
            ++w.splinters;
            EXPECT_EQ(kinds, (std::vector<int32_t>{2, 2, 2}));
            EXPECT_EQ(classes, (std::vector<int32_t>{62, 62, 62}));
        };
        if (row.code == 52 || row.code == 53 || row.code == 54) w.paddle->Kind |= 0x2 | 0x4 | 0x8;
        const int32_t letter = row.code == 33 ? 130 : 42;
        if (row.code == 33) Shared().Letters = 0x3F;  // six letters held: the seventh completes the word
        EventProbe* prize = Prize(letter, row.code, 210, 470);
        const uint16_t g = prize->Generation();
        ASSERT_TRUE(ApplyBonus(nullptr, w.paddle, *prize));
        EXPECT_TRUE(Gone(prize, g));
        EXPECT_EQ(Shared().Score, 7);
        row.check(w);
    }
}

}  // namespace
