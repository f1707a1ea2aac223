#include "tools/datagen/demo/DemoLevels.h"

#include <map>
#include <stdexcept>

#include "rtl/Text.h"
#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoNames.h"

namespace datagen::demo {
namespace {

constexpr int kBrickWidth = 48, kBrickHeight = 24;
constexpr int kTopMargin = 32;       // the first row of bricks
constexpr int kPlayerStartY = 490;   // the floor line
constexpr int kPaddleX = (576 - 128) / 2;

// ---- Brick maps: one character per brick, twelve to a row ----

struct BrickKind {
    int id;
    Rgb colour;  // for the previews
};

const std::map<char, BrickKind>& BrickKinds() {
    static const std::map<char, BrickKind> kinds = [] {
        static const char one[] = "roygcbvp", two[] = "ROYGCB", three[] = "1234";
        static const Rgb colours[] = {{214, 48, 49},  {240, 136, 32}, {236, 208, 48}, {64, 184, 72},
                                      {40, 192, 200}, {48, 104, 224}, {144, 72, 216}, {232, 96, 176}};
        std::map<char, BrickKind> k;
        for (int i = 0; i < 8; ++i) k[one[i]] = {unit::FirstBrick + i, colours[i]};
        for (int i = 0; i < 6; ++i) k[two[i]] = {unit::FirstToughBrick + i, Shade(colours[i], 0.8)};
        for (int i = 0; i < 4; ++i) k[three[i]] = {unit::FirstHardBrick + i, Shade(colours[i], 0.62)};
        k['#'] = {unit::SteelBrick, {150, 158, 172}};
        k['$'] = {unit::GoldBrick, {232, 184, 40}};
        static const char special[] = "(!-+*)";
        for (int i = 0; i < 6; ++i) k[special[i]] = {unit::FirstSpecialBrick + i, {120, 60, 200}};
        return k;
    }();
    return kinds;
}

// The bricks of a map and the preview bricks drawn from them.
std::vector<ObjectRecord> Bricks(const std::vector<std::string>& rows, std::vector<PreviewBrick>* preview) {
    std::vector<ObjectRecord> out;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != 12) throw std::logic_error("a brick row holds twelve bricks: " + rows[r]);
        for (size_t c = 0; c < 12; ++c) {
            if (rows[r][c] == '.') continue;
            const auto it = BrickKinds().find(rows[r][c]);
            if (it == BrickKinds().end()) throw std::logic_error(std::string("no brick ") + rows[r][c]);
            const int x = static_cast<int>(c) * kBrickWidth, y = kTopMargin + static_cast<int>(r) * kBrickHeight;
            out.push_back(UnitRecord(it->second.id, x, y));
            if (preview) preview->push_back({x, y, kBrickWidth, kBrickHeight, it->second.colour});
        }
    }
    return out;
}

// A prize or monster template: its share of the table and the effect code it starts.
ObjectRecord Template(int id, int chance) {
    ObjectRecord r = UnitRecord(id);
    r.p[9] = chance;
    r.p[12] = std::max(0, PrizeEffectCode(id));
    return r;
}

struct Share {
    int id, chance;
};

struct LevelDesign {
    const char* name;     // UTF-8
    const char* english;  // the second text
    int backdrop;         // map element 1..5
    std::vector<std::string> rows;
    std::vector<Share> prizes, monsters;
    int wander = 0, drop = 25, monsterLimit = 0;
    int ballSpeed = 3, ballMaxSpeed = 6;
    double acceleration = 1.0;  // speed factor at difficulty 1; each step above adds 0.15
    int chargeMax = 600;
};

// The prizes most levels drop: helpful ones often, harmful ones now and then, the letters.
std::vector<Share> CommonPrizes(int level) {
    std::vector<Share> p{{unit::PrizeWider, 10},    {unit::PrizeSplit, 8},     {unit::PrizeBigBall, 6},
                         {unit::PrizeWeapon, 7},    {unit::PrizeGhostBall, 4}, {unit::PrizeQuakeBall, 4},
                         {unit::PrizeFloor, 5},     {unit::PrizeCatch, 6},     {unit::PrizeFast, 5},
                         {unit::PrizeCoin, 6},      {unit::PrizeNarrower, 5 + level}, {unit::PrizeStun, 3 + level},
                         {unit::PrizeSlow, 4 + level}, {unit::PrizeSlowBall, 5}, {unit::PrizeSkull, 1 + level}};
    if (level >= 2) p.insert(p.end(), {{unit::PrizeGuard, 4}, {unit::PrizeLift, 3}, {unit::PrizeKiller, 4}});
    if (level >= 3) p.push_back({unit::PrizeFireBall, 3});
    if (level >= 5) p.push_back({unit::PrizeExit, 2});
    for (int i = 0; i < 7; ++i) p.push_back({unit::FirstLetter + i, 2});
    return p;
}

LevelRecord BuildLevel(const LevelDesign& d, std::vector<PreviewBrick>* preview) {
    LevelRecord level;
    for (size_t i = 0; i < level.speed.size(); ++i) level.speed[i] = d.acceleration + 0.15 * static_cast<double>(i);
    level.wander = d.wander;
    level.drop = d.drop;
    level.monsterLimit = d.monsterLimit;

    // The paddle (active) and the guard (a template the guard prize calls up).
    ObjectRecord paddle = UnitRecord(unit::Paddle, kPaddleX, kPlayerStartY);
    ObjectRecord guard = UnitRecord(unit::Guard, kPaddleX, kPlayerStartY);
    guard.p[8] = 0;
    // The ball rides the paddle (it starts within the field's last 100 pixels); the exit gem
    // is a template.
    ObjectRecord ball = UnitRecord(unit::Ball, kPaddleX + 50, 470);
    ball.minSpeed = d.ballSpeed;
    ball.maxSpeed = d.ballMaxSpeed;
    ObjectRecord gem = UnitRecord(unit::ExitGem, 0, 0);
    gem.p[8] = 0;

    NationRecord prizes{1, {}, {}}, monsters{2, {}, {}}, shots{5, {}, {}};
    for (const Share& s : d.prizes) prizes.objects.push_back(Template(s.id, s.chance));
    for (const Share& s : d.monsters) monsters.objects.push_back(Template(s.id, s.chance));
    for (int id : {unit::ShotLaser, unit::ShotBullet, unit::ShotMissile, unit::ShotPlasma}) shots.objects.push_back(UnitRecord(id));
    level.nations = {{3, {paddle, guard}, {}}, {4, {ball, gem}, {}}, {0, Bricks(d.rows, preview), {}}, prizes, monsters, shots};

    level.texts = {rtl::Utf8ToAnsi(d.name), d.english, ""};
    level.elements = {{d.backdrop, 0}};
    // Ball limit, floor line, attachment limit, floor effect ticks, level parameter, charge.
    level.tail = {6, kPlayerStartY, 8, 300, 0, d.chargeMax};
    return level;
}

DemoLevelSet BuildSet(const std::string& file, const std::string& title, bool scriptHud,
                      const std::vector<LevelDesign>& designs) {
    DemoLevelSet s;
    s.file = file;
    s.title = title;
    s.scriptHud = scriptHud;
    LevelSet& set = s.set;
    set.header.packName = s.FileTitle();
    set.header.title = rtl::Utf8ToAnsi(title);
    set.descriptor.name = s.FileTitle() + ".gp";
    set.descriptor.scriptInterface = scriptHud ? 1 : 0;
    set.descriptor.map = {34, 48, 576, 512};
    for (int p = 1; p <= panel::Count; ++p)
        set.descriptor.nodes.push_back({{p, 0, 0, 0, 0, 0, 0}, InterfaceNames().at(static_cast<size_t>(p - 1)), {}, {}});
    set.identification.text1 = "Sprallion";
    set.identification.text2 = s.FileTitle();
    for (const LevelDesign& d : designs) {
        std::vector<PreviewBrick> bricks;
        set.levels.push_back(BuildLevel(d, &bricks));
        const auto kind = static_cast<BackdropKind>(d.backdrop - 1);
        s.previews.push_back(LevelPreview(bricks, BackdropTile(kind, 128, static_cast<uint32_t>(d.backdrop))));
    }
    return s;
}

std::vector<LevelDesign> DemoDesigns() {
    using M = std::vector<Share>;
    return {
        {"Рассвет", "Dawn", 1,
         {"............", "............", "rrrrrrrrrrrr", "oooooooooooo", "yyyyyyyyyyyy", "gggggggggggg", "cccccccccccc"},
         CommonPrizes(1), M{}, 0, 30, 0, 3, 6, 1.0, 600},
        {"Арки", "Arches", 4,
         {"............", ".BBBB..BBBB.", ".BbbB..BbbB.", ".B..B..B..B.", "pppppppppppp", "vvvvvvvvvvvv",
          "oooooooooooo", "#..........#"},
         CommonPrizes(2), M{{unit::Eye, 100}}, 10, 28, 1, 3, 6, 1.05, 600},
        {"Крепость", "Fortress", 2,
         {"rrr......rrr", "#cc######cc#", "#cc#1$$1#cc#", "#cc#2RR2#cc#", "#cc#YYYY#cc#", "#cc##..##cc#",
          "GGGGGGGGGGGG", "oooooooooooo"},
         CommonPrizes(3), M{{unit::Eye, 60}, {unit::Spinner, 40}}, 15, 26, 2, 4, 6, 1.1, 560},
        {"Алмаз", "Diamond", 3,
         {".....$$.....", "....CYYC....", "...CG22GC...", "..CBG33GBC..", "(.CBG33GBC.)", "..CBG33GBC..",
          "...CG22GC...", "....CYYC....", ".....GG.....", "*....--....+"},
         CommonPrizes(4), M{{unit::Eye, 30}, {unit::Spinner, 30}, {unit::Jelly, 40}}, 20, 24, 2, 4, 7, 1.15, 520},
        {"Шторм", "Storm", 5,
         {"............", "111111111111", "#2222##2222#", "BBBBBBBBBBBB", "33..3333..33", "#OOOO##OOOO#",
          "GGGGGGGGGGGG", "............", "$..........$"},
         CommonPrizes(5), M{{unit::Spinner, 25}, {unit::Jelly, 25}, {unit::Saucer, 20}, {unit::Bomber, 15}, {unit::Mine, 15}}, 25, 22, 3,
         4, 7, 1.2, 480},
        {"Финал", "Finale", 1,
         {"$4444444444$", "#3333##3333#", "222222222222", "#1111##1111#", "BBBBBBBBBBBB", "CCCCCCCCCCCC",
          "#.(#.!!.#).#"},
         CommonPrizes(6),
         M{{unit::Eye, 15}, {unit::Spinner, 20}, {unit::Jelly, 20}, {unit::Saucer, 15}, {unit::Bomber, 15}, {unit::Mine, 15}}, 30, 20, 3, 5,
         8, 1.25, 450},
    };
}

std::vector<LevelDesign> ShortDesigns() {
    using M = std::vector<Share>;
    return {
        {"Разминка", "Warm-up", 4, {"............", "............", ".gggggggggg.", ".cccccccccc.", ".bbbbbbbbbb."},
         CommonPrizes(1), M{}, 0, 35, 0, 3, 5, 1.0, 600},
        {"Ступени", "Steps", 3,
         {"r...........", "ro..........", "roy.........", "royg........", "roygc.......", "roygcb......",
          "roygcbv.....", "roygcbvp...."},
         CommonPrizes(2), M{{unit::Eye, 100}}, 8, 30, 1, 3, 6, 1.05, 600},
        {"Шахматы", "Chess", 2,
         {"r.r.r.r.r.r.", ".O.O.O.O.O.O", "y.y.y.y.y.y.", ".G.G.G.G.G.G", "c.c.c.c.c.c.", ".B.B.B.B.B.B"},
         CommonPrizes(3), M{{unit::Eye, 50}, {unit::Jelly, 50}}, 12, 28, 2, 3, 6, 1.1, 600},
    };
}

}  // namespace

std::vector<TestLevelGeometry> TestLevelGeometries() {
    // The shell sends a free ball off at direction 209 (up and to the right: cos -0.405..,
    // sin -0.914..). Each brick sits centred on that line 300 and 340 pixels from the ball's
    // centre, so a ball at 2 pixels per tick meets it after 150 and 170 ticks.
    return {{60, 380, 172, 108, 2}, {300, 400, 428, 91, 2}};
}

DemoLevelSet TestLevelSet() {
    std::vector<LevelDesign> designs{
        {"Проверка 1", "Check 1", 1, {}, {}, {}, 0, 0, 0, 2, 4, 1.0, 600},
        {"Проверка 2", "Check 2", 2, {}, {}, {}, 0, 0, 0, 2, 4, 1.0, 600},
    };
    DemoLevelSet s = BuildSet("0Test.ig", "Проверка", false, designs);
    const auto geometry = TestLevelGeometries();
    for (size_t i = 0; i < s.set.levels.size(); ++i) {
        const TestLevelGeometry& g = geometry[i];
        LevelRecord& level = s.set.levels[i];
        for (NationRecord& nation : level.nations) {
            if (nation.key == 4) {
                nation.objects[0].p[6] = g.ballX;
                nation.objects[0].p[7] = g.ballY;
                nation.objects[0].minSpeed = g.ballMinSpeed;
            }
            if (nation.key == 0) {
                ObjectRecord brick = UnitRecord(unit::FirstBrick + static_cast<int>(i), g.brickX, g.brickY);
                brick.p[0] = 250;
                nation.objects = {brick};
            }
        }
        std::vector<PreviewBrick> bricks{{g.brickX, g.brickY, kBrickWidth, kBrickHeight, {214, 48, 49}}};
        s.previews[i] = LevelPreview(bricks, BackdropTile(static_cast<BackdropKind>(i), 128, static_cast<uint32_t>(i + 1)));
    }
    s.tuning.ss = 100;
    return s;
}

std::vector<DemoLevelSet> DemoLevelSets(bool testSet) {
    std::vector<DemoLevelSet> sets;
    if (testSet) sets.push_back(TestLevelSet());
    sets.push_back(BuildSet("Prologue.ig", "Пролог", true, ShortDesigns()));
    sets.back().tuning.sizeLevel = 3;
    DemoLevelSet demo = BuildSet("Sprallion.ig", "Спраллион", true, DemoDesigns());
    // Tuned so that ranks and medals come within reach of a six-level set.
    LevelTuning& t = demo.tuning;
    t.averageFactor = 1500, t.sizeLevel = 3, t.ss = 2500, t.ccp = 3, t.sa = 4, t.fh = 8, t.tl = 3;
    sets.push_back(std::move(demo));
    return sets;
}

double DifficultyMeasure(const LevelRecord& level) {
    double toughness = 0, ballSpeed = 0;
    for (const NationRecord& nation : level.nations) {
        for (const ObjectRecord& o : nation.objects) {
            if (nation.key == 0 && o.toughness != 256 && (o.idClass < 112 || o.idClass > 117)) toughness += o.toughness;
            if (nation.key == 4 && o.idClass == unit::Ball) ballSpeed = std::max(ballSpeed, static_cast<double>(o.minSpeed));
        }
    }
    return toughness + 25.0 * ballSpeed + level.monsterLimit * level.wander / 5.0 - level.drop / 2.0;
}

}  // namespace datagen::demo
