// General MIDI tunes composed from a seed: a diatonic chord progression in 8-bar
// sections (A A' B A''), a melody built from rhythm cells on chord tones and steps, a bass
// line, chords, and drums on channel 10. A tune lasts whole bars, every note ends by the
// last bar line and the end of track sits on it, so the tune loops without a seam.
#pragma once

#include <cstdint>
#include <string>

#include "tools/datagen/MidiWriter.h"

namespace datagen::demo {

// MIDI channels (0-based; the drums use channel 10, which is 9 here).
inline constexpr uint8_t kMelodyChannel = 0, kChordChannel = 1, kBassChannel = 2, kDrumChannel = 9;

struct TuneStyle {
    uint32_t seed = 1;
    int bpm = 120;
    int tonic = 60;           // MIDI key of the tonic (60: C)
    bool minor = false;
    double minSeconds = 62;   // the tune is at least this long (rounded up to 8 bars)
    uint8_t melodyProgram = 80, chordProgram = 4, bassProgram = 38;  // General MIDI, 0-based
    bool driving = false;     // eighth-note bass and busier drums (play), else calm (menu)
};

// The menus' tune and one per level set: the main set's (the driving one), the
// prologue's, the abyss's and the test set's.
TuneStyle MenuTuneStyle();
TuneStyle PlayTuneStyle();
TuneStyle PrologueTuneStyle();
TuneStyle AbyssTuneStyle();
TuneStyle TestTuneStyle();

MidiTune ComposeTune(const TuneStyle& style);
// The tune as a Standard MIDI File (format 1).
std::string TuneFile(const TuneStyle& style);
// Bars of the tune and ticks per bar (4/4 at the tune's division).
int TuneBars(const TuneStyle& style);

}  // namespace datagen::demo
