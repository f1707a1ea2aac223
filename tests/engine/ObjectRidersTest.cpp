// Game objects: riders on a carrier (the balls the paddle holds) and the kind bits the
// objects interpret.
#include "ObjectFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpWeapon.h"

using namespace engine;
using enginetest::EventProbe;

namespace {

// Counts its drawings.
class DrawCounter : public EventProbe {
public:
    void Draw() override {
        ++draws;
        TGPObject::Draw();
    }
    int draws = 0;
};

// Gives up (with an exception) after more kind changes than any release takes.
class BoundedKinds : public EventProbe {
public:
    void SetKind(int32_t value) override {
        if (++changes > 100) throw std::runtime_error("kind changed without end");
        EventProbe::SetKind(value);
    }
    int changes = 0;
};

class ObjectRiders : public enginetest::ObjectFixture {
protected:
    // A paddle 64 wide in state 4 ("Move") and balls 16 wide.
    ObjectRiders() {
        Class(kPaddle, {.idWeapon = "3\n5\n8\n6", .defaultSlide = 4},
              {.patternWidth = 64, .patternHeight = 16, .baseRight = 64, .baseBottom = 16});
        Class(kBall, {.minSpeed = 2, .maxSpeed = 10}, {.patternWidth = 16, .patternHeight = 16});
        Picture("Unit1_Move", datagen::SolidPicture(64, 16, 0x2080FF));
        Picture("Unit62_Birth", datagen::SolidPicture(16, 16, 0xFFFFFF));
        Commit();
        paddle = Make(3, kPaddle, 100, 400);
    }
    // A ball riding the paddle with its left edge at x.
    EventProbe* Rider(int32_t x) {
        EventProbe* ball = Make(4, kBall, x, 380);
        ball->SetOwner(paddle);
        ball->SetKind(kind::Riding);
        return ball;
    }
    EventProbe* paddle = nullptr;
};

}  // namespace

TEST_F(ObjectRiders, RidingNeedsAGameObjectAsCarrier) {
    EventProbe* ball = Make(4, kBall, 120, 300);
    ball->SetKind(kind::Riding);  // its owner is its nation
    EXPECT_EQ(ball->Kind, 0);
    EXPECT_EQ(paddle->RiderCount(), 0);
    ball->SetKind(-kind::Riding);  // nothing rides: nothing happens
    EXPECT_EQ(ball->GetY(), 300);

    ball->SetOwner(paddle);
    ball->SetKind(kind::Riding);
    EXPECT_EQ(ball->Kind, kind::Riding);
    EXPECT_EQ(paddle->Kind & kind::Carrier, kind::Carrier);
    EXPECT_EQ(ball->GetY(), 400 - 16 + 0);  // on the carrier: its Y less own height plus collision left
    EXPECT_EQ(ball->GetX(), 120);
    EXPECT_DOUBLE_EQ(ball->OffsetX, 20);
    EXPECT_EQ(paddle->AttachRider(ball), 1);  // already riding: its index + 1
    EXPECT_EQ(paddle->RiderCount(), 1);
    // Riders leave the map's index and are drawn by their carrier only.
    EXPECT_FALSE(map->Cells->Get(ball->CellCol + ball->CellRow * map->Cols)->Objects.Contains(ball));
}

TEST_F(ObjectRiders, ACarrierDrawsItsRidersAndTheNationDoesNot) {
    Nation(4)->ObjectFactory = [] { return std::make_unique<DrawCounter>(); };
    auto* ball = static_cast<DrawCounter*>(Rider(120));
    auto* free = static_cast<DrawCounter*>(Make(4, kBall, 300, 300));
    paddle->Kind |= kind::Stunned;  // a stunned paddle is still drawn
    Nation(3)->Draw();
    Nation(4)->Draw();
    EXPECT_EQ(ball->draws, 1);
    EXPECT_EQ(free->draws, 1);
}

TEST_F(ObjectRiders, ReleasedRidersLeaveUpwardsAndSidewaysByTheirPlace) {
    EventProbe* centre = Rider(124);  // its centre, 132, is the paddle's
    EventProbe* left = Rider(100);
    EventProbe* right = Rider(150);
    auto weapon = std::make_unique<enginetest::FixedWeapon>();
    paddle->Weapon = weapon.get();
    paddle->ReleaseRiders(true);
    paddle->Weapon = nullptr;
    EXPECT_EQ(weapon->fired, 1);
    EXPECT_EQ(paddle->RiderCount(), 0);  // all three left
    EXPECT_EQ(paddle->Kind & kind::Carrier, 0);
    for (EventProbe* b : {centre, left, right}) {
        EXPECT_EQ(b->Kind & (kind::Riding | kind::RandomRide), 0);
        EXPECT_EQ(b->SpeedFx, 2 * 65536);
        EXPECT_EQ(b->OrderPhase, 5);
    }
    EXPECT_EQ(centre->Direction, 224);  // vx = its minimum speed, vy = minus it: up and right
    EXPECT_GT(left->Direction, 128);
    EXPECT_LT(left->Direction, 160);   // up, and further to the left than 45 degrees
    EXPECT_GT(right->Direction, 224);  // up, and further to the right than the centre
    EXPECT_LT(right->Direction, 256);

    // A carrier without width lets go as from its centre; a paddle not in state 4 keeps them.
    EventProbe* again = Rider(60);
    paddle->Width = 0;
    paddle->ReleaseRiders(false);
    EXPECT_EQ(again->Direction, 224);
    Rider(60);
    paddle->LoadOneSlide(3);
    paddle->ReleaseRiders(false);
    EXPECT_EQ(paddle->RiderCount(), 1);
}

TEST_F(ObjectRiders, RidersWhoseLevelRecordRidesAreReleasedOnceAndTheRecordOnlySetsTheBit) {
    Nation(4)->ObjectFactory = [] { return std::make_unique<BoundedKinds>(); };
    TGPGObjHandle record(TGPGObj_1::Create());
    record->Retain();
    record->IDClass = kBall;
    record->AddParamInt2 = kind::Riding;  // P5: the ball rides
    record->MinSpeed = 2;
    record->MaxSpeed = 10;
    record->DefaultSlide = 1;
    EventProbe* a = Rider(110);
    EventProbe* b = Rider(140);
    record->AttachObject(*a);
    record->AttachObject(*b);
    paddle->ReleaseRiders(false);  // letting each go applies its record again
    EXPECT_EQ(paddle->RiderCount(), 0);
    EXPECT_EQ(paddle->Kind & kind::Carrier, 0);
    for (EventProbe* ball : {a, b}) {
        EXPECT_EQ(ball->Kind & kind::Riding, 0);
        EXPECT_GT(ball->Direction, 128);  // up
    }

    // Sent to an object whose owner is a carrier, the record adds its bits and tells
    // OnGPSetKind; it attaches nothing.
    std::vector<int32_t> told;
    a->OnGPSetKind = [&](TObject*, int32_t v) { told.push_back(v); };
    record->SendObject(*a);
    EXPECT_EQ(a->Kind & kind::Riding, kind::Riding);
    EXPECT_EQ(paddle->RiderCount(), 0);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front(), kind::Riding);
}

TEST_F(ObjectRiders, ClearingTheCarrierBitEmptiesTheListSoRidersDoNotComeBackStale) {
    EventProbe* a = Rider(110);
    EventProbe* b = Rider(140);
    paddle->SetKind(-kind::Carrier);
    EXPECT_EQ(paddle->RiderCount(), 0);
    EXPECT_EQ(a->Kind & kind::Riding, 0);
    EXPECT_EQ(b->Kind & kind::Riding, 0);
    b->SetY(300);
    EXPECT_EQ(paddle->AttachRider(b), 0);  // a new rider, at a fresh offset
    EXPECT_DOUBLE_EQ(b->OffsetY, 300 - 400);
}

TEST_F(ObjectRiders, LeavingPlaySetsRidersFreeAndTakesARiderOffItsCarrier) {
    EventProbe* a = Rider(110);
    EventProbe* b = Rider(140);
    a->SetDead(true);
    EXPECT_EQ(paddle->RiderCount(), 1);
    EXPECT_EQ(paddle->Kind & kind::Carrier, kind::Carrier);
    EventProbe* reused = Make(4, kBall);
    ASSERT_EQ(reused, a);
    EXPECT_EQ(reused->Kind & (kind::Riding | kind::RandomRide), 0);  // comes back not riding

    paddle->SetDead(true);
    EXPECT_EQ(b->Kind & kind::Riding, 0);
    EXPECT_EQ(b->Carrier(), nullptr);  // the paddle went back to its pool
    b->SetKind(kind::Riding);          // so it cannot ride it again
    EXPECT_EQ(b->Kind & kind::Riding, 0);
    EventProbe* newPaddle = Make(3, kPaddle);
    ASSERT_EQ(newPaddle, paddle);
    b->SetKind(kind::Riding);  // not even once it is handed out anew
    EXPECT_EQ(newPaddle->RiderCount(), 0);
}

TEST_F(ObjectRiders, RandomPlacementPutsTheRiderOnTheCarrierOrUnderItUpsideDown) {
    EventProbe* ball = Make(4, kBall);
    ball->SetOwner(paddle);
    ball->SetKind(kind::RandomRide);
    EXPECT_EQ(ball->Kind & kind::Riding, kind::Riding);
    EXPECT_GE(ball->GetX(), 100 + 32 - 24);
    EXPECT_LE(ball->GetX(), 100 + 32 + 24);
    EXPECT_EQ(ball->GetY(), 400 - 16);
    ball->SetKind(-kind::RandomRide);
    EXPECT_EQ(paddle->RiderCount(), 0);
    Shared().UpsideDown = true;
    ball->SetKind(kind::RandomRide);
    EXPECT_EQ(ball->GetY(), 400 + 16);
}

TEST_F(ObjectRiders, DifficultySpeedScalesTheSpeedOnce) {
    EventProbe* ball = Make(4, kBall);
    ball->SetDGCSpeed(4);
    Shared().Difficulty = 2;
    ball->SetKind(kind::DifficultySpeed);
    EXPECT_EQ(ball->SpeedFx, FixedFromReal(4 * 1.3));
    EXPECT_EQ(ball->Kind, kind::DifficultySpeed);
}

TEST_F(ObjectRiders, ThePaddleSwitchesWeaponsShowsEffectsAndClearsAllAtOnce) {
    paddle->SetKind(kind::NextWeapon);  // no weapon: the first of the list
    ASSERT_NE(paddle->Weapon, nullptr);
    EXPECT_EQ(paddle->Weapon->IDClass, 3);
    paddle->SetKind(kind::NextWeapon);
    EXPECT_EQ(paddle->Weapon->IDClass, 5);
    paddle->SetKind(kind::NextWeapon);  // the next is 8, which is never switched to
    EXPECT_EQ(paddle->Weapon->IDClass, 5);

    Shared().StunCounter = 40;
    paddle->SetKind(kind::Effect4 | kind::Effect8 | kind::Effect9 | kind::Stunned);
    EXPECT_EQ(paddle->ChildSprites->Count(), 3);
    EXPECT_EQ(paddle->Template->Media, 2);
    EXPECT_EQ(Shared().StunCounter, 0);
    paddle->SetKind(kind::Effect4);  // already shown: not again
    EXPECT_EQ(paddle->ChildSprites->Count(), 3);

    Rider(120);
    paddle->SetKind(-kind::ClearAll);
    EXPECT_EQ(paddle->Kind, 0);
    EXPECT_EQ(paddle->Weapon, nullptr);
    EXPECT_EQ(WeaponPool().Count(), 2);
    EXPECT_EQ(paddle->ChildSprites->Count(), 0);
    EXPECT_EQ(paddle->Template->Media, 0);
    EXPECT_EQ(paddle->RiderCount(), 0);  // nothing left listed
}
