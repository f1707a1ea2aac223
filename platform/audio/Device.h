// The sound device: one output (SDL audio or the null device) fed by one mixer, and the
// static sound buffers made on it. Calls answer result codes, as the sound layer above
// expects; they are safe from the main thread while the output thread mixes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/audio/Mixer.h"
#include "platform/audio/Pcm.h"

namespace platform::audio {

// Result codes of device and buffer calls.
enum Result : uint32_t {
    kOk = 0,
    kUnsupported = 0x80004001,
    kGeneric = 0x80004005,
    kOutOfMemory = 0x8007000E,
    kInvalidParam = 0x80070057,
    kControlUnavailable = 0x8878001E,
    kInvalidCall = 0x88780032,
    kBadFormat = 0x88780064,
    kNoDriver = 0x88780078,
    kBufferLost = 0x88780096,
};

// Status bits of a buffer.
inline constexpr uint32_t kStatusPlaying = 0x1;
inline constexpr uint32_t kStatusBufferLost = 0x2;
inline constexpr uint32_t kStatusLooping = 0x4;

// Where mixed frames go. Start hands the output the mixer it pulls from (on its own thread,
// or on Sync for outputs without one); Stop ends every call into the mixer.
class Output {
public:
    virtual ~Output() = default;
    virtual const char* Name() const = 0;
    virtual uint32_t Rate() const = 0;
    virtual void Start(Mixer& mixer) = 0;
    virtual void Stop() = 0;
    // Brings the mixer up to the present before a call changes or reads it.
    virtual void Sync() {}
    // Hears a line for each call made on the device (the null device records them).
    virtual void Note(const std::string&) {}
};

class Device;

class SoundBuffer {
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    const PcmFormat& Format() const { return samples_->format; }
    uint32_t Bytes() const { return samples_->frames * samples_->format.BlockAlign(); }
    bool Positional() const { return positional_; }

    Result Play(bool looping);
    Result Stop();
    Result Restore();
    Result GetStatus(uint32_t& status);
    Result GetCurrentPosition(uint32_t& playCursor);  // bytes
    Result SetCurrentPosition(uint32_t cursor);       // bytes
    Result SetVolume(int32_t hundredthsDb);           // kVolumeMin..0
    Result GetVolume(int32_t& hundredthsDb);
    Result SetPan(int32_t pan);                       // kPanLeft..kPanRight
    Result SetPosition3D(const Vec3& position, bool deferred);

private:
    friend class Device;
    SoundBuffer(std::shared_ptr<Device> device, std::shared_ptr<const Samples> samples, bool positional);

    std::shared_ptr<Device> device_;
    std::shared_ptr<const Samples> samples_;
    bool positional_;
    Mixer::VoiceId voice_;
    int32_t volume_ = 0;
    std::string tag_;  // names the buffer in the device's call notes
};

class Device : public std::enable_shared_from_this<Device> {
public:
    static std::shared_ptr<Device> Create(std::unique_ptr<Output> output);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const char* BackendName() const { return output_->Name(); }
    uint32_t Rate() const { return mixer_->Rate(); }
    Mixer& GetMixer() { return *mixer_; }
    Output& GetOutput() { return *output_; }

    // A static buffer holding `bytes` in `format`. Positional buffers are placed in 3-D.
    Result CreateBuffer(const PcmFormat& format, std::span<const uint8_t> bytes, bool positional,
                        std::unique_ptr<SoundBuffer>& buffer);

    // The format the device was asked to present; mixing always runs at Rate().
    PcmFormat PrimaryFormat() const { return primary_; }
    Result SetPrimaryFormat(const PcmFormat& format);

    Result SetListener(const ListenerSettings& listener, bool deferred);
    ListenerSettings Listener() const { return mixer_->PendingListener(); }
    Result CommitDeferredSettings();

    void Sync() { output_->Sync(); }
    void Note(const std::string& line) { output_->Note(line); }

private:
    explicit Device(std::unique_ptr<Output> output);
    std::unique_ptr<Output> output_;
    std::unique_ptr<Mixer> mixer_;
    PcmFormat primary_{2, 44100, 16};
    uint32_t nextTag_ = 1;
};

// The process's sound device, opened on first use by SPRALLION_AUDIO (null|sdl; by default
// SDL when it opens, else null, with one line on stderr saying which) and closed when its
// last user lets it go.
std::shared_ptr<Device> SharedDevice();

}  // namespace platform::audio
