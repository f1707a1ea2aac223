// One file of the new-game list: any bytes as a level-set container. Listing it either keeps
// an entry whose names fit their fields, or refuses the file with an exception of the runtime;
// the preview it writes lands beside it and never elsewhere.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/fmPallidor.h"
#include "engine/gpResource.h"
#include "rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    static const std::string folder = [] {
        const fs::path p = fs::temp_directory_path() / ("subject_entry." + std::to_string(::getpid()));
        fs::create_directories(p);
        return p.string();
    }();
    const std::string file = folder + "/Fuzz.ig";
    fs::remove(folder + "/Fuzz.BMP");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        engine::TGPResource container(file, rtl::fmOpenRead);
        app::TDlg_Sprallion::TSubjectEntry entry;
        if (app::TDlg_Sprallion::ReadSubjectEntry(container, "Fuzz.ig", folder, entry)) {
            using E = app::TDlg_Sprallion::TSubjectEntry;
            if (entry.PreviewName.size() > E::kNameLetters || entry.TypeText.size() > E::kNameLetters ||
                entry.Header.PackName.size() > engine::TInterfaceHeader::PackNameLetters ||
                entry.Header.Title.size() > engine::TInterfaceHeader::TitleLetters || entry.LevelCount < 0)
                __builtin_trap();
        }
    } catch (const rtl::Exception&) {
    }
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name != "Fuzz.ig" && name != "Fuzz.BMP") __builtin_trap();  // no stray temporary
    }
    return 0;
}
