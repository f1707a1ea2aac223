// What the ball, the paddle and the prize share: the playfield's bounds,
// positioned sounds, class changes that keep the size step, map cells and neighbours.
#include "engine/gpBehaviours.h"

#include "engine/gpFunctionObject.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"

#include <algorithm>

namespace engine {

// ---- The playfield ----

int32_t FieldWidth(const TGPObject& o) {
    const TGPMap* map = o.Kernel ? o.Kernel->Map : nullptr;
    return map ? map->Cols * map->CellSize : movers::kFieldWidth;
}

int32_t FieldHeight(const TGPObject& o) {
    const TGPMap* map = o.Kernel ? o.Kernel->Map : nullptr;
    return map ? map->Rows * map->CellSize : movers::kFieldHeight;
}

bool ClosedFloor(const TGPObject& o) { return o.Kernel && o.Kernel->Map && (o.Kernel->Map->Kind & 0x1000); }

void QueueSound(TGPObject& o, int32_t n) {
    if (!o.Kernel || !o.Kernel->CommandLine) return;
    o.Kernel->CommandLine->AddSound(n, &o, o.GetX() + o.Width / 2, o.GetY() + o.Height / 2, 0, 1, 1);
}

rtl::TPoint RectCentre(const TRect& r) {
    return {static_cast<int32_t>(r.Left + (int64_t{r.Right} - r.Left) / 2),
            static_cast<int32_t>(r.Top + (int64_t{r.Bottom} - r.Top) / 2)};
}

void SetClassKeepingColumn(TGPObject& o, int32_t id) {
    const int32_t column = o.Column;
    o.SetIDClass(id);
    o.SetFrame(column);
}

void LeaveCells(TGPObject& o) {
    if (o.Kernel && o.Kernel->Map) o.Kernel->Map->RemoveObjectFromCells(&o);
}

void EnterCells(TGPObject& o) {
    if (o.Kernel && o.Kernel->Map) o.Kernel->Map->AddObjectToCells(nullptr, &o);
}

void NearObjects(TGPObject& o, TListGPObject& list) {
    list.Clear();
    if (o.Kernel && o.Kernel->Map) o.Kernel->Map->ObjectsNear(&list, &o);
}

// ---- Neighbours ----

TListGPObject& NearObjects(TGPObject& o) {
    static TListGPObject near;
    NearObjects(o, near);
    return near;
}

bool StillInPlay(const TGPObject& o, uint16_t generation) { return o.Generation() == generation; }

}  // namespace engine
