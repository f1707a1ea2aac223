// A crowd: the selection of a nation, the set of its game objects that are selected. Every
// member carries its selected flag. The command executor's select command and the objects
// themselves (SetInCrowd) change it; an object leaves its crowd when it leaves play.
#pragma once

#include "engine/gpStructure.h"

namespace engine {

class TGPObject;
class TGPNation;

class TGPCrowd : public TGPStructure {
    RTL_CLASS(TGPCrowd, TGPStructure)
public:
    ~TGPCrowd() override;

    // Owned by nation (the structure's owner).
    void Create(TObject* nation, int32_t id) override;
    // Every member's selected flag cleared; the list emptied.
    void Clear() override;

    // An object of this nation that is not a member joins (alone without keep). A member,
    // or an object of another nation, is taken out (RemoveMember with keep); when more
    // than one was selected and keep is not set, it is then selected alone in its own
    // nation's crowd. So a plain selection selects an object alone, selecting the only
    // selected object deselects it, selecting one of several keeps it alone, and with keep
    // the object is added or, when present, taken out.
    void AddMember(TGPObject* obj, bool keep);
    // With keep: obj leaves when it is a member. Without: the whole crowd is cleared.
    void RemoveMember(TGPObject* obj, bool keep);
    void ClearMembers() { Clear(); }
    bool IsMember(const TGPObject* obj) const;
    int Count() const { return Members.Count(); }

    TGPNation* Nation = nullptr;
    rtl::List<TGPObject*> Members;
};

}  // namespace engine
