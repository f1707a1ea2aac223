// The saved-games container: the pending game ("Save_0", written at every level start) and
// the six slots "Save_1".."Save_6", each a 144-byte player record in "Save_User" and a
// 160 x 120 preview picture in "Save_BMP".
//
// The container is read whole and written whole. A read takes every slot on its own: a slot
// whose record cannot be read, or whose record is no saved game (a lives flag other than 0
// or 1, a level-set name that is no plain "*.ig" name, a level below 1), is damaged and the
// others stay usable. A write builds the complete new container in memory and replaces the
// file at once (temporary file beside it, flushed, renamed): a crash or a failing step
// leaves the old container, every slot with its old or its new record, and no temporary.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/PlayerRecord.h"
#include "engine/gpResource.h"
#include "rtl/Exceptions.h"

namespace app {

using engine::TSaveRecord;

// Slots the player sees; slot 0 is the pending game.
inline constexpr int kSaveSlots = 6;

// The container does not open as one (missing, wrong magic, damaged directory, a section
// absent): the caller moves it aside and makes a fresh one.
using rtl::Exception;
RTL_EXCEPTION(ESaveContainer, Exception);

// The player record as the 144 bytes of a saved game, field by field; texts longer than
// their 21-byte field are cut, a shorter one ends with a NUL.
TSaveRecord EncodePlayerRecord(const TPlayerRecord& record);
// The 144 bytes as a player record; a text runs to its first NUL or the end of its field,
// never further. The difficulty is held to 1..3.
TPlayerRecord DecodePlayerRecord(const TSaveRecord& bytes);
// A slot is used while its lives flag is set.
inline bool SaveRecordUsed(const TSaveRecord& bytes) { return bytes[0] != 0; }
// The level-set file name of a record, as stored (up to its first NUL).
std::string SaveRecordSubject(const TSaveRecord& bytes);
// A name a saved game may give its level set: a plain file name ending in ".ig".
bool IsPlainLevelSetName(std::string_view name);
// Whether the bytes hold a saved game at all (used or empty), see above.
bool IsValidSaveRecord(const TSaveRecord& bytes);

struct TSaveSlot {
    bool Damaged = false;   // unreadable or no saved game: shown and kept as empty
    TSaveRecord Record{};   // as stored (kept by a rewrite), zero when it could not be read
    std::string Preview;    // the preview's bitmap bytes as stored; empty when there is none
};

struct TSaveGames {
    std::array<TSaveSlot, kSaveSlots + 1> Slots;  // [0] the pending game
};

// Reads every slot of the container; ESaveContainer when the file does not open as a
// saved-games container. Opens the file for reading only.
TSaveGames ReadSaveGames(const std::string& fileName);
// Replaces the container by one holding exactly these slots; on any failure the old file
// stays, no temporary remains and the error passes on.
void WriteSaveGames(const std::string& fileName, const TSaveGames& games);
// The container's bytes for these slots (what WriteSaveGames stores).
std::string BuildSaveContainer(const TSaveGames& games);

}  // namespace app
