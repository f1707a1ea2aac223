#include "internet/LibraryLog.h"

#include <cstdio>

namespace palvrek {

void WriteLog(const std::string& tag, const std::string& text) {
    std::fprintf(stderr, "Palvrek: Class %s with message '%s'.\n", tag.c_str(), text.c_str());
}

}  // namespace palvrek
