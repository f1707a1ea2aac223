// Format texts come from data files: any text, with any arguments, either formats or raises
// the class library's conversion error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static const rtl::FormatArg args[] = {
        rtl::FormatArg(42), rtl::FormatArg("name"), rtl::FormatArg(-2.5), rtl::FormatArg(7u),
        rtl::FormatArg(1e300), rtl::FormatArg(static_cast<const void*>(data)), rtl::FormatArg(-1),
    };
    try {
        (void)rtl::Format(text, args);
    } catch (const rtl::EConvertError&) {
    }
    return 0;
}
