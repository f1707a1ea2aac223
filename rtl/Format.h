// The class library's format language: Format("%-8s%3.2d", {"Level", 5}).
//
// Specifiers: %[index:][-][width][.precision]type with types d u x e f g n m p s (either case),
// '*' for a width or precision taken from the arguments, and "%%". A specifier with an index
// sets the argument used; the next one without an index continues after it.
// Format texts come from data files: an unknown type, a missing argument or one of the wrong
// kind raises EConvertError with the class library's texts, never undefined behaviour.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace rtl {

class FormatArg {
public:
    enum class Kind { Integer, Unsigned, Float, String, Pointer };

    template <typename T>
        requires(std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, bool>)
    FormatArg(T v) : kind_(Kind::Integer), int_(v) {}
    template <typename T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, bool>)
    FormatArg(T v) : kind_(Kind::Unsigned), uint_(v) {}
    FormatArg(bool v) : kind_(Kind::Integer), int_(v ? 1 : 0) {}
    FormatArg(double v) : kind_(Kind::Float), float_(v) {}
    FormatArg(float v) : kind_(Kind::Float), float_(v) {}
    FormatArg(const char* s) : kind_(Kind::String), string_(s ? s : "") {}
    FormatArg(std::string_view s) : kind_(Kind::String), string_(s) {}
    FormatArg(const std::string& s) : kind_(Kind::String), string_(s) {}
    FormatArg(const void* p) : kind_(Kind::Pointer), pointer_(p) {}

    Kind kind() const { return kind_; }
    int64_t asInteger() const { return int_; }
    uint64_t asUnsigned() const { return uint_; }
    double asFloat() const { return float_; }
    std::string_view asString() const { return string_; }
    const void* asPointer() const { return pointer_; }

private:
    Kind kind_;
    int64_t int_ = 0;
    uint64_t uint_ = 0;
    double float_ = 0;
    std::string_view string_;  // arguments live for the duration of the call
    const void* pointer_ = nullptr;
};

std::string Format(std::string_view text, std::span<const FormatArg> args);
inline std::string Format(std::string_view text, std::initializer_list<FormatArg> args) {
    return Format(text, std::span<const FormatArg>(args.begin(), args.size()));
}

// Number texts as the class library writes them.
enum class FloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// precision: significant digits (general, exponent) or decimals (fixed, number, currency);
// digits: least exponent digits (exponent form).
std::string FloatToStrF(double value, FloatFormat format, int precision, int digits);
std::string FloatToStr(double value);  // general, 15 digits

}  // namespace rtl
