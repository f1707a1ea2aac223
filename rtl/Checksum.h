// The 16-bit checksum of the game's containers and record streams; its low byte is the
// bucket of hashed name lookups.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rtl {

// h := 0; per byte: rotate h left by 5 within 16 bits, then xor the byte into its low 8 bits.
uint16_t ResourceChecksum(const void* data, size_t count) noexcept;

inline uint16_t ResourceChecksum(std::string_view bytes) noexcept {
    return ResourceChecksum(bytes.data(), bytes.size());
}

}  // namespace rtl
