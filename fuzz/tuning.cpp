// A level set's tuning, read from its container's "Default" section as the game reads it when
// the set is chosen. The input spells the section's entries (see fuzz/FuzzInput.h); names
// index the tuning values, the last one is no tuning value at all. Whatever the entries hold,
// every value is its default or the bytes of its entry, and the speed factors stay usable.
#include <cmath>
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "app/fmPallidor.h"
#include "engine/gpResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string names[] = {"AverageFactor", "SizeLevel", "MinCountForTopList", "IntervalTimer",
                                        "SKB", "SS", "SGCB", "CCP", "SA", "FH", "UF", "TL", "SpeedDifficulty",
                                        "SuperSpeedup", "TypeIG"};
    static const std::string path = fuzz::TempPath("tuning", ".ig");
    const datagen::ContainerSection defaults{"Default", fuzz::EntriesFrom(data, size, names, 20)};
    fuzz::WriteFile(path, datagen::BuildContainer({defaults, {"Subjects", {{"Subject", std::string(16, 'x')}}}}));
    {
        engine::TGPResource container(path, rtl::fmOpenRead);
        app::TDlg_Sprallion::TGameTuning tuning;
        app::TDlg_Sprallion::ReadTuning(container, tuning);
        for (double factor : tuning.SuperSpeedup)
            if (!std::isfinite(factor) || factor <= 0) __builtin_trap();
        app::TDlg_Sprallion::TGameTuning again;
        app::TDlg_Sprallion::ReadTuning(container, again);
        if (again.SS != tuning.SS || again.SpeedDifficulty != tuning.SpeedDifficulty ||
            again.SuperSpeedup != tuning.SuperSpeedup)
            __builtin_trap();  // reading is all it does
    }
    std::remove(path.c_str());
    return 0;
}
