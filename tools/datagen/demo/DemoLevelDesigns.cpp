#include "tools/datagen/demo/DemoLevelDesigns.h"

#include "tools/datagen/demo/DemoNames.h"

namespace datagen::demo {
namespace {

using M = std::vector<Share>;
using namespace unit;

// The letters of "РАКЕТКА", `chance` each.
M Letters(int chance) {
    M out;
    for (int i = 0; i < 7; ++i) out.push_back({FirstLetter + i, chance});
    return out;
}

// Prizes with the letters (and the coins the coin rain needs) added.
M With(M prizes, int letterChance) {
    for (const Share& s : Letters(letterChance)) prizes.push_back(s);
    return prizes;
}

// The balls' speeds, level by level (pixels per tick; the fastest a ball gets is two more),
// and the speed factor, rising from `factor` by 0.02 a level.
void Pace(std::vector<LevelDesign>& levels, const std::vector<int>& speeds, double factor) {
    for (size_t i = 0; i < levels.size(); ++i) {
        levels[i].ballSpeed = speeds.at(i);
        levels[i].ballMaxSpeed = speeds.at(i) + 2;
        levels[i].acceleration = factor + 0.02 * static_cast<double>(i);
    }
}

constexpr const char* kWeaponsFirstMissile = "1\r\n2\r\n3\r\n";
constexpr const char* kWeaponsFirstBullets = "3\r\n1\r\n2\r\n";

}  // namespace

// The first steps: rows of one-hit bricks, then two and three hits, the first monsters,
// sliders, steel and special bricks, and the prizes one at a time.
std::vector<LevelDesign> PrologueDesigns() {
    std::vector<LevelDesign> d;
    d.push_back({.name = "Рассвет", .english = "Dawn", .backdrop = 4,
                 .rows = {"............", "............", "rrrrrrrrrrrr", "oooooooooooo", "yyyyyyyyyyyy"},
                 .prizes = {{PrizeWider, 25}, {PrizeSplit, 20}, {PrizeBigBall, 20}, {PrizeSlowBall, 15}, {PrizeCoin, 20}},
                 .drop = 35});
    d.push_back({.name = "Ступени", .english = "Steps", .backdrop = 3,
                 .rows = {"r...........", "ro..........", "roy.........", "royg........", "roygc.......", "roygcb......",
                          "roygcbv.....", "roygcbvp...."},
                 .prizes = {{PrizeWeapon, 25}, {PrizeCatch, 20}, {PrizeCatchOff, 10}, {PrizeWider, 15}, {PrizeNarrower, 15},
                            {PrizeCoin, 15}},
                 .monsters = {{Eye, 100}}, .wander = 8, .drop = 32, .monsterLimit = 1});
    d.push_back({.name = "Шахматы", .english = "Chess", .backdrop = 2,
                 .rows = {"r.r.r.r.r.r.", ".O.O.O.O.O.O", "y.y.y.y.y.y.", ".G.G.G.G.G.G", "c.c.c.c.c.c.", ".B.B.B.B.B.B"},
                 .prizes = With({{PrizeSplit, 15}, {PrizeStun, 12}, {PrizeSlow, 12}, {PrizeWeapon, 12}, {PrizeCoin, 7}}, 6),
                 .monsters = {{Eye, 50}, {Jelly, 50}}, .wander = 12, .drop = 35, .monsterLimit = 2,
                 .weapons = kWeaponsFirstBullets});
    d.push_back({.name = "Мост", .english = "Bridge", .backdrop = 1,
                 .rows = {"............", "RRRRRRRRRRRR", "OOOOOOOOOOOO", "1..1....1..1", "gggggggggggg"},
                 .prizes = With({{PrizeFloor, 20}, {PrizeGuard, 20}, {PrizeFast, 15}, {PrizeBigBall, 15}, {PrizeCoin, 9}}, 3),
                 .monsters = {{Jelly, 60}, {Eye, 40}}, .wander = 12, .drop = 30, .monsterLimit = 2});
    d.push_back({.name = "Волны", .english = "Waves", .backdrop = 5,
                 .rows = {"pp.pp.pp.pp.", ".vv.vv.vv.vv", "bb.bb.bb.bb.", "............", "~...........", "............",
                          "CC.CC.CC.CC.", ".gg.gg.gg.gg"},
                 .prizes = {{PrizeGhostBall, 20}, {PrizeQuakeBall, 15}, {PrizeSkull, 8}, {PrizeCoinRain, 15}, {PrizeCoin, 10},
                            {PrizeWeapon, 20}, {PrizeSlowBall, 12}},
                 .monsters = {{Eye, 100}}, .wander = 10, .drop = 30, .monsterLimit = 2, .weapons = kWeaponsFirstMissile});
    d.push_back({.name = "Сердце", .english = "Heart", .backdrop = 2,
                 .rows = {"............", "..rr....rr..", ".rrrr..rrrr.", ".rrrrrrrrrr.", ".rrrr$$rrrr.", "..rrrrrrrr..",
                          "...rrrrrr...", "....rrrr....", ".....rr....."},
                 .prizes = With({{PrizeLift, 15}, {PrizeLand, 10}, {PrizeCatch, 20}, {PrizeCatchOff, 10}, {PrizeWider, 15},
                                 {PrizeCoin, 16}},
                                2),
                 .monsters = {{Eye, 50}, {Jelly, 50}}, .wander = 12, .drop = 28, .monsterLimit = 2});
    d.push_back({.name = "Башни", .english = "Towers", .backdrop = 3,
                 .rows = {"#..#....#..#", "3..3....3..3", "2..2....2..2", "1..1....1..1", "............", "oooooooooooo",
                          "............", "yyyyyyyyyyyy"},
                 .prizes = {{PrizeFireBall, 20}, {PrizeKiller, 20}, {PrizeShake, 15}, {PrizeExit, 10}, {PrizeSlowBall, 15},
                            {PrizeCoin, 20}},
                 .monsters = {{Spinner, 50}, {Eye, 50}}, .wander = 15, .drop = 28, .monsterLimit = 2});
    d.push_back({.name = "Звезда", .english = "Star", .backdrop = 1,
                 .rows = {".....$$.....", "....yYYy....", "...yYOOYy...", "oyYOO22OOYyo", "...yYOOYy...", "....yYYy....",
                          ".....$$.....", "(..........)", "............", "gggggggggggg"},
                 .prizes = {{PrizeSurprise, 20}, {PrizeGhostRain, 15}, {PrizeGhostBall, 10}, {PrizeQuake, 15},
                            {PrizeGuard, 15}, {PrizeWider, 15}, {PrizeCoin, 10}},
                 .monsters = {{Spinner, 60}, {Jelly, 40}}, .wander = 15, .drop = 24, .monsterLimit = 2});
    d.push_back({.name = "Лабиринт", .english = "Maze", .backdrop = 4,
                 .rows = {".BBB.BB.BBB.", "#...#..#...#", "#.3.#..#.3.#", "#.3......3.#", "#.3.#..#.3.#", "#...#..#...#",
                          "~...........", "CCCCCCCCCCCC", "oooooooooooo"},
                 .prizes = With({{PrizeSplit, 20}, {PrizeBigBall, 15}, {PrizeWeapon, 20}, {PrizeMirror, 15}, {PrizeCoin, 16}, {PrizeDisarm, 10}},
                                2),
                 .monsters = {{Eye, 50}, {Saucer, 50}}, .wander = 15, .drop = 24, .monsterLimit = 2, .weapons = kWeaponsFirstMissile, .freeBalls = {{100, 330}, {440, 330}}});
    d.push_back({.name = "Страж", .english = "Warden", .backdrop = 5,
                 .rows = {"$1111111111$", ".2222..2222.", "RRRRRRRRRRRR", "............", "yyyyyyyyyyyy", "............",
                          "=..........="},
                 .prizes = {{PrizeKiller, 20}, {PrizeMonster, 15}, {PrizeFireBall, 15}, {PrizeExit, 10}, {PrizeFloor, 15},
                            {PrizeNarrower, 10}, {PrizeCoin, 15}},
                 .monsters = {{Saucer, 30}, {Bomber, 10}, {Mine, 25}, {Spinner, 35}}, .wander = 14, .drop = 24,
                 .monsterLimit = 3});
    Pace(d, {4, 4, 4, 4, 5, 5, 5, 5, 5, 5}, 1.0);
    return d;
}

// The main campaign: harder bricks, every monster of the first set and the builder, the
// comet, the mirrors, special bricks in numbers.
std::vector<LevelDesign> SprallionDesigns() {
    std::vector<LevelDesign> d;
    d.push_back({.name = "Пробуждение", .english = "Awakening", .backdrop = 1,
                 .rows = {"............", "gggggggggggg", "cccccccccccc", "bbbbbbbbbbbb", "vvvvvvvvvvvv", "pppppppppppp"},
                 .prizes = With({{PrizeWider, 20}, {PrizeSplit, 15}, {PrizeWeapon, 20}, {PrizeNarrower, 10}, {PrizeCoin, 11}}, 2),
                 .monsters = {{Eye, 100}}, .wander = 5, .drop = 30, .monsterLimit = 1});
    d.push_back({.name = "Арки", .english = "Arches", .backdrop = 4,
                 .rows = {"#..........#", ".BBBB..BBBB.", ".BbbB..BbbB.", ".B..B..B..B.", "pppppppppppp", "vvvvvvvvvvvv",
                          "oooooooooooo", "............"},
                 .prizes = With({{PrizeBigBall, 15}, {PrizeGhostBall, 15}, {PrizeQuakeBall, 15}, {PrizeStun, 10}, {PrizeSlow, 15},
                                 {PrizeCatch, 15}, {PrizeCatchOff, 8}, {PrizeCoin, 6}},
                                2),
                 .monsters = {{Eye, 100}}, .wander = 10, .drop = 28, .monsterLimit = 1});
    d.push_back({.name = "Крепость", .english = "Fortress", .backdrop = 2,
                 .rows = {"############", "cc........cc", "cc.1$$$$1.cc", "cc.2RRRR2.cc", "cc.YYYYYY.cc", "GGGGGGGGGGGG",
                          "oooooooooooo"},
                 .prizes = With({{PrizeGuard, 15}, {PrizeLift, 10}, {PrizeLand, 8}, {PrizeFast, 12}, {PrizeFireBall, 12},
                                 {PrizeSkull, 6}, {PrizeCoin, 8}, {PrizeExit, 8}, {PrizeKiller, 7}, {PrizeUpsideDown, 8}},
                                2),
                 .monsters = {{Eye, 60}, {Spinner, 40}}, .wander = 15, .drop = 26, .monsterLimit = 2});
    d.push_back({.name = "Зеркала", .english = "Mirrors", .backdrop = 4,
                 .rows = {"#.#.#..#.#.#", "RrRrRrrRrRrR", "rRrRrRRrRrRr", "............", "(..........)", "............",
                          "CcCcCcCcCcCc", "cCcCcCcCcCcC"},
                 .prizes = With({{PrizeMirror, 15}, {PrizeFlip, 15}, {PrizeTwist, 15}, {PrizeCurve, 10}, {PrizeFast, 15},
                                 {PrizeWeapon, 15}, {PrizeCoin, 10}, {PrizeDisarm, 10}},
                                1),
                 .monsters = {{Saucer, 100}}, .wander = 15, .drop = 24, .monsterLimit = 2, .weapons = kWeaponsFirstMissile});
    d.push_back({.name = "Улей", .english = "Hive", .backdrop = 3,
                 .rows = {".o.o.o.o.o.o", "o.o.o.o.o.o.", ".Y.Y.Y.Y.Y.Y", "Y.Y.Y.Y.Y.Y.", ".o.o.o.o.o.o", "o.o.o.o.o.o.",
                          ".G.G.G.G.G.G", "G.G.G.G.G.G."},
                 .prizes = With({{PrizeGuard, 15}, {PrizeWider, 12}, {PrizeSplit, 12}, {PrizeKiller, 12}, {PrizeCoin, 10},
                                 {PrizeQuake, 10}, {PrizeSlowBall, 15}},
                                2),
                 .monsters = {{Builder, 15}, {Eye, 45}, {Jelly, 40}}, .wander = 16, .drop = 22, .monsterLimit = 2});
    d.push_back({.name = "Кометы", .english = "Comets", .backdrop = 1,
                 .rows = {"............", "bbbbbbbbbbbb", "BBBBBBBBBBBB", "............", "vvvvvvvvvvvv", "CCCCCCCCCCCC",
                          "............", "pppppppppppp"},
                 .prizes = With({{PrizeKiller, 15}, {PrizeFireBall, 12}, {PrizeGhostBall, 12}, {PrizeSplit, 12}, {PrizeCoin, 10},
                                 {PrizeFloor, 10}, {PrizeGuard, 10}, {PrizeCoinRain, 8}},
                                2),
                 .monsters = {{Comet, 60}, {Spinner, 40}}, .wander = 20, .drop = 24, .monsterLimit = 2, .freeBalls = {{280, 340}}});
    d.push_back({.name = "Буря", .english = "Tempest", .backdrop = 2,
                 .rows = {"$..........$", ".4444444444.", ".3........3.", ".3.(.!!.).3.", ".3........3.", ".2222222222.",
                          "............", "*..-....+..*"},
                 .prizes = With({{PrizeSurprise, 12}, {PrizeGhostRain, 12}, {PrizeGhostBall, 8}, {PrizeShake, 10},
                                 {PrizeFireBall, 10}, {PrizeExit, 10}, {PrizeCoin, 10}, {PrizeCurve, 8}},
                                2),
                 .monsters = {{Spinner, 40}, {Saucer, 30}, {Mine, 30}}, .wander = 20, .drop = 22, .monsterLimit = 3});
    d.push_back({.name = "Карусель", .english = "Carousel", .backdrop = 5,
                 .rows = {"yyyyyyyyyyyy", "............", "~...........", "............", "...........~", "............",
                          "=...........", "............", "111111111111", "222222222222"},
                 .prizes = With({{PrizeFireBall, 12}, {PrizeGhostBall, 12}, {PrizeBigBall, 12}, {PrizeMirror, 10},
                                 {PrizeFlip, 10}, {PrizeFloor, 12}, {PrizeCoin, 10}, {PrizeWider, 8}},
                                2),
                 .monsters = {{Saucer, 50}, {Eye, 50}}, .wander = 20, .drop = 24, .monsterLimit = 2});
    d.push_back({.name = "Алмаз", .english = "Diamond", .backdrop = 3,
                 .rows = {".....$$.....", "....CYYC....", "...CG22GC...", "..CBG33GBC..", "(.CBG33GBC.)", "..CBG33GBC..",
                          "...CG22GC...", "....CYYC....", ".....GG.....", "*....--....+"},
                 .prizes = With({{PrizeShake, 15}, {PrizeSurprise, 12}, {PrizeCurve, 10}, {PrizeWeapon, 15}, {PrizeSplit, 12},
                                 {PrizeTwist, 8}, {PrizeCoin, 14}},
                                2),
                 .monsters = {{Eye, 30}, {Spinner, 30}, {Jelly, 40}}, .wander = 20, .drop = 24, .monsterLimit = 2, .weapons = kWeaponsFirstBullets});
    d.push_back({.name = "Шторм", .english = "Storm", .backdrop = 5,
                 .rows = {"#....##....#", "rrrrrrrrrrrr", "OOOOOOOOOOOO", "BBBBBBBBBBBB", "OO..OOOO..OO", "GGGGGGGGGGGG",
                          "............", "$..........$"},
                 .prizes = With({{PrizeKiller, 15}, {PrizeMonster, 12}, {PrizeShake, 10}, {PrizeQuakeBall, 12},
                                 {PrizeFireBall, 10}, {PrizeStun, 8}, {PrizeSlow, 8}, {PrizeCoin, 11}},
                                2),
                 .monsters = {{Spinner, 25}, {Jelly, 25}, {Saucer, 20}, {Bomber, 15}, {Mine, 15}}, .wander = 25, .drop = 22,
                 .monsterLimit = 3});
    d.push_back({.name = "Финал", .english = "Finale", .backdrop = 1,
                 .rows = {"#44######44#", ".33......33.", "RRRRRRRRRRRR", "11..1111..11", "BBBBBBBBBBBB", "cccccccccccc",
                          "pppppppppppp", "..(..!!..).."},
                 .prizes = With({{PrizeKiller, 12}, {PrizeMonster, 10}, {PrizeFireBall, 10}, {PrizeExit, 10}, {PrizeFloor, 10},
                                 {PrizeSkull, 6}, {PrizeCoin, 10}, {PrizeWeapon, 10}, {PrizeSplit, 8}},
                                2),
                 .monsters = {{Eye, 15}, {Spinner, 20}, {Jelly, 20}, {Saucer, 15}, {Bomber, 15}, {Mine, 15}}, .wander = 30,
                 .drop = 20, .monsterLimit = 3});
    Pace(d, {5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6}, 1.05);
    return d;
}

// The hardest set: faster balls, three-hit bricks everywhere, drifters, builders, comets
// and the bomber's call, and the mirror that turns the field upside down.
std::vector<LevelDesign> AbyssDesigns() {
    std::vector<LevelDesign> d;
    d.push_back({.name = "Спуск", .english = "Descent", .backdrop = 2,
                 .rows = {"RRRRRRRRRRRR", ".OOOOOOOOOO.", "..YYYYYYYY..", "...GGGGGG...", "....CCCC....", ".....BB....."},
                 .prizes = With({{PrizeWeapon, 20}, {PrizeWider, 15}, {PrizeBigBall, 12}, {PrizeLand, 10}, {PrizeLift, 12},
                                 {PrizeCoin, 10}, {PrizeNarrower, 7}},
                                2),
                 .monsters = {{Drifter, 60}, {Eye, 40}}, .wander = 10, .drop = 30, .monsterLimit = 2, .weapons = kWeaponsFirstBullets});
    // A steel ceiling: when the field turns upside down, the ball lost above would have to
    // pass it, and the floor it bounces off below keeps it in play.
    d.push_back({.name = "Зазеркалье", .english = "Looking-Glass", .backdrop = 1,
                 .rows = {"############", "............", "444444444444", "............", "RRRRRRRRRRRR", "............",
                          "yyyyyyyyyyyy", "gggggggggggg"},
                 .prizes = With({{PrizeUpsideDown, 20}, {PrizeFlip, 10}, {PrizeMirror, 10}, {PrizeFireBall, 12},
                                 {PrizeGhostBall, 12}, {PrizeCoin, 10}, {PrizeSplit, 12}},
                                2),
                 .monsters = {{Saucer, 50}, {Jelly, 50}}, .wander = 20, .drop = 24, .monsterLimit = 2});
    d.push_back({.name = "Дрейф", .english = "Drift", .backdrop = 5,
                 .rows = {"RRRRRRRRRRRR", "$..$..$..$..", "1.1.1.1.1.1.", ".2.2.2.2.2.2", "............", "~..........~",
                          "............", "GGGGGGGGGGGG"},
                 .prizes = With({{PrizeGhostBall, 12}, {PrizeKiller, 15, 15}, {PrizeMonster, 12, 35}, {PrizeFloor, 12},
                                 {PrizeSlowBall, 12}, {PrizeCoin, 10}, {PrizeShake, 8}},
                                2),
                 .monsters = {{Drifter, 50}, {Spinner, 50}}, .wander = 25, .drop = 28, .monsterLimit = 2});
    d.push_back({.name = "Рой", .english = "Swarm", .backdrop = 3,
                 .rows = {"bbbbbbbbbbbb", "vvvvvvvvvvvv", "BBBBBBBBBBBB", "............", "..$......$..", "............",
                          "CCCCCCCCCCCC", "yyyyyyyyyyyy"},
                 .prizes = With({{PrizeKiller, 20}, {PrizeMonster, 10}, {PrizeGuard, 12}, {PrizeFireBall, 12}, {PrizeStun, 8},
                                 {PrizeCoin, 10}, {PrizeSplit, 14}, {PrizeQuake, 8}},
                                2),
                 .monsters = {{Eye, 25}, {Jelly, 25}, {Spinner, 25}, {Saucer, 25}}, .wander = 30, .drop = 24,
                 .monsterLimit = 3});
    d.push_back({.name = "Стройка", .english = "Building Site", .backdrop = 4,
                 .rows = {".2222..2222.", "............", "............", "#....##....#", "R....RR....R", "O....OO....O",
                          "YYYYYYYYYYYY", "111111111111"},
                 .prizes = With({{PrizeShake, 12}, {PrizeQuakeBall, 12}, {PrizeWeapon, 15}, {PrizeWider, 12}, {PrizeCoin, 10},
                                 {PrizeSurprise, 10}, {PrizeDisarm, 8}},
                                2),
                 .monsters = {{Builder, 25}, {Eye, 75}}, .wander = 20, .drop = 24, .monsterLimit = 2, .weapons = kWeaponsFirstMissile});
    d.push_back({.name = "Осада", .english = "Siege", .backdrop = 3,
                 .rows = {".$.$.$.$.$.$", "#1#1#1#1#1#1", "RRRRRRRRRRRR", "............", "bbbbbbbbbbbb", "............",
                          "=....==....=", "pppppppppppp"},
                 .prizes = With({{PrizeKiller, 15}, {PrizeMonster, 12, 35}, {PrizeGuard, 12}, {PrizeFloor, 12},
                                 {PrizeFireBall, 10}, {PrizeSkull, 8}, {PrizeCoin, 10}},
                                2),
                 .monsters = {{Bomber, 20}, {Saucer, 40}, {Mine, 40}}, .wander = 25, .drop = 24, .monsterLimit = 3});
    d.push_back({.name = "Спираль", .english = "Spiral", .backdrop = 2,
                 .rows = {"(....**....)", ".2222222222.", ".2........2.", ".2.yyyyyy.2.", ".2.y.!-.y.2.", ".2.y....y.2.",
                          ".2.yyyyyy.2.", ".2........2.", ".2222222222.", "+..........+"},
                 .prizes = With({{PrizeCurve, 15}, {PrizeTwist, 12}, {PrizeShake, 10}, {PrizeQuakeBall, 12}, {PrizeExit, 10},
                                 {PrizeCoin, 10}, {PrizeWeapon, 12}},
                                2),
                 .monsters = {{Spinner, 50}, {Comet, 50}}, .wander = 20, .drop = 24, .monsterLimit = 3});
    d.push_back({.name = "Пульсар", .english = "Pulsar", .backdrop = 5,
                 .rows = {"............", "...BBBBBB...", "..BCCCCCCB..", ".BC222222CB.", ".BC21$$12CB.", ".BC222222CB.",
                          "..BCCCCCCB..", "...BBBBBB..."},
                 .prizes = With({{PrizeGhostBall, 15}, {PrizeFireBall, 12}, {PrizeSplit, 15}, {PrizeBigBall, 10},
                                 {PrizeSurprise, 10}, {PrizeCoin, 10}, {PrizeStun, 8}, {PrizeGhostRain, 8}},
                                2),
                 .monsters = {{Comet, 40}, {Drifter, 30}, {Spinner, 30}}, .wander = 25, .drop = 22, .monsterLimit = 3, .freeBalls = {{60, 330}, {480, 330}}});
    d.push_back({.name = "Лавина", .english = "Avalanche", .backdrop = 4,
                 .rows = {"RRRRRRRRRRRR", "OOOOOOOOOOOO", "yyyyyyyyyyyy", "............", "BB..BB..BB..", "..CC..CC..CC",
                          "GGGGGGGGGGGG", "~....%.....~", "RRRRRRRRRRRR"},
                 .prizes = With({{PrizeDisarm, 14}, {PrizeSurprise, 12}, {PrizeWeapon, 15}, {PrizeCoinRain, 12}, {PrizeCoin, 10},
                                 {PrizeQuakeBall, 10}, {PrizeNarrower, 8}},
                                2),
                 .monsters = {{Eye, 25}, {Jelly, 25}, {Saucer, 25}, {Mine, 25}}, .wander = 35, .drop = 24, .monsterLimit = 3, .weapons = kWeaponsFirstBullets});
    d.push_back({.name = "Бездна", .english = "Abyss", .backdrop = 1,
                 .rows = {"..444..444..", "#3.33..33.3#", "#22.2##2.22#", "............", "BBBBBBBBBBBB", "CCCCCCCCCCCC",
                          "(.=......=.)", "vvvvvvvvvvvv", "gggggggggggg"},
                 .prizes = With({{PrizeKiller, 12, 15}, {PrizeMonster, 10}, {PrizeFireBall, 10}, {PrizeExit, 10}, {PrizeFloor, 10},
                                 {PrizeSkull, 6}, {PrizeCoin, 8}, {PrizeSplit, 10}, {PrizeGuard, 8}},
                                2),
                 // No builder: its columns of bricks rise to the top, into the pockets the steel closes.
                 .monsters = {{Eye, 15}, {Spinner, 15}, {Jelly, 15}, {Saucer, 15}, {Bomber, 10}, {Mine, 10}, {Drifter, 20}},
                 .wander = 45, .drop = 16, .monsterLimit = 3});
    Pace(d, {6, 6, 6, 6, 6, 7, 7, 7, 7, 7}, 1.2);
    return d;
}

}  // namespace datagen::demo
