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

TFontRequest FontRequestOf(std::string faceName, int32_t height, uint8_t style, TFontPitch pitch, int32_t angle) {
    const int64_t escapement = int64_t{angle} * 10;
    if (escapement < std::numeric_limits<int32_t>::min() || escapement > std::numeric_limits<int32_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    TFontRequest r;
    r.FaceName = std::move(faceName);
    r.Height = height;
    r.Escapement = static_cast<int32_t>(escapement);
    r.Weight = (style & fsBold) ? 700 : 400;
    r.Italic = (style & fsItalic) != 0;
    r.Underline = (style & fsUnderline) != 0;
    r.StrikeOut = (style & fsStrikeOut) != 0;
    r.CharSet = 1;
    r.Pitch = pitch;
    return r;
}

}  // namespace engine
