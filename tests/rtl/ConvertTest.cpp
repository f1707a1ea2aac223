#include "rtl/Convert.h"

#include <gtest/gtest.h>

#include "rtl/Exceptions.h"

TEST(StrToInt, DecimalHexadecimalSignsAndTheThirtyTwoBitRange) {
    EXPECT_EQ(rtl::StrToInt("42"), 42);
    EXPECT_EQ(rtl::StrToInt("  -7"), -7);
    EXPECT_EQ(rtl::StrToInt("+5"), 5);
    EXPECT_EQ(rtl::StrToInt("$1F"), 31);
    EXPECT_EQ(rtl::StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(rtl::StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(rtl::StrToInt("2147483647"), INT32_MAX);
    for (const char* bad : {"", " ", "-", "$", "2147483648", "-2147483649", "$100000000", "12a", "3 ", "1.5"}) {
        int32_t v = 99;
        EXPECT_FALSE(rtl::TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(v, 99);
    }
    try {
        rtl::StrToInt("five");
        FAIL();
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.message(), "'five' is not a valid integer value");
    }
}
