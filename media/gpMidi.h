// The game's music: a MIDI player over the sequencer, with a queue of tunes (looping
// background music and one-shot jingles that interrupt it), and the MIDI-out volume.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/midi/Sequencer.h"

namespace media {

// Output volumes of the multimedia devices by kind: 0 auxiliary, 1 wave out, 2 MIDI out.
class TVolumeControl {
public:
    explicit TVolumeControl(platform::midi::Sequencer* midiOut) : midiOut_(midiOut) {}
    enum Kind { vkAux = 0, vkWaveOut = 1, vkMidiOut = 2 };

    int DeviceNumber(int kind) const;
    // 0..65535: the mean of the two channels; 0 for a kind without a device.
    uint32_t GetVolume(int kind) const;
    // Both channels; values above 65535 are taken as 65535.
    void SetVolume(int kind, uint32_t v);
    void FindMidiDevice();
    int MidiDeviceCount() const { return midiOut_ ? 1 : 0; }

private:
    platform::midi::Sequencer* midiOut_;
    std::array<int, 3> devices_{-1, -1, -1};
};

struct TItemPlay {
    std::string FileName;
    bool Loop = false;
    uint32_t Position = 0;  // ms
};

class TGPMidi {
public:
    // The sequencer carries the window's dispatcher: its notifications arrive on the main thread.
    explicit TGPMidi(std::unique_ptr<platform::midi::Sequencer> sequencer);
    virtual ~TGPMidi();
    TGPMidi(const TGPMidi&) = delete;
    TGPMidi& operator=(const TGPMidi&) = delete;

    bool AutoPlay = false;
    bool Loop = false;
    // Code 0 the tune ended, 1 superseded, 2 aborted, 3 failed.
    std::function<void(TGPMidi& sender, int code)> OnNotify;
    // A tune that cannot be played (missing, not a regular file, damaged): its file and why.
    // The player goes on without it.
    std::function<void(const std::string& fileName, const std::string& reason)> OnOpenFailed;

    void Open();
    void Close();
    void Play();
    void Stop();
    void Pause();
    void PauseIfPlaying();
    void Seek(uint32_t position);
    int GetMode();
    uint32_t GetPosition();
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    uint32_t GetVolume() const { return volume_.GetVolume(TVolumeControl::vkMidiOut); }
    void SetVolume(uint32_t v) { volume_.SetVolume(TVolumeControl::vkMidiOut, v); }
    virtual void FindMidiDevice() { volume_.FindMidiDevice(); }
    int GetDeviceCount() const { return volume_.MidiDeviceCount(); }

    bool PlayTune(const std::string& file, bool loop, uint32_t position);
    void Update();

    bool IsOpen() const { return open_; }
    uint32_t DeviceID() const { return deviceId_; }
    int LastResult() const { return lastResult_; }
    bool PlayingFlag() const { return playing_; }
    const std::deque<TItemPlay>& Queue() const { return queue_; }
    platform::midi::Sequencer& Sequencer() { return *sequencer_; }

private:
    std::unique_ptr<platform::midi::Sequencer> sequencer_;
    TVolumeControl volume_;
    std::deque<TItemPlay> queue_;
    std::string fileName_;
    bool enabled_ = false;
    bool open_ = false;
    bool playing_ = false;
    uint32_t deviceId_ = 0;
    uint32_t nextId_ = 1;
    int lastResult_ = 0;
};

}  // namespace media
