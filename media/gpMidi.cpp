#include "media/gpMidi.h"

#include <algorithm>
#include <cerrno>
#include <span>

#include "rtl/Streams.h"

namespace media {
namespace {

// Far more than any tune of the game; a file past it is refused unread.
constexpr size_t kMaxTuneBytes = size_t{16} << 20;

}  // namespace

using platform::midi::Mode;

int TVolumeControl::DeviceNumber(int kind) const {
    return kind >= 0 && kind < 3 ? devices_[static_cast<size_t>(kind)] : -1;
}

uint32_t TVolumeControl::GetVolume(int kind) const {
    if (DeviceNumber(kind) < 0 || kind != vkMidiOut || !midiOut_) return 0;
    const uint32_t v = midiOut_->Volume();
    return ((v & 0xFFFF) + (v >> 16)) / 2;
}

void TVolumeControl::SetVolume(int kind, uint32_t v) {
    if (DeviceNumber(kind) < 0 || kind != vkMidiOut || !midiOut_) return;
    v = std::min<uint32_t>(v, 0xFFFF);  // both channels must fit their 16 bits
    midiOut_->SetVolume(v * 65537u);
}

void TVolumeControl::FindMidiDevice() {
    devices_ = {-1, -1, -1};
    // The sequencer is the one MIDI output; it always has a volume control.
    for (int i = 0; i < MidiDeviceCount(); ++i) {
        devices_[vkMidiOut] = i;
        midiOut_->SetVolume(0x66656665u);  // about 40 % on each channel
        if (midiOut_->Volume() == 0x66656665u) break;
    }
}

TGPMidi::TGPMidi(std::unique_ptr<platform::midi::Sequencer> sequencer)
    : sequencer_(std::move(sequencer)), volume_(sequencer_.get()) {
    sequencer_->SetNotify([this](platform::midi::NotifyCode code) {
        if (enabled_ && OnNotify) OnNotify(*this, static_cast<int>(code));
    });
}

TGPMidi::~TGPMidi() {
    sequencer_->SetNotify({});
    Close();
}

void TGPMidi::Open() {
    Close();
    if (!enabled_) return;
    std::string why;
    try {
        std::string bytes;
        bool cut = false;
        if (!rtl::ReadRegularFile(fileName_, bytes, kMaxTuneBytes, cut))
            throw platform::midi::EMidiFileError(rtl::FileErrorText(errno));
        if (cut) throw platform::midi::EMidiFileError("larger than " + std::to_string(kMaxTuneBytes >> 20) + " MiB");
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        if (sequencer_->OpenSong(platform::midi::ReadMidiFile(std::span(data, bytes.size())))) {
            open_ = true;
            deviceId_ = nextId_++;
            lastResult_ = 0;
            return;
        }
        why = "the sequencer refused it";
    } catch (const platform::midi::EMidiFileError& e) {
        why = e.message();
    }
    lastResult_ = -1;
    if (OnOpenFailed) OnOpenFailed(fileName_, why);
}

void TGPMidi::Close() {
    if (!open_) return;
    sequencer_->Close();
    open_ = false;
    playing_ = false;
    deviceId_ = 0;
    lastResult_ = 0;
}

void TGPMidi::Play() {
    if (!enabled_ || !open_) return;
    playing_ = sequencer_->Play(true);
    lastResult_ = playing_ ? 0 : -1;
}

void TGPMidi::Stop() {
    if (!open_) return;
    sequencer_->Stop();
    playing_ = false;
    sequencer_->Seek(0);
}

void TGPMidi::Pause() {
    if (!enabled_ || !open_) return;
    sequencer_->Pause();
    playing_ = false;
}

void TGPMidi::PauseIfPlaying() {
    if (enabled_ && open_ && GetMode() == static_cast<int>(Mode::Playing)) Pause();
}

void TGPMidi::Seek(uint32_t position) {
    if (enabled_ && open_) sequencer_->Seek(position);
}

int TGPMidi::GetMode() {
    if (!enabled_) return 0;
    return static_cast<int>(sequencer_->GetMode());
}

uint32_t TGPMidi::GetPosition() {
    // Off means position 0: it may be queued and sought later.
    if (!enabled_) return 0;
    return sequencer_->PositionMs();
}

void TGPMidi::SetFileName(const std::string& name) {
    if (!enabled_) {
        fileName_ = name;
        return;
    }
    if (name.empty() || name == fileName_) return;
    Close();
    fileName_ = name;
    Open();
    if (AutoPlay) Play();
}

void TGPMidi::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (!on) {
        Close();
        return;
    }
    if (!fileName_.empty()) {
        Open();
        if (AutoPlay) Play();
    }
}

bool TGPMidi::PlayTune(const std::string& file, bool loop, uint32_t position) {
    if (file == fileName_) return false;
    if (loop) {
        for (const TItemPlay& item : queue_)
            if (item.Loop && item.FileName == file) return false;
        std::erase_if(queue_, [&](const TItemPlay& item) { return item.Loop && item.FileName != file; });
        if (Loop && !fileName_.empty()) Stop();
        queue_.push_back({file, true, position});
        return true;
    }
    const uint32_t resumeAt = GetPosition();
    Stop();
    queue_.push_front({file, false, 0});
    if (!fileName_.empty()) {
        TItemPlay current{fileName_, Loop, resumeAt};
        if (Loop) queue_.push_back(current);
        else queue_.insert(queue_.begin() + 1, current);
    }
    return true;
}

void TGPMidi::Update() {
    if (!enabled_) return;
    const int mode = GetMode();
    // Only a stopped (or closed) player takes the next tune; a paused one keeps its place.
    // The player is paused while the game is in the background (the shell's deactivation),
    // and the activation resumes it: a queued tune that started meanwhile would play in the
    // background and be what the activation resumes, instead of the music it interrupted.
    if (mode != static_cast<int>(Mode::Playing) && mode != static_cast<int>(Mode::Paused) && !queue_.empty()) {
        TItemPlay item = std::move(queue_.front());
        queue_.pop_front();
        Loop = item.Loop;
        fileName_ = item.FileName;
        Open();
        if (item.Position != 0) Seek(item.Position);
        if (AutoPlay) Play();
    }
    if (Loop && playing_ && GetMode() != static_cast<int>(Mode::Playing) && GetMode() != static_cast<int>(Mode::Paused)) {
        Seek(0);
        Play();
    }
}

}  // namespace media
