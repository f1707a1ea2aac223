#include "engine/gpCrowd.h"

#include "engine/gpNation.h"
#include "engine/gpObject.h"

namespace engine {

RTL_REGISTER_CLASS(TGPCrowd);

// The members belong to the pools, which may have freed them by now: the list is dropped
// without touching them.
TGPCrowd::~TGPCrowd() = default;

void TGPCrowd::Create(TObject* nation, int32_t id) {
    TGPStructure::Create(nation, id);
    Nation = dynamic_cast<TGPNation*>(nation);
    Members.Clear();
}

void TGPCrowd::Clear() {
    for (TGPObject* member : Members) member->Selected = 0;
    Members.Clear();
}

bool TGPCrowd::IsMember(const TGPObject* obj) const { return Members.Contains(const_cast<TGPObject*>(obj)); }

void TGPCrowd::AddMember(TGPObject* obj, bool keep) {
    if (!obj) return;
    if (!IsMember(obj) && obj->Nation() == Nation) {
        if (!keep) Clear();
        Members.Add(obj);
        obj->Selected = 1;
        return;
    }
    const int before = Members.Count();
    RemoveMember(obj, keep);
    if (before > 1 && !keep) obj->SetInCrowd(true);
}

void TGPCrowd::RemoveMember(TGPObject* obj, bool keep) {
    if (!keep) {
        Clear();
        return;
    }
    if (obj && Members.Remove(obj) >= 0) obj->Selected = 0;
}

}  // namespace engine
