// A minimal 64-bit little-endian ELF file: the file header, the given sections and the section
// name table, with no program headers — what a reader of sections sees in a real object.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct ElfSection {
    std::string name;
    std::string bytes;
    uint32_t type = 1;  // SHT_PROGBITS; 7 is SHT_NOTE
};

std::string MinimalElf(const std::vector<ElfSection>& sections);

// An ELF file whose ".note.sprallion.version" section holds the given version note.
std::string ElfWithVersionNote(const std::string& note);

}  // namespace datagen
