// Weapons as the pools see them: attached to a game object, taken from and returned to the
// weapon pool.
#pragma once

#include "engine/gpStructure.h"

namespace engine {

class TGPObject;

// What a game object asks of its weapon. The weapon unit reads the weapon's description
// into these; until a weapon has one it does no damage, shows no effect and fires nothing.
class TGPWeapon : public TGPStructure {
    RTL_CLASS(TGPWeapon, TGPStructure)
public:
    // The damage of one hit.
    virtual uint8_t GetDamage() { return 0; }
    // Whether a hit shows an effect on the target, and the effect's class.
    virtual bool GetFlagEffectClass() const { return false; }
    virtual int32_t GetIDEffectsClass() const { return 0; }
    // Fires once: a volley of stems or one aimed shot. Failures inside are swallowed.
    virtual void Fire() {}
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
