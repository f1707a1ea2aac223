// The parsers of the system's own files: /proc/cpuinfo, /proc/meminfo, /proc/self/status,
// os-release and the kernel release. The first byte picks the parser.
#include <cstdint>
#include <string_view>

#include "platform/sysinfo/SysInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    namespace sys = platform::sysinfo;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 5) {
        case 0: {
            const sys::CpuInfo info = sys::ParseCpuInfo(text);
            if (info.Processors < 0 || info.ModelName.size() > 256) __builtin_trap();
            break;
        }
        case 1: {
            const sys::MemInfo m = sys::ParseMemInfo(text);
            if (m.AvailPhys > m.TotalPhys || m.FreeSwap > m.TotalSwap) __builtin_trap();
            break;
        }
        case 2: sys::ParseOsRelease(text); break;
        case 3: sys::ParseVmSize(text); break;
        default: {
            const sys::KernelVersion v = sys::ParseKernelRelease(text);
            if (v.Major < 0 || v.Minor < 0 || v.Build < 0 || v.Rest.size() > text.size()) __builtin_trap();
            break;
        }
    }
    return 0;
}
