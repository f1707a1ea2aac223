#include "rtl/Convert.h"

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

namespace rtl {

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    // Hexadecimal texts may spell the full 32-bit pattern ($FFFFFFFF is -1).
    const int64_t limit = base == 16 ? int64_t{0xFFFFFFFF} : (negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1);
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > limit) return false;
    }
    if (base == 16) v = static_cast<int32_t>(static_cast<uint32_t>(v));
    value = static_cast<int32_t>(negative ? -v : v);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t v = 0;
    if (!TryStrToInt(text, v)) throw EConvertError(Format(texts::SInvalidInteger, {std::string(text)}));
    return v;
}

}  // namespace rtl
