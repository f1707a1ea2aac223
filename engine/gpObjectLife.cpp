// The game object's life: its class template, damage and scoring, death and the way back to
// the pool, prizes, splinters, the script hooks, the crowd and the attached effects.
#include "engine/gpObject.h"

#include "engine/gpClasses.h"
#include "engine/gpCrowd.h"
#include "engine/gpEffects.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpShared.h"
#include "engine/gpWeapon.h"
#include "rtl/Numbers.h"

#include <algorithm>
#include <exception>

namespace engine {

// ---- Template ----

void TGPObject::RefreshTemplate() {
    if (TGPNation* nation = Nation()) Template = nation->Template(IDClass);
}

void TGPObject::LoadTemplate(int32_t id) {
    TGPNation* nation = Nation();
    Template = nation ? nation->Template(id) : nullptr;
    if (Template) Template->ParseWeapons();
    ApplyTemplate();
    LoadClassScript();
}

void TGPObject::LoadClassScript() {
    if (!ScriptsEnabled || !Template || Template->MDName.empty()) {
        Code.reset();
        Events.Reset();
        return;
    }
    if (!Code) Code = std::make_unique<TGPCode>(this, Kernel);
    try {
        Code->LoadScript(Kernel ? Kernel->Resources() : TKernelResources{}, Template->MDName);
        Code->Init();
    } catch (...) {
        // Whatever the script took for the object goes back before the failure is passed on.
        RemoveAllChildren();
        throw;
    }
    TGPCode::BindEvents(Events, Code.get());
}

void TGPObject::ApplyTemplate() {
    // A reused object takes the description its nation holds now: the one it had may have
    // gone with a level reset, and its script with it.
    const TGPGeneralObject* before = Template;
    RefreshTemplate();
    const bool newDescription = Template != before;
    // One that lost its slides with the kernel that ended takes them again.
    if (slidesLost_ && Kernel) {
        slidesLost_ = false;
        Animation = ListAnimateObject().FindOrLoad(Kernel->Resources(), IDClass);
        if (Animation) LoadOneSlide(Template ? Template->DefaultSlide : 1);
    }
    if (!Template) {
        if (newDescription) LoadClassScript();
        return;
    }
    const TGPGeneralObject& t = *Template;
    ScriptsEnabled = t.ProcessingEvents ? 1 : 0;
    TimerCount = t.TicksPerRotate;
    HitPoints = t.Toughness;
    MinSpeedFx = FixedFromReal(t.MinSpeed);
    MaxSpeedFx = FixedFromReal(t.MaxSpeed);
    AccelerationFx = FixedFromReal(t.MaxSpeedUp);
    // The timed classes keep their timer count in the high half of this word: once it
    // counts, the word is no speed 16.16 can hold. Beyond 16383 it starts there, so that the
    // random share added next still fits.
    const int32_t startSpeed = std::min(t.AddParamInt1, int32_t{16383});
    SetDGCSpeed(startSpeed);
    SetDGCSpeed(RealFromFixed(SpeedFx) + rtl::Random(startSpeed));
    LifeTime = t.AddParamInt4;
    if (t.ConnectWeapon && t.SizeWeapon > 0) TakeTemplateWeapon();
    if (newDescription) LoadClassScript();
}

void TGPObject::TakeTemplateWeapon() {
    const TGPGeneralObject& t = *Template;
    const int32_t count = std::min(t.SizeWeapon, TGPGeneralObject::MaxWeapons);
    if (t.CurrentWeapon < 0 || t.CurrentWeapon >= count || !Kernel) return;
    if (Weapon) Kernel->FreeObject(3, Weapon);
    Weapon = dynamic_cast<TGPWeapon*>(Kernel->CreateObject(3, this, false, t.Weapons[static_cast<size_t>(t.CurrentWeapon)]));
}

// ---- Damage and scoring ----

void TGPObject::Hit(TGPObject* attacker, TGPStructure* source) {
    const bool indestructible = !Template || Template->Toughness == kIndestructible;
    if (auto* weapon = dynamic_cast<TGPWeapon*>(source)) {
        if (weapon->GetFlagEffectClass() && Kernel) {
            auto* effect = dynamic_cast<TGPSprite*>(Kernel->CreateObject(1, this, true, weapon->GetIDEffectsClass()));
            if (effect) {
                effect->AlignTo(attacker, 3);
                effect->SetParam(1, rtl::Random(255));
            }
        }
        if (indestructible) return;
        const int32_t damage = weapon->GetDamage();
        if (HitPoints - damage > 0)
            HitPoints -= damage;
        else
            SetDead(true);
    } else if (auto* other = dynamic_cast<TGPObject*>(source)) {
        if (indestructible) return;
        const int32_t d = Column - other->Column;
        if (d > 0)
            Column = d - 1;
        else
            SetDead(true);
    }
}

void TGPObject::KilledBy(TGPObject* killer) {
    if (Kind & kind::Hidden) {
        SetKind(-kind::Hidden);
    } else {
        const bool ball = killer && IsBallClass(killer->IDClass);
        const int64_t multiplier = ball ? int64_t{killer->Column} + 1 : 1;
        SetParam(100, 1);
        SetParam(109, reinterpret_cast<intptr_t>(static_cast<TGPStructure*>(killer)));
        if (killer != this) SetParam(110, 1);
        const bool brick = IsBrickClass(IDClass), monster = IsMonsterClass(IDClass);
        if (Template && Kernel && ((brick && HitPoints != kIndestructible) || (monster && ball)))
            Kernel->AddScore(int64_t{Template->PriceForDeath} * multiplier * Shared().ClampedDifficulty());
        if (brick || monster) FrameIndex = 0;
    }
    if (IDClass != 64) RunOnCollision();
}

// ---- Death and the pool ----

void TGPObject::SetDead(bool value) {
    // Brought back to life (the pool reuses it): alive again too, whichever way it left, so
    // that it can be switched off again.
    if (!value) Alive = 1;
    if (dead_ == value) return;
    dead_ = value;
    if (!value) return;
    // The object goes back to the pool even when its carrion block fails; the failure is
    // passed on once it is there.
    std::exception_ptr failure;
    if (InPlay()) {
        try {
            RunOnCarrion();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (Kernel) Kernel->FreeObject(2, this);
    if (failure) std::rethrow_exception(failure);
}

void TGPObject::SetAlive(bool value) {
    const uint8_t v = value ? 1 : 0;
    if (Alive == v) return;
    Alive = v;
    if (value)
        RunOnVisible();
    else if (Kernel)
        Kernel->FreeObject(2, this);
}

void TGPObject::Clear() {
    // Out of play: nothing may keep naming this object as a member, a rider or a carrier.
    if (Selected) SetInCrowd(false);
    if (Kernel && Kernel->Selected == this) Kernel->Selected = nullptr;
    if (Kind & (kind::Riding | kind::RandomRide)) {
        if (TGPObject* carrier = Carrier()) carrier->DetachRider(this);
        Kind &= ~(kind::Riding | kind::RandomRide);
    }
    if (RiderCount() > 0) LetRidersGo();
    if (Weapon) {
        if (Kernel)
            Kernel->FreeObject(3, Weapon);
        else
            WeaponPool().Release(Weapon);
        Weapon = nullptr;
    }
    // Behaviours: a reused object starts young, unturned and with no shot links.
    Age = 0;
    TurnCount = TurnLimit = 0;
    TurnWord = 0;
    SetShotLinks(nullptr, nullptr);
    // A sound looping for the object ends with its time in play.
    StopLoopingSound();
    TGPSprite::Clear();
}

void TGPObject::StopLoopingSound() {
    if (!LoopingSound) return;
    LoopingSound->SetLooped(false);
    LoopingSound = nullptr;
}

void TGPObject::Reuse(TObject* owner, TGPNation* nation) {
    // What the structure and the sprite start with.
    Kind = 0;
    AnimationFlag = 0;
    Visible = true;
    Carrion = false;
    AlignMode = 0;
    Frame = 0;
    StartVibration();
    OnGPExit = nullptr;
    OnGPEnter = nullptr;
    OnSwitchVibration = nullptr;
    OnGPBeginVibration = nullptr;
    OnGPVibration = nullptr;
    OnGPEndVibration = nullptr;
    OnGPSplinterEvent = nullptr;
    OnGPMove = nullptr;
    OnGPSetKind = nullptr;
    OnDXKeyDown = nullptr;
    OnGPMouseDown = nullptr;
    // The child list's hook stays: the shell gives the paddle its effect order once a level.
    FrameIndex = 0;
    FrameCounter = 0;
    FrameElapsed = 0;
    Angle = 0;
    Animating = true;
    // Motion and the behaviours' values; the caller places the object.
    OldXFx = OldYFx = 0;
    VelocityXFx = VelocityYFx = 0;
    SpeedFx = 0;
    DecelerationFx = 0;
    Direction = 0;
    DGCA = DGCB = 1.0;
    Heading = 0;
    DriftX = 0.6;
    DriftY = -0.6;
    TurnRate = 0;
    OrbitCentreX = OrbitCentreY = 0;
    OffsetX = OffsetY = 0;
    OrbitStep = 0;
    TimerCount = 100;
    OrderPhase = 0;
    OrderTag = 100;
    LifeTime = -1;
    Column = 0;
    Picture = nullptr;
    PictureStale = true;
    StopLoopingSound();
    dead_ = false;
    Alive = 1;

    SetOwner(owner);
    if (nation) {
        Group = static_cast<TGPStructure*>(nation);
        nation->BindEvents(2, *this);
    }
    // The description may have changed since (it is looked up again): the slide and the
    // column it sets come after it.
    ApplyTemplate();  // the timer count from here: TicksPerRotate
    if (Animation) {
        const int32_t state = Template ? Template->DefaultSlide : 1;
        if (state >= 1 && state <= Animation->SlideCount()) {
            CurrentSlide = nullptr;
            TGPSprite::LoadOneSlide(state);
        }
    }
    if (CurrentSlide) FrameIndex = CurrentSlide->AnimationSprite;
    FixedColumn = Template ? Template->Rotate : 0;
    if (FixedColumn && CurrentSlide) Column = 0;  // the column of heading 0
    if (LevelRecord)
        ApplyLevelRecord();
    else
        ResetOrder();
}

void TGPObject::ForgetKernel() {
    Kernel = nullptr;
    Group = nullptr;
    Owner = nullptr;
    Animation = nullptr;  // the kernel's end emptied the description registers
    CurrentSlide = nullptr;
    LoopingSound = nullptr;
    Template = nullptr;  // its nation's descriptions went with the nation
    Picture = nullptr;
    Code.reset();  // loaded from that kernel's level set; taken anew with the description
    Events.Reset();
    slidesLost_ = true;
}

void TGPObject::RunEvent(TObjectEvent event) {
    if (Code) Code->RunEvent(Events, event);
}

// ---- Prizes ----

namespace {
// Runs a newly placed object's ONBIRTH; false when its script took it out of play (it went
// back to its pool, and may even have been handed out again): it is then left as it is.
bool SurvivesBirth(TGPObject& object) {
    const uint16_t generation = object.Generation();
    object.RunOnBirth();
    return object.Generation() == generation;
}
}  // namespace

int32_t TGPObject::PickBonus(int32_t roll) const {
    if (!Template || Template->Toughness == kIndestructible || IsMonsterClass(IDClass)) return -1;
    const TGPShared& shared = Shared();
    const bool closedFloor = Kernel && Kernel->Map && (Kernel->Map->Kind & 0x1000);
    const std::bitset<256> letters = Kernel ? Kernel->LettersCollected() : shared.Letters;
    int32_t candidate = -1;
    for (const TRangeRecord& r : shared.DropTable) {
        if (!(r.Lower < roll && roll < r.Upper)) continue;
        candidate = r.IDClass;
        if (closedFloor && candidate == 99) candidate = -1;
        if (IsLetterClass(candidate)) {
            candidate = -1;
            for (int32_t letter = kFirstLetter; letter <= kLastLetter; ++letter)
                if (!letters.test(static_cast<size_t>(letter - kFirstLetter))) {
                    candidate = letter;
                    break;
                }
        }
        if (candidate != -1) break;
    }
    if (candidate == -1 || !Kernel) return candidate;
    if (TGPNation* prizes = Kernel->FindNation(kPrizeNation))
        if (prizes->FindByClass(candidate)) return -1;
    return candidate;
}

void TGPObject::DropBonus(std::span<const int32_t> idClasses, std::span<const int32_t> idKinds) {
    if (!Kernel) return;
    const size_t n = std::min(idClasses.size(), idKinds.size());
    for (size_t i = 0; i < n; ++i) {
        const int32_t id = idClasses[i];
        if (id == -1 || idKinds[i] != 2 || !IsPrizeClass(id)) continue;
        TGPNation* prizes = Kernel->NationByKey(kPrizeNation);
        if (prizes->FindByClass(id)) continue;
        auto* prize = dynamic_cast<TGPObject*>(Kernel->CreateObject(2, prizes, true, id));
        if (!prize) continue;  // the nation is full
        const int32_t width = CollisionRect.Right - CollisionRect.Left;
        const int32_t height = CollisionRect.Bottom - CollisionRect.Top;
        const int32_t prizeWidth = prize->CollisionRect.Right - prize->CollisionRect.Left;
        prize->SetX(GetX() + width / 2 - prizeWidth / 2);
        prize->SetY(GetY() + height + 2);
        if (!SurvivesBirth(*prize)) continue;
        prize->DriftX = 0;
        prize->DriftY = rtl::Random(static_cast<int32_t>(rtl::Trunc(RealFromFixed(prize->MinSpeedFx)) * 10)) / 10.0;
        if (Kernel->Map) Kernel->Map->AddObjectToCells(nullptr, prize);
    }
}

// ---- Splinters ----

int32_t TGPObject::Splinter(TGPObject* source, int32_t rounds, std::span<const int32_t> idClasses) {
    if (!Kernel || !source) return 0;
    TGPNation* nation = Kernel->NationByKey(kSplinterNation);
    int32_t made = 0;
    for (int32_t round = 0; round < rounds; ++round) {
        const int32_t before = made;
        for (const int32_t id : idClasses) {
            if (id == -1) continue;
            auto* piece = dynamic_cast<TGPObject*>(Kernel->CreateObject(2, nation, true, id));
            if (!piece) continue;
            piece->SetX(source->GetX() + source->Width / 2 - piece->Width / 2);
            piece->SetY(source->GetY() + source->Height / 2 - piece->Height / 2);
            if (!SurvivesBirth(*piece)) continue;
            const int32_t spread = static_cast<int32_t>(rtl::Trunc(RealFromFixed(piece->MaxSpeedFx) * 100));
            piece->SetDGCSpeed(RealFromFixed(piece->MinSpeedFx) + rtl::Trunc(rtl::Random(spread) / 100.0));
            piece->SetDGCDirection(rtl::Random(255));
            if (Kernel->Map) Kernel->Map->AddObjectToCells(nullptr, piece);
            ++made;
        }
        if (made == before) break;  // nothing more is to be had
    }
    return made;
}

void TGPObject::DoSplinterEvent(TObject* sender, const std::vector<int32_t>& idKinds,
                                const std::vector<int32_t>& idClasses) {
    if (OnGPSplinterEvent) OnGPSplinterEvent(sender, this, idKinds, idClasses);
}

// ---- Crowd and attached effects ----

void TGPObject::SetInCrowd(bool value) {
    TGPNation* nation = Nation();
    if (!nation || !nation->Crowd) return;
    if (value)
        nation->Crowd->AddMember(this, true);
    else
        nation->Crowd->RemoveMember(this, true);
}

void TGPObject::RemoveChildEffects(int32_t id) {
    if (!ChildSprites) return;
    for (int i = 0; i < ChildSprites->Count();) {
        TGPStructure* s = ChildSprites->Items(i);
        if (s->IDClass != id || !dynamic_cast<TGPPhantom*>(s)) {
            ++i;
            continue;
        }
        ChildSprites->Delete(i);  // off the list first: the walk goes on whatever the pool does
        if (Kernel)
            Kernel->FreeObject(1, s);
        else
            PhantomPool().Release(static_cast<TGPPhantom*>(s));
    }
}

void TGPObject::RemoveAllChildren() {
    if (ChildSprites) ChildSprites->ReleaseAll();
}

}  // namespace engine
