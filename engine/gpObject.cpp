#include "engine/gpObject.h"

#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"

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

namespace {
// Where a piece of size inner goes to be centred on (at, size): the place must be a Smallint.
int32_t Centred(int32_t at, int32_t size, int32_t inner) {
    const int64_t v = int64_t{at} + size / 2 - inner / 2;
    if (v < INT16_MIN || v > INT16_MAX) throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(v);
}
}  // namespace

int32_t TGPObject::Splinter(TGPObject* source, int32_t rounds, std::span<const int32_t> idClasses) {
    if (!Kernel || !source) return 0;
    constexpr int32_t kSplinterNation = 6;
    TGPNation* nation = Kernel->NationByKey(kSplinterNation);
    int32_t made = 0;
    for (int32_t round = 0; round < rounds; ++round) {
        const int32_t before = made;
        for (const int32_t id : idClasses) {
            if (id == -1) continue;
            auto* piece = dynamic_cast<TGPObject*>(Kernel->CreateObject(2, nation, true, id));
            if (!piece) continue;
            piece->X = Centred(source->X, source->Width, piece->Width);
            piece->Y = Centred(source->Y, source->Height, piece->Height);
            if (Kernel->Map) Kernel->Map->AddObjectToCells(nullptr, piece);
            ++made;
        }
        if (made == before) break;
    }
    return made;
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
