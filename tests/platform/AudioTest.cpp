#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/audio/Device.h"
#include "platform/audio/NullOutput.h"

namespace audio = platform::audio;

namespace {

// 16-bit mono or stereo: a constant level, so that gains read directly off the output.
std::vector<uint8_t> Level16(int frames, int channels, int16_t value) {
    std::vector<uint8_t> b;
    for (int i = 0; i < frames * channels; ++i) {
        b.push_back(static_cast<uint8_t>(value & 0xFF));
        b.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    }
    return b;
}

struct NullDevice : ::testing::Test {
    uint32_t now = 1000;
    audio::NullOutput* out = nullptr;
    std::shared_ptr<audio::Device> device;
    void SetUp() override {
        auto o = std::make_unique<audio::NullOutput>([this] { return now; }, 44100);
        out = o.get();
        device = audio::Device::Create(std::move(o));
    }
    std::unique_ptr<audio::SoundBuffer> Make(const audio::PcmFormat& f, const std::vector<uint8_t>& bytes, bool pos = false) {
        std::unique_ptr<audio::SoundBuffer> b;
        EXPECT_EQ(device->CreateBuffer(f, bytes, pos, b), audio::kOk);
        return b;
    }
    // Mean of left and right over the last `frames` captured frames.
    std::pair<double, double> Tail(size_t frames) {
        const auto c = out->Captured();
        double l = 0, r = 0;
        const size_t n = std::min(frames, c.size() / 2);
        for (size_t i = c.size() / 2 - n; i < c.size() / 2; ++i) {
            l += c[2 * i];
            r += c[2 * i + 1];
        }
        return {l / n / 32767.0, r / n / 32767.0};
    }
    void Advance(uint32_t ms) {
        now += ms;
        device->Sync();
    }
};

TEST(Gains, VolumePanAndPosition) {
    EXPECT_FLOAT_EQ(audio::VolumeGain(0), 1.0f);
    EXPECT_NEAR(audio::VolumeGain(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(audio::VolumeGain(-600), 0.501187f, 1e-5);
    EXPECT_EQ(audio::VolumeGain(-10000), 0.0f);
    const auto p = audio::PanGain(1000);
    EXPECT_NEAR(p.left, std::pow(10.0, -0.5), 1e-5);
    EXPECT_EQ(p.right, 1.0f);
    EXPECT_EQ(audio::PanGain(-10000).right, 0.0f);

    audio::ListenerSettings l;
    l.position = {0, 0, -1};
    l.rolloffFactor = 0.25f;
    const auto centre = audio::PositionGain(l, {0, 0, 0});  // one metre ahead: full level
    EXPECT_FLOAT_EQ(centre.left, 1.0f);
    EXPECT_FLOAT_EQ(centre.right, 1.0f);
    const auto right = audio::PositionGain(l, {3, 0, 0});
    const float d = std::sqrt(10.0f);
    EXPECT_NEAR(right.right, 1.0f / (1.0f + 0.25f * (d - 1.0f)), 1e-5);
    EXPECT_LT(right.left, right.right * 0.3f);
    const auto left = audio::PositionGain(l, {-3, 0, 0});
    EXPECT_FLOAT_EQ(left.left, right.right);
}

TEST_F(NullDevice, PlaysResampledAtTheGivenVolumeAndPan) {
    auto b = Make({1, 22050, 16}, Level16(22050, 1, 16384));
    out->Capture(true);
    ASSERT_EQ(b->Play(false), audio::kOk);
    Advance(100);
    auto [l, r] = Tail(2000);
    EXPECT_NEAR(l, 0.5, 0.002);
    EXPECT_NEAR(r, 0.5, 0.002);
    uint32_t cursor = 0;
    b->GetCurrentPosition(cursor);
    EXPECT_NEAR(cursor, 2205 * 2, 4) << "100 ms of a 22.05 kHz 16-bit mono sound";

    b->SetVolume(-600);
    Advance(100);
    std::tie(l, r) = Tail(2000);
    EXPECT_NEAR(l, 0.5 * 0.501187, 0.002);
    b->SetVolume(0);
    b->SetPan(1000);
    Advance(100);
    std::tie(l, r) = Tail(2000);
    EXPECT_NEAR(l, 0.5 * std::pow(10.0, -0.5), 0.002);
    EXPECT_NEAR(r, 0.5, 0.002);
    EXPECT_EQ(b->SetVolume(1), audio::kInvalidParam);
    EXPECT_EQ(b->SetPan(10001), audio::kInvalidParam);
    int32_t v = 5;
    b->GetVolume(v);
    EXPECT_EQ(v, 0);
}

TEST_F(NullDevice, OneShotEndsAndRewindsLoopWraps) {
    auto once = Make({2, 11025, 8}, std::vector<uint8_t>(11025 * 2 / 2, 200));  // 0.5 s, stereo 8-bit
    auto loop = Make({1, 44100, 16}, Level16(4410, 1, 1000));                  // 0.1 s
    EXPECT_EQ(once->Bytes(), 11024u) << "whole frames only";
    once->Play(false);
    loop->Play(true);
    uint32_t s = 0;
    once->GetStatus(s);
    EXPECT_EQ(s, audio::kStatusPlaying);
    loop->GetStatus(s);
    EXPECT_EQ(s, audio::kStatusPlaying | audio::kStatusLooping);
    Advance(250);
    uint32_t c = 0;
    loop->GetCurrentPosition(c);
    EXPECT_NEAR(c, 2205 * 2, 4) << "two and a half loops";
    Advance(400);
    once->GetStatus(s);
    EXPECT_EQ(s, 0u);
    once->GetCurrentPosition(c);
    EXPECT_EQ(c, 0u);
    loop->GetStatus(s);
    EXPECT_TRUE(s & audio::kStatusLooping);
    loop->Stop();
    loop->GetStatus(s);
    EXPECT_EQ(s, 0u);
    loop->GetCurrentPosition(c);
    const uint32_t stopped = c;
    Advance(100);
    loop->GetCurrentPosition(c);
    EXPECT_EQ(c, stopped) << "a stopped buffer keeps its cursor";
    EXPECT_EQ(loop->SetCurrentPosition(100), audio::kOk);
    loop->GetCurrentPosition(c);
    EXPECT_EQ(c, 100u);
    EXPECT_EQ(loop->SetCurrentPosition(loop->Bytes()), audio::kInvalidParam);
}

TEST_F(NullDevice, PositionsWaitForTheCommit) {
    audio::ListenerSettings l;
    l.position = {0, 0, -1};
    l.rolloffFactor = 0.25f;
    device->SetListener(l, false);
    auto b = Make({1, 22050, 16}, Level16(22050, 1, 16384), true);
    out->Capture(true);
    b->Play(true);
    Advance(50);
    EXPECT_NEAR(Tail(1000).first, 0.5, 0.002);
    ASSERT_EQ(b->SetPosition3D({3, 0, 0}, true), audio::kOk);
    Advance(50);
    EXPECT_NEAR(Tail(1000).first, 0.5, 0.002) << "deferred: nothing moves before the commit";
    device->CommitDeferredSettings();
    Advance(50);
    const auto g = audio::PositionGain(l, {3, 0, 0});
    auto [left, right] = Tail(1000);
    EXPECT_NEAR(left, 0.5 * g.left, 0.002);
    EXPECT_NEAR(right, 0.5 * g.right, 0.002);

    auto flat = Make({1, 22050, 16}, Level16(100, 1, 0));
    EXPECT_EQ(flat->SetPosition3D({1, 1, 1}, true), audio::kControlUnavailable);
}

TEST_F(NullDevice, RefusesFormatsAndRecordsCalls) {
    std::unique_ptr<audio::SoundBuffer> b;
    EXPECT_EQ(device->CreateBuffer({3, 22050, 16}, Level16(10, 3, 0), false, b), audio::kBadFormat);
    EXPECT_EQ(device->CreateBuffer({1, 22050, 24}, Level16(10, 1, 0), false, b), audio::kBadFormat);
    EXPECT_EQ(device->CreateBuffer({1, 50, 16}, Level16(10, 1, 0), false, b), audio::kBadFormat);
    EXPECT_FALSE(b);
    out->ClearCalls();
    auto ok = Make({1, 22050, 16}, Level16(10, 1, 0));
    ok->Play(true);
    ok->Stop();
    ok.reset();
    const auto calls = out->Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], "CreateBuffer #1 22050 Hz 16-bit 1 ch 20 bytes");
    EXPECT_EQ(calls[1], "Play #1 looping");
    EXPECT_EQ(calls[2], "Stop #1");
    EXPECT_EQ(calls[3], "Release #1");
}

TEST_F(NullDevice, StreamSourceMixesWithItsGain) {
    device->GetMixer().SetStream([](float* s, size_t n) {
        for (size_t i = 0; i < n; ++i) s[2 * i] = s[2 * i + 1] = 0.25f;
    });
    device->GetMixer().SetStreamGain(1.0f, 0.5f);
    out->Capture(true);
    Advance(20);
    auto [l, r] = Tail(500);
    EXPECT_NEAR(l, 0.25, 0.001);
    EXPECT_NEAR(r, 0.125, 0.001);
    device->GetMixer().SetStream({});
}

TEST(Samples, DecodesEightAndSixteenBit) {
    const std::vector<uint8_t> eight = {0, 128, 255, 64};
    auto s = audio::Samples::Decode({2, 8000, 8}, eight);
    EXPECT_EQ(s->frames, 2u);
    EXPECT_EQ(s->data, (std::vector<int16_t>{-32768, 0, 32512, -16384}));
    const std::vector<uint8_t> sixteen = {0x00, 0x80, 0xFF, 0x7F, 0x01};
    s = audio::Samples::Decode({1, 8000, 16}, sixteen);
    EXPECT_EQ(s->frames, 2u);
    EXPECT_EQ(s->data, (std::vector<int16_t>{-32768, 32767}));
}

}  // namespace

#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

namespace {

// FluidSynth into the null device: the music's time is the frames the virtual clock lets
// the mixer render, and reading the mode renders up to now.
TEST_F(NullDevice, FluidSynthKeepsTimeOnTheNullDevice) {
    std::string why;
    auto seq = platform::midi::MakeFluidSequencer({nullptr, nullptr, device, {}}, why);
    ASSERT_TRUE(seq) << why;
    const auto bytes = datagen::WriteMidi(datagen::ScaleTune(0, 4, 240, false));
    ASSERT_TRUE(seq->OpenSong(platform::midi::ReadMidiFile(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))));
    int ended = 0;
    seq->SetNotify([&](platform::midi::NotifyCode) { ++ended; });
    out->Capture(true);
    seq->Play();
    now += 500;
    EXPECT_EQ(seq->GetMode(), platform::midi::Mode::Playing);
    EXPECT_NEAR(seq->PositionMs(), 500u, 25);
    double energy = 0;
    for (int16_t s : out->Captured()) energy += std::abs(s);
    EXPECT_GT(energy, 0.0) << "notes were rendered";
    now += 600;
    EXPECT_EQ(seq->GetMode(), platform::midi::Mode::Stopped);
    EXPECT_EQ(ended, 1);
    seq->SetVolume(0);  // both channels silent
    EXPECT_EQ(seq->Volume(), 0u);
}

}  // namespace

namespace {

TEST(Backends, ChosenByTheEnvironmentAndShared) {
    ::setenv("SPRALLION_AUDIO", "null", 1);
    ::setenv("SPRALLION_MIDI", "null", 1);
    auto a = audio::SharedDevice();
    auto b = audio::SharedDevice();
    EXPECT_EQ(a, b) << "one device for the process";
    EXPECT_STREQ(a->BackendName(), "null");
    std::weak_ptr<audio::Device> weak = a;
    a.reset();
    b.reset();
    EXPECT_TRUE(weak.expired()) << "closed with its last user";
    auto seq = platform::midi::OpenSequencer({});
    EXPECT_STREQ(seq->Name(), "null");
}

}  // namespace
