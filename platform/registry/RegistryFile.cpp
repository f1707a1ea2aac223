#include "platform/registry/RegistryFile.h"

#include <cstdio>

#include "rtl/Text.h"

namespace platform::registry {
namespace {

constexpr std::string_view kHeader = "SPRALLION REGISTRY 1";
constexpr std::string_view kEnd = "END";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void PutHexByte(std::string& out, uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
}

// Escapes bytes for a name (strict) or a text (only what the quotes need).
void PutEscaped(std::string& out, std::string_view text, bool isName) {
    for (char c : text) {
        auto b = static_cast<uint8_t>(c);
        bool escape = b < 32 || b > 126 || c == '"' || c == '%' ||
                      (isName && (c == '[' || c == ']' || c == '\\'));
        if (escape) {
            out += '%';
            PutHexByte(out, b);
        } else {
            out += c;
        }
    }
}

// Reads a "quoted" text at line[pos]; pos moves past the closing quote.
bool ReadQuoted(std::string_view line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '%') {
            if (pos + 2 >= line.size()) return false;
            int hi = HexDigit(line[pos + 1]), lo = HexDigit(line[pos + 2]);
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 3;
            continue;
        }
        if (static_cast<uint8_t>(c) < 32) return false;
        out += c;
        ++pos;
    }
    return false;  // no closing quote: a cut line
}

// Unescapes a key path written between [ and ].
bool ReadKeyPath(std::string_view inner, std::string& out) {
    out.clear();
    for (size_t i = 0; i < inner.size(); ++i) {
        char c = inner[i];
        if (c == '%') {
            if (i + 2 >= inner.size()) return false;
            int hi = HexDigit(inner[i + 1]), lo = HexDigit(inner[i + 2]);
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            continue;
        }
        if (c == '[' || c == ']' || static_cast<uint8_t>(c) < 32) return false;
        out += c;
    }
    return true;
}

bool ReadHexBytes(std::string_view digits, std::string& out) {
    if (digits.size() % 2 != 0) return false;
    out.clear();
    out.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        int hi = HexDigit(digits[i]), lo = HexDigit(digits[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool IsRootName(std::string_view folded) {
    return folded == "HKEY_CLASSES_ROOT" || folded == "HKEY_CURRENT_USER" || folded == "HKEY_LOCAL_MACHINE";
}

// Parses one value line into v; answers an empty text or the problem.
std::string ParseValueLine(std::string_view line, Value& v) {
    size_t pos = 0;
    if (line[0] == '@') {
        v.name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, v.name)) {
        return "bad value name";
    }
    if (pos >= line.size() || line[pos] != '=') return "missing '='";
    std::string_view rest = line.substr(pos + 1);
    if (rest.starts_with("string:")) {
        size_t p = 7;
        if (!ReadQuoted(rest, p, v.data) || p != rest.size()) return "bad string value";
        v.type = ValueType::String;
        return {};
    }
    if (rest.starts_with("dword:")) {
        std::string_view digits = rest.substr(6);
        if (digits.size() != 8) return "bad dword value";
        uint32_t n = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return "bad dword value";
            n = (n << 4) | static_cast<uint32_t>(d);
        }
        v.type = ValueType::DWord;
        v.data.assign({static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                       static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)});
        return {};
    }
    if (rest.starts_with("binary(")) {
        size_t close = rest.find("):");
        if (close == std::string_view::npos || close == 7 || close > 17) return "bad binary value";
        uint64_t count = 0;
        for (size_t i = 7; i < close; ++i) {
            if (rest[i] < '0' || rest[i] > '9') return "bad binary value";
            count = count * 10 + static_cast<uint64_t>(rest[i] - '0');
        }
        std::string_view digits = rest.substr(close + 2);
        if (digits.size() != count * 2 || !ReadHexBytes(digits, v.data)) return "bad binary value";
        v.type = ValueType::Binary;
        return {};
    }
    return "unknown value type";
}

}  // namespace

std::string FoldName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = rtl::FoldChar(c);
    return out;
}

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty()) out += '\\';
        out += p;
    }
    return out;
}

const Value* FindValue(const Key& key, std::string_view name) {
    auto it = key.values.find(FoldName(name));
    return it == key.values.end() ? nullptr : &it->second;
}

bool SetValue(Key& key, std::string_view name, ValueType type, std::string data) {
    auto [it, added] = key.values.try_emplace(FoldName(name));
    Value& v = it->second;
    if (added) v.name = std::string(name);
    else if (v.type == type && v.data == data) return false;
    v.type = type;
    v.data = std::move(data);
    return true;
}

Key* FindKey(Tree& tree, std::string_view fullPath) {
    auto it = tree.keys.find(FoldName(JoinPath(SplitPath(fullPath))));
    return it == tree.keys.end() ? nullptr : &it->second;
}

const Key* FindKey(const Tree& tree, std::string_view fullPath) {
    auto it = tree.keys.find(FoldName(JoinPath(SplitPath(fullPath))));
    return it == tree.keys.end() ? nullptr : &it->second;
}

Key& CreateKey(Tree& tree, std::string_view fullPath) {
    std::vector<std::string> parts = SplitPath(fullPath);
    std::string path;
    Key* key = nullptr;
    for (const auto& part : parts) {
        if (!path.empty()) path += '\\';
        path += part;
        auto [it, added] = tree.keys.try_emplace(FoldName(path));
        if (added) it->second.path = path;
        else path = it->second.path;  // keep the case the key was first written with
        key = &it->second;
    }
    if (!key) {
        auto [it, added] = tree.keys.try_emplace(std::string());
        key = &it->second;
    }
    return *key;
}

bool RemoveKey(Tree& tree, std::string_view fullPath) {
    std::string folded = FoldName(JoinPath(SplitPath(fullPath)));
    auto it = tree.keys.find(folded);
    if (it == tree.keys.end()) return false;
    std::string prefix = folded + '\\';
    it = tree.keys.erase(it);
    while (it != tree.keys.end() && it->first.starts_with(prefix)) it = tree.keys.erase(it);
    return true;
}

std::vector<std::string> ChildNames(const Tree& tree, std::string_view fullPath) {
    std::string prefix = FoldName(JoinPath(SplitPath(fullPath))) + '\\';
    std::vector<std::string> names;
    for (auto it = tree.keys.lower_bound(prefix); it != tree.keys.end() && it->first.starts_with(prefix); ++it) {
        std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (rest.find('\\') != std::string_view::npos) continue;
        names.push_back(it->second.path.substr(it->second.path.size() - rest.size()));
    }
    return names;
}

ParseResult ParseRegistryText(std::string_view text) {
    ParseResult result;
    auto fail = [&](int line, std::string problem) {
        result.sound = false;
        result.badLine = line;
        result.problem = std::move(problem);
        return result;
    };
    Key* current = nullptr;
    bool ended = false;
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) return fail(lineNo + 1, "line not ended (file cut short)");
        std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo == 1) {
            if (line != kHeader) return fail(1, "not a registry file");
            continue;
        }
        if (ended) {
            if (!line.empty()) return fail(lineNo, "text after END");
            continue;
        }
        if (line.empty()) continue;
        if (line == kEnd) {
            ended = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) return fail(lineNo, "bad key line");
            std::string path;
            if (!ReadKeyPath(line.substr(1, line.size() - 2), path)) return fail(lineNo, "bad key path");
            std::vector<std::string> parts = SplitPath(path);
            if (parts.empty() || !IsRootName(FoldName(parts[0]))) return fail(lineNo, "key outside the roots");
            current = &CreateKey(result.tree, path);
            continue;
        }
        if (!current) return fail(lineNo, "value before any key");
        Value v;
        std::string problem = ParseValueLine(line, v);
        if (!problem.empty()) return fail(lineNo, problem);
        std::string folded = FoldName(v.name);
        current->values[folded] = std::move(v);
    }
    if (lineNo == 0) return fail(1, "empty file");
    if (!ended) return fail(lineNo + 1, "END missing (file cut short)");
    return result;
}

std::string FormatRegistryText(const Tree& tree) {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [folded, key] : tree.keys) {
        if (key.path.empty()) continue;
        out += '[';
        bool first = true;
        for (const auto& part : SplitPath(key.path)) {
            if (!first) out += '\\';
            PutEscaped(out, part, true);
            first = false;
        }
        out += "]\n";
        for (const auto& [vf, v] : key.values) {
            if (v.name.empty()) {
                out += '@';
            } else {
                out += '"';
                PutEscaped(out, v.name, false);
                out += '"';
            }
            out += '=';
            switch (v.type) {
            case ValueType::String:
                out += "string:\"";
                PutEscaped(out, v.data, false);
                out += '"';
                break;
            case ValueType::DWord: {
                uint32_t n = 0;
                for (size_t i = 0; i < 4 && i < v.data.size(); ++i)
                    n |= static_cast<uint32_t>(static_cast<uint8_t>(v.data[i])) << (8 * i);
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08X", n);
                out += buf;
                break;
            }
            case ValueType::Binary:
            case ValueType::None:
                out += "binary(" + std::to_string(v.data.size()) + "):";
                for (char c : v.data) PutHexByte(out, static_cast<uint8_t>(c));
                break;
            }
            out += '\n';
        }
    }
    out += kEnd;
    out += '\n';
    return out;
}

}  // namespace platform::registry
