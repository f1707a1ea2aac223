// The movers that live by a clock or a neighbourhood: the ball guard, the animation-end
// order, the brick spawner, the timed life and the area effect; and what every mover
// shares: the map-query list, the map cells and the order watch.
#include "engine/gpFunctionObject.h"

#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "rtl/Numbers.h"

#include <cstdlib>

namespace engine {

using namespace movers;

namespace {

constexpr int32_t kGuarded = 0x4000, kSpin = 0x10000, kAreaTurn = 0x20000;

TGPMap* MapOf(const TGPObject& o) { return o.Kernel ? o.Kernel->Map : nullptr; }

}  // namespace

// ---- Shared ----

TListGPObject& SharedObjectList() {
    static TListGPObject list;
    return list;
}

namespace movers {

void LeaveCells(TGPObject& object) {
    if (TGPMap* map = MapOf(object)) map->RemoveObjectFromCells(&object);
}

TListGPObject& EnterCells(TGPObject& object) {
    TListGPObject& list = SharedObjectList();
    if (TGPMap* map = MapOf(object))
        map->AddObjectToCells(&list, &object);
    else
        list.Clear();
    return list;
}

TOrderWatch::TOrderWatch(const TGPObject& object)
    : object_(object), order_(object.Orders), serial_(object.Orders ? object.Orders->Serial : 0),
      generation_(object.Generation()) {}

bool TOrderWatch::ObjectAlive() const { return object_.Generation() == generation_ && !object_.Dead(); }

bool TOrderWatch::OrderCurrent() const {
    return ObjectAlive() && order_ && object_.Orders == order_ && order_->Serial == serial_;
}

int32_t SlideTurnWord(const TGPObject& object) { return object.CurrentSlide ? object.CurrentSlide->SendValue : 0; }

}  // namespace movers

// ---- Ball guard ----

uint8_t BallGuard(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (ClassTimerRunOut(o)) {
        ClassTimerReset(o);
        o.DropOrders();
        o.SetDead(true);
        return 0;
    }
    ClassTimerStep(o);
    if (mode != 0) return 0;
    TGPMap* map = MapOf(o);
    if (!map) return 0;
    // Balls already touching the guard are answered by the collision pass.
    const TRect r = o.GetRect();
    bool asked = false;
    for (TGPObject* ball : *map->ObjectsNear(&SharedObjectList(), &o)) {
        if (!IsBallClass(ball->IDClass) || !RectsMeet(ball->GetRect(), r)) continue;
        o.AskMove(ball, r, ball->GetRect());
        asked = true;
    }
    if (asked) return 0;
    LeaveCells(o);
    o.SetY(static_cast<int32_t>(int64_t{o.Shared().FloorLine} - o.Height / 4 - 10));
    // Follows the ball nearest in height; of equal distances the first in nation order.
    const TGPObject* chosen = nullptr;
    int64_t best = 2000;
    if (TGPNation* balls = o.Kernel->FindNation(4))
        for (const TGPObject* ball : balls->Objects) {
            const int64_t d = std::llabs(int64_t{ball->GetY()} - o.GetY());
            if (d < best) {
                best = d;
                chosen = ball;
            }
        }
    if (chosen) {
        const int64_t ballCentre = int64_t{chosen->GetX()} + chosen->Width / 2;
        const int64_t guardCentre = int64_t{o.GetX()} + o.Width / 2;
        o.SetDGCVelocityX(static_cast<double>(ballCentre - guardCentre));
        o.StepX();
    }
    EnterCells(o);
    return 0;
}

// ---- Animation end ----

uint8_t AnimationEndAction(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0 || !o.CurrentSlide || o.FrameIndex < o.CurrentSlide->LinesHeight - 1) return 0;
    // Loading a state installs the state's order in place of this one: from then on only
    // the object is touched, and only while it is still in play.
    const TOrderWatch watch(o);
    o.ApplyLevelRecord();
    if (!watch.ObjectAlive()) return 0;
    if (o.Kind & (kind::Riding | kind::RandomRide)) {
        o.LoadOneSlide(2);
    } else {
        bool ballMeets = false;
        const TRect r = o.GetRect();
        if (TGPNation* balls = o.Kernel ? o.Kernel->FindNation(4) : nullptr)
            for (const TGPObject* ball : balls->Objects)
                if (ball != &o && RectsMeet(ball->GetRect(), r)) {
                    ballMeets = true;
                    break;
                }
        if (!ballMeets) o.LoadOneSlide(4);
    }
    if (watch.ObjectAlive()) o.SetKind(-kind::Hidden);
    return 0;
}

// ---- Brick spawner ----

uint8_t SpawnAtEnd(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0 || !o.CurrentSlide || o.FrameIndex + 1 != o.CurrentSlide->LinesHeight) return 0;
    // Everything the spawner knows is read before it dies: its place and pool entry may be
    // the first new brick's.
    TGPKernel* kernel = o.Kernel;
    const int64_t x = o.GetX(), y = o.GetY();
    int32_t idClass = o.Template ? o.Template->AddParamInt1 : 0;
    int32_t step = o.Template ? o.Template->AddParamInt2 : 0;
    const TGPMap* map = MapOf(o);
    const int64_t fieldWidth = map ? int64_t{map->Cols} * map->CellSize : kFieldWidth;
    const int64_t fieldHeight = map ? int64_t{map->Rows} * map->CellSize : kFieldHeight;
    o.SetDead(true);
    TGPNation* bricks = kernel ? kernel->FindNation(0) : nullptr;
    if (!bricks) return 0;
    if (idClass == 0) {
        // The class of a brick on the field; with none there is nothing to copy.
        const int n = bricks->Objects.Count();
        if (n == 0) return 0;
        idClass = bricks->Objects.Items(rtl::Random(n - 1))->IDClass;
    }
    if (step == 0) step = rtl::Random(19) / 10 + 1;
    TGPObject* brick = bricks->CreateFromPool(static_cast<int32_t>(x), static_cast<int32_t>(y), false, idClass);
    if (!brick) return 0;
    // A row to the right (1) or a column upwards (2) while the next brick fits the map. A
    // brick without size, or another step, makes the one brick.
    const int64_t w = brick->Width, h = brick->Height;
    if ((step != 1 && step != 2) || w <= 0 || h <= 0) return 0;
    for (int64_t bx = x, by = y;;) {
        if (step == 1)
            bx += w;
        else
            by -= h;
        if (bx < 0 || by < 0 || bx + w > fieldWidth || by + h > fieldHeight) break;
        if (!bricks->CreateFromPool(static_cast<int32_t>(bx), static_cast<int32_t>(by), false, idClass)) break;
    }
    return 0;
}

// ---- Timed life ----

uint8_t TimedLife(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    if (!ClassTimerRunOut(o)) {
        ClassTimerStep(o);
        return 0;
    }
    ClassTimerReset(o);
    // Every order goes, this lasting one included.
    o.DropOrders();
    o.SetDead(true);
    return 0;
}

// ---- Area effect ----

uint8_t AreaEffect(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    TGPMap* map = MapOf(o);
    if (!map) return 0;
    TListGPObject& near = *map->ObjectsNear(&SharedObjectList(), &o);
    if (near.Empty()) return 0;
    const int32_t shape = o.Template ? o.Template->AddParamInt2 : 0;
    const int32_t effect = o.Template ? o.Template->AddParamInt1 : 0;
    TRect area = o.GetRect();
    if (shape == 1)
        area = rtl::Bounds(o.GetX() - o.Width / 2, o.GetY() - o.Height / 2, static_cast<int32_t>(rtl::Trunc(1.5 * o.Width)),
                           static_cast<int32_t>(rtl::Trunc(1.5 * o.Height)));
    const auto word = static_cast<uint32_t>(SlideTurnWord(o));
    // Striking the area runs scripts that may kill or move anything: walk what was near.
    const TObjectSnapshot balls(near);
    const TOrderWatch watch(o);
    for (int i = 0; i < balls.Count(); ++i) {
        TGPObject* ball = balls.Get(i);
        if (!ball || !IsBallClass(ball->IDClass) || (ball->Kind & (kAreaTurn | kGuarded))) continue;
        if (shape != 2 && !RectInside(ball->GetRect(), area)) continue;
        ball->Kind = (ball->Kind & ~kSpin) | kAreaTurn;
        const auto step = static_cast<int32_t>(rtl::Trunc(RandomSigned(static_cast<int32_t>((word >> 16) & 0xFF), 1)));
        ball->TurnWord = static_cast<int32_t>((word & 0xFFFF0000u) | (static_cast<uint32_t>(step) & 0xFFFFu));
        ball->TurnCount = 0;
        ball->TurnLimit = static_cast<uint16_t>(word >> 24);
        switch (effect) {
            case 0: ball->Accelerate(); break;
            case 1: ball->Kind |= kind::DifficultySpeed; break;
            case 2: ball->Decelerate(); break;
            default: break;
        }
        o.KilledBy(ball);
        if (!watch.ObjectAlive()) return 0;
    }
    return 0;
}

}  // namespace engine
