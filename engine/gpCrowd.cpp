#include "engine/gpCrowd.h"

#include "engine/gpObject.h"

namespace engine {

RTL_REGISTER_CLASS(TGPCrowd);

void TGPCrowd::AddMember(TGPObject* obj, bool keep) {
    if (!keep) Members.Clear();
    if (!Members.Contains(obj)) Members.Add(obj);
}

void TGPCrowd::RemoveMember(TGPObject* obj) { Members.Remove(obj); }
void TGPCrowd::ClearMembers() { Members.Clear(); }

}  // namespace engine
