// Wide strings of the component system (BSTR): UTF-16 text preceded by a 32-bit byte count and
// followed by a zero character. The pointer points at the first character, so a BSTR reads as a
// zero-terminated wide text; a null BSTR is the empty string. The side that writes a string
// allocates it; the owner of the variable frees it with SysFreeString. Every module allocates
// from the same C heap, so a string may be freed by another module than the one that made it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::com {

using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// A copy of the zero-terminated text; nullptr for a null argument.
BSTR SysAllocString(const OLECHAR* text);
// A string of `length` characters copied from `text` (left zero when text is null).
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// Frees a string; a null one is ignored.
void SysFreeString(BSTR text);
// Replaces *target by a copy of text; false when memory runs out (the old string is kept).
bool SysReAllocString(BSTR* target, const OLECHAR* text);
// Number of characters (zeros inside included); 0 for null.
uint32_t SysStringLen(BSTR text);
uint32_t SysStringByteLen(BSTR text);

// Conveniences for C++ code.
BSTR SysAllocString(std::u16string_view text);
std::u16string BstrToString(BSTR text);
// Frees *target and clears it.
void FreeBstr(BSTR& target);
// Frees *target and stores a copy of text.
void AssignBstr(BSTR& target, std::u16string_view text);

// An owned BSTR (the class library's WideString): frees its string when it goes.
class WideString {
public:
    WideString() = default;
    WideString(std::u16string_view text) : value_(SysAllocString(text)) {}
    ~WideString() { SysFreeString(value_); }
    WideString(const WideString& other) : value_(SysAllocStringLen(other.value_, SysStringLen(other.value_))) {}
    WideString(WideString&& other) noexcept : value_(other.value_) { other.value_ = nullptr; }
    WideString& operator=(WideString other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }

    // Takes ownership of an allocated string.
    static WideString Attach(BSTR text) {
        WideString w;
        w.value_ = text;
        return w;
    }
    BSTR Detach() {
        BSTR v = value_;
        value_ = nullptr;
        return v;
    }
    BSTR get() const { return value_; }
    // The address to receive an out parameter; the old value is freed first.
    BSTR* out() {
        FreeBstr(value_);
        return &value_;
    }
    uint32_t length() const { return SysStringLen(value_); }
    std::u16string str() const { return BstrToString(value_); }

private:
    BSTR value_ = nullptr;
};

}  // namespace platform::com
