// The music sequencer: plays one Standard MIDI File at a time, from a position, with stop,
// pause, seek, mode, position in milliseconds and an end notification delivered on the
// main thread. Two backends share this logic: FluidSynth renders the notes into the sound
// device's mixer (time = frames rendered); the null sequencer keeps time by a clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/Device.h"
#include "platform/midi/MidiFile.h"

namespace platform::midi {

enum class Mode { NotReady = 0, Stopped = 1, Playing = 2, Recording = 3, Seeking = 4, Paused = 5, Open = 6 };

// Codes of a notification: the play ended, was replaced by another, or was interrupted.
enum NotifyCode { kNotifySuccessful = 0, kNotifySuperseded = 1, kNotifyAborted = 2, kNotifyFailure = 3 };

// Hands a call to the main thread (the window's dispatcher). May be called from any thread.
using PostToMain = std::function<void(std::function<void()>)>;
using Clock = std::function<uint32_t()>;  // milliseconds, wrapping at 2^32

// Where the notes go.
class Synth {
public:
    virtual ~Synth() = default;
    virtual void Send(const MidiEvent& event) = 0;
    virtual void NotesOff() = 0;  // silence at once; programs and controllers stay
    virtual void Reset() = 0;     // silence and return every channel to its defaults
};

class Sequencer {
public:
    virtual ~Sequencer();
    Sequencer(const Sequencer&) = delete;
    Sequencer& operator=(const Sequencer&) = delete;

    virtual const char* Name() const = 0;

    // Answers false (and stays closed) when the file cannot be read.
    bool Open(const std::string& path);
    bool OpenSong(MidiSong song);
    void Close();
    bool IsOpen() const;

    // Plays from the current position; the end is notified when `notify`.
    bool Play(bool notify = true);
    bool Stop();
    bool Pause();
    bool Seek(uint32_t ms);
    Mode GetMode();
    uint32_t PositionMs();
    uint32_t LengthMs() const;

    // Handler of notifications, run on the main thread (through PostToMain when given,
    // else at the next call of GetMode or DeliverNotifications).
    void SetNotify(std::function<void(NotifyCode)> handler);
    void DeliverNotifications();

    // MIDI-out volume: low 16 bits left, high 16 bits right.
    uint32_t Volume() const;
    virtual void SetVolume(uint32_t leftRight);

protected:
    explicit Sequencer(PostToMain post);
    // Moves the playhead on by `micros`, sending the events it passes, or, given `due`,
    // collecting them there for the caller to send; called with the lock.
    void AdvanceLocked(uint64_t micros, std::vector<MidiEvent>* due = nullptr);
    // Micros to the next event or the end while playing; UINT64_MAX otherwise.
    uint64_t UntilNextLocked() const;
    // Counts the calls that move the playhead (open, play, stop, pause, seek, close): a
    // renderer that let go of the lock while it rendered advances only when none came.
    uint64_t PlayheadMovesLocked() const { return moves_; }
    // Time source hook: brings the playhead up to now (the clock-driven backend).
    virtual void CatchUpLocked() {}
    virtual void StartedLocked() {}
    // Called without the lock before the playhead is read: an output without a thread of
    // its own renders up to now here.
    virtual void Pump() {}

    Synth* synth_ = nullptr;
    // Two locks: synthMutex_ keeps what reaches the synthesiser in order (calls that send
    // take it before mutex_), mutex_ guards the tune and the playhead. A renderer sends the
    // notes it collected holding only synthMutex_, so reading the mode or the position never
    // waits for a burst of notes, nor for a block of sound.
    std::mutex synthMutex_;
    mutable std::mutex mutex_;

private:
    struct Hub;
    void NotifyLocked(NotifyCode code);
    void RewindSynthLocked();  // silence, then replay the controllers up to the playhead

    PostToMain post_;
    std::shared_ptr<Hub> hub_;
    std::unique_ptr<MidiSong> song_;
    uint64_t position_ = 0;  // micros
    uint64_t moves_ = 0;
    size_t next_ = 0;        // first event not yet sent
    bool playing_ = false;
    bool paused_ = false;
    bool notify_ = false;
    uint32_t volume_ = 0xFFFFFFFFu;
};

struct SequencerOptions {
    PostToMain post;
    Clock clock;                              // for the null sequencer (default: steady clock)
    std::shared_ptr<audio::Device> device;    // for FluidSynth (default: the shared device)
    std::string soundFont;                    // default: SPRALLION_SOUNDFONT or Debian's GM font
};

// The null sequencer: plays silently, keeping time by the clock.
std::unique_ptr<Sequencer> MakeNullSequencer(SequencerOptions options);
// FluidSynth into the sound device; nullptr with the reason in `why` when it cannot start.
std::unique_ptr<Sequencer> MakeFluidSequencer(SequencerOptions options, std::string& why);
// By SPRALLION_MIDI (null|fluidsynth): FluidSynth when it starts, else null; one line on stderr.
std::unique_ptr<Sequencer> OpenSequencer(SequencerOptions options);

}  // namespace platform::midi
