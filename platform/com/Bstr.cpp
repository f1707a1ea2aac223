#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace platform::com {
namespace {

constexpr uint32_t kMaxLength = (std::numeric_limits<uint32_t>::max() - 16) / sizeof(OLECHAR);

uint32_t* Header(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }

size_t ZeroTerminatedLength(const OLECHAR* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    if (length > kMaxLength) return nullptr;
    const size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    block[0] = static_cast<uint32_t>(bytes);
    BSTR chars = reinterpret_cast<BSTR>(block + 1);
    if (text) std::memcpy(chars, text, bytes);
    else std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    size_t n = ZeroTerminatedLength(text);
    if (n > kMaxLength) return nullptr;
    return SysAllocStringLen(text, static_cast<uint32_t>(n));
}

void SysFreeString(BSTR text) {
    if (text) std::free(Header(text));
}

bool SysReAllocString(BSTR* target, const OLECHAR* text) {
    if (!target) return false;
    BSTR copy = SysAllocString(text);
    if (text && !copy) return false;
    SysFreeString(*target);
    *target = copy;
    return true;
}

uint32_t SysStringByteLen(BSTR text) { return text ? *Header(text) : 0; }
uint32_t SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

BSTR SysAllocString(std::u16string_view text) {
    if (text.size() > kMaxLength) return nullptr;
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

std::u16string BstrToString(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

void FreeBstr(BSTR& target) {
    SysFreeString(target);
    target = nullptr;
}

void AssignBstr(BSTR& target, std::u16string_view text) {
    BSTR copy = SysAllocString(text);
    SysFreeString(target);
    target = copy;
}

}  // namespace platform::com
