// The demo sounds and tunes: read back through the game's own WAVE and MIDI readers,
// never clipped or clicking, long enough, looping on a bar line, in key.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "media/Wave.h"
#include "platform/midi/MidiFile.h"
#include "rtl/Streams.h"
#include "tools/datagen/demo/DemoMusic.h"
#include "tools/datagen/demo/DemoSound.h"

using namespace datagen::demo;

namespace {

platform::midi::MidiSong Read(const std::string& bytes) {
    return platform::midi::ReadMidiFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

TEST(DemoSounds, NeverClippedAndFadedAtBothEnds) {
    const std::vector<NamedSound> sounds = DemoSounds();
    ASSERT_GE(sounds.size(), 14u);
    std::set<std::string> names;
    for (const NamedSound& s : sounds) {
        SCOPED_TRACE(s.name);
        names.insert(s.name);
        ASSERT_GT(s.samples.size(), 0.02 * kSoundRate);
        EXPECT_LT(s.samples.size(), 2.0 * kSoundRate);
        int peak = 0;
        double energy = 0;
        for (int16_t v : s.samples) peak = std::max(peak, std::abs(static_cast<int>(v))), energy += static_cast<double>(v) * v;
        EXPECT_LE(peak, kSoundPeak);
        EXPECT_LT(peak, 32000);  // nowhere near full scale
        EXPECT_GT(peak, kSoundPeak / 2);
        EXPECT_GT(std::sqrt(energy / static_cast<double>(s.samples.size())), 1000.0);  // audible, not a blip of silence
        EXPECT_LE(std::abs(s.samples.front()), 64);
        EXPECT_LE(std::abs(s.samples.back()), 64);
        // No jumps: a click would be a step far above the sound's own steepest slopes.
        int steepest = 0;
        for (size_t i = 1; i < s.samples.size(); ++i) steepest = std::max(steepest, std::abs(s.samples[i] - s.samples[i - 1]));
        EXPECT_LT(steepest, 30000);
    }
    EXPECT_EQ(names.size(), sounds.size());
    EXPECT_NE(WallBounce(), PaddleBounce());
    EXPECT_EQ(BrickBreak(520, 3), BrickBreak(520, 3));
    EXPECT_NE(BrickBreak(520, 3), BrickBreak(520, 4));
}

TEST(DemoSounds, TheWaveReaderTakesThem) {
    const Samples shot = Shot();
    const std::string bytes = SoundWave(shot);
    rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    media::TWaveReader reader;
    ASSERT_TRUE(media::OpenWaveStream(&stream, reader));
    EXPECT_EQ(reader.Format.nSamplesPerSec, 22050u);
    EXPECT_EQ(reader.Format.wBitsPerSample, 16);
    EXPECT_EQ(reader.Format.nChannels, 1);
    EXPECT_EQ(reader.DataSize, shot.size() * 2);
    std::vector<int16_t> back(shot.size());
    ASSERT_EQ(media::ReadWaveData(reader, static_cast<int32_t>(reader.DataSize), back.data()), static_cast<int32_t>(reader.DataSize));
    EXPECT_EQ(back, shot);
}

TEST(DemoTunes, LongDiatonicAndLoopingOnABarLine) {
    for (const TuneStyle& style : {MenuTuneStyle(), PlayTuneStyle()}) {
        SCOPED_TRACE(style.bpm);
        const std::string bytes = TuneFile(style);
        const platform::midi::MidiSong song = Read(bytes);
        EXPECT_EQ(song.format, 1);
        EXPECT_GT(song.LengthMs(), 60000u);
        EXPECT_EQ(song.LengthMs(), datagen::MidiLengthMs(ComposeTune(style)));
        // The end sits on a bar line.
        const uint64_t barMicros = 4ull * (60000000ull / static_cast<uint64_t>(style.bpm));
        EXPECT_EQ(song.lengthMicros % barMicros, 0u);
        EXPECT_EQ(song.lengthMicros / barMicros, static_cast<uint64_t>(TuneBars(style)));
        ASSERT_FALSE(song.tempoMap.empty());

        const int* scale = nullptr;
        static const int kMajor[] = {0, 2, 4, 5, 7, 9, 11}, kMinor[] = {0, 2, 3, 5, 7, 8, 10};
        scale = style.minor ? kMinor : kMajor;
        std::map<int, int> notesPerChannel, programs;
        std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> notes on
        bool downbeat = false;
        for (const auto& e : song.events) {
            const int kind = e.status & 0xF0, channel = e.status & 0x0F;
            if (kind == 0xC0) programs[channel] = e.data1;
            const bool on = kind == 0x90 && e.data2 > 0, off = kind == 0x80 || (kind == 0x90 && e.data2 == 0);
            if (on) {
                ++notesPerChannel[channel];
                ++sounding[{channel, e.data1}];
                downbeat |= e.tick == 0;
                if (channel != kDrumChannel) {
                    const int pc = ((e.data1 - style.tonic) % 12 + 12) % 12;
                    EXPECT_TRUE(std::find(scale, scale + 7, pc) != scale + 7) << "key " << int{e.data1} << " out of the scale";
                }
            }
            if (off) --sounding[{channel, e.data1}];
            EXPECT_LE(e.micros, song.lengthMicros);
        }
        for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "a note left hanging on channel " << note.first;
        EXPECT_TRUE(downbeat);
        const int bars = TuneBars(style);
        EXPECT_GE(notesPerChannel[kMelodyChannel], 2 * bars);
        EXPECT_GE(notesPerChannel[kBassChannel], 2 * bars);
        EXPECT_GE(notesPerChannel[kChordChannel], 3 * bars);
        EXPECT_GE(notesPerChannel[kDrumChannel], 8 * bars);  // drums on channel 10
        EXPECT_EQ(programs[kMelodyChannel], style.melodyProgram);
        EXPECT_EQ(programs[kBassChannel], style.bassProgram);
        EXPECT_EQ(programs[kChordChannel], style.chordProgram);
    }
}

TEST(DemoTunes, ComposedFromTheSeed) {
    TuneStyle a = PlayTuneStyle();
    EXPECT_EQ(TuneFile(a), TuneFile(a));
    TuneStyle b = a;
    b.seed = a.seed + 1;
    EXPECT_NE(TuneFile(a), TuneFile(b));
    // Whole 8-bar sections, as few as reach the length at any tempo.
    for (int bpm : {60, 92, 132, 180}) {
        TuneStyle t = a;
        t.bpm = bpm;
        const double barSeconds = 240.0 / bpm;
        EXPECT_EQ(TuneBars(t) % 8, 0);
        EXPECT_GE(TuneBars(t) * barSeconds, t.minSeconds);
        EXPECT_LT((TuneBars(t) - 8) * barSeconds, t.minSeconds);
    }
}
