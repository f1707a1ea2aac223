#include "platform/input/MouseParams.h"

#include <gtest/gtest.h>

using platform::input::MouseParams;

TEST(MouseParams, HeadlessAnswersTheDesktopDefaultsUntilToldOtherwise) {
    MouseParams values{-1, -1, -1};
    platform::input::GetMouseParams(values);  // tests run headless
    EXPECT_EQ(values, platform::input::kDefaultMouseParams);
    EXPECT_EQ(values, (MouseParams{6, 10, 1}));
    platform::input::SetHeadlessMouseParams({4, 12, 2});
    platform::input::GetMouseParams(values);
    EXPECT_EQ(values, (MouseParams{4, 12, 2}));
    platform::input::SetHeadlessMouseParams(platform::input::kDefaultMouseParams);
}

TEST(MouseParams, ThePointerControlOfTheXServerBecomesThresholdsAndAcceleration) {
    using platform::input::MouseParamsFromPointerControl;
    EXPECT_EQ(MouseParamsFromPointerControl(2, 1, 4), (MouseParams{4, 8, 1}));  // X's default
    EXPECT_EQ(MouseParamsFromPointerControl(1, 1, 4), (MouseParams{0, 0, 0}));  // no acceleration
    EXPECT_EQ(MouseParamsFromPointerControl(3, 4, 4), (MouseParams{0, 0, 0}));  // slower is none
    EXPECT_EQ(MouseParamsFromPointerControl(8, 2, 6), (MouseParams{6, 12, 2}));
    EXPECT_EQ(MouseParamsFromPointerControl(5, 0, 6), (MouseParams{0, 0, 0}));  // a broken answer
    EXPECT_EQ(MouseParamsFromPointerControl(2, 1, -3), (MouseParams{0, 0, 1}));
    EXPECT_EQ(MouseParamsFromPointerControl(2, 1, INT32_MAX), (MouseParams{INT32_MAX, INT32_MAX, 1}));
}
