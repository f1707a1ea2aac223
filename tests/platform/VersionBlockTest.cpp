// The version block: our own programs carry it; the ELF and block readers refuse every damaged
// shape without reading outside the bytes they were given.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/version/VersionBlock.h"
#include "tools/datagen/Elf.h"

namespace {

using namespace platform::version;

VersionBlock Sample() {
    VersionBlock block;
    block.numbers = {4, 7, 0, 700};
    block.flags = VS_FF_DEBUG | VS_FF_SPECIALBUILD;
    block.translation = "040904E4";
    block.strings = {{"CompanyName", "Quorvex"}, {"Comments", ""}, {"ProductName", "Sprallion"}};
    return block;
}

void PutU32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(VersionBlock, OwnProgramCarriesTheProjectVersion) {
    const auto block = ReadFileVersionBlock("/proc/self/exe");
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->signature, kSignature);
    const std::string expected = SPRALLION_VERSION;  // "major.minor.release"
    const std::string actual = std::to_string(block->numbers[0]) + "." + std::to_string(block->numbers[1]) +
                               "." + std::to_string(block->numbers[2]);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(block->numbers[3], 0);
    EXPECT_EQ(block->translation, "040904E4");
    EXPECT_EQ(block->Find("ProductName"), "Sprallion");
    EXPECT_EQ(block->Find("InternalName"), "test_platform");
    EXPECT_EQ(block->Find("ProductVersion"), expected);
    for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                             "ProductName", "ProductVersion", "Comments", "ProductDescription", "LegalTrademark"}) {
        bool present = false;
        for (const auto& [n, v] : block->strings) present = present || n == name;
        EXPECT_TRUE(present) << name;
    }
}

TEST(VersionBlock, ToolsAndLibraryBesideUsCarryTheirOwn) {
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (const char* name : {"libPalvrek.so", "datagen", "regsvr"}) {
        const auto block = ReadFileVersionBlock((folder / name).string());
        ASSERT_TRUE(block.has_value()) << name;
        EXPECT_EQ(block->Find("ProductName"), "Sprallion");
        const std::string internal = name == std::string("libPalvrek.so") ? "Palvrek" : name;
        EXPECT_EQ(block->Find("InternalName"), internal);
    }
}

TEST(VersionBlock, EncodingRoundTripsAndDamageIsRefused) {
    const VersionBlock block = Sample();
    const std::string bytes = EncodeVersionBlock(block);
    EXPECT_EQ(DecodeVersionBlock(bytes), block);
    EXPECT_EQ(block.Find("Missing"), "");

    for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(DecodeVersionBlock(bytes.substr(0, n))) << n;
    EXPECT_FALSE(DecodeVersionBlock(bytes + '\0'));  // nothing may follow the last string

    std::string badSignature = bytes;
    badSignature[0] ^= 1;
    EXPECT_FALSE(DecodeVersionBlock(badSignature));

    std::string longCount = bytes;  // claims one string more than it holds
    const size_t countAt = 4 + 8 + 4 + 2 + block.translation.size();
    longCount[countAt] = static_cast<char>(block.strings.size() + 1);
    EXPECT_FALSE(DecodeVersionBlock(longCount));

    VersionBlock huge = block;
    huge.strings.push_back({"Comments", std::string(70000, 'x')});
    EXPECT_THROW(EncodeVersionBlock(huge), std::length_error);
}

TEST(VersionBlock, ElfReaderFindsTheNote) {
    const std::string note = EncodeVersionNote(Sample());
    EXPECT_EQ(note.size() % 4, 0u);
    EXPECT_EQ(ReadVersionBlock(datagen::ElfWithVersionNote(note)), Sample());

    // Behind a note of another owner, and followed by zero padding (as a linker may leave it).
    const std::string gnu("\4\0\0\0\0\0\0\0\3\0\0\0GNU\0", 16);
    EXPECT_EQ(ReadVersionBlock(datagen::ElfWithVersionNote(gnu + note + std::string(16, '\0'))), Sample());

    // A note of another name or type is not ours.
    std::string otherType = note;
    PutU32(otherType, 8, 2);
    EXPECT_FALSE(ReadVersionBlock(datagen::ElfWithVersionNote(otherType)));
    std::string otherName = note;
    otherName[12] = 's';
    EXPECT_FALSE(ReadVersionBlock(datagen::ElfWithVersionNote(otherName)));

    // Same bytes under another section name: no version information.
    EXPECT_FALSE(ReadVersionBlock(datagen::MinimalElf({{".note.other", note, 7}})));
    EXPECT_FALSE(ReadVersionBlock(datagen::MinimalElf({})));
}

TEST(VersionBlock, ElfReaderRefusesDamagedImages) {
    const std::string elf = datagen::ElfWithVersionNote(EncodeVersionNote(Sample()));
    for (size_t n = 0; n < elf.size(); ++n) EXPECT_FALSE(ReadVersionBlock(elf.substr(0, n))) << n;

    auto damaged = [&](size_t at, uint64_t value, int width) {
        std::string bytes = elf;
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return ReadVersionBlock(bytes);
    };
    EXPECT_FALSE(damaged(4, 1, 1));                    // 32-bit class
    EXPECT_FALSE(damaged(5, 2, 1));                    // big-endian
    EXPECT_FALSE(damaged(0x28, ~uint64_t(0) - 8, 8));  // section table far past the end
    EXPECT_FALSE(damaged(0x3A, 32, 2));                // section headers too small
    EXPECT_FALSE(damaged(0x3C, 0xFFFF, 2));            // more sections than the file holds
    EXPECT_FALSE(damaged(0x3E, 9, 2));                 // name table index out of range

    // The note section's header: its size and offset past the end of the file.
    const uint64_t shoff = [&] {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= uint64_t(uint8_t(elf[0x28 + i])) << (8 * i);
        return v;
    }();
    const size_t noteHeader = shoff + 2 * 64;
    EXPECT_FALSE(damaged(noteHeader + 0x20, elf.size(), 8));
    EXPECT_FALSE(damaged(noteHeader + 0x18, ~uint64_t(0) - 2, 8));
    EXPECT_FALSE(damaged(noteHeader + 4, 8, 4));         // SHT_NOBITS holds no bytes
    EXPECT_FALSE(damaged(noteHeader, 0x7FFFFFFF, 4));    // name outside the name table
    // The note's own sizes running past the section.
    const size_t noteAt = [&] {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= uint64_t(uint8_t(elf[noteHeader + 0x18 + i])) << (8 * i);
        return static_cast<size_t>(v);
    }();
    EXPECT_FALSE(damaged(noteAt + 4, 0xFFFFFFF0, 4));
    EXPECT_FALSE(damaged(noteAt, 0xFFFFFFF0, 4));

    EXPECT_FALSE(ReadVersionBlock("MZ\x90\0 a program of another system"));
}

TEST(VersionBlock, FilesWithoutTheBlock) {
    char pattern[] = "/tmp/sprallion-version-XXXXXX";
    const std::filesystem::path dir = ::mkdtemp(pattern);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    const std::string elf = datagen::ElfWithVersionNote(EncodeVersionNote(Sample()));
    EXPECT_EQ(ReadFileVersionBlock(write("good.so", elf)), Sample());
    EXPECT_FALSE(ReadFileVersionBlock(write("short.so", elf.substr(0, elf.size() - 1))));
    EXPECT_FALSE(ReadFileVersionBlock(write("data.txt", "plain data, not a program\n")));
    EXPECT_FALSE(ReadFileVersionBlock(write("empty", "")));
    EXPECT_FALSE(ReadFileVersionBlock((dir / "missing").string()));
    EXPECT_FALSE(ReadFileVersionBlock(dir.string()));  // a folder
    std::filesystem::remove_all(dir);
}

}  // namespace
