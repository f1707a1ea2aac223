// Standard MIDI File reader: any bytes either read into a time-ordered song or raise its error.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/midi/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const auto song = platform::midi::ReadMidiFile(std::span<const uint8_t>(data, size));
        uint64_t last = 0;
        for (const auto& e : song.events) {
            if (e.micros < last || e.micros > song.lengthMicros) __builtin_trap();
            last = e.micros;
        }
    } catch (const platform::midi::EMidiFileError&) {
    }
    return 0;
}
