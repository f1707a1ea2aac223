#include "tools/datagen/Elf.h"

#include <cstdint>

namespace datagen {

namespace {
void Put(std::string& out, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutAt(std::string& out, size_t at, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Align(std::string& out, size_t to) {
    while (out.size() % to) out.push_back('\0');
}
}  // namespace

std::string MinimalElf(const std::vector<ElfSection>& sections) {
    // Section 0 is the null section; then the given ones; the name table comes last.
    std::string names(1, '\0');
    std::vector<uint32_t> nameOffsets;
    for (const auto& s : sections) {
        nameOffsets.push_back(static_cast<uint32_t>(names.size()));
        names += s.name;
        names.push_back('\0');
    }
    const uint32_t namesName = static_cast<uint32_t>(names.size());
    names += ".shstrtab";
    names.push_back('\0');

    std::string out(64, '\0');
    out.replace(0, 4, "\x7F" "ELF");
    out[4] = 2;  // 64-bit
    out[5] = 1;  // little-endian
    out[6] = 1;  // version
    PutAt(out, 0x10, 1, 2);     // relocatable
    PutAt(out, 0x12, 62, 2);    // x86-64
    PutAt(out, 0x14, 1, 4);
    PutAt(out, 0x34, 64, 2);    // header size
    PutAt(out, 0x3A, 64, 2);    // section header size

    std::vector<uint64_t> offsets;
    for (const auto& s : sections) {
        Align(out, 8);
        offsets.push_back(out.size());
        out += s.bytes;
    }
    const uint64_t namesOffset = out.size();
    out += names;
    Align(out, 8);

    const uint64_t shoff = out.size();
    const uint16_t count = static_cast<uint16_t>(sections.size() + 2);
    PutAt(out, 0x28, shoff, 8);
    PutAt(out, 0x3C, count, 2);
    PutAt(out, 0x3E, count - 1, 2);
    auto header = [&](uint32_t name, uint32_t type, uint64_t offset, uint64_t size, uint64_t align) {
        Put(out, name, 4);
        Put(out, type, 4);
        Put(out, 0, 8);  // flags
        Put(out, 0, 8);  // address
        Put(out, offset, 8);
        Put(out, size, 8);
        Put(out, 0, 4);  // link
        Put(out, 0, 4);  // info
        Put(out, align, 8);
        Put(out, 0, 8);  // entry size
    };
    header(0, 0, 0, 0, 0);
    for (size_t i = 0; i < sections.size(); ++i)
        header(nameOffsets[i], sections[i].type, offsets[i], sections[i].bytes.size(), 4);
    header(namesName, 3, namesOffset, names.size(), 1);
    return out;
}

std::string ElfWithVersionNote(const std::string& note) {
    return MinimalElf({{".text", std::string(16, '\xC3')}, {".note.sprallion.version", note, 7}});
}

}  // namespace datagen
