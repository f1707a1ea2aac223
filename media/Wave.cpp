#include "media/Wave.h"

#include <algorithm>
#include <cstring>

#include "rtl/Checksum.h"
#include "rtl/Text.h"

namespace media {
namespace {

uint32_t LE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t LE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool Fail(TWaveReader& reader, uint8_t error) {
    reader.Error = error;
    reader.Stream = nullptr;
    return false;
}

}  // namespace

bool OpenWaveStream(rtl::Stream* stream, TWaveReader& reader) {
    reader = TWaveReader{};
    reader.Stream = stream;
    if (!stream || stream->Size() == 0) return Fail(reader, wrNoStream);
    const int64_t size = stream->Size();
    uint8_t head[12];
    if (stream->Read(head, 8) != 8 || std::memcmp(head, "RIFF", 4) != 0) return Fail(reader, wrNotRiff);
    if (stream->Read(head + 8, 4) != 4 || std::memcmp(head + 8, "WAVE", 4) != 0) return Fail(reader, wrNotWave);

    bool haveFormat = false, haveData = false;
    // The walk ends at the data chunk or at the end of the stream. It does not also stop when
    // the read position is exactly 2048: a file whose chunks before the data end there (a
    // padding chunk filling the header to 2 KB is common) would be refused as having no data.
    // Each chunk moves the position forward by at least 8 bytes, so the walk ends.
    while (!haveData) {
        uint8_t chunk[8];
        if (stream->Read(chunk, 8) != 8) break;
        const uint32_t chunkSize = LE32(chunk + 4);
        const int64_t body = stream->Position();
        const int64_t next = body + chunkSize + (chunkSize & 1u);  // chunks are padded to even sizes
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            uint8_t raw[18] = {};
            stream->Read(raw, std::min<uint32_t>(chunkSize, 18));
            TWaveFormatEx& f = reader.Format;
            f.wFormatTag = LE16(raw);
            f.nChannels = LE16(raw + 2);
            f.nSamplesPerSec = LE32(raw + 4);
            f.nAvgBytesPerSec = LE32(raw + 8);
            f.nBlockAlign = LE16(raw + 12);
            f.wBitsPerSample = LE16(raw + 14);
            f.cbSize = LE16(raw + 16);
            haveFormat = true;
        } else if (std::memcmp(chunk, "fact", 4) == 0 && reader.SampleCount == 0 && reader.Format.wFormatTag == 2) {
            uint8_t raw[4] = {};
            if (chunkSize >= 4 && stream->Read(raw, 4) == 4) reader.SampleCount = LE32(raw);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            reader.DataOffset = static_cast<uint32_t>(body);
            reader.DataSize = static_cast<uint32_t>(std::min<int64_t>(chunkSize, size - body));
            haveData = true;
            break;
        }
        if (next >= size || next > UINT32_MAX) break;
        stream->SetPosition(next);
    }

    const TWaveFormatEx& f = reader.Format;
    switch (f.wFormatTag) {
        case 0: return Fail(reader, wrNone);
        case 1: break;
        case 2: return Fail(reader, wrADPCM);
        default: return Fail(reader, wrNotPCM);
    }
    // A PCM format that cannot describe its samples is refused rather than divided by.
    if (f.nChannels == 0 || f.nSamplesPerSec == 0 || f.nBlockAlign == 0 || f.wBitsPerSample == 0)
        return Fail(reader, wrNotPCM);
    if (!haveData) return Fail(reader, wrNone);
    uint32_t bytesPerSample = f.nAvgBytesPerSec / f.nSamplesPerSec;
    if (bytesPerSample == 0) bytesPerSample = f.nBlockAlign;
    reader.SampleCount = reader.DataSize / bytesPerSample;
    reader.Error = wrNone;
    stream->SetPosition(reader.DataOffset);
    return true;
}

int32_t ReadWaveData(TWaveReader& reader, int32_t count, void* buffer) {
    if (!reader.Stream) {
        reader.Error = wrNoStream;
        return -1;
    }
    const int64_t end = static_cast<int64_t>(reader.DataOffset) + reader.DataSize;
    int64_t position = reader.Stream->Position();
    if (position < reader.DataOffset) {
        reader.Stream->SetPosition(reader.DataOffset);
        position = reader.DataOffset;
    }
    const int64_t n = std::clamp<int64_t>(end - position, 0, std::max(count, 0));
    return static_cast<int32_t>(reader.Stream->Read(buffer, n));
}

namespace wave {

int HashName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = rtl::LowerChar(rtl::FoldChar(c));
    return rtl::ResourceChecksum(folded) & 0xFF;
}

}  // namespace wave
}  // namespace media
