#include "engine/gpNation.h"

#include "engine/gpCrowd.h"
#include "engine/gpErrors.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpRegisters.h"
#include "engine/gpWeapon.h"

namespace engine {

RTL_REGISTER_CLASS(TGPNation);

TGPNation::TGPNation() = default;
TGPNation::~TGPNation() = default;

void TGPNation::Create(TObject* kernel, int32_t id) {
    TGPStructure::Create(kernel, id);
    Crowd = MakeStructure<TGPCrowd>(this, 0);
    Crowd->Nation = this;
    PictureRegister = std::make_unique<TDXRegisterAnimate>();
    MaxCount = -1;
}

media::TPictureCollectionItem* TGPNation::GetPicture(TOneSlide& slide) {
    if (!Kernel || !PictureRegister) return nullptr;
    return LoadUnitPicture(*PictureRegister, *Kernel, slide, Kernel->Display());
}

void TGPNation::Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) {
    // A move may send any object of the list to the pool, earlier ones included, and bring
    // others in. The pass walks the objects listed when it began, each once, skipping those
    // that left since: every object leaves through the pool, which raises its generation.
    // Objects that join during the pass move from the next pass on.
    std::vector<WalkEntry> nested;
    std::vector<WalkEntry>& walk = walking_ ? nested : walk_;
    walk.clear();
    for (TGPObject* obj : Objects) walk.push_back({obj->Handle(), obj->Generation()});
    const bool outer = !walking_;
    walking_ = true;
    TStackObject::Walk guard;
    try {
        for (const WalkEntry& e : walk) {
            auto* obj = static_cast<TGPObject*>(TGPStructure::FromHandle(e.Handle, e.Generation));
            if (obj && obj->Group == this) obj->Move(mode, rect, list);
        }
    } catch (...) {
        if (outer) walking_ = false;
        throw;
    }
    if (outer) walking_ = false;
}

void TGPNation::Draw() {
    TStackObject::Walk guard;
    // Riders are drawn by their carriers.
    for (int i = 0; i < Objects.Count(); ++i) {
        TGPObject* obj = Objects.Items(i);
        if (!(obj->Kind & kind::Riding)) obj->Draw();
    }
}

void TGPNation::Clear() {
    while (!Objects.Empty()) {
        TGPObject* obj = Objects.First();
        Objects.Delete(0);
        FreeToPool(Kernel, 2, obj);
    }
    TGPStructure::Clear();
}

void TGPNation::Reset() {
    Objects.KillAll();
    if (Crowd) Crowd->ClearMembers();
    PictureRegister = std::make_unique<TDXRegisterAnimate>();
    Templates.Clear();
}

bool TGPNation::CanAdd() const { return MaxCount == -1 || Objects.Count() < MaxCount; }

TGPGeneralObject* TGPNation::Template(int32_t idClass) {
    return Templates.FindOrLoad(Kernel ? Kernel->Resources() : TKernelResources{}, idClass);
}

void TGPNation::SetMaxCount(int32_t n) {
    if (n == MaxCount) return;
    if (n >= 0)
        while (Objects.Count() > n) {
            TGPObject* oldest = Objects.First();
            Objects.Delete(0);
            FreeToPool(Kernel, 2, oldest);
        }
    MaxCount = n;
}

TGPObject* TGPNation::FindByClass(int32_t idClass) const {
    for (TGPObject* obj : Objects)
        if (obj->IDClass == idClass) return obj;
    return nullptr;
}

void TGPNation::AddOnce(TGPObject* obj) {
    if (!Objects.Contains(obj)) Objects.Add(obj);
}

TGPObject* TGPNation::MakeObject(int32_t x, int32_t y, int32_t idClass) {
    if (idClass < 0 || idClass > kMaxObjectClass || !CanAdd()) return nullptr;
    std::unique_ptr<TGPObject> made = ObjectFactory ? ObjectFactory() : std::make_unique<TGPObject>();
    made->Create(this, idClass);
    made->SetX(static_cast<int16_t>(x));
    made->SetY(static_cast<int16_t>(y));
    if (!made->Loaded) return nullptr;  // freed here: it was never in play
    TGPObject* obj = ObjectPool().Adopt(std::move(made));
    AddOnce(obj);
    BindEvents(2, *obj);
    return obj;
}

void TGPNation::RunCreationHooks(TGPObject* obj) {
    if (OnCreateObject) OnCreateObject(this, obj);
    obj->SetParam(111, 0);
}

TGPObject* TGPNation::CreateObject(int32_t x, int32_t y, int32_t idClass) {
    TGPObject* obj = MakeObject(x, y, idClass);
    if (obj) RunCreationHooks(obj);
    return obj;
}

TGPObject* TGPNation::CreateFromPool(int32_t x, int32_t y, bool snap, int32_t idClass) {
    if (idClass < 0 || idClass > kMaxObjectClass || !CanAdd()) return nullptr;
    if (!Kernel) return nullptr;
    // The pool leaves the hooks of a new object to us, so that they run once, after placing.
    TGPObject* obj = ObjectPool().Pop(this, idClass, true, false);
    if (!obj) return nullptr;
    obj->FrameIndex = 0;
    if (snap) {
        obj->SetX(SnapToCell(x) - obj->BaseLeft());
        obj->SetY(SnapToCell(y) - obj->BaseTop());
    } else {
        obj->SetX(x);
        obj->SetY(y);
    }
    if (!obj->Loaded) {
        // Its class gave it no slide. It may already be named by a queued command or a
        // selection: it is never freed during play, only kept out of reuse.
        ObjectPool().Retire(obj);
        return nullptr;
    }
    AddOnce(obj);
    if (Kernel->Map) Kernel->Map->AddObjectToCells(nullptr, obj);
    RunCreationHooks(obj);
    return obj;
}

void TListGPObject::KillAll() {
    while (!Empty()) {
        TGPObject* obj = First();
        Delete(0);
        if (obj->ChildSprites) obj->ChildSprites->ReleaseAll();
        if (obj->Weapon) FreeToPool(obj->Kernel, 3, obj->Weapon);
        obj->DropOrders();
        FreeToPool(obj->Kernel, 2, obj);
    }
}

// Nation list ------------------------------------------------------------------------------

TListNation::~TListNation() { FreeAll(); }

void TListNation::Add(std::unique_ptr<TGPNation> nation) {
    items_.Add(nation.get());
    owned_.push_back(std::move(nation));
}

void TListNation::ClearAll() {
    for (int i = 0; i < items_.Count(); ++i) items_.Items(i)->Clear();
}

void TListNation::FreeAll() {
    for (int i = 0; i < items_.Count(); ++i) items_.Items(i)->Reset();
    items_.Clear();
    owned_.clear();
}

void TListNation::SortByKey() {
    items_.Sort([](TGPNation* a, TGPNation* b) { return a->NationKey < b->NationKey ? -1 : a->NationKey > b->NationKey ? 1 : 0; });
}

// Object pool ------------------------------------------------------------------------------

TStackObject::Walk::Walk() { ++ObjectPool().walks_; }
TStackObject::Walk::~Walk() { --ObjectPool().walks_; }

TStackObject::~TStackObject() {
    idle_.Clear();
    retired_.Clear();
    all_.clear();
}

TGPObject* TStackObject::Adopt(std::unique_ptr<TGPObject> obj) {
    all_.push_back(std::move(obj));
    return all_.back().get();
}

bool TStackObject::Holds(const TGPObject* obj) const {
    auto* o = const_cast<TGPObject*>(obj);
    return idle_.Contains(o) || retired_.Contains(o);
}

TGPObject* TStackObject::Pop(TObject* owner, int32_t idClass, bool checkLimit, bool admit) {
    TGPNation* nation = nullptr;
    if (auto* o = dynamic_cast<TGPObject*>(owner))
        nation = dynamic_cast<TGPNation*>(static_cast<TGPStructure*>(o->Group));
    else
        nation = dynamic_cast<TGPNation*>(owner);
    if (checkLimit && (!nation || !nation->CanAdd())) return nullptr;
    for (int i = 0; i < idle_.Count(); ++i) {
        TGPObject* obj = idle_.Items(i);
        if (obj->IDClass != idClass) continue;
        idle_.Delete(i);
        obj->Reuse(owner, nation);
        if (nation) {
            nation->AddOnce(obj);
            // A reused object gets the hooks a new one gets.
            if (admit) nation->RunCreationHooks(obj);
        }
        return obj;
    }
    if (!nation) return nullptr;
    return admit ? nation->CreateObject(100, 100, idClass) : nation->MakeObject(100, 100, idClass);
}

void TStackObject::Push(TGPObject* obj) {
    if (!obj || Holds(obj)) return;
    auto* nation = dynamic_cast<TGPNation*>(static_cast<TGPStructure*>(obj->Group));
    // Leave the map's cells while the object still has its place and size.
    if (nation && nation->Kernel && nation->Kernel->Map) nation->Kernel->Map->RemoveObjectFromCells(obj);
    if (obj->ChildSprites) obj->ChildSprites->ReleaseAll();
    obj->SetParam(111, 0);
    obj->Clear();
    idle_.Add(obj);
    obj->NextGeneration();
    obj->DropOrders();
    if (nation) nation->Objects.Remove(obj);
}

void TStackObject::Retire(TGPObject* obj) {
    Push(obj);
    if (idle_.Remove(obj) >= 0) retired_.Add(obj);
}

void TStackObject::Free(rtl::List<TGPObject*>& list) {
    for (TGPObject* obj : list)
        std::erase_if(all_, [obj](const std::unique_ptr<TGPObject>& q) { return q.get() == obj; });
    list.Clear();
}

void TStackObject::Clear() {
    // A walk over game objects holds their addresses: freeing them now would pull the
    // memory from under it.
    if (walks_ > 0) throw EStackObject("TStackObject.Clear");
    Free(idle_);
    Free(retired_);
}

void TStackObject::Unlink(const TGPKernel* kernel) {
    for (rtl::List<TGPObject*>* list : {&idle_, &retired_})
        for (TGPObject* obj : *list) {
            if (obj->Kernel == kernel) obj->ForgetKernel();
        }
}

}  // namespace engine
