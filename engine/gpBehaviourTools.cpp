// What the ball, the paddle and the prize share: the class timer, the playfield's bounds,
// positioned sounds, class changes that keep the size step, map cells and snapshots.
#include "engine/gpBehaviours.h"

#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"

#include <algorithm>

namespace engine {

namespace {
constexpr int32_t kFieldWidth = 576, kFieldHeight = 512;

uint32_t TimerWord(const TGPObject& o) { return static_cast<uint32_t>(o.Template->AddParamInt1); }
void SetTimerCount(TGPObject& o, uint32_t count) {
    const uint32_t word = (count << 16) | (TimerWord(o) & 0xFFFFu);
    o.Template->AddParamInt1 = static_cast<int32_t>(word);
}
}  // namespace

// ---- Class timer ----

bool ClassTimerRunOut(const TGPObject& o) {
    if (!o.Template) return false;
    const uint32_t word = TimerWord(o);
    const double duration = static_cast<double>(word & 0xFFFFu);
    return static_cast<double>(word >> 16) >= duration / o.Shared().DifficultyFactor();
}

void ClassTimerRestart(TGPObject& o) {
    if (o.Template) SetTimerCount(o, 0);
}

void ClassTimerAdvance(TGPObject& o) {
    if (o.Template) SetTimerCount(o, std::min<uint32_t>((TimerWord(o) >> 16) + 1, 0xFFFFu));
}

// ---- The playfield ----

int32_t FieldWidth(const TGPObject& o) {
    const TGPMap* map = o.Kernel ? o.Kernel->Map : nullptr;
    return map ? map->Cols * map->CellSize : kFieldWidth;
}

int32_t FieldHeight(const TGPObject& o) {
    const TGPMap* map = o.Kernel ? o.Kernel->Map : nullptr;
    return map ? map->Rows * map->CellSize : kFieldHeight;
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

bool RectsMeet(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
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

// ---- Snapshots ----

void TObjectSnapshot::Add(TGPStructure* s) {
    if (auto* o = dynamic_cast<TGPObject*>(s)) items_.push_back({o, o->Generation()});
}

TGPObject* TObjectSnapshot::Live(int i) const {
    const Entry& e = items_[static_cast<size_t>(i)];
    return e.Object->Generation() == e.Generation ? e.Object : nullptr;
}

void NearSnapshot(TGPObject& o, TObjectSnapshot& snapshot) {
    static TListGPObject near;
    NearObjects(o, near);
    snapshot.Take(near);
    near.Clear();
}

bool StillInPlay(const TGPObject& o, uint16_t generation) { return o.Generation() == generation; }

}  // namespace engine
