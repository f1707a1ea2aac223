// Standard MIDI Files for tests and seeds: formats 0 and 1, tempo changes, notes, a known
// length; and damaged variants of a good file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace datagen {

struct MidiNote {
    uint32_t tick = 0;
    uint32_t length = 0;  // ticks
    uint8_t channel = 0, key = 60, velocity = 100;
};

struct MidiTempo {
    uint32_t tick = 0;
    uint32_t microsPerQuarter = 500000;
};

struct MidiTune {
    int format = 1;           // 0: one track; 1: a tempo track, then one track per note list
    uint16_t division = 480;  // ticks per quarter note
    std::vector<MidiTempo> tempos;
    std::vector<std::vector<MidiNote>> tracks;
    uint8_t program = 0;      // sent on every channel used, at tick 0
    std::map<uint8_t, uint8_t> channelPrograms;  // channel -> program, in place of `program`
    uint32_t endTick = 0;     // end of the tracks; 0 = at the end of the last note
};

// The file's bytes (running status is used where it can be).
std::string WriteMidi(const MidiTune& tune);
// Length of the tune in milliseconds, from its own tempo list.
uint32_t MidiLengthMs(const MidiTune& tune);
// A tune of quarter notes at `bpm` lasting `quarters` beats, with one tempo change halfway
// to twice the speed when `tempoChange`.
MidiTune ScaleTune(int format, int quarters, int bpm, bool tempoChange);

enum class MidiDamage { Truncated, TrackPastEnd, NoHeader, Format2, MissingStatus, LongNumber, ZeroDivision, NoTrack };
std::string DamageMidi(const std::string& good, MidiDamage damage);

}  // namespace datagen
