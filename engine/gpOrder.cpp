#include "engine/gpOrder.h"

#include "rtl/ListError.h"

namespace engine {

void TListOrder::Release(TOrder* order) {
    if (used_ <= 0) return;
    const int index = Find(order);
    if (index < 0) rtl::ListIndexError(index);
    if (index >= used_) return;  // already spare
    items_.Move(index, used_ - 1);
    --used_;
}

TAskMove* TListAskMove::AddAskMove(TGPObject* asker, TGPObject* target, const TRect& rectA, const TRect& rectB) {
    TAskMove* a = Acquire();
    a->Asker = asker;
    a->Target = target;
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
