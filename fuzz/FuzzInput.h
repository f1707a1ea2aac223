// Helpers shared by the fuzz targets: container entries cut from the input, and files of the
// process's own in the temporary folder.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "tools/datagen/Container.h"

namespace fuzz {

// Entries as the input spells them, up to `most`: per entry a byte choosing its name from
// `names` (modulo their count), a 16-bit little-endian length and that many bytes (fewer at
// the end of the input).
inline std::vector<datagen::ContainerEntry> EntriesFrom(const uint8_t* data, size_t size,
                                                        std::span<const std::string> names, size_t most) {
    std::vector<datagen::ContainerEntry> entries;
    size_t at = 0;
    while (at + 3 <= size && entries.size() < most) {
        const std::string& name = names[data[at] % names.size()];
        const size_t length = std::min<size_t>(size_t{data[at + 1]} | size_t{data[at + 2]} << 8, size - at - 3);
        entries.push_back({name, std::string(reinterpret_cast<const char*>(data) + at + 3, length)});
        at += 3 + length;
    }
    return entries;
}

// A path of this process in the temporary folder: "/tmp/fuzz_<name>.<pid><extension>".
inline std::string TempPath(const std::string& name, const std::string& extension = "") {
    return "/tmp/fuzz_" + name + "." + std::to_string(::getpid()) + extension;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

}  // namespace fuzz
