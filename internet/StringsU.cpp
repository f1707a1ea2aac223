#include "internet/StringsU.h"

#include <limits>

namespace palvrek {

std::string NormalizeSpaces(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<uint8_t>(text[b]) <= 32) ++b;
    while (e > b && static_cast<uint8_t>(text[e - 1]) <= 32) --e;
    std::string out;
    out.reserve(e - b);
    for (size_t i = b; i < e; ++i) {
        if (text[i] == ' ' && !out.empty() && out.back() == ' ') continue;
        out += text[i];
    }
    return out;
}

std::string RemoveSpaces(std::string_view text) {
    std::string out = NormalizeSpaces(text);
    std::erase(out, ' ');
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
    if (oldText.empty()) return std::string(text);
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t at = text.find(oldText, pos);
        if (at == std::string_view::npos) break;
        out.append(text.substr(pos, at - pos));
        out.append(newText);
        pos = at + oldText.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string ReplaceChar(std::string_view text, char a, char b) {
    std::string out(text);
    for (char& c : out)
        if (c == a) c = b;
    return out;
}

int SplitString(std::string_view text, std::vector<std::string>& list, char separator) {
    list.clear();
    if (text.empty()) return 0;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string_view::npos) break;
        list.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) list.emplace_back(text.substr(start));
    return static_cast<int>(list.size());
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string EncodeQueryValue(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto b = static_cast<uint8_t>(c);
        bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
        if (n > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<int32_t>::max() || n < std::numeric_limits<int32_t>::min()) return false;
    value = static_cast<int32_t>(n);
    return true;
}

}  // namespace palvrek
