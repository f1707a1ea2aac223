// The game's texts: entries of "Strings" read as the shell reads them, one text of a message
// (ReadLanguageString) and the lines of a list (ReadStringsText at the located entry). The
// input spells the section's entries (see fuzz/FuzzInput.h). Whatever they hold, a text never
// takes bytes past its own entry; the whole input read as one list never faults.
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "app/fmFormRgn.h"
#include "engine/gpResource.h"
#include "rtl/StringList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string names[] = {"Message_1_419", "Title_Message_1_419", "Title_Key_419", "Message_26_409",
                                        "Script_Interface"};
    static const std::string path = fuzz::TempPath("game_texts", ".bif");

    rtl::MemoryStream whole(std::vector<uint8_t>(data, data + size));
    rtl::StringList lines;
    engine::ReadStringsText(whole, lines);

    const datagen::ContainerSection strings{"Strings", fuzz::EntriesFrom(data, size, names, 8)};
    fuzz::WriteFile(path, datagen::BuildContainer({strings, {"Wav", {{"After", std::string(64, '\x7f')}}}}));
    {
        engine::TGPResource container(path, rtl::fmOpenRead);
        for (const std::string& key : names) {
            const auto entry = container.OpenEntry("Strings", key);
            const int64_t room = entry ? entry->Size() : 0;
            std::string text;
            const bool found = app::ReadLanguageString(&container, key, text);
            if (found != (entry != nullptr) || (!text.empty() && int64_t(text.size()) + 4 > room)) __builtin_trap();
            if (!container.Locate("Strings", key)) continue;
            rtl::StringList list;
            engine::ReadStringsText(container, list);
            int64_t letters = 0;
            for (int i = 0; i < list.Count(); ++i) letters += int64_t(list[i].size());
            if (letters > 0 && letters + 4 > room) __builtin_trap();
        }
    }
    std::remove(path.c_str());
    return 0;
}
