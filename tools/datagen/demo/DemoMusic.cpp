#include "tools/datagen/demo/DemoMusic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr uint16_t kDivision = 480;
constexpr uint32_t kEighth = kDivision / 2;
constexpr uint32_t kBar = kDivision * 4;
constexpr int kSectionBars = 8;

constexpr std::array<int, 7> kMajor{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor{0, 2, 3, 5, 7, 8, 10};

using Progression = std::array<int, 4>;  // scale degrees of the chord roots, one per bar
// Verses and bridges, by mode.
constexpr Progression kMajorVerse[] = {{0, 4, 5, 3}, {0, 5, 3, 4}, {0, 3, 0, 4}, {0, 2, 3, 4}};
constexpr Progression kMajorBridge[] = {{3, 4, 2, 5}, {5, 3, 0, 4}, {1, 4, 0, 5}, {3, 0, 1, 4}};
constexpr Progression kMinorVerse[] = {{0, 5, 2, 6}, {0, 3, 4, 0}, {0, 6, 5, 6}, {0, 3, 6, 2}};
constexpr Progression kMinorBridge[] = {{5, 6, 0, 3}, {3, 4, 0, 5}, {5, 2, 6, 4}, {3, 6, 2, 5}};

// Rhythm cells of one bar, in eighths.
const std::vector<std::vector<int>> kCells = {
    {2, 2, 2, 2}, {3, 1, 2, 2}, {2, 1, 1, 2, 2}, {4, 2, 2}, {1, 1, 2, 1, 1, 2}, {2, 2, 4}, {3, 3, 2}, {2, 1, 1, 4},
};
const std::vector<std::vector<int>> kCadenceCells = {{2, 2, 4}, {4, 4}, {3, 1, 4}, {2, 6}};

struct Note {
    int start;   // eighths from the phrase start
    int length;  // eighths
    int degree;  // scale steps from the melody's tonic
};

class Composer {
public:
    explicit Composer(const TuneStyle& s) : s_(s), rng_(s.seed) {}

    MidiTune Compose();

private:
    int Pitch(int degree, int base) const {
        const auto& scale = s_.minor ? kMinor : kMajor;
        const int octave = static_cast<int>(std::floor(degree / 7.0));
        return base + 12 * octave + scale[static_cast<size_t>(degree - 7 * octave)];
    }
    // The chord tone (degree) nearest to `from`, or the next nearest one time in three.
    int ChordTone(int root, int from) {
        std::vector<int> tones;
        for (int octave = -14; octave <= 14; octave += 7)
            for (int k : {0, 2, 4}) tones.push_back(root + k + octave);
        std::stable_sort(tones.begin(), tones.end(), [from](int a, int b) { return std::abs(a - from) < std::abs(b - from); });
        return rng_.Below(3) == 0 ? tones[1] : tones[0];
    }
    std::vector<Note> Bars(const std::vector<int>& chords, int firstBar, int bars, int& cur, bool cadence);
    std::vector<Note> Phrase(const Progression& chords, bool cadence);
    uint8_t Velocity(int base) { return static_cast<uint8_t>(std::clamp(base + rng_.Below(13) - 6, 1, 127)); }

    const TuneStyle& s_;
    Xorshift rng_;
};

std::vector<Note> Composer::Bars(const std::vector<int>& chords, int firstBar, int bars, int& cur, bool cadence) {
    std::vector<Note> notes;
    for (int bar = firstBar; bar < firstBar + bars; ++bar) {
        const bool last = cadence && bar == firstBar + bars - 1;
        const auto& cell = last ? kCadenceCells[static_cast<size_t>(rng_.Below(static_cast<int>(kCadenceCells.size())))]
                                : kCells[static_cast<size_t>(rng_.Below(static_cast<int>(kCells.size())))];
        const int root = chords[static_cast<size_t>(bar)];
        int pos = 0;
        for (size_t k = 0; k < cell.size(); ++k) {
            const bool strong = pos % 4 == 0;
            int next;
            if (last && k + 1 == cell.size()) next = ChordTone(root, std::clamp(cur, 0, 7));  // settle
            else if (strong || rng_.Below(5) == 0) next = ChordTone(root, cur);
            else {
                // A step up or down, leaning back towards the middle of the range.
                const int lean = cur > 6 ? -1 : cur < 1 ? 1 : (rng_.Below(2) ? 1 : -1);
                next = rng_.Below(6) == 0 ? cur : cur + lean;
            }
            cur = std::clamp(next, -3, 10);
            notes.push_back({bar * 8 + pos, cell[k], cur});
            pos += cell[k];
        }
    }
    return notes;
}

MidiTune Composer::Compose() {
    const int bars = TuneBars(s_);
    const auto pick = [&](const Progression* list) { return list[rng_.Below(4)]; };
    const Progression verse = pick(s_.minor ? kMinorVerse : kMajorVerse);
    const Progression bridge = pick(s_.minor ? kMinorBridge : kMajorBridge);

    // An 8-bar section: the progression twice, the second time turning to the dominant so
    // the next section (and the loop back to the start) begins with a resolution.
    auto sectionChords = [](const Progression& p) {
        std::vector<int> c(p.begin(), p.end());
        c.insert(c.end(), p.begin(), p.end());
        c[7] = 4;
        return c;
    };
    const std::vector<int> verseChords = sectionChords(verse), bridgeChords = sectionChords(bridge);

    // The melody of a section: a 4-bar phrase, then its first two bars again and a new
    // cadence. Verses return with the same melody.
    auto sectionMelody = [&](const std::vector<int>& chords) {
        int cur = 4;
        std::vector<Note> first = Bars(chords, 0, 4, cur, false);
        std::vector<Note> melody = first;
        for (const Note& n : first)
            if (n.start < 16) melody.push_back({n.start + 32, n.length, n.degree});
        cur = melody.back().degree;
        std::vector<Note> cadence = Bars(chords, 6, 2, cur, true);
        melody.insert(melody.end(), cadence.begin(), cadence.end());
        return melody;
    };
    const std::vector<Note> verseMelody = sectionMelody(verseChords), bridgeMelody = sectionMelody(bridgeChords);

    MidiTune tune;
    tune.format = 1;
    tune.division = kDivision;
    tune.tempos.push_back({0, static_cast<uint32_t>(60000000 / s_.bpm)});
    tune.channelPrograms = {{kMelodyChannel, s_.melodyProgram}, {kChordChannel, s_.chordProgram}, {kBassChannel, s_.bassProgram}};
    tune.endTick = static_cast<uint32_t>(bars) * kBar;
    std::vector<MidiNote> melody, chords, bass, drums;
    const int melodyBase = s_.tonic + 12, chordBase = s_.tonic, bassBase = s_.tonic - 24;

    for (int section = 0; section * kSectionBars < bars; ++section) {
        const bool isBridge = section % 4 == 2;
        const std::vector<int>& sc = isBridge ? bridgeChords : verseChords;
        const std::vector<Note>& sm = isBridge ? bridgeMelody : verseMelody;
        const uint32_t origin = static_cast<uint32_t>(section * kSectionBars) * kBar;
        // The first verse is played an octave lower, quieter, so the tune builds up.
        const int lift = section == 0 ? -12 : 0;
        for (const Note& n : sm) {
            const uint32_t start = origin + static_cast<uint32_t>(n.start) * kEighth;
            melody.push_back({start, static_cast<uint32_t>(n.length) * kEighth - 40, kMelodyChannel,
                              static_cast<uint8_t>(Pitch(n.degree, melodyBase) + lift), Velocity(section == 0 ? 78 : 92)});
        }
        for (int bar = 0; bar < kSectionBars; ++bar) {
            const uint32_t at = origin + static_cast<uint32_t>(bar) * kBar;
            const int root = sc[static_cast<size_t>(bar)];
            // Chords: a close triad near the tonic.
            std::vector<uint8_t> triad;
            for (int k : {0, 2, 4}) {
                int p = Pitch(root + k, chordBase);
                while (p > chordBase + 9) p -= 12;
                triad.push_back(static_cast<uint8_t>(p));
            }
            if (s_.driving) {
                for (int e : {0, 3, 6})
                    for (uint8_t p : triad) chords.push_back({at + static_cast<uint32_t>(e) * kEighth, kEighth - 30, kChordChannel, p, Velocity(62)});
            } else {
                for (uint8_t p : triad) chords.push_back({at, kBar - 60, kChordChannel, p, Velocity(52)});
            }
            // Bass: the root, its fifth and octave.
            const uint8_t rootNote = static_cast<uint8_t>(Pitch(root, bassBase));
            const uint8_t fifth = static_cast<uint8_t>(Pitch(root + 4, bassBase));
            if (s_.driving) {
                const uint8_t pattern[8] = {rootNote, rootNote, static_cast<uint8_t>(rootNote + 12), rootNote,
                                            fifth, rootNote, static_cast<uint8_t>(rootNote + 12), fifth};
                for (int e = 0; e < 8; ++e) bass.push_back({at + static_cast<uint32_t>(e) * kEighth, kEighth - 40, kBassChannel, pattern[e], Velocity(e % 2 ? 84 : 100)});
            } else {
                bass.push_back({at, kDivision * 2 - 60, kBassChannel, rootNote, Velocity(90)});
                bass.push_back({at + kDivision * 2, kDivision * 2 - 60, kBassChannel, fifth, Velocity(80)});
            }
            // Drums on channel 10.
            auto hit = [&](uint32_t eighth16, uint8_t key, int vel) {
                drums.push_back({at + eighth16, 60, kDrumChannel, key, Velocity(vel)});
            };
            const bool fill = bar == kSectionBars - 1;
            if (bar == 0) hit(0, 49, 96);  // crash on every section's first beat
            if (s_.driving) {
                for (uint32_t e : {0u, 3u, 4u}) hit(e * kEighth, 36, 108);
                if (!fill) {
                    hit(kDivision, 38, 104);
                    hit(3 * kDivision, 38, 104);
                    for (uint32_t e = 0; e < 8; ++e) hit(e * kEighth, e == 7 && bar % 2 ? 46 : 42, e % 2 ? 60 : 82);
                } else {
                    hit(kDivision, 38, 100);
                    // Sixteenths on snare and toms over the last two beats.
                    const uint8_t roll[8] = {38, 38, 50, 50, 47, 47, 45, 45};
                    for (uint32_t k = 0; k < 8; ++k) hit(2 * kDivision + k * kDivision / 4, roll[k], 80 + static_cast<int>(k) * 4);
                }
            } else {
                hit(0, 36, 92);
                hit(2 * kDivision, 36, 84);
                hit(kDivision, 37, 72);
                hit(3 * kDivision, 37, 72);
                for (uint32_t q = 0; q < 4; ++q) hit(q * kDivision, 42, q % 2 ? 48 : 58);
                if (fill) {
                    hit(3 * kDivision + kEighth, 45, 70);
                    hit(3 * kDivision + kEighth + kEighth / 2, 43, 74);
                }
            }
        }
    }
    tune.tracks = {melody, chords, bass, drums};
    return tune;
}

}  // namespace

TuneStyle MenuTuneStyle() {
    TuneStyle s;
    s.seed = 7, s.bpm = 92, s.tonic = 62, s.minor = false;  // D major, unhurried
    s.melodyProgram = 11, s.chordProgram = 89, s.bassProgram = 33;  // vibraphone, warm pad, finger bass
    s.driving = false;
    return s;
}

TuneStyle PlayTuneStyle() {
    TuneStyle s;
    s.seed = 11, s.bpm = 132, s.tonic = 57, s.minor = true;  // A minor, driving
    s.melodyProgram = 80, s.chordProgram = 4, s.bassProgram = 38;  // square lead, electric piano, synth bass
    s.driving = true;
    return s;
}

TuneStyle PrologueTuneStyle() {
    TuneStyle s;
    s.seed = 23, s.bpm = 116, s.tonic = 60, s.minor = false;  // C major, bright
    s.melodyProgram = 73, s.chordProgram = 0, s.bassProgram = 32;  // flute, grand piano, acoustic bass
    s.driving = false;
    return s;
}

TuneStyle AbyssTuneStyle() {
    TuneStyle s;
    s.seed = 41, s.bpm = 144, s.tonic = 52, s.minor = true;  // E minor, fast and dark
    s.melodyProgram = 81, s.chordProgram = 91, s.bassProgram = 39;  // sawtooth lead, choir pad, synth bass 2
    s.driving = true;
    return s;
}

TuneStyle TestTuneStyle() {
    TuneStyle s;
    s.seed = 5, s.bpm = 100, s.tonic = 65, s.minor = false;  // F major
    s.melodyProgram = 12, s.chordProgram = 4, s.bassProgram = 33;  // marimba, electric piano, finger bass
    s.minSeconds = 30;
    return s;
}

int TuneBars(const TuneStyle& s) {
    const double barSeconds = 4 * 60.0 / std::max(1, s.bpm);
    const int sections = std::max(1, static_cast<int>(std::ceil(s.minSeconds / barSeconds / kSectionBars)));
    return sections * kSectionBars;
}

MidiTune ComposeTune(const TuneStyle& style) { return Composer(style).Compose(); }

std::string TuneFile(const TuneStyle& style) { return WriteMidi(ComposeTune(style)); }

}  // namespace datagen::demo
