#include "engine/gpAnimation.h"

#include <array>

namespace engine {

const rtl::EnumType TStyleWTicksType("TStyleWTicks", {"sw_No"});
const rtl::EnumType TStyleHTicksType("TStyleHTicks", {"sh_Satdart", "sh_RandomAnimation"});
const rtl::EnumType TStyleAniSpriteType("TStyleAniSprite", {"swNo", "swDirection", "swSize", "swAll", "swOnce"});
const rtl::EnumType TStyleImpositionType("TStyleImposition", {"siNo", "siScaling", "siStandart", "siOffset"});

void TOneSlide::DescribeClass(rtl::ClassBuilder<TOneSlide>& c) {
    using T = TOneSlide;
    c.Property("IDName", &T::IDName).Default(1)
        .Property("IDCondition", &T::IDCondition).Default(1)
        .Property("IDSlide", &T::IDSlide)
        .Property("IDWav", &T::IDWav).Default(-1)
        .Property("PatternHeight", &T::PatternHeight).Default(0)
        .Property("PatternWidth", &T::PatternWidth).Default(0)
        .Property("LinesHeight", &T::LinesHeight).Default(0)
        .Property("LinesWidth", &T::LinesWidth).Default(0)
        .Property("BaseLeft", &T::BaseLeft).Default(0)
        .Property("BaseTop", &T::BaseTop).Default(0)
        .Property("BaseRight", &T::BaseRight).Default(0)
        .Property("BaseBottom", &T::BaseBottom).Default(0)
        .Property("HTicksPerChange", &T::HTicksPerChange).Default(0)
        .Property("WTicksPerChange", &T::WTicksPerChange).Default(0)
        .Enum("StyleWTicks", &T::StyleWTicks, TStyleWTicksType).Default(0)
        .Enum("StyleHTicks", &T::StyleHTicks, TStyleHTicksType).Default(0)
        .Property("Cursor", &T::Cursor).Default(0)
        .Property("Velocity", &T::Velocity).Default(0)
        .Property("Ord_Default", &T::Ord_Default).Default(0)
        .Property("Type_Ord_Default", &T::Type_Ord_Default).Default(0)
        .Enum("StyleAniSprite", &T::StyleAniSprite, TStyleAniSpriteType).Default(0)
        .Property("IncSize", &T::IncSize).Default(0)
        .Property("IncSizeH", &T::IncSizeH).Default(0)
        .Property("DefaultAniSprite", &T::DefaultAniSprite).Default(0)
        .Property("AnimationSprite", &T::AnimationSprite).Default(0)
        .Property("fiInteger", &T::fiInteger).Default(0);
}

void TOneCursor::DescribeClass(rtl::ClassBuilder<TOneCursor>& c) {
    using T = TOneCursor;
    c.Property("IDName", &T::IDName).Default(1)
        .Property("IDClasse", &T::IDClasse)
        .Property("IDWav", &T::IDWav).Default(-1)
        .Property("PatternHeight", &T::PatternHeight).Default(0)
        .Property("PatternWidth", &T::PatternWidth).Default(0)
        .Property("LinesHeight", &T::LinesHeight).Default(0)
        .Property("LinesWidth", &T::LinesWidth).Default(0)
        .Property("OffsetX", &T::OffsetX).Default(0)
        .Property("OffsetY", &T::OffsetY).Default(0)
        .Property("RetIDName", &T::RetIDName).Default(0)
        .Property("fiInteger", &T::fiInteger).Default(0)
        .Property("HTicksPerChange", &T::HTicksPerChange).Default(0)
        .Property("WTicksPerChange", &T::WTicksPerChange).Default(0)
        .Property("TimeLifes", &T::TimeLifes).Default(0);
}

void TOneEffects::DescribeClass(rtl::ClassBuilder<TOneEffects>& c) {
    using T = TOneEffects;
    c.Property("IDName", &T::IDName).Default(1)
        .Property("IDClasse", &T::IDClasse)
        .Property("IDWav", &T::IDWav).Default(-1)
        .Property("PatternHeight", &T::PatternHeight).Default(0)
        .Property("PatternWidth", &T::PatternWidth).Default(0)
        .Property("LinesHeight", &T::LinesHeight).Default(0)
        .Property("LinesWidth", &T::LinesWidth).Default(0)
        .Property("RetIDName", &T::RetIDName).Default(0)
        .Property("fiInteger", &T::fiInteger).Default(0)
        .Property("HTicksPerChange", &T::HTicksPerChange).Default(0)
        .Property("WTicksPerChange", &T::WTicksPerChange).Default(0)
        .Property("TimeLifes", &T::TimeLifes).Default(0)
        .Property("VisibleForCursor", &T::VisibleForCursor).Default(0)
        .Property("SystemCoordinate", &T::SystemCoordinate).Default(0)
        .Property("fiReal", &T::fiReal)
        .Enum("StyleImposition", &T::StyleImposition, TStyleImpositionType).Default(0);
}

void TLineFont::DescribeClass(rtl::ClassBuilder<TLineFont>& c) {
    c.Property("IDCondition", &TLineFont::IDCondition).Default(1)
        .Property("FlagAnimation", &TLineFont::FlagAnimation).Default(0);
}

void TOneInterface::DescribeClass(rtl::ClassBuilder<TOneInterface>& c) {
    using T = TOneInterface;
    c.Property("Left", &T::Left).Default(0)
        .Property("Top", &T::Top).Default(0)
        .Property("Position", &T::Position).Default(0)
        .Property("OffX", &T::OffX).Default(0)
        .Property("OffY", &T::OffY).Default(0)
        .Property("Direction", &T::Direction).Default(0);
}

const char* StateName(int32_t state) {
    static constexpr std::array<const char*, 7> names = {"Birth", "Quietness", "Work", "Move",
                                                         "Attack", "Death", "Sail"};
    return state >= 1 && state <= 7 ? names[static_cast<size_t>(state - 1)] : "";
}

RTL_REGISTER_CLASS(TOneSlide);
RTL_REGISTER_CLASS(TOneCursor);
RTL_REGISTER_CLASS(TOneEffects);
RTL_REGISTER_CLASS(TLineFont);
RTL_REGISTER_CLASS(TOneInterface);
RTL_REGISTER_CLASS(TStructureSlide);
RTL_REGISTER_CLASS(TElementSlide);

}  // namespace engine
