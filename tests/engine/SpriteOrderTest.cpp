#include "engine/gpErrors.h"
#include "engine/gpInterface.h"
#include "engine/gpOrder.h"
#include "engine/gpSprite.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {
std::unique_ptr<TOneSlide> MakeSlide(uint8_t ticks, int32_t frames, TStyleHTicks style = TStyleHTicks::sh_Satdart) {
    auto s = std::make_unique<TOneSlide>();
    s->HTicksPerChange = ticks;
    s->LinesHeight = frames;
    s->StyleHTicks = style;
    return s;
}
}  // namespace

TEST(Sprite, FrameTimingRoundsHalfToEvenAndSaturates) {
    TGPForm sprite;
    sprite.Create(nullptr, 3);
    EXPECT_TRUE(sprite.Loaded);
    EXPECT_GE(sprite.Vibration.AmplitudeX, 3);
    EXPECT_LE(sprite.Vibration.AmplitudeX, 7);
    EXPECT_EQ(sprite.Vibration.Mode, 3);
    auto three = MakeSlide(3, 4), five = MakeSlide(5, 4), big = MakeSlide(200, 4);
    sprite.SetSlide(three.get());
    EXPECT_EQ(sprite.RollTick, 4);
    EXPECT_EQ(sprite.FrameTime, 88);
    sprite.SetSlide(five.get());
    EXPECT_EQ(sprite.RollTick, 8);
    EXPECT_EQ(sprite.FrameTime, 176);
    sprite.SetSlide(big.get());  // 300 ticks do not fit a byte: saturate, never wrap to 0
    EXPECT_EQ(sprite.RollTick, 255);
    EXPECT_EQ(RollTickOf(170), 255);
}

TEST(Sprite, MakingTheCurrentSlideCurrentAgainChangesNothing) {
    TGPForm sprite;
    sprite.Create(nullptr, 3);
    auto slide = MakeSlide(3, 4);
    sprite.SetSlide(slide.get());
    sprite.FrameIndex = 2;
    sprite.FrameElapsed = 40;
    sprite.Animating = false;
    sprite.SetSlide(slide.get());
    EXPECT_EQ(sprite.FrameIndex, 2);
    EXPECT_EQ(sprite.FrameElapsed, 40);
    EXPECT_FALSE(sprite.Animating);

    auto single = MakeSlide(1, 1, TStyleHTicks::sh_RandomAnimation);
    sprite.SetSlide(single.get());
    EXPECT_EQ(sprite.FrameIndex, 0);
    EXPECT_EQ(sprite.FrameElapsed, 0);
    EXPECT_TRUE(sprite.Animating);
}

TEST(Sprite, LoadOneSlideChecksTheState) {
    TGPForm sprite;
    sprite.Create(nullptr, 17);
    TStructureSlide animation;
    animation.Slides.push_back(MakeSlide(2, 3));
    animation.Slides.push_back(nullptr);
    sprite.Animation = &animation;
    try {
        sprite.LoadOneSlide(0);
        FAIL();
    } catch (const EDebug& e) {
        EXPECT_EQ(e.message(), "An attempt to load a nonexisting state 0 for the object 17. Caller: LoadOneSlide");
    }
    EXPECT_THROW(sprite.LoadOneSlide(3), EDebug);
    sprite.LoadOneSlide(2);  // an empty slot: nothing current
    EXPECT_FALSE(sprite.Loaded);
    sprite.LoadOneSlide(1);
    EXPECT_EQ(sprite.CurrentSlide, animation.Slide(0));
}

TEST(OrderPool, ReusesReleasedOrdersAndIgnoresASecondRelease) {
    TListOrder pool;
    pool.Release(nullptr);  // empty: nothing
    TOrder* a = pool.Acquire();
    TOrder* b = pool.Acquire();
    pool.Release(a);
    EXPECT_EQ(pool.UsedCount(), 1);
    EXPECT_EQ(pool.Get(0), b);
    pool.Release(a);  // already spare: must not demote b
    EXPECT_EQ(pool.UsedCount(), 1);
    EXPECT_EQ(pool.Acquire(), a);
    EXPECT_NE(pool.Acquire(), b);  // b is still in use: a new one
    EXPECT_EQ(pool.Count(), 3);
    TOrder stranger;
    EXPECT_THROW(pool.Release(&stranger), rtl::EListError);
    EXPECT_THROW(pool.Get(3), rtl::EListError);
}

TEST(AskMovePool, ResetAllLetsTheFirstRequestBeReused) {
    TListAskMove pool;
    auto* first = pool.AddAskMove(nullptr, nullptr, {1, 2, 3, 4}, {5, 6, 7, 8});
    pool.AddAskMove(nullptr, nullptr, {}, {});
    pool.ResetAll();
    EXPECT_EQ(pool.UsedCount(), 0);
    EXPECT_FALSE(pool.Get(1)->Active);
    auto* again = pool.AddAskMove(nullptr, nullptr, {9, 9, 10, 10}, {});
    EXPECT_EQ(again, first);
    EXPECT_TRUE(again->Active);
    EXPECT_EQ(again->RectA, (TRect{9, 9, 10, 10}));
    EXPECT_EQ(pool.Count(), 2);
}

TEST(Rects, UnionIgnoresEmptyRectangles) {
    EXPECT_EQ(UnionRect({}, {1, 2, 3, 4}), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(UnionRect({1, 2, 3, 4}, {5, 5, 5, 9}), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(UnionRect({0, 0, 2, 2}, {-1, 1, 1, 5}), (TRect{-1, 0, 2, 5}));
}
