// Writers of a game-object class's data: its seven slides ("Classes_Unit" records, one per
// state) and its description of game values ("GeneralObject_Unit"), in the class library's
// component format.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace datagen {

// One slide of a unit class.
struct UnitSlideDescription {
    int32_t idName = 1;       // the class whose picture the slide names
    int32_t idCondition = 1;  // the state 1..7
    std::string picture = "No";
    int32_t patternWidth = 16, patternHeight = 16;
    int32_t linesWidth = 1, linesHeight = 1;  // columns, frames
    int32_t baseLeft = 0, baseTop = 0, baseRight = 16, baseBottom = 16;  // the collision rectangle
    int32_t hTicksPerChange = 0;
    std::string styleAniSprite = "swNo";  // swNo, swDirection, swSize, swAll, swOnce
    int32_t ordDefault = 0, typeOrdDefault = 0;
    int32_t incSize = 0, incSizeH = 0, defaultAniSprite = 0, animationSprite = 0;
};
std::string UnitSlideRecord(const UnitSlideDescription& d);
// Seven slides of one shape: state s (1..7) takes shape with IDCondition s.
std::string UnitClassRecord(const UnitSlideDescription& shape);
// The seven slides as given, in order.
std::string UnitClassRecord(const std::array<UnitSlideDescription, 7>& slides);

// A class's game values.
struct GeneralObjectDescription {
    int32_t media = 0, cpbMoving = 0, ticksPerRotate = 0;
    bool processingEvents = false;
    std::string mdName{};  // the class's script
    int32_t minSpeed = 0, maxSpeed = 0;
    double maxSpeedUp = 0;
    bool connectWeapon = false;
    int32_t currentWeapon = 0;
    std::string idWeapon{};  // weapon numbers, one per line
    int32_t defaultSlide = 1;
    int32_t toughness = 1;
    int32_t rotate = 0;
    int32_t priceForDeath = 0;
    int32_t minDamage = 0, maxDamage = 0;
    int32_t addParamInt1 = 0, addParamInt2 = 0, addParamInt3 = 0, addParamInt4 = -1;
};
std::string GeneralObjectRecord(const GeneralObjectDescription& d);

// A weapon's description ("Classes_Weapons" entry or ".wp" file).
struct WeaponDescription {
    int32_t minDamage = 0, maxDamage = 0;
    bool ramdomDamage = false;
    int32_t soundID = -1;
    int32_t idFlyType = 0, idFlyClass = 0, flyTimeLifes = 0;
    int32_t idActionType = 0, idActionClass = 0, actionTimeLifes = 0;
    int32_t idEffectsClass = 0;
    bool flagEffectClass = false;
    int32_t direction = 0;
    int32_t offX = 0, offY = 0, velX = 0, velY = 0;
    int32_t timeOfDelays = 0;
    bool recoil = false;
    int32_t shareOfRecoil = 0;
    int32_t numberOfStems = 0, areaForStem = 0;
    int32_t idSkinType = 0, idSkinClass = 0, skinOffX = 0, skinOffY = 0;
};
std::string WeaponRecord(const WeaponDescription& d, const std::string& name = "Weapon");

}  // namespace datagen
