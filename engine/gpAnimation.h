// The description components of everything animated: one slide per state of a game-object
// class, one per map element, and the descriptions of cursors, effects, font lines and
// interface elements. They are streamed in the class library's component format; a
// property absent from a record keeps the default the constructor gives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rtl/Component.h"
#include "rtl/Lists.h"

namespace engine {

enum class TStyleWTicks : uint8_t { sw_No };
enum class TStyleHTicks : uint8_t { sh_Satdart, sh_RandomAnimation };
enum class TStyleAniSprite : uint8_t { swNo, swDirection, swSize, swAll, swOnce };
enum class TStyleImposition : uint8_t { siNo, siScaling, siStandart, siOffset };

extern const rtl::EnumType TStyleWTicksType;
extern const rtl::EnumType TStyleHTicksType;
extern const rtl::EnumType TStyleAniSpriteType;
extern const rtl::EnumType TStyleImpositionType;

// One animation state of a class.
class TOneSlide : public rtl::Component {
    RTL_CLASS(TOneSlide, rtl::Component)
public:
    int32_t IDName = 1;       // the class identifier whose picture the image register loads
    int32_t IDCondition = 1;  // the state, 1..7 (4 is "Move")
    std::string IDSlide = "No";  // the picture's name in the image register
    int32_t IDWav = -1;
    int32_t PatternHeight = 0, PatternWidth = 0, LinesHeight = 0, LinesWidth = 0;
    int32_t BaseLeft = 0, BaseTop = 0, BaseRight = 0, BaseBottom = 0;  // the collision rectangle
    uint8_t HTicksPerChange = 0, WTicksPerChange = 0;
    TStyleWTicks StyleWTicks = TStyleWTicks::sw_No;
    TStyleHTicks StyleHTicks = TStyleHTicks::sh_Satdart;
    int32_t Cursor = 0, Velocity = 0, Ord_Default = 0, Type_Ord_Default = 0;
    TStyleAniSprite StyleAniSprite = TStyleAniSprite::swNo;
    uint8_t IncSize = 0, IncSizeH = 0, DefaultAniSprite = 0, AnimationSprite = 0;
    int32_t fiInteger = 0;

    // Not streamed: the picture's index in the image register (-1 = not looked up yet) and
    // the value that sending an object sets.
    int32_t PictureIndex = -1;
    int32_t SendValue = 0;

    static void DescribeClass(rtl::ClassBuilder<TOneSlide>& c);
};

class TOneCursor : public rtl::Component {
    RTL_CLASS(TOneCursor, rtl::Component)
public:
    int32_t IDName = 1;
    std::string IDClasse = "No";
    int32_t IDWav = -1;
    int32_t PatternHeight = 0, PatternWidth = 0, LinesHeight = 0, LinesWidth = 0;
    int32_t OffsetX = 0, OffsetY = 0, RetIDName = 0, fiInteger = 0;
    uint8_t HTicksPerChange = 0, WTicksPerChange = 0, TimeLifes = 0;

    int32_t PictureIndex = -1;  // not streamed

    static void DescribeClass(rtl::ClassBuilder<TOneCursor>& c);
};

class TOneEffects : public rtl::Component {
    RTL_CLASS(TOneEffects, rtl::Component)
public:
    int32_t IDName = 1;
    std::string IDClasse = "No";
    int32_t IDWav = -1;
    int32_t PatternHeight = 0, PatternWidth = 0, LinesHeight = 0, LinesWidth = 0;
    int32_t RetIDName = 0, fiInteger = 0;
    uint8_t HTicksPerChange = 0, WTicksPerChange = 0, TimeLifes = 0;
    uint8_t VisibleForCursor = 0, SystemCoordinate = 0;
    double fiReal = 0;
    TStyleImposition StyleImposition = TStyleImposition::siNo;

    int32_t PictureIndex = -1;  // not streamed

    static void DescribeClass(rtl::ClassBuilder<TOneEffects>& c);
};

// One line of a picture font.
class TLineFont : public TOneEffects {
    RTL_CLASS(TLineFont, TOneEffects)
public:
    int32_t IDCondition = 1;
    uint8_t FlagAnimation = 0;

    static void DescribeClass(rtl::ClassBuilder<TLineFont>& c);
};

// One interface element.
class TOneInterface : public TOneEffects {
    RTL_CLASS(TOneInterface, TOneEffects)
public:
    int32_t Left = 0, Top = 0, Position = 0, OffX = 0, OffY = 0, Direction = 0;

    static void DescribeClass(rtl::ClassBuilder<TOneInterface>& c);
};

// Slides in state order, owned. Get outside the list raises "List index out of bounds (%d)".
class TListOneSlide {
public:
    int Count() const { return list_.Count(); }
    TOneSlide* Get(int index) const { return list_[index].get(); }
    int Add(std::unique_ptr<TOneSlide> slide) { return list_.Add(std::move(slide)); }
    void push_back(std::unique_ptr<TOneSlide> slide) { list_.Add(std::move(slide)); }
    void Clear() { list_.Clear(); }

private:
    rtl::List<std::unique_ptr<TOneSlide>> list_;
};

// The seven slides of a game-object class, state 1 ("Birth") first.
class TStructureSlide : public rtl::Object {
    RTL_CLASS(TStructureSlide, rtl::Object)
public:
    int32_t IDClass = -1;
    bool Loaded = false;
    TListOneSlide Slides;

    int SlideCount() const { return Slides.Count(); }
    TOneSlide* Slide(int index) const { return Slides.Get(index); }
};

// The one slide of a map element.
class TElementSlide : public TStructureSlide {
    RTL_CLASS(TElementSlide, TStructureSlide)
};

// The state names, positions 1..7; "" outside.
const char* StateName(int32_t state);

}  // namespace engine
