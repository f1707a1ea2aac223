// Seeds of the version block reader: small ELF files carrying a note, and the damaged shapes
// the reader must refuse.
#include "platform/version/VersionBlock.h"
#include "tools/datagen/Elf.h"
#include "tools/datagen/Seeds.h"

namespace {

platform::version::VersionBlock SampleBlock() {
    platform::version::VersionBlock block;
    block.numbers = {1, 1, 0, 0};
    block.flags = platform::version::VS_FF_PRERELEASE;
    block.translation = "040904E4";
    block.strings = {{"CompanyName", "Quorvex"}, {"ProductName", "Sprallion"}, {"ProductVersion", "1.1.0"}};
    return block;
}

const datagen::SeedWriter seeds("fuzz_version_block", [](const datagen::SeedSink& put) {
    const std::string note = platform::version::EncodeVersionNote(SampleBlock());
    const std::string elf = datagen::ElfWithVersionNote(note);
    put("elf_with_note", elf);
    put("elf_truncated", elf.substr(0, elf.size() - 40));
    put("elf_without_note", datagen::MinimalElf({{".text", "\xC3"}}));
    put("two_notes", datagen::MinimalElf({{".note.sprallion.version",
                                           std::string("\4\0\0\0\0\0\0\0\3\0\0\0GNU\0", 16) + note, 7}}));
    put("not_elf", "MZ this is no ELF file");
});

}  // namespace
