// The ball: reflection, the paddle's angles, spin and catch, the walls and the stall breaker,
// the loss line, passing and bouncing, the timed classes and the turn word.
#include "BehaviourFixture.h"

#include "engine/gpUtils.h"
#include "rtl/Numbers.h"

using namespace engine;
using enginetest::EventProbe;

namespace {

class BallBehaviour : public enginetest::BehaviourFixture {
protected:
    // One tick of a ball and the collision pass that answers it.
    void Tick(TGPObject* ball) {
        ball->Move(0, TRect{}, nullptr);
        kernel->ResolveCollisions();
    }
    // The collision reply to one obstacle, as the collision pass gives it.
    void Reply(TGPObject* ball, TGPObject* obstacle) {
        rtl::List<TGPStructure*> list;
        list.Add(obstacle);
        BallCollision(*ball, obstacle->GetRect(), &list);
    }
};

TEST_F(BallBehaviour, ReflectAboutMirrorsAboutTheSideAndKeepsDiagonals) {
    struct Row {
        int32_t side, direction, expected;
    };
    const Row rows[] = {
        {192, 40, 216}, {128, 20, 108}, {10, 200, 204},  // 20 - 200 - 128 is negative: taken 0..255
        {165, 40, 165}, {96, 7, 96},    {31, 0, 31},     // within 10 of a diagonal: the side itself
        {0, 64, 64},    {64, 192, 64},
    };
    EventProbe* ball = Make(4, kBall, 100, 100);
    for (const Row& r : rows) {
        ball->Direction = r.direction;
        EXPECT_EQ(ReflectAbout(*ball, r.side), r.expected) << r.side << "/" << r.direction;
    }
}

TEST_F(BallBehaviour, CentresThatCoincideBackTheBallOutAndReverseIt) {
    EventProbe* paddle = Paddle(200);
    EventProbe* ball = Ball(224, kFloor, 40);
    const int32_t x = ball->XFx;
    Reply(ball, paddle);
    EXPECT_EQ(ball->Direction, 168);  // 40 reflected in X and in Y
    EXPECT_NE(ball->XFx, x);
}

TEST_F(BallBehaviour, ThePaddleSendsTheBallAlongTheLineFromItsCentre) {
    struct Row {
        int32_t dx, dy, expected;  // the ball's centre from the paddle's
    };
    // The paddle's centre is (232, 498); the ball is 16 wide.
    const Row rows[] = {{-20, -15, 154}, {20, -15, 230}, {0, -15, 192}};
    for (const Row& r : rows) {
        EventProbe* paddle = Paddle(200);
        EventProbe* ball = Ball(232 + r.dx - 8, 498 + r.dy - 8, 64);
        Reply(ball, paddle);
        EXPECT_EQ(ball->Direction, r.expected) << r.dx << "," << r.dy;
        EXPECT_FALSE(Shared().CatchFlag);
        ball->SetDead(true);
        paddle->SetDead(true);
    }
}

TEST_F(BallBehaviour, AFlatPaddleGivesTheSideInsteadOfDividingByZero) {
    EventProbe* paddle = Paddle(200);
    EventProbe* ball = Ball(252, 487, 128);  // beside the paddle: side 0 divides by its height
    paddle->CollisionRect = {0, 0, 64, 0};
    rtl::List<TGPStructure*> list;
    list.Add(paddle);
    EXPECT_NO_THROW(BallCollision(*ball, TRect{200, 490, 264, 500}, &list));
    EXPECT_EQ(ball->Direction, 0);
}

TEST_F(BallBehaviour, SpinNeedsThePaddleFasterThanTheThresholdOfTheDifficulty) {
    struct Row {
        int32_t difficulty;
        double velocity;
        bool spins;
    };
    const Row rows[] = {{1, 8.6, true}, {1, 8.5, false}, {2, 7.0, true}, {2, 6.9, false},
                        {3, 5.6, true}, {3, 5.5, false}, {9, 5.6, true}};  // 9 counts as 3
    for (const Row& r : rows) {
        Shared().Difficulty = r.difficulty;
        EventProbe* paddle = Paddle(200);
        paddle->VelocityXFx = FixedFromReal(r.velocity);
        EventProbe* ball = Ball(204, 475, 64);  // left of centre: the step is +2
        Reply(ball, paddle);
        EXPECT_EQ((ball->Kind & 0x10000) != 0, r.spins) << r.difficulty << " " << r.velocity;
        if (r.spins) {
            EXPECT_EQ(ball->TurnWord, 2);
            EXPECT_EQ(ball->TurnLimit, 30);
        }
        ball->SetDead(true);
        paddle->SetDead(true);
    }
    EXPECT_NEAR(SpinThreshold(Shared()), 5.556, 0.001);
}

TEST_F(BallBehaviour, AStickyPaddleCatchesTheBallWhichThenRides) {
    EventProbe* paddle = Paddle(200);
    paddle->Kind |= kind::Effect8;
    EventProbe* ball = Ball(224, 478, 64);
    Tick(ball);
    EXPECT_TRUE(ball->Kind & kind::Riding);
    EXPECT_EQ(paddle->RiderCount(), 1);
    EXPECT_EQ(ball->Carrier(), paddle);
    // A riding ball no longer moves by itself.
    const int32_t x = ball->XFx;
    Tick(ball);
    EXPECT_EQ(ball->XFx, x);
}

TEST_F(BallBehaviour, WallBouncesPlayTheSoundAndTheStallBreakerTurnsOffTheAxes) {
    struct Row {
        int32_t x, direction;  // a ball crossing a side wall
        int32_t low, high;     // the direction after the bounce
    };
    const Row rows[] = {
        {-2, 64, 56, 68},     // down the left wall: 64 turned by -8..4
        {-2, 192, 186, 195},  // up: 192 turned by -6..3
        {562, 0, 122, 122},   // reflected to 128: -6
        {-2, 128, 6, 6},      // reflected to 0: +6
        {-2, 100, 24, 30},    // reflected to 28: -4..2
    };
    for (const Row& r : rows) {
        int low = 999, high = -999;
        for (uint32_t seed = 0; seed < 64; ++seed) {
            rtl::RandSeed = seed * 7919u;
            EventProbe* ball = Ball(r.x, 200, r.direction);
            Line().Clear();
            ball->Move(0, TRect{}, nullptr);
            low = std::min(low, ball->Direction);
            high = std::max(high, ball->Direction);
            EXPECT_EQ(Sounds(), std::vector<int>{1});
            ball->SetDead(true);
        }
        EXPECT_GE(low, r.low) << r.direction;
        EXPECT_LE(high, r.high) << r.direction;
        if (r.low != r.high) {
            EXPECT_LT(low, high) << r.direction;
        }
    }
}

TEST_F(BallBehaviour, TheLastBallPastTheLossLineCostsALifeAnotherSimplyGoes) {
    int endLives = 0;
    kernel->OnGPEndLife = [&](TObject*) { ++endLives; };
    EventProbe* a = Ball(100, kFloor + 19 - 16 + 1, 0);  // bottom at 510 after no vertical step
    EventProbe* b = Ball(300, 100, 0);
    const uint16_t ga = a->Generation();
    a->Move(0, TRect{}, nullptr);
    EXPECT_TRUE(Gone(a, ga));
    EXPECT_EQ(endLives, 0);
    b->SetY(kFloor + 4);
    const uint16_t gb = b->Generation();
    b->Move(0, TRect{}, nullptr);
    EXPECT_EQ(endLives, 1);
    EXPECT_FALSE(Gone(b, gb));
    EXPECT_EQ(b->Count(TObjectEvent::OnCarrion), 1);

    // At the loss line exactly the ball stays.
    EventProbe* c = Ball(100, kFloor + 19 - 16, 0);
    c->Move(0, TRect{}, nullptr);
    EXPECT_EQ(endLives, 1);
}

TEST_F(BallBehaviour, AClosedFloorBouncesTheBallBackAboveIt) {
    map->Kind |= 0x1000;
    EventProbe* ball = Ball(100, kFloor - 4, 64);
    ball->Move(0, TRect{}, nullptr);
    EXPECT_EQ(ball->GetY() + ball->Height, kFloor - 10);
    EXPECT_GT(ball->Direction, 128);  // going up
}

TEST_F(BallBehaviour, UpsideDownTheBottomWallIsTheMapsHeight) {
    Shared().UpsideDown = true;
    EventProbe* ball = Ball(100, 510, 64);  // below the height of 512, above its width of 576
    ball->Move(0, TRect{}, nullptr);
    EXPECT_GT(ball->Direction, 128);
    // It is put back inside, as at the ceiling: a ball that overshot far, going almost
    // along the floor, neither stays beyond it nor creeps further out tick after tick.
    EventProbe* low = Ball(300, 520, 70);
    for (int i = 0; i < 20; ++i) {
        low->Move(0, TRect{}, nullptr);
        EXPECT_LE(low->GetY() + low->Height, 512 + 6) << "tick " << i;
    }
}

TEST_F(BallBehaviour, ThePassingBallScoresDestructibleBricksAndBouncesOffSteel) {
    EventProbe* ball = Ball(100, 100, 0, kPassBall);
    EventProbe* brick = Make(0, kBrick, 110, 100);
    Tick(ball);
    const int32_t turned = ball->Direction > 128 ? ball->Direction - 256 : ball->Direction;
    EXPECT_LE(std::abs(turned), 4);  // on its way, turned a little at most
    EXPECT_EQ(Shared().Score, 10);

    EventProbe* other = Ball(300, 100, 0, kPassBall);
    Make(0, kSteel, 310, 100);
    Tick(other);
    EXPECT_GT(other->Direction, 64);  // bounced back
    EXPECT_LT(other->Direction, 192);
    EXPECT_EQ(Shared().Score, 10);
    (void)brick;
}

TEST_F(BallBehaviour, BallsPassThroughEachOtherOnlyAtTheFirstDifficulty) {
    EventProbe* a = Ball(100, 100, 0);
    Ball(108, 100, 128);
    Shared().Difficulty = 1;
    EXPECT_FALSE(BallNeighbours(*a, false));
    Shared().Difficulty = 2;
    EXPECT_TRUE(BallNeighbours(*a, false));
}

TEST_F(BallBehaviour, TimedBallsTurnBackIntoThePlainBall) {
    EventProbe* ball = Ball(100, 100, 0, 63);  // duration 5: runs out at 5 / 1.1
    for (int i = 0; i < 5; ++i) {
        ball->Move(0, TRect{}, nullptr);
        EXPECT_EQ(ball->IDClass, 63) << i;
    }
    ball->Move(0, TRect{}, nullptr);
    EXPECT_EQ(ball->IDClass, 62);
    EXPECT_EQ(static_cast<uint32_t>(ball->Template->AddParamInt1) >> 16, 0u);
}

TEST_F(BallBehaviour, TheClassTimerCountsUnsignedAndSaturates) {
    EventProbe* ball = Ball(100, 100, 0);
    ball->Template->AddParamInt1 = static_cast<int32_t>(0xB3B0C350u);  // count 46000, duration 50000
    EXPECT_TRUE(ClassTimerRunOut(*ball));  // 46000 >= 50000 / 1.1
    ball->Template->AddParamInt1 = static_cast<int32_t>(0x9C40C350u);  // count 40000
    EXPECT_FALSE(ClassTimerRunOut(*ball));
    ball->Template->AddParamInt1 = static_cast<int32_t>(0xFFFFFFFFu);
    ClassTimerStep(*ball);
    EXPECT_EQ(static_cast<uint32_t>(ball->Template->AddParamInt1), 0xFFFFFFFFu);
}

TEST_F(BallBehaviour, ABallOfAClassWhoseTimerCountsCanStillBeMade) {
    EventProbe* ball = Ball(100, 100, 0, 63);
    ball->Move(0, TRect{}, nullptr);  // the count is in the word's high half now
    ASSERT_GT(ball->Template->AddParamInt1, 0xFFFF);
    EventProbe* another = nullptr;
    EXPECT_NO_THROW(another = Make(4, 63, 200, 100));
    ASSERT_NE(another, nullptr);
    EXPECT_LE(another->SpeedFx, another->MaxSpeedFx);
}

TEST_F(BallBehaviour, EachBallTurnsByItsOwnTurnWord) {
    EventProbe* a = Ball(100, 100, 10);
    EventProbe* b = Ball(300, 100, 10);
    a->Kind |= 0x10000;
    a->TurnWord = 2;
    a->TurnLimit = 30;
    b->Kind |= 0x20000;
    b->TurnWord = static_cast<int32_t>(0x7F00FFFDu);  // step -3 in the low half, whole word huge
    b->TurnLimit = 30;
    a->Move(0, TRect{}, nullptr);
    b->Move(0, TRect{}, nullptr);
    EXPECT_EQ(a->Direction, 12);
    EXPECT_EQ(b->Direction, 7);
    // The turn stops at its limit.
    a->TurnCount = 30;
    a->Move(0, TRect{}, nullptr);
    EXPECT_FALSE(a->Kind & 0x10000);
}

// The turn word a monster's level record gives its slide is the one its touch reads, as the
// random-turn mover and the area effect read it.
TEST_F(BallBehaviour, AMonstersTurnWordFromItsRecordCurvesOrSendsTheBall) {
    struct Row {
        uint32_t word;
        int32_t kindAfter, direction;  // -1: any
    };
    const Row rows[] = {{3u << 24 | 20u << 16 | 2u, 0x1, -1}, {4u, 0, 0}, {0u, 0, -1}};
    for (const Row& r : rows) {
        EventProbe* monster = Make(2, 33, 200, 200);
        monster->CurrentSlide->SendValue = static_cast<int32_t>(r.word);
        monster->CurrentSlide->fiInteger = 0;
        EventProbe* ball = Ball(200, 190, 64);  // overlapping it from above
        Reply(ball, monster);
        EXPECT_EQ(ball->Kind & 0x1, r.kindAfter) << std::hex << r.word;
        if (r.kindAfter) {
            EXPECT_EQ(ball->TurnWord, static_cast<int32_t>(r.word));
            EXPECT_EQ(ball->TurnLimit, 20);
        }
        if (r.direction >= 0) {
            // The touch of anything but the paddle turns the ball by up to 4 more.
            const int32_t off = std::abs(ball->Direction - r.direction);
            EXPECT_LE(std::min(off, 256 - off), 4) << ball->Direction;
        }
        ball->SetDead(true);
        monster->SetDead(true);
    }
}

}  // namespace
