// Real output through SDL's disk audio driver: what the device writes is read back.
#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <thread>

#include "platform/audio/Device.h"
#include "platform/audio/SdlOutput.h"
#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

namespace fs = std::filesystem;
namespace audio = platform::audio;
namespace midi = platform::midi;

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kFrameBytes = 4;  // 16-bit stereo

struct DiskOutput : ::testing::Test {
    fs::path file;
    std::shared_ptr<audio::Device> device;

    void SetUp() override {
        file = fs::temp_directory_path() / ("sprallion-disk-" + std::to_string(::getpid()) + ".raw");
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "5", 1);  // a 1024-frame buffer every 5 ms: faster than real time
        std::string why;
        auto out = audio::SdlOutput::Open(why, kRate);
        ASSERT_TRUE(out) << why;
        ASSERT_EQ(out->Driver(), "disk");
        ASSERT_EQ(out->Rate(), kRate);
        device = audio::Device::Create(std::move(out));
    }
    void TearDown() override {
        device.reset();
        fs::remove(file);
    }
    size_t Frames() const {
        std::error_code ec;
        const auto size = fs::file_size(file, ec);
        return ec ? 0 : static_cast<size_t>(size) / kFrameBytes;
    }
    // Waits until the device has written `frames` more frames (a guard stops a stuck driver).
    size_t WaitFrames(size_t frames) {
        const size_t target = Frames() + frames;
        for (int i = 0; i < 4000 && Frames() < target; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Frames();
    }
    std::vector<int16_t> Read() const {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<int16_t> s(raw.size() / 2);
        std::memcpy(s.data(), raw.data(), s.size() * 2);
        return s;
    }
};

double Db(double ratio) { return 20.0 * std::log10(ratio); }

struct Level {
    double left, right;  // RMS, full scale 1.0
};

Level Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
    double l = 0, r = 0;
    for (size_t i = from; i < to; ++i) {
        l += double(s[2 * i]) * s[2 * i];
        r += double(s[2 * i + 1]) * s[2 * i + 1];
    }
    const double n = double(to - from);
    return {std::sqrt(l / n) / 32768.0, std::sqrt(r / n) / 32768.0};
}

TEST_F(DiskOutput, WrittenLevelsFollowVolumeAndPan) {
    // One second of a 1 kHz sine at half scale, 16-bit mono at 22.05 kHz (resampled on output).
    std::vector<uint8_t> pcm;
    for (int i = 0; i < 22050; ++i) {
        const auto v = static_cast<int16_t>(std::lrint(16384 * std::sin(2 * std::numbers::pi * 1000 * i / 22050.0)));
        pcm.push_back(static_cast<uint8_t>(v & 0xFF));
        pcm.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    std::unique_ptr<audio::SoundBuffer> b;
    ASSERT_EQ(device->CreateBuffer({1, 22050, 16}, pcm, false, b), audio::kOk);

    struct Phase {
        int32_t volume, pan;
        size_t from = 0, to = 0;
    };
    Phase phases[] = {{0, 0}, {-600, 0}, {0, 1000}};
    b->Play(true);
    for (Phase& p : phases) {
        b->SetVolume(p.volume);
        b->SetPan(p.pan);
        p.from = Frames() + 4096;  // past what was mixed before the change
        p.to = WaitFrames(4096 + kRate / 4);
    }
    b->Stop();
    device.reset();  // closes the file
    const auto s = Read();
    const double full = 0.5 / std::sqrt(2.0);
    for (const Phase& p : phases) {
        ASSERT_GT(p.to, p.from + kRate / 8);
        const Level got = Rms(s, p.from, std::min(p.to, s.size() / 2));
        const double gain = std::pow(10.0, p.volume / 2000.0);
        const double left = full * gain * (p.pan > 0 ? std::pow(10.0, -p.pan / 2000.0) : 1.0);
        const double right = full * gain;
        EXPECT_NEAR(Db(got.left / left), 0.0, 0.5) << "volume " << p.volume << " pan " << p.pan;
        EXPECT_NEAR(Db(got.right / right), 0.0, 0.5) << "volume " << p.volume << " pan " << p.pan;
    }
}

TEST_F(DiskOutput, FluidSynthRendersTheTuneForItsLength) {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::function<void()>> posted;
    size_t atEnd = 0;
    midi::SequencerOptions o;
    o.device = device;
    o.post = [&](std::function<void()> f) {
        std::lock_guard lock(mutex);
        // The output so far, taken on the output thread as it notifies: what the main thread
        // reads later grows with its wake-up delay on a loaded machine.
        if (posted.empty()) atEnd = Frames();
        posted.push_back(std::move(f));
        cv.notify_all();
    };
    std::string why;
    auto seq = midi::MakeFluidSequencer(o, why);
    ASSERT_TRUE(seq) << why;
    bool ended = false;
    seq->SetNotify([&](midi::NotifyCode c) { ended = c == midi::kNotifySuccessful; });
    const auto bytes = datagen::WriteMidi(datagen::ScaleTune(1, 4, 240, false));  // 1 s
    ASSERT_TRUE(seq->OpenSong(midi::ReadMidiFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))));
    ASSERT_EQ(seq->LengthMs(), 1000u);

    const size_t start = Frames();
    seq->Play();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return !posted.empty(); }));
    }
    for (auto& f : posted) f();  // on "the main thread"
    EXPECT_TRUE(ended);
    EXPECT_EQ(seq->GetMode(), midi::Mode::Stopped);
    WaitFrames(kRate);  // the release of the last notes
    seq.reset();
    device.reset();

    const auto s = Read();
    ASSERT_GT(s.size() / 2, start + kRate);
    size_t first = 0, last = 0;
    for (size_t i = start; i < s.size() / 2; ++i)
        if (std::abs(s[2 * i]) > 100 || std::abs(s[2 * i + 1]) > 100) {
            if (!first) first = i;
            last = i;
        }
    ASSERT_GT(first, 0u) << "no sound at all";
    const double heard = double(last - first) / kRate;
    EXPECT_GT(heard, 0.9);
    EXPECT_LT(heard, 2.5) << "one second of notes and their release";
    // The end is notified after about a second of output (plus the device's buffering), not
    // after two.
    const double played = double(atEnd - start) / kRate;
    EXPECT_GT(played, 0.9);
    EXPECT_LT(played, 1.8);
}

}  // namespace
