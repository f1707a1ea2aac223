// Version information of files as the engine reports it, and keyboard layout names.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/gpUtils.h"
#include "platform/registry/Registry.h"
#include "platform/version/VersionBlock.h"
#include "tests/TempDir.h"
#include "tools/datagen/Elf.h"

namespace {

using namespace engine;
namespace version = platform::version;

std::string ElfWith(const version::VersionBlock& block) {
    return datagen::ElfWithVersionNote(version::EncodeVersionNote(block));
}

version::VersionBlock DirectXLike() {
    version::VersionBlock block;
    block.numbers = {4, 7, 0, 700};
    block.translation = "040904E4";
    return block;
}

TEST(FileVersion, OwnProgramAndFilesWithoutVersion) {
    const auto own = FileVersion4("/proc/self/exe");
    const std::string text = std::to_string(own[0]) + "." + std::to_string(own[1]) + "." + std::to_string(own[2]);
    EXPECT_EQ(text, SPRALLION_VERSION);
    EXPECT_EQ(own[3], 0);

    TempDir dir;
    const std::array<int16_t, 4> none{-1, -1, -1, -1};
    dir.Write("data.bin", "just some data");
    dir.Write("short.so", ElfWith(DirectXLike()).substr(0, 100));
    dir.Write("other.exe", "MZ\x90\0\3\0\0\0");
    EXPECT_EQ(FileVersion4(dir.File("data.bin")), none);
    EXPECT_EQ(FileVersion4(dir.File("short.so")), none);
    EXPECT_EQ(FileVersion4(dir.File("other.exe")), none);
    EXPECT_EQ(FileVersion4(dir.File("missing")), none);
    EXPECT_EQ(FormattedFileVersion(dir.File("data.bin")), "");

    // Numbers above 32767 keep their bits in the signed fields.
    version::VersionBlock big = DirectXLike();
    big.numbers = {5, 0, 65535, 40000};
    dir.Write("big.so", ElfWith(big));
    EXPECT_EQ(FileVersion4(dir.File("big.so")), (std::array<int16_t, 4>{5, 0, -1, -25536}));
}

TEST(FileVersion, FormattedAsTheMediaLibrariesReportIt) {
    TempDir dir;
    dir.Write("DDraw.dll", ElfWith(DirectXLike()));
    EXPECT_EQ(FormattedFileVersion(dir.File("DDraw.dll")), "4.07.00.0700");
    version::VersionBlock wide = DirectXLike();
    wide.numbers = {10, 123, 5, 12345};
    dir.Write("wide.dll", ElfWith(wide));
    EXPECT_EQ(FormattedFileVersion(dir.File("wide.dll")), "10.123.05.12345");
    // No such libraries lie beside our programs.
    EXPECT_EQ(DirectDrawVersion(), "");
    EXPECT_EQ(DirectSoundVersion(), "");
    EXPECT_EQ(DirectInputVersion(), "");
}

TEST(FileVersion, ReadAndDescribe) {
    version::VersionBlock block = DirectXLike();
    block.flags = version::VS_FF_DEBUG | version::VS_FF_PRERELEASE | version::VS_FF_PRIVATEBUILD |
                  version::VS_FF_SPECIALBUILD;
    block.strings = {{"CompanyName", "Quorvex"},        {"FileDescription", "Game"},
                     {"FileVersion", "4.7.0.700"},      {"InternalName", "game"},
                     {"LegalCopyright", "(C)"},         {"ProductName", "Sprallion"},
                     {"ProductVersion", "4.7"},         {"Comments", "none"},
                     {"ProductDescription", "arcade"},  {"LegalTrademark", "TM"}};
    TempDir dir;
    dir.Write("game.so", ElfWith(block));

    TFileVersionInfo info;
    rtl::StringList lines;
    ASSERT_TRUE(ReadFileVersionInfo(dir.File("game.so"), true, info, &lines));
    EXPECT_EQ(info.CompanyName, "Quorvex");
    EXPECT_EQ(info.Locale, "040904E4");
    const std::vector<std::string> expected = {
        "Signature (should be invariably 0xFEEFO4BD): 0xFEEF04BD",
        "Major version number: 4", "Minor version number: 7", "Release version number: 0",
        "Build version number: 700", "Debug info included", "Pre-release (beta) version",
        "Private Build", "Special Build", "File Description: Game", "File Version: 4.7.0.700",
        "Internal Name: game", "Legal Copyright: (C)", "Product Name: Sprallion",
        "Product Version: 4.7", "Comments: none", "Product Description: arcade",
        "Legal Trademark: TM", "Locale: 040904E4"};
    ASSERT_EQ(lines.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < lines.Count(); ++i) EXPECT_EQ(lines[i], expected[i]);

    // Flags only when set; without describe nothing is written.
    block.flags = version::VS_FF_PRERELEASE;
    dir.Write("beta.so", ElfWith(block));
    rtl::StringList quiet;
    ASSERT_TRUE(ReadFileVersionInfo(dir.File("beta.so"), false, info, &quiet));
    EXPECT_EQ(quiet.Count(), 0);
    EXPECT_TRUE(info.PreRelease);
    EXPECT_FALSE(info.DebugInfo);
    DescribeFileVersion(info, quiet);
    EXPECT_EQ(quiet.Count(), static_cast<int>(expected.size()) - 3);
    EXPECT_EQ(quiet[5], "Pre-release (beta) version");

    // A file without version information answers false and leaves nothing of the last one.
    dir.Write("plain", "data");
    EXPECT_FALSE(ReadFileVersionInfo(dir.File("plain"), true, info, &lines));
    EXPECT_EQ(info.ProductName, "");
    EXPECT_EQ(info.MajorVersion, 0);
}

class KeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("SPRALLION_REGISTRY", dir_.File("registry").c_str(), 1); }
    void TearDown() override { ::unsetenv("SPRALLION_REGISTRY"); }
    TempDir dir_;
};

TEST_F(KeyboardLayoutTest, NameFromTheSystemKey) {
    EXPECT_EQ(KeyboardLayoutName("409"), "");  // no registry at all yet
    platform::registry::Registry registry(platform::registry::RootKey::HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey("System\\CurrentControlSet\\Control\\Keyboard Layouts\\00000409", true));
    registry.WriteString("Layout Text", "US");
    ASSERT_TRUE(registry.OpenKey("\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\00000419", true));
    registry.WriteInteger("layout text", 7);  // a value of another type names nothing

    EXPECT_EQ(KeyboardLayoutName("409"), "US");
    EXPECT_EQ(KeyboardLayoutName("00000409"), "US");
    EXPECT_EQ(KeyboardLayoutName("419"), "");
    EXPECT_EQ(KeyboardLayoutName("407"), "");
}

}  // namespace
