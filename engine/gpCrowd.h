// A crowd: the selected members of a nation.
#pragma once

#include "engine/gpStructure.h"

namespace engine {

class TGPObject;
class TGPNation;

class TGPCrowd : public TGPStructure {
    RTL_CLASS(TGPCrowd, TGPStructure)
public:
    // Adds obj, keeping the present members when keep is set, replacing them otherwise.
    void AddMember(TGPObject* obj, bool keep);
    void RemoveMember(TGPObject* obj);
    void ClearMembers();

    TGPNation* Nation = nullptr;
    rtl::List<TGPObject*> Members;
};

}  // namespace engine
