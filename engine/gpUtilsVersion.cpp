// Version information of files, and the names of keyboard layouts.
#include <filesystem>
#include <system_error>

#include "engine/gpUtils.h"
#include "platform/registry/Registry.h"
#include "platform/version/VersionBlock.h"
#include "rtl/Format.h"

namespace engine {

namespace {

namespace version = platform::version;

// The folder of the running program.
std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : exe.parent_path();
}

std::string VersionBeside(const char* name) {
    const auto folder = ProgramFolder();
    if (folder.empty()) return {};
    return FormattedFileVersion((folder / name).string());
}

std::string Hex8(uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s(8, '0');
    for (int i = 7; i >= 0; --i, v >>= 4) s[i] = digits[v & 0xF];
    return s;
}

}  // namespace

std::array<int16_t, 4> FileVersion4(const std::string& fileName) {
    const auto block = version::ReadFileVersionBlock(fileName);
    if (!block) return {-1, -1, -1, -1};
    std::array<int16_t, 4> numbers{};
    for (size_t i = 0; i < 4; ++i) numbers[i] = static_cast<int16_t>(block->numbers[i]);
    return numbers;
}

std::string FormattedFileVersion(const std::string& fileName) {
    const auto block = version::ReadFileVersionBlock(fileName);
    if (!block) return {};
    const auto& n = block->numbers;
    return rtl::Format("%D.%0.2D.%0.2D.%0.4D", {n[0], n[1], n[2], n[3]});
}

std::string DirectDrawVersion() { return VersionBeside("DDraw.dll"); }
std::string DirectSoundVersion() { return VersionBeside("DSound.dll"); }
std::string DirectInputVersion() { return VersionBeside("DInput.dll"); }

bool ReadFileVersionInfo(const std::string& fileName, bool describe, TFileVersionInfo& info,
                         rtl::StringList* lines) {
    info = TFileVersionInfo{};
    const auto block = version::ReadFileVersionBlock(fileName);
    if (!block) return false;
    info.Signature = block->signature;
    info.MajorVersion = static_cast<int16_t>(block->numbers[0]);
    info.MinorVersion = static_cast<int16_t>(block->numbers[1]);
    info.ReleaseVersion = static_cast<int16_t>(block->numbers[2]);
    info.BuildVersion = static_cast<int16_t>(block->numbers[3]);
    info.DebugInfo = block->flags & version::VS_FF_DEBUG;
    info.PreRelease = block->flags & version::VS_FF_PRERELEASE;
    info.PrivateBuild = block->flags & version::VS_FF_PRIVATEBUILD;
    info.SpecialBuild = block->flags & version::VS_FF_SPECIALBUILD;
    info.Locale = block->translation;
    info.CompanyName = block->Find("CompanyName");
    info.FileDescription = block->Find("FileDescription");
    info.FileVersion = block->Find("FileVersion");
    info.InternalName = block->Find("InternalName");
    info.LegalCopyright = block->Find("LegalCopyright");
    info.ProductName = block->Find("ProductName");
    info.ProductVersion = block->Find("ProductVersion");
    info.Comments = block->Find("Comments");
    info.ProductDescription = block->Find("ProductDescription");
    info.LegalTrademark = block->Find("LegalTrademark");
    if (describe && lines) DescribeFileVersion(info, *lines);
    return true;
}

void DescribeFileVersion(const TFileVersionInfo& info, rtl::StringList& lines) {
    auto line = [&](std::string_view label, std::string_view value) {
        lines.Add(std::string(label) + std::string(value));
    };
    line("Signature (should be invariably 0xFEEFO4BD): ", "0x" + Hex8(info.Signature));
    line("Major version number: ", std::to_string(info.MajorVersion));
    line("Minor version number: ", std::to_string(info.MinorVersion));
    line("Release version number: ", std::to_string(info.ReleaseVersion));
    line("Build version number: ", std::to_string(info.BuildVersion));
    if (info.DebugInfo) lines.Add("Debug info included");
    if (info.PreRelease) lines.Add("Pre-release (beta) version");
    if (info.PrivateBuild) lines.Add("Private Build");
    if (info.SpecialBuild) lines.Add("Special Build");
    line("File Description: ", info.FileDescription);
    line("File Version: ", info.FileVersion);
    line("Internal Name: ", info.InternalName);
    line("Legal Copyright: ", info.LegalCopyright);
    line("Product Name: ", info.ProductName);
    line("Product Version: ", info.ProductVersion);
    line("Comments: ", info.Comments);
    line("Product Description: ", info.ProductDescription);
    line("Legal Trademark: ", info.LegalTrademark);
    line("Locale: ", info.Locale);
}

std::string KeyboardLayoutName(std::string_view code) {
    std::string padded(code);
    if (padded.size() < 8) padded.insert(0, 8 - padded.size(), '0');
    try {
        platform::registry::Registry registry(platform::registry::RootKey::HKEY_LOCAL_MACHINE);
        if (!registry.OpenKeyReadOnly("System\\CurrentControlSet\\Control\\Keyboard Layouts\\" + padded))
            return {};
        return registry.ReadString("layout text");
    } catch (const platform::registry::ERegistryException&) {
        return {};  // an unreadable registry or a value of another type: no name known
    }
}

}  // namespace engine
