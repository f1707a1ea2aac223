#include "app/SystemInfo.h"

#include <atomic>

#include "engine/gpUtils.h"
#include "platform/sysinfo/SysInfo.h"
#include "rtl/Convert.h"
#include "rtl/Format.h"

namespace app {
namespace {

namespace sys = platform::sysinfo;

std::atomic<uint32_t> lastPlatformId{0xFFFFFFFF};

std::string ProcessorName(uint16_t type) {
    switch (type) {
        case 386: return " 386";
        case 486: return " 486";
        case 586: return " Pentium";
        case 4000: return " MIPS Risc 4000";
        case 21064: return " ALPHA";
        default: return {};
    }
}

// The names the system gives the standard keyboard layout of each language, by layout number
// (the language identifier): what its table of keyboard layouts holds where the registry
// stand-in holds none.
struct KeyboardLayout {
    uint32_t id;
    const char* name;
};
constexpr KeyboardLayout kKeyboardLayouts[] = {
    {0x402, "Bulgarian"},  {0x404, "Chinese (Traditional) - US Keyboard"}, {0x405, "Czech"},
    {0x406, "Danish"},     {0x407, "German"},     {0x408, "Greek"},        {0x409, "US"},
    {0x40A, "Spanish"},    {0x40B, "Finnish"},    {0x40C, "French"},       {0x40E, "Hungarian"},
    {0x410, "Italian"},    {0x411, "Japanese"},   {0x412, "Korean"},       {0x413, "Dutch"},
    {0x414, "Norwegian"},  {0x415, "Polish (Programmers)"},                {0x416, "Portuguese (Brazilian ABNT)"},
    {0x418, "Romanian (Legacy)"},                 {0x419, "Russian"},      {0x41A, "Croatian"},
    {0x41B, "Slovak"},     {0x41D, "Swedish"},    {0x41F, "Turkish Q"},    {0x422, "Ukrainian"},
    {0x423, "Belarusian"}, {0x424, "Slovenian"},  {0x425, "Estonian"},     {0x426, "Latvian"},
    {0x427, "Lithuanian"}, {0x43F, "Kazakh"},     {0x804, "Chinese (Simplified) - US Keyboard"},
    {0x807, "Swiss German"},                      {0x809, "United Kingdom"}, {0x80A, "Latin American"},
    {0x80C, "Belgian French"},                    {0x816, "Portuguese"},   {0xC0C, "Canadian French (Legacy)"},
    {0xC1A, "Serbian (Cyrillic)"},                {0x1009, "Canadian French"}, {0x100C, "Swiss French"},
};

std::string Hex(uint32_t v, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = kDigits[v & 0xF];
    return s;
}

}  // namespace

uint32_t LastPlatformId() { return lastPlatformId.load(); }

uint32_t UsedPercent(uint64_t total, uint64_t avail) {
    if (total == 0) return 0;
    if (avail > total) avail = total;
    return 100 - static_cast<uint32_t>(static_cast<unsigned __int128>(avail) * 100 / total);
}

std::string GetWindowsName(uint32_t platformId) {
    switch (platformId) {
        case 0: return "Win32s on Windows 3.1x";
        case 1: return "Windows 95/98";
        case 2: return "Windows NT";
        default: return "Unknow";
    }
}

std::string GetKeyboardLayoutName(std::string_view code) {
    if (std::string stored = engine::KeyboardLayoutName(code); !stored.empty()) return stored;
    int32_t id = 0;
    if (code.empty() || !rtl::TryStrToInt("$" + std::string(code), id)) return {};
    for (const KeyboardLayout& layout : kKeyboardLayouts)
        if (layout.id == static_cast<uint32_t>(id)) return layout.name;
    return {};
}

void GetFileVersionText(std::string& languageCode, std::string& layoutText) {
    // The system's translation: language word and code-page word as eight hexadecimal digits,
    // of which the second to fourth are the language ("041904E3" gives "419").
    const uint16_t language = sys::SystemLanguageId();
    const std::string translation = Hex(language, 4) + Hex(sys::CodePageOfLanguage(language), 4);
    languageCode = translation.substr(1, 3);
    layoutText = GetKeyboardLayoutName(languageCode);
}

void GetSystemReport(uint8_t parts, TSystemInfo& info) {
    if (parts & kReportOS) {
        info.OSVersion.clear();
        info.OSName.clear();
        sys::KernelVersion v;
        if (sys::ReadKernelVersion(v)) {
            lastPlatformId = kPlatformLinux;
            info.OSVersion = rtl::Format("%d.%d (%d.%s)", {v.Major, v.Minor, v.Build & 0xFFFF, v.Rest});
            // Not GetWindowsName: this system's platform has no name in that table.
            info.OSName = sys::OperatingSystemName();
        }
    }
    if (parts & kReportProcessor) {
        const sys::Processor p = sys::ReadProcessor();
        info.ProcessorArchitecture = p.Architecture;
        info.ProcessorCount = p.Count;
        info.ProcessorType = p.Type;
        info.ProcessorName = ProcessorName(p.Type);
        const int model = p.Info.Model < 0 ? 0 : p.Info.Model;
        const int stepping = p.Info.Stepping < 0 ? 0 : p.Info.Stepping;
        info.ProcessorLevel =
            rtl::Format("Level %d  Rev. %d.%d", {p.Info.Family < 0 ? 0 : p.Info.Family, model, stepping});
        info.ProcessorMHz = sys::MeasureProcessorMHz();
    }
    if (parts & kReportMemory) {
        const sys::MemInfo m = sys::ReadMemory();
        const sys::AddressSpace a = sys::ReadAddressSpace();
        info.MemoryStatusSize = 64;
        info.TotalPhys = m.TotalPhys;
        info.AvailPhys = m.AvailPhys;
        info.PhysUsedPercent = UsedPercent(m.TotalPhys, m.AvailPhys);
        info.MemoryLoad = info.PhysUsedPercent;
        info.TotalPageFile = m.TotalSwap;
        info.UsedPageFile = m.TotalSwap - m.FreeSwap;
        info.PageFileUsedPercent = UsedPercent(m.TotalSwap, m.FreeSwap);
        info.TotalVirtual = a.Total;
        info.UsedVirtual = a.Used;
        info.VirtualUsedPercent = UsedPercent(a.Total, a.Total - a.Used);
    }
    if (parts & kReportLanguages) {
        info.SystemLangID = rtl::Format("%.4x", {sys::SystemLanguageId()});
        info.UserLangID = rtl::Format("%.4x", {sys::UserLanguageId()});
        GetFileVersionText(info.SystemLanguage, info.KeyboardLayoutText);
    }
}

}  // namespace app
