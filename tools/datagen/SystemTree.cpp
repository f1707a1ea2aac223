#include "tools/datagen/SystemTree.h"

#include <filesystem>

#include "rtl/Streams.h"
#include "tools/datagen/Seeds.h"

namespace datagen {

std::string CpuInfoText(const SystemTree& t) {
    std::string text;
    for (int i = 0; i < t.processors; ++i) {
        text += "processor\t: " + std::to_string(i) + "\n";
        text += "vendor_id\t: GenuineIntel\n";
        text += "cpu family\t: " + std::to_string(t.family) + "\n";
        text += "model\t\t: " + std::to_string(t.model) + "\n";
        text += "model name\t: " + t.modelName + "\n";
        text += "stepping\t: " + std::to_string(t.stepping) + "\n";
        text += "cpu MHz\t\t: 3192.000\n";
        text += "flags\t\t: fpu vme de pse tsc msr pae mce cx8 apic sep mtrr\n\n";
    }
    return text;
}

std::string MemInfoText(const SystemTree& t) {
    auto line = [](const char* name, uint64_t kb) {
        std::string n = std::string(name) + ":";
        n.resize(16, ' ');
        return n + std::to_string(kb) + " kB\n";
    };
    return line("MemTotal", t.memTotalKb) + line("MemFree", t.memAvailableKb / 2) +
           line("MemAvailable", t.memAvailableKb) + line("Buffers", 1024) + line("Cached", t.memAvailableKb / 4) +
           line("SwapCached", 0) + line("SwapTotal", t.swapTotalKb) + line("SwapFree", t.swapFreeKb) +
           "HugePages_Total:       0\n";
}

std::string OsReleaseText(const SystemTree& t) {
    return "# written for a test\nPRETTY_NAME=\"" + t.prettyName +
           "\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nID=debian\nHOME_URL='https://www.debian.org/'\n";
}

std::string ProcStatusText(const SystemTree& t) {
    return "Name:\tsprallion\nUmask:\t0022\nState:\tR (running)\nVmPeak:\t  " + std::to_string(t.vmSizeKb + 64) +
           " kB\nVmSize:\t  " + std::to_string(t.vmSizeKb) + " kB\nThreads:\t3\n";
}

void WriteSystemTree(const std::string& root, const SystemTree& tree) {
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(root) / "proc" / "self");
    fs::create_directories(fs::path(root) / "etc");
    auto write = [&](const char* path, const std::string& text) {
        rtl::WriteFileAtomically(root + path, text.data(), text.size());
    };
    write("/proc/cpuinfo", CpuInfoText(tree));
    write("/proc/meminfo", MemInfoText(tree));
    write("/proc/self/status", ProcStatusText(tree));
    write("/etc/os-release", OsReleaseText(tree));
}

namespace {

// The fuzz input of the system-file parsers: the first byte picks the parser (0 cpuinfo,
// 1 meminfo, 2 os-release, 3 status, 4 kernel release); the rest is the text.
const SeedWriter systemSeeds("fuzz_system_files", [](const SeedSink& put) {
    SystemTree tree;
    SystemTree old;
    old.processors = 1;
    old.family = 4;
    old.model = 8;
    old.modelName = "486 DX/4";
    old.memTotalKb = 14 * 1024;
    old.memAvailableKb = 2 * 1024;
    old.swapTotalKb = 32 * 1024;
    old.swapFreeKb = 30 * 1024;
    put("cpuinfo", std::string(1, '\0') + CpuInfoText(tree));
    put("cpuinfo-486", std::string(1, '\0') + CpuInfoText(old));
    put("meminfo", std::string(1, '\1') + MemInfoText(tree));
    put("meminfo-small", std::string(1, '\1') + MemInfoText(old));
    put("meminfo-old", std::string(1, '\1') + "MemTotal: 65536 kB\nMemFree: 1024 kB\nBuffers: 12 kB\nCached: 3 kB\n");
    put("os-release", std::string(1, '\2') + OsReleaseText(tree));
    put("os-release-escapes", std::string(1, '\2') + "PRETTY_NAME=\"A \\\"quoted\\\" \\\\ name\"\nNAME='x'\nBAD=\"open\n");
    put("status", std::string(1, '\3') + ProcStatusText(tree));
    put("release", std::string(1, '\4') + "6.1.0-18-amd64");
    put("release-short", std::string(1, '\4') + "5.15");
});

}  // namespace
}  // namespace datagen
