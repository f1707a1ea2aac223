// The character-set byte of a font decides how the bytes of a text become characters.
//
//   RUSSIAN_CHARSET (204), DEFAULT_CHARSET (1)  Windows-1251, the game's own code page
//   ANSI_CHARSET (0)                           Windows-1252
//   EASTEUROPE_CHARSET (238)                   Windows-1250 (the German texts' umlauts)
//   any other byte                             Windows-1251, as the system default would
//
// Every byte has a character; bytes a code page leaves unassigned map to the C1 control of
// the same value. Bytes below 0x20 are control characters and are never drawn.
#pragma once

#include <cstdint>

namespace platform::text {

enum class CodePage : uint16_t { Cp1250 = 1250, Cp1251 = 1251, Cp1252 = 1252 };

CodePage CodePageOf(uint8_t charSet) noexcept;
char32_t DecodeByte(CodePage page, uint8_t byte) noexcept;

}  // namespace platform::text
