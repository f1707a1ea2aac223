// Behaviours: order installation and the simple movers (ship, projectile, orbit, vertical
// shot, monsters, ball guard, animation end, brick spawner, timed life, area effect).
#include "ObjectFixture.h"

#include "engine/gpFunctionObject.h"
#include "engine/gpMap.h"
#include "engine/gpWeapon.h"
#include "rtl/Numbers.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

using namespace engine;
using namespace engine::movers;
using enginetest::EventProbe;
using enginetest::FixedWeapon;

namespace {

// Runs an event's handler once, the first time the object runs that script event.
class HookProbe : public EventProbe {
public:
    std::function<void()> onCollision;

protected:
    void RunEvent(TObjectEvent event) override {
        EventProbe::RunEvent(event);
        if (event == TObjectEvent::OnCollision && onCollision) std::exchange(onCollision, nullptr)();
    }
};

class Movers : public enginetest::ObjectFixture {
protected:
    static constexpr int32_t kShip = 100, kShot = 7, kPiercing = 10, kSpawner = 13, kGuard = 101, kArea = 102,
                             kSpecial = 112, kTimed = 103, kFlat = 14;

    Movers() {
        Class(kShip, {.minSpeed = 1, .maxSpeed = 20});
        Class(kMonster, {.minSpeed = 4, .maxSpeed = 20});
        Class(kShot, {.minSpeed = 1, .maxSpeed = 8});
        Class(kPiercing, {.minSpeed = 1, .maxSpeed = 8});
        Class(kBrick, {.toughness = 3, .priceForDeath = 10});
        Class(kSpecial, {.toughness = 3});
        Class(kFlat, {}, {.patternWidth = 0, .patternHeight = 16});
        Class(kBall, {.minSpeed = 2, .maxSpeed = 10});
        Class(kGuard, {.maxSpeed = 5, .addParamInt1 = 1000});
        Class(kTimed, {.addParamInt1 = 10});
        Class(kArea, {.addParamInt1 = 1, .addParamInt2 = 2}, {.patternWidth = 64, .patternHeight = 64, .baseRight = 64,
                                                            .baseBottom = 64});
        Class(kSpawner, {.addParamInt1 = kBrick, .addParamInt2 = 1});
        Commit();
    }

    // One tick of the object's move step.
    static void Tick(TGPObject* o, int n = 1) {
        for (int i = 0; i < n; ++i) o->Move(0, {}, nullptr);
    }
};

}  // namespace

TEST_F(Movers, TheKindTableLeavesTheCollisionMoversToTheirUnits) {
    EXPECT_EQ(OrderRoutine(0), &ShipControl);
    EXPECT_EQ(OrderRoutine(14), &AreaEffect);
    EXPECT_EQ(OrderRoutine(15), nullptr);
    EXPECT_EQ(OrderRoutine(-1), nullptr);
    EventProbe* o = Make(2, kShip, 100, 100);
    o->SetOrder(13, 0, 0, 0, 13);
    ASSERT_NE(o->Orders, nullptr);
    EXPECT_EQ(o->Orders->State, kOrderLasting);
    o->ClearOrders();  // a lasting order stays
    EXPECT_NE(o->Orders, nullptr);
    o->DropOrders();
    EXPECT_EQ(o->Orders, nullptr);
}

TEST_F(Movers, ShipThrustAndTheDriftCycleAtTheRightEdge) {
    EventProbe* free = Make(2, kShip, 200, 200);
    free->DriftX = free->DriftY = 0;
    free->SetOrder(0, 0, 0, 1, 0);
    Tick(free);
    EXPECT_NEAR(free->DriftX, 0.07071, 1e-9);  // heading 0 pushes along +X
    EXPECT_NEAR(free->DriftY, 0.0, 1e-9);
    EXPECT_EQ(free->Orders->B, 0);  // the input holds for one tick

    // Held against the right edge: the drift builds while its whole part is 0, and is
    // zeroed on the tick the position has to be pushed back to the bound.
    EventProbe* ship = Make(2, kShip, kFieldWidth - 16, 200);
    ship->DriftX = ship->DriftY = 0;
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int tick = 1; tick <= 7; ++tick) {
            ship->SetOrder(0, 0, 0, 1, 0);
            Tick(ship);
            EXPECT_NEAR(ship->DriftX, 0.07071 * tick, 1e-9) << "tick " << tick;
            EXPECT_EQ(ship->GetX(), kFieldWidth - 16);
        }
        ship->SetOrder(0, 0, 0, 1, 0);
        Tick(ship);
        EXPECT_EQ(ship->DriftX, 0.0);
        EXPECT_EQ(ship->GetX(), kFieldWidth - 16);
    }
}

TEST_F(Movers, AShipTurningForeverKeepsItsHeadingInOneTurn) {
    EventProbe* ship = Make(2, kShip, 200, 200);
    for (int tick = 0; tick < 20000; ++tick) {
        ship->SetOrder(0, 0, 1, 0, 0);
        Tick(ship);
        ASSERT_GE(ship->Heading, 0);
        ASSERT_LE(ship->Heading, 255);
    }
    EXPECT_NEAR(ship->TurnRate, 1000.0, 1e-6);  // the rate grew far past one turn per tick
}

TEST_F(Movers, AProjectileNearTheLeftEdgeDiesUnlessItMovesRight) {
    EventProbe* still = Make(5, kShot, 20, 100);
    EventProbe* right = Make(5, kShot, 20, 120);
    still->DriftX = 0;
    still->DriftY = 0;
    right->DriftX = 1;
    right->DriftY = 0;
    still->SetOrder(1, 0, 0, 0, 1);
    right->SetOrder(1, 0, 0, 0, 1);
    Tick(still);
    Tick(right);
    EXPECT_FALSE(still->InPlay());
    EXPECT_TRUE(right->InPlay());
    EXPECT_EQ(right->GetX(), 21);
}

TEST_F(Movers, AProjectileStrikesWithItsWeaponOnlyWhileTheWeaponIsStillItsOwn) {
    EventProbe* paddle = Make(3, kPaddle, 100, 400);
    EventProbe* brick = Make(0, kBrick, 200, 100);
    FixedWeapon weapon;
    weapon.damage = 1;
    EventProbe* shot = Make(5, kShot, 190, 100);
    shot->SetShotLinks(&weapon, paddle);
    shot->DriftX = 4;
    shot->DriftY = 0;
    shot->SetOrder(1, 0, 0, 0, 1);
    Tick(shot);
    EXPECT_EQ(brick->HitPoints, 2);
    EXPECT_FALSE(shot->InPlay());

    // The weapon went back to its pool since the shot was fired: the link is gone and the
    // shot flies through.
    EventProbe* late = Make(5, kShot, 190, 100);
    late->SetShotLinks(&weapon, paddle);
    weapon.NextGeneration();
    late->DriftX = 4;
    late->DriftY = 0;
    late->SetOrder(1, 0, 0, 0, 1);
    Tick(late);
    EXPECT_EQ(brick->HitPoints, 2);
    EXPECT_TRUE(late->InPlay());
    EXPECT_EQ(late->ShotWeapon(), nullptr);
}

TEST_F(Movers, VerticalShotsStrikeOrPierce) {
    FixedWeapon weapon;
    EventProbe* brick = Make(0, kBrick, 200, 100);
    EventProbe* shot = Make(5, kShot, 200, 120);
    shot->SetShotLinks(&weapon, nullptr);
    shot->SetOrder(6, 0, 0, 0, 6);
    shot->SetDGCSpeed(8);
    shot->SetDGCDirection(192);
    Tick(shot);
    EXPECT_FALSE(shot->InPlay());
    EXPECT_TRUE(brick->InPlay());  // struck, not removed
    EXPECT_EQ(brick->Count(TObjectEvent::OnCollision), 1);
    EXPECT_EQ(Shared().Score, 10);

    // The piercing shot removes a brick outright and flies on; a special brick stops it.
    EventProbe* pierce = Make(5, kPiercing, 200, 120);
    pierce->SetShotLinks(&weapon, nullptr);
    pierce->SetOrder(6, 0, 0, 0, 6);
    pierce->SetDGCSpeed(8);
    pierce->SetDGCDirection(192);
    Tick(pierce);
    EXPECT_FALSE(brick->InPlay());
    EXPECT_TRUE(pierce->InPlay());
    EXPECT_EQ(Shared().Score, 10);
    EventProbe* special = Make(0, kSpecial, 200, 80);
    Tick(pierce, 3);
    EXPECT_TRUE(special->InPlay());
    EXPECT_FALSE(pierce->InPlay());
}

TEST_F(Movers, AMonsterCrossingTheLeftEdgeAndTheTurnLineReflectsOnlyHorizontally) {
    const int32_t turnLine = Shared().FloorLine - kMonsterTurnAbove;
    EventProbe* m = Make(2, kMonster, 2, turnLine - 16 - 1);
    m->SetOrder(10, 0, 0, 0, 10);  // random turn with no turn range: no steering
    m->SetDGCSpeed(5);
    m->SetDGCDirection(96);  // down and to the left
    Tick(m);
    EXPECT_EQ(m->GetX(), 0);
    EXPECT_EQ(m->Direction, 32);
    EXPECT_GT(m->GetY() + 16, turnLine);  // the turn line waits for the next tick
    Tick(m);
    EXPECT_EQ(m->GetY(), turnLine - 16);
    EXPECT_EQ(m->Direction, 256 - 32);
}

TEST_F(Movers, HomingAimsAtTheFirstBallWithinOneTurn) {
    EventProbe* ball = Make(4, kBall, 400, 200);
    EventProbe* m = Make(2, kMonster, 200, 200);
    m->SetOrder(9, 0, 0, 0, 9);
    m->TimerCount = 150;
    m->SetDGCSpeed(4);
    Tick(m);
    EXPECT_EQ(m->Direction, 40);  // straight right is a whole turn: 256 + 40
    ball->Kind |= kind::RandomRide;
    rtl::RandSeed = 7;
    Tick(m);
    EXPECT_GE(m->Direction, 40 - 2);
    EXPECT_LE(m->Direction, 40 + 2);
}

TEST_F(Movers, AGuardFollowsTheFirstOfEqualDistancesAndTimesOut) {
    Make(4, kBall, 100, 300);
    Make(4, kBall, 400, 300);
    EventProbe* guard = Make(2, kGuard, 250, 300);
    guard->SetOrder(8, 0, 0, 0, 8);
    Tick(guard);
    EXPECT_EQ(guard->GetY(), Shared().FloorLine - 16 / 4 - 10);
    EXPECT_EQ(guard->GetX(), 245);  // toward the first ball, at most its maximum speed

    // The class timer's count in the high half: past 32767 it still counts.
    guard->Template->AddParamInt1 = static_cast<int32_t>((40000u << 16) | 50000u);
    Tick(guard);
    EXPECT_EQ(ClassTimerCount(*guard->Template), 40001);
    guard->Template->AddParamInt1 = static_cast<int32_t>((65535u << 16) | 65535u);
    Tick(guard);
    EXPECT_FALSE(guard->InPlay());
    EXPECT_EQ(ClassTimerCount(*guard->Template), 0);
}

TEST_F(Movers, TimedLifeDropsEveryOrderAndTheCountSaturates) {
    EventProbe* o = Make(2, kTimed, 100, 100);
    const int used = kernel->OrderPool->UsedCount();
    o->SetOrder(13, 0, 0, 0, 13);
    // Duration 10 at difficulty 1 (factor 1.1): runs out at a count of 10.
    for (int tick = 0; tick < 10; ++tick) {
        Tick(o);
        ASSERT_TRUE(o->InPlay()) << tick;
    }
    Tick(o);
    EXPECT_FALSE(o->InPlay());
    EXPECT_EQ(kernel->OrderPool->UsedCount(), used);  // the lasting order went too
    EXPECT_EQ(ClassTimerCount(*o->Template), 0);

    EventProbe* endless = Make(2, kTimed, 100, 100);
    endless->Template->AddParamInt1 = static_cast<int32_t>(0xFFFF0000u);  // duration 0, count 65535
    ClassTimerStep(*endless);
    EXPECT_EQ(ClassTimerCount(*endless->Template), 65535);
}

TEST_F(Movers, ASpawnerAtTheRightEdgeMakesOneBrickAndAtTheLeftARow) {
    EventProbe* edge = Make(0, kSpawner, kFieldWidth - 16, 100);
    edge->SetOrder(12, 0, 0, 0, 12);
    Tick(edge);
    EXPECT_FALSE(edge->InPlay());
    ASSERT_EQ(Nation(0)->Objects.Count(), 1);
    EXPECT_EQ(Nation(0)->Objects.First()->IDClass, kBrick);
    EXPECT_EQ(Nation(0)->Objects.First()->GetX(), kFieldWidth - 16);

    EventProbe* row = Make(0, kSpawner, 0, 200);
    row->SetOrder(12, 0, 0, 0, 12);
    Tick(row);
    int inRow = 0;
    for (TGPObject* b : Nation(0)->Objects) inRow += b->GetY() == 200;
    EXPECT_EQ(inRow, kFieldWidth / 16);
}

TEST_F(Movers, ASpawnerOfBricksWithoutWidthOrWithNothingToCopyStops) {
    EventProbe* flat = Make(0, kSpawner, 0, 100);
    flat->Template->AddParamInt1 = kFlat;
    flat->SetOrder(12, 0, 0, 0, 12);
    Tick(flat);
    ASSERT_EQ(Nation(0)->Objects.Count(), 1);
    Nation(0)->Objects.KillAll();

    EventProbe* lonely = Make(0, kSpawner, 0, 100);
    lonely->Template->AddParamInt1 = 0;  // copies a brick on the field: there is none
    lonely->SetOrder(12, 0, 0, 0, 12);
    EXPECT_NO_THROW(Tick(lonely));
    EXPECT_EQ(Nation(0)->Objects.Count(), 0);
}

TEST_F(Movers, AnAnimationEndLoadsTheNextStateWithoutTouchingTheOrderItReplaced) {
    EventProbe* o = Make(2, kShip, 100, 100);
    o->Kind |= kind::Hidden;
    o->SetOrder(11, 0, 0, 0, 11);
    Tick(o);
    EXPECT_EQ(o->CurrentSlide->IDCondition, 4);
    EXPECT_EQ(o->Kind & kind::Hidden, 0);
}

TEST_F(Movers, AnAreaTurnsTheBallsInsideItAndSurvivesAKillDuringItsWalk) {
    Nation(2)->ObjectFactory = [] { return std::make_unique<HookProbe>(); };
    auto* area = static_cast<HookProbe*>(Make(2, kArea, 200, 200));
    area->CurrentSlide->SendValue = (30 << 24) | (10 << 16);
    EventProbe* first = Make(4, kBall, 210, 210);
    EventProbe* second = Make(4, kBall, 230, 210);
    // Striking the area runs its script: here it sends the other ball away.
    area->onCollision = [&] {
        (first->Kind & 0x20000 ? second : first)->SetDead(true);
    };
    area->SetOrder(14, 0, 0, 0, 14);
    Tick(area);
    EventProbe* turned = first->InPlay() ? first : second;
    EventProbe* gone = first->InPlay() ? second : first;
    EXPECT_EQ(turned->Kind & 0x20000, 0x20000);
    EXPECT_EQ(turned->Kind & kind::DifficultySpeed, kind::DifficultySpeed);
    EXPECT_EQ(turned->TurnLimit, 30);
    EXPECT_LE(std::abs(static_cast<int16_t>(turned->TurnWord & 0xFFFF)), 10);
    EXPECT_EQ(turned->TurnWord >> 16, (30 << 8) | 10);
    EXPECT_FALSE(gone->InPlay());
    EXPECT_EQ(gone->Kind & 0x20000, 0);  // back in its pool: left alone
    EXPECT_EQ(gone->TurnLimit, 0);
}

TEST_F(Movers, AnOrbitKeepsItsAngleWithinOneTurn) {
    EventProbe* o = Make(2, kShip, 100, 100);
    o->OrbitCentreX = 200;
    o->OrbitCentreY = 200;
    o->OffsetX = 50;
    o->OffsetY = 30;
    o->OrbitStep = 300;
    o->SetOrder(2, 0, 0, 0, 2);
    Tick(o, 10);
    EXPECT_GE(o->Angle, -256.0);
    EXPECT_LT(o->Angle, 256.0);
    EXPECT_TRUE(o->InPlay());
}

TEST_F(Movers, SteadyMoversAllocateNothing) {
    for (int i = 0; i < 6; ++i) {
        EventProbe* m = Make(2, kMonster, 40 + 60 * i, 100 + 20 * i);
        m->SetOrder(i % 2 ? 7 : 10, 0, 0, 0, 7);
        m->SetDGCSpeed(5);
        m->SetDGCDirection(37 * i);
    }
    EventProbe* ship = Make(2, kShip, 300, 300);
    ship->SetOrder(0, 0, 1, 1, 0);
    Make(4, kBall, 210, 210);
    Make(2, kArea, 200, 200)->SetOrder(14, 0, 0, 0, 14);
    Make(2, kGuard, 100, 400)->SetOrder(8, 0, 0, 0, 8);
    // The cells' lists grow to the most objects they ever held: give them that room first,
    // so that only the movers are measured.
    for (int c = 0; c < map->CellCount(); ++c) {
        auto& objects = map->Cells->Get(c)->Objects;
        const int held = objects.Count();
        for (int i = 0; i < 16; ++i) objects.Add(nullptr);
        while (objects.Count() > held) objects.Delete(objects.Count() - 1);
    }
    for (int tick = 0; tick < 20; ++tick) Nation(2)->Move(0, {}, nullptr);
    enginetest::AllocationCounter::Scope scope;
    for (int tick = 0; tick < 50; ++tick) Nation(2)->Move(0, {}, nullptr);
    EXPECT_EQ(scope.Allocations(), 0);
}
