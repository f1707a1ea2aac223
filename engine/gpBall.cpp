// The ball (order kind 4): upkeep of its speed and timed states, turning, the walls, the
// collision reply with its paddle angles, spin and catch, the loss below the floor and the
// stall breaker that keeps it from bouncing forever along one line.
#include "engine/gpBehaviours.h"

#include "engine/gpEffects.h"
#include "engine/gpFunctionObject.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "rtl/Numbers.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace engine {

namespace {

// Kind bits of a ball.
constexpr int32_t kCurve = 0x1, kGuarded = 0x4000, kSpin = 0x10000, kAreaTurn = 0x20000, kReversedEnglish = 0x40000;
constexpr int32_t kTurning = kSpin | kAreaTurn;
constexpr int32_t kBallNation = 4;
constexpr double kDefaultMinSpeed = 3.0;
constexpr int32_t kLossMargin = 19, kClosedFloorMargin = 10;
constexpr int32_t kRadius63 = 50;
constexpr int32_t kSpinStep = 2, kSpinLength = 30;
constexpr int32_t kSplashEffect = 1;

bool IsSpecialBrick(int32_t id) { return id >= 112 && id <= 117; }
bool IsDestructibleBrick(const TGPObject& o) { return IsBrickClass(o.IDClass) && o.HitPoints != kIndestructible; }
bool IsTimedBall(int32_t id) { return id >= 63 && id <= 65; }

void SetBits(TGPObject& o, int32_t bits) {
    if ((o.Kind & bits) != bits) o.SetKind(bits);
}
void ClearBits(TGPObject& o, int32_t bits) {
    if (o.Kind & bits) o.SetKind(-bits);
}

// The direction turns by delta; sums in 64 bits, written 0..255.
void Turn(TGPObject& ball, int64_t delta) { ball.SetDGCDirection(int64_t{ball.Direction} + delta); }

// The turn count runs toward the turn limit; when it has reached it the bit goes.
void CountTurn(TGPObject& ball, int32_t bit) {
    if (ball.TurnCount < ball.TurnLimit)
        ++ball.TurnCount;
    else
        ClearBits(ball, bit);
}

// Upkeep of a tick: the speed kept up, the timed classes and states, turning.
void BallUpkeep(TGPObject& ball) {
    if (ball.MinSpeedFx <= 0) ball.MinSpeedFx = FixedFromReal(kDefaultMinSpeed);
    if (ball.SpeedFx < ball.MinSpeedFx) {
        if (ball.Kind & kind::SlowAcceleration) {
            if (ball.SpeedFx <= 0) ball.SetDGCSpeed(RealFromFixed(ball.MinSpeedFx));
        } else {
            ball.SetSpeedOnly(RealFromFixed(ball.MinSpeedFx));
            ball.Accelerate();
        }
    }
    if (IsTimedBall(ball.IDClass)) {
        if (ClassTimerRunOut(ball)) {
            ClassTimerReset(ball);
            SetClassKeepingColumn(ball, 62);
        } else {
            ClassTimerStep(ball);
        }
    }
    if (ball.Kind & (kind::SlowAcceleration | kReversedEnglish)) {
        if (ClassTimerRunOut(ball)) {
            ClearBits(ball, kind::SlowAcceleration | kReversedEnglish);
            ClassTimerReset(ball);
        } else {
            ClassTimerStep(ball);
        }
    }
    if (ball.Kind & kCurve) {
        Turn(ball, static_cast<int8_t>(static_cast<uint32_t>(ball.TurnWord) >> 24));
        CountTurn(ball, kCurve);
    } else if (ball.Kind & kAreaTurn) {
        Turn(ball, ball.TurnWord);
        CountTurn(ball, kAreaTurn);
    } else if (ball.Kind & kSpin) {
        Turn(ball, ball.TurnWord);
        CountTurn(ball, kSpin);
    }
}

// Balls in the ball nation, the level's exit object aside.
int32_t LiveBalls(const TGPObject& ball) {
    const TGPNation* nation = ball.Kernel ? ball.Kernel->FindNation(kBallNation) : nullptr;
    if (!nation) return 0;
    int32_t n = 0;
    for (TGPObject* o : nation->Objects)
        if (o->IDClass != 69) ++n;
    return n;
}

// Below the loss line the ball is lost: the last one costs a life, another simply goes.
// True when the ball went.
bool LossTest(TGPObject& ball) {
    const TGPShared& shared = ball.Shared();
    const int32_t depth = shared.UpsideDown ? FieldHeight(ball) - ball.GetY() + 20 : ball.GetY() + ball.Height;
    if (ClosedFloor(ball) || depth <= shared.FloorLine + kLossMargin) return false;
    ball.SetKind(-kind::ClearAll);
    if (!IsBallClass(ball.IDClass)) return false;
    if (LiveBalls(ball) < 2) {
        ball.RunOnCarrion();
        if (ball.Kernel) ball.Kernel->FireEndLife();
        return false;
    }
    const uint16_t generation = ball.Generation();
    ball.ClearOrders();
    ball.KilledBy(&ball);
    if (StillInPlay(ball, generation)) ball.SetDead(true);
    return true;
}

// After a wall bounce: a ball running near an axis is turned off it.
void StallBreaker(TGPObject& ball) {
    const int32_t d = ball.Direction;
    int64_t turn;
    if (d > 54 && d < 74)
        turn = rtl::Round(RandomSigned(80, 10));
    else if (d > 182 && d < 202)
        turn = rtl::Round(RandomSigned(60, 10));
    else if (d > 118 && d < 138)
        turn = -6;
    else if (d > 246 || d < 10)
        turn = 6;
    else
        turn = rtl::Round(RandomSigned(40, 10));
    Turn(ball, turn);
    ball.Accelerate();
}

}  // namespace

uint8_t BallMove(TGPObject& ball, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) {
    // A riding ball is carried by the paddle, not moved by itself.
    if (ball.Kind & kind::Riding) return 0;
    const uint16_t generation = ball.Generation();
    if (ball.Kind & kGuarded) CountTurn(ball, kGuarded);
    bool bounced = false;
    if (mode != 0) {
        LeaveCells(ball);
        BallCollision(ball, rect, list);
        if (!StillInPlay(ball, generation)) return 0;
        if (!(ball.Kind & kind::Riding)) EnterCells(ball);
    } else {
        BallUpkeep(ball);
        if (!StillInPlay(ball, generation)) return 0;
        if (!BallNeighbours(ball, true)) {
            LeaveCells(ball);
            ball.StepX();
            ball.StepY();
            bounced = BallWalls(ball);
            if (!StillInPlay(ball, generation)) return 0;
            EnterCells(ball);
        }
    }
    if (!StillInPlay(ball, generation) || (ball.Kind & kind::Riding)) return 0;
    if (LossTest(ball) || !StillInPlay(ball, generation)) return 0;
    if (bounced) StallBreaker(ball);
    return 0;
}

bool BallNeighbours(TGPObject& ball, bool queue) {
    const TObjectSnapshot snapshot(NearObjects(ball));
    const int32_t difficulty = ball.Shared().ClampedDifficulty();
    const TRect own = ball.GetRect();
    bool any = false;
    for (int i = 0; i < snapshot.Count(); ++i) {
        TGPObject* o = snapshot.Get(i);
        if (!o || o == &ball) continue;
        const int32_t id = o->IDClass;
        if ((id >= 4 && id <= 11) || IsPrizeClass(id) || (id >= 157 && id <= 166)) continue;
        if (o->CurrentSlide && o->CurrentSlide->IDCondition == 3 &&
            !(IsMonsterClass(id) && o->CurrentSlide->Ord_Default == 4))
            continue;
        if (IsBallClass(id) && (difficulty <= 1 || (o->Kind & kGuarded))) continue;
        if (ball.IDClass == 63 && IsDestructibleBrick(*o)) {
            const int32_t radius = ball.Template && ball.Template->AddParamInt2 > 0 ? ball.Template->AddParamInt2 : kRadius63;
            const rtl::TPoint a = RectCentre(own), b = RectCentre(o->GetRect());
            const int64_t dx = int64_t{a.X} - b.X, dy = int64_t{a.Y} - b.Y;
            if (dx * dx + dy * dy <= int64_t{radius} * radius) {
                const uint16_t g = o->Generation();
                o->SetParam(100, 1);
                if (o->Generation() == g) o->SetParam(109, reinterpret_cast<intptr_t>(static_cast<TGPStructure*>(&ball)));
                if (o->Generation() != g) continue;
            }
        }
        const TRect theirs = o->GetRect();
        if (IsSpecialBrick(id) || !RectsMeet(theirs, own)) continue;
        any = true;
        if (queue) ball.AskMove(o, theirs, own);
    }
    return any;
}

bool BallWalls(TGPObject& ball) {
    const TGPShared& shared = ball.Shared();
    const int32_t l = ball.CollisionRect.Left, t = ball.CollisionRect.Top;
    const int32_t x = ball.GetX(), y = ball.GetY();
    if (x + l < 0) {
        ball.SetX(-l);
        ClearBits(ball, kTurning);
        ball.ReflectX();
    } else if (x + ball.Width - l > FieldWidth(ball)) {
        ball.SetX(FieldWidth(ball) + l - ball.Width);
        ClearBits(ball, kTurning);
        ball.ReflectX();
    } else if (y + t < 0) {
        ClearBits(ball, kTurning);
        ball.ReflectY();
        ball.SetY(-t);
    } else if (shared.UpsideDown && y + ball.Height - t > FieldHeight(ball)) {
        ClearBits(ball, kTurning);
        ball.ReflectY();
        // Back inside, as at the ceiling: left beyond, the ball turned back and forth there
        // and crept out of the field for ever.
        ball.SetY(static_cast<int32_t>(FieldHeight(ball) - ball.Height + t));
    } else if (ClosedFloor(ball) && !shared.UpsideDown && y + ball.Height > shared.FloorLine + kClosedFloorMargin) {
        ball.SetY(shared.FloorLine - ball.Height - kClosedFloorMargin);
        ClearBits(ball, kTurning);
        ball.ReflectY();
        if (ball.Kernel)
            if (auto* splash = dynamic_cast<TGPSprite*>(ball.Kernel->CreateObject(1, ball.Kernel, true, kSplashEffect))) {
                splash->Show(ball.Kernel);
                splash->AlignTo(&ball, 3);
            }
        ball.KilledBy(&ball);
        return true;
    } else {
        return false;
    }
    QueueSound(ball, 1);
    return true;
}

int32_t ReflectAbout(const TGPObject& ball, int32_t side) {
    static constexpr std::array<int32_t, 4> kDiagonals = {160, 224, 32, 96};
    for (const int32_t diagonal : kDiagonals)
        if (std::abs(side - diagonal) < 10) return side;
    return Direction256(2 * int64_t{side} - ball.Direction - 128);
}

double SpinThreshold(const TGPShared& shared) {
    static constexpr std::array<double, 3> kFactors = {1.3, 1.6, 2.0};
    return 20 / 1.8 / kFactors[static_cast<size_t>(shared.ClampedDifficulty() - 1)];
}

TPaddleHit PaddleHit(TGPObject& ball, TGPObject& paddle, int32_t side) {
    if (paddle.IDClass != kPaddleClass) return TPaddleHit::None;
    if (ball.IDClass != 65) ClearBits(ball, kind::DifficultySpeed);
    if (ball.Kernel) ball.Kernel->Shared.CatchFlag = false;
    const TRect r = paddle.GetRect();
    const TRect own = ball.GetRect();

    // A sticky paddle catches a ball that meets its upper part.
    if (ball.OrderPhase == 0 && (paddle.Kind & kind::Effect8) &&
        RectsMeet(own, TRect{r.Left + 5, r.Top - 10, r.Right - 5, r.Bottom - 10})) {
        const int32_t column = ball.Column;
        ball.ClearOrders();
        paddle.SetKind(-kind::Carrier);
        ball.SetOwner(&paddle);
        ball.SetKind(kind::Riding);
        ball.LoadOneSlide(2);
        ball.SetFrame(column);
        return TPaddleHit::Caught;
    }

    const rtl::TPoint c = RectCentre(r), b = RectCentre(own);
    const double w = r.Width(), h = r.Height();
    const int64_t english = (ball.Kind & kReversedEnglish) ? -1 : 1;
    const bool onFloor = paddle.GetY() >= ball.Shared().FloorLine;
    const double cxbx = double(c.X) - b.X, bycy = double(b.Y) - c.Y;
    // An empty paddle rectangle has no place to take an angle from.
    const bool flat = w <= 0 || h <= 0;
    if (flat) {
        ball.SetDGCDirection(side);
    } else if ((paddle.Kind & kind::Effect4) && !onFloor) {
        ball.SetDGCDirection(side == 192 ? 192 - english * rtl::Trunc(80 * cxbx / w) : side);
        SetBits(ball, kind::DifficultySpeed);
        ball.Accelerate();
    } else if (side == 192) {
        if (onFloor)
            ball.SetDGCDirection(192 - english * rtl::Trunc(100 * cxbx / w));
        else
            SetBits(ball, kind::DifficultySpeed);
    } else if (side == 64) {
        if (onFloor) ball.SetDGCDirection(64 - english * rtl::Trunc(64 * cxbx / w));
        SetBits(ball, kind::DifficultySpeed);
    } else if (side == 0 || side == 128) {
        if (onFloor) ball.SetDGCDirection(side + english * rtl::Trunc(32 * bycy / h));
        if ((side == 0 && paddle.VelocityXFx > 0) || (side == 128 && paddle.VelocityXFx < 0))
            SetBits(ball, kind::DifficultySpeed);
    } else {
        ball.SetDGCDirection(side);
    }

    TPaddleHit result = TPaddleHit::Struck;
    if (!(ball.Kind & kGuarded) && std::abs(RealFromFixed(paddle.VelocityXFx)) > SpinThreshold(ball.Shared())) {
        ball.TurnWord = cxbx >= 0 ? kSpinStep : -kSpinStep;
        ball.TurnCount = 0;
        ball.TurnLimit = kSpinLength;
        SetBits(ball, kSpin);
        QueueSound(ball, 1);
        result = TPaddleHit::Spun;
    }
    ball.Accelerate();
    ball.StepX();
    ball.StepY();
    return result;
}

void MonsterHit(TGPObject& ball, TGPObject& o) {
    const int32_t id = o.IDClass;
    if (!(id == 3 || (id >= 32 && id <= 41) || (id >= 100 && id <= 117))) return;
    // The slide's turn word, as the random-turn mover and the area effect read it.
    const int32_t w = movers::SlideTurnWord(o);
    if (w == 0) return;
    switch (static_cast<int16_t>(w & 0xFFFF)) {
        case 2:
            if (!(ball.Kind & kGuarded)) {
                ball.TurnCount = 0;
                ball.TurnLimit = static_cast<uint16_t>((static_cast<uint32_t>(w) >> 16) & 0xFF);
                ball.TurnWord = w;
                SetBits(ball, kCurve);
            }
            break;
        case 3:
            ball.SetSpeedOnly(std::hypot(RealFromFixed(ball.VelocityXFx), RealFromFixed(ball.VelocityYFx)));
            ball.SetDGCDirection(64 + rtl::Round(RandomSigned(100, 10)));
            break;
        case 4:
            ball.SetSpeedOnly(std::hypot(RealFromFixed(ball.VelocityXFx), RealFromFixed(ball.VelocityYFx)));
            ball.SetDGCDirection(0);
            break;
        default: break;
    }
    const int32_t action = o.Template ? o.Template->AddParamInt1 : 0;
    if (action == 5) {
        ball.Accelerate();
    } else if (action == 6) {
        SetBits(ball, kind::DifficultySpeed);
        ball.Accelerate();
        QueueSound(ball, 1);
    }
    ball.StepX();
    ball.StepY();
}

void BallCollision(TGPObject& ball, const TRect& rect, rtl::List<TGPStructure*>* list) {
    if (!list || list->Empty() || !RectsMeet(ball.GetRect(), rect)) return;
    int32_t side = DirectionBetween(rect, rect, ball.GetRect(), 0, false);
    if (side != -1) side = Direction256(side);  // the +X axis answers 256
    ClearBits(ball, kTurning);
    // The reply's steps may send obstacles (or the ball) back to their pools, and a sticky
    // paddle takes the ball out of play: walk a snapshot.
    const TObjectSnapshot snapshot(*list);
    const uint16_t generation = ball.Generation();
    bool spun = false;
    for (int i = 0; i < snapshot.Count(); ++i) {
        if (!StillInPlay(ball, generation)) return;
        TGPObject* o = snapshot.Get(i);
        if (!o) continue;
        if (IsSpecialBrick(o->IDClass) && !spun) {
            if (!IsSpecialBrick(ball.IDClass)) o->SetDead(true);
            break;
        }
        if (!(ball.IDClass == 64 && IsDestructibleBrick(*o))) {
            if (side == -1) {
                ball.UndoX();
                ball.UndoY();
                ball.ReflectX();
                ball.ReflectY();
            } else {
                ball.SetDGCDirection(ReflectAbout(ball, side));
            }
        }
        const uint16_t og = o->Generation();
        o->KilledBy(&ball);
        if (!StillInPlay(ball, generation)) return;
        const bool obstacleStays = o->Generation() == og;
        if (side != -1 && obstacleStays) {
            const TPaddleHit hit = PaddleHit(ball, *o, side);
            if (hit == TPaddleHit::Caught) return;
            spun = spun || hit == TPaddleHit::Spun;
        }
        if (obstacleStays) MonsterHit(ball, *o);
        if (!obstacleStays || o->IDClass != kPaddleClass) Turn(ball, rtl::Round(RandomSigned(40, 10)));
        if (ball.IDClass != 64) ball.Accelerate();
        ball.StepX();
        ball.StepY();
        if (ball.IDClass != 64)
            for (int step = 0; step < 3 && RectsMeet(ball.GetRect(), rect); ++step) {
                ball.StepX();
                ball.StepY();
            }
    }
}

}  // namespace engine
