// Writing the version note, usable at compile time: the build generates a source file that
// places the program's own note in its section with these helpers (see cmake/Sprallion.cmake).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace platform::version {

struct NoteString {
    std::string_view name, value;
};

struct NoteFixed {
    uint32_t signature;
    uint16_t major, minor, release, build;
    uint32_t flags;
    std::string_view translation;
};

// Appends the block's bytes (the layout of VersionBlock.h) through put(byte).
template <typename Put>
constexpr void WriteBlock(Put&& put, const NoteFixed& fixed, std::span<const NoteString> strings) {
    auto u16 = [&](uint32_t v) {
        if (v > 0xFFFF) throw std::length_error("version block: value exceeds 16 bits");
        put(static_cast<char>(v & 0xFF));
        put(static_cast<char>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto text = [&](std::string_view s) {
        u16(static_cast<uint32_t>(s.size() > 0xFFFF ? 0x10000 : s.size()));
        for (char c : s) put(c);
    };
    u32(fixed.signature);
    u16(fixed.major);
    u16(fixed.minor);
    u16(fixed.release);
    u16(fixed.build);
    u32(fixed.flags);
    text(fixed.translation);
    u16(static_cast<uint32_t>(strings.size() > 0xFFFF ? 0x10000 : strings.size()));
    for (const NoteString& s : strings) {
        text(s.name);
        text(s.value);
    }
}

constexpr size_t BlockSize(const NoteFixed& fixed, std::span<const NoteString> strings) {
    size_t n = 0;
    WriteBlock([&](char) { ++n; }, fixed, strings);
    return n;
}

// Note header (name size, description size, type), the name "Sprallion\0" padded to 4 bytes,
// then the block padded to 4 bytes.
constexpr size_t NoteSize(const NoteFixed& fixed, std::span<const NoteString> strings) {
    return 12 + 12 + (BlockSize(fixed, strings) + 3) / 4 * 4;
}

template <typename Put>
constexpr void WriteNote(Put&& put, const NoteFixed& fixed, std::span<const NoteString> strings) {
    const size_t blockSize = BlockSize(fixed, strings);
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    u32(10);  // "Sprallion\0"
    u32(static_cast<uint32_t>(blockSize));
    u32(1);
    for (char c : std::string_view("Sprallion\0\0\0", 12)) put(c);
    WriteBlock(put, fixed, strings);
    for (size_t i = blockSize; i % 4 != 0; ++i) put('\0');
}

template <size_t N>
constexpr std::array<char, N> MakeNote(const NoteFixed& fixed, std::span<const NoteString> strings) {
    std::array<char, N> out{};
    size_t at = 0;
    WriteNote([&](char c) { out[at++] = c; }, fixed, strings);
    return out;
}

}  // namespace platform::version
