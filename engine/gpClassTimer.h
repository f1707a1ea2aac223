// The class timer: one count shared by every object of a class, kept in its description's
// AddParamInt1 word. The behaviours of balls, paddles, prizes and the simple movers time
// their class's spells with it.
#pragma once

#include <cstdint>

namespace engine {

class TGPGeneralObject;
class TGPObject;

// The word's low 16 bits are the duration, its high 16 bits the count, both unsigned.
uint16_t ClassTimerCount(const TGPGeneralObject& t);
uint16_t ClassTimerDuration(const TGPGeneralObject& t);
// The count has reached the duration divided by the difficulty factor. An object without a
// description has no timer: it never runs out.
bool ClassTimerRunOut(const TGPObject& object);
// The count rises by one, saturating at 65535.
void ClassTimerStep(TGPObject& object);
// The count goes back to 0.
void ClassTimerReset(TGPObject& object);

}  // namespace engine
