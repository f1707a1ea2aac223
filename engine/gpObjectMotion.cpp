// The game object's motion in 16.16 fixed point (position, velocity, speed, direction), its
// animation frames and its tick.
#include "engine/gpObject.h"

#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpShared.h"
#include "media/DXClass.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace engine {

namespace {

int32_t Smallint(int32_t v) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    return v;
}

// A position sum; ERangeError when it leaves 32 bits.
int32_t Sum32(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(v);
}

// Whole pixels to the cell they lie in (truncating toward zero, as the cells count).
int32_t CellOf(int32_t whole) { return whole / 64; }

TCheckVelocityEvent* VelocityCheck(TGPKernel* kernel) {
    return kernel && kernel->OnCheckVelocity ? &kernel->OnCheckVelocity : nullptr;
}

}  // namespace

// ---- Position ----

void TGPObject::SetX(int32_t value) {
    XFx = Smallint(value) * 65536;
    CellCol = CellOf(value);
}

void TGPObject::SetY(int32_t value) {
    YFx = Smallint(value) * 65536;
    CellRow = CellOf(value);
}

void TGPObject::SetOldX(int32_t value) { OldXFx = Smallint(value) * 65536; }
void TGPObject::SetOldY(int32_t value) { OldYFx = Smallint(value) * 65536; }

void TGPObject::StepX() {
    XFx = Sum32(int64_t{XFx} + VelocityXFx);
    CellCol = CellOf(RoundedOf(XFx));
}

void TGPObject::StepY() {
    YFx = Sum32(int64_t{YFx} + VelocityYFx);
    CellRow = CellOf(RoundedOf(YFx));
}

void TGPObject::UndoX() {
    XFx = Sum32(int64_t{XFx} - VelocityXFx);
    CellCol = CellOf(WholeOf(XFx));
}

void TGPObject::UndoY() {
    YFx = Sum32(int64_t{YFx} - VelocityYFx);
    CellRow = CellOf(WholeOf(YFx));
}

// ---- Direction, velocity and speed ----

void TGPObject::DeriveVelocity() {
    const auto d = static_cast<uint8_t>(Direction);
    const double speed = RealFromFixed(SpeedFx);
    VelocityXFx = FixedFromReal(media::TableCos256(d) * DGCA * speed);
    VelocityYFx = FixedFromReal(media::TableSin256(d) * DGCB * speed);
}

void TGPObject::CheckedVelocity() {
    const auto d = static_cast<uint8_t>(Direction);
    const double speed = RealFromFixed(SpeedFx);
    SetDGCVelocityX(media::TableCos256(d) * DGCA * speed);
    SetDGCVelocityY(media::TableSin256(d) * DGCB * speed);
}

void TGPObject::SetDGCDirection(int64_t direction) {
    Direction = Direction256(direction);
    DeriveVelocity();
    if (CurrentSlide && CurrentSlide->StyleAniSprite == TStyleAniSprite::swDirection)
        Column = static_cast<int32_t>(int64_t{CurrentSlide->LinesWidth} * Direction / 256);
}

void TGPObject::ReflectY() {
    if (Direction != 0) SetDGCDirection(256 - int64_t{Direction});
}

void TGPObject::ReflectX() { SetDGCDirection(384 - int64_t{Direction}); }

int32_t TGPObject::CheckedComponent(double pixels, TVelocityXY xy) {
    if (TCheckVelocityEvent* check = VelocityCheck(Kernel))
        (*check)(pixels, this, xy);
    else if (std::abs(pixels) > RealFromFixed(MaxSpeedFx))
        pixels = std::copysign(RealFromFixed(MaxSpeedFx), pixels);
    return FixedFromReal(pixels);
}

void TGPObject::SetDGCVelocityX(double pixels) { VelocityXFx = CheckedComponent(pixels, TVelocityXY::vxyX); }
void TGPObject::SetDGCVelocityY(double pixels) { VelocityYFx = CheckedComponent(pixels, TVelocityXY::vxyY); }

void TGPObject::StoreSpeed(double pixels) {
    if (TCheckVelocityEvent* check = VelocityCheck(Kernel)) {
        (*check)(pixels, this, TVelocityXY::vxySpeed);
        SpeedFx = FixedFromReal(pixels);
        return;
    }
    SpeedFx = FixedFromReal(pixels);
    if (SpeedFx < MinSpeedFx)
        SpeedFx = MinSpeedFx;
    else if (SpeedFx > MaxSpeedFx)
        SpeedFx = MaxSpeedFx;
}

void TGPObject::SetSpeedOnly(double pixels) { StoreSpeed(pixels); }

void TGPObject::SetDGCSpeed(double pixels) {
    StoreSpeed(pixels);
    DeriveVelocity();
}

double TGPObject::AccelerationStep() const {
    const double acceleration = RealFromFixed(AccelerationFx);
    if (Kind & kind::DifficultySpeed) return acceleration * 5 * Shared().DifficultyFactor();
    if (Kind & kind::SlowAcceleration) return acceleration / 5;
    return acceleration * Shared().SpeedFactor;
}

void TGPObject::Accelerate() {
    if (TCheckVelocityEvent* check = VelocityCheck(Kernel)) {
        double v = RealFromFixed(SpeedFx) + AccelerationStep();
        (*check)(v, this, TVelocityXY::vxySpeed);
        SpeedFx = FixedFromReal(v);
    } else {
        if (SpeedFx == MaxSpeedFx) return;
        SpeedFx = FixedFromReal(RealFromFixed(SpeedFx) + RealFromFixed(AccelerationFx) * Shared().SpeedFactor);
        if (SpeedFx > MaxSpeedFx) SpeedFx = MaxSpeedFx;
    }
    CheckedVelocity();
}

void TGPObject::Decelerate() {
    if (SpeedFx == MinSpeedFx) return;
    SpeedFx = FixedFromReal(RealFromFixed(SpeedFx) - RealFromFixed(AccelerationFx));
    if (SpeedFx < MinSpeedFx) SpeedFx = MinSpeedFx;
    CheckedVelocity();
}

// ---- Animation ----

int32_t TGPObject::NextFrame() {
    if (FixedColumn) return Column;
    const TOneSlide* s = CurrentSlide;
    if (!s) return 0;
    const int32_t last = s->LinesHeight - 1;
    switch (s->StyleAniSprite) {
        case TStyleAniSprite::swSize:
            ComputeCollisionRect();
            return Column;
        case TStyleAniSprite::swNo:
        case TStyleAniSprite::swDirection:
            if (FrameIndex >= s->LinesHeight) {
                FrameIndex = 0;
                return Column;
            }
            if (StepFrameCounter(FrameCounter, RollTick)) {
                if (FrameIndex < last)
                    ++FrameIndex;
                else if (s->StyleAniSprite == TStyleAniSprite::swDirection)
                    FrameIndex = 0;
            }
            break;
        case TStyleAniSprite::swAll:
            if (StepFrameCounter(FrameCounter, RollTick)) FrameIndex = FrameIndex < last ? FrameIndex + 1 : 0;
            break;
        case TStyleAniSprite::swOnce:
            if (FrameIndex < s->LinesHeight && StepFrameCounter(FrameCounter, RollTick) && FrameIndex < last)
                ++FrameIndex;
            break;
        default: return 0;
    }
    return static_cast<int32_t>(int64_t{s->LinesWidth} * FrameIndex + Column);
}

// ---- The tick ----

void TGPObject::Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) { Step(mode, rect, list); }

uint8_t TGPObject::Step(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) {
    TGPSprite::Move(mode, rect, list);  // the vibration step
    NextFrame();
    if (mode == 0 && Age < UINT32_MAX) ++Age;
    // An object that goes back to its pool during its step (its lifetime ran out, its
    // order killed it) does nothing more: its pool return raised its generation.
    const uint16_t generation = Generation();
    if (LifeTime > 0 && LifeTime < kEndlessLife) {
        --LifeTime;
    } else if (LifeTime == 0) {
        SetDead(true);
        if (Generation() != generation || dead_) return 0;
    }
    uint8_t result = 0;
    if (InLine) {
        if (Orders && (Orders->State & 0x80) && Orders->Routine) Orders->Routine(*this, mode, rect, list);
        if (InLine) result = InLine->ReadInLineCode();
    } else if (Orders && Orders->Routine) {
        result = Orders->Routine(*this, mode, rect, list);
    }
    if (Generation() != generation) return result;
    if (OnGPMove) OnGPMove(this);
    return result;
}

TAskMove* TGPObject::AskMove(TGPObject* target, const TRect& rectA, const TRect& rectB) {
    if (!Kernel || !Kernel->AskMoveList) return nullptr;
    return Kernel->AskMoveList->AddAskMove(this, target, rectA, rectB);
}

}  // namespace engine
