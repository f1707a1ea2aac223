// The structure that is drawn and animated: bound to the slides of its class, it keeps
// the current slide and the frame timing derived from it.
#pragma once

#include "engine/gpAnimation.h"
#include "engine/gpStructure.h"

namespace engine {

class TGPSprite : public TGPStructure {
    RTL_CLASS(TGPSprite, TGPStructure)
public:
    void SetIDClass(int32_t value) override;
    void Create(TObject* owner, int32_t id) override;

    virtual void SetSlide(TOneSlide* slide);
    virtual void LoadPictures() = 0;
    virtual void LoadOneSlide(int32_t state);
    virtual int32_t AlignTo(TGPStructure* target, int32_t mode);

    int32_t FrameIndex = 0;
    bool Loaded = false;
    TStructureSlide* Animation = nullptr;
    TOneSlide* CurrentSlide = nullptr;
    int32_t FrameCounter = 0;
    uint8_t RollTick = 0;
    int32_t FrameTime = 0;
    int32_t FrameElapsed = 0;
    uint8_t CellsAcross = 0, CellsDown = 0;
    double Angle = 0;
    bool Animating = false;

    // ---- Reuse from the pool ----
    // The vibration block of a new sprite: off, mode 3, random amplitudes 3..7, decay 0.8.
    void StartVibration();
};

// Ticks per frame of a slide: Round(ticks per change * 1.5), saturated to a byte.
uint8_t RollTickOf(uint8_t hTicksPerChange);

}  // namespace engine
