// The WAVE chunk walk and the sample reads.
#include "media/Wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    media::TWaveReader reader;
    if (media::OpenWaveStream(&stream, reader)) {
        uint8_t buffer[4096];
        while (media::ReadWaveData(reader, sizeof buffer, buffer) > 0) {
        }
    }
    return 0;
}
