#include "platform/sysinfo/SysInfo.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace platform::sysinfo {
namespace {

uint64_t SteadyNs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

uint64_t TimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return SteadyNs() / 1000;  // no readable counter: one count per microsecond
#endif
}

uint64_t ProcessAddressSpace() {
    // The user half of the address space, unless a limit makes it smaller.
    uint64_t total = sizeof(void*) >= 8 ? (uint64_t{1} << 47) : (uint64_t{1} << 32);
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < total)
        total = limit.rlim_cur;
    return total;
}

// Raises the calling thread to the highest real-time priority for its life, when allowed.
class RaisedPriority {
public:
    RaisedPriority() {
        if (pthread_getschedparam(pthread_self(), &policy_, &param_) != 0) return;
        sched_param top{};
        top.sched_priority = sched_get_priority_max(SCHED_FIFO);
        raised_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &top) == 0;
    }
    ~RaisedPriority() {
        if (raised_) pthread_setschedparam(pthread_self(), policy_, &param_);
    }
    RaisedPriority(const RaisedPriority&) = delete;
    RaisedPriority& operator=(const RaisedPriority&) = delete;

private:
    int policy_ = SCHED_OTHER;
    sched_param param_{};
    bool raised_ = false;
};

struct LanguageRow {
    const char* language;
    const char* country;  // nullptr: any country not listed before
    uint16_t id;
};

constexpr LanguageRow kLanguages[] = {
    {"ru", nullptr, 0x419}, {"uk", nullptr, 0x422}, {"be", nullptr, 0x423}, {"bg", nullptr, 0x402},
    {"kk", nullptr, 0x43F}, {"de", "AT", 0xC07},    {"de", "CH", 0x807},    {"de", nullptr, 0x407},
    {"en", "GB", 0x809},    {"en", "AU", 0xC09},    {"en", "CA", 0x1009},   {"en", nullptr, 0x409},
    {"fr", "BE", 0x80C},    {"fr", "CA", 0xC0C},    {"fr", "CH", 0x100C},   {"fr", nullptr, 0x40C},
    {"es", "MX", 0x80A},    {"es", nullptr, 0xC0A}, {"it", nullptr, 0x410}, {"pl", nullptr, 0x415},
    {"cs", nullptr, 0x405}, {"sk", nullptr, 0x41B}, {"hu", nullptr, 0x40E}, {"ro", nullptr, 0x418},
    {"hr", nullptr, 0x41A}, {"sl", nullptr, 0x424}, {"sr", nullptr, 0xC1A}, {"nl", nullptr, 0x413},
    {"pt", "BR", 0x416},    {"pt", nullptr, 0x816}, {"sv", nullptr, 0x41D}, {"fi", nullptr, 0x40B},
    {"da", nullptr, 0x406}, {"nb", nullptr, 0x414}, {"no", nullptr, 0x414}, {"tr", nullptr, 0x41F},
    {"el", nullptr, 0x408}, {"lt", nullptr, 0x427}, {"lv", nullptr, 0x426}, {"et", nullptr, 0x425},
    {"ja", nullptr, 0x411}, {"ko", nullptr, 0x412}, {"zh", "TW", 0x404},    {"zh", nullptr, 0x804},
};

}  // namespace

Source Source::System() {
    Source s;
    s.GetUname = [](Uname& u) {
        utsname raw{};
        if (::uname(&raw) != 0) return false;
        u = {raw.sysname, raw.release, raw.machine};
        return true;
    };
    s.Sysconf = [](int name) { return ::sysconf(name); };
    s.Counter = TimeStampCounter;
    s.ClockNs = SteadyNs;
    s.Sleep = [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    s.Screen = ReadSdlScreenSize;
    s.GetEnv = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    s.AddressSpace = ProcessAddressSpace;
    return s;
}

Source& Current() {
    static Source source = Source::System();
    return source;
}

std::string ReadSystemFile(const std::string& path, size_t limit) {
    std::ifstream in(Current().Root + path, std::ios::binary);
    if (!in) return {};
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

bool ReadKernelVersion(KernelVersion& version) {
    Uname u;
    if (!Current().GetUname || !Current().GetUname(u)) return false;
    version = ParseKernelRelease(u.Release);
    return true;
}

std::string OperatingSystemName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        const std::string text = ReadSystemFile(path, 64 * 1024);
        if (text.empty()) continue;
        const auto values = ParseOsRelease(text);
        if (auto it = values.find("PRETTY_NAME"); it != values.end()) return it->second;
        if (auto it = values.find("NAME"); it != values.end()) return it->second;
    }
    return {};
}

Processor ReadProcessor() {
    Processor p;
    Uname u;
    if (Current().GetUname && Current().GetUname(u)) {
        const std::string& m = u.Machine;
        if (m == "x86_64" || m == "amd64") {
            p.Architecture = 9;
            p.Type = 8664;
        } else if (m == "i386") {
            p.Architecture = 0;
            p.Type = 386;
        } else if (m == "i486") {
            p.Architecture = 0;
            p.Type = 486;
        } else if (m == "i586" || m == "i686") {
            p.Architecture = 0;
            p.Type = 586;
        } else if (m == "aarch64" || m == "arm64") {
            p.Architecture = 12;
        } else if (m.rfind("arm", 0) == 0) {
            p.Architecture = 5;
        }
    }
    p.Info = ParseCpuInfo(ReadSystemFile("/proc/cpuinfo"));
    long count = Current().Sysconf ? Current().Sysconf(_SC_NPROCESSORS_ONLN) : -1;
    if (count <= 0) count = p.Info.Processors;
    p.Count = static_cast<uint16_t>(count < 0 ? 0 : count > 0xFFFF ? 0xFFFF : count);
    return p;
}

MemInfo ReadMemory() { return ParseMemInfo(ReadSystemFile("/proc/meminfo")); }

AddressSpace ReadAddressSpace() {
    AddressSpace a;
    a.Total = Current().AddressSpace ? Current().AddressSpace() : 0;
    a.Used = ParseVmSize(ReadSystemFile("/proc/self/status"));
    if (a.Used > a.Total) a.Used = a.Total;
    return a;
}

double MeasureProcessorMHz() {
    Source& s = Current();
    if (!s.Counter || !s.ClockNs || !s.Sleep) return 0;
    // The rate is the counter's difference over the clock's own measured time, read in
    // nanoseconds: a short window is as exact as a long one, and the game's start waits for it.
    RaisedPriority priority;
    s.Sleep(kClockSettleMs);
    const uint64_t c0 = s.Counter();
    const uint64_t t0 = s.ClockNs();
    s.Sleep(kClockWindowMs);
    const uint64_t c1 = s.Counter();
    const uint64_t t1 = s.ClockNs();
    if (t1 <= t0) return 0;
    return static_cast<double>(c1 - c0) / (static_cast<double>(t1 - t0) / 1000.0);
}

bool ReadScreenSize(ScreenSize& size) { return Current().Screen && Current().Screen(size); }

uint16_t LanguageIdOfLocale(std::string_view locale) {
    const size_t end = locale.find_first_of(".@");
    const std::string_view name = locale.substr(0, end);
    const size_t underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view country = underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
    for (const LanguageRow& row : kLanguages)
        if (language == row.language && (!row.country || country == row.country)) return row.id;
    return 0x409;  // "C", "POSIX" and everything not known
}

uint16_t UserLanguageId() {
    Source& s = Current();
    if (!s.GetEnv) return 0x409;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = s.GetEnv(name);
        if (!value.empty()) return LanguageIdOfLocale(value);
    }
    return 0x409;
}

uint16_t SystemLanguageId() {
    for (const char* file : {"/etc/locale.conf", "/etc/default/locale"}) {
        const auto values = ParseOsRelease(ReadSystemFile(file, 64 << 10));
        if (const auto it = values.find("LANG"); it != values.end() && !it->second.empty())
            return LanguageIdOfLocale(it->second);
    }
    Source& s = Current();
    const std::string value = s.GetEnv ? s.GetEnv("LANG") : std::string();
    return value.empty() ? uint16_t{0x409} : LanguageIdOfLocale(value);
}

uint16_t CodePageOfLanguage(uint16_t languageId) {
    switch (languageId & 0x3FF) {
        case 0x19: case 0x22: case 0x23: case 0x02: case 0x3F: return 1251;
        case 0x15: case 0x05: case 0x1B: case 0x0E: case 0x18: case 0x24: return 1250;
        case 0x1A: return languageId == 0xC1A ? 1251 : 1250;  // Serbian Cyrillic, Croatian
        case 0x08: return 1253;
        case 0x1F: return 1254;
        case 0x27: case 0x26: case 0x25: return 1257;
        case 0x11: return 932;
        case 0x12: return 949;
        case 0x04: return languageId == 0x404 ? 950 : 936;
        default: return 1252;
    }
}

}  // namespace platform::sysinfo
