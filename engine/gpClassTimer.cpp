// The class timer in its description's AddParamInt1 word.
#include "engine/gpClassTimer.h"

#include "engine/gpGeneralObject.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"

namespace engine {

namespace {
void SetCount(TGPGeneralObject& t, uint16_t count) {
    t.AddParamInt1 = static_cast<int32_t>((uint32_t{count} << 16) | ClassTimerDuration(t));
}
}  // namespace

uint16_t ClassTimerCount(const TGPGeneralObject& t) {
    return static_cast<uint16_t>(static_cast<uint32_t>(t.AddParamInt1) >> 16);
}

uint16_t ClassTimerDuration(const TGPGeneralObject& t) {
    return static_cast<uint16_t>(static_cast<uint32_t>(t.AddParamInt1) & 0xFFFFu);
}

bool ClassTimerRunOut(const TGPObject& object) {
    if (!object.Template) return false;
    return ClassTimerCount(*object.Template) >= ClassTimerDuration(*object.Template) / object.Shared().DifficultyFactor();
}

void ClassTimerStep(TGPObject& object) {
    if (!object.Template) return;
    const uint16_t count = ClassTimerCount(*object.Template);
    if (count < 0xFFFF) SetCount(*object.Template, static_cast<uint16_t>(count + 1));
}

void ClassTimerReset(TGPObject& object) {
    if (object.Template) SetCount(*object.Template, 0);
}

}  // namespace engine
