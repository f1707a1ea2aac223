#include "tools/datagen/demo/DemoLevels.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "rtl/Text.h"
#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoLevelDesigns.h"
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
        static const char one[] = "roygcbvp", two[] = "ROYGCB", three[] = "1234", slider[] = "~=%";
        static const Rgb colours[] = {{214, 48, 49},  {240, 136, 32}, {236, 208, 48}, {64, 184, 72},
                                      {40, 192, 200}, {48, 104, 224}, {144, 72, 216}, {232, 96, 176}};
        std::map<char, BrickKind> k;
        for (int i = 0; i < 8; ++i) k[one[i]] = {unit::FirstBrick + i, colours[i]};
        for (int i = 0; i < 6; ++i) k[two[i]] = {unit::FirstToughBrick + i, Shade(colours[i], 0.8)};
        for (int i = 0; i < 4; ++i) k[three[i]] = {unit::FirstHardBrick + i, Shade(colours[i], 0.62)};
        for (int i = 0; i < 3; ++i) k[slider[i]] = {unit::FirstSlider + i, {72, 200, 200}};
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
ObjectRecord Template(const Share& s) {
    ObjectRecord r = UnitRecord(s.id);
    r.p[9] = s.chance;
    r.p[12] = s.code >= 0 ? s.code : std::max(0, PrizeEffectCode(s.id));
    return r;
}

LevelRecord BuildLevel(const LevelDesign& d, std::vector<PreviewBrick>* preview) {
    LevelRecord level;
    for (size_t i = 0; i < level.speed.size(); ++i) level.speed[i] = d.acceleration + 0.15 * static_cast<double>(i);
    level.wander = d.wander;
    level.drop = d.drop;
    level.monsterLimit = d.monsterLimit;

    // The paddle (active) with the weapons prizes give in turn, and the guard (a template
    // the guard prize calls up).
    ObjectRecord paddle = UnitRecord(unit::Paddle, kPaddleX, kPlayerStartY);
    if (!d.weapons.empty()) paddle.idWeapon = d.weapons;
    paddle.sizeWeapon = static_cast<int32_t>(std::count(paddle.idWeapon.begin(), paddle.idWeapon.end(), '\n'));
    ObjectRecord guard = UnitRecord(unit::Guard, kPaddleX, kPlayerStartY);
    guard.p[8] = 0;
    // The ball rides the paddle (it starts within the field's last 100 pixels); others may
    // be flying already; the exit gem is a template.
    auto ballAt = [&](int x, int y) {
        ObjectRecord ball = UnitRecord(unit::Ball, x, y);
        ball.minSpeed = d.ballSpeed;
        ball.maxSpeed = d.ballMaxSpeed;
        return ball;
    };
    std::vector<ObjectRecord> balls{ballAt(kPaddleX + 50, 470)};
    for (const auto& [x, y] : d.freeBalls) balls.push_back(ballAt(x, y));
    ObjectRecord gem = UnitRecord(unit::ExitGem, 0, 0);
    gem.p[8] = 0;
    balls.push_back(gem);

    NationRecord prizes{1, {}, {}}, monsters{2, {}, {}}, shots{5, {}, {}};
    for (const Share& s : d.prizes) prizes.objects.push_back(Template(s));
    for (const Share& s : d.monsters) monsters.objects.push_back(Template(s));
    for (int id : {unit::ShotLaser, unit::ShotBullet, unit::ShotMissile, unit::ShotPlasma}) shots.objects.push_back(UnitRecord(id));
    level.nations = {{3, {paddle, guard}, {}}, {4, balls, {}}, {0, Bricks(d.rows, preview), {}}, prizes, monsters, shots};

    level.texts = {rtl::Utf8ToAnsi(d.name), d.english, ""};
    level.elements = {{d.backdrop, 0}};
    // Ball limit, floor line, attachment limit, floor effect ticks, level parameter, charge.
    level.tail = {6, kPlayerStartY, 8, 300, 0, 600};
    return level;
}

DemoLevelSet BuildSet(const std::string& file, const std::string& title, bool scriptHud,
                      const std::vector<LevelDesign>& designs) {
    DemoLevelSet s;
    s.file = file;
    s.title = title;
    s.scriptHud = scriptHud;
    s.tunes = {s.FileTitle() + ".mid"};
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

}  // namespace

std::vector<TestLevelGeometry> TestLevelGeometries() {
    // The shell sends a free ball off at direction 209 (up and to the right: cos -0.405..,
    // sin -0.914..). Each brick sits centred on that line 300 and 340 pixels from the ball's
    // centre, so a ball at 2 pixels per tick meets it after 150 and 170 ticks.
    return {{60, 380, 172, 108, 2}, {300, 400, 428, 91, 2}};
}

DemoLevelSet TestLevelSet() {
    const std::vector<LevelDesign> designs{
        {.name = "Проверка 1", .english = "Check 1", .backdrop = 1, .drop = 0, .ballSpeed = 2, .ballMaxSpeed = 4},
        {.name = "Проверка 2", .english = "Check 2", .backdrop = 2, .drop = 0, .ballSpeed = 2, .ballMaxSpeed = 4},
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
    sets.push_back(BuildSet("Prologue.ig", "Пролог", true, PrologueDesigns()));
    sets.back().tuning.sizeLevel = 3;
    sets.push_back(BuildSet("Sprallion.ig", "Спраллион", true, SprallionDesigns()));
    sets.push_back(BuildSet("Abyss.ig", "Бездна", true, AbyssDesigns()));
    // Tuned so that ranks and medals come within reach of a set of ten levels.
    for (DemoLevelSet& s : sets) {
        if (s.file != "Sprallion.ig" && s.file != "Abyss.ig") continue;
        LevelTuning& t = s.tuning;
        t.averageFactor = 1500, t.sizeLevel = 3, t.ss = 2500, t.ccp = 3, t.sa = 4, t.fh = 8, t.tl = 3;
    }
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
