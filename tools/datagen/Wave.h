// Writer of RIFF WAVE files, plain or with the oddities real files have.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace datagen {

struct WaveParams {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bitsPerSample = 16;
    int32_t blockAlign = -1;     // -1: channels x bytes per sample
    int64_t avgBytes = -1;       // -1: rate x block alignment
    uint32_t fmtSize = 16;       // 16, 18 or more (extra bytes are zero)
    std::string samples;
    std::vector<std::pair<std::string, std::string>> chunksBeforeFmt;   // odd sizes are padded
    std::vector<std::pair<std::string, std::string>> chunksBeforeData;
    bool withData = true;
    int64_t dataSizeDelta = 0;   // stored data size minus the real one
};

// Interleaved samples of a sine-like ramp: Frames per channel.
std::string TestSamples(uint16_t channels, uint16_t bitsPerSample, int frames);
std::string BuildWave(const WaveParams& params);

}  // namespace datagen
