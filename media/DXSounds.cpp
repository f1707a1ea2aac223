#include "media/DXSounds.h"

#include <algorithm>

#include "rtl/Text.h"

namespace media {

namespace audio = platform::audio;

const char* DSoundErrorString(uint32_t r) {
    switch (r) {
        case 0: return "The request completed successfully.";
        case 0x80004001: return "The function called is not supported at this time.";
        case 0x80004002: return "The requested COM interface is not available.";
        case 0x80004005: return "An undetermined error occurred inside the DirectSound subsystem.";
        case 0x80040110: return "The object does not support aggregation.";
        case 0x8007000E: return "The DirectSound subsystem could not allocate sufficient memory to complete the caller+s request.";
        case 0x80070057: return "An invalid parameter was passed to the returning function.";
        case 0x8878000A: return "The request failed because resources, such as a priority level, were already in use by another caller.";
        case 0x8878001E: return "The control (volume, pan, and so forth) requested by the caller is not available.";
        case 0x88780032: return "This function is not valid for the current state of this object.";
        case 0x88780046: return "The caller does not have the priority level required for the function to succeed.";
        case 0x88780064: return "The specified wave format is not supported.";
        case 0x88780078: return "No sound driver is available for use.";
        case 0x88780082: return "The object is already initialized.";
        case 0x88780096: return "The buffer memory has been lost and must be restored.";
        case 0x887800A0: return "Another application has a higher priority level, preventing this call from succeeding.";
        case 0x887800AA: return "The IDirectSound::Initialize method has not been called or has not been called successfully before other methods were called.";
        default: return "Unrecognized Error";
    }
}

namespace {
// Windows-1251, like every text of the game.
constexpr const char* kCannotLoadFromStream =
    "\xCD\xE5\xE0\xEE\xE7\xEC\xEE\xE6\xED\xEE \xE7\xE0\xE3\xF0\xF3\xE7\xE8\xF2\xFC "
    "\xC7\xE2\xF3\xEA \xE8\xE7 \xEF\xEE\xF2\xEE\xEA\xE0";
[[noreturn]] void CannotMake(const char* what) { throw EDirectSoundError(std::string(what) + " cannot be made"); }
void Check(uint32_t result, const char* check) {
    if (result != audio::kOk) throw EDirectSoundError(std::string(check) + ": " + DSoundErrorString(result));
}
}  // namespace

TDirectSound::TDirectSound(int level, uint32_t flags, std::shared_ptr<audio::Device> device)
    : level_(level), flags_(flags) {
    if (level < 1 || level > 3) CannotMake("CooperativeLevel");
    device_ = device ? std::move(device) : audio::SharedDevice();
    if (!device_) CannotMake("DirectSound");
    if (level >= 2 && device_->SetPrimaryFormat({2, 22050, 16}) != audio::kOk) CannotMake("SetFormat");
    use3D_ = (flags & kFlag3D) != 0;
    if (use3D_) {
        audio::ListenerSettings l = device_->Listener();
        l.position = {0, 0, -1};
        l.dopplerFactor = 5.0f;
        l.rolloffFactor = 0.25f;
        if (device_->SetListener(l, true) != audio::kOk || device_->CommitDeferredSettings() != audio::kOk) use3D_ = false;
    }
}

TDirectSound::~TDirectSound() {
    while (!buffers_.empty()) buffers_.pop_back();  // last first
}

void TDirectSound::SetPositionMapping(int ox, int oy, double sx, double sy, double sz, int oz) {
    offsetX_ = ox;
    offsetY_ = oy;
    offsetZ_ = oz;
    scaleX_ = sx;
    scaleY_ = sy;
    scaleZ_ = sz;
}

audio::Vec3 TDirectSound::MapPosition(float x, float y, float z) const {
    return {static_cast<float>((x - offsetX_) * scaleX_), static_cast<float>((y - offsetY_) * scaleY_),
            static_cast<float>((z - offsetZ_) * scaleZ_)};
}

void TDirectSound::CommitDeferredSettings() {
    if (!use3D_) return;
    LastResult = device_->CommitDeferredSettings();
    if (LastResult != audio::kOk) use3D_ = false;
}

void TDirectSound::SetUse3D(bool on) { use3D_ = on && (flags_ & kFlag3D); }

TDirectSoundBuffer& TDirectSound::NewBuffer() {
    buffers_.push_back(std::make_unique<TDirectSoundBuffer>(*this));
    return *buffers_.back();
}

void TDirectSound::FreeBuffer(TDirectSoundBuffer* buffer) {
    std::erase_if(buffers_, [&](const auto& b) { return b.get() == buffer; });
}

TDirectSoundBuffer& TDirectSoundBuffer::Create(TDirectSound* owner) {
    if (!owner)
        throw EDirectSoundError("Only TDirectSound class child may act as a TDirectSoundBuffer object owner.");
    return owner->NewBuffer();
}

void TDirectSoundBuffer::LoadFromPcm(const audio::PcmFormat& format, uint32_t declaredBytes, std::span<const uint8_t> bytes) {
    buffer_.reset();
    // The header's size is a claim; the buffer holds what is really there.
    const size_t present = std::min<size_t>(declaredBytes, bytes.size());
    uint32_t result = audio::kInvalidParam;
    if (present >= format.BlockAlign() && format.BlockAlign() > 0)
        result = owner_.Device().CreateBuffer(format, bytes.first(present), owner_.Use3D(), buffer_);
    else if (!audio::IsSupported(format))
        result = audio::kBadFormat;
    owner_.LastResult = result;
    Check(result, "Pufferobjekt anlegen");
}

void TDirectSoundBuffer::LoadFromStream(rtl::Stream& stream) {
    buffer_.reset();
    if (!OpenWaveStream(&stream, wave_))
        throw EDirectSoundBufferError(kCannotLoadFromStream);
    // The reader has already trimmed the data size to what the stream holds.
    std::vector<uint8_t> samples(wave_.DataSize);
    const int32_t got = samples.empty() ? 0 : ReadWaveData(wave_, static_cast<int32_t>(samples.size()), samples.data());
    if (got < static_cast<int32_t>(samples.size())) throw EDirectSoundBufferError("EOF beim Lesen der Audiodaten");
    const audio::PcmFormat format{wave_.Format.nChannels, wave_.Format.nSamplesPerSec, wave_.Format.wBitsPerSample};
    LoadFromPcm(format, wave_.DataSize, samples);
}

void TDirectSoundBuffer::LoadFromFile(const std::string& fileName) {
    rtl::FileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    LoadFromStream(file);
}

void TDirectSoundBuffer::Play(bool looping) {
    if (!buffer_) throw EDirectSoundBufferError("TDSoundBuffer.Play: BufferObject = nil");
    uint32_t r = buffer_->Play(looping);
    if (r == audio::kBufferLost && buffer_->Restore() == audio::kOk) r = buffer_->Play(looping);
    owner_.LastResult = r;
}

void TDirectSoundBuffer::Stop() {
    if (!buffer_) throw EDirectSoundBufferError("TDSoundBuffer.Stop: BufferObject = nil");
    owner_.LastResult = buffer_->Stop();
}

void TDirectSoundBuffer::SetVolume(int32_t v) {
    if (buffer_) owner_.LastResult = buffer_->SetVolume(std::clamp(v, audio::kVolumeMin, audio::kVolumeMax));
}

int32_t TDirectSoundBuffer::GetVolume() {
    int32_t v = 0;
    if (buffer_) owner_.LastResult = buffer_->GetVolume(v);
    return v;
}

void TDirectSoundBuffer::SetPosition(uint32_t cursor) {
    if (buffer_) owner_.LastResult = buffer_->SetCurrentPosition(cursor);
}

uint32_t TDirectSoundBuffer::GetPosition() {
    uint32_t c = 0;
    if (buffer_) owner_.LastResult = buffer_->GetCurrentPosition(c);
    return c;
}

uint32_t TDirectSoundBuffer::GetStatus() {
    uint32_t s = 0;
    if (buffer_) owner_.LastResult = buffer_->GetStatus(s);
    return s;
}

void TDirectSoundBuffer::SetPosition3D(float x, float y, float z) {
    position_ = {x, y, z};
    if (!owner_.Use3D() || !buffer_ || !buffer_->Positional()) return;
    owner_.LastResult = buffer_->SetPosition3D(owner_.MapPosition(x, y, z), true);
    if (owner_.LastResult != audio::kOk) owner_.SetUse3D(false);
}

// ---- the wave list ----

namespace {
TDirectSound* SoundOf(TDXCollection* collection) {
    auto* list = dynamic_cast<TSoundBufferCollection*>(collection);
    TDirectSound* sound = list ? list->DirectSound() : nullptr;
    if (!sound) throw EDirectSoundError("Only TDirectSound class child may act as a TDirectSoundBuffer object owner.");
    return sound;
}
}  // namespace

TWaveCollectionItem::TWaveCollectionItem(TDXCollection* collection)
    : THashCollectionItem(static_cast<THashCollection*>(collection)), sound_(SoundOf(collection)) {
    soundAlive_ = sound_->Lifetime();
    buffer_ = &TDirectSoundBuffer::Create(sound_);
}

TWaveCollectionItem::~TWaveCollectionItem() {
    if (!soundAlive_.expired()) sound_->FreeBuffer(buffer_);  // else the sound object freed it
}

void TWaveCollectionItem::Stop() {
    if (!buffer_->Loaded()) return;
    buffer_->Stop();
    buffer_->SetPosition(0);
}

void TWaveCollectionItem::SetLooped(bool on) {
    if (on == looped_) return;
    if (buffer_->Loaded()) Stop();
    looped_ = on;
}

bool TWaveCollectionItem::GetPlaying() {
    return (buffer_->GetStatus() & (audio::kStatusPlaying | audio::kStatusLooping)) != 0;
}

bool TWaveCollectionItem::GetLooping() { return (buffer_->GetStatus() & audio::kStatusLooping) != 0; }

TSoundBufferCollection::TSoundBufferCollection(TDirectSound* sound)
    : THashCollection([](TDXCollection* c) -> TDXCollectionItem* { return new TWaveCollectionItem(c); }, wave::HashName),
      sound_(sound) {}

TWaveCollectionItem& TSoundBufferCollection::Add(std::string_view name) {
    auto& item = static_cast<TWaveCollectionItem&>(*THashCollection::Add());
    item.SetName(name);
    return item;
}

TWaveCollectionItem& TSoundBufferCollection::GetItem(int index) const {
    return static_cast<TWaveCollectionItem&>(*Items(index));
}

TWaveCollectionItem* TSoundBufferCollection::Find(std::string_view name) const {
    return static_cast<TWaveCollectionItem*>(THashCollection::Find(name));
}

void TSoundBufferCollection::SetVolume(int32_t v) {
    volume_ = v;
    for (int i = 0; i < Count(); ++i) GetItem(i).SetVolume(v);
}

void TSoundBufferCollection::FreeAll() {
    Clear();
    sound_ = nullptr;
}

}  // namespace media
