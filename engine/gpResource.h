// The resource container: one file holding every piece of game data under a two-level
// hashed directory of named sections and named entries.
//
//   offset 0   int32 header length (16)
//          4   short string "GPR" (length byte 3, then the letters)
//          8   int32 N, bytes of the directory area
//         12   int32 ResourceChecksum of those N bytes (zero high word)
//         16   top directory, then the sub-directory of every section
//       16+N   entry data at the offsets the sub-directories give
//
// A directory is an int32 count of non-empty buckets, then every bucket chain: per item an
// int32 name length, the name, an int32 offset and an int32 count of the items that follow
// it in the chain. Every length and count is checked against what the file holds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gpResourceStream.h"
#include "rtl/Checksum.h"

namespace media { class TGPBitmap; class TDIB; }
namespace rtl { class StringList; }

namespace engine {

using rtl::ResourceChecksum;

// Bucket of a name: the low byte of ResourceChecksum over its bytes as written.
int NameHash(const std::string& name) noexcept;

class TGPHashCollection;

class TGPHashCollectionItem {
public:
    TGPHashCollectionItem(const TGPHashCollectionItem&) = delete;
    TGPHashCollectionItem& operator=(const TGPHashCollectionItem&) = delete;
    ~TGPHashCollectionItem();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);  // re-links the item into the new name's bucket
    int32_t Offset = 0;                     // entry data, or a section's sub-directory
    int32_t EndFlag = 0;                    // set by the directory reader for chain heads
    int Bucket() const { return bucket_; }
    int Index() const { return index_; }
    // Number of items after this one in its bucket chain.
    int32_t Count() const;
    TGPHashCollectionItem* Next() const { return next_; }
    // The section's entries; nil for an entry, and for a section until read or created.
    TGPHashCollection* SubDirectory() const { return subDirectory_.get(); }
    TGPHashCollection& MakeSubDirectory();

private:
    friend class TGPHashCollection;
    TGPHashCollectionItem(TGPHashCollection& owner, std::string name, int index);

    TGPHashCollection& owner_;
    std::string name_;
    int bucket_ = -1;
    int index_;
    TGPHashCollectionItem* prev_ = nullptr;
    TGPHashCollectionItem* next_ = nullptr;
    std::unique_ptr<TGPHashCollection> subDirectory_;
};

class TGPHashCollection {
public:
    TGPHashCollection();
    ~TGPHashCollection();
    TGPHashCollection(const TGPHashCollection&) = delete;
    TGPHashCollection& operator=(const TGPHashCollection&) = delete;

    // Result of the last directory read: 0 data follows, 1 end of file reached, -1 damaged.
    int32_t Status = 0;

    // Adds an item at the head of its bucket; a section gets an empty sub-directory.
    TGPHashCollectionItem& Add(const std::string& name, bool section = false);
    void Delete(int index);
    void Clear();

    // First item of the name's bucket whose name equals Name ignoring case.
    TGPHashCollectionItem* Find(const std::string& name) const;
    int32_t OffsetOf(const std::string& name) const;
    // False when the name is absent.
    bool SetOffset(const std::string& name, int32_t value);
    // Positions the stream at the item's offset; false when absent or the offset is -1.
    bool Locate(const std::string& name, rtl::Stream& stream) const;

    int ItemCount() const { return static_cast<int>(items_.size()); }
    TGPHashCollectionItem& Item(int index) const;
    TGPHashCollectionItem* Bucket(int bucket) const { return buckets_.at(static_cast<size_t>(bucket)); }
    // Number of non-empty buckets.
    int32_t Count() const;
    // Bytes this directory takes in the file: 4 + the sum of 12 + name length.
    int64_t StreamSize() const;

    void ReadFromStream(rtl::Stream& stream);
    void WriteToStream(rtl::Stream& stream) const;

private:
    friend class TGPHashCollectionItem;
    void Link(TGPHashCollectionItem& item);
    void Unlink(TGPHashCollectionItem& item);
    // One item as the directory stores it; answers false (with Status set) when it cannot.
    bool ReadItem(rtl::Stream& stream, int64_t size, std::string& name, int32_t& offset, int32_t& follow);

    std::vector<std::unique_ptr<TGPHashCollectionItem>> items_;
    std::array<TGPHashCollectionItem*, 256> buckets_{};
};

using TSaveRecord = std::array<uint8_t, 144>;

class TGPResource : public TMissionStream {
public:
    // Opens (or with fmCreate makes) the file; a missing file raises EFOpenError.
    TGPResource(const std::string& fileName, uint16_t mode);
    ~TGPResource() override;
    using rtl::Stream::ReadBuffer;

    // Writes a fresh header (create mode) or reads and checks header and top directory.
    virtual void Open();

    // 0 directory read and data follows; 1 the directory reaches the end of the file;
    // -1 wrong magic, wrong checksum or a damaged directory.
    int32_t Status() const { return status_; }
    // The whole container checked, not only its header and top directory: Status 0, the
    // directory area inside the file, every sub-directory read whole within that area, and
    // every entry starting inside the data that the file holds. A container cut short fails
    // here although its header and directory still read. The position is kept.
    bool IsWhole();
    TGPHashCollection& Directory() { return directory_; }
    const std::array<uint8_t, 16>& Header() const { return header_; }

    // Adds a section with an empty sub-directory (building a container).
    TGPHashCollection& AddSection(const std::string& name);
    // A section's entries, read from the file on first use; nil when absent.
    TGPHashCollection* GetSection(const std::string& section);
    // Positions the container at the entry's data.
    bool Locate(const std::string& section, const std::string& key);
    // A view of the entry's bytes alone, up to the next entry or sub-directory or the end of
    // the file, positions counted from its first byte; nil when absent. It reads through the
    // container, which must outlive it.
    std::unique_ptr<rtl::SubStream> OpenEntry(const std::string& section, const std::string& key);

    // The entry's length-prefixed text; empty when absent or longer than the entry.
    std::string ReadString(const std::string& section, const std::string& key);
    int32_t ReadInt(const std::string& section, const std::string& key);         // 0 when absent
    // 3 when absent or unreadable (Bitmap is then nil); else the picture kind loaded.
    uint8_t ReadBitmap(const std::string& section, const std::string& key,
                       std::unique_ptr<media::TGPBitmap>& bitmap);
    // Writes the picture as a BMP file at the entry: 1 done; 0 when the entry is absent or
    // the picture does not fit before the next entry (or the end of the data).
    uint8_t WriteBitmap(const std::string& section, const std::string& key, const media::TDIB& bitmap);
    // Zero-fills Size bytes, then reads them; false when absent or short.
    bool ReadBuffer(const std::string& section, const std::string& key, int64_t size, void* buffer);
    bool Write144(const std::string& section, const std::string& key, const TSaveRecord& record);
    // Zero-fills the record; 1 when found and read whole, else 0.
    uint8_t Read144(const std::string& section, const std::string& key, TSaveRecord& record);

    // Bytes the entry at offset may take: up to the next entry or sub-directory, or the end of
    // the file; 0 inside the directory area. The position is kept.
    int64_t EntryRoomAt(int64_t offset);
    // Bytes a write at offset may take: up to the next entry or sub-directory; the last entry
    // may grow the file (the largest int64 then). 0 inside the directory area. The position
    // is kept.
    int64_t EntryWriteRoomAt(int64_t offset);

    // Writes the directory area at offset 16, giving each section its sub-directory offset.
    void WriteDirectory();
    // WriteDirectory, then the header with N and the checksum; commits the file.
    void Finish();

private:
    // Bytes an entry may take: up to the next entry or sub-directory, or the end of the file.
    int64_t EntryRoom(int32_t offset);
    // The offset of the first entry or sub-directory after offset; offset itself inside the
    // directory area, the largest int64 when none follows.
    int64_t NextEntryAfter(int32_t offset);
    void LoadAllSections();
    int64_t DirectorySize() const;

    TGPHashCollection directory_;
    int32_t status_ = 0;
    std::array<uint8_t, 16> header_{};
    int32_t directorySize_ = 0;  // N of the header as opened
};

// Reads an int32 length and that many bytes at the position and makes them the whole text
// of Strings; a length beyond what the stream holds (in a container: what the entry at the
// position holds) reads nothing.
void ReadStringsText(rtl::Stream& stream, rtl::StringList& strings);

}  // namespace engine
