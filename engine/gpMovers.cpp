// The movers that need no collision answer: ship control, the projectile, the orbit, the
// vertical shot and the three monster movers (wander, homing, random turn).
//
// They move on the tick (Mode 0) only: a collision reply that reaches them (a ball ran into
// a moving monster) is no second tick.
#include "engine/gpFunctionObject.h"

#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "engine/gpWeapon.h"
#include "rtl/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace engine {

using namespace movers;

namespace {

constexpr int32_t kGuarded = 0x4000;

TGPMap* MapOf(const TGPObject& o) { return o.Kernel ? o.Kernel->Map : nullptr; }

// The map's width in pixels (the play field's without a map).
int32_t MapWidth(const TGPObject& o) {
    const TGPMap* map = MapOf(o);
    if (!map) return kFieldWidth;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{map->Cols} * map->CellSize, 0, INT32_MAX));
}

// Turns the direction by a whole number of 1/256 turns (in 64 bits, normalised).
void Turn(TGPObject& o, int64_t step) { o.SetDGCDirection(int64_t{o.Direction} + step); }

bool Smallint(int64_t v) { return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max(); }

// Takes (x, y) out of the cells and back in: the shared list receives the objects met. A
// place outside the Smallint range raises the range error before the object leaves its cells.
TListGPObject& MoveTo(TGPObject& o, int64_t x, int64_t y) {
    if (!Smallint(x) || !Smallint(y)) throw rtl::ERangeError(rtl::texts::SRangeError);
    LeaveCells(o);
    o.SetX(static_cast<int32_t>(x));
    o.SetY(static_cast<int32_t>(y));
    return EnterCells(o);
}

// The classes a vertical shot strikes: monsters, bricks and the special bricks.
constexpr bool IsShotTarget(int32_t id) {
    return id == 3 || (id >= 12 && id <= 41) || (id >= 71 && id <= 90) || (id >= 100 && id <= 119) ||
           (id >= 131 && id <= 156);
}
constexpr bool IsSpecialBrick(int32_t id) { return id >= 112 && id <= 117; }

// The object is done with: its orders go and it dies.
void Finish(TGPObject& o, const TOrderWatch& watch) {
    if (watch.OrderCurrent()) o.ClearOrders();
    if (watch.ObjectAlive()) o.SetDead(true);
}

// The step the monster movers share after their steering: minimum speed, one step, the
// first bound crossed bounces it (the walls, the ceiling, the turning line above the floor).
void MonsterStep(TGPObject& o, bool turnAfterBounce) {
    LeaveCells(o);
    if (o.SpeedFx < o.MinSpeedFx) o.SetDGCSpeed(RealFromFixed(o.MinSpeedFx));
    o.StepX();
    o.StepY();
    const int64_t l = o.CollisionRect.Left, t = o.CollisionRect.Top, w = MapWidth(o);
    const int64_t turnLine = int64_t{o.Shared().FloorLine} - kMonsterTurnAbove;
    const int64_t x = o.GetX(), y = o.GetY();
    bool bounced = true;
    if (x + l < 0) {
        o.SetX(static_cast<int32_t>(-l));
        o.ReflectX();
    } else if (x + o.Width - l > w) {
        o.SetX(static_cast<int32_t>(l + w - o.Width));
        o.ReflectX();
    } else if (y + t < 0) {
        o.SetY(static_cast<int32_t>(-t));
        o.ReflectY();
    } else if (y + o.Height > turnLine) {
        o.SetY(static_cast<int32_t>(turnLine - o.Height));
        o.ReflectY();
    } else {
        bounced = false;
    }
    if (bounced) {
        o.Accelerate();
        if (turnAfterBounce) Turn(o, rtl::Round(RandomSigned(5, 1)));
    }
    EnterCells(o);
}

}  // namespace

// ---- Ship control ----

uint8_t ShipControl(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0 || !o.Orders) return 0;
    const TOrderWatch watch(o);
    const int32_t turn = o.Orders->A, thrust = o.Orders->B;

    const rtl::TPoint t = RotatePoint(0, 0, 5000, 2500, 0, 0, static_cast<uint8_t>(Direction256(int64_t{o.Heading} - 32)));
    if (thrust >= 1) {
        o.DriftX -= t.X / 100000.0;
        o.DriftY -= t.Y / 100000.0;
        o.RunOnEnlargeVelocity();
    } else if (thrust < 0) {
        o.DriftX += t.X / 100000.0;
        o.DriftY += t.Y / 100000.0;
        o.RunOnReduceVelocity();
    } else {
        o.DriftX *= 0.998;
        o.DriftY *= 0.998;
    }
    if (!watch.ObjectAlive()) return 0;

    // The turn rate may grow without bound: the sum is taken in 64 bits and normalised.
    if (turn >= 1) {
        o.TurnRate += 0.05;
        o.Heading = Direction256(int64_t{o.Heading} + rtl::Round(o.TurnRate));
        o.RunOnRotateRight();
    } else if (turn < 0) {
        o.TurnRate -= 0.05;
        o.Heading = Direction256(int64_t{o.Heading} + rtl::Round(o.TurnRate));
        o.RunOnRotateLeft();
    } else if (o.TurnRate != 0) {
        o.TurnRate *= 0.98;
        o.Heading = Direction256(int64_t{o.Heading} + rtl::Round(o.TurnRate));
    }
    if (!watch.ObjectAlive()) return 0;
    if (o.CurrentSlide) o.SetFrame(static_cast<int32_t>(int64_t{o.CurrentSlide->LinesWidth} * o.Heading / 256));

    // Held inside the field; an axis pushed back to its bound loses its drift.
    const int64_t wantX = int64_t{o.GetX()} + rtl::Round(o.DriftX), wantY = int64_t{o.GetY()} + rtl::Round(o.DriftY);
    const int64_t nx = std::min<int64_t>(std::max<int64_t>(wantX, 0), kFieldWidth - o.Width);
    const int64_t ny = std::min<int64_t>(std::max<int64_t>(wantY, 0), kFieldHeight - o.Height);
    if (nx != wantX) o.DriftX = 0;
    if (ny != wantY) o.DriftY = 0;
    if (nx != o.GetX() || ny != o.GetY()) MoveTo(o, nx, ny);

    if (TGPMap* map = MapOf(o)) {
        const int64_t vx = map->ViewX(), vy = map->ViewY();
        const auto sx = static_cast<int32_t>(std::min<int64_t>(std::llabs(rtl::Round(o.DriftX)), INT32_MAX));
        const auto sy = static_cast<int32_t>(std::min<int64_t>(std::llabs(rtl::Round(o.DriftY)), INT32_MAX));
        if (o.GetX() + int64_t{o.Width} - vx > kFieldWidth - 1)
            map->Scroll(sx, 0);
        else if (o.GetX() - vx <= 64)
            map->Scroll(-sx, 0);
        if (o.GetY() + int64_t{o.Height} - vy > kFieldHeight - 1)
            map->Scroll(0, sy);
        else if (o.GetY() - vy <= 64)
            map->Scroll(0, -sy);
    }
    // The input holds for one tick.
    if (watch.OrderCurrent()) {
        watch.Order()->A = 0;
        watch.Order()->B = 0;
    }
    return 0;
}

// ---- Projectile ----

void TGPObject::SetShotLinks(TGPWeapon* weapon, TGPObject* owner) {
    shotWeaponHandle_ = weapon ? weapon->Handle() : 0;
    shotWeaponGeneration_ = weapon ? weapon->Generation() : 0;
    shotOwnerHandle_ = owner ? owner->Handle() : 0;
    shotOwnerGeneration_ = owner ? owner->Generation() : 0;
}

TGPWeapon* TGPObject::ShotWeapon() const {
    return dynamic_cast<TGPWeapon*>(FromHandle(shotWeaponHandle_, shotWeaponGeneration_));
}

TGPObject* TGPObject::ShotOwner() const {
    return dynamic_cast<TGPObject*>(FromHandle(shotOwnerHandle_, shotOwnerGeneration_));
}

uint8_t ProjectileFlight(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    const TOrderWatch watch(o);
    const int64_t nx = int64_t{o.GetX()} + rtl::Round(o.DriftX), ny = int64_t{o.GetY()} + rtl::Round(o.DriftY);
    o.RunOnEnlargeVelocity();
    if (!watch.ObjectAlive()) return 0;
    if (nx >= kFieldWidth || nx <= 20 || ny >= kFieldHeight || ny <= 0) {
        o.SetDead(true);  // back in its pool: its orders went with it
        return 0;
    }
    if (nx == o.GetX() && ny == o.GetY()) {
        if (watch.OrderCurrent()) o.ClearOrders();
        return 0;
    }
    TListGPObject& met = MoveTo(o, nx, ny);
    TGPWeapon* weapon = o.ShotWeapon();
    if (met.Empty() || !weapon) return 0;
    const TGPObject* owner = o.ShotOwner();
    const TRect r = o.GetRect();
    TGPObject* target = nullptr;
    for (TGPObject* other : met)
        if (other != &o && other != owner && RectsMeet(other->GetRect(), r)) target = other;
    if (!target) return 0;
    target->Hit(&o, weapon);
    Finish(o, watch);
    return 0;
}

// ---- Orbit ----

uint8_t OrbitMove(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    const rtl::TPoint p = RotatePointF(o.OrbitCentreX, o.OrbitCentreY, static_cast<double>(rtl::Round(o.OffsetX)),
                                       static_cast<double>(rtl::Round(o.OffsetY)), o.Width / 2, o.Height / 2, o.Angle);
    // The angle stays within one turn, so a long orbit keeps its precision.
    o.Angle = std::fmod(o.Angle + o.OrbitStep, 256.0);
    MoveTo(o, p.X, p.Y);
    return 0;
}

// ---- Vertical shot ----

uint8_t VerticalShot(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    const TOrderWatch watch(o);
    LeaveCells(o);
    o.Accelerate();
    o.StepX();
    o.StepY();
    if (o.GetY() >= kFieldHeight || o.GetY() <= 0) {
        o.SetDead(true);
        return 0;
    }
    TListGPObject& met = EnterCells(o);
    if (!o.ShotWeapon()) return 0;
    const TRect r = o.GetRect();
    TGPObject* target = nullptr;
    for (TGPObject* other : met)
        if (other != &o && IsShotTarget(other->IDClass) && RectsMeet(other->GetRect(), r)) target = other;
    if (!target) return 0;
    o.OrderPhase = 5;
    if (o.IDClass == 10) {
        // The piercing shot removes its target outright (no score); the special bricks stop it.
        if (IsSpecialBrick(target->IDClass)) {
            Finish(o, watch);
            return 0;
        }
        const TOrderWatch targetWatch(*target);
        target->OrderPhase = 5;
        Finish(*target, targetWatch);
        return 0;
    }
    target->FrameIndex = 0;
    target->KilledBy(&o);
    if (watch.ObjectAlive()) Finish(o, watch);
    return 0;
}

// ---- Monster movers ----

uint8_t WanderMove(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    if (o.TimerCount < INT32_MAX) ++o.TimerCount;
    if (o.TimerCount >= 60) {
        Turn(o, rtl::Round(RandomSigned(13, 1)));
        o.TimerCount = 0;
    }
    MonsterStep(o, true);
    return 0;
}

uint8_t HomingMove(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    if (o.TimerCount < 150) ++o.TimerCount;
    // Only reads the ball nation: a look-up that never creates one.
    TGPNation* balls = o.Kernel && o.TimerCount >= 150 ? o.Kernel->FindNation(4) : nullptr;
    if (balls && !balls->Objects.Empty()) {
        const TGPObject& ball = *balls->Objects.First();
        const int64_t turnLine = int64_t{o.Shared().FloorLine} - kMonsterTurnAbove;
        if ((ball.Kind & kind::RandomRide) || ball.GetY() >= turnLine)
            Turn(o, rtl::Round(RandomSigned(3, 1)));
        else
            o.SetDGCDirection(int64_t{AngleOf(int64_t{ball.GetY()} - o.GetY(), int64_t{ball.GetX()} - o.GetX())} + 40);
    }
    MonsterStep(o, true);
    return 0;
}

uint8_t RandomTurnMove(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    const auto word = static_cast<uint32_t>(SlideTurnWord(o));
    const auto range = static_cast<int32_t>((word >> 16) & 0xFF), period = static_cast<int32_t>(word >> 24);
    // The heading holds the turn step; a new one is drawn every period.
    if (o.Heading == 0) o.Heading = static_cast<int32_t>(rtl::Trunc(RandomSigned(range, 1)));
    if (o.TimerCount < period) {
        ++o.TimerCount;
    } else {
        o.Heading = static_cast<int32_t>(rtl::Trunc(RandomSigned(range, 1)));
        o.TimerCount = 0;
    }
    if (o.TurnCount < o.TurnLimit)
        ++o.TurnCount;
    else
        o.Kind &= ~kGuarded;
    Turn(o, o.Heading);
    MonsterStep(o, false);
    return 0;
}

}  // namespace engine
