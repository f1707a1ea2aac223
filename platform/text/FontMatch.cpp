#include "platform/text/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <mutex>


#include "rtl/Text.h"

namespace platform::text {

bool StartFontconfig() {
    static const bool started = FcInit() == FcTrue;
    return started;
}

std::optional<FaceLocation> MatchFace(const LogFont& font) {
    if (!StartFontconfig()) return std::nullopt;
    static std::mutex mutex;  // one query at a time, whichever text system asks
    std::lock_guard lock(mutex);
    const std::string family = font.FaceName.empty()
                                   ? (font.PitchAndFamily == Pitch::Fixed ? "monospace" : "sans-serif")
                                   : rtl::AnsiToUtf8(font.FaceName);
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.Weight));
    FcPatternAddInteger(pattern, FC_SLANT, font.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (font.PitchAndFamily == Pitch::Fixed) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return std::nullopt;

    std::optional<FaceLocation> found;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        FaceLocation where;
        where.Path = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) where.Index = index;
        where.Substituted = !font.FaceName.empty();
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            const std::string matched = reinterpret_cast<const char*>(name);
            if (i == 0) where.Family = matched;
            if (rtl::SameText(rtl::Utf8ToAnsi(matched), font.FaceName)) where.Substituted = false;
        }
        found = std::move(where);
    }
    FcPatternDestroy(match);
    return found;
}

}  // namespace platform::text
