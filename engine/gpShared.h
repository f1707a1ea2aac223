// The values the engine and the shell share: what the player record says of the game
// (difficulty, speed factor), the drop and monster tables of the level, the letters
// collected, the score, the floor line, the paddle's state that prizes and effects change,
// and the player object. One record, owned by the kernel, reset when a game starts and
// filled by the shell; tests fill it by hand. There are no process globals for these.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

namespace engine {

class TGPObject;

// One row of the drop or monster table: kind (1 drop, 2 monster), the range of chances
// (lower < roll < upper), the effect code of the object record (its low byte counts) and
// the class identifier.
struct TRangeRecord {
    int32_t Kind = 0;
    int32_t Lower = 0;
    int32_t Upper = 0;
    int32_t EffectCode = 0;
    int32_t IDClass = -1;
};

// The seven letter prizes spell a word; letter i is class 124 + i.
inline constexpr int32_t kFirstLetter = 124, kLastLetter = 130;
constexpr bool IsLetterClass(int32_t id) { return id >= kFirstLetter && id <= kLastLetter; }

struct TGPShared {
    // The player record's difficulty and the speed factor of its level entry. Without a
    // player record (menus, tests) difficulty 1 and speed factor 1.0.
    int32_t Difficulty = 1;
    double SpeedFactor = 1.0;

    std::vector<TRangeRecord> DropTable;
    std::vector<TRangeRecord> MonsterTable;

    // Letters collected: bit i for letter prize 124 + i (a 256-bit set, as the game
    // variable that shows it).
    std::bitset<256> Letters;
    // The score; engine additions saturate at the 32-bit limits. The shell shows it.
    int32_t Score = 0;

    int32_t FloorLine = 490;     // the paddle's line; the level sets it
    bool UpsideDown = false;     // the play field is turned over (a prize effect)
    int32_t UpsideDownCount = 0;
    int32_t ClosedFloorCount = 0;
    int32_t StunCounter = 0;     // ticks the paddle has been stunned
    int32_t StunLimit = 100;
    bool CatchFlag = true;       // the sticky paddle may catch a ball
    bool AbsoluteMouse = false;  // the paddle follows the mouse position, not its motion
    int32_t LetterLives = 0;
    // Lives won in this game: the letters' (added here) and the shell's extra lives; the
    // shell's medal for lives counts them and starts them again.
    int32_t LivesGained = 0;

    // The player's paddle, kept as its handle and generation: a paddle that went back to its
    // pool or was destroyed since counts as none.
    void SetPlayer(TGPObject* player);
    TGPObject* Player() const;

    // Everything back to the values of a game about to start.
    void Reset();

    // The difficulty clamped to 1..3 (data and saved games may hold anything).
    int32_t ClampedDifficulty() const;
    // 1.1, 1.3 or 1.5 for difficulty 1, 2 or 3.
    double DifficultyFactor() const;
    // Adds to the score in 64 bits, saturating at the 32-bit limits.
    void AddScore(int64_t amount);

private:
    uint32_t playerHandle_ = 0;  // 0 names none
    uint16_t playerGeneration_ = 0;
};

// The effect code of a prize class from the drop table: the low byte of the first row whose
// class is ClassId or, for the letters 124..130, of the first letter row; 0 without one.
uint8_t BonusEffectCode(const TGPShared& shared, int32_t classId);

}  // namespace engine
