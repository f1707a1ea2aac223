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

// Zero crossings per second over [from, to) seconds: a rough pitch.
double Crossings(const Samples& s, double from, double to) {
    const size_t a = static_cast<size_t>(from * kSoundRate), b = std::min(s.size(), static_cast<size_t>(to * kSoundRate));
    int n = 0;
    for (size_t i = a + 1; i < b; ++i) n += (s[i - 1] < 0) != (s[i] < 0);
    return n / (to - from);
}

double Energy(const Samples& s, double from, double to) {
    const size_t a = static_cast<size_t>(from * kSoundRate), b = std::min(s.size(), static_cast<size_t>(to * kSoundRate));
    double e = 0;
    for (size_t i = a; i < b; ++i) e += static_cast<double>(s[i]) * s[i];
    return e / std::max<size_t>(1, b - a);
}

double Seconds(const Samples& s) { return static_cast<double>(s.size()) / kSoundRate; }

}  // namespace

TEST(DemoSounds, EachSoundHasItsShape) {
    const Samples shot = Shot(), lost = LifeLost(), pickup = PrizePickup(), boom = Explosion();
    EXPECT_GT(Crossings(shot, 0, 0.04), 2 * Crossings(shot, 0.12, 0.16));      // a falling sweep
    EXPECT_GT(Crossings(lost, 0.02, 0.18), Crossings(lost, 0.65, 0.85));       // a sad falling line
    EXPECT_LT(Crossings(pickup, 0.005, 0.05), Crossings(pickup, 0.17, 0.25));  // a rising arpeggio
    EXPECT_GT(Energy(boom, 0, 0.2), 5 * Energy(boom, Seconds(boom) - 0.2, Seconds(boom)));
    EXPECT_GT(Crossings(boom, 0.05, 0.2), Crossings(boom, 0.7, 0.95));         // the rumble closes down
    EXPECT_GT(Crossings(WallBounce(), 0.002, 0.03), Crossings(PaddleBounce(), 0.002, 0.03));
    EXPECT_LT(Seconds(ButtonHover()), 0.06);
    EXPECT_LT(Seconds(ButtonClick()), 0.08);
    EXPECT_GT(Seconds(LevelClear()), 1.0);
    // Every sound dies away: its last tenth is far quieter than its loudest tenth.
    for (const NamedSound& s : DemoSounds()) {
        const double length = Seconds(s.samples);
        double loudest = 0;
        for (int k = 0; k < 10; ++k) loudest = std::max(loudest, Energy(s.samples, length * k / 10, length * (k + 1) / 10));
        EXPECT_LT(Energy(s.samples, length * 0.9, length), loudest / 4) << s.name;
    }
    // A higher pitch asked for is a higher pitch made.
    EXPECT_GT(Crossings(BrickHit(2000), 0.005, 0.05), Crossings(BrickHit(1000), 0.005, 0.05) * 1.5);
}

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

TEST(DemoTunes, VersesReturnAndSectionsTurnHome) {
    for (const TuneStyle& style : {MenuTuneStyle(), PlayTuneStyle()}) {
        SCOPED_TRACE(style.bpm);
        const datagen::MidiTune tune = ComposeTune(style);
        ASSERT_EQ(tune.tracks.size(), 4u);
        const uint32_t bar = 4u * tune.division, section = 8 * bar;
        const int bars = TuneBars(style);
        EXPECT_EQ(tune.endTick, static_cast<uint32_t>(bars) * bar);
        for (const auto& track : tune.tracks)
            for (const datagen::MidiNote& n : track) EXPECT_LE(n.tick + n.length, tune.endTick);
        // The second verse repeats the first an octave up.
        std::vector<std::pair<uint32_t, int>> first, second;
        for (const datagen::MidiNote& n : tune.tracks[0]) {
            if (n.tick < section) first.emplace_back(n.tick, n.key + 12);
            else if (n.tick < 2 * section) second.emplace_back(n.tick - section, n.key);
        }
        EXPECT_EQ(first, second);
        // Every section's last bar stands on the dominant, so the next one resolves.
        for (int s = 0; s * 8 < bars; ++s) {
            const uint32_t lastBar = static_cast<uint32_t>(s * 8 + 7) * bar;
            bool found = false;
            for (const datagen::MidiNote& n : tune.tracks[2])
                if (n.tick == lastBar) {
                    found = true;
                    EXPECT_EQ(((n.key - style.tonic) % 12 + 12) % 12, 7) << "section " << s;
                }
            EXPECT_TRUE(found);
        }
        // The tune starts on the tonic chord.
        for (const datagen::MidiNote& n : tune.tracks[2]) {
            if (n.tick == 0) {
                EXPECT_EQ(((n.key - style.tonic) % 12 + 12) % 12, 0);
            }
        }
        // The melody keeps to a singable range above the bass.
        int lo = 127, hi = 0, bassHi = 0;
        for (const datagen::MidiNote& n : tune.tracks[0]) lo = std::min<int>(lo, n.key), hi = std::max<int>(hi, n.key);
        for (const datagen::MidiNote& n : tune.tracks[2]) bassHi = std::max<int>(bassHi, n.key);
        EXPECT_LE(hi - lo, 30);
        EXPECT_GT(lo, bassHi - 12);
        for (const auto& track : tune.tracks)
            for (const datagen::MidiNote& n : track) {
                EXPECT_GE(n.velocity, 1);
                EXPECT_LE(n.velocity, 127);
            }
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
