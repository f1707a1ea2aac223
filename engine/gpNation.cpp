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
    // Objects may leave the list (and others join) while moving: walk by index and re-check.
    for (int i = 0; i < Objects.Count(); ++i) {
        TGPObject* obj = Objects.Items(i);
        obj->Move(mode, rect, list);
        if (i < Objects.Count() && Objects.Items(i) != obj) --i;  // it left: the next one moved up
    }
}

void TGPNation::Draw() {
    for (int i = 0; i < Objects.Count(); ++i) {
        TGPObject* obj = Objects.Items(i);
        if (!(obj->Kind & 0x10)) obj->Draw();
    }
}

void TGPNation::Clear() {
    while (!Objects.Empty()) {
        TGPObject* obj = Objects.First();
        Objects.Delete(0);
        if (Kernel) Kernel->FreeObject(2, obj);
    }
    TGPStructure::Clear();
}

void TGPNation::Reset() {
    while (!Objects.Empty()) {
        TGPObject* obj = Objects.First();
        Objects.Delete(0);
        if (obj->ChildSprites) obj->ChildSprites->ReleaseAll();
        if (obj->Weapon && Kernel) Kernel->FreeObject(3, obj->Weapon);
        obj->DropOrders();
        ObjectPool().Push(obj);
    }
    if (Crowd) Crowd->ClearMembers();
    PictureRegister = std::make_unique<TDXRegisterAnimate>();
}

bool TGPNation::CanAdd() const { return MaxCount == -1 || Objects.Count() < MaxCount; }

void TGPNation::SetMaxCount(int32_t n) {
    if (n == MaxCount) return;
    if (n >= 0)
        while (Objects.Count() > n) {
            TGPObject* oldest = Objects.First();
            Objects.Delete(0);
            if (Kernel) Kernel->FreeObject(2, oldest);
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

TGPObject* TGPNation::CreateObject(int32_t x, int32_t y, int32_t idClass) {
    if (idClass < 0 || idClass > kMaxObjectClass || !CanAdd()) return nullptr;
    std::unique_ptr<TGPObject> made = ObjectFactory ? ObjectFactory() : std::make_unique<TGPObject>();
    made->Create(this, idClass);
    made->X = static_cast<int16_t>(x);
    made->Y = static_cast<int16_t>(y);
    if (!made->Loaded) return nullptr;  // freed here, never in play
    TGPObject* obj = ObjectPool().Adopt(std::move(made));
    AddOnce(obj);
    BindEvents(2, *obj);
    if (OnCreateObject) OnCreateObject(this, obj);
    obj->SetParam(111, 0);
    return obj;
}

TGPObject* TGPNation::CreateFromPool(int32_t x, int32_t y, bool snap, int32_t idClass) {
    if (idClass < 0 || idClass > kMaxObjectClass || !CanAdd()) return nullptr;
    if (!Kernel) return nullptr;
    auto* obj = dynamic_cast<TGPObject*>(Kernel->CreateObject(2, this, true, idClass));
    if (!obj) return nullptr;
    if (snap) {
        obj->X = SnapToCell(x) - obj->BaseLeft();
        obj->Y = SnapToCell(y) - obj->BaseTop();
    } else {
        obj->X = x;
        obj->Y = y;
    }
    if (!obj->Loaded) {
        Objects.Remove(obj);
        ObjectPool().Discard(obj);
        return nullptr;
    }
    AddOnce(obj);
    if (Kernel->Map) Kernel->Map->AddObjectToCells(nullptr, obj);
    if (OnCreateObject) OnCreateObject(this, obj);
    obj->SetParam(111, 0);
    return obj;
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

TStackObject::~TStackObject() {
    idle_.Clear();
    all_.clear();
}

TGPObject* TStackObject::Adopt(std::unique_ptr<TGPObject> obj) {
    all_.push_back(std::move(obj));
    return all_.back().get();
}

void TStackObject::Discard(TGPObject* obj) {
    idle_.Remove(obj);
    std::erase_if(all_, [obj](const std::unique_ptr<TGPObject>& q) { return q.get() == obj; });
}

TGPObject* TStackObject::Pop(TObject* owner, int32_t idClass, bool checkLimit) {
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
        obj->SetDead(false);
        obj->SetOwner(owner);
        if (nation) {
            obj->Group = static_cast<TGPStructure*>(nation);
            nation->BindEvents(2, *obj);
        }
        obj->ApplyTemplate();
        if (obj->LevelRecord)
            obj->ApplyLevelRecord();
        else
            obj->ResetOrders();
        if (nation && !nation->Objects.Contains(obj)) nation->Objects.Add(obj);
        return obj;
    }
    return nation ? nation->CreateObject(100, 100, idClass) : nullptr;
}

void TStackObject::Push(TGPObject* obj) {
    if (!obj || idle_.Contains(obj)) return;
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

void TStackObject::Clear() {
    try {
        for (TGPObject* obj : idle_)
            std::erase_if(all_, [obj](const std::unique_ptr<TGPObject>& q) { return q.get() == obj; });
    } catch (...) {
        throw EStackObject("TStackObject.Clear");
    }
    idle_.Clear();
}

}  // namespace engine
