
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "engine/gpUtils.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"

namespace engine {

std::string ReadLenString(rtl::Stream& stream) {
    const int32_t len = stream.ReadValue<int32_t>();
    if (len < 0 || len > stream.Remaining()) throw rtl::EReadError(rtl::texts::SReadError);
    std::string s(static_cast<size_t>(len), '\0');
    stream.ReadBuffer(s.data(), len);
    return s;
}

void ReadStringList(rtl::Stream& stream, rtl::StringList& list) {
    const int32_t count = stream.ReadValue<int32_t>();
    // Each string takes at least its 4-byte length.
    if (count < 0 || count > stream.Remaining() / 4) throw rtl::EReadError(rtl::texts::SReadError);
    for (int32_t i = 0; i < count; ++i) list.Add(ReadLenString(stream));
}

std::string FileTitle(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot, 20);
    return name;
}

std::string ValueAfter(std::string_view key, std::string_view text) {
    const size_t at = text.find(key);
    if (key.empty() || at == std::string_view::npos) return {};
    std::string_view rest = text.substr(at + key.size());
    for (char stop : {',', ')', ';'}) {
        const size_t end = rest.find(stop);
        if (end != std::string_view::npos) return std::string(rest.substr(0, end));
    }
    return std::string(rest);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    // Iterative wildcard match with one back-track point for the last '*'.
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || rtl::FoldChar(mask[m]) == rtl::FoldChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

void ListFiles(const std::string& folder, std::string_view mask, rtl::StringList& list,
               int64_t minSize) {
    list.Clear();
    std::vector<std::pair<std::string, int64_t>> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code fe;
        if (!entry.is_regular_file(fe)) continue;
        const std::string name = entry.path().filename().string();
        if (!MatchesMask(name, mask)) continue;
        const auto size = entry.file_size(fe);
        found.emplace_back(name, fe ? 0 : static_cast<int64_t>(size));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return rtl::CompareText(a.first, b.first) < 0; });
    for (const auto& [name, size] : found) {
        if (minSize != 0 && size > minSize) list.Insert(0, name);
        else list.Add(name);
    }
}

void CopyStrToBuffer(char* buffer, std::string_view text, size_t n) {
    const size_t k = std::min(n, text.size());
    std::memcpy(buffer, text.data(), k);
    buffer[k] = '\0';
}

// ---- Command line ----

namespace {
std::vector<std::string>& ParamStore() {
    static std::vector<std::string> params;
    return params;
}
bool ContainsFolded(std::string_view text, std::string_view key) {
    return rtl::UpperCase(text).find(rtl::UpperCase(key)) != std::string::npos;
}
}  // namespace

void SetParams(std::vector<std::string> params) { ParamStore() = std::move(params); }
const std::vector<std::string>& Params() { return ParamStore(); }

std::string FindParam(const std::vector<std::string>& params, std::string_view key) {
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].find(key) != std::string::npos)
            return i + 1 < params.size() ? params[i + 1] : std::string();
    }
    return {};
}
std::string FindParam(std::string_view key) { return FindParam(Params(), key); }

std::pair<std::string, std::string> FindParamValue(const std::vector<std::string>& params,
                                                   std::string_view key) {
    for (size_t i = 0; i < params.size(); ++i) {
        if (ContainsFolded(params[i], key))
            return {params[i], i + 1 < params.size() ? rtl::UpperCase(params[i + 1]) : std::string()};
    }
    return {};
}
std::pair<std::string, std::string> FindParamValue(std::string_view key) {
    return FindParamValue(Params(), key);
}

// ---- Keys ----

namespace {
const std::map<int32_t, std::string>& KeyTable() {
    static const std::map<int32_t, std::string> table = [] {
        std::map<int32_t, std::string> t = {
            {16, "Shift"}, {17, "Ctrl"}, {18, "Alt"}, {19, "Pause"}, {27, "Esc"},
            {32, "Space"}, {37, "Left"}, {38, "Up"}, {39, "Right"}, {40, "Down"},
            {46, "Delete"}, {106, "*"}, {107, "+"}, {109, "-"}, {110, "."}, {111, "/"}};
        for (int c = '0'; c <= '9'; ++c) t[c] = std::string(1, static_cast<char>(c));
        for (int c = 'A'; c <= 'Z'; ++c) t[c] = std::string(1, static_cast<char>(c));
        for (int f = 1; f <= 15; ++f) t[111 + f] = "F" + std::to_string(f);
        return t;
    }();
    return table;
}
}  // namespace

std::string KeyName(int32_t code) {
    const auto it = KeyTable().find(code);
    return it == KeyTable().end() ? std::string() : it->second;
}

int32_t KeyCode(std::string_view text) {
    static const std::pair<const char*, int32_t> named[] = {
        {"Shift", 16}, {"Ctrl", 17}, {"Alt", 18}, {"Pause", 19}, {"Space", 32},
        {"Left", 37},  {"Up", 38},   {"Right", 39}, {"Down", 40}};
    if (text.empty()) return -1;
    if (text.size() == 1) return static_cast<uint8_t>(text[0]);
    for (const auto& [name, code] : named)
        if (text == name) return code;
    return -1;
}

// ---- Scrambling ----

void ScrambleBuffer(uint8_t* buffer, size_t n) {
    if (n < 2) return;
    for (size_t i = 1; i < n; ++i) buffer[i] = static_cast<uint8_t>(buffer[i] + buffer[i - 1]);
    buffer[0] = static_cast<uint8_t>(buffer[0] + buffer[n - 1]);
}

void UnscrambleBuffer(uint8_t* buffer, size_t n) {
    if (n < 2) return;
    buffer[0] = static_cast<uint8_t>(buffer[0] - buffer[n - 1]);
    for (size_t i = n - 1; i >= 1; --i) buffer[i] = static_cast<uint8_t>(buffer[i] - buffer[i - 1]);
}

std::string UnscrambleString(std::string_view text) {
    std::string s(text);
    UnscrambleBuffer(reinterpret_cast<uint8_t*>(s.data()), s.size());
    return s;
}

std::string ScrambleString(std::string_view text) {
    std::string s(text);
    ScrambleBuffer(reinterpret_cast<uint8_t*>(s.data()), s.size());
    return s;
}

}  // namespace engine
