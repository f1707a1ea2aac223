#include "rtl/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "rtl/Exceptions.h"

namespace rtl {

namespace {

// Guards against data asking for absurd padding.
constexpr int kMaxWidth = 65536;
// The class library computes reals to 18 significant digits at most.
constexpr int kMaxFloatDigits = 18;

// A real as decimal digits: value = 0.d1 d2 d3 ... x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // no trailing zeros; empty for zero
    int exponent = 0;
};

Decimal ToDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    double magnitude = std::fabs(value);
    if (magnitude == 0) return d;
    char buf[64];
    // 18 significant digits, as the class library converts its reals.
    std::snprintf(buf, sizeof buf, "%.17e", magnitude);
    std::string text = buf;
    auto e = text.find('e');
    d.digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.exponent = std::stoi(text.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps `count` leading digits, rounding half away from zero on the decimal digits.
void RoundTo(Decimal& d, int count) {
    if (static_cast<int>(d.digits.size()) <= count) return;
    if (count < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[static_cast<size_t>(count)] >= '5';
    d.digits.resize(static_cast<size_t>(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.exponent += 1;
        } else {
            d.digits[static_cast<size_t>(i)] += 1;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

char DigitAt(const Decimal& d, int i) {
    return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
}

std::string GroupThousands(const std::string& whole) {
    std::string out;
    int n = static_cast<int>(whole.size());
    for (int i = 0; i < n; ++i) {
        out += whole[static_cast<size_t>(i)];
        int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    return out;
}

// Whole and fraction digits of a rounded decimal for `decimals` places.
std::string FixedDigits(Decimal d, int decimals, bool thousands) {
    RoundTo(d, d.exponent + decimals);
    std::string whole;
    if (d.exponent <= 0) {
        whole = "0";
    } else {
        for (int i = 0; i < d.exponent; ++i) whole += DigitAt(d, i);
    }
    if (thousands) whole = GroupThousands(whole);
    if (decimals <= 0) return whole;
    std::string frac;
    for (int i = 0; i < decimals; ++i) frac += DigitAt(d, d.exponent + i);
    return whole + "." + frac;
}

bool IsZero(const Decimal& d) { return d.digits.empty(); }

std::string ExponentText(int exponent, int minDigits, bool plusSign) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
    return std::string("E") + (exponent < 0 ? "-" : plusSign ? "+" : "") + digits;
}

std::string SpecialText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string IntegerText(int64_t value, int precision) {
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    while (static_cast<int>(digits.size()) < precision) digits.insert(digits.begin(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string HexText(uint64_t value, int minDigits) {
    static const char* hex = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), hex[value & 15]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
    return digits;
}

}  // namespace

std::string FloatToStrF(double value, FloatFormat format, int precision, int digits) {
    if (!std::isfinite(value)) return SpecialText(value);
    precision = std::clamp(precision, 0, kMaxWidth);
    Decimal d = ToDecimal(value);
    switch (format) {
        case FloatFormat::ffGeneral: {
            int significant = std::clamp(precision, 1, kMaxFloatDigits);
            RoundTo(d, significant);
            if (IsZero(d)) return "0";
            std::string sign = d.negative ? "-" : "";
            if (d.exponent > significant || d.exponent < -4) {
                std::string text = sign + d.digits.substr(0, 1);
                if (d.digits.size() > 1) text += "." + d.digits.substr(1);
                return text + ExponentText(d.exponent - 1, digits, false);
            }
            std::string whole, frac;
            if (d.exponent > 0) {
                for (int i = 0; i < d.exponent; ++i) whole += DigitAt(d, i);
                for (int i = d.exponent; i < static_cast<int>(d.digits.size()); ++i) frac += DigitAt(d, i);
            } else {
                whole = "0";
                frac = std::string(static_cast<size_t>(-d.exponent), '0') + d.digits;
            }
            return sign + whole + (frac.empty() ? "" : "." + frac);
        }
        case FloatFormat::ffExponent: {
            int significant = std::clamp(precision, 1, kMaxFloatDigits);
            RoundTo(d, significant);
            std::string text = d.negative && !IsZero(d) ? "-" : "";
            text += DigitAt(d, 0);
            if (significant > 1) {
                text += '.';
                for (int i = 1; i < significant; ++i) text += DigitAt(d, i);
            }
            return text + ExponentText(IsZero(d) ? 0 : d.exponent - 1, std::clamp(digits, 0, 4), true);
        }
        case FloatFormat::ffFixed:
        case FloatFormat::ffNumber: {
            std::string body = FixedDigits(d, precision, format == FloatFormat::ffNumber);
            bool zero = body.find_first_not_of("0.,") == std::string::npos;
            return (d.negative && !zero ? "-" : "") + body;
        }
        case FloatFormat::ffCurrency: {
            std::string body = "$" + FixedDigits(d, precision, true);
            bool zero = body.find_first_not_of("$0.,") == std::string::npos;
            return d.negative && !zero ? "(" + body + ")" : body;
        }
    }
    return {};
}

std::string FloatToStr(double value) { return FloatToStrF(value, FloatFormat::ffGeneral, 15, 0); }

std::string Format(std::string_view text, std::span<const FormatArg> args) {
    auto invalid = [&]() -> EConvertError {
        std::string message = texts::SInvalidFormat;
        message.replace(message.find("%s"), 2, std::string(text));
        return EConvertError(message);
    };
    auto missing = [&]() -> EConvertError {
        std::string message = texts::SArgumentMissing;
        message.replace(message.find("%s"), 2, std::string(text));
        return EConvertError(message);
    };

    std::string out;
    size_t next = 0;  // the argument the next specifier without an index takes
    size_t i = 0;
    const size_t n = text.size();

    auto takeArg = [&]() -> const FormatArg& {
        if (next >= args.size()) throw missing();
        return args[next++];
    };
    // A number of the specifier, or '*' taking an integer argument.
    auto readNumber = [&](int& value) -> bool {
        if (i < n && text[i] == '*') {
            ++i;
            const FormatArg& a = takeArg();
            if (a.kind() == FormatArg::Kind::Integer) value = static_cast<int>(std::clamp<int64_t>(a.asInteger(), -kMaxWidth - 1, kMaxWidth + 1));
            else if (a.kind() == FormatArg::Kind::Unsigned) value = static_cast<int>(std::min<uint64_t>(a.asUnsigned(), kMaxWidth + 1));
            else throw invalid();
            return true;
        }
        if (i >= n || text[i] < '0' || text[i] > '9') return false;
        int64_t v = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            v = std::min<int64_t>(v * 10 + (text[i] - '0'), kMaxWidth + 1);
            ++i;
        }
        value = static_cast<int>(v);
        return true;
    };

    while (i < n) {
        char c = text[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < n && text[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index:]
        bool leftJustify = false;
        int width = -1;
        int precision = -1;
        size_t digitsEnd = i;
        while (digitsEnd < n && text[digitsEnd] >= '0' && text[digitsEnd] <= '9') ++digitsEnd;
        if (digitsEnd > i && digitsEnd < n && text[digitsEnd] == ':') {
            int index = 0;
            readNumber(index);
            next = static_cast<size_t>(index);
            ++i;  // the ':'
        }
        if (i < n && text[i] == '-') {
            leftJustify = true;
            ++i;
        }
        if (readNumber(width)) {
            if (width < 0) {
                leftJustify = true;
                width = -width;
            }
        }
        if (i < n && text[i] == '.') {
            ++i;
            if (!readNumber(precision)) precision = 0;
        }
        if (width > kMaxWidth || precision > kMaxWidth) throw invalid();
        if (i >= n) throw invalid();
        char type = static_cast<char>(text[i] | 0x20);  // either case
        ++i;

        std::string piece;
        switch (type) {
            case 'd': {
                const FormatArg& a = takeArg();
                if (a.kind() == FormatArg::Kind::Integer) piece = IntegerText(a.asInteger(), precision);
                else if (a.kind() == FormatArg::Kind::Unsigned) {
                    std::string digits = std::to_string(a.asUnsigned());
                    while (static_cast<int>(digits.size()) < precision) digits.insert(digits.begin(), '0');
                    piece = digits;
                } else throw invalid();
                break;
            }
            case 'u': {
                const FormatArg& a = takeArg();
                uint64_t v;
                if (a.kind() == FormatArg::Kind::Unsigned) v = a.asUnsigned();
                else if (a.kind() == FormatArg::Kind::Integer) {
                    int64_t s = a.asInteger();
                    // A negative 32-bit value reads as its 32-bit pattern, as the class library shows it.
                    v = (s < 0 && s >= INT32_MIN) ? static_cast<uint32_t>(s) : static_cast<uint64_t>(s);
                } else throw invalid();
                std::string digits = std::to_string(v);
                while (static_cast<int>(digits.size()) < precision) digits.insert(digits.begin(), '0');
                piece = digits;
                break;
            }
            case 'x': {
                const FormatArg& a = takeArg();
                uint64_t v;
                if (a.kind() == FormatArg::Kind::Unsigned) v = a.asUnsigned();
                else if (a.kind() == FormatArg::Kind::Integer) {
                    int64_t s = a.asInteger();
                    v = (s < 0 && s >= INT32_MIN) ? static_cast<uint32_t>(s) : static_cast<uint64_t>(s);
                } else throw invalid();
                piece = HexText(v, precision);
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                const FormatArg& a = takeArg();
                if (a.kind() != FormatArg::Kind::Float) throw invalid();
                double v = a.asFloat();
                switch (type) {
                    case 'e': piece = FloatToStrF(v, FloatFormat::ffExponent, precision < 0 ? 15 : precision, 3); break;
                    case 'f': piece = FloatToStrF(v, FloatFormat::ffFixed, precision < 0 ? 2 : precision, 0); break;
                    case 'g': piece = FloatToStrF(v, FloatFormat::ffGeneral, precision < 0 ? 15 : precision, 0); break;
                    case 'n': piece = FloatToStrF(v, FloatFormat::ffNumber, precision < 0 ? 2 : precision, 0); break;
                    default: piece = FloatToStrF(v, FloatFormat::ffCurrency, precision < 0 ? 2 : precision, 0); break;
                }
                break;
            }
            case 'p': {
                const FormatArg& a = takeArg();
                if (a.kind() != FormatArg::Kind::Pointer) throw invalid();
                piece = HexText(reinterpret_cast<uintptr_t>(a.asPointer()), 2 * static_cast<int>(sizeof(void*)));
                break;
            }
            case 's': {
                const FormatArg& a = takeArg();
                if (a.kind() != FormatArg::Kind::String) throw invalid();
                std::string_view s = a.asString();
                if (precision >= 0 && s.size() > static_cast<size_t>(precision)) s = s.substr(0, static_cast<size_t>(precision));
                piece = s;
                break;
            }
            default:
                throw invalid();
        }
        if (width > static_cast<int>(piece.size())) {
            std::string pad(static_cast<size_t>(width) - piece.size(), ' ');
            piece = leftJustify ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

}  // namespace rtl
