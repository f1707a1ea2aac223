// The player record: the running game's player, level set, level, lives, score, difficulty,
// rank, medals and prizes. The same 144 bytes are a saved game's "Save_User" entry; the
// texts are at most 21 characters there, and medal and prize lists are 21 numbers each,
// ascending, filled up with kNoNumber.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace app {

struct TPlayerRecord {
    static constexpr size_t kTextLetters = 21;
    static constexpr uint8_t kNoNumber = 30;
    static constexpr int32_t kFirstRank = 1, kLastRank = 19;
    static constexpr int32_t kFirstMedal = 1, kLastMedal = 10;

    uint8_t Alive = 0;         // 1 while lives remain
    std::string Name;          // the player's name
    std::string SubjectFile;   // file name of the chosen level set
    std::string SubjectTitle;  // its title; the hall of fame's time field
    int32_t Level = 0;         // fd_Level + 1
    int32_t Lives = 0;
    int32_t Score = 0;
    int32_t Difficulty = 1;    // 1..3
    std::array<int32_t, 2> SpeedEntry{};  // the level's 8-byte entry for the difficulty
    int32_t Rank = 1;          // 1..19
    std::array<uint8_t, 21> Medals = Empty();
    std::array<uint8_t, 21> Prizes = Empty();

    static constexpr std::array<uint8_t, 21> Empty() {
        std::array<uint8_t, 21> a{};
        a.fill(kNoNumber);
        return a;
    }
};

// ---- Game flow (fmPallidorGame.cpp, fmPallidorFlow.cpp) ----

// The record as stored: 144 bytes, little-endian, field by field; the reserved bytes and the
// panel reference at 136 are written as 0.
inline constexpr size_t kPlayerRecordSize = 144;
using TPlayerRecordBytes = std::array<uint8_t, kPlayerRecordSize>;
TPlayerRecordBytes WritePlayerRecord(const TPlayerRecord& record);
// Reads a stored record; bytes missing from a short one read as 0. Texts end at their first
// NUL and never run past their 21 letters; numbers are taken as stored (the game clamps what
// it uses).
TPlayerRecord ReadPlayerRecord(std::span<const uint8_t> bytes);

}  // namespace app
