// The three pools of objects of play, the kernel's hand-out and return, and the level reset.
#include "engine/gpKernel.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpMapElement.h"
#include "engine/gpNation.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "engine/gpWeapon.h"

#include <algorithm>

namespace engine {

RTL_REGISTER_CLASS(TGPWeapon);

TStackPhantom& PhantomPool() {
    static TStackPhantom pool;
    return pool;
}
TStackObject& ObjectPool() {
    static TStackObject pool;
    return pool;
}
TStackWeapon& WeaponPool() {
    static TStackWeapon pool;
    return pool;
}

TGPStructure* TGPKernel::CreateObject(int32_t kind, TObject* owner, bool checkLimit, int32_t idClass) {
    TGPSprite* sprite = nullptr;
    switch (kind) {
        case 1: sprite = PhantomPool().Acquire(owner, idClass); break;
        case 2: sprite = ObjectPool().Pop(owner, idClass, checkLimit); break;
        case 3: {
            auto* object = dynamic_cast<TGPObject*>(owner);
            return object ? WeaponPool().Acquire(object, idClass) : nullptr;
        }
        default: return nullptr;
    }
    if (sprite) sprite->FrameIndex = 0;
    return sprite;
}

namespace {
void ReturnToPool(int32_t kind, TGPStructure* sprite) {
    switch (kind) {
        case 1:
            if (auto* p = dynamic_cast<TGPPhantom*>(sprite)) PhantomPool().Release(p);
            break;
        case 2:
            if (auto* o = dynamic_cast<TGPObject*>(sprite)) ObjectPool().Push(o);
            break;
        case 3:
            if (auto* w = dynamic_cast<TGPWeapon*>(sprite)) WeaponPool().Release(w);
            break;
        default: break;
    }
}
}  // namespace

void TGPKernel::FreeObject(int32_t kind, TGPStructure* sprite) {
    ReturnToPool(kind, sprite);
    if (OnPUSH) OnPUSH(sprite);
}

void FreeToPool(TGPKernel* kernel, int32_t kind, TGPStructure* sprite) {
    if (kernel)
        kernel->FreeObject(kind, sprite);
    else
        ReturnToPool(kind, sprite);
}

void TGPKernel::Clear() {
    // The HUD panels link to game variables: drop the links before the panels go.
    ResetKernelRecord(KernelRecord);
    FreePanels();
    CommandLine->DropObjectCommands();
    Nations->FreeAll();
    TGPStructure::Clear();
    if (Map) {
        Map->Clear();
        if (Map->CellCount() > 0) Map->Cells->Get(0)->SetIDClass(-1);
    }
    Data->Clear();
    // The next level set brings its own slides, effects and interface descriptions.
    ClearAnimationRegistries();
    PanelRegister = std::make_unique<TDXRegisterPanel>();
    EffectsRegister = std::make_unique<TDXRegisterEffects>();
    ObjectPool().Clear();  // first: it refuses while objects are walked
    PhantomPool().Clear();
    WeaponPool().Clear();
    if (SoundRegister) SoundRegister->ClearLoaded();
    // The level set may read through the level container: it goes first.
    LevelStream.reset();
    Resource.reset();
    Selected = nullptr;
}

void TListStructure::ReleaseAll() {
    if (Empty()) return;
    TGPKernel* kernel = First()->Kernel;
    while (!Empty()) {
        TGPStructure* item = First();
        Delete(0);  // off the list first: the loop ends whatever the pool does
        int kind;
        if (dynamic_cast<TGPPhantom*>(item))
            kind = 1;
        else if (dynamic_cast<TGPObject*>(item))
            kind = 2;
        else if (dynamic_cast<TGPWeapon*>(item))
            kind = 3;
        else
            throw rtl::ERangeError(rtl::texts::SRangeError);
        FreeToPool(kernel, kind, item);
    }
}

void DrawChildSprites(const TGPStructure& holder, TGPStructure* target, bool visibleOnly) {
    TListStructure* list = holder.ChildSprites.get();
    if (!list) return;
    for (int i = 0; i < list->Count();) {
        TGPStructure* s = list->Items(i);
        if (!visibleOnly || s->Visible)
            if (auto* effect = dynamic_cast<TGPEffects*>(s)) effect->DrawOn(target);
        // Still in its place: go on after it. Gone (it ended while drawn): its next sibling
        // moved into this index and is drawn next.
        if (i < list->Count() && list->Items(i) == s) ++i;
    }
}

// Phantoms --------------------------------------------------------------------------------

TStackPhantom::~TStackPhantom() { all_.clear(); }

bool TStackPhantom::Holds(const TGPPhantom* phantom) const { return idle_.Contains(const_cast<TGPPhantom*>(phantom)); }

TGPPhantom* TStackPhantom::Acquire(TObject* owner, int32_t id) {
    for (int i = 0; i < idle_.Count(); ++i) {
        TGPPhantom* p = idle_.Items(i);
        if (p->IDClass != id) continue;
        idle_.Delete(i);
        p->Reuse(owner);
        return p;
    }
    auto made = std::make_unique<TGPPhantom>();
    TGPPhantom* p = made.get();
    all_.push_back(std::move(made));
    p->Create(owner, id);
    return p;
}

void TStackPhantom::Release(TGPPhantom* phantom) {
    if (!phantom || Holds(phantom)) return;
    idle_.Add(phantom);
    // Whoever still refers to it sees a dead phantom of another generation.
    phantom->Carrion = true;
    phantom->NextGeneration();
    phantom->Picture = nullptr;
    if (auto* holder = dynamic_cast<TGPStructure*>(phantom->Owner))
        if (holder->ChildSprites) holder->ChildSprites->Remove(phantom);
}

bool TStackPhantom::Remove(TGPPhantom* phantom) {
    if (!Holds(phantom) || !phantom->OwnerInPlay()) return false;
    idle_.Remove(phantom);
    phantom->Carrion = false;
    phantom->SetOwner(phantom->Owner);
    return true;
}

void TStackPhantom::Clear() {
    for (TGPPhantom* p : idle_)
        std::erase_if(all_, [p](const std::unique_ptr<TGPPhantom>& q) { return q.get() == p; });
    idle_.Clear();
}

void TStackPhantom::OwnerGone(const TObject* owner) {
    for (TGPPhantom* p : idle_)
        if (p->Owner == owner) p->Owner = nullptr;
}

void TStackPhantom::Unlink(const TGPKernel* kernel) {
    for (TGPPhantom* p : idle_) {
        if (p->Kernel != kernel) continue;
        p->Kernel = nullptr;
        p->Owner = nullptr;
        p->Animation = nullptr;
        p->CurrentSlide = nullptr;
    }
}

// Weapons ---------------------------------------------------------------------------------

TStackWeapon::~TStackWeapon() { all_.clear(); }

TGPWeapon* TStackWeapon::Acquire(TGPObject* object, int32_t number) {
    if (!object) return nullptr;
    for (int i = 0; i < idle_.Count(); ++i) {
        TGPWeapon* w = idle_.Items(i);
        if (w->IDClass != number) continue;
        idle_.Delete(i);
        w->SetOwner(object);
        w->Group = object->Group;
        object->Weapon = w;
        // A reused weapon has fired nothing for its new owner, whose age starts anew.
        w->Rearm(object);
        return w;
    }
    auto made = std::make_unique<TGPWeapon>();
    TGPWeapon* w = made.get();
    all_.push_back(std::move(made));
    w->Create(object, number);
    object->Weapon = w;
    return w;
}

void TStackWeapon::Release(TGPWeapon* weapon) {
    if (!weapon || idle_.Contains(weapon)) return;
    idle_.Add(weapon);
    weapon->NextGeneration();
    weapon->Disarm();
    if (auto* o = dynamic_cast<TGPObject*>(weapon->Owner))
        if (o->Weapon == weapon) o->Weapon = nullptr;
}

void TStackWeapon::Clear() {
    for (TGPWeapon* w : idle_) std::erase_if(all_, [w](const std::unique_ptr<TGPWeapon>& q) { return q.get() == w; });
    idle_.Clear();
}

void TStackWeapon::Unlink(const TGPKernel* kernel) {
    for (TGPWeapon* w : idle_) {
        if (w->Kernel != kernel) continue;
        w->Kernel = nullptr;
        w->Owner = nullptr;
    }
}

}  // namespace engine
