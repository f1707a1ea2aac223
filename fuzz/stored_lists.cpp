// The update-list and installed-list lines, and the hall of fame's stored entries with the page
// rows built from them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "internet/LocalTopListU.h"
#include "internet/StringsU.h"
#include "internet/UpdateU.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace palvrek;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : SplitLines(text)) {
        TUpdateFile f;
        if (ParseUpdateLine(line, f)) FormatUpdateLine(f);
        IsSafeFileName(f.FileName);
        TExsistsComponent item;
        ParseInstalledLine(line, item);
        EntryScore(line);
        LocalEntry e = ParseEntry(line);
        // A stored entry never spans lines or gains fields.
        std::string stored = FormatEntry(e);
        if (stored.find_first_of("\r\n") != std::string::npos) std::abort();
        LocalTopListSettings settings;
        settings[tsRanksExp] = "gif";
        std::string row = FormatEntryRow(line, 1, settings, 0);
        if (row.find("<script") != std::string::npos) std::abort();
    }
    // A stored key of either age reads as UTF-8 that survives the trip through the interface.
    platform::registry::Key key;
    platform::registry::SetValue(key, "List", platform::registry::ValueType::String, std::string(text));
    const std::string before = StoredText(key, "List");
    MakeStoredTextsUtf8(key);
    if (StoredText(key, "List") != before) std::abort();
    if (Utf8ToWide(WideToUtf8(Utf8ToWide(before))) != Utf8ToWide(before)) std::abort();
    std::vector<std::string> list = SplitLines(text);
    if (list.size() < 64) {
        InsertLocalEntry(list, "x|5|r|d||01.01.2000|", 10);
        WouldEnter(list, 5, 10);
    }
    return 0;
}
