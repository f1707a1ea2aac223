// The game thread's sound calls while dense FluidSynth music plays. An output thread plays
// the part of the sound card: it mixes one 1024-frame block per block of real time, the
// synthesiser rendering its share. The game thread meanwhile starts and stops a sound (and,
// in the second run, asks the music player for its mode, as every tick does).
//
// Counters: the worst and the 99.9th-percentile call in microseconds; the calls made while a
// block was being mixed (their median and 99th percentile, and how many took half a block or
// more); and the time the synthesiser takes for one block of this music, measured in the same
// run. A call held up by the synthesiser would take up to a block; the machine's own noise
// (a thread descheduled) shows in the peer without music.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/audio/Device.h"
#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

namespace audio = platform::audio;
namespace midi = platform::midi;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kBlock = 1024;

// The sound card: a block every block's duration, on a thread of its own. It times the
// stream source's share of each block.
class PacedOutput final : public audio::Output {
public:
    const char* Name() const override { return "paced"; }
    uint32_t Rate() const override { return kRate; }
    void Start(audio::Mixer& mixer) override {
        running_ = true;
        thread_ = std::thread([this, &mixer] {
            std::vector<int16_t> block(kBlock * 2);
            auto due = Clock::now();
            while (running_) {
                rendering.store(true);
                mixer.Mix(block.data(), kBlock);
                rendering.store(false);
                due += std::chrono::microseconds(kBlock * 1000000 / kRate);
                std::this_thread::sleep_until(due);
            }
        });
    }
    void Stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    // Whether a block is being mixed at this moment (on any paced output).
    static inline std::atomic<bool> rendering{false};

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};

// Sixteen channels of eight-note chords on every sixteenth note, strings that ring on.
std::string DenseTune() {
    datagen::MidiTune tune;
    tune.division = 480;
    tune.tempos = {{0, 375000}};  // 160 beats a minute
    tune.program = 48;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        if (channel == 9) continue;  // the drums
        std::vector<datagen::MidiNote> notes;
        for (uint32_t step = 0; step < 16 * 40; ++step)
            for (uint8_t n = 0; n < 8; ++n)
                notes.push_back({step * 120, 400, channel, uint8_t(36 + (step * 5 + n * 7 + channel * 3) % 60), 90});
        tune.tracks.push_back(std::move(notes));
    }
    const std::string path = (std::filesystem::temp_directory_path() / "sprallion_dense.mid").string();
    std::ofstream(path, std::ios::binary) << datagen::WriteMidi(tune);
    return path;
}

struct Music {
    std::shared_ptr<audio::Device> device = audio::Device::Create(std::make_unique<PacedOutput>());
    std::unique_ptr<midi::Sequencer> sequencer;
    std::unique_ptr<audio::SoundBuffer> sound;

    Music() {
        std::string why;
        midi::SequencerOptions options;
        options.device = device;
        sequencer = midi::MakeFluidSequencer(options, why);
        if (!sequencer) return;
        sequencer->Open(DenseTune());
        sequencer->Play(false);
        std::vector<uint8_t> pcm(22050 * 2);
        for (size_t i = 0; i < pcm.size() / 2; ++i) {
            const auto v = int16_t(8000 * std::sin(i * 0.05));
            pcm[2 * i] = uint8_t(v), pcm[2 * i + 1] = uint8_t(v >> 8);
        }
        device->CreateBuffer({1, 22050, 16}, pcm, false, sound);
    }
};

Music& TheMusic() {
    static Music music;
    return music;
}

// Per-call latencies of one run, in microseconds; apart, the calls made while a block was
// being mixed, which are the ones a lock held for the whole block would hold up.
struct Latencies {
    std::vector<double> us, duringMix;
    template <class Call>
    void Time(Call call) {
        const bool mixing = PacedOutput::rendering.load();
        const auto t0 = Clock::now();
        call();
        const double took = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        us.push_back(took);
        if (mixing) duringMix.push_back(took);
    }
    void Report(benchmark::State& state, double blockUs) {
        std::sort(us.begin(), us.end());
        std::sort(duringMix.begin(), duringMix.end());
        auto at = [](const std::vector<double>& v, double q) { return v.empty() ? 0 : v[size_t(double(v.size() - 1) * q)]; };
        state.counters["worst_us"] = us.empty() ? 0 : us.back();
        state.counters["p999_us"] = at(us, 0.999);
        state.counters["block_us"] = blockUs;
        state.counters["mixing_calls"] = double(duringMix.size());
        state.counters["mixing_p99_us"] = at(duringMix, 0.99);
        state.counters["mixing_median_us"] = at(duringMix, 0.5);
        // Calls made during a mix that took half a block or more: waiting for the synthesiser.
        state.counters["mixing_waits"] =
            double(duringMix.end() - std::lower_bound(duringMix.begin(), duringMix.end(), blockUs / 2));
    }
};

// How long the synthesiser takes for one block of this music, on a synthesiser of its own
// rendering the same tune by hand (the game's music keeps playing meanwhile).
double SynthBlockMicros() {
    static const double micros = [] {
        auto device = audio::Device::Create(std::make_unique<PacedOutput>());
        std::string why;
        midi::SequencerOptions options;
        options.device = device;
        auto sequencer = midi::MakeFluidSequencer(options, why);
        if (!sequencer) return 0.0;
        sequencer->Open(DenseTune());
        sequencer->Play(false);
        device->GetOutput().Stop();  // render by hand below
        std::vector<int16_t> block(kBlock * 2);
        const auto t0 = Clock::now();
        constexpr int kBlocks = 200;
        for (int i = 0; i < kBlocks; ++i) device->GetMixer().Mix(block.data(), kBlock);
        return std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / kBlocks;
    }();
    return micros;
}

void BM_PlayStopWhileMusicPlays(benchmark::State& state) {
    Music& m = TheMusic();
    if (!m.sequencer || !m.sound) {
        state.SkipWithError("FluidSynth or its sound font is missing");
        return;
    }
    const double block = SynthBlockMicros();
    Latencies lat;
    for (auto _ : state) lat.Time([&] {
            m.sound->Play(false);
            m.sound->Stop();
        });
    lat.Report(state, block);
}

void BM_MusicModeWhileMusicPlays(benchmark::State& state) {
    Music& m = TheMusic();
    if (!m.sequencer) {
        state.SkipWithError("FluidSynth or its sound font is missing");
        return;
    }
    const double block = SynthBlockMicros();
    Latencies lat;
    for (auto _ : state) lat.Time([&] { benchmark::DoNotOptimize(m.sequencer->GetMode()); });
    lat.Report(state, block);
}

// The peer: the same calls on a device without music. Its worst call is the machine's own
// noise (the thread descheduled), which the music runs share.
void BM_PlayStopWithoutMusic(benchmark::State& state) {
    auto device = audio::Device::Create(std::make_unique<PacedOutput>());
    std::unique_ptr<audio::SoundBuffer> sound;
    device->CreateBuffer({1, 22050, 16}, std::vector<uint8_t>(44100, 0), false, sound);
    const double block = SynthBlockMicros();
    Latencies lat;
    for (auto _ : state) lat.Time([&] {
            sound->Play(false);
            sound->Stop();
        });
    lat.Report(state, block);
}

BENCHMARK(BM_PlayStopWithoutMusic)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayStopWhileMusicPlays)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MusicModeWhileMusicPlays)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
