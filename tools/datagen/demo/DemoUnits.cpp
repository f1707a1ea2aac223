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
std::array<SlideEntry, 7> PlainSlides() { return {}; }

// A class that is born (state 1: animated, then the animation-end order moves it on to
// state 4) and then moves under `order`.
std::array<SlideEntry, 7> BornThenMoving(int order) {
    auto s = PlainSlides();
    s[0].order = order::AnimationEnd;
    s[0].fullRect = true;
    s[0].style = kNo;  // plays once and holds its last frame, which ends the birth
    s[2].fullRect = true;
    s[3].order = order;
    return s;
}

UnitEntry Paddle() {
    UnitEntry u;
    u.id = unit::Paddle;
    u.maxSpeed = 12, u.acceleration = 1.25;
    u.param1 = 600;  // reversed controls last 600 ticks
    u.weapons = kPaddleWeapons;
    u.patternWidth = 128, u.patternHeight = 16, u.columns = 5, u.frames = 4;
    u.style = kAll, u.ticks = 4, u.incSize = 8;
    u.base = {32, 0, 96, 16};  // 64 wide in column 0, 80 .. 128 in columns 1..4
    u.defaultColumn = 1;
    u.sound = sound::PaddleWallBump;
    u.script = "Paddle.cpc";
    // The paddle moves from its first state on: the shell puts it in state 1 for every new
    // life, with a ball riding it, and a birth that waits for no ball to touch it would
    // never end (the paddle would keep the whole pattern as its collision box).
    u.slides = PlainSlides();
    u.slides[0].order = u.slides[3].order = order::Paddle;
    return u;
}

UnitEntry Guard() {
    UnitEntry u;
    u.id = unit::Guard;
    u.maxSpeed = 9, u.acceleration = 1.0;
    u.param1 = 900;  // the guard serves 900 ticks
    u.toughness = 256;
    u.patternWidth = 64, u.patternHeight = 16, u.frames = 4;
    u.style = kAll, u.ticks = 3;
    u.base = {8, 0, 56, 16};
    u.script = "Guard.cpc";
    u.slides = BornThenMoving(order::Guard);
    return u;
}

UnitEntry Monster(int id, int order, int toughness, int price, int minSpeed, int maxSpeed, int cell) {
    UnitEntry u;
    u.id = id;
    u.minSpeed = minSpeed, u.maxSpeed = maxSpeed, u.acceleration = 0.05;
    u.toughness = toughness, u.price = price;
    u.patternWidth = u.patternHeight = cell, u.frames = 8;
    u.style = kAll, u.ticks = 3;
    const int m = cell / 8;
    u.base = {m, m, cell - m, cell - m};
    u.ticksPerRotate = 20;
    u.sound = sound::MonsterHit;
    u.script = "Monster.cpc";
    u.slides = BornThenMoving(order);
    return u;
}

UnitEntry Shot(int id, int order, int width, int height, int damage) {
    UnitEntry u;
    u.id = id;
    u.minSpeed = 6, u.maxSpeed = 10, u.acceleration = 0.5;
    u.minDamage = u.maxDamage = damage;
    u.patternWidth = width, u.patternHeight = height, u.frames = 3;
    u.style = kAll, u.ticks = 1;
    u.base = {1, 0, width - 1, height};
    u.sound = sound::ShotFired;
    u.slides = PlainSlides();
    u.slides[3].order = order;
    return u;
}

UnitEntry Prize(int id, int price) {
    UnitEntry u;
    u.id = id;
    u.toughness = 256;  // a missile does not shoot prizes down
    u.minSpeed = 2, u.maxSpeed = 4, u.acceleration = 0.08;
    u.price = price;
    u.patternWidth = 40, u.patternHeight = 20, u.frames = 8;
    u.style = kAll, u.ticks = 2;
    u.base = {2, 2, 38, 18};
    u.sound = sound::PrizeWall;
    u.script = "Prize.cpc";
    u.slides = PlainSlides();
    u.slides[3].order = order::Prize;
    return u;
}

// Bricks rest (state 2) and carry their damage stages as columns.
UnitEntry Brick(int id, int toughness, int price, int frames = 1, int ticks = 0) {
    UnitEntry u;
    u.id = id;
    u.toughness = toughness, u.price = price;
    u.defaultSlide = 2;
    u.patternWidth = 48, u.patternHeight = 24;
    u.columns = toughness == 256 ? 1 : toughness, u.frames = frames;
    u.style = frames > 1 ? kAll : kNo, u.ticks = ticks;
    u.base = {0, 0, 48, 24};
    u.defaultColumn = u.columns - 1;
    u.sound = sound::BrickBreak;
    u.script = "Brick.cpc";
    u.slides = PlainSlides();
    return u;
}

UnitEntry Ball(int id, int frames, int32_t timer) {
    UnitEntry u;
    u.id = id;
    // Nothing the paddle fires harms a ball: a ball a missile killed would leave the game
    // without a ball and without the life lost that brings the next.
    u.toughness = 256;
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
    u.script = "Ball.cpc";
    u.slides = BornThenMoving(order::Ball);
    u.slides[0].fullRect = false;  // the collision box is centred in the pattern already
    u.slides[2].fullRect = false;
    u.slides[1].releaseOrder = order::Ball;  // riding: no order until the paddle lets go
    return u;
}

std::vector<UnitEntry> Monsters() {
    std::vector<UnitEntry> out;
    UnitEntry bomber = Monster(unit::Bomber, order::Wander, 2, 60, 2, 3, 48);
    bomber.slides[2] = {3, order::Homing, -1, true, -1, -1};  // hit once, it turns angry and hunts the ball
    out.push_back(bomber);
    out.push_back(Monster(unit::Eye, order::Wander, 1, 40, 1, 3, 40));
    UnitEntry spinner = Monster(unit::Spinner, order::RandomTurn, 2, 60, 2, 3, 40);
    // It turns by up to 4 a tick, a new step every 16 ticks; its touch curves the ball by 16
    // a tick for 4 ticks (a quarter turn).
    spinner.turnWord = static_cast<int32_t>(16u << 24 | 4u << 16 | 2u);
    out.push_back(spinner);
    UnitEntry jelly = Monster(unit::Jelly, order::Homing, 1, 50, 1, 2, 40);
    jelly.turnWord = 3;  // its touch sends the ball down somewhere
    out.push_back(jelly);
    UnitEntry saucer = Monster(unit::Saucer, order::Wander, 2, 80, 2, 4, 40);
    saucer.turnWord = 4;  // its touch sends the ball across
    out.push_back(saucer);
    UnitEntry mine = Monster(unit::Mine, order::TimedLife, 1, 30, 0, 0, 32);
    mine.param1 = 700;  // burns out after 700 ticks (fewer at higher difficulty)
    mine.script = "Mine.cpc";
    out.push_back(mine);
    UnitEntry builder = Monster(unit::Builder, order::Spawner, 1, 70, 0, 0, 40);
    builder.frames = 12;
    builder.ticks = 16;    // its animation, and so its life, lasts 12 x 24 ticks
    builder.style = kAll;  // the last frame ends it: it lays its bricks and goes
    builder.param1 = unit::FirstBrick + 7;
    builder.param2 = 1;  // a row to its right
    builder.script = "Builder.cpc";
    out.push_back(builder);
    UnitEntry comet = Monster(unit::Comet, order::Orbit, 1, 90, 0, 0, 32);
    comet.script = "Comet.cpc";
    out.push_back(comet);
    // One column (its heading would pick it), eight frames of it tumbling. The ship's order is
    // kind 0, which a record's default order cannot name (0 is none): sending the record
    // takes the order from the state current then. So it drifts from the state it is put in
    // when it comes (1), and its records are sent while it rests in a state of no use (5).
    UnitEntry drifter = Monster(unit::Drifter, order::Ship, 3, 60, 0, 0, 48);
    drifter.slides = PlainSlides();
    drifter.slides[0].order = order::Ship;
    drifter.defaultSlide = 5;
    out.push_back(drifter);
    return out;
}

std::vector<UnitEntry> Bricks() {
    std::vector<UnitEntry> out;
    for (int i = 0; i < 8; ++i) out.push_back(Brick(unit::FirstBrick + i, 1, 10));
    for (int i = 0; i < 6; ++i) out.push_back(Brick(unit::FirstToughBrick + i, 2, 25));
    for (int i = 0; i < 4; ++i) out.push_back(Brick(unit::FirstHardBrick + i, 3, 40));
    UnitEntry steel = Brick(unit::SteelBrick, 256, 0, 4, 40);
    steel.script = "Steel.cpc";
    out.push_back(steel);
    UnitEntry gold = Brick(unit::GoldBrick, 1, 150);
    gold.script = "Gold.cpc";
    out.push_back(gold);
    // Sliders move to and fro along their row: the random turn with no range turns never.
    for (int i = 0; i < 3; ++i) {
        UnitEntry s = Brick(unit::FirstSlider + i, i + 1, 20 + 15 * i);
        s.minSpeed = s.maxSpeed = 1;
        s.slides[1].order = order::RandomTurn;
        out.push_back(s);
    }
    // Special bricks: a ball passing through turns by a random step of up to the range
    // (byte 2 of the turn word) each tick, for the limit (byte 3) ticks; then they speed
    // it up (0), give it the difficulty's speed (1) or slow it (2). Nothing breaks them.
    struct Special {
        int range, limit, effect;
    };
    const Special specials[] = {{6, 20, 0}, {10, 12, 2}, {4, 10, 1}, {8, 16, 0}, {12, 8, 2}, {3, 40, 1}};
    for (int i = 0; i < 6; ++i) {
        UnitEntry s = Brick(unit::FirstSpecialBrick + i, 256, 30, 4, 6);
        s.turnWord = specials[i].limit << 24 | specials[i].range << 16;
        s.param1 = specials[i].effect;
        s.param2 = 1;  // the area reaches half a brick round it
        s.slides[1].order = order::Area;
        s.script = "Special.cpc";
        out.push_back(s);
    }
    return out;
}

std::vector<UnitEntry> Prizes() {
    std::vector<UnitEntry> out;
    // Harmful prizes are worth catching for their score alone.
    for (int id : {unit::PrizeNarrower, unit::PrizeStun, unit::PrizeSlow, unit::PrizeSkull, unit::PrizeSlowBall,
                   unit::PrizeMirror, unit::PrizeFlip, unit::PrizeTwist, unit::PrizeMonster, unit::PrizeUpsideDown,
                   unit::PrizeDisarm, unit::PrizeLand, unit::PrizeCatchOff, unit::PrizeCurve, unit::PrizeQuake})
        out.push_back(Prize(id, 150));
    for (int id : {unit::PrizeWider, unit::PrizeSplit, unit::PrizeBigBall, unit::PrizeWeapon, unit::PrizeGhostBall,
                   unit::PrizeQuakeBall, unit::PrizeFloor, unit::PrizeGuard, unit::PrizeCatch, unit::PrizeLift,
                   unit::PrizeKiller, unit::PrizeFireBall, unit::PrizeFast, unit::PrizeExit, unit::PrizeShake,
                   unit::PrizeGhostRain, unit::PrizeSurprise, unit::PrizeCoinRain})
        out.push_back(Prize(id, 50));
    out.push_back(Prize(unit::PrizeCoin, 250));
    for (int i = 0; i < 7; ++i) out.push_back(Prize(unit::FirstLetter + i, 100));
    return out;
}

std::vector<UnitEntry> BuildUnits() {
    std::vector<UnitEntry> units{Paddle(), Guard()};
    for (UnitEntry& u : Monsters()) units.push_back(std::move(u));
    UnitEntry missile = Shot(unit::ShotMissile, order::Projectile, 10, 20, 2);
    missile.script = "Missile.cpc";
    units.push_back(missile);
    units.push_back(Shot(unit::ShotLaser, order::VerticalShot, 8, 16, 1));
    units.push_back(Shot(unit::ShotBullet, order::VerticalShot, 8, 16, 1));
    units.push_back(Shot(unit::ShotPlasma, order::VerticalShot, 12, 24, 3));
    for (UnitEntry& u : Bricks()) units.push_back(std::move(u));
    for (UnitEntry& u : Prizes()) units.push_back(std::move(u));
    // The plain ball's timer word times the slow and reversed states prizes give it.
    units.push_back(Ball(unit::Ball, 1, 500));
    units.push_back(Ball(unit::BallQuake, 6, 600));
    units.push_back(Ball(unit::BallGhost, 6, 500));
    units.push_back(Ball(unit::BallFire, 6, 700));
    UnitEntry gem = Prize(unit::ExitGem, 500);
    gem.patternWidth = gem.patternHeight = 28;
    gem.base = {4, 4, 24, 24};
    gem.ticks = 3;
    gem.sound = sound::BallExit;
    gem.script = "Gem.cpc";
    units.push_back(gem);
    UnitEntry chip = Shot(unit::Chip, order::Wander, 10, 10, 0);
    chip.frames = 4, chip.ticks = 2, chip.minSpeed = 2, chip.maxSpeed = 5;
    chip.lifetime = 40;
    chip.base = {1, 1, 9, 9};
    units.push_back(chip);
    std::sort(units.begin(), units.end(), [](const UnitEntry& a, const UnitEntry& b) { return a.id < b.id; });
    return units;
}

}  // namespace

const std::vector<UnitEntry>& DemoUnits() {
    static const std::vector<UnitEntry> units = BuildUnits();
    return units;
}

bool HasUnit(int id) {
    const auto& units = DemoUnits();
    return std::any_of(units.begin(), units.end(), [id](const UnitEntry& u) { return u.id == id; });
}

const UnitEntry& Unit(int id) {
    for (const UnitEntry& u : DemoUnits())
        if (u.id == id) return u;
    throw std::out_of_range("no demo class " + std::to_string(id));
}

int PrizeEffectCode(int id) {
    static const std::map<int, int> codes{
        {unit::PrizeWider, 0},       {unit::PrizeSplit, 1},      {unit::PrizeBigBall, 2},    {unit::PrizeWeapon, 3},
        {unit::PrizeGhostBall, 4},   {unit::PrizeLift, 5},       {unit::PrizeQuakeBall, 6},  {unit::PrizeCatch, 7},
        {unit::PrizeGuard, 8},       {unit::PrizeFloor, 9},      {unit::PrizeKiller, 10},    {unit::PrizeShake, 11},
        {unit::PrizeNarrower, 16},   {unit::PrizeStun, 17},      {unit::PrizeMirror, 19},    {unit::PrizeFlip, 20},
        {unit::PrizeFast, 21},       {unit::PrizeTwist, 22},     {unit::PrizeSlow, 23},      {unit::PrizeQuake, 24},
        {unit::PrizeMonster, 25},    {unit::PrizeSkull, 26},     {unit::PrizeUpsideDown, 27}, {unit::PrizeExit, 28},
        {unit::PrizeGhostRain, 29},  {unit::PrizeSlowBall, 30},  {unit::PrizeFireBall, 31}, {unit::PrizeSurprise, 32},
        {unit::PrizeCoinRain, 34},   {unit::PrizeCurve, 50},     {unit::PrizeDisarm, 52},    {unit::PrizeLand, 53},
        {unit::PrizeCatchOff, 54},   {unit::PrizeCoin, kScoreOnlyCode},
    };
    if (id >= unit::FirstLetter && id < unit::FirstLetter + 7) return 33;
    const auto it = codes.find(id);
    return it == codes.end() ? -1 : it->second;
}

ObjectRecord UnitRecord(int id, int x, int y) {
    const UnitEntry& u = Unit(id);
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
    r.p[14] = u.turnWord;
    // The default order of the state the object starts in: sending a record marks that
    // state's order, and a record without one would take the order away.
    const SlideEntry& start = u.slides[static_cast<size_t>(u.defaultSlide - 1)];
    r.p[11] = start.order >= 0 ? start.order : 0;
    r.visible = 1;
    r.minSpeed = u.minSpeed;
    return r;
}

}  // namespace datagen::demo
