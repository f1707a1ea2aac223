// PCM sample data as the sound buffers take it: the format of a WAVE file and its bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace platform::audio {

// The PCM part of a wave format record.
struct PcmFormat {
    uint16_t channels = 1;         // 1 or 2
    uint32_t samplesPerSec = 22050;
    uint16_t bitsPerSample = 16;   // 8 (unsigned) or 16 (signed, little-endian)

    uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * (bitsPerSample / 8)); }
    bool operator==(const PcmFormat&) const = default;
};

// Rates the mixer accepts for a source (the range sound buffers have always allowed).
inline constexpr uint32_t kMinRate = 100;
inline constexpr uint32_t kMaxRate = 200000;

bool IsSupported(const PcmFormat& format);

// Sample data decoded once, at load, to signed 16-bit frames (interleaved when stereo).
struct Samples {
    PcmFormat format;           // the source format (cursors are reported in its bytes)
    uint32_t frames = 0;
    std::vector<int16_t> data;  // frames * channels values

    // Decodes whole frames of `bytes`; a trailing partial frame is dropped.
    static std::shared_ptr<const Samples> Decode(const PcmFormat& format, std::span<const uint8_t> bytes);
};

}  // namespace platform::audio
