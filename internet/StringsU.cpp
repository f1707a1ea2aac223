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

char32_t NextUtf8(std::string_view text, size_t& at) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto b0 = static_cast<uint8_t>(text[at++]);
    if (b0 < 0x80) return b0;
    int len = 0;
    char32_t c = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; c = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; c = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; c = b0 & 0x07; min = 0x10000; }
    else return kReplacement;
    size_t end = at + static_cast<size_t>(len - 1);
    if (end > text.size()) return kReplacement;
    for (size_t i = at; i < end; ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if ((b & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
    at = end;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    // A lead byte marking the count of six-bit continuation bytes that follow it.
    static constexpr uint8_t kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int more = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>(kLead[more] | (c >> (6 * more)));
    for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const char32_t c = NextUtf8(text, at);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace palvrek
