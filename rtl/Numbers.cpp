#include "rtl/Numbers.h"

#include <chrono>
#include <cmath>

namespace rtl {

uint32_t RandSeed = 0;

int64_t Round(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

int64_t Trunc(double value) { return static_cast<int64_t>(std::trunc(value)); }

double Frac(double value) { return value - std::trunc(value); }

namespace {
uint32_t Step() {
    RandSeed = RandSeed * 0x08088405u + 1u;
    return RandSeed;
}
}  // namespace

int32_t Random(int32_t n) {
    uint32_t seed = Step();
    if (n <= 0) return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint32_t>(n)) >> 32);
}

double RandomFloat() { return static_cast<double>(Step()) / 4294967296.0; }

void Randomize() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    RandSeed = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace rtl
