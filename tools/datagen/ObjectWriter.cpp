#include "tools/datagen/ObjectWriter.h"

#include "tools/datagen/ClassesWriter.h"

namespace datagen {

std::string UnitSlideRecord(const UnitSlideDescription& d) {
    return RecordWriter("TOneSlide", "Slide" + std::to_string(d.idCondition))
        .Int("IDName", d.idName)
        .Int("IDCondition", d.idCondition)
        .Str("IDSlide", d.picture)
        .Int("PatternHeight", d.patternHeight)
        .Int("PatternWidth", d.patternWidth)
        .Int("LinesHeight", d.linesHeight)
        .Int("LinesWidth", d.linesWidth)
        .Int("BaseLeft", d.baseLeft)
        .Int("BaseTop", d.baseTop)
        .Int("BaseRight", d.baseRight)
        .Int("BaseBottom", d.baseBottom)
        .Int("HTicksPerChange", d.hTicksPerChange)
        .Int("Ord_Default", d.ordDefault)
        .Int("Type_Ord_Default", d.typeOrdDefault)
        .Ident("StyleAniSprite", d.styleAniSprite)
        .Int("IncSize", d.incSize)
        .Int("IncSizeH", d.incSizeH)
        .Int("DefaultAniSprite", d.defaultAniSprite)
        .Int("AnimationSprite", d.animationSprite)
        .Finish();
}

std::string UnitClassRecord(const UnitSlideDescription& shape) {
    std::string out;
    for (int32_t state = 1; state <= 7; ++state) {
        UnitSlideDescription slide = shape;
        slide.idCondition = state;
        out += UnitSlideRecord(slide);
    }
    return out;
}

std::string UnitClassRecord(const std::array<UnitSlideDescription, 7>& slides) {
    std::string out;
    for (const UnitSlideDescription& slide : slides) out += UnitSlideRecord(slide);
    return out;
}

std::string GeneralObjectRecord(const GeneralObjectDescription& d) {
    return RecordWriter("TGPGeneralObject", "Description")
        .Int("Media", d.media)
        .Int("CPBMoving", d.cpbMoving)
        .Int("TicksPerRotate", d.ticksPerRotate)
        .Bool("ProcessingEvents", d.processingEvents)
        .Str("MDName", d.mdName)
        .Int("MinSpeed", d.minSpeed)
        .Int("MaxSpeed", d.maxSpeed)
        .Real("MaxSpeedUp", d.maxSpeedUp)
        .Bool("ConnectWeapon", d.connectWeapon)
        .Int("CurrentWeapon", d.currentWeapon)
        .Str("IDWeapon", d.idWeapon)
        .Int("DefaultSlide", d.defaultSlide)
        .Int("Toughness", d.toughness)
        .Int("Rotate", d.rotate)
        .Int("PriceForDeath", d.priceForDeath)
        .Int("MinDamage", d.minDamage)
        .Int("MaxDamage", d.maxDamage)
        .Int("AddParamInt1", d.addParamInt1)
        .Int("AddParamInt2", d.addParamInt2)
        .Int("AddParamInt3", d.addParamInt3)
        .Int("AddParamInt4", d.addParamInt4)
        .Finish();
}

std::string WeaponRecord(const WeaponDescription& d, const std::string& name) {
    return RecordWriter("TGPWeaponStructure", name)
        .Int("MinDamage", d.minDamage)
        .Int("MaxDamage", d.maxDamage)
        .Bool("RamdomDamage", d.ramdomDamage)
        .Int("SoundID", d.soundID)
        .Int("IDFlyType", d.idFlyType)
        .Int("IDFlyClass", d.idFlyClass)
        .Int("FlyTimeLifes", d.flyTimeLifes)
        .Int("IDActionType", d.idActionType)
        .Int("IDActionClass", d.idActionClass)
        .Int("ActionTimeLifes", d.actionTimeLifes)
        .Int("IDEffectsClass", d.idEffectsClass)
        .Bool("FlagEffectClass", d.flagEffectClass)
        .Int("Direction", d.direction)
        .Int("OffX", d.offX)
        .Int("OffY", d.offY)
        .Int("VelX", d.velX)
        .Int("VelY", d.velY)
        .Int("TimeOfDelays", d.timeOfDelays)
        .Bool("Recoil", d.recoil)
        .Int("ShareOfRecoil", d.shareOfRecoil)
        .Int("NumberOfStems", d.numberOfStems)
        .Int("AreaForStem", d.areaForStem)
        .Int("IDSkinType", d.idSkinType)
        .Int("IDSkinClass", d.idSkinClass)
        .Int("SkinOffX", d.skinOffX)
        .Int("SkinOffY", d.skinOffY)
        .Finish();
}

}  // namespace datagen
