// Orders on game objects: the table of order kinds and their installation.
//
// A game object moves only through its current order, the head of a chain of orders taken
// from the kernel's order pool. Each kind 0..14 names a behaviour routine; installing an
// order also does the kind's extra work (the table in gpFunctionObject.cpp). The routines
// themselves are the behaviours' units; a kind whose routine is not built in yet installs
// an order that does nothing.
#pragma once

#include "engine/gpOrder.h"

#include <cstdint>

namespace engine {

// Order kinds 0..14.
inline constexpr int32_t kOrderKinds = 15;
// An order's state: installed, and the state kinds 13 and 14 keep; bit 0x80 lets the routine
// run beside an in-line command.
inline constexpr uint8_t kOrderInstalled = 3, kOrderLasting = 10, kOrderBesideInLine = 0x80;

// The routine of an order kind; nil outside 0..14 or while the kind has none.
TOrderRoutine OrderRoutine(int32_t kind);

}  // namespace engine
