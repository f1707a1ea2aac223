#include "engine/gpSprite.h"

#include "engine/gpErrors.h"
#include "engine/gpRandom.h"
#include "media/GPTimer.h"

#include <algorithm>
#include <cstdio>

namespace engine {

RTL_REGISTER_CLASS(TGPSprite);

uint8_t RollTickOf(uint8_t hTicksPerChange) {
    return static_cast<uint8_t>(std::min<int64_t>(Round(hTicksPerChange * 1.5), 255));
}

void TGPSprite::SetIDClass(int32_t) {}

void TGPSprite::Create(TObject* owner, int32_t id) {
    TGPStructure::Create(owner, id);
    Loaded = true;
    IDClass = id;
    FrameIndex = 0;
    Animating = true;
    const int32_t ax = Random(5) + 3;
    const int32_t ay = Random(5) + 3;
    InitVibration(0, 0, ax, ay, 0.8, 0.8, 0, 3, Vibration);
}

void TGPSprite::SetSlide(TOneSlide* slide) {
    if (!slide || slide == CurrentSlide) return;
    CurrentSlide = slide;
    RollTick = RollTickOf(slide->HTicksPerChange);
    FrameTime = RollTick * media::TickLength;
    FrameElapsed = 0;
    if (slide->StyleHTicks == TStyleHTicks::sh_RandomAnimation) FrameIndex = Random(slide->LinesHeight - 1);
    if (FrameIndex >= slide->LinesHeight) FrameIndex = 0;
    Animating = true;
}

void TGPSprite::LoadOneSlide(int32_t state) {
    const int count = Animation ? Animation->SlideCount() : 0;
    if (state < 1 || state > count) {
        char text[160];
        std::snprintf(text, sizeof text, "An attempt to load a nonexisting state %d for the object %d. Caller: %s", state,
                      IDClass, "LoadOneSlide");
        throw EDebug(text);
    }
    SetSlide(Animation->Slide(state - 1));
    if (!CurrentSlide) Loaded = false;
}

int32_t TGPSprite::AlignTo(TGPStructure*, int32_t mode) {
    AlignMode = mode;
    return 0;
}

}  // namespace engine
