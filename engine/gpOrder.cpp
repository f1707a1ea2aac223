#include "engine/gpOrder.h"

#include "engine/gpObject.h"

namespace engine {

TAskMove* TListAskMove::AddAskMove(TGPObject* asker, TGPObject* target, const TRect& rectA, const TRect& rectB) {
    TAskMove* a = Acquire();
    a->Asker = asker;
    a->Target = target;
    a->AskerGeneration = asker ? asker->Generation() : 0;
    a->TargetGeneration = target ? target->Generation() : 0;
    a->Active = true;
    a->RectA = rectA;
    a->RectB = rectB;
    return a;
}

void TListAskMove::ResetAll() {
    for (const auto& item : items_) {
        item->Asker = nullptr;
        item->Target = nullptr;
        item->Active = false;
    }
    used_ = 0;
}

}  // namespace engine
