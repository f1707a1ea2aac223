// The player record of a saved game: any bytes read as a record whose texts stay within their
// fields, and a record written again reads back the same.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/PlayerRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const app::TPlayerRecord record = app::ReadPlayerRecord(std::span<const uint8_t>(data, size));
    for (const std::string* text : {&record.Name, &record.SubjectFile, &record.SubjectTitle})
        if (text->size() > app::TPlayerRecord::kTextLetters) __builtin_trap();
    const app::TPlayerRecordBytes bytes = app::WritePlayerRecord(record);
    const app::TPlayerRecord again = app::ReadPlayerRecord(bytes);
    if (again.Name != record.Name || again.Score != record.Score || again.Rank != record.Rank ||
        again.Medals != record.Medals || again.Prizes != record.Prizes || again.SpeedEntry != record.SpeedEntry)
        __builtin_trap();
    return 0;
}
