#include "platform/version/VersionBlock.h"

#include <fstream>

#include "platform/version/VersionNote.h"

namespace platform::version {

namespace {

// Reads little-endian fields from a byte range; any read past the end fails the whole read.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ == bytes_.size(); }
    uint32_t U16() { return static_cast<uint32_t>(Unsigned(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
    std::string Text() {
        const size_t n = U16();
        if (!ok_ || bytes_.size() - at_ < n) return Fail();
        std::string s(bytes_.substr(at_, n));
        at_ += n;
        return s;
    }

private:
    uint64_t Unsigned(size_t n) {
        if (!ok_ || bytes_.size() - at_ < n) {
            Fail();
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(bytes_[at_ + i])) << (8 * i);
        at_ += n;
        return v;
    }
    std::string Fail() {
        ok_ = false;
        return {};
    }

    std::string_view bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

uint64_t Le(const char* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(p[i])) << (8 * i);
    return v;
}

class MemorySource final : public ImageSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, std::span<char> out) override {
        if (offset > bytes_.size() || bytes_.size() - offset < out.size()) return false;
        bytes_.copy(out.data(), out.size(), offset);
        return true;
    }

private:
    std::string_view bytes_;
};

class FileSource final : public ImageSource {
public:
    explicit FileSource(const std::string& fileName) : in_(fileName, std::ios::binary) {
        if (in_) {
            in_.seekg(0, std::ios::end);
            const auto end = in_.tellg();
            size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
        }
    }
    bool IsOpen() const { return static_cast<bool>(in_); }
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, std::span<char> out) override {
        if (offset > size_ || size_ - offset < out.size()) return false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(out.data(), static_cast<std::streamsize>(out.size()));
        return static_cast<size_t>(in_.gcount()) == out.size();
    }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

constexpr uint64_t kMaxNoteSize = 64 * 1024;
constexpr uint64_t kMaxNameTable = 1024 * 1024;
constexpr uint32_t SHT_NOBITS = 8;

// The block inside the section's notes: the first note named "Sprallion" of our type.
std::optional<VersionBlock> BlockOfNotes(std::string_view notes) {
    while (notes.size() >= 12) {
        const uint64_t nameSize = Le(notes.data(), 4);
        const uint64_t descSize = Le(notes.data() + 4, 4);
        const uint64_t type = Le(notes.data() + 8, 4);
        const uint64_t namePadded = (nameSize + 3) / 4 * 4;
        const uint64_t descPadded = (descSize + 3) / 4 * 4;
        const uint64_t rest = notes.size() - 12;
        if (namePadded > rest || descSize > rest - namePadded) return std::nullopt;
        const std::string_view name = notes.substr(12, nameSize);
        const std::string_view desc = notes.substr(12 + namePadded, descSize);
        if (name == kNoteName && type == kNoteType) return DecodeVersionBlock(desc);
        if (descPadded > rest - namePadded) return std::nullopt;
        notes.remove_prefix(12 + namePadded + descPadded);
    }
    return std::nullopt;
}

}  // namespace

std::string VersionBlock::Find(std::string_view name) const {
    for (const auto& [n, v] : strings)
        if (n == name) return v;
    return {};
}

namespace {
std::vector<NoteString> Views(const VersionBlock& block) {
    std::vector<NoteString> views;
    views.reserve(block.strings.size());
    for (const auto& [n, v] : block.strings) views.push_back({n, v});
    return views;
}
NoteFixed Fixed(const VersionBlock& block) {
    return {block.signature, block.numbers[0], block.numbers[1], block.numbers[2], block.numbers[3],
            block.flags,     block.translation};
}
}  // namespace

std::string EncodeVersionBlock(const VersionBlock& block) {
    std::string out;
    const auto views = Views(block);
    WriteBlock([&](char c) { out.push_back(c); }, Fixed(block), views);
    return out;
}

std::string EncodeVersionNote(const VersionBlock& block) {
    std::string out;
    const auto views = Views(block);
    WriteNote([&](char c) { out.push_back(c); }, Fixed(block), views);
    return out;
}

std::optional<VersionBlock> DecodeVersionBlock(std::string_view bytes) {
    Cursor in(bytes);
    VersionBlock block;
    block.signature = in.U32();
    if (!in.ok() || block.signature != kSignature) return std::nullopt;
    for (auto& n : block.numbers) n = static_cast<uint16_t>(in.U16());
    block.flags = in.U32();
    block.translation = in.Text();
    const uint32_t count = in.U16();
    for (uint32_t i = 0; in.ok() && i < count; ++i) {
        std::string name = in.Text();
        std::string value = in.Text();
        if (in.ok()) block.strings.emplace_back(std::move(name), std::move(value));
    }
    if (!in.ok() || !in.AtEnd()) return std::nullopt;
    return block;
}

std::optional<std::string> FindElfSection(ImageSource& image, std::string_view name,
                                          uint64_t maxSize) {
    char header[64];
    if (!image.Read(0, header)) return std::nullopt;
    // Magic, 64-bit class, little-endian data, current version.
    if (std::string_view(header, 4) != "\x7F" "ELF" || header[4] != 2 || header[5] != 1 || header[6] != 1)
        return std::nullopt;
    const uint64_t shoff = Le(header + 0x28, 8);
    const uint64_t shentsize = Le(header + 0x3A, 2);
    const uint64_t shnum = Le(header + 0x3C, 2);
    const uint64_t shstrndx = Le(header + 0x3E, 2);
    if (shentsize < 64 || shnum == 0 || shstrndx >= shnum) return std::nullopt;
    const uint64_t size = image.Size();
    if (shoff > size || (size - shoff) / shentsize < shnum) return std::nullopt;

    struct Section {
        uint32_t name, type;
        uint64_t offset, size;
    };
    auto section = [&](uint64_t index) -> std::optional<Section> {
        char entry[64];
        if (!image.Read(shoff + index * shentsize, entry)) return std::nullopt;
        return Section{static_cast<uint32_t>(Le(entry, 4)), static_cast<uint32_t>(Le(entry + 4, 4)),
                       Le(entry + 0x18, 8), Le(entry + 0x20, 8)};
    };
    auto contents = [&](const Section& s, uint64_t limit) -> std::optional<std::string> {
        if (s.type == SHT_NOBITS || s.size > limit) return std::nullopt;
        if (s.offset > size || size - s.offset < s.size) return std::nullopt;
        std::string bytes(s.size, '\0');
        if (!image.Read(s.offset, bytes)) return std::nullopt;
        return bytes;
    };

    const auto names = section(shstrndx);
    if (!names) return std::nullopt;
    const auto table = contents(*names, kMaxNameTable);
    if (!table) return std::nullopt;
    for (uint64_t i = 0; i < shnum; ++i) {
        const auto s = section(i);
        if (!s) return std::nullopt;
        if (s->name >= table->size()) continue;
        const size_t end = table->find('\0', s->name);
        if (end == std::string::npos) continue;
        if (std::string_view(*table).substr(s->name, end - s->name) == name) return contents(*s, maxSize);
    }
    return std::nullopt;
}

namespace {
std::optional<VersionBlock> ReadFrom(ImageSource& image) {
    const auto notes = FindElfSection(image, kSectionName, kMaxNoteSize);
    if (!notes) return std::nullopt;
    return BlockOfNotes(*notes);
}
}  // namespace

std::optional<VersionBlock> ReadVersionBlock(std::string_view image) {
    MemorySource source(image);
    return ReadFrom(source);
}

std::optional<VersionBlock> ReadFileVersionBlock(const std::string& fileName) {
    FileSource source(fileName);
    if (!source.IsOpen()) return std::nullopt;
    return ReadFrom(source);
}

}  // namespace platform::version
