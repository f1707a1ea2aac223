#include "engine/gpObject.h"

#include "engine/gpKernel.h"

namespace engine {

RTL_REGISTER_CLASS(TGPObject);

void TGPObject::DescribeClass(rtl::ClassBuilder<TGPObject>& c) {
    c.Property("X", &TGPObject::X).Property("Y", &TGPObject::Y);
}

void TGPObject::Create(TObject* owner, int32_t id) {
    TGPSprite::Create(owner, id);
    if (auto* s = dynamic_cast<TGPStructure*>(owner)) Group = static_cast<TGPStructure*>(s);
}

void TGPObject::Clear() { TGPSprite::Clear(); }

void TGPObject::Draw() { DrawChildSprites(*this, this, false); }

TRect TGPObject::BoundsRect() const { return {X, Y, X + Width, Y + Height}; }

void TGPObject::KilledBy(TGPObject* killer) {
    constexpr int32_t kHidden = 0x80000;
    if (Kind & kHidden) {
        SetKind(-kHidden);
        return;
    }
    SetParam(100, 1);
    SetParam(109, reinterpret_cast<intptr_t>(static_cast<TGPStructure*>(killer)));
    if (killer != this) SetParam(110, 1);
}

void TGPObject::SetDead(bool value) {
    if (dead_ == value) return;
    dead_ = value;
    if (value && Kernel) Kernel->FreeObject(2, this);
}

void TGPObject::ResetOrders() {
    DropOrders();
}

void TGPObject::DropOrders() {
    if (!Kernel || !Kernel->OrderPool) {
        Orders = nullptr;
        return;
    }
    while (Orders) {
        TOrder* previous = Orders->Previous;
        Kernel->OrderPool->Release(Orders);
        Orders = previous;
    }
}

}  // namespace engine
