#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::audio {

namespace {
constexpr size_t kBlock = 1024;  // frames mixed per pass; gain ramps span one pass

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
}  // namespace

float VolumeGain(int32_t v) {
    if (v <= kVolumeMin) return 0.0f;
    if (v >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, v / 2000.0));
}

StereoGain PanGain(int32_t pan) {
    pan = std::clamp(pan, kPanLeft, kPanRight);
    // A pan attenuates the opposite channel by its amount; the near one stays at full level.
    StereoGain g;
    if (pan > 0) g.left = VolumeGain(-pan);
    if (pan < 0) g.right = VolumeGain(pan);
    return g;
}

StereoGain PositionGain(const ListenerSettings& l, const Vec3& position) {
    const Vec3 rel = Sub(position, l.position);
    const float dist = Length(rel) * l.distanceFactor;
    // Inverse-distance roll-off beyond the minimum distance, scaled by the roll-off factor.
    const float d = std::max(dist, kMinDistance);
    const float att = kMinDistance / (kMinDistance + l.rolloffFactor * (d - kMinDistance));
    // Balance from the source's side: the near ear keeps the level, the far ear falls off.
    float lateral = 0;
    const Vec3 right = Cross(l.top, l.front);
    const float rightLen = Length(right);
    const float relLen = Length(rel);
    if (relLen > 1e-6f && rightLen > 1e-6f) lateral = std::clamp(Dot(rel, right) / (relLen * rightLen), -1.0f, 1.0f);
    StereoGain g;
    g.left = att * std::sqrt(1.0f - std::max(lateral, 0.0f));
    g.right = att * std::sqrt(1.0f + std::min(lateral, 0.0f));
    return g;
}

Mixer::Mixer(uint32_t rate) : rate_(std::max<uint32_t>(rate, 1)), acc_(kBlock * 2), scratch_(kBlock * 2) {}

Mixer::Voice* Mixer::Find(VoiceId id) {
    auto it = voices_.find(id);
    return it == voices_.end() ? nullptr : &it->second;
}
const Mixer::Voice* Mixer::Find(VoiceId id) const {
    auto it = voices_.find(id);
    return it == voices_.end() ? nullptr : &it->second;
}

Mixer::VoiceId Mixer::AddVoice(std::shared_ptr<const Samples> samples, bool positional) {
    std::lock_guard lock(mutex_);
    Voice v;
    v.step = (static_cast<uint64_t>(samples->format.samplesPerSec) << 32) / rate_;
    v.samples = std::move(samples);
    v.positional = positional;
    const VoiceId id = nextId_++;
    voices_.emplace(id, std::move(v));
    return id;
}

void Mixer::RemoveVoice(VoiceId id) {
    std::shared_ptr<const Samples> keep;  // freed outside the lock
    std::lock_guard lock(mutex_);
    auto it = voices_.find(id);
    if (it == voices_.end()) return;
    keep = std::move(it->second.samples);
    voices_.erase(it);
}

size_t Mixer::VoiceCount() const {
    std::lock_guard lock(mutex_);
    return voices_.size();
}

void Mixer::Play(VoiceId id, bool loop) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(id)) {
        if (!v->playing) v->fresh = true;
        v->playing = v->samples->frames > 0;
        v->looping = loop;
    }
}

void Mixer::Stop(VoiceId id) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(id)) v->playing = v->looping = false;
}

bool Mixer::Playing(VoiceId id) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v && v->playing;
}

bool Mixer::Looping(VoiceId id) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v && v->playing && v->looping;
}

uint32_t Mixer::Cursor(VoiceId id) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v ? static_cast<uint32_t>(v->pos >> 32) : 0;
}

void Mixer::SetCursor(VoiceId id, uint32_t frame) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(id)) {
        frame = v->samples->frames ? std::min(frame, v->samples->frames - 1) : 0;
        v->pos = static_cast<uint64_t>(frame) << 32;
    }
}

void Mixer::SetVolume(VoiceId id, int32_t hundredthsDb) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(id)) v->volume = std::clamp(hundredthsDb, kVolumeMin, kVolumeMax);
}

void Mixer::SetPan(VoiceId id, int32_t pan) {
    std::lock_guard lock(mutex_);
    if (Voice* v = Find(id)) v->pan = std::clamp(pan, kPanLeft, kPanRight);
}

void Mixer::SetPosition(VoiceId id, const Vec3& position, bool deferred) {
    std::lock_guard lock(mutex_);
    Voice* v = Find(id);
    if (!v) return;
    if (deferred) {
        v->pendingPosition = position;
        v->positionPending = true;
    } else {
        v->position = v->pendingPosition = position;
        v->positionPending = false;
    }
}

Vec3 Mixer::Position(VoiceId id) const {
    std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v ? v->position : Vec3{};
}

void Mixer::SetListener(const ListenerSettings& listener, bool deferred) {
    std::lock_guard lock(mutex_);
    pendingListener_ = listener;
    if (!deferred) listener_ = listener;
}

ListenerSettings Mixer::Listener() const {
    std::lock_guard lock(mutex_);
    return listener_;
}

ListenerSettings Mixer::PendingListener() const {
    std::lock_guard lock(mutex_);
    return pendingListener_;
}

void Mixer::Commit() {
    std::lock_guard lock(mutex_);
    listener_ = pendingListener_;
    for (auto& [id, v] : voices_) {
        if (v.positionPending) v.position = v.pendingPosition;
        v.positionPending = false;
    }
}

void Mixer::SetStream(StreamSource source) {
    StreamSource old;  // destroyed outside the lock
    std::lock_guard lock(renderMutex_);  // waits for a running mix, which may be in the old source
    old = std::exchange(stream_, std::move(source));
}

void Mixer::SetStreamGain(float left, float right) {
    std::lock_guard lock(mutex_);
    streamL_ = left;
    streamR_ = right;
}

StereoGain Mixer::Target(const Voice& v) const {
    const float gain = VolumeGain(v.volume);
    StereoGain g = PanGain(v.pan);
    if (v.positional) {
        const StereoGain p = PositionGain(listener_, v.position);
        g.left *= p.left;
        g.right *= p.right;
    }
    return {g.left * gain, g.right * gain};
}

void Mixer::MixVoice(Voice& v, float* acc, size_t frames) {
    const StereoGain target = Target(v);
    if (v.fresh) {
        v.gainL = target.left;
        v.gainR = target.right;
        v.fresh = false;
    }
    float gl = v.gainL, gr = v.gainR;
    const float dl = (target.left - gl) / static_cast<float>(frames);
    const float dr = (target.right - gr) / static_cast<float>(frames);
    v.gainL = target.left;
    v.gainR = target.right;

    const Samples& s = *v.samples;
    const int16_t* data = s.data.data();
    const uint32_t count = s.frames;
    const uint64_t end = static_cast<uint64_t>(count) << 32;
    const uint64_t step = v.step;
    uint64_t pos = v.pos;
    constexpr float kScale = 1.0f / 32768.0f;
    constexpr float kFrac = 1.0f / 4294967296.0f;
    const bool stereo = s.format.channels == 2;

    for (size_t i = 0; i < frames; ++i) {
        if (pos >= end) {
            if (!v.looping) {
                // A one-shot sound stops at its end and rewinds.
                v.playing = false;
                pos = 0;
                break;
            }
            pos %= end;
        }
        const uint32_t idx = static_cast<uint32_t>(pos >> 32);
        const uint32_t next = idx + 1 < count ? idx + 1 : (v.looping ? 0 : idx);
        const float f = static_cast<float>(pos & 0xFFFFFFFFu) * kFrac;
        float l, r;
        if (stereo) {
            const float l0 = data[2 * idx], l1 = data[2 * next];
            const float r0 = data[2 * idx + 1], r1 = data[2 * next + 1];
            l = (l0 + (l1 - l0) * f) * kScale;
            r = (r0 + (r1 - r0) * f) * kScale;
        } else {
            const float a = data[idx], b = data[next];
            l = r = (a + (b - a) * f) * kScale;
        }
        acc[2 * i] += l * gl;
        acc[2 * i + 1] += r * gr;
        gl += dl;
        gr += dr;
        pos += step;
    }
    v.pos = pos;
}

void Mixer::MixFloat(float* out, size_t frames) {
    std::lock_guard render(renderMutex_);
    while (frames > 0) {
        const size_t n = std::min(frames, kBlock);
        // The stream (the synthesiser, much slower than the voices) renders into its own
        // scratch first, outside the lock of the settings: the game's sound calls never wait
        // for a synthesiser block, only for the voices' short pass below.
        if (stream_) {
            std::fill_n(scratch_.data(), n * 2, 0.0f);
            stream_(scratch_.data(), n);
        }
        {
            std::lock_guard lock(mutex_);
            std::fill_n(acc_.data(), n * 2, 0.0f);
            for (auto& [id, v] : voices_)
                if (v.playing) MixVoice(v, acc_.data(), n);
            if (stream_) {
                for (size_t i = 0; i < n; ++i) {
                    acc_[2 * i] += scratch_[2 * i] * streamL_;
                    acc_[2 * i + 1] += scratch_[2 * i + 1] * streamR_;
                }
            }
            mixed_.fetch_add(n, std::memory_order_release);
        }
        std::copy_n(acc_.data(), n * 2, out);
        out += n * 2;
        frames -= n;
    }
}

void Mixer::Mix(int16_t* out, size_t frames) {
    float block[kBlock * 2];
    while (frames > 0) {
        const size_t n = std::min(frames, kBlock);
        MixFloat(block, n);
        for (size_t i = 0; i < n * 2; ++i) {
            const float x = std::clamp(block[i], -1.0f, 1.0f) * 32767.0f;
            out[i] = static_cast<int16_t>(std::lrint(x));
        }
        out += n * 2;
        frames -= n;
    }
}

}  // namespace platform::audio
