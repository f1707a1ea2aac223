// The registry file reader: any bytes parse without fault, and what was read writes back and
// reads again to the same tree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/RegistryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace platform::registry;
    ParseResult parsed = ParseRegistryText(std::string_view(reinterpret_cast<const char*>(data), size));
    ParseResult again = ParseRegistryText(FormatRegistryText(parsed.tree));
    if (!again.sound || !(again.tree == parsed.tree)) std::abort();
    return 0;
}
