// The version block reader: any bytes, as an ELF image or as a bare block, are read without
// fault; a block that decodes encodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/version/VersionBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace platform::version;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto block = ReadVersionBlock(bytes)) {
        if (DecodeVersionBlock(EncodeVersionBlock(*block)) != block) std::abort();
    }
    if (const auto block = DecodeVersionBlock(bytes)) {
        if (EncodeVersionBlock(*block) != bytes) std::abort();
    }
    return 0;
}
