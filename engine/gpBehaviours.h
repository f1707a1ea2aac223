// The behaviours of the ball, the paddle and the falling prize: the routines of order kinds
// 4 (BallMove), 3 (ControlledMove) and 5 (SteerMove), the parts they are built from, and
// the prize effects.
//
// Units: gpBall.cpp (the ball), gpPaddle.cpp (the paddle), gpPrize.cpp (the prize and its
// effects), gpBehaviourTools.cpp (what the three share: field bounds, positioned sounds,
// neighbours). The class timer they share with the movers: gpClassTimer.h; snapshots of
// object lists: gpObjectList.h.
#pragma once

#include "engine/gpClassTimer.h"
#include "engine/gpObjectList.h"
#include "engine/gpOrder.h"

#include <cstdint>
#include <vector>

namespace engine {

class TGPNation;
class TGPObject;
struct TGPShared;

// ---- Order routines ----
uint8_t ControlledMove(TGPObject& paddle, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t BallMove(TGPObject& ball, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
uint8_t SteerMove(TGPObject& prize, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);

// ---- The ball ----
// Gathers the objects near the ball that it overlaps (with queue, each also becomes a move
// request for this tick's collision pass); true when there is any. A ball of class 63 also
// shakes the destructible bricks within its radius.
bool BallNeighbours(TGPObject& ball, bool queue);
// The wall bounces of a tick; true when the ball bounced.
bool BallWalls(TGPObject& ball);
// The collision reply: rect is the union of the obstacles, list the obstacles.
void BallCollision(TGPObject& ball, const TRect& rect, rtl::List<TGPStructure*>* list);
// The ball's direction reflected off a surface whose outward side is side (0..255): side
// itself near the diagonals, else (2 side - direction - 128) taken 0..255.
int32_t ReflectAbout(const TGPObject& ball, int32_t side);
// What meeting the paddle did to the ball.
enum class TPaddleHit : uint8_t { None, Caught, Spun, Struck };
// The ball's angle from where it met the paddle (side from the paddle's centre to the
// ball's); a sticky paddle catches it. Nothing unless obstacle is the paddle.
TPaddleHit PaddleHit(TGPObject& ball, TGPObject& obstacle, int32_t side);
// A monster or special brick with a turn word curves, stops or turns the ball.
void MonsterHit(TGPObject& ball, TGPObject& obstacle);
// The spin threshold in pixels per tick: 20 / 1.8 / 1.3, 1.6 or 2.0 by difficulty.
double SpinThreshold(const TGPShared& shared);

// ---- The prize ----
// Applies a prize that touches the paddle (the last paddle in list that overlaps it when
// paddle is nil); true when applied (the prize is scored and gone).
bool ApplyBonus(TListGPObject* list, TGPObject* paddle, TGPObject& prize);
// Every object near the paddle and overlapping it dies, but for the paddle's own kinds,
// monsters, prizes, riders and balls.
void ClearPlayerArea(TGPObject& paddle);

// ---- Shared tools (gpBehaviourTools.cpp) ----

// The playfield: the map's size in pixels (576 x 512 without a map), its closed floor.
int32_t FieldWidth(const TGPObject& o);
int32_t FieldHeight(const TGPObject& o);
bool ClosedFloor(const TGPObject& o);
// The object's sound n for its class, queued at its centre.
void QueueSound(TGPObject& o, int32_t n);
// The centre of the collision rectangle, in world pixels.
rtl::TPoint RectCentre(const TRect& r);
// Class keeps the column (a size step) the object shows.
void SetClassKeepingColumn(TGPObject& o, int32_t id);
// The object's map cells: out before it moves, in again after.
void LeaveCells(TGPObject& o);
void EnterCells(TGPObject& o);
// The objects near o (the map's query) into list; empty without a map.
void NearObjects(TGPObject& o, TListGPObject& list);

// The objects near o: the map's query into the behaviours' one query list, for a snapshot
// to be taken of it at once (its contents last until the next query).
TListGPObject& NearObjects(TGPObject& o);

// True while the object has not gone back to its pool since its generation was read.
bool StillInPlay(const TGPObject& o, uint16_t generation);

}  // namespace engine
