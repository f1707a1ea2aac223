// The demo data's own random numbers: a seeded xorshift, so every picture, sound and tune
// comes out the same on every run and never touches rtl::Random's global state.
#pragma once

#include <cstdint>

namespace datagen::demo {

class Xorshift {
public:
    explicit Xorshift(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
        if (state_ == 0) state_ = 0x2545F4914F6CDD1Dull;
        for (int i = 0; i < 4; ++i) Next();
    }
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    // 0 <= value < 1.
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // -1 <= value < 1.
    double Signed() { return Unit() * 2.0 - 1.0; }
    // 0 <= value < n (0 for n <= 0).
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

private:
    uint64_t state_;
};

// A hash of lattice coordinates and a seed, for noise that must not depend on call order.
inline uint32_t LatticeHash(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

}  // namespace datagen::demo
