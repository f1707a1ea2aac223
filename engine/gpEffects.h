// Phantoms as the pools see them: short-lived sprites owned by a structure that draws them,
// taken from and returned to the phantom pool.
#pragma once

#include "engine/gpSprite.h"

namespace engine {

class TGPPhantom : public TGPSprite {
    RTL_CLASS(TGPPhantom, TGPSprite)
public:
    void SetOwner(TObject* owner) override;
    void LoadPictures() override {}
    // Draws itself on Target (its owner's drawing calls it).
    virtual void DrawOn(TGPStructure*) {}
    // True returns the phantom to the pool.
    void SetCarrion(bool value);
};

// Idle phantoms; lives as long as the program.
class TStackPhantom {
public:
    ~TStackPhantom();
    TGPPhantom* Acquire(TObject* owner, int32_t id);
    void Release(TGPPhantom* phantom);
    void Remove(TGPPhantom* phantom);
    int Count() const { return idle_.Count(); }
    TGPPhantom* Get(int index) const { return idle_.Items(index); }
    bool Holds(const TGPPhantom* phantom) const;
    void Clear();
    // After a kernel's end: the idle phantoms' links to it and to its registers go.
    void Unlink(const TGPKernel* kernel);
    // A structure that owned phantoms is going: idle phantoms forget it as their owner.
    void OwnerGone(const TObject* owner);

private:
    rtl::List<TGPPhantom*> idle_;            // handed out again first come
    std::vector<std::unique_ptr<TGPPhantom>> all_;  // every phantom ever made
};

}  // namespace engine
