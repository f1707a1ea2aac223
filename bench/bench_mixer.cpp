// The mixer against real time: 32 looping voices of mixed formats (some placed in 3-D)
// mixed to 44.1 kHz stereo. "mix_per_real" is mixing time over the duration of the audio
// mixed; one core's share is that ratio. The peer, SDL_MixAudioFormat, adds the same
// number of streams already in the output format (no resampling, no pan, no 3-D).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/audio/Mixer.h"

namespace audio = platform::audio;

namespace {

std::shared_ptr<const audio::Samples> Tone(const audio::PcmFormat& f, double hz) {
    std::vector<uint8_t> bytes;
    const int frames = static_cast<int>(f.samplesPerSec);  // one second
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < f.channels; ++c) {
            const double v = std::sin(6.283185307 * hz * i / f.samplesPerSec) * 0.3;
            if (f.bitsPerSample == 8) {
                bytes.push_back(static_cast<uint8_t>(128 + std::lrint(v * 127)));
            } else {
                const auto s = static_cast<int16_t>(std::lrint(v * 32767));
                bytes.push_back(static_cast<uint8_t>(s & 0xFF));
                bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
            }
        }
    return audio::Samples::Decode(f, bytes);
}

void MixVoices(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    constexpr uint32_t kRate = 44100;
    constexpr size_t kBlock = 1024;
    audio::Mixer mixer(kRate);
    const audio::PcmFormat formats[] = {{1, 22050, 16}, {1, 11025, 8}, {2, 44100, 16}, {1, 32000, 16}};
    audio::ListenerSettings l;
    l.position = {0, 0, -1};
    l.rolloffFactor = 0.25f;
    mixer.SetListener(l, false);
    for (int v = 0; v < voices; ++v) {
        const bool placed = v % 2 == 0;
        const auto id = mixer.AddVoice(Tone(formats[v % 4], 200.0 + 37 * v), placed);
        mixer.SetVolume(id, -300 * (v % 5));
        mixer.SetPan(id, placed ? 0 : (v % 3 - 1) * 2000);
        if (placed) mixer.SetPosition(id, {static_cast<float>(v % 7 - 3), 0.5f, 0}, false);
        mixer.Play(id, true);
    }
    std::vector<int16_t> out(kBlock * 2);
    double mixing = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        mixer.Mix(out.data(), kBlock);
        mixing += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(out.data());
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["mix_per_real"] = mixing / audioSeconds;
    state.counters["cpu_percent"] = 100.0 * mixing / audioSeconds;
}

void SdlMixPeer(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    constexpr uint32_t kRate = 44100;
    constexpr size_t kBlock = 1024;
    std::vector<std::vector<int16_t>> sources(static_cast<size_t>(voices), std::vector<int16_t>(kRate * 2));
    for (int v = 0; v < voices; ++v)
        for (size_t i = 0; i < kRate; ++i)
            sources[v][2 * i] = sources[v][2 * i + 1] =
                static_cast<int16_t>(std::lrint(9000 * std::sin(6.283185307 * (200.0 + 37 * v) * i / kRate)));
    std::vector<int16_t> out(kBlock * 2);
    size_t pos = 0;
    double mixing = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::fill(out.begin(), out.end(), 0);
        for (int v = 0; v < voices; ++v)
            SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(&sources[v][pos * 2]),
                               AUDIO_S16SYS, kBlock * 4, SDL_MIX_MAXVOLUME * (5 - v % 5) / 5);
        mixing += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(out.data());
        pos = (pos + kBlock) % (kRate - kBlock);
    }
    const double audioSeconds = static_cast<double>(state.iterations()) * kBlock / kRate;
    state.counters["mix_per_real"] = mixing / audioSeconds;
    state.counters["cpu_percent"] = 100.0 * mixing / audioSeconds;
}

}  // namespace

BENCHMARK(MixVoices)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(SdlMixPeer)->Arg(32)->Unit(benchmark::kMicrosecond);
