// The classes of the demo world: for every game-object class its seven slides, its game
// values and its pictures; the effects, heads-up panels, map elements and cursors with their
// pictures. Records are written from the engine's own description components, so property
// names, types and order are those the readers stream.
//
// Sheets follow the way objects pick a pattern (`LinesWidth` × frame + column): columns are
// sizes (balls, paddles) or damage stages (bricks: the last column whole, column 0 nearly
// broken, because a hit moves a brick one column down); rows are animation frames.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/LevelSet.h"
#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// A picture as a container entry, with the cut its readers make of it.
struct DemoPicture {
    std::string key;
    Image image;
    int patternWidth = 0, patternHeight = 0;  // 0: the whole picture
    int columns = 1, rows = 1;                // patterns across and down
    int bitCount = 8;                         // 8: own palette, run-length coded when `rle`
    bool rle = true;
    bool jpeg = false;                        // stored as length-prefixed JPEG (opaque pictures)
    Rgb transparent{0, 0, 0};                 // the colour written where it is transparent
    std::string Bytes() const;
};

// Order kinds of the engine's behaviours.
namespace order {
inline constexpr int Ship = 0, Projectile = 1, Orbit = 2, Paddle = 3, Ball = 4, Prize = 5, VerticalShot = 6, Wander = 7,
                     Guard = 8, Homing = 9, RandomTurn = 10, AnimationEnd = 11, Spawner = 12, TimedLife = 13, Area = 14;
inline constexpr int Count = 15;
}

// One state of a class.
struct SlideEntry {
    int picture = 4;        // the state whose picture the slide shows (its "Class_State" key)
    int order = -1;         // the default order installed when the state is entered, -1 none
    int releaseOrder = -1;  // the order a rider installs when its carrier lets it go
    bool fullRect = false;  // collide with the whole pattern (drawn centred in states 1 and 3)
    int style = -1;         // TStyleAniSprite; -1: the class's
    int ticks = -1;         // HTicksPerChange; -1: the class's
};

struct UnitEntry {
    int id = 0;
    // Game values (the class description and the level records alike).
    int minSpeed = 0, maxSpeed = 0;  // pixels per tick
    double acceleration = 0;
    int toughness = 1;  // 256: indestructible
    int price = 0;
    int minDamage = 1, maxDamage = 1;
    int32_t param1 = 0, param2 = 0, param3 = 0;  // timer word, extra, flags
    int defaultSlide = 4;
    uint8_t ticksPerRotate = 0;
    bool connectWeapon = false;
    int currentWeapon = 0;
    std::string weapons;  // weapon numbers, one per line
    std::string script;   // compiled script's name ("" none)
    // Look.
    int patternWidth = 0, patternHeight = 0, columns = 1, frames = 1;
    int style = 0;  // TStyleAniSprite of the states that do not say
    int ticks = 2;
    int incSize = 0, incSizeH = 0;
    std::array<int, 4> base{};  // collision rectangle in the pattern (column 0)
    int defaultColumn = 0;
    // The slide's turn word the level records send (P15): the random-turn mover's range
    // (byte 2) and period (byte 3), the area effect's range and limit, and what a touch
    // does to the ball (low half: 2 curve, 3 down, 4 across).
    int32_t turnWord = 0;
    int sound = -1;
    int lifetime = -1;  // ticks an object lives (-1: for ever)
    std::array<SlideEntry, 7> slides{};
};

// Every class the demo's level sets use, by identifier.
const std::vector<UnitEntry>& DemoUnits();
const UnitEntry& Unit(int id);
bool HasUnit(int id);
// The drop table's effect code of a prize class (the capsule shows it); -1 for no prize.
// Two classes serve a second code in some levels: the killer (10, or 15 the first monster
// only) and the monster call (25, or 35 the bomber).
int PrizeEffectCode(int id);
// Codes that do nothing but score (the coin's).
inline constexpr int kScoreOnlyCode = 99;

// A level record of the class carrying its game values: speeds, weapons, toughness, price,
// damage and parameters, placed at (x, y). P5 (the kind bits) stays 0.
ObjectRecord UnitRecord(int id, int x = 0, int y = 0);

// The weapons the paddle's list names, by number: their descriptions ("Classes_Weapons").
struct WeaponData {
    int number = 0;
    std::string name;    // the engine's name of the number
    std::string record;  // one TGPWeaponStructure record
    int projectile = 0;  // the class it fires
};
std::vector<WeaponData> DemoWeapons();
// The paddle's weapon list: laser pair, bullet triple, missile; the charged plasma first in
// the levels that give it.
inline constexpr const char* kPaddleWeapons = "2\r\n3\r\n1\r\n";
inline constexpr const char* kChargedPaddleWeapons = "8\r\n2\r\n3\r\n1\r\n";

// The class scripts ("Code_Unit" entries by name): the sounds of hits, breaks, catches,
// shots, explosions and lost lives, the effects that go with them, and the comet's orbit.
std::vector<std::pair<std::string, std::string>> DemoScripts();

struct UnitClassData {
    int id = 0;
    std::string name;
    std::string slides;          // seven TOneSlide records, states 1..7
    std::string generalObject;   // the TGPGeneralObject record
    std::vector<DemoPicture> pictures;  // "BMP_Unit" entries
};
// Records and pictures of every demo class (pictures drawn now: a few seconds of work).
std::vector<UnitClassData> DemoUnitClasses();

struct DescriptionData {
    std::string key;      // the entry's name (the class's name in its table)
    std::string record;   // one component record
};

// "Classes_Effects" with "BMP_Effects".
struct EffectsData {
    std::vector<DescriptionData> descriptions;
    std::vector<DemoPicture> pictures;
};
EffectsData DemoEffects();

// "Classes_Interface" with "BMP_Interface": the heads-up panels 1, 2, 3.
struct PanelPlace {
    int id, left, top, width, height;
};
const std::vector<PanelPlace>& HudPanels();
EffectsData DemoInterfaceClasses();

// "Classes_MapElement" with "BMP_MapElement": the backdrops, opaque, stored as JPEG.
EffectsData DemoMapElements();

// "Cursors" with "BMP_Cursors" (game data).
EffectsData DemoCursors();

}  // namespace datagen::demo
