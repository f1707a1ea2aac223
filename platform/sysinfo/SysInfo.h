// Facts about the machine: kernel version and distribution name, processor, memory and
// address space, the user's language, the screen size, and a measurement of the processor's
// clock rate.
//
// Everything is read through a Source: the real one reads /proc, /etc/os-release, uname,
// sysconf, the time-stamp counter and the steady clock; tests install one that points at a
// fixture tree and replaces the calls. The parsers take text and never trust it: missing,
// repeated or absurd fields leave the value at its "unknown" default.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform::sysinfo {

struct Uname {
    std::string SysName, Release, Machine;
};

struct ScreenSize {
    int32_t Width = 0, Height = 0;
};

struct Source {
    std::string Root;                                  // prefix of /proc and /etc ("" the real ones)
    std::function<bool(Uname&)> GetUname;
    std::function<long(int name)> Sysconf;
    std::function<uint64_t()> Counter;                 // the processor's time-stamp counter
    std::function<uint64_t()> ClockNs;                 // a steady clock in nanoseconds
    std::function<void(uint32_t ms)> Sleep;
    std::function<bool(ScreenSize&)> Screen;
    std::function<std::string(const char* name)> GetEnv;  // "" when unset
    std::function<uint64_t()> AddressSpace;            // bytes the process may address

    // The running system.
    static Source System();
};

// The source every reader below uses; tests assign to it and put Source::System() back.
Source& Current();

// ---- Parsers ----

struct KernelVersion {
    int Major = 0, Minor = 0, Build = 0;
    std::string Rest;  // what follows the numbers ("-18-amd64")
};
// "6.1.0-18-amd64" gives 6, 1, 0, "-18-amd64"; numbers that are missing stay 0.
KernelVersion ParseKernelRelease(std::string_view release);

struct CpuInfo {
    int Family = -1, Model = -1, Stepping = -1;  // of the first processor; -1 unknown
    int Processors = 0;                          // "processor" lines
    std::string ModelName;
};
CpuInfo ParseCpuInfo(std::string_view text);

// Bytes; 64-bit throughout (a machine of 16 GiB or more must not wrap).
struct MemInfo {
    uint64_t TotalPhys = 0, AvailPhys = 0, TotalSwap = 0, FreeSwap = 0;
    bool Valid = false;  // MemTotal was found
};
MemInfo ParseMemInfo(std::string_view text);

// KEY=value lines; values unquoted ('…' or "…" with \ escapes in the latter).
std::map<std::string, std::string> ParseOsRelease(std::string_view text);

// VmSize of /proc/self/status in bytes; 0 when absent.
uint64_t ParseVmSize(std::string_view text);

// ---- Readers over the current source ----

// A file below the source's root, at most `limit` bytes; "" when it cannot be read.
std::string ReadSystemFile(const std::string& path, size_t limit = 1 << 20);

bool ReadKernelVersion(KernelVersion& version);
// PRETTY_NAME of os-release (/etc, then /usr/lib); "" when none.
std::string OperatingSystemName();

struct Processor {
    uint16_t Architecture = 0xFFFF;  // 0 x86, 5 ARM, 9 x86-64, 12 ARM64, 0xFFFF unknown
    uint16_t Type = 0;               // 386, 486, 586, 8664, or 0
    uint16_t Count = 0;
    CpuInfo Info;
};
Processor ReadProcessor();

struct AddressSpace {
    uint64_t Total = 0, Used = 0;
};
MemInfo ReadMemory();
AddressSpace ReadAddressSpace();

// Time-stamp counts per microsecond over a window of kClockWindowMs after a settling sleep:
// the 64-bit difference over the measured time. The measuring thread runs at the highest
// real-time priority when the system grants it (it needs privilege), else at its normal
// priority. 0 when the clock did not move.
inline constexpr uint32_t kClockSettleMs = 1, kClockWindowMs = 20;
double MeasureProcessorMHz();

bool ReadScreenSize(ScreenSize& size);
// The real source's screen: SDL's desktop mode, or 800 x 600 when there is no video.
bool ReadSdlScreenSize(ScreenSize& size);

// Windows language identifiers of a locale name ("ru_RU.UTF-8" 0x419, "de_DE" 0x407,
// "en_US" 0x409, "en_GB" 0x809, "fr_FR" 0x40C, "C" and "POSIX" 0x409); unknown ones 0x409.
uint16_t LanguageIdOfLocale(std::string_view locale);
// The user's language: the first of LC_ALL, LC_MESSAGES, LANG that is set.
uint16_t UserLanguageId();
// The system's default language: LANG of the system's locale settings (/etc/locale.conf, then
// /etc/default/locale); without them, the LANG this session was started with.
uint16_t SystemLanguageId();
// The ANSI code page that goes with a language (1251 Cyrillic, 1250 Central European, 1252 Western…).
uint16_t CodePageOfLanguage(uint16_t languageId);

}  // namespace platform::sysinfo
