// Face matching through fontconfig, the system's own font configuration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/text/Text.h"

namespace platform::text {

struct FaceLocation {
    std::string Path;
    int32_t Index = 0;
    std::string Family;   // of the face fontconfig chose
    bool Substituted = false;  // the face is not one of the family asked for
};

// Starts fontconfig once for the process; false when it cannot load its configuration.
bool StartFontconfig();

// fontconfig's best face for the font's name, weight, slant and pitch; nothing when
// fontconfig is not started or answers nothing.
std::optional<FaceLocation> MatchFace(const LogFont& font);

}  // namespace platform::text
