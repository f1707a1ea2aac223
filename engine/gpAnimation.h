// Animation descriptions: one slide per state of a class, and the slides of a class.
// The sprite base reads the timing fields; the description readers fill them.
#pragma once

#include "rtl/TypeInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

enum class TStyleHTicks : uint8_t { sh_Satdart, sh_RandomAnimation };

class TOneSlide : public rtl::Object {
    RTL_CLASS(TOneSlide, rtl::Object)
public:
    int32_t IDName = 1;
    int32_t IDCondition = 1;  // the state: 4 is "Move"
    std::string IDSlide = "No";
    int32_t IDWav = -1;
    int32_t PatternHeight = 0, PatternWidth = 0, LinesHeight = 0, LinesWidth = 0;
    int32_t BaseLeft = 0, BaseTop = 0, BaseRight = 0, BaseBottom = 0;  // the collision rectangle
    uint8_t HTicksPerChange = 0, WTicksPerChange = 0;
    TStyleHTicks StyleHTicks = TStyleHTicks::sh_Satdart;
};

// The slides of one class, state 1 ("Birth") first.
class TStructureSlide : public rtl::Object {
    RTL_CLASS(TStructureSlide, rtl::Object)
public:
    int32_t IDClass = -1;
    std::vector<std::unique_ptr<TOneSlide>> Slides;

    int SlideCount() const { return static_cast<int>(Slides.size()); }
    TOneSlide* Slide(int index) const { return Slides[static_cast<size_t>(index)].get(); }
};

}  // namespace engine
