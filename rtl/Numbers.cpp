#include "rtl/Numbers.h"

#include "rtl/Exceptions.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>

namespace rtl {

uint32_t RandSeed = 0;

namespace {
// A whole real as a 64-bit integer. The test is on the real, before the conversion: a
// conversion of a real the integer cannot hold is undefined. -2^63 is exact as a double and
// fits; 2^63 does not. NaN fails both comparisons.
int64_t Checked64(double whole) {
    if (!(whole >= -0x1p63 && whole < 0x1p63)) throw ERangeError(texts::SRangeError);
    return static_cast<int64_t>(whole);
}
}  // namespace

int64_t Round(double value) { return Checked64(std::nearbyint(value)); }

int64_t Trunc(double value) { return Checked64(std::trunc(value)); }

int32_t Round32(double value) {
    const int64_t r = Round(value);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw ERangeError(texts::SRangeError);
    return static_cast<int32_t>(r);
}

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
