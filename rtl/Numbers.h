// Numbers with the class library's semantics: rounding half to even, truncation, and its
// linear congruential generator, so that runs and tests are reproducible from a seed.
#pragma once

#include <cstdint>

namespace rtl {

// Round half to even ("banker's rounding"), as the class library rounds reals.
// NaN, the infinities and results outside 64 bits raise ERangeError.
int64_t Round(double value);
// Toward zero; ERangeError like Round.
int64_t Trunc(double value);
// Round, then ERangeError unless the result fits 32 bits.
int32_t Round32(double value);
double Frac(double value);

// The generator's state. Main thread only: the engine draws its randomness there.
extern uint32_t RandSeed;
// seed := seed * $08088405 + 1; answers (seed * n) >> 32, i.e. 0 <= result < n. n <= 0 answers 0.
int32_t Random(int32_t n);
// A real in [0, 1) from the same generator.
double RandomFloat();
// Seeds from the clock.
void Randomize();

}  // namespace rtl
