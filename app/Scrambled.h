// Texts kept scrambled in the program: the scrambling runs at compile time, so the binary
// holds only the scrambled bytes, and Plain() undoes it when the text is needed.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/gpUtils.h"

namespace app {

template <size_t N> struct ScrambledText {
    std::array<char, N> Bytes{};
    std::string_view Stored() const { return {Bytes.data(), N}; }
    std::string Plain() const { return engine::UnscrambleString(Stored()); }
};

// The scrambling of engine::ScrambleBuffer: from the second byte on each byte adds the one
// before it, then the first byte adds the new last byte. Texts shorter than 2 stay as they are.
template <size_t L> consteval ScrambledText<L - 1> Scramble(const char (&text)[L]) {
    ScrambledText<L - 1> s;
    for (size_t i = 0; i + 1 < L; ++i) s.Bytes[i] = text[i];
    if constexpr (L - 1 >= 2) {
        for (size_t i = 1; i < L - 1; ++i)
            s.Bytes[i] = static_cast<char>(static_cast<unsigned char>(s.Bytes[i]) +
                                           static_cast<unsigned char>(s.Bytes[i - 1]));
        s.Bytes[0] = static_cast<char>(static_cast<unsigned char>(s.Bytes[0]) +
                                       static_cast<unsigned char>(s.Bytes[L - 2]));
    }
    return s;
}

}  // namespace app
