// regsvr [-s] [-u] LIBRARY: registers an in-process server (DllRegisterServer) or, with -u,
// unregisters it (DllUnregisterServer). -s: silent, only the exit status tells (0 = done).
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>

#include "platform/com/Types.h"

namespace {

using platform::com::HRESULT;
using RegisterFunction = HRESULT (*)();

int Fail(bool silent, int code, const std::string& text) {
    if (!silent) std::fprintf(stderr, "regsvr: %s\n", text.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    bool silent = false, unregister = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // "/s" and "/u" are accepted too, as the game's fallback passes them.
        if (arg == "-s" || arg == "/s") silent = true;
        else if (arg == "-u" || arg == "/u") unregister = true;
        else if (library.empty() && !arg.starts_with('-')) library = arg;
        else return Fail(silent, 2, "usage: regsvr [-s] [-u] LIBRARY");
    }
    if (library.empty()) return Fail(silent, 2, "usage: regsvr [-s] [-u] LIBRARY");
    // A name without a folder is looked for beside this tool, where the build puts the libraries.
    if (library.find('/') == std::string::npos) {
        char self[PATH_MAX];
        if (::realpath("/proc/self/exe", self)) {
            std::string dir = self;
            dir.erase(dir.rfind('/') + 1);
            std::string beside = dir + library;
            if (::access(beside.c_str(), R_OK) == 0) library = beside;
        }
    }
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return Fail(silent, 3, std::string("cannot load ") + library + ": " + ::dlerror());
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<RegisterFunction>(::dlsym(handle, entry));
    if (!fn) {
        ::dlclose(handle);
        return Fail(silent, 4, library + " has no " + entry);
    }
    HRESULT hr = fn();
    ::dlclose(handle);
    if (platform::com::FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        return Fail(silent, 5, std::string(entry) + " in " + library + " failed: " + code);
    }
    if (!silent) std::printf("regsvr: %s in %s succeeded\n", entry, library.c_str());
    return 0;
}
