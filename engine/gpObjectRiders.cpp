// The kind bits a game object interprets, and riders: objects carried by another (the balls
// the paddle holds), drawn by their carrier and let go by it.
#include "engine/gpObject.h"

#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObjectList.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "engine/gpWeapon.h"
#include "rtl/Numbers.h"

#include <algorithm>

namespace engine {

// ---- Riders ----

int32_t TGPObject::AttachRider(TGPObject* rider) {
    if (!rider || rider == this) return -1;
    if (!Riders) Riders = std::make_unique<rtl::List<TGPObject*>>();
    const int index = Riders->IndexOf(rider);
    if (index >= 0) return index + 1;
    rider->OffsetX = static_cast<double>(int64_t{rider->GetX()} - GetX() - CollisionRect.Left);
    rider->OffsetY = static_cast<double>(int64_t{rider->GetY()} - GetY());
    rider->SetX(static_cast<int32_t>(GetX() + rtl::Round(rider->OffsetX)));
    rider->SetY(static_cast<int32_t>(GetY() + rtl::Round(rider->OffsetY)));
    rider->Kind |= kind::Riding;
    rider->SetOwner(this);
    rider->ClearOrders();
    const int added = Riders->Add(rider);
    Kind |= kind::Carrier;
    return added;
}

void TGPObject::DetachRider(TGPObject* rider) {
    if (!rider) return;
    if (Riders) Riders->Remove(rider);
    rider->Kind &= ~kind::Riding;
    if (RiderCount() == 0) Kind &= ~kind::Carrier;
}

void TGPObject::RiderLaunch(const TGPObject& rider, double& vx, double& vy) const {
    const TRect r = GetRect();
    const int64_t m = r.Left + (int64_t{r.Right} - r.Left) / 2;
    const int64_t c = int64_t{rider.GetX()} + rider.Width / 2;
    const double minSpeed = RealFromFixed(rider.MinSpeedFx);
    const double factor = Shared().SpeedFactor;
    vy = -minSpeed * factor;
    // The further from the centre a rider sat, the more sideways it leaves. A carrier
    // without width lets everything go as from its centre.
    const int64_t off = Width != 0 ? m - c : 0;
    const double share = Width != 0 ? 3.0 * static_cast<double>(off) / Width : 0.0;
    vx = off > 0 ? -minSpeed * (share + 1.0) : minSpeed * (1.0 - share);
}

namespace {
// The direction of (vx, vy) pixels per tick, taken on their 16.16 values.
int64_t DirectionOf(double vx, double vy) { return AngleOf(FixedFromReal(vy), FixedFromReal(vx)); }
}  // namespace

void TGPObject::ReleaseRiders(bool fire) {
    if (!CurrentSlide || CurrentSlide->IDCondition != 4) return;
    if (fire && Weapon) Weapon->Fire();
    if (IDClass != kPaddleClass || RiderCount() == 0) return;
    // Each rider of the list as it was is let go once, whatever letting it go runs (its
    // order, its record applied again): one that left play or this carrier meanwhile is
    // skipped, one that came back is not let go again.
    const TObjectSnapshot riders(*Riders);
    for (int i = 0; i < riders.Count(); ++i) {
        TGPObject* rider = riders.Get(i);
        if (!rider || !Riders->Contains(rider)) continue;
        double vx = 0, vy = 0;
        RiderLaunch(*rider, vx, vy);
        rider->OrderPhase = 5;
        const int32_t column = rider->Column;
        if (rider->CurrentSlide) rider->SetOrder(rider->CurrentSlide->Type_Ord_Default, -1, -1, -1, -1);
        rider->SetKind(-kind::Riding);
        if (Riders->Contains(rider)) DetachRider(rider);  // it did not know its carrier
        rider->SpeedFx = FixedFromReal(RealFromFixed(rider->MinSpeedFx) * Shared().SpeedFactor);
        rider->SetFrame(column);
        rider->SetDGCDirection(DirectionOf(vx, vy));
    }
}

void TGPObject::LetRidersGo() {
    while (RiderCount() > 0) {
        TGPObject* rider = Riders->First();
        Riders->Delete(0);
        double vx = 0, vy = 0;
        RiderLaunch(*rider, vx, vy);
        rider->SetDGCDirection(DirectionOf(vx, vy));
        rider->OrderPhase = 5;
        const int32_t column = rider->Column;
        if (rider->CurrentSlide) rider->SetOrder(rider->CurrentSlide->Type_Ord_Default, -1, -1, -1, -1);
        rider->Kind &= ~(kind::Riding | kind::RandomRide);
        rider->SetFrame(column);
    }
    Kind &= ~kind::Carrier;
}

// ---- Kind bits ----

void TGPObject::ShowPaddleEffect(int32_t id, int32_t mode) {
    if (!Kernel) return;
    auto* effect = dynamic_cast<TGPSprite*>(Kernel->CreateObject(1, this, true, id));
    if (!effect) return;
    effect->AlignTo(this, mode);
    effect->Show(this);
}

void TGPObject::SetPaddleKind(int32_t value) {
    if ((value & kind::NextWeapon) && Template && Template->SizeWeapon > 0 && Kernel) {
        const TGPGeneralObject& t = *Template;
        const int32_t count = std::min(t.SizeWeapon, TGPGeneralObject::MaxWeapons);
        const int32_t current = Weapon ? Weapon->IDClass : -1;
        int32_t next = t.Weapons[0];
        if (Weapon) {
            next = current;
            for (int32_t i = 0; i + 1 < count; ++i)
                if (t.Weapons[static_cast<size_t>(i)] == current) {
                    next = t.Weapons[static_cast<size_t>(i + 1)];
                    break;
                }
        }
        if (next != current && next != 8) {
            if (Weapon) Kernel->FreeObject(3, Weapon);
            Weapon = dynamic_cast<TGPWeapon*>(Kernel->CreateObject(3, this, false, next));
        }
    }
    if ((value & kind::Effect4) && !(Kind & kind::Effect4)) {
        if (Template) Template->Media = 2;
        ShowPaddleEffect(4, 3);
    }
    if ((value & kind::Effect8) && !(Kind & kind::Effect8)) ShowPaddleEffect(8, 5);
    if ((value & kind::Effect9) && !(Kind & kind::Effect9)) ShowPaddleEffect(9, 5);
    if ((value & kind::Stunned) && !(Kind & kind::Stunned) && Kernel) Kernel->Shared.StunCounter = 0;
}

void TGPObject::ClearPaddleKind(int32_t bits) {
    const bool all = bits == kind::ClearAll;
    if ((bits & kind::NextWeapon) || all) {
        if (Weapon && Kernel) Kernel->FreeObject(3, Weapon);
        Weapon = nullptr;
    }
    if ((bits & kind::Effect4) || all) {
        if (Template) Template->Media = 0;
        RemoveChildEffects(4);
    }
    if ((bits & kind::Effect8) || all) RemoveChildEffects(8);
    if ((bits & kind::Effect9) || all) RemoveChildEffects(9);
}

void TGPObject::SetKind(int32_t value) {
    if (value > 0) {
        if (value & (kind::Riding | kind::RandomRide)) {
            // Riding needs a carrier: a game object as the owner link, still in play.
            TGPObject* carrier = Carrier();
            if (!carrier) return;
            if (Kernel && Kernel->Map) Kernel->Map->RemoveObjectFromCells(this);
            if (value & kind::Riding) {
                SetY(carrier->GetY() - Height + CollisionRect.Left);
            } else {
                const TRect r = carrier->GetRect();
                const int64_t span = int64_t{r.Right} - r.Left;
                SetX(static_cast<int32_t>(r.Left + span / 2 +
                                          rtl::Round(RandomSigned(static_cast<int32_t>((span - 16) / 2), 1))));
                if (Shared().UpsideDown)
                    SetY(carrier->GetY() + carrier->Height - CollisionRect.Left);
                else
                    SetY(carrier->GetY() - Height + CollisionRect.Left);
            }
            carrier->AttachRider(this);
        } else if (value & kind::DifficultySpeed) {
            SetDGCSpeed(RealFromFixed(SpeedFx) * Shared().DifficultyFactor());
        } else if (IDClass == kPaddleClass) {
            SetPaddleKind(value);
        }
        Kind |= value;
        return;
    }
    const int32_t bits = static_cast<int32_t>(-int64_t{value} & 0xFFFFFFFF);
    if (bits & kind::Carrier) {
        LetRidersGo();
    } else if (bits & (kind::Riding | kind::RandomRide)) {
        if (TGPObject* carrier = Carrier()) {
            carrier->DetachRider(this);
        } else if (!dynamic_cast<TGPObject*>(Owner)) {
            return;  // never rode anything
        }
        // A carrier that went back to its pool since lets its rider go all the same.
        if (Animation) LoadOneSlide(Template ? Template->DefaultSlide : 1);
        if (LevelRecord) ApplyLevelRecord();
        Kind &= ~(kind::Riding | kind::RandomRide);
    } else if (IDClass == kPaddleClass) {
        ClearPaddleKind(bits);
    }
    if (bits == kind::ClearAll) {
        // Clearing everything lets riders go too, so none is left listed at a stale offset.
        if (RiderCount() > 0) LetRidersGo();
        Kind = 0;
    }
    Kind &= ~bits;
}

}  // namespace engine
