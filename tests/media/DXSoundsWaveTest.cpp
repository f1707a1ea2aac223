// Sounds loaded from RIFF WAVE data, and the wave list's look-up by name.
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/DXSounds.h"
#include "platform/audio/NullOutput.h"
#include "tests/TempDir.h"
#include "tools/datagen/Wave.h"

namespace audio = platform::audio;
using media::TDirectSound;
using media::TDXWaveList;

namespace {

// The load failure text, in the game's code page.
const std::string kCannotLoad =
    "\xCD\xE5\xE0\xEE\xE7\xEC\xEE\xE6\xED\xEE \xE7\xE0\xE3\xF0\xF3\xE7\xE8\xF2\xFC \xC7\xE2\xF3\xEA \xE8\xE7 "
    "\xEF\xEE\xF2\xEE\xEA\xE0";

rtl::MemoryStream StreamOf(const std::string& bytes) {
    return rtl::MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

struct WaveSounds : ::testing::Test {
    uint32_t now = 0;
    audio::NullOutput* out = nullptr;
    std::shared_ptr<audio::Device> device;
    void SetUp() override {
        // The output runs at the sounds' own rate, so the mix carries the samples unchanged.
        auto o = std::make_unique<audio::NullOutput>([this] { return now; }, 22050);
        out = o.get();
        device = audio::Device::Create(std::move(o));
    }
};

TEST_F(WaveSounds, AGeneratedWaveLoadsAndPlaysItsSamplesAsWritten) {
    TDirectSound ds(1, 0, device);
    datagen::WaveParams params;
    params.samples = datagen::TestSamples(1, 16, 2205);
    params.chunksBeforeFmt = {{"LIST", "odd"}};
    TempDir dir;
    dir.Write("boom.wav", datagen::BuildWave(params));

    auto& b = media::TDirectSoundBuffer::Create(&ds);
    b.LoadFromFile(dir.File("boom.wav"));
    ASSERT_TRUE(b.Loaded());
    EXPECT_EQ(b.Size(), params.samples.size());
    EXPECT_EQ(b.Wave().SampleCount, 2205u);
    EXPECT_EQ(b.Wave().Format.nSamplesPerSec, 22050u);

    out->Capture(true);
    b.Play(false);
    now += 50;
    b.Stop();
    const auto mixed = out->Captured();
    ASSERT_GE(mixed.size(), 2u * 1000);
    int differ = 0;
    for (size_t f = 0; f < 1000; ++f) {
        const auto lo = static_cast<uint8_t>(params.samples[2 * f]), hi = static_cast<uint8_t>(params.samples[2 * f + 1]);
        const int written = static_cast<int16_t>(lo | hi << 8);
        differ += std::abs(mixed[2 * f] - written) > 1 || std::abs(mixed[2 * f + 1] - written) > 1;
    }
    EXPECT_EQ(differ, 0) << "the centre of the field carries the sound unchanged on both sides";

    // A wave item loads the same way from a stream; stereo 8-bit keeps its size.
    TDXWaveList list(&ds);
    datagen::WaveParams stereo;
    stereo.channels = 2, stereo.bitsPerSample = 8, stereo.samples = datagen::TestSamples(2, 8, 300);
    stereo.chunksBeforeData = {{"fact", std::string(4, '\0')}};
    auto s = StreamOf(datagen::BuildWave(stereo));
    auto& item = list.Add("Ping");
    item.LoadFromStream(s);
    EXPECT_EQ(item.Buffer().Size(), 600u);
    EXPECT_EQ(item.Buffer().Wave().Format.nChannels, 2);
    item.Play();
    EXPECT_TRUE(item.GetPlaying());
}

TEST_F(WaveSounds, HostileHeadersLoadClampedOrFailCleanly) {
    TDirectSound ds(1, 0, device);
    auto& b = media::TDirectSoundBuffer::Create(&ds);
    datagen::WaveParams params;
    params.samples = datagen::TestSamples(1, 16, 100);

    params.dataSizeDelta = 0x7FFF0000;  // claims far more than the file holds
    auto big = StreamOf(datagen::BuildWave(params));
    b.LoadFromStream(big);
    EXPECT_EQ(b.Size(), 200u) << "the buffer holds only the samples present";

    params.dataSizeDelta = 0;
    params.samples += 'x';  // half a frame at the end
    auto odd = StreamOf(datagen::BuildWave(params));
    b.LoadFromStream(odd);
    EXPECT_EQ(b.Size(), 200u) << "whole frames only";

    auto refused = [&](const std::string& bytes) {
        auto s = StreamOf(bytes);
        try {
            b.LoadFromStream(s);
            return std::string("loaded");
        } catch (const media::EDirectSoundBufferError& e) {
            EXPECT_STREQ(e.className(), "EDirectSoundBufferError");
            EXPECT_FALSE(b.Loaded()) << "a failed load leaves no sound behind";
            return e.message();
        }
    };
    datagen::WaveParams zero = params;
    zero.blockAlign = 0;
    EXPECT_EQ(refused(datagen::BuildWave(zero)), kCannotLoad);
    EXPECT_THROW(b.Play(false), media::EDirectSoundBufferError);
    datagen::WaveParams silent = params;
    silent.rate = 0, silent.avgBytes = 0;
    EXPECT_EQ(refused(datagen::BuildWave(silent)), kCannotLoad);
    datagen::WaveParams adpcm = params;
    adpcm.formatTag = 2;
    EXPECT_EQ(refused(datagen::BuildWave(adpcm)), kCannotLoad);
    EXPECT_EQ(b.Wave().Error, media::wrADPCM);
    EXPECT_EQ(refused("RIFF"), kCannotLoad);
    EXPECT_EQ(refused(""), kCannotLoad);

    // A format the reader accepts but the mixer cannot play is the device's refusal.
    datagen::WaveParams wide = params;
    wide.bitsPerSample = 24;
    wide.samples = std::string(300, '\1');
    auto s = StreamOf(datagen::BuildWave(wide));
    try {
        b.LoadFromStream(s);
        FAIL();
    } catch (const media::EDirectSoundError& e) {
        EXPECT_EQ(e.message(), "Pufferobjekt anlegen: The specified wave format is not supported.");
    }
    // An empty data chunk has nothing to play.
    datagen::WaveParams empty = params;
    empty.samples.clear();
    auto e = StreamOf(datagen::BuildWave(empty));
    EXPECT_THROW(b.LoadFromStream(e), media::EDirectSoundError);
    EXPECT_FALSE(b.Loaded());

    TempDir dir;
    EXPECT_THROW(b.LoadFromFile(dir.File("missing.wav")), rtl::Exception);
}

TEST_F(WaveSounds, NamesAreFoundInAnyCaseThroughTheirBuckets) {
    TDirectSound ds(1, 0, device);
    TDXWaveList list(&ds);
    // A second name in the bucket of "Boom".
    const int bucket = media::wave::HashName("Boom");
    std::string mate;
    for (int i = 0; mate.empty(); ++i)
        if (media::wave::HashName("s" + std::to_string(i)) == bucket) mate = "s" + std::to_string(i);

    list.Add("Boom");
    list.Add(mate);
    list.Add("\xC7\xE2\xF3\xEA");  // Cyrillic, Windows-1251
    list.Add("Ping");
    EXPECT_EQ(list.Head(bucket)->Name(), mate) << "the newest item heads its bucket";
    EXPECT_EQ(list.NextInBucket(*list.Head(bucket))->Name(), "Boom");
    EXPECT_EQ(list.IndexOf("bOOm"), 0);
    EXPECT_EQ(list.IndexOf(mate), 1);
    EXPECT_EQ(list.IndexOf("\xE7\xE2\xF3\xEA"), 2) << "Cyrillic letters fold too";
    EXPECT_EQ(list.IndexOf("\xC7\xC2\xD3\xCA"), 2);
    EXPECT_EQ(list.Find("PING"), &list.GetItem(3));
    EXPECT_EQ(list.Find("Pong"), nullptr);
    EXPECT_EQ(list.IndexOf(""), -1);

    delete &list.GetItem(0);  // the bucket's tail goes; its mate stays reachable
    EXPECT_EQ(list.IndexOf("Boom"), -1);
    EXPECT_EQ(list.IndexOf(mate), 0);
    EXPECT_EQ(list.IndexOf("ping"), 2);
    list.GetItem(0).SetName("Crash");
    EXPECT_EQ(list.IndexOf(mate), -1);
    EXPECT_EQ(list.IndexOf("crash"), 0);
    EXPECT_EQ(list.GetItem(0).Bucket(), media::wave::HashName("Crash"));
    EXPECT_EQ(ds.BufferCount(), 3u) << "a removed sound frees its buffer";
}

}  // namespace
