// The paddle under the player's input (order kind 3): stun, reversed controls, slow and
// fast, the field's bounds between the ceiling line and the floor line, sinking back to the
// floor, pushing out of bricks and monsters, the level's exit object, and the end of the
// order a few ticks after the input stops.
#include "engine/gpBehaviours.h"

#include "engine/gpKernel.h"
#include "engine/gpKernelDevices.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"

#include <cmath>

namespace engine {

namespace {

constexpr int32_t kCeiling = 24;
constexpr int32_t kExitClass = 69;
// Sounds of the paddle: a side wall, the ceiling.
constexpr int32_t kWallSound = 7, kCeilingSound = 8;
// Kind bit that keeps the order alive while the paddle sinks.
constexpr int32_t kKeepSinking = 0x100;
constexpr uint8_t kPhaseEnded = 5;


void Bump(TGPObject& paddle, int32_t sound) {
    QueueSound(paddle, sound);
    paddle.SetParam(100, 1);
}

// The objects the paddle ignores when it gathers what it overlaps.
bool PassesThrough(const TGPObject& o) {
    const int32_t id = o.IDClass;
    return (id >= 1 && id <= 11) || (id >= 32 && id <= 61) || (id >= 91 && id <= 111) || (id >= 120 && id <= 130) ||
           (o.Kind & (kind::Riding | kind::RandomRide));
}

// The objects overlapping the paddle after its step; the exit object ends the level; the paddle
// backs out of what it ran into.
void PushOut(TGPObject& paddle, int32_t oldVx, int32_t oldVy) {
    const TObjectSnapshot snapshot(NearObjects(paddle));
    const TRect own = paddle.GetRect();
    TObjectSnapshot met;
    for (int i = 0; i < snapshot.Count(); ++i) {
        TGPObject* o = snapshot.Get(i);
        if (!o || o == &paddle || PassesThrough(*o) || !RectsMeet(o->GetRect(), own)) continue;
        if (o->IDClass == kExitClass) {
            // The level ends once, however it ends; with no room on the line the exit waits.
            if (paddle.Kernel && paddle.Kernel->QueueLevelEnd()) o->SetDead(true);
            continue;
        }
        met.Add(o);
    }
    if (met.Count() == 0) return;
    if (paddle.VelocityXFx == 0 && paddle.VelocityYFx == 0) {
        paddle.VelocityXFx = oldVx;
        paddle.VelocityYFx = oldVy;
    }
    if (paddle.VelocityXFx != 0 || paddle.VelocityYFx != 0) {
        paddle.VelocityXFx /= 2;
        paddle.VelocityYFx /= 2;
    } else {
        paddle.VelocityYFx = 2 * 65536;
    }
    const bool free = (paddle.Kind & kind::Effect4) && paddle.GetY() < paddle.Shared().FloorLine && met.Count() < 2;
    for (int i = 0; i < met.Count(); ++i) {
        TGPObject* o = met.Get(i);
        if (!o || (IsBallClass(o->IDClass) && !free)) continue;
        for (int undo = 0; undo < 2 && RectsMeet(o->GetRect(), paddle.GetRect()); ++undo) {
            paddle.UndoX();
            paddle.UndoY();
        }
    }
}

}  // namespace

uint8_t ControlledMove(TGPObject& paddle, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    // The collision pass answers a moving paddle too; it moved in its tick already.
    if (mode != 0 || !paddle.Orders) return 0;
    TOrder* const order = paddle.Orders;
    const uint16_t generation = paddle.Generation();
    TGPShared fallback;
    TGPShared& shared = paddle.Kernel ? paddle.Kernel->Shared : fallback;

    // 1. Stunned: still for the stun's length.
    if (paddle.Kind & kind::Stunned) {
        if (shared.StunCounter < shared.StunLimit) {
            ++shared.StunCounter;
            if (!order->Flag && !paddle.Vibration.On) paddle.SetParam(100, 1);
            return 0;
        }
        paddle.SetKind(-kind::Stunned);
    }
    // 2. Reversed controls last the class timer.
    if (paddle.Kind & (kind::ReverseX | kind::ReverseY)) {
        if (ClassTimerRunOut(paddle)) {
            paddle.SetKind(-(kind::ReverseX | kind::ReverseY));
            ClassTimerReset(paddle);
        } else {
            ClassTimerStep(paddle);
        }
    }
    // 3. The input holds for one tick.
    int32_t h = static_cast<int16_t>(order->A & 0xFFFF), v = static_cast<int16_t>(order->B & 0xFFFF);
    order->A = 0;
    order->B = 0;
    if (paddle.Kind & kind::ReverseX) h = -h;
    if (paddle.Kind & kind::ReverseY) v = -v;

    // 4. The new velocity within the field.
    const int32_t oldVx = paddle.VelocityXFx, oldVy = paddle.VelocityYFx;
    const bool absolute = order->C == 2 && shared.AbsoluteMouse;
    double scale = 1.0;
    if (paddle.Kind & kind::Effect9) scale /= 3.5;
    if (paddle.Kind & kind::Fast) scale *= 3;
    const double acc = RealFromFixed(paddle.AccelerationFx) * scale;
    const double speed = RealFromFixed(paddle.SpeedFx);
    double vx = absolute ? h : RealFromFixed(paddle.VelocityXFx);
    double vy = RealFromFixed(paddle.VelocityYFx);
    const int32_t l = paddle.CollisionRect.Left, r = paddle.CollisionRect.Right;
    const int32_t W = FieldWidth(paddle), F = shared.FloorLine;
    const int32_t x = paddle.GetX(), y = paddle.GetY();

    if (order->Flag) {
        // a. No new input: the paddle sinks back to the floor line.
        vy += acc;
        if (y + vy < F) {
            if (vy < 0) vy = 0;
            order->Countdown = 2;
        } else {
            paddle.SetY(F);
            vy = 0;
            order->Countdown = 0;
        }
        if (paddle.Kind & kKeepSinking) order->Countdown = 2;
        paddle.StopLoopingSound();
    } else if (paddle.Kind & kind::Effect4) {
        // b. Free vertical movement.
        if (v >= 0) {
            if (y + vy < F) {
                if (vy < 0) vy = 0;
                vy += acc;
            } else {
                paddle.SetY(F);
                vy = 0;
            }
        } else if (y + vy > kCeiling) {
            if (vy > 0) vy = 0;
            if (-vy < 8) vy -= acc;
        } else {
            const bool hard = speed < std::abs(vy);
            paddle.SetY(kCeiling);
            vy = 0;
            if (hard) Bump(paddle, kCeilingSound);
            paddle.RunOnReduceVelocity();
            if (!StillInPlay(paddle, generation)) return 0;
        }
    }
    // c. Horizontal.
    const double input = h * scale;
    if (h > 0) {
        if (x + vx + r < W) {
            if (vx < 0) vx = 0;
            vx = absolute ? input : vx + acc;
        } else {
            if (speed < std::abs(vx)) Bump(paddle, kWallSound);
            paddle.SetX(W - r);
            vx = 0;
        }
    } else if (h < 0) {
        if (x + vx + l > 0) {
            if (vx > 0) vx = 0;
            vx = absolute ? input : vx - acc;
        } else {
            if (speed < std::abs(vx)) Bump(paddle, kWallSound);
            paddle.SetX(-l);
            vx = 0;
        }
    } else {
        vx = 0;
    }
    // d. Without free movement the paddle sinks back to the floor line.
    if (!(paddle.Kind & kind::Effect4) && paddle.GetY() < F) {
        vy += acc;
        paddle.StopLoopingSound();
    }
    // e. Final bounds.
    if (paddle.GetY() + vy > F) {
        paddle.SetY(F);
        vy = 0;
        paddle.StopLoopingSound();
    } else if (paddle.GetY() + vy < kCeiling) {
        paddle.SetY(kCeiling);
        vy = 0;
    }
    if (paddle.GetX() + vx + l < 0) {
        paddle.SetX(-l);
        vx = 0;
    } else if (paddle.GetX() + vx + r > W) {
        paddle.SetX(W - r);
        vx = 0;
    }
    // f. Through the velocity check.
    paddle.SetDGCVelocityY(vy);
    paddle.SetDGCVelocityX(vx);

    // 5.-7. The step, and backing out of what it ran into.
    LeaveCells(paddle);
    paddle.StepX();
    paddle.StepY();
    PushOut(paddle, oldVx, oldVy);
    if (!StillInPlay(paddle, generation)) return 0;
    EnterCells(paddle);

    // 8. The order ends a few ticks after the input stopped. Only while it is still the
    // paddle's order: a handler on the way may have replaced it.
    if (paddle.Orders != order) return 0;
    if (order->Flag) {
        if (order->Countdown > 0) {
            --order->Countdown;
        } else {
            paddle.OrderPhase = kPhaseEnded;
            paddle.ClearOrders();
            paddle.VelocityXFx = 0;
            paddle.VelocityYFx = 0;
            paddle.RunOnEnlargeVelocity();
            return 0;
        }
    }
    order->Flag = true;
    return 0;
}

}  // namespace engine
