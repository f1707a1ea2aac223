// Text to number conversions of the class library.
#pragma once

#include <cstdint>
#include <string_view>

namespace rtl {

// A decimal integer (optional sign, or '$' and hexadecimal digits), leading blanks allowed.
// EConvertError "'%s' is not a valid integer value" for anything else or a value outside
// 32 bits.
int32_t StrToInt(std::string_view text);
// The same answering false instead of raising.
bool TryStrToInt(std::string_view text, int32_t& value);

}  // namespace rtl
