#include "tools/datagen/Wave.h"

#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

std::string Chunk(const std::string& id, const std::string& body, int64_t sizeDelta = 0) {
    std::string out = id.substr(0, 4) + Int32Bytes(static_cast<int32_t>(static_cast<int64_t>(body.size()) + sizeDelta)) + body;
    if (body.size() & 1) out.push_back('\0');
    return out;
}

std::string Le16(uint32_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; }

}  // namespace

std::string TestSamples(uint16_t channels, uint16_t bitsPerSample, int frames) {
    std::string out;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int v = (f * 523 + c * 1000) % 65536 - 32768;
            if (bitsPerSample == 8) out.push_back(static_cast<char>((v >> 8) + 128));
            else out += Le16(static_cast<uint32_t>(v));
        }
    }
    return out;
}

std::string BuildWave(const WaveParams& s) {
    const uint32_t block = s.blockAlign >= 0 ? static_cast<uint32_t>(s.blockAlign) : s.channels * ((s.bitsPerSample + 7u) / 8u);
    const uint32_t avg = s.avgBytes >= 0 ? static_cast<uint32_t>(s.avgBytes) : s.rate * block;
    std::string fmt = Le16(s.formatTag) + Le16(s.channels) + Int32Bytes(static_cast<int32_t>(s.rate)) +
                      Int32Bytes(static_cast<int32_t>(avg)) + Le16(block) + Le16(s.bitsPerSample);
    if (s.fmtSize >= 18) fmt += Le16(s.fmtSize - 18);
    fmt.resize(s.fmtSize, '\0');
    std::string body = "WAVE";
    for (const auto& [id, bytes] : s.chunksBeforeFmt) body += Chunk(id, bytes);
    body += Chunk("fmt ", fmt);
    for (const auto& [id, bytes] : s.chunksBeforeData) body += Chunk(id, bytes);
    if (s.withData) body += Chunk("data", s.samples, s.dataSizeDelta);
    return "RIFF" + Int32Bytes(static_cast<int32_t>(body.size())) + body;
}

namespace {

const Command waveCommand("wave", "wave OUT RATE BITS CHANNELS  write a test sound", [](const std::vector<std::string>& args) {
    if (args.size() != 4) return 2;
    WaveParams s;
    s.rate = static_cast<uint32_t>(std::stoul(args[1]));
    s.bitsPerSample = static_cast<uint16_t>(std::stoi(args[2]));
    s.channels = static_cast<uint16_t>(std::stoi(args[3]));
    s.samples = TestSamples(s.channels, s.bitsPerSample, static_cast<int>(s.rate / 10));
    std::string bytes = BuildWave(s);
    rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
    return 0;
});

const SeedWriter waveSeeds("fuzz_wave", [](const SeedSink& put) {
    WaveParams s;
    s.samples = TestSamples(1, 16, 50);
    put("mono16", BuildWave(s));
    s.channels = 2, s.bitsPerSample = 8, s.samples = TestSamples(2, 8, 51);
    s.chunksBeforeFmt = {{"LIST", "odd"}};
    s.chunksBeforeData = {{"fact", Int32Bytes(51)}};
    put("stereo8", BuildWave(s));
    s.formatTag = 2;
    put("adpcm", BuildWave(s));
    s.formatTag = 1, s.blockAlign = 0, s.avgBytes = 0, s.rate = 0;
    put("zero", BuildWave(s));
    s = WaveParams{};
    s.withData = false;
    put("nodata", BuildWave(s));
});

// Sound buffers read the same data; a few playable shapes and the hostile ones.
const SeedWriter soundBufferSeeds("fuzz_sound_buffer", [](const SeedSink& put) {
    WaveParams s;
    s.samples = TestSamples(1, 16, 64);
    put("mono16", BuildWave(s));
    s.dataSizeDelta = 1 << 20;
    put("short", BuildWave(s));
    s = WaveParams{};
    s.channels = 2, s.bitsPerSample = 8, s.samples = TestSamples(2, 8, 33) + "x";
    put("stereo8_odd", BuildWave(s));
    s.blockAlign = 0;
    put("zero_block", BuildWave(s));
});

}  // namespace
}  // namespace datagen
