// The level sets as a game: the demo set gets harder from level to level and uses what the
// game offers (prizes of every kind, the letters, monsters of every order, special bricks);
// every level starts with a paddle, a ball on it and bricks to break; the test set's two
// levels clear by themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoLevels.h"
#include "tools/datagen/demo/DemoNames.h"

using namespace datagen::demo;

namespace {

const DemoLevelSet& Find(const std::vector<DemoLevelSet>& sets, const std::string& file) {
    for (const DemoLevelSet& s : sets)
        if (s.file == file) return s;
    throw std::out_of_range(file);
}

const datagen::NationRecord* Nation(const datagen::LevelRecord& level, int key) {
    for (const auto& n : level.nations)
        if (n.key == key) return &n;
    return nullptr;
}

bool Destructible(const datagen::ObjectRecord& o) {
    return o.toughness != 256 && (o.idClass < unit::FirstSpecialBrick || o.idClass > unit::FirstSpecialBrick + 5);
}

}  // namespace

TEST(DemoLevels, TheDemoSetGetsHarderFromLevelToLevel) {
    const auto sets = DemoLevelSets(false);
    const DemoLevelSet& demo = Find(sets, "Sprallion.ig");
    ASSERT_GE(demo.set.levels.size(), 5u);
    EXPECT_TRUE(demo.scriptHud);
    for (size_t i = 1; i < demo.set.levels.size(); ++i)
        EXPECT_GT(DifficultyMeasure(demo.set.levels[i]), DifficultyMeasure(demo.set.levels[i - 1])) << "level " << i + 1;
    // The sets a player meets describe their heads-up in the edition's language; only the
    // test set has the shell's fixed one.
    EXPECT_TRUE(Find(sets, "Prologue.ig").scriptHud);
    EXPECT_FALSE(TestLevelSet().scriptHud);
    EXPECT_EQ(sets.size(), 2u);
}

TEST(DemoLevels, TheDemoSetUsesEveryPrizeKindTheLettersMonstersAndSpecialBricks) {
    const auto sets = DemoLevelSets(false);
    const DemoLevelSet& demo = Find(sets, "Sprallion.ig");
    std::set<int> codes, letters, orders, bricks, toughness;
    bool special = false;
    for (size_t i = 0; i < demo.set.levels.size(); ++i) {
        const auto& level = demo.set.levels[i];
        for (const auto& o : Nation(level, 1)->objects) {
            EXPECT_GT(o.p[9], 0) << "a prize without a chance";
            EXPECT_EQ(o.p[12], PrizeEffectCode(o.idClass));
            codes.insert(o.p[12]);
            if (o.idClass >= unit::FirstLetter && o.idClass < unit::FirstLetter + 7) {
                EXPECT_EQ(o.p[12], 33);
                letters.insert(o.idClass);
            }
        }
        int chances = 0;
        for (const auto& o : Nation(level, 2)->objects) {
            chances += o.p[9];
            // The record marks the order its class moves under.
            orders.insert(o.p[11]);
            EXPECT_EQ(o.p[11], Unit(o.idClass).slides[3].order);
        }
        EXPECT_TRUE(chances == 0 || chances == 100) << "monster shares of level " << i + 1 << " add up to " << chances;
        for (const auto& o : Nation(level, 0)->objects) {
            bricks.insert(o.idClass);
            if (Destructible(o)) toughness.insert(o.toughness);
            if (!Destructible(o) && o.toughness != 256) special = i >= 2;
            // A brick starts whole: in its last column.
            EXPECT_EQ(o.p[10], Unit(o.idClass).columns - 1);
        }
    }
    for (int code : {0, 1, 2, 3, 4, 6, 9, 16, 17, 21, 23, 26, 30, 33}) EXPECT_TRUE(codes.count(code)) << "code " << code;
    EXPECT_EQ(letters.size(), 7u);
    for (int order : {order::Wander, order::Homing, order::RandomTurn, order::TimedLife}) EXPECT_TRUE(orders.count(order)) << order;
    EXPECT_EQ(toughness, (std::set<int>{1, 2, 3}));
    EXPECT_TRUE(bricks.count(unit::SteelBrick));
    EXPECT_TRUE(special) << "special bricks belong to a later level";
    EXPECT_GE(bricks.size(), 12u);
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
            EXPECT_EQ(level.tail[1], 490);
            // Records carry the order of the state their class starts in, or none.
            for (const auto& n : level.nations)
                for (const auto& o : n.objects) {
                    const UnitSpec& u = Unit(o.idClass);
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
        const UnitSpec& b = Unit(unit::Ball);
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
