// The library's log: one line per event on the standard error stream, in the form of the
// game's log ("Class <tag> with message '<text>'").
#pragma once

#include <string>

namespace palvrek {

void WriteLog(const std::string& tag, const std::string& text);

}  // namespace palvrek
