// Seeds for the heads-up description fuzz target: the sections, keys, lists and faults of
// "Script_Interface" lines.
#include <string>

#include "tools/datagen/Seeds.h"

namespace {
const datagen::SeedWriter seeds("fuzz_interface_script", [](const datagen::SeedSink& put) {
    put("panel1",
        "TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Level, Left=29, Top=122, PatternWidth=157, "
        "PatternHeight=20, Alignment=gaCenter, TxtFormat=Level %D, Offset=1, Font.Size=18)\n"
        "TGPText.Create(OwnerClass=1, IDClass=1, Left=29, Top=49, UserName=1)\n"
        "TGPIcon.Create(OwnerClass=1, IDClass=23, Field=fd_Difficulty, Type=ftInteger, FlagChange=False, "
        "Correspondence=[23, 24, 25])\n"
        "TGPCountArray.Create(OwnerClass=1, IDClass=19, Field=fd_Prizes, Type=ftArray, Left=30, Top=416)\n"
        "TGPProgress.Create(OwnerClass=1, IDClass=17, Field=fd_Count_1, MinValue=0, MaxValue=600)\n");
    put("lives", "TGPCount.Create(OwnerClass=2, IDClass=18, Field=fd_Life, MinValue=0, MaxValue=24, Left=18)\n");
    put("faults",
        ";TGPCount.Create(OwnerClass=3, IDClass=18, Field=fd_Life)\n"
        "TGPIcon.Create(OwnerClass=3, IDClass=26, Field=fd_Difficulty, Correspondence=[4,7,9])\n"
        "TGPIcon.Create(OwnerClass=3, IDClass=26, Field=fd_Difficulty, Correspondence=[4, 7\n"
        "TGPProgress.Create(OwnerClass=3, IDClass=x, Field=fd_Count)\n"
        "TGPDataText.Create(OwnerClass=7, IDClass=1, Field=fd_FPS, Left=99999999999, Type=ftBogus)\n"
        "TGPCount.Create(OwnerClass=2147483648, IDClass=-5, Field=fd_Life, MaxValue=-1)\n");
    std::string many = "TGPIcon.Create(OwnerClass=0, IDClass=2, Field=fd_Level, Correspondence=[";
    for (int i = 0; i < 300; ++i) many += std::to_string(i) + (i < 299 ? ", " : "]");
    put("long_list", many + "\n");
    put("several", "TGPDataText.Create TGPText.Create TGPCount.Create OwnerClass=1, IDClass=1, Field=fd_Count\r\n");
});
}  // namespace
