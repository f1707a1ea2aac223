// Effects and phantoms: short-lived animated sprites without motion of their own
// (explosions, muzzle flashes, weapon skins, the paddle's attachments, sparks circling an
// object).
//
// TGPEffects animates a picture strip from an effect description. TGPPhantom adds a
// position rule (free, attached to an owner, or on an orbit about it), a life in animation
// cycles and a way back to its pool. Phantoms come from the kernel's phantom pool and are
// drawn by the structure that owns them: a game object after itself, the map and the kernel
// likewise.
#pragma once

#include "engine/gpSprite.h"

#include <memory>
#include <vector>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TOneEffects;

// One step of a sprite's frame counter: true when the frame changes. The counter steps by
// two while it is below rollTick (so a frame lasts rollTick div 2 + 1 steps); a rollTick of
// 255 changes the frame on every step.
inline bool StepFrameCounter(int32_t& counter, int32_t rollTick) {
    counter = (counter + 1) & 255;
    if (counter < rollTick) {
        counter = (counter + 1) & 255;
        if (rollTick != 255) return false;
    }
    counter = 0;
    return true;
}

// The timing and size of a description made current (effects and cursors): RollTick and
// FrameTime from its ticks per change, a fresh frame time, the pattern's size.
void StartDescription(TGPSprite& sprite, uint8_t hTicksPerChange, int32_t patternWidth, int32_t patternHeight);

// Where a sprite aligns on a target: a map's origin and view size, an object's or a
// phantom's position and its size, any other structure's size at (0, 0).
struct TAlignFrame {
    int64_t X, Y, Width, Height;
};
TAlignFrame AlignFrameOf(const TGPStructure& target);

class TGPEffects : public TGPSprite {
    RTL_CLASS(TGPEffects, TGPSprite)
public:
    // The same class restarts the life; another becomes current. A class without a
    // description leaves the effect without one: it draws nothing.
    void SetIDClass(int32_t id) override;
    void Create(TObject* owner, int32_t id) override;
    using TGPSprite::SetSlide;
    virtual void SetSlide(TOneEffects* effect);
    void LoadPictures() override {}
    void LoadOneSlide(int32_t state) override;
    // Modes 3 and 5 centre the effect on the target, 4 centres it below; 1 when it applied.
    int32_t AlignTo(TGPStructure* target, int32_t mode) override;
    // The pattern to draw; advances the animation. A spent life switches to RetIDName.
    virtual int32_t NextFrame();
    // Draws itself on target (its owner's drawing calls it); nothing for a plain effect.
    virtual void DrawOn(TGPStructure* target);

    TOneEffects* Effect() const { return effect_; }

    int32_t EffectFrame = 0;
    int32_t LifeCount = 0;

protected:
    // The description of an effect class from the kernel's register; nil when it has none.
    TOneEffects* Describe(int32_t id) const;
    void AdvanceFrame();

    TOneEffects* effect_ = nullptr;
};

class TGPPhantom : public TGPEffects {
    RTL_CLASS(TGPPhantom, TGPEffects)
public:
    void SetOwner(TObject* owner) override;
    // 1 orbit angle, 2 X, 3 Y, 4 radius A, 5 radius B, 6 visible (and out of the pool),
    // 7 life-cycle limit, 8 coordinate mode, 9 OffX, 10 OffY; no code reaches the structure.
    void SetParam(int32_t code, int64_t value) override;
    void Create(TObject* owner, int32_t id) override;
    void SetSlide(TOneEffects* effect) override;
    int32_t NextFrame() override;
    void DrawOn(TGPStructure* target) override;

    // True returns the phantom to the pool.
    void SetCarrion(bool value);
    bool GetCarrion() const { return Carrion; }
    // The owner it was given is still in play: the kernel, the kernel's map, or a game object
    // that has not gone back to its pool since.
    bool OwnerInPlay() const;
    // Readies a pooled phantom for a new owner: alive, visible, its animation from the start.
    void Reuse(TObject* owner);

    media::TPictureCollectionItem* Picture = nullptr;  // nil until looked up
    int32_t OffX = 0, OffY = 0;  // offset from the owner
    int32_t X = 0, Y = 0;        // own position
    int32_t RadiusA = 0, RadiusB = 0;
    uint8_t CoordinateMode = 0;  // 0 free or attached, 1 on an orbit
    int32_t LifeLimit = 0;       // animation calls before the phantom ends; 0 = never
    // The orbit angle (1/256 turns) is the sprite's Angle.

    // The screen position for the view origin (vx, vy), by coordinate mode and style; false
    // for a mode that gives none (other than 0 and 1). An orbit without an owner turns on.
    bool Position(int32_t vx, int32_t vy, int32_t& x, int32_t& y);

    static void DescribeClass(rtl::ClassBuilder<TGPPhantom>& c);

private:
    // Counts one call against the life-cycle limit; true when the phantom ended.
    bool SpendLife();
    void End();

    uint16_t ownerGeneration_ = 0;
};

// Idle phantoms, handed out again by class; lives as long as the program.
class TStackPhantom {
public:
    ~TStackPhantom();
    // The first idle phantom of the class, or a new one; owned by owner.
    TGPPhantom* Acquire(TObject* owner, int32_t id);
    // Back to the pool (carrion, a new generation) and off its owner's child list.
    void Release(TGPPhantom* phantom);
    // Out of the pool again, re-owned: only while its owner is still in play (else false).
    bool Remove(TGPPhantom* phantom);
    int Count() const { return idle_.Count(); }
    TGPPhantom* Get(int index) const { return idle_.Items(index); }  // EListError outside
    bool Holds(const TGPPhantom* phantom) const;
    // Frees every idle phantom.
    void Clear();
    // After a kernel's end: the idle phantoms' links to it and to its registers go.
    void Unlink(const TGPKernel* kernel);
    // A structure that owned phantoms is going: idle phantoms forget it as their owner.
    void OwnerGone(const TObject* owner);

private:
    rtl::List<TGPPhantom*> idle_;                   // handed out again first come
    std::vector<std::unique_ptr<TGPPhantom>> all_;  // every phantom ever made
};

}  // namespace engine
