// Weapons: attached to a game object (usually the paddle), a weapon fires projectiles, one
// aimed shot or a volley of vertical shots spread across the owner's width. Its values come
// from a weapon description read by weapon number from the level set ("Classes_Weapons") or
// from a loose ".wp" file. Weapons are taken from and returned to the weapon pool.
#pragma once

#include "engine/gpStructure.h"
#include "rtl/Component.h"

#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class TGPObject;
class TGPPhantom;

// A weapon's description, streamed in the class library's component format.
class TGPWeaponStructure : public rtl::Component {
    RTL_CLASS(TGPWeaponStructure, rtl::Component)
public:
    uint8_t MinDamage = 0, MaxDamage = 0;
    bool RamdomDamage = false;     // damage drawn in the range, else MaxDamage
    int32_t SoundID = 0;           // sound of a volley of stems (-1 none)
    uint8_t IDFlyType = 0;         // 0: projectiles are fired
    int32_t IDFlyClass = 0;        // the projectile's class
    uint8_t FlyTimeLifes = 0;
    uint8_t IDActionType = 0;      // 1: a muzzle flash at each shot
    int32_t IDActionClass = 0;
    uint8_t ActionTimeLifes = 0;
    int32_t IDEffectsClass = 0;    // effect shown on a target when hit
    bool FlagEffectClass = false;
    uint8_t Direction = 0;         // angle offset of the aimed shot and its flash
    int32_t OffX = 0, OffY = 0;    // radii of the muzzle about the owner's centre
    int32_t VelX = 0, VelY = 0;    // radii of the aimed shot's launch vector
    uint16_t TimeOfDelays = 0;     // least ticks between shots
    bool Recoil = false;
    int32_t ShareOfRecoil = 0;
    uint8_t NumberOfStems = 0;     // stems per volley; fewer than 2: one aimed shot
    uint8_t AreaForStem = 0;       // least spacing of stems in pixels
    uint8_t IDSkinType = 0;        // 1: a skin effect on the owner
    int32_t IDSkinClass = 0;
    int32_t SkinOffX = 0, SkinOffY = 0;

    static void DescribeClass(rtl::ClassBuilder<TGPWeaponStructure>& c);
};

// The description of weapon number 1..8 (named by ShotNames) read into description: from
// the kernel's level set when it has one, else from the resource folder's name + ".wp".
// Nil for another number, no entry, no file or a bad stream (description then partly read).
TGPWeaponStructure* LoadWeaponStructure(const TGPKernel* kernel, TGPWeaponStructure& description, int32_t number);

class TGPWeapon : public TGPStructure {
    RTL_CLASS(TGPWeapon, TGPStructure)
public:
    TGPWeapon();
    ~TGPWeapon() override;

    // Owner: the game object that carries it (or a nation). The class identifier is the
    // weapon number; the description is loaded once here (a failure leaves the defaults).
    void Create(TObject* owner, int32_t id) override;
    // With IDSkinType 1: a skin effect of IDSkinClass on the owner, aligned in mode 5.
    virtual void CreateSkin();
    // The damage of one hit.
    virtual uint8_t GetDamage();
    // Whether a hit shows an effect on the target, and the effect's class.
    virtual bool GetFlagEffectClass() const;
    virtual int32_t GetIDEffectsClass() const;
    // Fires once when the delay since the last shot has passed: a volley of stems or one
    // aimed shot. Failures inside are logged and swallowed.
    virtual void Fire();

    // A random slot 1..n not yet in used, marked used; 0 when every slot is taken.
    static int32_t TakeFreeSlot(std::bitset<256>& used, int32_t n);

    const TGPWeaponStructure& Description() const { return *Structure; }
    TGPWeaponStructure& Description() { return *Structure; }
    // The skin effect while it is still this weapon's; nil otherwise.
    TGPPhantom* Skin() const;
    // The pool hands the weapon out again: no shot yet, and a skin for its new owner.
    void Rearm(TGPObject* owner);
    // The pool takes it back: its skin goes to the phantom pool.
    void Disarm();

    std::unique_ptr<TGPWeaponStructure> Structure;
    // The owner's age at the last shot; none until the first.
    int64_t LastShot = 0;
    bool HasShot = false;

private:
    void FireOnce();
    void FireVolley(TGPObject& owner);
    void FireAimed(TGPObject& owner);
    void ShowSkin(TGPObject& owner, bool align);
    // The projectile's class may be made: 1..166 (a bad one is logged once).
    bool ProjectileClassValid();

    // The skin by handle and generation: it goes back to its pool with its owner's effects.
    uint32_t skinHandle_ = 0;
    uint16_t skinGeneration_ = 0;
    bool badClassLogged_ = false;
};

class TStackWeapon {
public:
    ~TStackWeapon();
    // The first idle weapon of that number, or a new one; either way it becomes the
    // object's weapon, owned by it.
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
