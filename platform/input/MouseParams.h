// The desktop's mouse thresholds and acceleration, which the game reads at start.
//
//   Values[0], Values[1]  the two thresholds, in mickeys (pixels of movement per report)
//   Values[2]             acceleration: 0 none; 1 movement beyond the first threshold
//                         doubles; 2 it also quadruples beyond the second
//
// Real: the X server's pointer control (through libX11, opened at run time, so that a
// machine without X still runs), turned into these three values. Headless, or without an
// X server to ask: the values SetHeadlessMouseParams set, at first the desktop's usual
// 6, 10, 1.
#pragma once

#include <array>
#include <cstdint>

namespace platform::input {

using MouseParams = std::array<int32_t, 3>;

inline constexpr MouseParams kDefaultMouseParams{6, 10, 1};

void GetMouseParams(MouseParams& values);
void SetHeadlessMouseParams(const MouseParams& values);

// The three values of an X pointer control: acceleration numerator / denominator beyond
// threshold pixels. The first threshold is X's; the second, where the desktop would
// accelerate once more, lies at twice it.
MouseParams MouseParamsFromPointerControl(int32_t numerator, int32_t denominator, int32_t threshold);

}  // namespace platform::input
