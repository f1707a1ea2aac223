#include "platform/midi/MidiFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace platform::midi {

namespace {

constexpr uint32_t kDefaultTempo = 500000;
constexpr uint64_t kMaxTick = uint64_t{1} << 36;  // keeps tick × tempo inside 64 bits

struct Reader {
    std::span<const uint8_t> data;
    size_t pos = 0;

    size_t Left() const { return data.size() - pos; }
    bool Byte(uint8_t& b) {
        if (pos >= data.size()) return false;
        b = data[pos++];
        return true;
    }
    bool Skip(uint64_t n) {
        if (n > Left()) return false;
        pos += static_cast<size_t>(n);
        return true;
    }
    // A variable-length quantity of at most four bytes.
    bool Vlq(uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!Byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        throw EMidiFileError("MIDI file: variable-length number longer than four bytes");
    }
    uint32_t Be(size_t at, int n) const {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | data[at + static_cast<size_t>(i)];
        return v;
    }
};

struct RawEvent {
    uint64_t tick;
    uint32_t order;  // file order, so that equal ticks keep their sequence
    uint8_t status, data1, data2;
};

// Reads one track; answers the tick at which it ends.
uint64_t ReadTrack(std::span<const uint8_t> bytes, std::vector<RawEvent>& events, std::vector<TempoChange>& tempos,
                   uint32_t& order) {
    Reader r{bytes};
    uint64_t tick = 0;
    uint8_t running = 0;
    while (r.Left() > 0) {
        uint32_t delta;
        if (!r.Vlq(delta)) break;
        tick += delta;
        if (tick > kMaxTick) throw EMidiFileError("MIDI file: track too long");
        uint8_t b;
        if (!r.Byte(b)) break;
        if (b == 0xFF) {
            uint8_t type;
            uint32_t len;
            if (!r.Byte(type) || !r.Vlq(len) || len > r.Left()) break;
            if (type == 0x51 && len >= 3) {
                const uint32_t tempo = r.Be(r.pos, 3);
                if (tempo > 0) tempos.push_back({tick, tempo});
            }
            r.Skip(len);
            running = 0;
            if (type == 0x2F) return tick;
            continue;
        }
        if (b == 0xF0 || b == 0xF7) {
            uint32_t len;
            if (!r.Vlq(len) || !r.Skip(len)) break;
            running = 0;
            continue;
        }
        if (b >= 0xF1) throw EMidiFileError("MIDI file: system message inside a track");
        uint8_t status = b;
        uint8_t data1 = 0;
        if (b & 0x80) {
            if (!r.Byte(data1)) break;
            running = status;
        } else {
            if (!running) throw EMidiFileError("MIDI file: data byte without a status");
            status = running;
            data1 = b;
        }
        uint8_t data2 = 0;
        const uint8_t kind = status & 0xF0;
        if (kind != 0xC0 && kind != 0xD0 && !r.Byte(data2)) break;
        if (events.size() >= kMaxEvents) throw EMidiFileError("MIDI file: too many events");
        events.push_back({tick, order++, status, static_cast<uint8_t>(data1 & 0x7F), static_cast<uint8_t>(data2 & 0x7F)});
    }
    return tick;  // no end-of-track event: the track ends with its data
}

}  // namespace

uint64_t MidiSong::TickToMicros(uint64_t tick) const {
    if (division & 0x8000) {
        // Time-code division: frames per second and ticks per frame; tempo does not apply.
        const int fps = -static_cast<int8_t>(division >> 8);
        const int tpf = division & 0xFF;
        const double perSecond = (fps == 29 ? 29.97 : fps) * tpf;
        return perSecond > 0 ? static_cast<uint64_t>(static_cast<double>(tick) * 1e6 / perSecond) : 0;
    }
    const uint64_t ppq = division ? division : 96;
    uint64_t micros = 0, lastTick = 0;
    uint32_t tempo = kDefaultTempo;
    for (const TempoChange& t : tempoMap) {
        if (t.tick >= tick) break;
        micros += (t.tick - lastTick) * tempo / ppq;
        lastTick = t.tick;
        tempo = t.microsPerQuarter;
    }
    return micros + (tick - lastTick) * tempo / ppq;
}

MidiSong ReadMidiFile(std::span<const uint8_t> bytes) {
    Reader r{bytes};
    if (r.Left() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0)
        throw EMidiFileError("MIDI file: no header");
    const uint32_t headerLen = r.Be(4, 4);
    if (headerLen < 6 || headerLen > r.Left() - 8) throw EMidiFileError("MIDI file: bad header length");
    MidiSong song;
    song.format = static_cast<int>(r.Be(8, 2));
    const uint32_t declared = r.Be(10, 2);
    song.division = static_cast<uint16_t>(r.Be(12, 2));
    if (song.format != 0 && song.format != 1) throw EMidiFileError("MIDI file: format " + std::to_string(song.format) + " is not played");
    if (song.division == 0) throw EMidiFileError("MIDI file: zero division");
    r.pos = 8 + headerLen;

    std::vector<RawEvent> raw;
    std::vector<TempoChange> tempos;
    uint32_t order = 0;
    uint64_t endTick = 0;
    while (r.Left() >= 8 && static_cast<uint32_t>(song.tracks) < declared) {
        const bool track = std::memcmp(bytes.data() + r.pos, "MTrk", 4) == 0;
        const uint64_t len = std::min<uint64_t>(r.Be(r.pos + 4, 4), r.Left() - 8);  // a cut track reads to the end
        r.pos += 8;
        if (track) {
            endTick = std::max(endTick, ReadTrack(bytes.subspan(r.pos, static_cast<size_t>(len)), raw, tempos, order));
            ++song.tracks;
        }
        r.pos += static_cast<size_t>(len);
    }
    if (song.tracks == 0) throw EMidiFileError("MIDI file: no track");

    std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    song.tempoMap.push_back({0, kDefaultTempo});
    for (const TempoChange& t : tempos) {
        if (t.tick == song.tempoMap.back().tick) song.tempoMap.back() = t;
        else song.tempoMap.push_back(t);
    }
    std::sort(raw.begin(), raw.end(), [](const RawEvent& a, const RawEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    song.events.reserve(raw.size());
    // One walk through the tempo map gives every event its time.
    size_t t = 0;
    uint64_t baseTick = 0, baseMicros = 0;
    uint32_t tempo = kDefaultTempo;
    const bool timecode = song.division & 0x8000;
    for (const RawEvent& e : raw) {
        uint64_t micros;
        if (timecode) {
            micros = song.TickToMicros(e.tick);
        } else {
            while (t < song.tempoMap.size() && song.tempoMap[t].tick <= e.tick) {
                baseMicros += (song.tempoMap[t].tick - baseTick) * tempo / song.division;
                baseTick = song.tempoMap[t].tick;
                tempo = song.tempoMap[t].microsPerQuarter;
                ++t;
            }
            micros = baseMicros + (e.tick - baseTick) * tempo / song.division;
        }
        song.events.push_back({e.tick, micros, e.status, e.data1, e.data2});
    }
    song.lengthMicros = song.TickToMicros(endTick);
    if (!song.events.empty()) song.lengthMicros = std::max(song.lengthMicros, song.events.back().micros);
    return song;
}

MidiSong LoadMidiFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EMidiFileError("Cannot open file " + path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadMidiFile(bytes);
}

}  // namespace platform::midi
