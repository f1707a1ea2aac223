// Standard MIDI Files (formats 0 and 1): the tracks merged into one list of channel
// events in time order, each with its time from the tempo map. Files come from outside:
// every length is checked against what is left.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rtl/Exceptions.h"

namespace platform::midi {

using rtl::Exception;
RTL_EXCEPTION(EMidiFileError, Exception);

struct MidiEvent {
    uint64_t tick = 0;
    uint64_t micros = 0;  // from the start of the tune
    uint8_t status = 0;   // 0x80..0xEF
    uint8_t data1 = 0, data2 = 0;
};

struct TempoChange {
    uint64_t tick = 0;
    uint32_t microsPerQuarter = 500000;
};

struct MidiSong {
    int format = 0;
    int tracks = 0;
    uint16_t division = 0;
    std::vector<MidiEvent> events;
    std::vector<TempoChange> tempoMap;  // sorted; begins at tick 0
    uint64_t lengthMicros = 0;          // up to the last event or end of track, whichever is later

    uint32_t LengthMs() const { return static_cast<uint32_t>(lengthMicros / 1000); }
    uint64_t TickToMicros(uint64_t tick) const;
};

// Raises EMidiFileError on a file that is not a readable format 0 or 1 file. A track cut
// short by the end of the file is read up to the last whole event.
MidiSong ReadMidiFile(std::span<const uint8_t> bytes);
MidiSong LoadMidiFile(const std::string& path);

inline constexpr size_t kMaxEvents = 4u << 20;  // bounds the memory a file can ask for

}  // namespace platform::midi
