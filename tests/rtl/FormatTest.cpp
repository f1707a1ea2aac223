#include "rtl/Format.h"

#include <gtest/gtest.h>

#include "rtl/Exceptions.h"

namespace {

using rtl::Format;

TEST(Format, IntegersWidthPrecisionAndJustification) {
    EXPECT_EQ(Format("%d", {42}), "42");
    EXPECT_EQ(Format("%5d|", {42}), "   42|");
    EXPECT_EQ(Format("%-5d|", {42}), "42   |");
    EXPECT_EQ(Format("%.4d", {42}), "0042");
    EXPECT_EQ(Format("%.4d", {-42}), "-0042");
    EXPECT_EQ(Format("%6.3d|", {7}), "   007|");
    EXPECT_EQ(Format("%D and %S", {3, "x"}), "3 and x");
    EXPECT_EQ(Format("%d", {int64_t(-9223372036854775807LL - 1)}), "-9223372036854775808");
    EXPECT_EQ(Format("%u", {-1}), "4294967295");
    EXPECT_EQ(Format("%x", {255}), "FF");
    EXPECT_EQ(Format("%.4x", {255}), "00FF");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, StarsIndexesAndContinuation) {
    EXPECT_EQ(Format("%*d|", {4, 7}), "   7|");
    EXPECT_EQ(Format("%-*d|", {4, 7}), "7   |");
    EXPECT_EQ(Format("%.*f", {3, 2.5}), "2.500");
    EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
    // After an indexed specifier the next plain one takes the following argument.
    EXPECT_EQ(Format("%1:s %s %0:s %s", {"a", "b", "c"}), "b c a b");
    EXPECT_EQ(Format("%0:s-%0:s", {"x"}), "x-x");
    EXPECT_EQ(Format("%-8s|%3s|", {"Level", "abcdef"}), "Level   |abcdef|");
    EXPECT_EQ(Format("%.3s", {"abcdef"}), "abc");
}

TEST(Format, Reals) {
    EXPECT_EQ(Format("%f", {1.0}), "1.00");
    EXPECT_EQ(Format("%.1f", {0.25}), "0.3");  // decimal rounding, half away from zero
    EXPECT_EQ(Format("%.2f", {0.125}), "0.13");
    EXPECT_EQ(Format("%.0f", {2.5}), "3");
    EXPECT_EQ(Format("%.2f", {-0.001}), "0.00");
    EXPECT_EQ(Format("%8.3f|", {-3.14159}), "  -3.142|");
    EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
    EXPECT_EQ(Format("%.3e", {-0.000123456}), "-1.23E-004");
    EXPECT_EQ(Format("%e", {0.0}), "0.00000000000000E+000");
    EXPECT_EQ(Format("%g", {0.5}), "0.5");
    EXPECT_EQ(Format("%g", {1234.5}), "1234.5");
    EXPECT_EQ(Format("%g", {1e20}), "1E20");
    EXPECT_EQ(Format("%g", {0.0001}), "0.0001");
    EXPECT_EQ(Format("%g", {0.000012}), "0.000012");
    EXPECT_EQ(Format("%g", {0.0000012}), "1.2E-6");
    EXPECT_EQ(Format("%g", {1.0 / 3.0}), "0.333333333333333");
    EXPECT_EQ(Format("%.3g", {2.71828}), "2.72");
    EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
    EXPECT_EQ(Format("%.0n", {999.5}), "1,000");
    EXPECT_EQ(Format("%m", {-1234.5}), "($1,234.50)");
    EXPECT_EQ(Format("%m", {12.0}), "$12.00");
    EXPECT_EQ(rtl::FloatToStr(22.0), "22");
    EXPECT_EQ(rtl::FloatToStr(-0.1), "-0.1");
}

TEST(Format, PointersAreFixedWidthHex) {
    const void* p = reinterpret_cast<const void*>(uintptr_t{0xABC});
    EXPECT_EQ(Format("%p", {p}), std::string(2 * sizeof(void*) - 3, '0') + "ABC");
}

TEST(Format, BadTextsRaiseConvertError) {
    auto raises = [](std::string_view text, std::initializer_list<rtl::FormatArg> args) {
        try {
            Format(text, args);
        } catch (const rtl::EConvertError& e) {
            EXPECT_STREQ(e.className(), "EConvertError");
            return true;
        }
        return false;
    };
    EXPECT_TRUE(raises("%d", {"text"}));
    EXPECT_TRUE(raises("%s", {5}));
    EXPECT_TRUE(raises("%f", {5}));
    EXPECT_TRUE(raises("%d %d", {1}));
    EXPECT_TRUE(raises("%q", {1}));
    EXPECT_TRUE(raises("trailing %", {}));
    EXPECT_TRUE(raises("%5", {1}));
    EXPECT_TRUE(raises("%*d", {"w", 1}));
    EXPECT_TRUE(raises("%99999999d", {1}));
    EXPECT_TRUE(raises("%9:d", {1}));
    try {
        Format("%d", {});
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.message(), "No argument for format '%d'");
    }
    try {
        Format("%s", {1});
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.message(), "Format '%s' invalid or incompatible with argument");
    }
}

}  // namespace
