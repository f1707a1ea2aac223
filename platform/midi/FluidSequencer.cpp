// FluidSynth backend: the sequencer's playhead moves with the frames the mixer pulls, so
// the notes fall on the audio thread exactly where they belong in the output.
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/midi/Sequencer.h"

namespace platform::midi {

namespace {

const char* const kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"};

class FluidSynth : public Synth {
public:
    explicit FluidSynth(fluid_synth_t* synth) : synth_(synth) {}
    void Send(const MidiEvent& e) override {
        const int ch = e.status & 0x0F;
        switch (e.status & 0xF0) {
            case 0x80: fluid_synth_noteoff(synth_, ch, e.data1); break;
            case 0x90:
                if (e.data2) fluid_synth_noteon(synth_, ch, e.data1, e.data2);
                else fluid_synth_noteoff(synth_, ch, e.data1);
                break;
            case 0xA0: fluid_synth_key_pressure(synth_, ch, e.data1, e.data2); break;
            case 0xB0: fluid_synth_cc(synth_, ch, e.data1, e.data2); break;
            case 0xC0: fluid_synth_program_change(synth_, ch, e.data1); break;
            case 0xD0: fluid_synth_channel_pressure(synth_, ch, e.data1); break;
            case 0xE0: fluid_synth_pitch_bend(synth_, ch, e.data1 | (e.data2 << 7)); break;
            default: break;
        }
    }
    void NotesOff() override { fluid_synth_all_sounds_off(synth_, -1); }
    void Reset() override { fluid_synth_system_reset(synth_); }

private:
    fluid_synth_t* synth_;
};

class FluidSequencer : public Sequencer {
public:
    FluidSequencer(PostToMain post, std::shared_ptr<audio::Device> device, fluid_settings_t* settings,
                   fluid_synth_t* synth)
        : Sequencer(std::move(post)), device_(std::move(device)), settings_(settings), fluid_(synth), sink_(synth),
          rate_(device_->Rate()) {
        Sequencer::synth_ = &sink_;
        device_->GetMixer().SetStream([this](float* stereo, size_t frames) { Render(stereo, frames); });
    }
    ~FluidSequencer() override {
        device_->GetMixer().SetStream({});  // waits for a running mix
        delete_fluid_synth(fluid_);
        delete_fluid_settings(settings_);
    }
    const char* Name() const override { return "FluidSynth"; }

    void SetVolume(uint32_t leftRight) override {
        Sequencer::SetVolume(leftRight);
        device_->GetMixer().SetStreamGain((leftRight & 0xFFFF) / 65535.0f, (leftRight >> 16) / 65535.0f);
    }

protected:
    void CatchUpLocked() override {}
    void Pump() override { device_->Sync(); }

private:
    // On the output thread. The synthesiser renders without the sequencer's locks and the
    // notes go to it holding only the synthesiser's lock, so the game's music calls never
    // wait for a block; the tune's lock is held only to take the notes that are due and to
    // move the playhead by what was rendered.
    void Render(float* out, size_t frames) {
        while (frames > 0) {
            size_t n = frames;
            bool timed;
            uint64_t moves;
            {
                std::lock_guard synth(synthMutex_);
                {
                    std::lock_guard lock(mutex_);
                    moves = PlayheadMovesLocked();
                    if (moves != dueMoves_) due_.clear();  // taken before a call moved the playhead
                    uint64_t until = UntilNextLocked();
                    while (until == 0) {
                        AdvanceLocked(0, &due_);  // what is due now
                        until = UntilNextLocked();
                    }
                    timed = until != UINT64_MAX;
                    if (timed) n = static_cast<size_t>(std::min<uint64_t>(n, (until * rate_ + 999999) / 1000000));
                }
                for (const MidiEvent& e : due_) sink_.Send(e);
                due_.clear();
            }
            fluid_synth_write_float(fluid_, static_cast<int>(n), out, 0, 2, out, 1, 2);
            if (timed) {
                std::lock_guard lock(mutex_);
                // A call that moved the playhead meanwhile put it where it belongs. The notes
                // the block reached go out before the next one renders.
                if (PlayheadMovesLocked() == moves) {
                    const uint64_t scaled = uint64_t{n} * 1000000 + remainder_;
                    remainder_ = scaled % rate_;
                    AdvanceLocked(scaled / rate_, &due_);
                    dueMoves_ = moves;
                }
            }
            out += n * 2;
            frames -= n;
        }
    }

    std::shared_ptr<audio::Device> device_;
    fluid_settings_t* settings_;
    fluid_synth_t* fluid_;
    FluidSynth sink_;
    const uint32_t rate_;
    uint64_t remainder_ = 0;
    std::vector<MidiEvent> due_;  // notes reached but not sent yet (output thread only)
    uint64_t dueMoves_ = 0;       // the playhead's moves when they were taken
};

}  // namespace

std::unique_ptr<Sequencer> MakeFluidSequencer(SequencerOptions o, std::string& why) {
    std::string font = o.soundFont;
    if (font.empty())
        if (const char* env = std::getenv("SPRALLION_SOUNDFONT")) font = env;
    if (font.empty())
        for (const char* f : kSoundFonts)
            if (std::filesystem::exists(f)) {
                font = f;
                break;
            }
    if (font.empty()) {
        why = "no General MIDI sound font";
        return nullptr;
    }
    // FluidSynth reports to stderr by default; the game's log says what matters.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
    auto device = o.device ? o.device : audio::SharedDevice();
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
        why = "FluidSynth settings";
        return nullptr;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", device->Rate());
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_settings_setint(settings, "synth.threadsafe-api", 1);  // notes arrive while it renders
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        why = "FluidSynth synthesiser";
        return nullptr;
    }
    if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        why = "cannot load " + font;
        return nullptr;
    }
    return std::make_unique<FluidSequencer>(std::move(o.post), std::move(device), settings, synth);
}

std::unique_ptr<Sequencer> OpenSequencer(SequencerOptions options) {
    const char* choice = std::getenv("SPRALLION_MIDI");
    std::string why;
    if (!choice || std::strcmp(choice, "null") != 0) {
        if (auto s = MakeFluidSequencer(options, why)) {
            std::fprintf(stderr, "sprallion: music: FluidSynth\n");
            return s;
        }
    }
    std::fprintf(stderr, "sprallion: music: null sequencer%s%s%s\n", why.empty() ? "" : " (", why.c_str(),
                 why.empty() ? "" : ")");
    return MakeNullSequencer(std::move(options));
}

}  // namespace platform::midi
