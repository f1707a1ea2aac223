#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include "rtl/Exceptions.h"

TEST(DateTime, DayNumbersMatchTheClassLibrarysEpochAndRoundTrip) {
    EXPECT_EQ(rtl::EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(rtl::EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(rtl::EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(rtl::EncodeDate(1800, 1, 1), -36522.0);
    for (double day : {-693593.0, -36522.0, 0.0, 59.0, 60.0, 36585.0, 45000.0, 2958465.0}) {
        int y = 0, m = 0, d = 0;
        rtl::DecodeDate(day, y, m, d);
        EXPECT_EQ(rtl::EncodeDate(y, m, d), day) << day;
    }
    EXPECT_THROW(rtl::EncodeDate(2023, 2, 29), rtl::EConvertError);
    EXPECT_NO_THROW(rtl::EncodeDate(2024, 2, 29));
    EXPECT_THROW(rtl::EncodeDate(1900, 2, 29), rtl::EConvertError);  // not a leap year
}

TEST(DateTime, ShortFormatTextsAndTheirReading) {
    const rtl::TDateTime when = rtl::EncodeDate(2024, 3, 7) + rtl::EncodeTime(9, 5, 3);
    EXPECT_EQ(rtl::DateToStr(when), "07.03.2024");
    EXPECT_EQ(rtl::TimeToStr(when), "09:05:03");
    EXPECT_EQ(rtl::DateTimeToStr(when), "07.03.2024 09:05:03");
    EXPECT_EQ(rtl::DateTimeToStr(rtl::EncodeDate(1999, 12, 31) + rtl::EncodeTime(23, 59, 59, 999)),
              "31.12.1999 23:59:59");

    EXPECT_EQ(rtl::StrToDate("07.03.2024"), rtl::EncodeDate(2024, 3, 7));
    EXPECT_EQ(rtl::StrToDate(" 7.3.2024 "), rtl::EncodeDate(2024, 3, 7));
    EXPECT_EQ(rtl::StrToDate("1.2.49"), rtl::EncodeDate(2049, 2, 1));
    EXPECT_EQ(rtl::StrToDate("1.2.50"), rtl::EncodeDate(1950, 2, 1));
    for (const char* bad : {"", "7.3", "7/3/2024", "32.01.2024", "29.02.2023", "07.03.202", "07.03.2024x", "a.b.c",
                            "007.03.2024", "07.03.20245"}) {
        rtl::TDateTime d = 5;
        EXPECT_FALSE(rtl::TryStrToDate(bad, d)) << bad;
        EXPECT_EQ(d, 5);
    }
    try {
        rtl::StrToDate("yesterday");
        FAIL();
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.message(), "'yesterday' is not a valid date");
    }
    EXPECT_EQ(rtl::StrToDate(rtl::DateToStr(rtl::Date())), rtl::Date());
}
