// Small types the engine's units share: rectangles, the event types, the input-state set.
#pragma once

#include "rtl/TypeInfo.h"
#include "rtl/Types.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>

namespace engine {

using TObject = rtl::Object;

using TRect = rtl::TRect;

constexpr bool IsRectEmpty(const TRect& r) noexcept { return r.Right <= r.Left || r.Bottom <= r.Top; }

// The union of two rectangles; an empty one contributes nothing.
constexpr TRect UnionRect(const TRect& a, const TRect& b) noexcept {
    if (IsRectEmpty(a)) return IsRectEmpty(b) ? TRect{} : b;
    if (IsRectEmpty(b)) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// Directions are 1/256 of a turn, 0 along +X and 64 along +Y (Y down). Every direction that
// is written goes through this floor modulo: -1 is 255, 256 (as AngleOf answers) is 0.
constexpr int32_t Direction256(int64_t d) noexcept { return static_cast<int32_t>(((d % 256) + 256) % 256); }

// The 36 numbered input states (0 up, 1 down, 2 left, 3 right, 4..35 buttons).
using TDXInputStates = std::bitset<36>;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TSetIDEvent = std::function<void(TObject* sender, int32_t value)>;
using TDXKeyDown = std::function<void(TObject* sender, TDXInputStates& key)>;
// The splinter event's kind and class arguments, as lists of integers.
using TSplinterEvent = std::function<void(TObject* sender, TObject* dest, const std::vector<int32_t>& idKinds,
                                          const std::vector<int32_t>& idClasses)>;
using TCreateGamesEvent = std::function<void(TObject* sender, const std::string& name)>;

}  // namespace engine
