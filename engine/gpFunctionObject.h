// Orders on game objects: the table of order kinds and their installation, and the
// behaviour routines of the simple movers.
//
// A game object moves only through its current order, the head of a chain of orders taken
// from the kernel's order pool. Each kind 0..14 names a behaviour routine; installing an
// order also does the kind's extra work (the table in gpFunctionObject.cpp). The routines
// are plain functions Routine(Object, Mode, Rect, List): Mode 0 is the tick, Mode 1 a
// collision reply with the obstacles' union rectangle and list.
//
// Units: gpFunctionObject.cpp (the table, installation), gpMovers.cpp (ship, projectile,
// orbit, vertical shot, the monster movers), gpMoversLife.cpp (ball guard, animation end,
// brick spawner, timed life, area effect, the shared list). The class timer: gpClassTimer.h.
#pragma once

#include "engine/gpClassTimer.h"
#include "engine/gpObjectList.h"
#include "engine/gpOrder.h"

#include <cstdint>
#include <vector>

namespace engine {

class TGPGeneralObject;

// Order kinds 0..14.
inline constexpr int32_t kOrderKinds = 15;
// An order's state: installed, and the state kinds 13 and 14 keep; bit 0x80 lets the routine
// run beside an in-line command.
inline constexpr uint8_t kOrderInstalled = 3, kOrderLasting = 10, kOrderBesideInLine = 0x80;

// The routine of an order kind; nil outside 0..14 or while the kind has none.
TOrderRoutine OrderRoutine(int32_t kind);

// ---- Behaviour routines ----
uint8_t ShipControl(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t ProjectileFlight(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t OrbitMove(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t VerticalShot(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t WanderMove(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t BallGuard(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t HomingMove(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t RandomTurnMove(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t AnimationEndAction(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t SpawnAtEnd(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t TimedLife(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t AreaEffect(TGPObject& object, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);

// The one list that receives map queries, so that routines allocate nothing per tick. Its
// contents last only until the next query: a routine that may kill, spawn or run scripts
// while it looks at them walks a TObjectSnapshot.
TListGPObject& SharedObjectList();

// ---- What the movers share ----
namespace movers {

// The play field: nine 64-pixel columns by eight rows.
inline constexpr int32_t kFieldWidth = 576, kFieldHeight = 512;
// Monsters turn back this far above the floor line.
inline constexpr int32_t kMonsterTurnAbove = 110;

// The object leaves the map's cells; it re-enters them, and the shared list receives the
// objects of its cells (emptied without a map).
void LeaveCells(TGPObject& object);
TListGPObject& EnterCells(TGPObject& object);

// What a routine checks after anything that may run scripts, kill or install orders: its
// object is still the one it was called for, and its order still the current one. A routine
// touches its order only while it is current.
class TOrderWatch {
public:
    explicit TOrderWatch(const TGPObject& object);
    // The object has not gone back to its pool since.
    bool ObjectAlive() const;
    // ... and the order the routine was called for is still its current one.
    bool OrderCurrent() const;
    TOrder* Order() const { return order_; }

private:
    const TGPObject& object_;
    TOrder* order_;
    uint32_t serial_;
    uint16_t generation_;
};

// The slide's turn word (its value from the level record); 0 without a slide.
int32_t SlideTurnWord(const TGPObject& object);

}  // namespace movers

}  // namespace engine
