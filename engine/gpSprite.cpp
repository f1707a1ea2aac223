#include "engine/gpSprite.h"

#include "engine/gpErrors.h"
#include "rtl/Numbers.h"
#include "media/GPTimer.h"

#include <algorithm>
#include "rtl/Format.h"

namespace engine {

RTL_REGISTER_CLASS(TGPSprite);

uint8_t RollTickOf(uint8_t hTicksPerChange) {
    return static_cast<uint8_t>(std::min<int64_t>(rtl::Round(hTicksPerChange * 1.5), 255));
}

void TGPSprite::SetIDClass(int32_t) {}

void TGPSprite::Create(TObject* owner, int32_t id) {
    TGPStructure::Create(owner, id);
    Loaded = true;
    IDClass = id;
    FrameIndex = 0;
    Animating = true;
    StartVibration();
}

void TGPSprite::StartVibration() {
    const int32_t ax = rtl::Random(5) + 3;
    const int32_t ay = rtl::Random(5) + 3;
    InitVibration(0, 0, ax, ay, 0.8, 0.8, 0, 3, Vibration);
}

void TGPSprite::SetSlide(TOneSlide* slide) {
    if (!slide || slide == CurrentSlide) return;
    CurrentSlide = slide;
    RollTick = RollTickOf(slide->HTicksPerChange);
    FrameTime = RollTick * media::TickLength;
    FrameElapsed = 0;
    if (slide->StyleHTicks == TStyleHTicks::sh_RandomAnimation) FrameIndex = rtl::Random(slide->LinesHeight - 1);
    if (FrameIndex >= slide->LinesHeight) FrameIndex = 0;
    Animating = true;
}

void TGPSprite::LoadOneSlide(int32_t state) {
    const int count = Animation ? Animation->SlideCount() : 0;
    if (state < 1 || state > count) {
        throw EDebug(rtl::Format("An attempt to load a nonexisting state %D for the object %D. Caller: %S",
                                 {state, IDClass, "LoadOneSlide"}));
    }
    SetSlide(Animation->Slide(state - 1));
    if (!CurrentSlide) Loaded = false;
}

int32_t TGPSprite::AlignTo(TGPStructure*, int32_t mode) {
    AlignMode = mode;
    return 0;
}

}  // namespace engine
