// The game's rules shared by the kernel-event handlers and the game flow: nation keys, the
// class groups, the tuning constants of a level and the small field helpers.
#pragma once

#include <cstdint>

#include "engine/gpData.h"
#include "engine/gpObject.h"

namespace app::rules {

inline constexpr int32_t BrickNationKey = 0, PrizeNationKey = 1, MonsterNationKey = 2, PlayerNationKey = 3,
                         BallNationKey = 4, AttachmentNationKey = 5, LimitedNationKey = 6;
inline constexpr int32_t LimitedNationCount = 10;
inline constexpr int32_t RandomRange = 1000;
inline constexpr int32_t CompletionCheckTicks = 50;
inline constexpr int32_t LaunchTicks = 520;
inline constexpr int32_t BallClassId = 62;
inline constexpr int32_t PlayerSpeedLimit = 20;
inline constexpr int32_t ObjectSpeedLimit = 5;
inline constexpr int32_t InitialLives = 5;
inline constexpr int32_t EndLifeTicks = 80;
inline constexpr int32_t DefaultChargeMax = 600;
inline constexpr int32_t WanderPeriod = 100;  // ticks between two wandering-monster draws

constexpr bool IsSpecialBrickClass(int32_t id) { return id >= 112 && id <= 117; }
constexpr bool IsAttachmentClass(int32_t id) { return id >= 4 && id <= 10; }
constexpr bool IsLimitedClass(int32_t id) { return id >= 157 && id <= 166; }

// The nation key of a class id by the groups of the game; -1 for a class in none.
constexpr int32_t NationKeyOf(int32_t id) {
    if (id == 1 || id == 2) return PlayerNationKey;
    if (engine::IsMonsterClass(id)) return MonsterNationKey;
    if (IsAttachmentClass(id)) return AttachmentNationKey;
    if (engine::IsPrizeClass(id)) return PrizeNationKey;
    if (engine::IsBrickClass(id) || IsSpecialBrickClass(id)) return BrickNationKey;
    if (engine::IsBallClass(id)) return BallNationKey;
    if (IsLimitedClass(id)) return LimitedNationKey;
    return -1;
}

// A field's integer through the nil-safe helper: a variable that does not exist reads as 1
// (so a tick with no game loses no life).
inline int32_t FieldInt(engine::TGPField* field) { return engine::ValueToInteger(engine::GetFieldValue(field)); }

}  // namespace app::rules
