// The WAVE reader that finds the format and the samples in a RIFF stream, and the named
// collection with 256 hash buckets in which the sound lists keep their sounds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "rtl/Streams.h"

namespace media {

// Frees the object a reference holds and clears the reference.
template <typename T> void FreeAndNilObject(std::unique_ptr<T>& object) { object.reset(); }

struct TWaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

// Error codes of the wave reader.
inline constexpr uint8_t wrNone = 0, wrNoStream = 1, wrNotRiff = 3, wrNotWave = 4, wrNotPCM = 5, wrADPCM = 9;

struct TWaveReader {
    rtl::Stream* Stream = nullptr;  // not owned
    uint32_t DataOffset = 0;        // stream position of the first sample byte
    uint32_t DataSize = 0;          // sample bytes, never more than the stream holds
    uint32_t SampleCount = 0;
    uint8_t Error = 0;
    TWaveFormatEx Format;
};

// Walks the chunks to "fmt " and "data". True only for PCM with a sane format and a data
// chunk; on failure the record forgets the stream.
bool OpenWaveStream(rtl::Stream* stream, TWaveReader& reader);
// Reads up to Count bytes, never past the data chunk; -1 (error 1) without a stream.
int32_t ReadWaveData(TWaveReader& reader, int32_t count, void* buffer);

namespace wave {

// Bucket of a name: the low byte of ResourceChecksum over its bytes as they stand.
int HashName(const std::string& name) noexcept;

class THashCollection;

class THashCollectionItem {
public:
    explicit THashCollectionItem(THashCollection* collection) : Collection(collection) {}
    virtual ~THashCollectionItem() = default;
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    const std::string& Name() const { return name_; }
    // A different name (exact comparison) takes the item out of its collection and adds it again.
    void SetName(const std::string& name);

    THashCollection* Collection;
    int Bucket = -1;
    int Index = -1;  // recorded when the item was added
    THashCollectionItem* Prev = nullptr;
    THashCollectionItem* Next = nullptr;

private:
    std::string name_;
};

// The heir keeps the item list; AddItem and RemoveItem keep it and the buckets in step.
class THashCollection {
public:
    virtual ~THashCollection() = default;
    virtual void AddItem(THashCollectionItem* item) = 0;
    virtual void RemoveItem(THashCollectionItem* item) = 0;

    // The recorded index of the first item of the name's bucket whose name equals Name
    // ignoring case; -1 when none.
    int IndexOf(const std::string& name) const;
    THashCollectionItem* Head(int bucket) const { return buckets_.at(static_cast<size_t>(bucket)); }

protected:
    // For heirs: puts an item at the head of its name's bucket, or takes it out.
    void LinkItem(THashCollectionItem* item);
    void UnlinkItem(THashCollectionItem* item);

private:
    std::array<THashCollectionItem*, 256> buckets_{};
};

}  // namespace wave
}  // namespace media
