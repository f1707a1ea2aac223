// The level sets as a game: three sets of thirty levels and more, each set getting harder
// from level to level, that together use what the game offers (every prize effect, the
// letters, every mover, every kind of brick, the weapons); every level starts with a
// paddle, a ball on it and bricks to break; the test set's two levels clear by themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoLevels.h"
#include "tools/datagen/demo/DemoNames.h"

using namespace datagen::demo;

namespace {

const datagen::NationRecord* Nation(const datagen::LevelRecord& level, int key) {
    for (const auto& n : level.nations)
        if (n.key == key) return &n;
    return nullptr;
}

bool Destructible(const datagen::ObjectRecord& o) {
    return o.toughness != 256 && (o.idClass < unit::FirstSpecialBrick || o.idClass > unit::FirstSpecialBrick + 5);
}

}  // namespace

TEST(DemoLevels, ThreeSetsOfThirtyLevelsEachGettingHarderWithLayoutsAndTitlesOfTheirOwn) {
    const auto sets = DemoLevelSets(false);
    ASSERT_EQ(sets.size(), 3u);
    size_t levels = 0;
    std::set<std::vector<std::string>> layouts;
    std::set<std::string> titles;
    for (const DemoLevelSet& s : sets) {
        SCOPED_TRACE(s.file);
        levels += s.set.levels.size();
        for (size_t i = 0; i < s.set.levels.size(); ++i) {
            const auto& level = s.set.levels[i];
            if (i > 0) {
                EXPECT_GT(DifficultyMeasure(level), DifficultyMeasure(s.set.levels[i - 1])) << "level " << i + 1;
            }
            titles.insert(level.texts[0]);
            // The title is Russian: letters of the code page's Cyrillic half.
            EXPECT_TRUE(std::any_of(level.texts[0].begin(), level.texts[0].end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }))
                << level.texts[1];
            std::vector<std::string> bricks;
            for (const auto& o : Nation(level, 0)->objects)
                bricks.push_back(std::to_string(o.idClass) + "@" + std::to_string(o.p[6]) + "," + std::to_string(o.p[7]));
            layouts.insert(bricks);
        }
        EXPECT_EQ(s.tunes.size(), 1u) << "a tune of its own";
    }
    EXPECT_GE(levels, 30u);
    EXPECT_EQ(layouts.size(), levels) << "a layout of its own for every level";
    EXPECT_EQ(titles.size(), levels) << "a title of its own for every level";
    // The sets a player meets describe their heads-up in the edition's language; only the
    // test set has the shell's fixed one.
    for (const DemoLevelSet& s : sets) EXPECT_TRUE(s.scriptHud) << s.file;
    EXPECT_FALSE(TestLevelSet().scriptHud);
}

// Every prize effect the engine knows, every order a class moves under, every kind of brick
// and the seven letters are met somewhere in the sets.
TEST(DemoLevels, TheSetsUseEveryPrizeEffectEveryMoverTheLettersAndEveryKindOfBrick) {
    std::set<int> codes, letters, orders, bricks, toughness;
    for (const DemoLevelSet& s : DemoLevelSets(false)) {
        for (size_t i = 0; i < s.set.levels.size(); ++i) {
            SCOPED_TRACE(s.file + " level " + std::to_string(i + 1));
            const auto& level = s.set.levels[i];
            std::set<int> prizeClasses, levelCodes;
            for (const auto& o : Nation(level, 1)->objects) {
                EXPECT_GT(o.p[9], 0) << "a prize without a chance";
                const int own = PrizeEffectCode(o.idClass);
                const bool second = (o.idClass == unit::PrizeKiller && o.p[12] == 15) ||
                                    (o.idClass == unit::PrizeMonster && o.p[12] == 35);
                EXPECT_TRUE(o.p[12] == own || second) << o.idClass << " gives " << o.p[12];
                levelCodes.insert(o.p[12]);
                prizeClasses.insert(o.idClass);
                if (o.idClass >= unit::FirstLetter && o.idClass < unit::FirstLetter + 7) letters.insert(o.idClass);
            }
            // The rains bring prizes of a fixed class: the level gives that class its code.
            EXPECT_TRUE(!levelCodes.count(29) || prizeClasses.count(46)) << "a ghost rain without ghost balls";
            EXPECT_TRUE(!levelCodes.count(34) || prizeClasses.count(61)) << "a coin rain without coins";
            codes.insert(levelCodes.begin(), levelCodes.end());
            int chances = 0;
            for (const auto& o : Nation(level, 2)->objects) chances += o.p[9];
            EXPECT_TRUE(chances == 0 || chances == 100) << "monster shares add up to " << chances;
            for (const auto& n : level.nations)
                for (const auto& o : n.objects)
                    for (const SlideEntry& slide : Unit(o.idClass).slides)
                        if (slide.order >= 0) orders.insert(slide.order);
            for (const auto& o : Nation(level, 0)->objects) {
                bricks.insert(o.idClass);
                if (Destructible(o)) toughness.insert(o.toughness);
                // A brick starts whole: in its last column.
                EXPECT_EQ(o.p[10], Unit(o.idClass).columns - 1);
            }
        }
    }
    for (int code : {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 15, 16, 17, 19, 20, 21, 22,
                     23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 50, 52, 53, 54})
        EXPECT_TRUE(codes.count(code)) << "effect " << code;
    EXPECT_EQ(letters.size(), 7u);
    // The weapons bring the projectile and the vertical shot, the prizes the guard.
    orders.insert({order::Projectile, order::VerticalShot, order::Guard});
    for (int kind = 0; kind < order::Count; ++kind) EXPECT_TRUE(orders.count(kind)) << "order " << kind;
    EXPECT_EQ(toughness, (std::set<int>{1, 2, 3}));
    for (int id : {unit::SteelBrick, unit::GoldBrick, unit::FirstSlider, unit::FirstSlider + 1, unit::FirstSlider + 2})
        EXPECT_TRUE(bricks.count(id)) << id;
    for (int id = unit::FirstSpecialBrick; id < unit::FirstSpecialBrick + 6; ++id) EXPECT_TRUE(bricks.count(id)) << id;
}

// Every weapon the paddle's lists name has a description that fires a class of the sets.
TEST(DemoLevels, EveryWeaponThePaddleIsGivenFiresAProjectileClass) {
    std::set<int> given;
    for (const DemoLevelSet& s : DemoLevelSets(false))
        for (const auto& level : s.set.levels)
            for (const auto& o : Nation(level, 3)->objects) {
                if (o.idClass != unit::Paddle) continue;
                std::istringstream list(o.idWeapon);
                for (int number; list >> number;) given.insert(number);
                EXPECT_EQ(o.sizeWeapon, 3);
            }
    EXPECT_EQ(given, (std::set<int>{1, 2, 3}));
    std::set<int> described;
    for (const WeaponData& w : DemoWeapons()) {
        described.insert(w.number);
        EXPECT_TRUE(HasUnit(w.projectile)) << w.name;
        const int order = Unit(w.projectile).slides[3].order;
        EXPECT_TRUE(order == order::VerticalShot || order == order::Projectile) << w.name;
    }
    for (int number : given) EXPECT_TRUE(described.count(number)) << number;
}

TEST(DemoLevels, EveryLevelStartsWithAPaddleABallOnItAndBricks) {
    for (const DemoLevelSet& s : DemoLevelSets(false)) {
        for (const auto& level : s.set.levels) {
            SCOPED_TRACE(s.file + " " + level.texts[0]);
            const auto* player = Nation(level, 3);
            ASSERT_NE(player, nullptr);
            int paddles = 0;
            for (const auto& o : player->objects) {
                if (o.idClass == unit::Paddle) paddles += o.p[8] != 0;
                if (o.idClass == unit::Guard) {
                    EXPECT_EQ(o.p[8], 0) << "the guard is a template";
                }
            }
            EXPECT_EQ(paddles, 1);
            const auto* balls = Nation(level, 4);
            ASSERT_NE(balls, nullptr);
            EXPECT_EQ(balls->objects[0].idClass, unit::Ball);
            EXPECT_GE(balls->objects[0].p[7], 512 - 100) << "the first ball rides the paddle";
            int destructible = 0;
            for (const auto& o : Nation(level, 0)->objects) {
                destructible += Destructible(o);
                EXPECT_GE(o.p[6], 0);
                EXPECT_LE(o.p[6] + 48, 576);
                EXPECT_LT(o.p[7] + 24, 420) << "bricks keep clear of the paddle";
                EXPECT_EQ(o.p[4], 0) << "no kind bits";
            }
            EXPECT_GT(destructible, 10);
            // A ball reaches every brick from below: no steel lies under one in its column.
            for (const auto& o : Nation(level, 0)->objects) {
                if (!Destructible(o)) continue;
                for (const auto& under : Nation(level, 0)->objects)
                    EXPECT_FALSE(under.idClass == unit::SteelBrick && under.p[6] == o.p[6] && under.p[7] > o.p[7])
                        << "steel under the brick at " << o.p[6] << "," << o.p[7];
            }
            EXPECT_EQ(level.tail[1], 490);
            // Records carry the order of the state their class starts in, or none.
            for (const auto& n : level.nations)
                for (const auto& o : n.objects) {
                    const UnitEntry& u = Unit(o.idClass);
                    const int order = u.slides[static_cast<size_t>(u.defaultSlide - 1)].order;
                    EXPECT_EQ(o.p[11], order < 0 ? 0 : order) << o.idClass;
                }
        }
    }
}

TEST(DemoLevels, TheTestSetsBallsMeetTheirOnlyBrickAfterAHundredTicks) {
    const auto sets = DemoLevelSets(true);
    ASSERT_EQ(sets.front().file, "0Test.ig") << "the test set sorts first";
    const DemoLevelSet& test = sets.front();
    ASSERT_EQ(test.set.levels.size(), 2u);
    EXPECT_EQ(test.tuning.ss, 100);
    const auto geometry = TestLevelGeometries();
    for (size_t i = 0; i < 2; ++i) {
        const auto& level = test.set.levels[i];
        const auto& ball = Nation(level, 4)->objects.at(0);
        EXPECT_EQ(ball.idClass, unit::Ball);
        EXPECT_LT(ball.p[7], 512 - 100) << "a free ball, not riding";
        int destructible = 0;
        const datagen::ObjectRecord* target = nullptr;
        for (const auto& o : Nation(level, 0)->objects)
            if (Destructible(o)) ++destructible, target = &o;
        ASSERT_EQ(destructible, 1);
        EXPECT_EQ(target->p[0], 250);
        EXPECT_EQ(level.wander, 0);
        EXPECT_TRUE(Nation(level, 1)->objects.empty() && Nation(level, 2)->objects.empty());
        // The shell sends a free ball off at direction 209. Step along that line from the
        // ball's centre until it meets the brick: a straight flight, inside the field, of at
        // least a hundred ticks at the ball's speed.
        const UnitEntry& b = Unit(unit::Ball);
        const double angle = 209 * 2 * std::numbers::pi / 256;
        double x = ball.p[6] + (b.base[0] + b.base[2]) / 2.0, y = ball.p[7] + (b.base[1] + b.base[3]) / 2.0;
        const double r = (b.base[2] - b.base[0]) / 2.0;
        int ticks = 0;
        while (ticks < 1000) {
            x += std::cos(angle) * ball.minSpeed;
            y += std::sin(angle) * ball.minSpeed;
            ++ticks;
            ASSERT_TRUE(x > r && x < 576 - r && y > r) << "the ball would bounce before the brick";
            if (x + r > target->p[6] && x - r < target->p[6] + 48 && y + r > target->p[7] && y - r < target->p[7] + 24) break;
        }
        EXPECT_GE(ticks, 100) << "level " << i + 1;
        EXPECT_LT(ticks, 400) << "level " << i + 1;
        // It meets the brick's middle third, so small rounding cannot make it miss.
        EXPECT_NEAR(x, target->p[6] + 24, 20);
        EXPECT_EQ(geometry[i].brickX, target->p[6]);
    }
}

TEST(DemoLevels, SetNamesAndTitlesFitThePlayerRecord) {
    for (const DemoLevelSet& s : DemoLevelSets(true)) {
        EXPECT_LE(s.file.size(), 20u);
        EXPECT_LE(s.set.header.title.size(), 20u) << s.file;
        EXPECT_EQ(s.set.header.packName, s.FileTitle());
        EXPECT_EQ(s.previews.size(), s.set.levels.size());
        for (const Image& p : s.previews) {
            EXPECT_EQ(p.Width(), 160);
            EXPECT_EQ(p.Height(), 120);
        }
    }
}
