// The paddle under the player's input: a tick of input, the end of the order, stun,
// reversed controls, slow and fast, wall bumps, the exit object and the collision reply.
#include "BehaviourFixture.h"

#include "engine/gpGeneralObject.h"

using namespace engine;
using enginetest::EventProbe;

namespace {

class PaddleControl : public enginetest::BehaviourFixture {
protected:
    // The order the shell installs for a tick of input: h right, v down.
    void Input(TGPObject* paddle, int32_t h, int32_t v = 0, int32_t mode = 0) { paddle->SetOrder(3, mode, h, v, 3); }
    void Tick(TGPObject* paddle) { paddle->Move(0, TRect{}, nullptr); }
};

TEST_F(PaddleControl, OneTickOfInputMovesItAndTheOrderEndsOnTheNextTickWithout) {
    EventProbe* paddle = Paddle(200);
    Input(paddle, 1);
    Tick(paddle);
    EXPECT_EQ(paddle->GetX(), 202);  // acceleration 2 from rest
    ASSERT_NE(paddle->Orders, nullptr);
    EXPECT_TRUE(paddle->Orders->Flag);
    Tick(paddle);  // resting on the floor line: the countdown drops to 0 and the order ends
    EXPECT_EQ(paddle->Orders, nullptr);
    EXPECT_EQ(paddle->OrderPhase, 5);
    EXPECT_EQ(paddle->VelocityXFx, 0);
    EXPECT_EQ(paddle->Count(TObjectEvent::OnEnlargeVelocity), 1);
}

TEST_F(PaddleControl, TheCollisionReplyDoesNotStepItAgain) {
    EventProbe* paddle = Paddle(200);
    Input(paddle, 1);
    Tick(paddle);
    const int32_t x = paddle->XFx;
    paddle->Move(1, TRect{}, nullptr);
    EXPECT_EQ(paddle->XFx, x);
}

TEST_F(PaddleControl, AStunnedPaddleHoldsStillForTheStunThenAnswers) {
    EventProbe* paddle = Paddle(200);
    paddle->SetKind(kind::Stunned);
    for (int i = 0; i < 100; ++i) {
        Input(paddle, 1);
        Tick(paddle);
        ASSERT_EQ(paddle->GetX(), 200) << i;
    }
    Input(paddle, 1);
    Tick(paddle);
    EXPECT_GT(paddle->GetX(), 200);
    EXPECT_FALSE(paddle->Kind & kind::Stunned);
}

TEST_F(PaddleControl, ReversedControlsTurnARightInputLeftUntilTheTimerRunsOut) {
    EventProbe* paddle = Paddle(200);
    paddle->Template->AddParamInt1 = 3;  // three ticks at difficulty 1 (3 / 1.1)
    paddle->SetKind(kind::ReverseX);
    Input(paddle, 1);
    Tick(paddle);
    EXPECT_LT(paddle->GetX(), 200);
    for (int i = 0; i < 4; ++i) {
        Input(paddle, 1);
        Tick(paddle);
    }
    EXPECT_FALSE(paddle->Kind & kind::ReverseX);
}

TEST_F(PaddleControl, FastTriplesAndSlowDividesTheAcceleration) {
    struct Row {
        int32_t bits;
        double vx;
    };
    const Row rows[] = {{0, 2.0}, {kind::Fast, 6.0}, {kind::Effect9, 2.0 / 3.5}};
    for (const Row& r : rows) {
        EventProbe* paddle = Paddle(200);
        paddle->Kind = r.bits;  // the row's kind bits
        Input(paddle, 1);
        Tick(paddle);
        EXPECT_NEAR(RealFromFixed(paddle->VelocityXFx), r.vx, 1e-4) << r.bits;
        paddle->SetDead(true);
    }
}

TEST_F(PaddleControl, AbsoluteModeTakesTheInputAsTheVelocity) {
    Shared().AbsoluteMouse = true;
    EventProbe* paddle = Paddle(200);
    Input(paddle, 7, 0, 2);
    Tick(paddle);
    EXPECT_EQ(paddle->GetX(), 207);
}

TEST_F(PaddleControl, PushedAgainstTheWallItBumpsOnceAndStops) {
    EventProbe* paddle = Paddle(576 - 64 - 3);
    paddle->SpeedFx = FixedFromReal(0.5);
    int bumps = 0;
    for (int i = 0; i < 6; ++i) {
        Line().Clear();
        Input(paddle, 1);
        Tick(paddle);
        for (int s : Sounds()) bumps += s == 7;
    }
    EXPECT_EQ(bumps, 1);
    EXPECT_EQ(paddle->GetX(), 576 - 64);
}

TEST_F(PaddleControl, FreeMovementBumpsTheCeiling) {
    EventProbe* paddle = Paddle(200, 30);
    paddle->Kind |= kind::Effect4;
    paddle->SpeedFx = 0;
    paddle->VelocityYFx = FixedFromReal(-7);
    Line().Clear();
    Input(paddle, 0, -1);
    Tick(paddle);
    EXPECT_EQ(paddle->GetY(), 24);
    EXPECT_EQ(Sounds(), std::vector<int>{8});
}

TEST_F(PaddleControl, TheExitObjectEndsTheLevelOnceAndOnlyWhenBothCommandsWereQueued) {
    EventProbe* paddle = Paddle(200);
    EventProbe* exit = Make(4, kExit, 220, 485);
    const uint16_t g = exit->Generation();
    Input(paddle, 0);
    Tick(paddle);
    EXPECT_EQ(Opcodes(cmd::EndGames), 1);
    EXPECT_EQ(Opcodes(cmd::NextLevel), 1);
    EXPECT_TRUE(Gone(exit, g));

    // A second exit met in the same level goes without ending it again.
    EventProbe* second = Make(4, kExit, 220, 485);
    const uint16_t g1 = second->Generation();
    Input(paddle, 0);
    Tick(paddle);
    EXPECT_TRUE(Gone(second, g1));
    EXPECT_EQ(Opcodes(cmd::NextLevel), 1);

    // The next level, its line too full for both commands: neither is queued and the exit
    // object stays for another try.
    kernel->LevelEndQueued = false;
    EventProbe* again = Make(4, kExit, 220, 485);
    const uint16_t g2 = again->Generation();
    Line().Clear();
    Line().Position = Line().EndMark = TExecuteLine::kCapacity - 2;  // room for one word
    Input(paddle, 0);
    Tick(paddle);
    EXPECT_FALSE(Gone(again, g2));
    EXPECT_EQ(Line().Position, TExecuteLine::kCapacity - 2) << "not the world's end alone";
}

TEST_F(PaddleControl, ItBacksOutOfABrickItRunsInto) {
    EventProbe* paddle = Paddle(200);
    Make(0, kBrick, 265, 490);
    Input(paddle, 1);
    Tick(paddle);
    EXPECT_LE(paddle->GetRect().Right, 265);
    EXPECT_GT(paddle->GetX(), 200);
}

}  // namespace
