// Globally unique identifiers: the 16-byte value and its "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/Types.h"
#include "rtl/Exceptions.h"

namespace platform::com {

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};

    friend bool operator==(const GUID&, const GUID&) = default;
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;

// A component-system failure carrying its result code (for example "Invalid class string").
class EOleSysError : public rtl::Exception {
public:
    EOleSysError(std::string message, HRESULT code) : rtl::Exception(std::move(message)), code_(code) {}
    const char* className() const noexcept override { return "EOleSysError"; }
    HRESULT ErrorCode() const { return code_; }

private:
    HRESULT code_;
};

// Parses the braced form, letters in either case. Anything else gives nullopt.
std::optional<GUID> TryStringToGUID(std::string_view text);
// The same; raises EOleSysError "Invalid class string" (CO_E_CLASSSTRING) on a malformed text.
GUID StringToGUID(std::string_view text);
// Upper-case braced form.
std::string GUIDToString(const GUID& guid);

}  // namespace platform::com
