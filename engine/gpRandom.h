// The engine's random numbers and rounding, the class library's rules: Random(n) is the
// linear congruential generator (seed * 0x08088405 + 1, result (seed * n) >> 32, 0 for
// n <= 0) and Round rounds half to even.
#pragma once

#include <cmath>
#include <cstdint>

namespace engine {

extern uint32_t RandSeed;
int32_t Random(int32_t n);
inline int64_t Round(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

}  // namespace engine
