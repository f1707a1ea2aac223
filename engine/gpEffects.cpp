#include "engine/gpEffects.h"

#include "engine/gpClasses.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObject.h"
#include "engine/gpRegisters.h"
#include "engine/gpUtils.h"
#include "media/DXDraws.h"
#include "media/GPTimer.h"
#include "rtl/Numbers.h"

#include <cmath>

namespace engine {

RTL_REGISTER_CLASS(TGPEffects);
RTL_REGISTER_CLASS(TGPPhantom);

void StartDescription(TGPSprite& sprite, uint8_t hTicksPerChange, int32_t patternWidth, int32_t patternHeight) {
    sprite.RollTick = RollTickOf(hTicksPerChange);
    sprite.FrameTime = sprite.RollTick * media::TickLength;
    sprite.FrameElapsed = 0;
    sprite.Width = patternWidth;
    sprite.Height = patternHeight;
}

// ---- Effects ----

TOneEffects* TGPEffects::Describe(int32_t id) const {
    return Kernel ? ListAnimateEffects().FindOrLoad(Kernel->Resources(), id) : nullptr;
}

void TGPEffects::Create(TObject* owner, int32_t id) {
    TGPSprite::Create(owner, id);
    effect_ = nullptr;
    SetSlide(Describe(id));
    LifeCount = 0;
}

void TGPEffects::SetIDClass(int32_t id) {
    if (id == IDClass) {
        LifeCount = 0;
    } else {
        IDClass = id;
        Animation = nullptr;
        TOneEffects* effect = Describe(id);
        if (effect)
            SetSlide(effect);
        else
            effect_ = nullptr;
    }
    if (effect_) effect_->PictureIndex = -1;
}

void TGPEffects::SetSlide(TOneEffects* effect) {
    if (!effect || effect == effect_) return;
    effect_ = effect;
    StartDescription(*this, effect->HTicksPerChange, effect->PatternWidth, effect->PatternHeight);
    LifeCount = 0;
    EffectFrame = 0;
}

void TGPEffects::LoadOneSlide(int32_t state) { TGPSprite::LoadOneSlide(state); }

TAlignFrame AlignFrameOf(const TGPStructure& target) {
    TAlignFrame f{0, 0, target.Width, target.Height};
    if (const auto* map = dynamic_cast<const TGPMap*>(&target)) {
        f = {map->OriginXNeg, map->OriginYNeg, map->ViewWidth, map->ViewHeight};
    } else if (const auto* obj = dynamic_cast<const TGPObject*>(&target)) {
        f.X = obj->GetX();
        f.Y = obj->GetY();
    } else if (const auto* phantom = dynamic_cast<const TGPPhantom*>(&target)) {
        f.X = phantom->X;
        f.Y = phantom->Y;
    }
    return f;
}

int32_t TGPEffects::AlignTo(TGPStructure* target, int32_t mode) {
    TGPSprite::AlignTo(target, mode);
    if (mode == -1 || !target || dynamic_cast<TGPKernel*>(target)) return 0;
    const auto [x, y, w, h] = AlignFrameOf(*target);
    const int64_t centredX = x + w / 2 - Width / 2;
    switch (mode) {
        case 3:
        case 5:
            SetParam(2, centredX);
            SetParam(3, y + h / 2 - Height / 2);
            return 1;
        case 4:
            SetParam(2, centredX);
            SetParam(3, y + h);
            return 1;
        default: return 0;
    }
}

void TGPEffects::AdvanceFrame() {
    const int32_t last = effect_ ? effect_->LinesWidth - 1 : 0;
    EffectFrame = EffectFrame < last ? EffectFrame + 1 : 0;
}

int32_t TGPEffects::NextFrame() {
    if (!effect_ || !StepFrameCounter(FrameCounter, RollTick)) return EffectFrame;
    if (effect_->TimeLifes != 0) {
        if (LifeCount < effect_->TimeLifes)
            ++LifeCount;
        else
            SetIDClass(effect_->RetIDName);
    }
    AdvanceFrame();
    return EffectFrame;
}

void TGPEffects::DrawOn(TGPStructure*) {}

// ---- Phantoms ----

void TGPPhantom::DescribeClass(rtl::ClassBuilder<TGPPhantom>& c) {
    using T = TGPPhantom;
    c.Property("OffX", &T::OffX)
        .Property("OffY", &T::OffY)
        .Property("X", &T::X)
        .Property("Y", &T::Y)
        .Property("Carrion", &T::GetCarrion, &T::SetCarrion);
}

void TGPPhantom::Create(TObject* owner, int32_t id) {
    TGPEffects::Create(owner, id);
    Picture = nullptr;
}

void TGPPhantom::SetOwner(TObject* owner) {
    TGPEffects::SetOwner(owner);
    TGPStructure* holder = nullptr;
    if (auto* k = dynamic_cast<TGPKernel*>(owner))
        holder = k;
    else if (auto* m = dynamic_cast<TGPMap*>(owner))
        holder = m;
    else if (auto* o = dynamic_cast<TGPObject*>(owner))
        holder = o;
    auto* structure = dynamic_cast<TGPStructure*>(owner);
    ownerGeneration_ = structure ? structure->Generation() : 0;
    if (!holder) return;
    if (!holder->ChildSprites) holder->ChildSprites = std::make_unique<TListStructure>();
    holder->ChildSprites->AddUnique(this);
}

bool TGPPhantom::OwnerInPlay() const {
    if (!Owner || !Kernel) return false;
    if (Owner == Kernel) return true;
    if (Owner == Kernel->Map) return true;
    // Objects of play outlive their time in play (the pool keeps them): a new generation
    // means the owner went back to its pool since.
    if (auto* obj = dynamic_cast<TGPObject*>(Owner)) return obj->Generation() == ownerGeneration_ && !obj->Dead();
    return false;
}

void TGPPhantom::Reuse(TObject* owner) {
    SetOwner(owner);
    Carrion = false;
    Visible = true;
    Picture = nullptr;
    FrameCounter = 0;
    effect_ = nullptr;
    SetSlide(Describe(IDClass));
}

void TGPPhantom::SetSlide(TOneEffects* effect) {
    if (!effect || effect == effect_) return;
    TGPEffects::SetSlide(effect);
    Picture = nullptr;
    CoordinateMode = effect->SystemCoordinate;
    LifeLimit = effect->TimeLifes;
}

void TGPPhantom::SetParam(int32_t code, int64_t value) {
    switch (code) {
        case 1: Angle = std::fmod(static_cast<double>(value), 256.0); break;
        case 2: X = static_cast<int32_t>(value); break;
        case 3: Y = static_cast<int32_t>(value); break;
        case 4: RadiusA = static_cast<int32_t>(value); break;
        case 5: RadiusB = static_cast<int32_t>(value); break;
        case 6:
            if (value == 0) {
                Visible = false;
            } else if (!PhantomPool().Holds(this) || PhantomPool().Remove(this)) {
                Visible = true;
                EffectFrame = 0;
            }
            break;
        case 7: LifeLimit = static_cast<int32_t>(value); break;
        case 8: CoordinateMode = static_cast<uint8_t>(value); break;
        case 9: OffX = static_cast<int32_t>(value); break;
        case 10: OffY = static_cast<int32_t>(value); break;
        default: break;
    }
}

void TGPPhantom::SetCarrion(bool value) {
    if (Carrion == value) return;
    Carrion = value;
    if (value && Kernel) Kernel->FreeObject(1, this);
}

void TGPPhantom::End() {
    LifeCount = 0;
    SetCarrion(true);
}

bool TGPPhantom::SpendLife() {
    if (LifeLimit == 0) return false;
    if (++LifeCount < LifeLimit) return false;
    End();
    return true;
}

int32_t TGPPhantom::NextFrame() {
    if (!effect_) return EffectFrame;
    const TOneEffects& e = *effect_;
    switch (e.StyleImposition) {
        case TStyleImposition::siNo:
            if (RollTick != 0 && StepFrameCounter(FrameCounter, RollTick)) AdvanceFrame();
            return EffectFrame;
        case TStyleImposition::siScaling: {
            // Follows its owner's facing: the owner's column within the frame's row.
            auto* owner = dynamic_cast<TGPObject*>(Owner);
            if (!owner) return 0;
            int32_t pattern = EffectFrame * e.LinesWidth;
            if (owner->CurrentSlide && owner->CurrentSlide->LinesWidth == e.LinesWidth) pattern += owner->Column;
            if (StepFrameCounter(FrameCounter, RollTick)) EffectFrame = EffectFrame < e.LinesHeight - 1 ? EffectFrame + 1 : 0;
            return pattern;
        }
        case TStyleImposition::siStandart:
            if (SpendLife()) return EffectFrame;
            if (StepFrameCounter(FrameCounter, RollTick)) {
                if (EffectFrame < e.LinesWidth - 1)
                    ++EffectFrame;
                else if (LifeLimit != 0 && LifeLimit - LifeCount < e.LinesWidth - 1)
                    End();  // too few calls left for another cycle
                else
                    EffectFrame = 0;
            }
            return EffectFrame;
        case TStyleImposition::siOffset:
            if (SpendLife()) return EffectFrame;
            if (StepFrameCounter(FrameCounter, RollTick)) AdvanceFrame();
            return EffectFrame;
    }
    return EffectFrame;
}

bool TGPPhantom::Position(int32_t vx, int32_t vy, int32_t& x, int32_t& y) {
    const TOneEffects& e = *effect_;
    auto* ownerObject = dynamic_cast<TGPObject*>(Owner);
    const int32_t ownerX = ownerObject ? ownerObject->GetX() : 0, ownerY = ownerObject ? ownerObject->GetY() : 0;
    if (CoordinateMode == 0) {
        switch (e.StyleImposition) {
            case TStyleImposition::siNo:
                x = X, y = Y;
                return true;
            case TStyleImposition::siScaling: {
                auto* owner = dynamic_cast<TGPStructure*>(Owner);
                if (owner && AlignTo(owner, AlignMode)) {
                    x = X - vx, y = Y - vy;  // aligned on the owner
                } else {
                    x = ownerX + OffX - vx, y = ownerY + OffY - vy;
                }
                return true;
            }
            case TStyleImposition::siStandart:
                x = X - vx, y = Y - vy;
                return true;
            case TStyleImposition::siOffset:
                x = ownerX + OffX + (ownerObject ? ownerObject->CollisionRect.Left : 0) - vx;
                y = ownerY + OffY + (ownerObject ? ownerObject->CollisionRect.Top : 0) - vy;
                return true;
        }
        return false;
    }
    if (CoordinateMode != 1) return false;
    if (Owner && Owner == Kernel) {
        x = X, y = Y;
        return true;
    }
    if (ownerObject) {
        // The orbit turns with the owner's facing.
        const int64_t turn = rtl::Trunc(Angle) + int64_t{ownerObject->Column} * ownerObject->StepsPerColumn - 32;
        const rtl::TPoint p = RotatePoint(ownerX - vx, ownerY - vy, RadiusA, RadiusB,
                                          ownerObject->Width / 2 - e.PatternWidth / 2,
                                          ownerObject->Height / 2 - e.PatternHeight / 2, static_cast<uint8_t>(turn & 255));
        x = p.X, y = p.Y;
        return true;
    }
    const rtl::TPoint p = RotatePointF(X - vx, Y - vy, RadiusA, RadiusB, e.PatternWidth / 2, e.PatternHeight / 2, Angle);
    Angle = std::fmod(Angle + e.fiReal, 256.0);
    x = p.X, y = p.Y;
    return true;
}

void TGPPhantom::DrawOn(TGPStructure* target) {
    if (!Visible || Carrion || !effect_ || !Kernel) return;
    if (!Picture && Kernel->EffectsRegister)
        Picture = LoadEffectPicture(*Kernel->EffectsRegister, *Kernel, *effect_, Kernel->Display());
    media::TDirectDrawSurface* surface = Kernel->Surface();
    if (!Picture || !surface) return;
    const TVibration& shake = target ? target->Vibration : Vibration;
    const int32_t vx = Kernel->Map ? Kernel->Map->ViewX() : 0, vy = Kernel->Map ? Kernel->Map->ViewY() : 0;
    int32_t x = 0, y = 0;
    if (!Position(vx, vy, x, y)) return;
    // The last frame of a phantom that ends now is still drawn.
    media::TPictureCollectionItem* picture = Picture;
    const bool cursorTest = effect_->VisibleForCursor == 1;
    picture->Draw(*surface, x + shake.OffsetX, y + shake.OffsetY, NextFrame());
    if (cursorTest && !Carrion && media::PointInRect({Kernel->MouseX, Kernel->MouseY}, {x, y, x + Width, y + Height}))
        SetMouseCursor(4, this);
}

}  // namespace engine
