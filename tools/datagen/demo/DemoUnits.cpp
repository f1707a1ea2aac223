// The game values and slide layout of every demo class: one table, read by the class
// descriptions, the level records and the tests alike.
#include <algorithm>
#include <map>
#include <stdexcept>

#include "engine/gpAnimation.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoNames.h"

namespace datagen::demo {
namespace {

using Style = engine::TStyleAniSprite;
constexpr int kNo = static_cast<int>(Style::swNo), kSize = static_cast<int>(Style::swSize),
              kAll = static_cast<int>(Style::swAll);

// Slides every state of which shows the class's main picture (state 4, "Move") and enters
// no order; the callers then give states their orders.
std::array<SlideSpec, 7> PlainSlides() { return {}; }

// A class that is born (state 1: animated, then the animation-end order moves it on to
// state 4) and then moves under `order`.
std::array<SlideSpec, 7> BornThenMoving(int order) {
    auto s = PlainSlides();
    s[0].order = order::AnimationEnd;
    s[0].fullRect = true;
    s[0].style = kNo;  // plays once and holds its last frame, which ends the birth
    s[2].fullRect = true;
    s[3].order = order;
    return s;
}

UnitSpec Paddle() {
    UnitSpec u;
    u.id = unit::Paddle;
    u.maxSpeed = 12, u.acceleration = 1.25;
    u.param1 = 600;  // reversed controls last 600 ticks
    u.currentWeapon = 8;  // the charged shot
    u.weapons = "2\r\n3\r\n1\r\n";
    u.patternWidth = 128, u.patternHeight = 16, u.columns = 5, u.frames = 4;
    u.style = kAll, u.ticks = 4, u.incSize = 8;
    u.base = {32, 0, 96, 16};  // 64 wide in column 0, 80 .. 128 in columns 1..4
    u.defaultColumn = 1;
    u.sound = sound::PaddleWallBump;
    u.slides = BornThenMoving(order::Paddle);
    u.slides[0].ticks = 3;
    return u;
}

UnitSpec Guard() {
    UnitSpec u;
    u.id = unit::Guard;
    u.maxSpeed = 9, u.acceleration = 1.0;
    u.param1 = 900;  // the guard serves 900 ticks
    u.patternWidth = 64, u.patternHeight = 16, u.frames = 4;
    u.style = kAll, u.ticks = 3;
    u.base = {8, 0, 56, 16};
    u.slides = BornThenMoving(order::Guard);
    return u;
}

UnitSpec Monster(int id, int order, int toughness, int price, int minSpeed, int maxSpeed, int cell) {
    UnitSpec u;
    u.id = id;
    u.minSpeed = minSpeed, u.maxSpeed = maxSpeed, u.acceleration = 0.05;
    u.toughness = toughness, u.price = price;
    u.patternWidth = u.patternHeight = cell, u.frames = 8;
    u.style = kAll, u.ticks = 3;
    const int m = cell / 8;
    u.base = {m, m, cell - m, cell - m};
    u.ticksPerRotate = 20;
    u.sound = 1;
    u.slides = BornThenMoving(order);
    return u;
}

UnitSpec Shot(int id, int order, int width, int height, int damage) {
    UnitSpec u;
    u.id = id;
    u.minSpeed = 6, u.maxSpeed = 10, u.acceleration = 0.5;
    u.minDamage = u.maxDamage = damage;
    u.patternWidth = width, u.patternHeight = height, u.frames = 3;
    u.style = kAll, u.ticks = 1;
    u.base = {1, 0, width - 1, height};
    u.sound = 0;
    u.slides = PlainSlides();
    u.slides[3].order = order;
    return u;
}

UnitSpec Prize(int id, int price) {
    UnitSpec u;
    u.id = id;
    u.minSpeed = 2, u.maxSpeed = 4, u.acceleration = 0.08;
    u.price = price;
    u.patternWidth = 40, u.patternHeight = 20, u.frames = 8;
    u.style = kAll, u.ticks = 2;
    u.base = {2, 2, 38, 18};
    u.sound = sound::PrizeWall;
    u.slides = PlainSlides();
    u.slides[3].order = order::Prize;
    return u;
}

// Bricks rest (state 2) and carry their damage stages as columns.
UnitSpec Brick(int id, int toughness, int price, int frames = 1, int ticks = 0) {
    UnitSpec u;
    u.id = id;
    u.toughness = toughness, u.price = price;
    u.defaultSlide = 2;
    u.patternWidth = 48, u.patternHeight = 24;
    u.columns = toughness == 256 ? 1 : toughness, u.frames = frames;
    u.style = frames > 1 ? kAll : kNo, u.ticks = ticks;
    u.base = {0, 0, 48, 24};
    u.defaultColumn = u.columns - 1;
    u.sound = sound::BrickBreak;
    u.slides = PlainSlides();
    return u;
}

UnitSpec Ball(int id, int frames, int32_t timer) {
    UnitSpec u;
    u.id = id;
    u.minSpeed = 3, u.maxSpeed = 6, u.acceleration = 0.03;
    u.param1 = timer;
    if (id == unit::BallQuake) u.param2 = 60;  // shakes bricks within 60 pixels
    u.patternWidth = u.patternHeight = 28, u.columns = 4, u.frames = frames;
    // One frame: the size style keeps the collision box in step with the column; animated
    // balls grow it through their columns as well.
    u.style = frames > 1 ? kAll : kSize, u.ticks = 2;
    u.incSize = u.incSizeH = 2;
    u.base = {7, 7, 21, 21};  // a 14-pixel ball in column 0, 18, 22, 26 in columns 1..3
    u.sound = sound::BallWall;
    u.slides = BornThenMoving(order::Ball);
    u.slides[0].fullRect = false;  // the collision box is centred in the pattern already
    u.slides[2].fullRect = false;
    u.slides[1].releaseOrder = order::Ball;  // riding: no order until the paddle lets go
    return u;
}

std::vector<UnitSpec> BuildUnits() {
    std::vector<UnitSpec> units{Paddle(), Guard()};
    UnitSpec bomber = Monster(unit::Bomber, order::Wander, 2, 60, 2, 3, 48);
    bomber.slides[2] = {3, order::Homing, -1, true, -1, -1};  // hit once, it turns angry and hunts the ball
    units.push_back(bomber);
    units.push_back(Shot(unit::ShotLaser, order::VerticalShot, 8, 16, 1));
    units.push_back(Shot(unit::ShotBullet, order::VerticalShot, 8, 16, 1));
    units.push_back(Shot(unit::ShotMissile, order::Projectile, 10, 20, 2));
    units.push_back(Shot(unit::ShotPlasma, order::VerticalShot, 12, 24, 3));
    for (int i = 0; i < 8; ++i) units.push_back(Brick(unit::FirstBrick + i, 1, 10));
    for (int i = 0; i < 6; ++i) units.push_back(Brick(unit::FirstToughBrick + i, 2, 25));
    for (int i = 0; i < 4; ++i) units.push_back(Brick(unit::FirstHardBrick + i, 3, 40));
    units.push_back(Brick(unit::SteelBrick, 256, 0, 4, 40));
    units.push_back(Brick(unit::GoldBrick, 1, 150));
    units.push_back(Monster(unit::Eye, order::Wander, 1, 40, 1, 3, 40));
    UnitSpec spinner = Monster(unit::Spinner, order::RandomTurn, 2, 60, 2, 3, 40);
    spinner.turnWord = 40 << 24 | 6 << 16;  // a new turn of up to 6 every 40 ticks
    units.push_back(spinner);
    units.push_back(Monster(unit::Jelly, order::Homing, 1, 50, 1, 2, 40));
    units.push_back(Monster(unit::Saucer, order::Wander, 2, 80, 2, 4, 40));
    UnitSpec mine = Monster(unit::Mine, order::TimedLife, 1, 30, 0, 0, 32);
    mine.param1 = 700;  // burns out after 700 ticks (fewer at higher difficulty)
    units.push_back(mine);
    for (int id : {unit::PrizeWider, unit::PrizeSplit, unit::PrizeBigBall, unit::PrizeWeapon, unit::PrizeGhostBall,
                   unit::PrizeQuakeBall, unit::PrizeFloor, unit::PrizeGuard, unit::PrizeCatch, unit::PrizeLift,
                   unit::PrizeKiller, unit::PrizeFireBall, unit::PrizeFast, unit::PrizeExit})
        units.push_back(Prize(id, 50));
    // Harmful prizes are worth catching for their score alone.
    for (int id : {unit::PrizeNarrower, unit::PrizeStun, unit::PrizeSlow, unit::PrizeSkull, unit::PrizeSlowBall})
        units.push_back(Prize(id, 150));
    units.push_back(Prize(unit::PrizeCoin, 250));
    for (int i = 0; i < 7; ++i) units.push_back(Prize(unit::FirstLetter + i, 100));
    // The plain ball's timer word times the slow and reversed states prizes give it.
    units.push_back(Ball(unit::Ball, 1, 500));
    units.push_back(Ball(unit::BallQuake, 6, 600));
    units.push_back(Ball(unit::BallGhost, 6, 500));
    units.push_back(Ball(unit::BallFire, 6, 700));
    UnitSpec gem = Prize(unit::ExitGem, 500);
    gem.patternWidth = gem.patternHeight = 28;
    gem.base = {4, 4, 24, 24};
    gem.ticks = 3;
    units.push_back(gem);
    // Special bricks: their turn word and timer word tell the ball what to do.
    const int32_t curve = 3 << 24 | 40 << 16 | 2, ring = 0xFD << 24 | 40 << 16 | 2;
    const int32_t turns[] = {curve, 3, 4, 1, 1, ring};
    const int32_t params[] = {0, 0, 0, 6, 5, 0};
    for (int i = 0; i < 6; ++i) {
        UnitSpec s = Brick(unit::FirstSpecialBrick + i, 1, 30, 4, 6);
        s.turnWord = turns[i];
        s.param1 = params[i];
        units.push_back(s);
    }
    UnitSpec chip = Shot(unit::Chip, order::Wander, 10, 10, 0);
    chip.frames = 4, chip.ticks = 2, chip.minSpeed = 2, chip.maxSpeed = 5;
    chip.lifetime = 40;
    chip.base = {1, 1, 9, 9};
    units.push_back(chip);
    std::sort(units.begin(), units.end(), [](const UnitSpec& a, const UnitSpec& b) { return a.id < b.id; });
    return units;
}

}  // namespace

const std::vector<UnitSpec>& DemoUnits() {
    static const std::vector<UnitSpec> units = BuildUnits();
    return units;
}

bool HasUnit(int id) {
    const auto& units = DemoUnits();
    return std::any_of(units.begin(), units.end(), [id](const UnitSpec& u) { return u.id == id; });
}

const UnitSpec& Unit(int id) {
    for (const UnitSpec& u : DemoUnits())
        if (u.id == id) return u;
    throw std::out_of_range("no demo class " + std::to_string(id));
}

int PrizeEffectCode(int id) {
    static const std::map<int, int> codes{
        {unit::PrizeWider, 0},     {unit::PrizeSplit, 1},   {unit::PrizeBigBall, 2},    {unit::PrizeWeapon, 3},
        {unit::PrizeGhostBall, 4}, {unit::PrizeLift, 5},    {unit::PrizeQuakeBall, 6},  {unit::PrizeCatch, 7},
        {unit::PrizeGuard, 8},     {unit::PrizeFloor, 9},   {unit::PrizeKiller, 10},    {unit::PrizeNarrower, 16},
        {unit::PrizeStun, 17},     {unit::PrizeFast, 21},   {unit::PrizeSlow, 23},      {unit::PrizeSkull, 26},
        {unit::PrizeExit, 28},     {unit::PrizeSlowBall, 30}, {unit::PrizeFireBall, 31}, {unit::PrizeCoin, 99},
    };
    if (id >= unit::FirstLetter && id < unit::FirstLetter + 7) return 33;
    const auto it = codes.find(id);
    return it == codes.end() ? -1 : it->second;
}

ObjectRecord UnitRecord(int id, int x, int y) {
    const UnitSpec& u = Unit(id);
    ObjectRecord r;
    r.idClass = id;
    r.bytes = {0, 0, u.ticksPerRotate, 0};
    r.name = UnitName(id);
    r.maxSpeed = u.maxSpeed;
    r.maxSpeedUp = u.acceleration;
    r.connectWeapon = u.connectWeapon ? 1 : 0;
    r.currentWeapon = u.currentWeapon;
    r.idWeapon = u.weapons;
    r.sizeWeapon = static_cast<int32_t>(std::count(u.weapons.begin(), u.weapons.end(), '\n'));
    r.defaultSlide = static_cast<uint8_t>(u.defaultSlide);
    r.toughness = u.toughness;
    r.p[0] = u.price;
    r.p[1] = u.minDamage;
    r.p[2] = u.maxDamage;
    r.p[3] = u.param1;
    r.p[4] = 0;  // P5 also adds kind bits: none
    r.p[5] = u.param3;
    r.p[6] = x;
    r.p[7] = y;
    r.p[8] = 1;  // active
    r.p[10] = u.defaultColumn;
    // The default order of the state the object starts in: sending a record marks that
    // state's order, and a record without one would take the order away.
    const SlideSpec& start = u.slides[static_cast<size_t>(u.defaultSlide - 1)];
    r.p[11] = start.order >= 0 ? start.order : 0;
    r.visible = 1;
    r.minSpeed = u.minSpeed;
    return r;
}

}  // namespace datagen::demo
