// Texts of the game: 8-bit Windows-1251 in std::string, their conversions to and from
// Unicode, and the one case fold every case-insensitive compare of the system uses.
//
// The code page. Every byte 0..255 has a Unicode character, so every 1251 text survives a
// trip through UTF-16 or UTF-8 unchanged. 0x98 is unassigned in Windows-1251; it maps to the
// C1 control U+0098 (as Windows' own converter does), which maps back to 0x98. Characters
// outside the code page become '?' on the way back; so do malformed UTF-8 and lone surrogates.
//
// The case fold. Letters fold to their capitals: ASCII A..Z and the whole Cyrillic range of
// the code page (А..Я/а..я and Ё/ё, Ђ/ђ, Ѓ/ѓ, Є/є, Ѕ/ѕ, І/і, Ї/ї, Ј/ј, Љ/љ, Њ/њ, Ћ/ћ, Ќ/ќ,
// Ў/ў, Џ/џ, Ґ/ґ). Nothing else changes (µ has no capital in the code page). The class
// library had two compares, an ASCII one and a locale one; here both are the SAME fold, so a
// name found by one is found by the other and by every hashed lookup (FoldChar):
//
//   SameText(a, b)  <=>  CompareText(a, b) == 0  <=>  UpperCase(a) == UpperCase(b)
//
// and FoldChar(x) == FoldChar(y) for every pair of bytes the compares take as equal.
// Order: CompareText compares the folded bytes as unsigned values, so it is a total order
// that agrees with the fold (Cyrillic after Latin, in code-page order).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

// ---- Code page 1251 ----

// The Unicode character of a byte (always defined).
char16_t Cp1251ToUnicode(uint8_t byte) noexcept;
// The byte of a Unicode character, or -1 when the code page lacks it.
int UnicodeToCp1251(char32_t ch) noexcept;

std::u16string AnsiToUtf16(std::string_view text);
std::string Utf16ToAnsi(std::u16string_view text);  // unmappable and lone surrogates -> '?'
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);      // unmappable and malformed input -> '?'

// ---- The case fold ----

// The folded (capital) form of a byte: the key for hashing names case-insensitively.
uint8_t FoldChar(uint8_t ch) noexcept;
inline char FoldChar(char ch) noexcept {
    return static_cast<char>(FoldChar(static_cast<uint8_t>(ch)));
}
// The small-letter form of a byte (the inverse direction of the same pairs).
uint8_t LowerChar(uint8_t ch) noexcept;
inline char LowerChar(char ch) noexcept {
    return static_cast<char>(LowerChar(static_cast<uint8_t>(ch)));
}

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// The same conversions under their locale-aware names (one fold for all).
inline std::string AnsiUpperCase(std::string_view text) { return UpperCase(text); }
inline std::string AnsiLowerCase(std::string_view text) { return LowerCase(text); }

// < 0, 0 or > 0 as a is below, equal to or above b under the fold.
int CompareText(std::string_view a, std::string_view b) noexcept;
inline int AnsiCompareText(std::string_view a, std::string_view b) noexcept { return CompareText(a, b); }
bool SameText(std::string_view a, std::string_view b) noexcept;
inline bool AnsiSameText(std::string_view a, std::string_view b) noexcept { return SameText(a, b); }

// Case-sensitive byte compare (< 0, 0, > 0), for lists that must tell cases apart.
int CompareStr(std::string_view a, std::string_view b) noexcept;

}  // namespace rtl
