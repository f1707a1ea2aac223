// Writer of the system files the game reads about its machine, as a folder tree that stands
// in for the real root: proc/cpuinfo, proc/meminfo, proc/self/status, etc/os-release.
#pragma once

#include <cstdint>
#include <string>

namespace datagen {

struct SystemTree {
    std::string prettyName = "Debian GNU/Linux 12 (bookworm)";
    int processors = 4;
    int family = 6, model = 158, stepping = 10;
    std::string modelName = "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz";
    uint64_t memTotalKb = 16u * 1024 * 1024, memAvailableKb = 8u * 1024 * 1024;
    uint64_t swapTotalKb = 0, swapFreeKb = 0;
    uint64_t vmSizeKb = 256 * 1024;
};

std::string CpuInfoText(const SystemTree& tree);
std::string MemInfoText(const SystemTree& tree);
std::string OsReleaseText(const SystemTree& tree);
std::string ProcStatusText(const SystemTree& tree);
// Writes the four files below root (made as needed).
void WriteSystemTree(const std::string& root, const SystemTree& tree);

}  // namespace datagen
