// Sound effects: the sound object (device, listener, 3-D position mapping), static sound
// buffers, and the named wave list whose items play, loop and place themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "media/DXClass.h"
#include "media/Wave.h"
#include "platform/audio/Device.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"

namespace media {

RTL_EXCEPTION(EDirectSoundError, EDirectXError);
RTL_EXCEPTION(EDirectSoundBufferError, EDirectXError);

// The text of a sound call's result code.
const char* DSoundErrorString(uint32_t result);

inline constexpr uint32_t DSSCL_NORMAL = 1, DSSCL_PRIORITY = 2, DSSCL_EXCLUSIVE = 3;
inline constexpr uint32_t kFlag3D = 0x10;

class TDirectSoundBuffer;

class TDirectSound {
public:
    // `level` 1..3; `flags` with 0x10 asks for 3-D sound. Without a device, the shared one.
    TDirectSound(int level, uint32_t flags, std::shared_ptr<platform::audio::Device> device = {});
    ~TDirectSound();
    TDirectSound(const TDirectSound&) = delete;
    TDirectSound& operator=(const TDirectSound&) = delete;

    void SetPositionMapping(int offsetX, int offsetY, double scaleX, double scaleY, double scaleZ, int offsetZ);
    platform::audio::Vec3 MapPosition(float x, float y, float z) const;
    void CommitDeferredSettings();
    bool Use3D() const { return use3D_; }
    void SetUse3D(bool on);

    int Level() const { return level_; }
    uint32_t Flags() const { return flags_; }
    uint32_t LastResult = 0;
    platform::audio::Device& Device() { return *device_; }
    size_t BufferCount() const { return buffers_.size(); }

    TDirectSoundBuffer& NewBuffer();
    void FreeBuffer(TDirectSoundBuffer* buffer);
    // Expires with the sound object, so that a wave item outliving it does not free twice.
    std::weak_ptr<void> Lifetime() const { return alive_; }

private:
    std::shared_ptr<void> alive_ = std::make_shared<int>(0);
    std::shared_ptr<platform::audio::Device> device_;
    int level_;
    uint32_t flags_;
    bool use3D_ = false;
    int offsetX_ = 0, offsetY_ = 0, offsetZ_ = 0;
    double scaleX_ = 1, scaleY_ = 1, scaleZ_ = 1;
    std::vector<std::unique_ptr<TDirectSoundBuffer>> buffers_;
};

class TDirectSoundBuffer {
public:
    // The owner must be a sound object: "Only TDirectSound class child may act as a
    // TDirectSoundBuffer object owner." otherwise. The buffer joins the owner's list.
    static TDirectSoundBuffer& Create(TDirectSound* owner);
    explicit TDirectSoundBuffer(TDirectSound& owner) : owner_(owner) {}

    // Loads PCM sample data: `declaredBytes` as the wave header gave it, trimmed to the
    // bytes actually present. Raises on a format the mixer refuses or on no data.
    void LoadFromPcm(const platform::audio::PcmFormat& format, uint32_t declaredBytes, std::span<const uint8_t> bytes);
    // Loads a RIFF WAVE stream from its current position: the format and the samples of its
    // data chunk, as many as are really there. A stream the wave reader refuses raises
    // EDirectSoundBufferError; so does a data chunk that ends before its stated size.
    void LoadFromStream(rtl::Stream& stream);
    // The same from a file opened for reading, shared with other readers.
    void LoadFromFile(const std::string& fileName);
    // The wave reader's record of the last load (format, data size, sample count, error).
    const TWaveReader& Wave() const { return wave_; }

    bool Loaded() const { return buffer_ != nullptr; }
    uint32_t Size() const { return buffer_ ? buffer_->Bytes() : 0; }
    void Play(bool looping);
    void Stop();
    void SetVolume(int32_t v);
    int32_t GetVolume();
    void SetPosition(uint32_t cursor);
    uint32_t GetPosition();
    uint32_t GetStatus();
    void SetPosition3D(float x, float y, float z);
    platform::audio::Vec3 Position3D() const { return position_; }
    TDirectSound& Owner() { return owner_; }

private:
    TDirectSound& owner_;
    TWaveReader wave_;
    std::unique_ptr<platform::audio::SoundBuffer> buffer_;
    platform::audio::Vec3 position_;
};

class TSoundBufferCollection;

// A named sound of a wave list, with its own buffer on the list's sound object.
class TWaveCollectionItem : public THashCollectionItem {
public:
    // The collection must be a sound list with a sound object.
    explicit TWaveCollectionItem(TDXCollection* collection);
    ~TWaveCollectionItem() override;

    const char* ClassName() const override { return "TWaveCollectionItem"; }
    TDirectSoundBuffer& Buffer() { return *buffer_; }
    void LoadFromPcm(const platform::audio::PcmFormat& format, uint32_t declaredBytes, std::span<const uint8_t> bytes) {
        buffer_->LoadFromPcm(format, declaredBytes, bytes);
    }
    void LoadFromStream(rtl::Stream& stream) { buffer_->LoadFromStream(stream); }
    void LoadFromFile(const std::string& fileName) { buffer_->LoadFromFile(fileName); }
    void Play() { buffer_->Play(looped_); }
    void Stop();  // and rewind
    void SetPosition(uint32_t cursor) { buffer_->SetPosition(cursor); }
    bool Looped() const { return looped_; }
    void SetLooped(bool on);
    bool GetPlaying();
    bool GetLooping();
    void SetVolume(int32_t v) { buffer_->SetVolume(v); }
    void SetPosition3D(float x, float y, float z) { buffer_->SetPosition3D(x, y, z); }

private:
    TDirectSound* sound_;
    std::weak_ptr<void> soundAlive_;
    TDirectSoundBuffer* buffer_;
    bool looped_ = false;
};

// The sounds by name: items in the order of adding, found through the 256 buckets of the
// sound-name hash (wave::HashName) without regard to letter case.
class TSoundBufferCollection : public THashCollection {
public:
    explicit TSoundBufferCollection(TDirectSound* sound);
    ~TSoundBufferCollection() override { FreeAll(); }

    // A new sound at the end of the list under the name.
    TWaveCollectionItem& Add(std::string_view name);
    // Checked: "List index out of bounds (%d)".
    TWaveCollectionItem& GetItem(int index) const;
    // Null when no sound has the name.
    TWaveCollectionItem* Find(std::string_view name) const;
    int GetCount() const { return Count(); }
    int32_t GetVolume() const { return volume_; }
    void SetVolume(int32_t v);
    // Frees every sound; FreeAll also forgets the sound object.
    void FreeAll();
    TDirectSound* DirectSound() const { return sound_; }

private:
    TDirectSound* sound_;
    int32_t volume_ = 0;
};

class TDXWaveList : public TSoundBufferCollection {
public:
    using TSoundBufferCollection::TSoundBufferCollection;
};

}  // namespace media
