#include "tools/datagen/MidiWriter.h"

#include <algorithm>
#include <fstream>

#include "tools/datagen/Commands.h"
#include "tools/datagen/Seeds.h"

namespace datagen {

namespace {

void Be(std::string& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(v >> (8 * i)));
}

void Vlq(std::string& out, uint32_t v) {
    char buf[5];
    int n = 0;
    buf[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n) out.push_back(buf[--n]);
}

struct Ev {
    uint32_t tick;
    int order;
    std::string bytes;  // status first
};

std::string Track(std::vector<Ev> evs, uint32_t endTick) {
    std::stable_sort(evs.begin(), evs.end(), [](const Ev& a, const Ev& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string body;
    uint32_t last = 0;
    unsigned char running = 0;
    for (const Ev& e : evs) {
        Vlq(body, e.tick - last);
        last = e.tick;
        const auto status = static_cast<unsigned char>(e.bytes[0]);
        if (status < 0xF0 && status == running) {
            body.append(e.bytes, 1);
        } else {
            body += e.bytes;
            running = status < 0xF0 ? status : 0;
        }
    }
    Vlq(body, std::max(endTick, last) - last);
    body += std::string("\xFF\x2F\x00", 3);
    std::string chunk = "MTrk";
    Be(chunk, static_cast<uint32_t>(body.size()), 4);
    return chunk + body;
}

uint32_t EndTick(const MidiTune& t) {
    uint32_t end = t.endTick;
    for (const auto& track : t.tracks)
        for (const MidiNote& n : track) end = std::max(end, n.tick + n.length);
    for (const MidiTempo& m : t.tempos) end = std::max(end, m.tick);
    return end;
}

std::vector<Ev> NoteEvents(const std::vector<MidiNote>& notes, const MidiTune& t) {
    std::vector<Ev> evs;
    bool used[16] = {};
    for (const MidiNote& n : notes) used[n.channel & 15] = true;
    for (int ch = 0; ch < 16; ++ch) {
        if (!used[ch]) continue;
        const auto it = t.channelPrograms.find(static_cast<uint8_t>(ch));
        const uint8_t program = it != t.channelPrograms.end() ? it->second : t.program;
        evs.push_back({0, -1, {static_cast<char>(0xC0 | ch), static_cast<char>(program)}});
    }
    int order = 0;
    for (const MidiNote& n : notes) {
        const char ch = static_cast<char>(0x90 | (n.channel & 15));
        evs.push_back({n.tick, order++, {ch, static_cast<char>(n.key), static_cast<char>(n.velocity)}});
        // Note off as a note-on of velocity 0, so running status carries on.
        evs.push_back({n.tick + n.length, -2, {ch, static_cast<char>(n.key), 0}});
    }
    return evs;
}

std::vector<Ev> TempoEvents(const MidiTune& t) {
    std::vector<Ev> evs;
    for (const MidiTempo& m : t.tempos) {
        std::string b("\xFF\x51\x03", 3);
        Be(b, m.microsPerQuarter, 3);
        evs.push_back({m.tick, -3, b});
    }
    return evs;
}

}  // namespace

std::string WriteMidi(const MidiTune& t) {
    const uint32_t end = EndTick(t);
    std::vector<std::string> tracks;
    if (t.format == 0) {
        std::vector<MidiNote> all;
        for (const auto& track : t.tracks) all.insert(all.end(), track.begin(), track.end());
        std::vector<Ev> evs = TempoEvents(t);
        std::vector<Ev> notes = NoteEvents(all, t);
        evs.insert(evs.end(), notes.begin(), notes.end());
        tracks.push_back(Track(evs, end));
    } else {
        tracks.push_back(Track(TempoEvents(t), end));
        for (const auto& track : t.tracks) tracks.push_back(Track(NoteEvents(track, t), end));
    }
    std::string out = "MThd";
    Be(out, 6, 4);
    Be(out, static_cast<uint32_t>(t.format), 2);
    Be(out, static_cast<uint32_t>(tracks.size()), 2);
    Be(out, t.division, 2);
    for (const auto& tr : tracks) out += tr;
    return out;
}

uint32_t MidiLengthMs(const MidiTune& t) {
    std::vector<MidiTempo> tempos = t.tempos;
    std::stable_sort(tempos.begin(), tempos.end(), [](const MidiTempo& a, const MidiTempo& b) { return a.tick < b.tick; });
    const uint32_t end = EndTick(t);
    double micros = 0;
    uint32_t tick = 0, tempo = 500000;
    for (const MidiTempo& m : tempos) {
        micros += double(m.tick - tick) * tempo / t.division;
        tick = m.tick;
        tempo = m.microsPerQuarter;
    }
    micros += double(end - tick) * tempo / t.division;
    return static_cast<uint32_t>(micros / 1000);
}

MidiTune ScaleTune(int format, int quarters, int bpm, bool tempoChange) {
    MidiTune t;
    t.format = format;
    t.tempos.push_back({0, static_cast<uint32_t>(60000000 / bpm)});
    if (tempoChange) t.tempos.push_back({static_cast<uint32_t>(quarters / 2 * t.division), static_cast<uint32_t>(30000000 / bpm)});
    static const uint8_t kScale[] = {60, 62, 64, 65, 67, 69, 71, 72};
    std::vector<MidiNote> melody, bass;
    for (int q = 0; q < quarters; ++q) {
        const uint32_t tick = static_cast<uint32_t>(q) * t.division;
        melody.push_back({tick, uint32_t{t.division} - 20u, 0, kScale[q % 8], 100});
        if (q % 2 == 0) bass.push_back({tick, uint32_t{t.division} * 2u - 20u, 1, 36, 90});
    }
    t.tracks.push_back(melody);
    if (format == 1) t.tracks.push_back(bass);
    else t.tracks[0].insert(t.tracks[0].end(), bass.begin(), bass.end());
    t.endTick = static_cast<uint32_t>(quarters) * t.division;
    return t;
}

std::string DamageMidi(const std::string& good, MidiDamage d) {
    std::string s = good;
    switch (d) {
        case MidiDamage::Truncated: s.resize(s.size() * 2 / 3); break;
        case MidiDamage::TrackPastEnd: s[18] = '\x7F'; break;  // first track's length, high byte
        case MidiDamage::NoHeader: s[1] = 'X'; break;
        case MidiDamage::Format2: s[9] = 2; break;
        case MidiDamage::ZeroDivision: s[12] = s[13] = 0; break;
        case MidiDamage::NoTrack: s.resize(14); break;
        case MidiDamage::MissingStatus: {
            // A track that begins with a data byte.
            s.resize(14);
            s += std::string("MTrk\x00\x00\x00\x04\x00\x40\x40\x00", 12);
            s[11] = 1;
            break;
        }
        case MidiDamage::LongNumber: {
            s.resize(14);
            s += std::string("MTrk\x00\x00\x00\x08\xFF\xFF\xFF\xFF\x7F\x90\x40\x40", 16);
            s[11] = 1;
            break;
        }
    }
    return s;
}

namespace {

const SeedWriter seeds("fuzz_midi_file", [](const SeedSink& put) {
    const std::string f0 = WriteMidi(ScaleTune(0, 8, 120, false));
    const std::string f1 = WriteMidi(ScaleTune(1, 8, 90, true));
    put("format0.mid", f0);
    put("format1.mid", f1);
    MidiTune smpte = ScaleTune(1, 4, 120, false);
    smpte.division = 0xE728;  // 25 frames of 40 ticks
    put("timecode.mid", WriteMidi(smpte));
    put("truncated.mid", DamageMidi(f1, MidiDamage::Truncated));
    put("track_past_end.mid", DamageMidi(f1, MidiDamage::TrackPastEnd));
    put("missing_status.mid", DamageMidi(f1, MidiDamage::MissingStatus));
    put("long_number.mid", DamageMidi(f1, MidiDamage::LongNumber));
});

const Command command("midi", "midi OUT.mid [FORMAT [QUARTERS [BPM]]]  write a test tune (scale, tempo change)",
                      [](const std::vector<std::string>& args) {
                          if (args.empty()) return 2;
                          const int format = args.size() > 1 ? std::stoi(args[1]) : 1;
                          const int quarters = args.size() > 2 ? std::stoi(args[2]) : 16;
                          const int bpm = args.size() > 3 ? std::stoi(args[3]) : 120;
                          std::ofstream(args[0], std::ios::binary) << WriteMidi(ScaleTune(format, quarters, bpm, true));
                          return 0;
                      });

}  // namespace

}  // namespace datagen
