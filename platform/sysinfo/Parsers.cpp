// The text parsers of the system facts: kernel release, /proc/cpuinfo, /proc/meminfo,
// /proc/self/status and os-release. Every number is bounded; nothing is trusted.
#include <limits>

#include "platform/sysinfo/SysInfo.h"

namespace platform::sysinfo {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Calls line(text) for every line of text.
template <class F> void ForEachLine(std::string_view text, F&& line) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        line(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// Leading decimal digits of s as a value no larger than limit; false when there are none or
// the value exceeds the limit. `used` is the count of digits read.
bool Decimal(std::string_view s, uint64_t limit, uint64_t& value, size_t* used = nullptr) {
    value = 0;
    size_t i = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(s[i] - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    if (used) *used = i;
    return i > 0;
}

// "name : value" or "Name: value"; false when the line has no colon.
bool Field(std::string_view line, std::string_view& name, std::string_view& value) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    name = Trim(line.substr(0, colon));
    value = Trim(line.substr(colon + 1));
    return true;
}

// A "<number> kB" field in bytes, saturating rather than wrapping.
bool Kilobytes(std::string_view value, uint64_t& bytes) {
    uint64_t kb = 0;
    if (!Decimal(value, std::numeric_limits<uint64_t>::max(), kb)) return false;
    bytes = kb > std::numeric_limits<uint64_t>::max() / 1024 ? std::numeric_limits<uint64_t>::max() : kb * 1024;
    return true;
}

int SmallNumber(std::string_view value) {
    uint64_t v = 0;
    size_t used = 0;
    if (!Decimal(value, 1000000, v, &used) || used != value.size()) return -1;
    return static_cast<int>(v);
}

}  // namespace

KernelVersion ParseKernelRelease(std::string_view release) {
    KernelVersion v;
    int* parts[3] = {&v.Major, &v.Minor, &v.Build};
    size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (i >= release.size() || release[i] != '.' || i + 1 >= release.size() || release[i + 1] < '0' ||
                release[i + 1] > '9')
                break;
            ++i;
        }
        uint64_t n = 0;
        size_t used = 0;
        if (!Decimal(release.substr(i), 0x7FFFFFFF, n, &used)) break;
        *parts[k] = static_cast<int>(n);
        i += used;
    }
    v.Rest.assign(release.substr(i));
    return v;
}

CpuInfo ParseCpuInfo(std::string_view text) {
    CpuInfo info;
    bool family = false, model = false, stepping = false, modelName = false;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view name, value;
        if (!Field(line, name, value)) return;
        if (name == "processor") {
            if (info.Processors < 1000000) ++info.Processors;
        } else if (name == "cpu family" && !family) {
            family = true;
            info.Family = SmallNumber(value);
        } else if (name == "model" && !model) {
            model = true;
            info.Model = SmallNumber(value);
        } else if (name == "stepping" && !stepping) {
            stepping = true;
            info.Stepping = SmallNumber(value);
        } else if (name == "model name" && !modelName) {
            modelName = true;
            info.ModelName.assign(value.substr(0, 256));
        }
    });
    return info;
}

MemInfo ParseMemInfo(std::string_view text) {
    MemInfo m;
    uint64_t memFree = 0, buffers = 0, cached = 0;
    bool available = false;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view name, value;
        if (!Field(line, name, value)) return;
        uint64_t bytes = 0;
        if (!Kilobytes(value, bytes)) return;
        if (name == "MemTotal") {
            m.TotalPhys = bytes;
            m.Valid = true;
        } else if (name == "MemAvailable") {
            m.AvailPhys = bytes;
            available = true;
        } else if (name == "MemFree") {
            memFree = bytes;
        } else if (name == "Buffers") {
            buffers = bytes;
        } else if (name == "Cached") {
            cached = bytes;
        } else if (name == "SwapTotal") {
            m.TotalSwap = bytes;
        } else if (name == "SwapFree") {
            m.FreeSwap = bytes;
        }
    });
    if (!available) {
        // Kernels before 3.14: what is free plus what the caches would give back.
        const uint64_t max = std::numeric_limits<uint64_t>::max();
        uint64_t sum = memFree;
        sum = buffers > max - sum ? max : sum + buffers;
        sum = cached > max - sum ? max : sum + cached;
        m.AvailPhys = sum;
    }
    if (m.AvailPhys > m.TotalPhys) m.AvailPhys = m.TotalPhys;
    if (m.FreeSwap > m.TotalSwap) m.FreeSwap = m.TotalSwap;
    return m;
}

std::map<std::string, std::string> ParseOsRelease(std::string_view text) {
    std::map<std::string, std::string> values;
    ForEachLine(text, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') return;
        const size_t eq = line.find('=');
        if (eq == 0 || eq == std::string_view::npos) return;
        const std::string_view key = line.substr(0, eq);
        for (char c : key)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return;
        std::string_view raw = line.substr(eq + 1);
        std::string value;
        if (!raw.empty() && (raw.front() == '"' || raw.front() == '\'')) {
            const char quote = raw.front();
            size_t i = 1;
            bool closed = false;
            for (; i < raw.size(); ++i) {
                char c = raw[i];
                if (c == quote) {
                    closed = true;
                    break;
                }
                if (quote == '"' && c == '\\' && i + 1 < raw.size()) c = raw[++i];
                value.push_back(c);
            }
            if (!closed) return;  // an unterminated quote: the line is not read
        } else {
            value.assign(raw);
        }
        values[std::string(key)] = std::move(value);
    });
    return values;
}

uint64_t ParseVmSize(std::string_view text) {
    uint64_t size = 0;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view name, value;
        if (Field(line, name, value) && name == "VmSize") Kilobytes(value, size);
    });
    return size;
}

}  // namespace platform::sysinfo
