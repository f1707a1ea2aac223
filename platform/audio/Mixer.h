// The software mixer: static PCM voices resampled to the device rate, each with volume
// (hundredths of a decibel), pan and an optional 3-D position heard from one listener,
// plus one stream source (the music synthesiser) mixed on top.
//
// Every public call is safe from any thread; the output thread calls Mix. Settings of
// positions and of the listener may be deferred: they take effect together at Commit.
// Two locks: one for the settings and voices, held only for the voices' pass of a block, and
// one that serialises mixing and the stream source, held while the source renders.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/Pcm.h"

namespace platform::audio {

struct Vec3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

// Left-handed: x right, y up, z forward. Distances in metres.
struct ListenerSettings {
    Vec3 position{0, 0, 0};
    Vec3 front{0, 0, 1};
    Vec3 top{0, 1, 0};
    float distanceFactor = 1.0f;  // metres per unit
    float dopplerFactor = 1.0f;   // kept; sources carry no velocity, so it changes nothing
    float rolloffFactor = 1.0f;
};

inline constexpr int32_t kVolumeMin = -10000;  // silence
inline constexpr int32_t kVolumeMax = 0;
inline constexpr int32_t kPanLeft = -10000;
inline constexpr int32_t kPanRight = 10000;
inline constexpr float kMinDistance = 1.0f;

// Gain of a volume in hundredths of a decibel: 10^(v/2000); kVolumeMin and below are silent.
float VolumeGain(int32_t hundredthsDb);

// Left and right gains of a stereo position heard by a listener, before the volume.
struct StereoGain {
    float left = 1, right = 1;
};
StereoGain PanGain(int32_t pan);
StereoGain PositionGain(const ListenerSettings& listener, const Vec3& position);

class Mixer {
public:
    using VoiceId = uint32_t;
    // Adds its sum of `frames` stereo frames to `stereo` (interleaved, full scale 1.0).
    using StreamSource = std::function<void(float* stereo, size_t frames)>;

    explicit Mixer(uint32_t rate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    uint32_t Rate() const { return rate_; }

    VoiceId AddVoice(std::shared_ptr<const Samples> samples, bool positional);
    void RemoveVoice(VoiceId id);
    size_t VoiceCount() const;

    void Play(VoiceId id, bool loop);
    void Stop(VoiceId id);
    bool Playing(VoiceId id) const;
    bool Looping(VoiceId id) const;
    uint32_t Cursor(VoiceId id) const;  // frames
    void SetCursor(VoiceId id, uint32_t frame);
    void SetVolume(VoiceId id, int32_t hundredthsDb);
    void SetPan(VoiceId id, int32_t pan);
    void SetPosition(VoiceId id, const Vec3& position, bool deferred);
    Vec3 Position(VoiceId id) const;  // the committed position

    void SetListener(const ListenerSettings& listener, bool deferred);
    ListenerSettings Listener() const;                 // committed
    ListenerSettings PendingListener() const;          // with deferred changes
    void Commit();

    void SetStream(StreamSource source);
    // Master gain of the stream source (the music output volume), per channel.
    void SetStreamGain(float left, float right);

    // Renders `frames` stereo frames; safe to call while other threads change settings.
    void Mix(int16_t* stereo, size_t frames);
    void MixFloat(float* stereo, size_t frames);
    // Frames rendered so far: the stream's own timeline. A voice started now sounds from
    // this frame on (or from the frame of the block being mixed, when it comes too late for
    // that block's pass over the voices).
    uint64_t FramesMixed() const { return mixed_.load(std::memory_order_acquire); }

private:
    struct Voice {
        std::shared_ptr<const Samples> samples;
        bool positional = false;
        bool playing = false;
        bool looping = false;
        bool fresh = true;         // no gain yet: start at the target instead of ramping
        uint64_t pos = 0;          // 32.32 fixed-point frame position
        uint64_t step = 0;         // per output frame
        int32_t volume = 0;
        int32_t pan = 0;
        Vec3 position, pendingPosition;
        bool positionPending = false;
        float gainL = 0, gainR = 0;  // last applied
    };

    Voice* Find(VoiceId id);
    const Voice* Find(VoiceId id) const;
    void MixVoice(Voice& v, float* acc, size_t frames);
    StereoGain Target(const Voice& v) const;

    const uint32_t rate_;
    std::mutex renderMutex_;  // one mix at a time; guards stream_, acc_ and scratch_
    mutable std::mutex mutex_;  // the voices and every setting
    std::map<VoiceId, Voice> voices_;
    VoiceId nextId_ = 1;
    ListenerSettings listener_, pendingListener_;
    StreamSource stream_;
    float streamL_ = 1, streamR_ = 1;
    std::vector<float> acc_, scratch_;
    std::atomic<uint64_t> mixed_{0};  // advanced with each block's pass over the voices
};

}  // namespace platform::audio
