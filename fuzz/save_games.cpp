// The saved-games container as the save and load panels read it: any bytes as the file.
// Whatever it holds, a slot read is a whole record or damaged, its texts stay within their
// fields, and writing the slots read and reading them again gives the same slots.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/SaveGames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_save_games." + std::to_string(::getpid()) + ".sav";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        const app::TSaveGames games = app::ReadSaveGames(path);
        for (const app::TSaveSlot& slot : games.Slots) {
            if (slot.Damaged || !app::SaveRecordUsed(slot.Record)) continue;
            const app::TPlayerRecord record = app::DecodePlayerRecord(slot.Record);
            if (record.Name.size() > 21 || !app::IsPlainLevelSetName(record.SubjectFile)) __builtin_trap();
            if (record.Difficulty < 1 || record.Difficulty > 3) __builtin_trap();
        }
        app::WriteSaveGames(path, games);
        const app::TSaveGames again = app::ReadSaveGames(path);
        for (size_t i = 0; i < games.Slots.size(); ++i) {
            const app::TSaveSlot &a = games.Slots[i], &b = again.Slots[i];
            // A record that could not be read is written as an empty slot.
            const bool emptied = a.Damaged && a.Record == app::TSaveRecord{};
            if (a.Record != b.Record || a.Preview != b.Preview || (a.Damaged != b.Damaged && !emptied)) __builtin_trap();
        }
    } catch (const app::ESaveContainer&) {
        // not a container of saved games: the panels make a fresh one
    }
    std::remove(path.c_str());
    return 0;
}
