// The code page against glibc's own CP1251 converter, and the laws of the one case fold.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <optional>
#include <string>

#include "rtl/Text.h"

namespace {

// One conversion through iconv; nullopt when iconv refuses the input.
std::optional<std::string> Iconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(16 + in.size() * 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || srcLeft != 0) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string Utf32(char32_t c) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((c >> (8 * i)) & 0xFF);
    return s;
}

TEST(CodePage1251, EveryByteAgreesWithIconvAndRoundTrips) {
    ASSERT_TRUE(Iconv("UTF-8", "CP1251", "A").has_value()) << "glibc lacks CP1251";
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const char16_t u = rtl::Cp1251ToUnicode(static_cast<uint8_t>(b));
        EXPECT_EQ(rtl::UnicodeToCp1251(u), b) << "byte " << b;
        EXPECT_EQ(rtl::Utf8ToAnsi(rtl::AnsiToUtf8(one)), one) << "byte " << b;
        EXPECT_EQ(rtl::Utf16ToAnsi(rtl::AnsiToUtf16(one)), one) << "byte " << b;
        const auto ref = Iconv("UTF-8", "CP1251", one);
        if (b == 0x98) {
            // Unassigned in the code page: iconv refuses it, we keep it as U+0098.
            EXPECT_FALSE(ref.has_value());
            EXPECT_EQ(u, 0x0098);
        } else {
            ASSERT_TRUE(ref.has_value()) << "byte " << b;
            EXPECT_EQ(rtl::AnsiToUtf8(one), *ref) << "byte " << b;
        }
    }
}

TEST(CodePage1251, EveryBmpCharacterMapsBackLikeIconv) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto ref = Iconv("CP1251", "UTF-32LE", Utf32(c));
        const int ours = rtl::UnicodeToCp1251(c);
        if (c == 0x98) {
            EXPECT_EQ(ours, 0x98);
        } else if (ref) {
            ASSERT_EQ(ref->size(), 1u) << std::hex << static_cast<uint32_t>(c);
            EXPECT_EQ(ours, static_cast<uint8_t>((*ref)[0])) << std::hex << static_cast<uint32_t>(c);
        } else {
            EXPECT_EQ(ours, -1) << std::hex << static_cast<uint32_t>(c);
        }
    }
    EXPECT_EQ(rtl::UnicodeToCp1251(0x1F600), -1);
}

TEST(CodePage1251, UnmappableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(rtl::Utf16ToAnsi(u"a\u4E2Db"), "a?b");
    EXPECT_EQ(rtl::Utf16ToAnsi(u"\U0001F600x"), "?x");            // a pair is one character
    EXPECT_EQ(rtl::Utf16ToAnsi(std::u16string{0xD800, 'x'}), "?x");  // lone high surrogate
    EXPECT_EQ(rtl::Utf16ToAnsi(std::u16string{0xDC00}), "?");        // lone low surrogate
    EXPECT_EQ(rtl::Utf8ToAnsi("\xD0\x9F\xD1\x80\xD0\xB8"), "\xCF\xF0\xE8");  // "При"
    EXPECT_EQ(rtl::Utf8ToAnsi("\x80z"), "?z");                  // stray continuation
    EXPECT_EQ(rtl::Utf8ToAnsi("\xC0\xAF"), "??");               // overlong lead refused
    EXPECT_EQ(rtl::Utf8ToAnsi("\xE0\x80\xAF"), "?");            // overlong three-byte form
    EXPECT_EQ(rtl::Utf8ToAnsi("\xED\xA0\x80"), "?");            // encoded surrogate
    EXPECT_EQ(rtl::Utf8ToAnsi("\xE2\x82"), "?");                // truncated at the end
    EXPECT_EQ(rtl::Utf8ToAnsi("\xE2\x82" "A"), "?A");           // truncated before ASCII
    EXPECT_EQ(rtl::Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");         // outside the code page
    EXPECT_EQ(rtl::Utf8ToAnsi("\xE2\x82\xAC"), "\x88");          // euro sign
    EXPECT_EQ(rtl::AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CaseFold, AgreesWithUnicodeCaseMappingForEveryByte) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int b = 0; b < 256; ++b) {
        const wchar_t u = rtl::Cp1251ToUnicode(static_cast<uint8_t>(b));
        const int upper = rtl::UnicodeToCp1251(static_cast<char32_t>(std::towupper(u)));
        const int lower = rtl::UnicodeToCp1251(static_cast<char32_t>(std::towlower(u)));
        // A case partner outside the code page (µ -> Μ) leaves the byte alone.
        EXPECT_EQ(rtl::FoldChar(static_cast<uint8_t>(b)), upper < 0 ? b : upper) << "byte " << b;
        EXPECT_EQ(rtl::LowerChar(static_cast<uint8_t>(b)), lower < 0 ? b : lower) << "byte " << b;
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(CaseFold, CompareSameTextAndUpperCaseAreOneRelation) {
    // Ё/ё, Ї/ї, Ґ/ґ, Ў/ў, Љ/љ, Џ/џ, Ѓ/ѓ, Є/є, І/і, Ј/ј in one name.
    const std::string upper = "\xA8\xAF\xA5\xA1\x8A\x8F\x81\xAA\xB2\xA3-NAME";
    const std::string lower = "\xB8\xBF\xB4\xA2\x9A\x9F\x83\xBA\xB3\xBC-name";
    EXPECT_TRUE(rtl::SameText(upper, lower));
    EXPECT_EQ(rtl::CompareText(upper, lower), 0);
    EXPECT_EQ(rtl::AnsiCompareText(upper, lower), 0);
    EXPECT_EQ(rtl::UpperCase(lower), upper);
    EXPECT_EQ(rtl::AnsiLowerCase(upper), lower);
    EXPECT_FALSE(rtl::SameText("\xC5", "\xA8"));  // Е is not Ё
    EXPECT_FALSE(rtl::SameText("\xB5", "\xCC"));  // µ has no capital here
    EXPECT_FALSE(rtl::SameText("ab", "abc"));

    // Over all byte pairs: equal under the compare <=> equal fold keys, and the order is
    // antisymmetric.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string x(1, static_cast<char>(a)), y(1, static_cast<char>(b));
            const int c = rtl::CompareText(x, y);
            EXPECT_EQ(c == 0, rtl::FoldChar(x[0]) == rtl::FoldChar(y[0]));
            EXPECT_EQ(c < 0, rtl::CompareText(y, x) > 0);
        }
    }
    EXPECT_LT(rtl::CompareText("abc", "ABD"), 0);
    EXPECT_LT(rtl::CompareText("ab", "AB\x01"), 0);
    EXPECT_GT(rtl::CompareText("\xE0", "z"), 0);  // Cyrillic after Latin, bytes unsigned
    EXPECT_LT(rtl::CompareStr("A", "a"), 0);
    EXPECT_GT(rtl::CompareStr("\xE0", "a"), 0);
}

}  // namespace
