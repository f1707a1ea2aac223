// The WAVE reader that finds the format and the samples in a RIFF stream, and the hash by
// which the sound lists spread their names over the 256 buckets of a THashCollection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "rtl/Streams.h"

namespace media {

// Frees the object a reference holds and clears the reference.
template <typename T> void FreeAndNilObject(std::unique_ptr<T>& object) { object.reset(); }

struct TWaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

// Error codes of the wave reader.
inline constexpr uint8_t wrNone = 0, wrNoStream = 1, wrNotRiff = 3, wrNotWave = 4, wrNotPCM = 5, wrADPCM = 9;

struct TWaveReader {
    rtl::Stream* Stream = nullptr;  // not owned
    uint32_t DataOffset = 0;        // stream position of the first sample byte
    uint32_t DataSize = 0;          // sample bytes, never more than the stream holds
    uint32_t SampleCount = 0;
    uint8_t Error = 0;
    TWaveFormatEx Format;
};

// Walks the chunks to "fmt " and "data". True only for PCM with a sane format and a data
// chunk; on failure the record forgets the stream.
bool OpenWaveStream(rtl::Stream* stream, TWaveReader& reader);
// Reads up to Count bytes, never past the data chunk; -1 (error 1) without a stream.
int32_t ReadWaveData(TWaveReader& reader, int32_t count, void* buffer);

namespace wave {

// Bucket of a sound's name in the sound lists (media/DXSounds): the low byte of
// ResourceChecksum over the folded name, so that the case-blind look-up finds a sound
// under any letter case (Cyrillic too). For a name already in lower case this is the
// checksum of its bytes as they stand.
int HashName(std::string_view name);

}  // namespace wave
}  // namespace media
