// The reply convention of the server scripts: a first line "result code <code> <value> <text>".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace palvrek {

struct THTTPResult {
    int32_t Code = -1;
    int32_t Value = -1;
    std::string Message = "Unkown Error";  // for diagnostics only
};

// The module-wide result of the last parse.
THTTPResult& HTTPResult();
void ResetHTTPResult();

// Parses reply into HTTPResult(). The first line must hold "result code "; the code is the token
// right after that marker, the value the next one, and a blank must follow the value. A value that
// does not begin with a digit or does not convert stays -1. False when the reply does not parse.
bool ParseHTTPResult(std::string_view reply);

// A plain-number reply (the last score): the body, trimmed of blanks and line ends, as a
// decimal integer.
bool ParseNumberReply(std::string_view body, int32_t& value);

}  // namespace palvrek
