// The system information report: facts about the machine gathered once at start-up into one
// record (the start-up check reads the processor type, the physical memory and the language),
// and the small helpers around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

struct TSystemInfo {
    std::string OSVersion;  // "major.minor (build.rest)"
    std::string OSName;
    uint16_t ProcessorArchitecture = 0;
    uint16_t ProcessorCount = 0;
    uint16_t ProcessorType = 0;
    std::string ProcessorName;   // " 386", " 486", " Pentium", " MIPS Risc 4000", " ALPHA", else ""
    std::string ProcessorLevel;  // "Level %d  Rev. %d.%d"
    double ProcessorMHz = 0;
    // Memory in bytes, 64-bit: machines of 4 GiB and more are common.
    uint32_t MemoryStatusSize = 0;
    uint32_t MemoryLoad = 0;
    uint64_t TotalPhys = 0, AvailPhys = 0;
    uint32_t PhysUsedPercent = 0;
    uint64_t TotalPageFile = 0, UsedPageFile = 0;
    uint32_t PageFileUsedPercent = 0;
    uint64_t TotalVirtual = 0, UsedVirtual = 0;
    uint32_t VirtualUsedPercent = 0;
    std::string RegisteredOwner, RegisteredOrganization, ProductID;
    std::string SystemLanguage;  // three hexadecimal digits, "419"
    std::string KeyboardLayoutText;
    std::string SystemLangID, UserLangID;  // "%.4x"
};

// Parts of the report.
inline constexpr uint8_t kReportOS = 1, kReportProcessor = 2, kReportMemory = 4, kReportOwner = 8,
                         kReportLanguages = 16, kReportAll = 31;

// The platform identifiers of GetWindowsName; this system has its own, outside them.
inline constexpr uint32_t kPlatformLinux = 0x10;
// The platform identifier of the last report's operating-system part.
uint32_t LastPlatformId();

// Fills the parts of `info` the mask names; the others are left alone. Nothing raises.
// The registered-owner part (8) exists on the Windows platforms 1 and 2 only: here its fields
// stay empty and no registry is opened.
void GetSystemReport(uint8_t parts, TSystemInfo& info);
// 0 "Win32s on Windows 3.1x", 1 "Windows 95/98", 2 "Windows NT", anything else "Unknow".
std::string GetWindowsName(uint32_t platformId);
// The display name of a keyboard layout by its hexadecimal number ("419", "00000419"): the
// system's table of layouts (the registry's "Keyboard Layouts"), else the standard name of
// the language's own layout; "" for a layout of neither.
std::string GetKeyboardLayoutName(std::string_view code);
// The system's language (its locale settings, not the user's) as three hexadecimal digits,
// and its keyboard layout's name.
void GetFileVersionText(std::string& languageCode, std::string& layoutText);
// 100 - avail * 100 / total without overflow; 0 when total is 0.
uint32_t UsedPercent(uint64_t total, uint64_t avail);

}  // namespace app
