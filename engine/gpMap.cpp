#include "engine/gpMap.h"

#include "engine/gpEffects.h"
#include "engine/gpKernel.h"

namespace engine {

RTL_REGISTER_CLASS(TGPMap);

void TGPMap::Create(TObject* kernel, int32_t id) {
    TGPStructure::Create(kernel, id);
    if (Kernel) Kernel->SetMap(this);
}

TGPMap::~TGPMap() {
    if (Kernel && Kernel->Map == this) Kernel->SetMap(nullptr);
    // Effects still on the map go back to their pool, and forget the map as their owner.
    if (ChildSprites) ChildSprites->ReleaseAll();
    PhantomPool().OwnerGone(this);
}

void TGPMap::Draw() {
    if (Kernel && (Kernel->Condition == ck_Interface || Kernel->Condition == ck_MainInterface)) return;
    DrawChildSprites(*this, this, false);
}

void TGPMap::AddObjectToCells(rtl::List<TGPObject*>*, TGPObject*) {}
void TGPMap::RemoveObjectFromCells(TGPObject*) {}

void TGPMap::ScrollBy(int32_t dx, int32_t dy) {
    ViewX += dx;
    ViewY += dy;
}

}  // namespace engine
