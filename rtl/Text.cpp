#include "rtl/Text.h"

#include <array>
#include <algorithm>

namespace rtl {
namespace {

// 0x80..0xBF of the code page; 0x00..0x7F is ASCII and 0xC0..0xFF is U+0410..U+044F.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98: 0x98 unassigned -> U+0098
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

constexpr std::array<char16_t, 256> MakeToUnicode() {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 0x80; ++b) t[b] = static_cast<char16_t>(b);
    for (int b = 0x80; b < 0xC0; ++b) t[b] = kHigh[b - 0x80];
    for (int b = 0xC0; b < 0x100; ++b) t[b] = static_cast<char16_t>(0x0410 + (b - 0xC0));
    return t;
}
constexpr std::array<char16_t, 256> kToUnicode = MakeToUnicode();

// Capital/small pairs of the code page outside the two regular blocks.
constexpr uint8_t kPairs[][2] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

struct CaseTables {
    std::array<uint8_t, 256> upper{};
    std::array<uint8_t, 256> lower{};
};

constexpr CaseTables MakeCaseTables() {
    CaseTables t;
    for (int b = 0; b < 256; ++b) {
        t.upper[b] = static_cast<uint8_t>(b);
        t.lower[b] = static_cast<uint8_t>(b);
    }
    auto pair = [&t](int cap, int small) {
        t.upper[small] = static_cast<uint8_t>(cap);
        t.lower[cap] = static_cast<uint8_t>(small);
    };
    for (int b = 'A'; b <= 'Z'; ++b) pair(b, b + 32);
    for (int b = 0xC0; b <= 0xDF; ++b) pair(b, b + 32);
    for (const auto& p : kPairs) pair(p[0], p[1]);
    return t;
}
constexpr CaseTables kCase = MakeCaseTables();

// Sorted (Unicode, byte) pairs of 0x80..0xFF for the way back.
struct Back {
    char16_t code;
    uint8_t byte;
};
constexpr std::array<Back, 128> MakeBack() {
    std::array<Back, 128> t{};
    for (int b = 0x80; b < 0x100; ++b) t[b - 0x80] = {kToUnicode[b], static_cast<uint8_t>(b)};
    std::sort(t.begin(), t.end(), [](const Back& x, const Back& y) { return x.code < y.code; });
    return t;
}
constexpr std::array<Back, 128> kBack = MakeBack();

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char AnsiOrQuestion(char32_t c) {
    const int b = UnicodeToCp1251(c);
    return b < 0 ? '?' : static_cast<char>(b);
}

}  // namespace

char16_t Cp1251ToUnicode(uint8_t byte) noexcept { return kToUnicode[byte]; }

int UnicodeToCp1251(char32_t ch) noexcept {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return static_cast<int>(ch - 0x0410 + 0xC0);
    if (ch > 0xFFFF) return -1;
    const auto it = std::lower_bound(kBack.begin(), kBack.end(), ch,
                                     [](const Back& x, char32_t c) { return x.code < c; });
    if (it != kBack.end() && it->code == ch) return it->byte;
    return -1;
}

std::u16string AnsiToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += kToUnicode[static_cast<uint8_t>(c)];
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;  // a pair: outside the code page
            out += '?';
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';  // lone surrogate
        } else {
            out += AnsiOrQuestion(c);
        }
    }
    return out;
}

std::string AnsiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) AppendUtf8(out, kToUnicode[static_cast<uint8_t>(c)]);
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t b0 = static_cast<uint8_t>(text[i]);
        if (b0 < 0x80) {
            out += static_cast<char>(b0);
            ++i;
            continue;
        }
        int len;
        char32_t c;
        char32_t min;
        if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; c = b0 & 0x1F; min = 0x80; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; c = b0 & 0x0F; min = 0x800; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; c = b0 & 0x07; min = 0x10000; }
        else { out += '?'; ++i; continue; }  // stray continuation or invalid lead
        int k = 1;
        for (; k < len && i + k < n; ++k) {
            const uint8_t b = static_cast<uint8_t>(text[i + k]);
            if ((b & 0xC0) != 0x80) break;
            c = (c << 6) | (b & 0x3F);
        }
        if (k < len) {
            // Truncated sequence: one '?' for the bytes taken, resume at the breaking byte.
            out += '?';
            i += k;
            continue;
        }
        i += len;
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) out += '?';
        else out += AnsiOrQuestion(c);
    }
    return out;
}

uint8_t FoldChar(uint8_t ch) noexcept { return kCase.upper[ch]; }
uint8_t LowerChar(uint8_t ch) noexcept { return kCase.lower[ch]; }

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldChar(c);
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerChar(c);
    return out;
}

int CompareText(std::string_view a, std::string_view b) noexcept {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = kCase.upper[static_cast<uint8_t>(a[i])];
        const int y = kCase.upper[static_cast<uint8_t>(b[i])];
        if (x != y) return x - y;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(std::string_view a, std::string_view b) noexcept {
    const int r = a.compare(b);  // char_traits<char>::compare compares as unsigned char
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace rtl
