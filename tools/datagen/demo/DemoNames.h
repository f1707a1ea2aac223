// The demo world's vocabulary: the class identifiers its level sets use and the names the
// name tables give them, the map elements, cursors, effects and heads-up panels, and the
// wave list that numbers the sounds. Identifiers follow the engine's fixed groups (paddle
// 1-2, monsters 3 and 32-41, shots 4-10, prizes 11 and 42-61, bricks 12-31, balls 62-69,
// special bricks 112-117, letters 124-130, splinters 157-166).
#pragma once

#include <string>
#include <vector>

#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/WorldWriter.h"

namespace datagen::demo {

// ---- Unit classes ----
namespace unit {
inline constexpr int Paddle = 1;
inline constexpr int Guard = 2;   // the ball guard: runs along the floor under the ball
inline constexpr int Bomber = 3;  // a monster that turns angry (state 3) when hit
inline constexpr int ShotMissile = 7, ShotLaser = 5, ShotBullet = 6, ShotPlasma = 10;
inline constexpr int FirstBrick = 12;       // 12..19: one hit, eight colours
inline constexpr int FirstToughBrick = 20;  // 20..25: two hits
inline constexpr int FirstHardBrick = 26;   // 26..29: three hits
inline constexpr int SteelBrick = 30;       // indestructible
inline constexpr int GoldBrick = 31;        // one hit, rich
inline constexpr int Eye = 32, Spinner = 33, Jelly = 34, Saucer = 35;
inline constexpr int Mine = 36;  // floats where it appears, blocks the ball, burns out
inline constexpr int PrizeWider = 42, PrizeSplit = 43, PrizeBigBall = 44, PrizeWeapon = 45, PrizeGhostBall = 46,
                     PrizeQuakeBall = 47, PrizeFloor = 48, PrizeNarrower = 49, PrizeStun = 50, PrizeFast = 51,
                     PrizeSlow = 52, PrizeSkull = 53, PrizeSlowBall = 54, PrizeGuard = 55, PrizeCatch = 56,
                     PrizeLift = 58, PrizeKiller = 59, PrizeFireBall = 60, PrizeCoin = 61, PrizeExit = 91;
inline constexpr int Ball = 62, BallQuake = 63, BallGhost = 64, BallFire = 65, ExitGem = 69;
inline constexpr int FirstSpecialBrick = 112;  // 112..117: steer the ball, never counted
inline constexpr int FirstLetter = 124;        // 124..130: the letters of "PADDLES"
inline constexpr int Chip = 157;               // a splinter of a brick
inline constexpr int Count = 166;
}  // namespace unit

// The name of every unit class 1..166 (all slots named, so each takes its own).
const std::vector<std::string>& UnitNames();
const std::string& UnitName(int id);

// ---- Map elements: the playfield's backdrops ----
inline constexpr int kBackdropElements = 5;  // elements 1..5, in BackdropKind order
const std::vector<std::string>& MapElementNames();

// ---- Cursors ----
namespace cursor {
inline constexpr int Arrow = 1, Panel = 2, Busy = 3, Target = 4, SlotEmpty = 8, SlotUsed = 9;
inline constexpr int Count = 9;
}  // namespace cursor
const std::vector<std::string>& CursorNames();

// ---- Effects ----
namespace effect {
inline constexpr int Splash = 1;
inline constexpr int HudPlayer = 2;  // the player's emblem beside the name
inline constexpr int SplitFlash = 3;
inline constexpr int SkinLift = 4;  // the paddle's thrusters (free flight)
inline constexpr int HitFlash = 5, MuzzleFlash = 6, Sparks = 7;
inline constexpr int SkinCatch = 8, SkinSlow = 9;
inline constexpr int Blast = 10, Smoke = 11, PaddleExplosion = 12, SkinCannon = 13, Shatter = 14, Twinkle = 15;
inline constexpr int FloorRow = 16;
inline constexpr int HudGauge = 17, HudLife = 18, HudLetters = 19;
inline constexpr int HudBadge1 = 20, HudBadge2 = 21, HudBadge3 = 22;  // small, for the bottom bar
inline constexpr int HudDifficulty1 = 23, HudDifficulty2 = 24, HudDifficulty3 = 25;
inline constexpr int HudDifficultyBar = 26, HudScore = 27;
inline constexpr int Count = 27;
}  // namespace effect
const std::vector<std::string>& EffectNames();

// ---- Heads-up panels (interface descriptions) ----
namespace panel {
inline constexpr int Side = 1, Frame = 2, Bottom = 3;
inline constexpr int Count = 3;
}  // namespace panel
const std::vector<std::string>& InterfaceNames();

// The five tables as the "PixSetGP" entries hold them.
NameTables DemoNameTables();

// ---- Sounds ----

// The sound groups of the wave list, in the order of its seven bases.
enum class SoundGroup { Paddle = 0, Bricks, Monsters, Prizes, Balls, Shots, Widgets };
// Sound numbers within a group (the index a class or widget passes).
namespace sound {
inline constexpr int ButtonHover = 0, ButtonClick = 1;             // widgets
inline constexpr int PaddleShot = 2, PaddleWallBump = 7, PaddleCeilingBump = 8;  // paddle
inline constexpr int BallPaddle = 0, BallWall = 1;                  // balls
inline constexpr int PrizeCeiling = 0, PrizeWall = 1, PrizeCaught = 2;
inline constexpr int BrickHit = 0, BrickBreak = 1;
}  // namespace sound
// The wave list: seven bases, then one "Wav" key per sound number.
WaveList DemoWaveList();
// Every distinct "Wav" key of the list.
std::vector<std::string> DemoSoundNames();

}  // namespace datagen::demo
