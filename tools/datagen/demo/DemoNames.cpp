#include "tools/datagen/demo/DemoNames.h"

#include <algorithm>
#include <map>
#include <set>

namespace datagen::demo {
namespace {

// A name for a class the demo does not use: its group and number, so that every slot of the
// table is taken and the used ones land on their identifiers.
std::string SpareName(int id) {
    const auto in = [id](int lo, int hi) { return id >= lo && id <= hi; };
    const char* group = in(4, 10)                                                       ? "Shot_"
                        : in(11, 11) || in(42, 61) || in(91, 99) || in(120, 130)        ? "Prize_"
                        : in(12, 31) || in(71, 90) || in(118, 119) || in(131, 156)      ? "Brick_"
                        : in(32, 41) || in(100, 111)                                    ? "Monster_"
                        : in(62, 69)                                                    ? "Ball_"
                        : in(157, 166)                                                  ? "Chip_"
                                                                                        : "Unit_";
    return group + std::to_string(id);
}

std::vector<std::string> BuildUnitNames() {
    static const char* const kColours[] = {"Red", "Orange", "Yellow", "Green", "Cyan", "Blue", "Violet", "Pink"};
    std::map<int, std::string> named = {
        {unit::Paddle, "Paddle"}, {unit::Guard, "Guard"}, {unit::Bomber, "Bomber"},
        {unit::ShotLaser, "Shot_Laser"}, {unit::ShotBullet, "Shot_Bullet"}, {unit::ShotMissile, "Shot_Missile"},
        {unit::ShotPlasma, "Shot_Plasma"}, {unit::SteelBrick, "Brick_Steel"}, {unit::GoldBrick, "Brick_Gold"},
        {unit::Eye, "Eye"}, {unit::Spinner, "Spinner"}, {unit::Jelly, "Jelly"}, {unit::Saucer, "Saucer"}, {unit::Mine, "Mine"},
        {unit::Builder, "Builder"}, {unit::Comet, "Comet"}, {unit::Drifter, "Drifter"},
        {unit::FirstSlider, "Slider"}, {unit::FirstSlider + 1, "Slider_2"}, {unit::FirstSlider + 2, "Slider_3"},
        {unit::PrizeQuake, "Prize_Quake"}, {unit::PrizeWider, "Prize_Wider"}, {unit::PrizeSplit, "Prize_Split"},
        {unit::PrizeBigBall, "Prize_Big_Ball"}, {unit::PrizeWeapon, "Prize_Weapon"}, {unit::PrizeGhostBall, "Prize_Ghost_Ball"},
        {unit::PrizeQuakeBall, "Prize_Quake_Ball"}, {unit::PrizeCatchOff, "Prize_Catch_Off"},
        {unit::PrizeNarrower, "Prize_Narrower"}, {unit::PrizeStun, "Prize_Stun"}, {unit::PrizeFast, "Prize_Fast"},
        {unit::PrizeSlow, "Prize_Slow"}, {unit::PrizeSkull, "Prize_Skull"}, {unit::PrizeSlowBall, "Prize_Slow_Ball"},
        {unit::PrizeGuard, "Prize_Guard"}, {unit::PrizeCatch, "Prize_Catch"}, {unit::PrizeShake, "Prize_Shake"},
        {unit::PrizeLift, "Prize_Lift"}, {unit::PrizeKiller, "Prize_Killer"}, {unit::PrizeFireBall, "Prize_Fire_Ball"},
        {unit::PrizeCoin, "Prize_Coin"}, {unit::PrizeExit, "Prize_Exit"}, {unit::PrizeMirror, "Prize_Mirror"},
        {unit::PrizeFlip, "Prize_Flip"}, {unit::PrizeTwist, "Prize_Twist"}, {unit::PrizeMonster, "Prize_Monster"},
        {unit::PrizeUpsideDown, "Prize_Upside_Down"}, {unit::PrizeGhostRain, "Prize_Ghost_Rain"},
        {unit::PrizeSurprise, "Prize_Surprise"}, {unit::PrizeFloor, "Prize_Floor"}, {unit::PrizeCoinRain, "Prize_Coin_Rain"},
        {unit::PrizeCurve, "Prize_Curve"}, {unit::PrizeDisarm, "Prize_Disarm"}, {unit::PrizeLand, "Prize_Land"},
        {unit::Ball, "Ball"}, {unit::BallQuake, "Ball_Quake"}, {unit::BallGhost, "Ball_Ghost"},
        {unit::BallFire, "Ball_Fire"}, {unit::ExitGem, "Exit_Gem"}, {unit::Chip, "Chip"},
    };
    for (int i = 0; i < 8; ++i) named[unit::FirstBrick + i] = std::string("Brick_") + kColours[i];
    for (int i = 0; i < 6; ++i) named[unit::FirstToughBrick + i] = std::string("Brick_") + kColours[i] + "_2";
    for (int i = 0; i < 4; ++i) named[unit::FirstHardBrick + i] = std::string("Brick_") + kColours[i] + "_3";
    static const char* const kSpecial[] = {"Curve", "Swirl", "Kick", "Twist", "Star", "Ring"};
    for (int i = 0; i < 6; ++i) named[unit::FirstSpecialBrick + i] = std::string("Special_") + kSpecial[i];
    static const char* const kLetters[] = {"P", "A", "D", "D_2", "L", "E", "S"};
    for (int i = 0; i < 7; ++i) named[unit::FirstLetter + i] = std::string("Letter_") + kLetters[i];

    std::vector<std::string> names;
    for (int id = 1; id <= unit::Count; ++id) {
        auto it = named.find(id);
        names.push_back(it != named.end() ? it->second : SpareName(id));
    }
    return names;
}

}  // namespace

const std::vector<std::string>& UnitNames() {
    static const std::vector<std::string> names = BuildUnitNames();
    return names;
}

const std::string& UnitName(int id) { return UnitNames().at(static_cast<size_t>(id - 1)); }

const std::vector<std::string>& MapElementNames() {
    static const std::vector<std::string> names{"Nebula", "Circuit", "Hexes", "Waves", "Marble"};
    return names;
}

const std::vector<std::string>& CursorNames() {
    static const std::vector<std::string> names{"Arrow", "Over_Panel", "Busy", "Target", "Arrow_5",
                                                "Arrow_6", "Arrow_7", "Slot_Empty", "Slot_Used"};
    return names;
}

const std::vector<std::string>& EffectNames() {
    static const std::vector<std::string> names{
        "Splash", "Hud_Player", "Split_Flash", "Skin_Lift", "Hit_Flash", "Muzzle_Flash", "Sparks",
        "Skin_Catch", "Skin_Slow", "Blast", "Smoke", "Paddle_Explosion", "Skin_Cannon", "Shatter",
        "Twinkle", "Floor_Row", "Hud_Gauge", "Hud_Life", "Hud_Letters", "Hud_Badge_1", "Hud_Badge_2",
        "Hud_Badge_3", "Hud_Difficulty_1", "Hud_Difficulty_2", "Hud_Difficulty_3", "Hud_Difficulty_Bar",
        "Hud_Score"};
    return names;
}

const std::vector<std::string>& InterfaceNames() {
    static const std::vector<std::string> names{"Panel_Side", "Panel_Frame", "Panel_Bottom"};
    return names;
}

NameTables DemoNameTables() {
    NameTables t;
    t.tables[0] = UnitNames();
    t.tables[1] = MapElementNames();
    t.tables[2] = CursorNames();
    t.tables[3] = EffectNames();
    t.tables[4] = InterfaceNames();
    return t;
}

namespace {

// Each group's sounds by number; the base of a group is where its first line lands. The
// widgets come first, so the button sounds are lines 0 and 1.
struct GroupSounds {
    SoundGroup group;
    std::vector<std::string> names;
};

const std::vector<GroupSounds>& Groups() {
    static const std::vector<GroupSounds> groups{
        {SoundGroup::Widgets, {"Button_Hover", "Button_Click"}},
        {SoundGroup::Paddle,
         {"Paddle_Bounce", "Level_Clear", "Shot", "Explosion", "Life_Lost", "Extra_Life", "Prize_Pickup",
          "Paddle_Bump", "Paddle_Bump"}},
        {SoundGroup::Bricks, {"Brick_Hit", "Brick_Break", "Metal_Hit", "Special_Hum"}},
        {SoundGroup::Monsters, {"Monster_Hit", "Explosion", "Monster_Appear", "Monster_Fizzle"}},
        {SoundGroup::Prizes, {"Prize_Bounce", "Prize_Bounce", "Prize_Pickup"}},
        {SoundGroup::Balls, {"Paddle_Bounce", "Wall_Bounce", "Ball_Lost", "Level_Clear"}},
        {SoundGroup::Shots, {"Shot", "Small_Explosion", "Missile_Launch"}},
    };
    return groups;
}

}  // namespace

WaveList DemoWaveList() {
    WaveList list;
    for (const GroupSounds& g : Groups()) {
        list.bases[static_cast<size_t>(g.group)] = static_cast<int32_t>(list.names.size());
        list.names.insert(list.names.end(), g.names.begin(), g.names.end());
    }
    return list;
}

std::vector<std::string> DemoSoundNames() {
    std::set<std::string> seen;
    std::vector<std::string> out;
    for (const std::string& name : DemoWaveList().names)
        if (seen.insert(name).second) out.push_back(name);
    return out;
}

}  // namespace datagen::demo
