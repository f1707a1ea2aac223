// Weapons as the pools see them: attached to a game object, taken from and returned to the
// weapon pool.
#pragma once

#include "engine/gpStructure.h"

namespace engine {

class TGPObject;

class TGPWeapon : public TGPStructure {
    RTL_CLASS(TGPWeapon, TGPStructure)
};

class TStackWeapon {
public:
    ~TStackWeapon();
    TGPWeapon* Acquire(TGPObject* object, int32_t number);
    void Release(TGPWeapon* weapon);
    int Count() const { return idle_.Count(); }
    TGPWeapon* Get(int index) const { return idle_.Items(index); }
    bool Holds(const TGPWeapon* weapon) const { return idle_.Contains(const_cast<TGPWeapon*>(weapon)); }
    void Clear();
    // After a kernel's end: the idle weapons' links to it go.
    void Unlink(const TGPKernel* kernel);

private:
    rtl::List<TGPWeapon*> idle_;
    std::vector<std::unique_ptr<TGPWeapon>> all_;
};

}  // namespace engine
