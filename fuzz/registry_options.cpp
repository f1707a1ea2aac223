// Registry values as the game reads them: any bytes as the registry file, then the options
// the main form reads at start (LoadOptionsProject) under the game's key. Whatever the file
// holds, the options are read or fall back to their defaults, and what the game writes back
// it reads again unchanged.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "app/fmPallidor.h"
#include "platform/registry/Registry.h"

namespace {
const std::string& RegistryPath() {
    static const std::string path = [] {
        // In memory when there is a memory file system: every change of the registry is
        // written through to the disk, which would take most of the time.
        std::string p = "/dev/shm/fuzz_registry_options." + std::to_string(::getpid());
        if (std::FILE* probe = std::fopen(p.c_str(), "w")) {
            std::fclose(probe);
        } else {
            p = fuzz::TempPath("registry_options");
        }
        ::setenv("SPRALLION_REGISTRY", p.c_str(), 1);
        platform::registry::SetLogHandler([](const std::string&) {});
        return p;
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = RegistryPath();
    const std::string staged = path + ".new";
    fuzz::WriteFile(staged, std::string_view(reinterpret_cast<const char*>(data), size));
    std::rename(staged.c_str(), path.c_str());  // a new file, as another writer leaves it
    {
        app::TDlg_Sprallion form;
        form.LoggingEnabled = false;
        form.VersionInfo.CompanyName = "Quorvex";
        form.VersionInfo.ProductName = "Sprallion";
        form.LoadOptionsProject();
        if (!std::isfinite(form.DateLastUpData)) __builtin_trap();
        form.SaveOptionsProject();
        app::TDlg_Sprallion again;
        again.LoggingEnabled = false;
        again.VersionInfo = form.VersionInfo;
        again.LoadOptionsProject();
        if (again.Bif != form.Bif || again.CheckInternet != form.CheckInternet ||
            again.InsertTopList != form.InsertTopList || again.AutoUpDate != form.AutoUpDate ||
            again.PlayAVI != form.PlayAVI)
            __builtin_trap();
    }
    for (const char* extra : {"", ".damaged", ".lock"}) std::remove((path + extra).c_str());
    return 0;
}
