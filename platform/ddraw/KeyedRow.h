// One row of a colour-keyed copy between 16-bit surfaces with a single-value key: every source
// pixel but the key's is written. Vector instructions take many pixels a step.
#pragma once

#include <cstdint>

namespace platform::ddraw {

void CopyKeyedRow16(uint16_t* dest, const uint16_t* source, int32_t count, uint16_t key);

}  // namespace platform::ddraw
