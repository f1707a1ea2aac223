// Small routines on the library's 8-bit texts.
//
// The library keeps two kinds of 8-bit text: what it exchanges with the maker's server is in the
// game's code page (Windows-1251), and what it keeps on this machine (the hall of fame, its page,
// file and folder names) is UTF-8, so that it holds every character the interface's wide strings
// carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace palvrek {

// Trims every character up to code 32 at both ends, then reduces inner runs of blanks to one.
std::string NormalizeSpaces(std::string_view text);
// NormalizeSpaces, then every blank removed.
std::string RemoveSpaces(std::string_view text);
// Replaces every occurrence of old by new, searching on after each inserted text (so a new text
// that contains old cannot loop). An empty old changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);
std::string ReplaceChar(std::string_view text, char a, char b);
// Empties list; adds every piece before a separator (empty ones too) and the rest after the last
// separator when it is not empty. Answers the number of pieces.
int SplitString(std::string_view text, std::vector<std::string>& list, char separator);
// The lines of a text broken at CR, LF or CR LF; a last line without an end counts too.
std::vector<std::string> SplitLines(std::string_view text);
// Percent-encodes every byte but the unreserved letters, digits and "-._~" (a blank is "%20").
std::string EncodeQueryValue(std::string_view text);
// Whole text is a decimal integer (optional sign) within 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);

// The character at text[at] and the byte after it. A malformed or truncated sequence, an
// overlong form and an encoded surrogate read as one U+FFFD per byte they take.
char32_t NextUtf8(std::string_view text, size_t& at);
void AppendUtf8(std::string& out, char32_t c);
// Between UTF-8 and the interface's UTF-16, exact both ways for every character; a lone
// surrogate or a malformed byte becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);

}  // namespace palvrek
