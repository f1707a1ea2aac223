#include "platform/audio/Device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/audio/NullOutput.h"
#include "platform/audio/SdlOutput.h"

namespace platform::audio {

namespace {
std::string Describe(const PcmFormat& f) {
    return std::to_string(f.samplesPerSec) + " Hz " + std::to_string(f.bitsPerSample) + "-bit " +
           std::to_string(f.channels) + " ch";
}
}  // namespace

std::shared_ptr<Device> Device::Create(std::unique_ptr<Output> output) {
    return std::shared_ptr<Device>(new Device(std::move(output)));
}

Device::Device(std::unique_ptr<Output> output)
    : output_(std::move(output)), mixer_(std::make_unique<Mixer>(output_->Rate())) {
    primary_.samplesPerSec = output_->Rate();
    output_->Start(*mixer_);
}

Device::~Device() {
    output_->Stop();  // no mixing past this point
}

Result Device::CreateBuffer(const PcmFormat& format, std::span<const uint8_t> bytes, bool positional,
                            std::unique_ptr<SoundBuffer>& buffer) {
    buffer.reset();
    if (!IsSupported(format)) {
        Note("CreateBuffer refused " + Describe(format));
        return kBadFormat;
    }
    auto samples = Samples::Decode(format, bytes);
    Sync();
    buffer.reset(new SoundBuffer(shared_from_this(), std::move(samples), positional));
    buffer->tag_ = "#" + std::to_string(nextTag_++);
    Note("CreateBuffer " + buffer->tag_ + " " + Describe(format) + " " + std::to_string(buffer->Bytes()) +
         " bytes" + (positional ? " 3D" : ""));
    return kOk;
}

Result Device::SetPrimaryFormat(const PcmFormat& format) {
    if (!IsSupported(format)) return kBadFormat;
    primary_ = format;
    Note("SetPrimaryFormat " + Describe(format));
    return kOk;
}

Result Device::SetListener(const ListenerSettings& listener, bool deferred) {
    if (listener.rolloffFactor < 0 || listener.rolloffFactor > 10 || listener.dopplerFactor < 0 ||
        listener.dopplerFactor > 10 || listener.distanceFactor <= 0)
        return kInvalidParam;
    Sync();
    mixer_->SetListener(listener, deferred);
    Note(std::string("SetListener") + (deferred ? " deferred" : ""));
    return kOk;
}

Result Device::CommitDeferredSettings() {
    Sync();
    mixer_->Commit();
    Note("CommitDeferredSettings");
    return kOk;
}

SoundBuffer::SoundBuffer(std::shared_ptr<Device> device, std::shared_ptr<const Samples> samples, bool positional)
    : device_(std::move(device)), samples_(std::move(samples)), positional_(positional),
      voice_(device_->GetMixer().AddVoice(samples_, positional)) {}

SoundBuffer::~SoundBuffer() {
    device_->Sync();
    device_->GetMixer().RemoveVoice(voice_);
    device_->Note("Release " + tag_);
}

Result SoundBuffer::Play(bool looping) {
    device_->Sync();
    device_->GetMixer().Play(voice_, looping);
    device_->Note("Play " + tag_ + (looping ? " looping" : ""));
    return kOk;
}

Result SoundBuffer::Stop() {
    device_->Sync();
    device_->GetMixer().Stop(voice_);
    device_->Note("Stop " + tag_);
    return kOk;
}

Result SoundBuffer::Restore() { return kOk; }  // memory buffers are never lost

Result SoundBuffer::GetStatus(uint32_t& status) {
    device_->Sync();
    Mixer& m = device_->GetMixer();
    status = 0;
    if (m.Playing(voice_)) status |= kStatusPlaying;
    if (m.Looping(voice_)) status |= kStatusLooping;
    return kOk;
}

Result SoundBuffer::GetCurrentPosition(uint32_t& playCursor) {
    device_->Sync();
    playCursor = device_->GetMixer().Cursor(voice_) * samples_->format.BlockAlign();
    return kOk;
}

Result SoundBuffer::SetCurrentPosition(uint32_t cursor) {
    if (cursor >= Bytes() && cursor != 0) return kInvalidParam;
    device_->Sync();
    device_->GetMixer().SetCursor(voice_, cursor / samples_->format.BlockAlign());
    device_->Note("SetCurrentPosition " + tag_ + " " + std::to_string(cursor));
    return kOk;
}

Result SoundBuffer::SetVolume(int32_t v) {
    if (v < kVolumeMin || v > kVolumeMax) return kInvalidParam;
    device_->Sync();
    volume_ = v;
    device_->GetMixer().SetVolume(voice_, v);
    device_->Note("SetVolume " + tag_ + " " + std::to_string(v));
    return kOk;
}

Result SoundBuffer::GetVolume(int32_t& v) {
    v = volume_;
    return kOk;
}

Result SoundBuffer::SetPan(int32_t pan) {
    if (pan < kPanLeft || pan > kPanRight) return kInvalidParam;
    device_->Sync();
    device_->GetMixer().SetPan(voice_, pan);
    device_->Note("SetPan " + tag_ + " " + std::to_string(pan));
    return kOk;
}

Result SoundBuffer::SetPosition3D(const Vec3& p, bool deferred) {
    if (!positional_) return kControlUnavailable;
    device_->Sync();
    device_->GetMixer().SetPosition(voice_, p, deferred);
    char text[128];
    std::snprintf(text, sizeof text, "SetPosition3D %s %g %g %g%s", tag_.c_str(), p.x, p.y, p.z,
                  deferred ? " deferred" : "");
    device_->Note(text);
    return kOk;
}

std::shared_ptr<Device> SharedDevice() {
    static std::mutex mutex;
    static std::weak_ptr<Device> shared;
    std::lock_guard lock(mutex);
    if (auto d = shared.lock()) return d;
    const char* choice = std::getenv("SPRALLION_AUDIO");
    const bool wantNull = choice && std::strcmp(choice, "null") == 0;
    std::unique_ptr<Output> output;
    std::string why;
    if (!wantNull) {
        output = SdlOutput::Open(why);
        if (!output && !why.empty()) why = " (" + why + ")";
    }
    if (!output) output = std::make_unique<NullOutput>();
    if (wantNull || output->Name() != std::string("null"))
        std::fprintf(stderr, "sprallion: sound output: %s, %u Hz\n", output->Name(), output->Rate());
    else
        std::fprintf(stderr, "sprallion: sound is off: no sound device opens%s\n", why.c_str());
    auto device = Device::Create(std::move(output));
    shared = device;
    return device;
}

}  // namespace platform::audio
