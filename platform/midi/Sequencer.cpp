#include "platform/midi/Sequencer.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace platform::midi {

// Shared with posted notifications, so that one arriving after the sequencer is gone is
// dropped. One arriving after another tune was opened is still delivered: the play it
// reports did complete, as a device's notification message would say.
struct Sequencer::Hub {
    std::mutex mutex;
    std::function<void(NotifyCode)> handler;
    uint64_t generation = 0;
    std::deque<NotifyCode> pending;  // when there is no PostToMain
};

Sequencer::Sequencer(PostToMain post) : post_(std::move(post)), hub_(std::make_shared<Hub>()) {}

Sequencer::~Sequencer() = default;

void Sequencer::NotifyLocked(NotifyCode code) {
    if (!post_) {
        std::lock_guard lock(hub_->mutex);
        hub_->pending.push_back(code);
        return;
    }
    std::weak_ptr<Hub> weak = hub_;
    post_([weak, code] {
        auto hub = weak.lock();
        if (!hub) return;
        std::function<void(NotifyCode)> handler;
        {
            std::lock_guard lock(hub->mutex);
            handler = hub->handler;
        }
        if (handler) handler(code);
    });
}

void Sequencer::DeliverNotifications() {
    for (;;) {
        std::function<void(NotifyCode)> handler;
        NotifyCode code;
        {
            std::lock_guard lock(hub_->mutex);
            if (hub_->pending.empty()) return;
            code = hub_->pending.front();
            hub_->pending.pop_front();
            handler = hub_->handler;
        }
        if (handler) handler(code);
    }
}

void Sequencer::SetNotify(std::function<void(NotifyCode)> handler) {
    std::lock_guard lock(hub_->mutex);
    hub_->handler = std::move(handler);
}

bool Sequencer::Open(const std::string& path) {
    try {
        return OpenSong(LoadMidiFile(path));
    } catch (const EMidiFileError&) {
        Close();
        return false;
    }
}

bool Sequencer::OpenSong(MidiSong song) {
    Close();
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    song_ = std::make_unique<MidiSong>(std::move(song));
    position_ = 0;
    next_ = 0;
    if (synth_) synth_->Reset();
    return true;
}

void Sequencer::Close() {
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    if (!song_) return;
    CatchUpLocked();
    if (playing_ && notify_) NotifyLocked(kNotifyAborted);
    playing_ = paused_ = notify_ = false;
    song_.reset();
    if (synth_) synth_->NotesOff();
}

bool Sequencer::IsOpen() const {
    std::lock_guard lock(mutex_);
    return song_ != nullptr;
}

bool Sequencer::Play(bool notify) {
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    if (!song_) return false;
    CatchUpLocked();
    if (playing_ && notify_) NotifyLocked(kNotifySuperseded);
    playing_ = true;
    paused_ = false;
    notify_ = notify;
    StartedLocked();
    AdvanceLocked(0);  // a tune already at its end ends at once
    return true;
}

bool Sequencer::Stop() {
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    if (!song_) return false;
    CatchUpLocked();
    if (playing_ && notify_) NotifyLocked(kNotifyAborted);
    playing_ = paused_ = notify_ = false;
    if (synth_) synth_->NotesOff();
    return true;
}

bool Sequencer::Pause() {
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    if (!song_) return false;
    CatchUpLocked();
    if (playing_ && notify_) NotifyLocked(kNotifyAborted);
    if (playing_) paused_ = true;
    playing_ = notify_ = false;
    if (synth_) synth_->NotesOff();
    return true;
}

bool Sequencer::Seek(uint32_t ms) {
    std::scoped_lock lock(synthMutex_, mutex_);  // these reach the synthesiser
    ++moves_;
    if (!song_) return false;
    CatchUpLocked();
    if (playing_ && notify_) NotifyLocked(kNotifyAborted);
    playing_ = paused_ = notify_ = false;  // a seek leaves the tune stopped at the new place
    position_ = std::min<uint64_t>(uint64_t{ms} * 1000, song_->lengthMicros);
    const auto& ev = song_->events;
    next_ = static_cast<size_t>(std::lower_bound(ev.begin(), ev.end(), position_,
                                                 [](const MidiEvent& e, uint64_t t) { return e.micros < t; }) -
                                ev.begin());
    RewindSynthLocked();
    return true;
}

void Sequencer::RewindSynthLocked() {
    if (!synth_) return;
    synth_->Reset();
    // Programs, controllers and bends before the playhead still hold after a seek.
    for (size_t i = 0; i < next_; ++i) {
        const uint8_t kind = song_->events[i].status & 0xF0;
        if (kind == 0xB0 || kind == 0xC0 || kind == 0xE0) synth_->Send(song_->events[i]);
    }
}

Mode Sequencer::GetMode() {
    Pump();
    Mode mode = Mode::NotReady;
    {
        std::lock_guard lock(mutex_);
        if (song_) {
            CatchUpLocked();
            mode = playing_ ? Mode::Playing : paused_ ? Mode::Paused : Mode::Stopped;
        }
    }
    DeliverNotifications();  // outside the lock: the handler may call back
    return mode;
}

uint32_t Sequencer::PositionMs() {
    Pump();
    std::lock_guard lock(mutex_);
    if (!song_) return 0;
    CatchUpLocked();
    return static_cast<uint32_t>(position_ / 1000);
}

uint32_t Sequencer::LengthMs() const {
    std::lock_guard lock(mutex_);
    return song_ ? song_->LengthMs() : 0;
}

uint32_t Sequencer::Volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

void Sequencer::SetVolume(uint32_t leftRight) {
    std::lock_guard lock(mutex_);
    volume_ = leftRight;
}

uint64_t Sequencer::UntilNextLocked() const {
    if (!song_ || !playing_) return UINT64_MAX;
    const uint64_t due = next_ < song_->events.size() ? song_->events[next_].micros : song_->lengthMicros;
    return due > position_ ? due - position_ : 0;
}

void Sequencer::AdvanceLocked(uint64_t micros, std::vector<MidiEvent>* due) {
    if (!song_ || !playing_) return;
    position_ = std::min(position_ + micros, song_->lengthMicros);
    const auto& ev = song_->events;
    while (next_ < ev.size() && ev[next_].micros <= position_) {
        if (due)
            due->push_back(ev[next_]);
        else if (synth_)
            synth_->Send(ev[next_]);
        ++next_;
    }
    if (position_ >= song_->lengthMicros && next_ >= ev.size()) {
        playing_ = false;
        // The tune stays at its end, as a stopped device does; Seek(0) starts it over.
        if (notify_) NotifyLocked(kNotifySuccessful);
        notify_ = false;
    }
}

// ---- null sequencer ----

namespace {

class NullSequencer : public Sequencer {
public:
    explicit NullSequencer(SequencerOptions o) : Sequencer(std::move(o.post)), clock_(std::move(o.clock)) {
        if (!clock_) {
            clock_ = [] {
                using namespace std::chrono;
                return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
            };
        }
        last_ = clock_();
    }
    const char* Name() const override { return "null"; }

protected:
    void StartedLocked() override { last_ = clock_(); }
    void CatchUpLocked() override {
        const uint32_t now = clock_();
        const uint32_t elapsed = now - last_;
        last_ = now;
        AdvanceLocked(uint64_t{elapsed} * 1000);
    }

private:
    Clock clock_;
    uint32_t last_ = 0;
};

}  // namespace

std::unique_ptr<Sequencer> MakeNullSequencer(SequencerOptions options) {
    return std::make_unique<NullSequencer>(std::move(options));
}

}  // namespace platform::midi
