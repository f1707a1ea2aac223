#include "engine/gpDataStream.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

#include "media/DIB.h"

namespace engine {
namespace {

constexpr int32_t kRecordHeaderSize = 24;

int32_t GetInt32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void PutInt32(uint8_t* p, int32_t value) {
    auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TDataStream::TDataStream(const std::string& fileName, TGPResource* resource, const TDataStreamHeader& header,
                         uint16_t mode)
    : fileName_(fileName), mode_(mode) {
    try {
        if (resource) {
            stream_ = resource;
            resource_ = resource;
            TakeEntry(mode == rtl::fmCreate);
        } else {
            file_ = std::make_unique<TMissionStream>(fileName, mode);
            stream_ = file_.get();
        }
        if (mode == rtl::fmCreate) {
            if (!Fits(static_cast<int64_t>(header.size()))) {
                Close();
                error_ = true;
                return;
            }
            stream_->WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
            return;
        }
        // Zero-filled first; inside a container no byte is taken past the entry.
        TDataStreamHeader stored{};
        stream_->Read(stored.data(), std::min<int64_t>(Room(), static_cast<int64_t>(stored.size())));
        if (GetInt32(stored.data()) != GetInt32(header.data())) {
            Close();
            error_ = true;
            return;
        }
    } catch (const std::exception&) {
        Close();
        error_ = true;
    }
}

TDataStream::~TDataStream() = default;

void TDataStream::Close() {
    file_.reset();
    stream_ = nullptr;
}

int64_t TDataStream::Room() const {
    if (!stream_) return 0;
    return resource_ ? std::max<int64_t>(0, end_ - resource_->Position()) : stream_->Remaining();
}

bool TDataStream::Fits(int64_t n) const { return !resource_ || Room() >= n; }

void TDataStream::TakeEntry(bool writing) {
    const int64_t at = resource_->Position();
    const int64_t room = writing ? resource_->EntryWriteRoomAt(at) : resource_->EntryRoomAt(at);
    end_ = room > std::numeric_limits<int64_t>::max() - at ? std::numeric_limits<int64_t>::max() : at + room;
    relocations_ = resource_->Relocations();  // after the look-up's own return to the position
}

void TDataStream::StartRecord(bool writing) {
    // A record that follows the last one lies in the same entry, even where that entry ends
    // and the next begins; only a caller that located a place since starts another entry.
    if (resource_ && resource_->Relocations() != relocations_) TakeEntry(writing);
}

int32_t TDataStream::ReadRecordHeader(TDataRecordHeader& header) {
    if (error_ || !stream_) return -1;
    StartRecord(false);
    uint8_t raw[kRecordHeaderSize];
    if (Room() < kRecordHeaderSize || stream_->Read(raw, kRecordHeaderSize) != kRecordHeaderSize) {
        error_ = true;
        return -1;
    }
    header.Size = GetInt32(raw);
    header.Id = GetInt32(raw + 4);
    header.Value = GetInt32(raw + 8);
    header.Length = GetInt32(raw + 12);
    header.CheckFlag = GetInt32(raw + 16);
    header.Checksum = GetInt32(raw + 20);
    if (header.Size != kRecordHeaderSize) {
        error_ = true;
        return -1;
    }
    last_ = header;
    return header.Id;
}

int32_t TDataStream::ReadData(void* buffer, int64_t capacity) {
    if (error_ || !stream_) return -1;
    const int32_t length = last_.Length;
    if (length < 0 || length > capacity || length > Room() ||
        stream_->Read(buffer, length) != length) {
        error_ = true;
        return -1;
    }
    if (last_.CheckFlag != 0 && static_cast<int32_t>(ResourceChecksum(buffer, static_cast<size_t>(length))) != last_.Checksum) {
        error_ = true;
        return -1;
    }
    return length;
}

void TDataStream::WriteRecord(const void* data, const TDataRecordHeader& header) {
    if (error_ || !stream_) return;
    StartRecord(true);
    if (header.Length < 0 || !Fits(kRecordHeaderSize + int64_t{header.Length})) {
        error_ = true;
        return;
    }
    TDataRecordHeader h = header;
    h.Size = kRecordHeaderSize;
    if (h.CheckFlag != 0) h.Checksum = ResourceChecksum(data, static_cast<size_t>(h.Length));
    uint8_t raw[kRecordHeaderSize];
    PutInt32(raw, h.Size);
    PutInt32(raw + 4, h.Id);
    PutInt32(raw + 8, h.Value);
    PutInt32(raw + 12, h.Length);
    PutInt32(raw + 16, h.CheckFlag);
    PutInt32(raw + 20, h.Checksum);
    stream_->WriteBuffer(raw, kRecordHeaderSize);
    if (h.Length > 0) stream_->WriteBuffer(data, h.Length);
}

void CreateSaveFile(const std::string& fileName, int n, bool force) {
    if (!force && std::filesystem::exists(fileName)) return;
    TGPResource resource(fileName, rtl::fmCreate);
    TGPHashCollection& user = resource.AddSection("Save_User");
    TGPHashCollection& pictures = resource.AddSection("Save_BMP");
    std::vector<std::string> keys;
    for (int i = 0; i <= n; ++i) keys.push_back("Save_" + std::to_string(i));
    for (const auto& key : keys) {
        user.Add(key);
        pictures.Add(key);
    }
    resource.WriteDirectory();

    const TSaveRecord empty{};
    for (const auto& key : keys) {
        user.SetOffset(key, static_cast<int32_t>(resource.Position()));
        resource.WriteBuffer(empty.data(), static_cast<int64_t>(empty.size()));
    }
    // The thumbnail placeholder: 160 x 120 at 8 bits, every pixel red.
    media::TDIB thumbnail;
    thumbnail.ColorTable = media::MakeGrayColorTable();
    thumbnail.ColorTable[0] = media::TRGBQuad{0, 0, 255, 0};
    thumbnail.UpdatePalette();
    thumbnail.SetSize(160, 120, 8);
    std::fill_n(thumbnail.PBits(), thumbnail.Size(), 0);
    for (const auto& key : keys) {
        pictures.SetOffset(key, static_cast<int32_t>(resource.Position()));
        thumbnail.SaveToStream(resource);
    }
    resource.Finish();
}

}  // namespace engine
