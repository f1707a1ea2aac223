#include "media/DXSounds.h"

#include <gtest/gtest.h>

#include "platform/audio/NullOutput.h"

namespace audio = platform::audio;
using media::TDirectSound;

namespace {

std::vector<uint8_t> Tone(int frames) {
    std::vector<uint8_t> b;
    for (int i = 0; i < frames; ++i) {
        const int16_t v = static_cast<int16_t>((i % 50) * 400 - 10000);
        b.push_back(static_cast<uint8_t>(v & 0xFF));
        b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    return b;
}

struct Sounds : ::testing::Test {
    uint32_t now = 0;
    audio::NullOutput* out = nullptr;
    std::shared_ptr<audio::Device> device;
    void SetUp() override {
        auto o = std::make_unique<audio::NullOutput>([this] { return now; });
        out = o.get();
        device = audio::Device::Create(std::move(o));
    }
};

TEST_F(Sounds, CreationLevelsAndErrors) {
    try {
        TDirectSound bad(4, 0, device);
        FAIL();
    } catch (const media::EDirectSoundError& e) {
        EXPECT_EQ(e.message(), "CooperativeLevel cannot be made");
        EXPECT_STREQ(e.className(), "EDirectSoundError");
    }
    {
        TDirectSound one(1, 0, device);
        EXPECT_EQ(device->PrimaryFormat().samplesPerSec, 44100u) << "level 1 leaves the format as it is";
        EXPECT_FALSE(one.Use3D());
    }
    TDirectSound two(2, 0x10, device);
    EXPECT_EQ(device->PrimaryFormat(), (audio::PcmFormat{2, 22050, 16}));
    EXPECT_TRUE(two.Use3D());
    const auto l = device->Listener();
    EXPECT_EQ(l.position, (audio::Vec3{0, 0, -1}));
    EXPECT_FLOAT_EQ(l.rolloffFactor, 0.25f);
    EXPECT_FLOAT_EQ(l.dopplerFactor, 5.0f);
    EXPECT_THROW(media::TDirectSoundBuffer::Create(nullptr), media::EDirectSoundError);
    EXPECT_STREQ(media::DSoundErrorString(0x88780064), "The specified wave format is not supported.");
    EXPECT_STREQ(media::DSoundErrorString(1), "Unrecognized Error");
}

TEST_F(Sounds, BuffersPlayLoopStopAndReportCursors) {
    TDirectSound ds(1, 0, device);
    auto& b = media::TDirectSoundBuffer::Create(&ds);
    EXPECT_EQ(ds.BufferCount(), 1u);
    EXPECT_THROW(b.Play(false), media::EDirectSoundBufferError);
    EXPECT_THROW(b.Stop(), media::EDirectSoundBufferError);
    const auto pcm = Tone(22050);
    // The header claims more than the data holds: the buffer takes what is there.
    b.LoadFromPcm({1, 22050, 16}, 0x7FFFFFFF, pcm);
    EXPECT_EQ(b.Size(), 44100u);
    b.LoadFromPcm({1, 22050, 16}, 1000, pcm);
    EXPECT_EQ(b.Size(), 1000u);
    b.LoadFromPcm({1, 22050, 16}, 44100, pcm);
    b.Play(false);
    EXPECT_EQ(b.GetStatus(), audio::kStatusPlaying);
    now += 500;
    EXPECT_NEAR(b.GetPosition(), 22050u, 4);
    now += 600;
    EXPECT_EQ(b.GetStatus(), 0u);
    b.Play(true);
    now += 1250;
    EXPECT_EQ(b.GetStatus(), audio::kStatusPlaying | audio::kStatusLooping);
    EXPECT_NEAR(b.GetPosition(), 11025u, 4);
    b.Stop();
    b.SetVolume(-1500);
    EXPECT_EQ(b.GetVolume(), -1500);
    b.SetVolume(-20000);
    EXPECT_EQ(b.GetVolume(), -10000);
    try {
        b.LoadFromPcm({1, 22050, 24}, 100, pcm);
        FAIL();
    } catch (const media::EDirectSoundError& e) {
        EXPECT_EQ(e.message(), "Pufferobjekt anlegen: The specified wave format is not supported.");
    }
    EXPECT_THROW(b.LoadFromPcm({1, 22050, 16}, 1, pcm), media::EDirectSoundError) << "no whole frame";
}

TEST_F(Sounds, ScreenCentreMapsToTheListenerAxis) {
    TDirectSound ds(1, 0x10, device);
    ds.SetPositionMapping(400, 300, 0.0075, -0.01, 0.0, 0);
    EXPECT_EQ(ds.MapPosition(400, 300, 0), (audio::Vec3{0, 0, 0}));
    const auto corner = ds.MapPosition(800, 600, 0);
    EXPECT_FLOAT_EQ(corner.x, 3.0f);
    EXPECT_FLOAT_EQ(corner.y, -3.0f);
    auto& b = media::TDirectSoundBuffer::Create(&ds);
    b.LoadFromPcm({1, 22050, 16}, 44100, Tone(22050));
    b.SetPosition3D(800, 300, 0);
    ds.CommitDeferredSettings();
    const auto calls = out->Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetPosition3D #1 3 -0 0 deferred"), calls.end());
    EXPECT_EQ(calls.back(), "CommitDeferredSettings");
    EXPECT_EQ(b.Position3D(), (audio::Vec3{800, 300, 0}));
    ds.SetUse3D(false);
    out->ClearCalls();
    b.SetPosition3D(0, 0, 0);
    ds.CommitDeferredSettings();
    EXPECT_TRUE(out->Calls().empty()) << "without 3-D, positions are only stored";
}

TEST_F(Sounds, WaveListVolumesLoopingAndClear) {
    TDirectSound ds(1, 0, device);
    {
        media::TDXWaveList list(&ds);
        for (const char* name : {"Boom", "Ping", "ab", "Ba"}) list.Add(name).LoadFromPcm({1, 22050, 16}, 2000, Tone(1000));
        EXPECT_EQ(ds.BufferCount(), 4u);
        EXPECT_EQ(list.GetCount(), 4);
        EXPECT_EQ(list.IndexOf("ping"), 1);
        list.Add("\xC7\xE2\xF3\xEA");  // Cyrillic, Windows-1251
        EXPECT_EQ(list.IndexOf("\xE7\xE2\xF3\xEA"), 4) << "one case fold for every name";
        list.GetItem(4).LoadFromPcm({1, 22050, 16}, 2000, Tone(1000));
        EXPECT_EQ(list.IndexOf("none"), -1);
        list.SetVolume(-1000);
        EXPECT_EQ(list.GetVolume(), -1000);
        for (int i = 0; i < list.GetCount(); ++i) EXPECT_EQ(list.GetItem(i).Buffer().GetVolume(), -1000);
        EXPECT_THROW(list.GetItem(5), rtl::EListError);

        auto& boom = list.GetItem(0);
        boom.Play();
        EXPECT_TRUE(boom.GetPlaying());
        EXPECT_FALSE(boom.GetLooping());
        boom.SetLooped(true);  // a change stops the sound first
        EXPECT_FALSE(boom.GetPlaying());
        boom.Play();
        EXPECT_TRUE(boom.GetLooping());
        now += 30;
        boom.Stop();
        EXPECT_EQ(boom.Buffer().GetPosition(), 0u) << "stop rewinds";
        list.Clear();
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(ds.BufferCount(), 0u);
        list.Add("again");
    }
    EXPECT_EQ(ds.BufferCount(), 0u) << "the list frees its sounds";
    // A list that outlives its sound object: the object freed the buffers already.
    auto early = std::make_unique<TDirectSound>(1, 0, device);
    media::TDXWaveList late(early.get());
    late.Add("x");
    early.reset();
}

}  // namespace
