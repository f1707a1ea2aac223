#include "platform/audio/Pcm.h"

#include <algorithm>

namespace platform::audio {

bool IsSupported(const PcmFormat& f) {
    return (f.channels == 1 || f.channels == 2) && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.samplesPerSec >= kMinRate && f.samplesPerSec <= kMaxRate;
}

std::shared_ptr<const Samples> Samples::Decode(const PcmFormat& format, std::span<const uint8_t> bytes) {
    auto s = std::make_shared<Samples>();
    s->format = format;
    const size_t block = format.BlockAlign();
    s->frames = block ? static_cast<uint32_t>(std::min<size_t>(bytes.size() / block, UINT32_MAX)) : 0;
    const size_t values = size_t{s->frames} * format.channels;
    s->data.resize(values);
    if (format.bitsPerSample == 8) {
        for (size_t i = 0; i < values; ++i) s->data[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
    } else {
        for (size_t i = 0; i < values; ++i)
            s->data[i] = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    }
    return s;
}

}  // namespace platform::audio
