// The helpers of lists and fonts that the engine's units share.
#include "engine/gpUtils.h"

#include "rtl/Exceptions.h"
#include "rtl/TypeInfo.h"

#include <limits>

namespace engine {

TAplicationListForSound::TAplicationListForSound() = default;
TAplicationListForSound::~TAplicationListForSound() = default;

int TAplicationListForSound::Add(std::unique_ptr<rtl::Object> item) { return items_.Add(std::move(item)); }

void TAplicationListForSound::Delete(int index) { items_.Delete(index); }

void TAplicationListForSound::Clear() { items_.Clear(); }

platform::text::LogFont FontDescription(std::string faceName, int32_t height, uint8_t style, TFontPitch pitch,
                                        int32_t angle) {
    const int64_t escapement = int64_t{angle} * 10;
    if (escapement < std::numeric_limits<int32_t>::min() || escapement > std::numeric_limits<int32_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    namespace pt = platform::text;
    pt::LogFont f;
    f.FaceName = std::move(faceName);
    f.Height = height;
    f.Escapement = static_cast<int32_t>(escapement);
    f.Weight = (style & fsBold) ? pt::FW_BOLD : pt::FW_NORMAL;
    f.Italic = (style & fsItalic) != 0;
    f.Underline = (style & fsUnderline) != 0;
    f.StrikeOut = (style & fsStrikeOut) != 0;
    f.CharSet = pt::DEFAULT_CHARSET;
    f.PitchAndFamily = pitch == TFontPitch::fpVariable ? pt::Pitch::Variable
                       : pitch == TFontPitch::fpFixed  ? pt::Pitch::Fixed
                                                       : pt::Pitch::Default;
    return f;
}

platform::text::FontPtr FontToHandle(std::string faceName, int32_t height, uint8_t style, TFontPitch pitch,
                                     int32_t angle) {
    return platform::text::CreateFont(FontDescription(std::move(faceName), height, style, pitch, angle));
}

}  // namespace engine
