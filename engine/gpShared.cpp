#include "engine/gpShared.h"

#include "engine/gpObject.h"

#include <algorithm>
#include <array>
#include <limits>

namespace engine {

void TGPShared::SetPlayer(TGPObject* player) {
    playerHandle_ = player ? player->Handle() : 0;
    playerGeneration_ = player ? player->Generation() : 0;
}

// Looked up through the handle table, never through the paddle itself: a paddle that was
// destroyed since cannot be asked for its generation.
TGPObject* TGPShared::Player() const {
    return static_cast<TGPObject*>(TGPStructure::FromHandle(playerHandle_, playerGeneration_));
}

void TGPShared::Reset() { *this = TGPShared{}; }

int32_t TGPShared::ClampedDifficulty() const { return std::clamp(Difficulty, 1, 3); }

double TGPShared::DifficultyFactor() const {
    static constexpr std::array<double, 3> kFactors = {1.1, 1.3, 1.5};
    return kFactors[static_cast<size_t>(ClampedDifficulty() - 1)];
}

void TGPShared::AddScore(int64_t amount) {
    const int64_t sum = int64_t{Score} + amount;
    Score = static_cast<int32_t>(
        std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

uint8_t BonusEffectCode(const TGPShared& shared, int32_t classId) {
    for (const TRangeRecord& r : shared.DropTable)
        if (r.IDClass == classId || (IsLetterClass(classId) && IsLetterClass(r.IDClass)))
            return static_cast<uint8_t>(r.EffectCode & 0xFF);
    return 0;
}

}  // namespace engine
