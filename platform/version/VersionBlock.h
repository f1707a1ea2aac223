// The program's version information, carried in an ELF note of every executable and library.
//
// The block is the description of one note named "Sprallion" (type 1) in the section
// ".note.sprallion.version". Its layout, little-endian, every length checked on reading:
//   u32 signature          0xFEEF04BD
//   u16 major, minor, release, build
//   u32 flags              VS_FF_* below
//   u16 n, n bytes         the translation: language and code page, 8 hex digits ("040904E4")
//   u16 count              then count pairs of
//     u16 n, n bytes       name
//     u16 n, n bytes       value
// nothing after the last pair. A file without such a note (or not a 64-bit little-endian ELF
// file) has no version information.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::version {

inline constexpr uint32_t kSignature = 0xFEEF04BD;
inline constexpr const char* kSectionName = ".note.sprallion.version";
inline constexpr std::string_view kNoteName{"Sprallion\0", 10};
inline constexpr uint32_t kNoteType = 1;

inline constexpr uint32_t VS_FF_DEBUG = 0x01;
inline constexpr uint32_t VS_FF_PRERELEASE = 0x02;
inline constexpr uint32_t VS_FF_PRIVATEBUILD = 0x08;
inline constexpr uint32_t VS_FF_SPECIALBUILD = 0x20;

struct VersionBlock {
    uint32_t signature = kSignature;
    std::array<uint16_t, 4> numbers{};  // major, minor, release, build
    uint32_t flags = 0;
    std::string translation;
    std::vector<std::pair<std::string, std::string>> strings;

    // The value of a version string; "" when absent.
    std::string Find(std::string_view name) const;
    bool operator==(const VersionBlock&) const = default;
};

// The block's bytes (without the note header). Texts longer than 65535 bytes are an error.
std::string EncodeVersionBlock(const VersionBlock& block);
// The block, or nothing when the bytes are not a sound block.
std::optional<VersionBlock> DecodeVersionBlock(std::string_view bytes);
// The whole note: header, name, block, padded to 4 bytes.
std::string EncodeVersionNote(const VersionBlock& block);

// Random access to the bytes of an ELF image; a read outside it answers false.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual uint64_t Size() const = 0;
    virtual bool Read(uint64_t offset, std::span<char> out) = 0;
};

// The contents of the named section, or nothing (not ELF64 little-endian, damaged headers,
// no such section, or a section larger than maxSize).
std::optional<std::string> FindElfSection(ImageSource& image, std::string_view name,
                                          uint64_t maxSize);
// The version block of an image held in memory / of the file of that name.
std::optional<VersionBlock> ReadVersionBlock(std::string_view image);
std::optional<VersionBlock> ReadFileVersionBlock(const std::string& fileName);

}  // namespace platform::version
