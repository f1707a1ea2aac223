// The game object as the kernel and the pools see it: position, collision rectangle,
// death and return to the pool, the order chain and the weapon. Motion, behaviours,
// scripts and drawing build on this.
#pragma once

#include "engine/gpSprite.h"

#include <span>

namespace engine {

class TGPWeapon;
class TKernelSound;
class TOrder;

class TGPObject : public TGPSprite {
    RTL_CLASS(TGPObject, TGPSprite)
public:
    void Create(TObject* owner, int32_t id) override;
    void Clear() override;
    void LoadPictures() override {}
    // The object's own picture comes with its drawing; its effects draw after it.
    void Draw() override;

    // The collision rectangle on the map.
    virtual TRect BoundsRect() const;
    // Bookkeeping when struck by Killer.
    virtual void KilledBy(TGPObject* killer);
    // Dead objects go back to the object pool.
    virtual void SetDead(bool value);
    // Re-applies the class description to a reused object.
    virtual void ApplyTemplate() {}
    // Re-applies the level record of a reused object, or its slide's default order.
    virtual void ApplyLevelRecord() {}
    virtual void ResetOrders();
    virtual void DropOrders();
    // Bursts into pieces: rounds times, one object of each class (-1 skipped) from the pool
    // for the splinter nation (key 6), centred on source and entered in the map's cells. A
    // refused object is skipped; a round in which none was made ends the bursting, so a
    // round count from data stops once the pool refuses. Answers the pieces made.
    virtual int32_t Splinter(TGPObject* source, int32_t rounds, std::span<const int32_t> idClasses);
    // Offsets of the collision rectangle inside the picture (the cell-snapping base).
    int32_t BaseLeft() const { return CurrentSlide ? CurrentSlide->BaseLeft : 0; }
    int32_t BaseTop() const { return CurrentSlide ? CurrentSlide->BaseTop : 0; }

    bool Dead() const { return dead_; }

    int32_t X = 0;
    int32_t Y = 0;
    int32_t Column = 0;  // the column of the picture grid (a direction or a size step)
    TGPWeapon* Weapon = nullptr;
    TKernelSound* LoopingSound = nullptr;
    TOrder* Orders = nullptr;

    static void DescribeClass(rtl::ClassBuilder<TGPObject>& c);

private:
    bool dead_ = false;
};

}  // namespace engine
