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
// Monsters, one for each way a monster moves.
inline constexpr int Eye = 32, Spinner = 33, Jelly = 34, Saucer = 35;
inline constexpr int Mine = 36;     // floats where it appears, blocks the ball, burns out
inline constexpr int Builder = 37;  // lays a row of bricks when its animation ends
inline constexpr int Comet = 38;    // sweeps a wide arc across the field
inline constexpr int Drifter = 39;  // drifts until it loses its way
// Bricks that slide to and fro along their row: one, two and three hits.
inline constexpr int FirstSlider = 71;
// Prizes, by what they do (the drop table's effect code in brackets).
inline constexpr int PrizeQuake = 11;                                   // the field shakes (24)
inline constexpr int PrizeWider = 42, PrizeSplit = 43, PrizeBigBall = 44, PrizeWeapon = 45,  // 0, 1, 2, 3
    PrizeGhostBall = 46, PrizeQuakeBall = 47, PrizeCatchOff = 48, PrizeNarrower = 49,        // 4, 6, 54, 16
    PrizeStun = 50, PrizeFast = 51, PrizeSlow = 52, PrizeSkull = 53, PrizeSlowBall = 54,     // 17, 21, 23, 26, 30
    PrizeGuard = 55, PrizeCatch = 56, PrizeShake = 57, PrizeLift = 58, PrizeKiller = 59,     // 8, 7, 11, 5, 10 or 15
    PrizeFireBall = 60, PrizeCoin = 61;                                                      // 31, none
inline constexpr int PrizeExit = 91, PrizeMirror = 92, PrizeFlip = 93, PrizeTwist = 94,  // 28, 19, 20, 22
    PrizeMonster = 95, PrizeUpsideDown = 96, PrizeGhostRain = 97, PrizeSurprise = 98,    // 25 or 35, 27, 29, 32
    PrizeFloor = 99;                                                                     // 9
inline constexpr int PrizeCoinRain = 120, PrizeCurve = 121, PrizeDisarm = 122, PrizeLand = 123;  // 34, 50, 52, 53
inline constexpr int Ball = 62, BallQuake = 63, BallGhost = 64, BallFire = 65, ExitGem = 69;
inline constexpr int FirstSpecialBrick = 112;  // 112..117: turn the ball that passes, never counted
inline constexpr int FirstLetter = 124;        // 124..130: the letters of "РАКЕТКА"
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
inline constexpr int ButtonHover = 0, ButtonClick = 1;  // widgets
// The paddle's group (the guard's too).
inline constexpr int PaddleBounce = 0, LevelClear = 1, PaddleShot = 2, PaddleExplosion = 3, LifeLost = 4,
                     ExtraLife = 5, PaddlePickup = 6, PaddleWallBump = 7, PaddleCeilingBump = 8;
inline constexpr int BrickHit = 0, BrickBreak = 1, MetalHit = 2, SpecialHum = 3;
inline constexpr int MonsterHit = 0, MonsterExplosion = 1, MonsterAppear = 2, MonsterFizzle = 3;
inline constexpr int PrizeCeiling = 0, PrizeWall = 1, PrizeCaught = 2;
inline constexpr int BallPaddle = 0, BallWall = 1, BallLost = 2, BallExit = 3;
inline constexpr int ShotFired = 0, ShotExplosion = 1, MissileLaunch = 2;
}  // namespace sound
// The wave list: seven bases, then one "Wav" key per sound number.
WaveList DemoWaveList();
// Every distinct "Wav" key of the list.
std::vector<std::string> DemoSoundNames();

}  // namespace datagen::demo
