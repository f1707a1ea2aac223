#include "rtl/Checksum.h"

namespace rtl {

uint16_t ResourceChecksum(const void* data, size_t count) noexcept {
    const auto* p = static_cast<const uint8_t*>(data);
    uint16_t h = 0;
    for (size_t i = 0; i < count; ++i) {
        h = static_cast<uint16_t>((h << 5) | (h >> 11));
        h ^= p[i];
    }
    return h;
}

}  // namespace rtl
