#include "engine/gpResource.h"

#include <algorithm>
#include <limits>

#include "media/gpBitmap.h"
#include "rtl/StringList.h"
#include "rtl/Text.h"

namespace engine {
namespace {

constexpr int32_t kHeaderLength = 16;
constexpr int32_t kMaxFollowCount = 65536;

void PutInt32(std::string& out, int32_t value) {
    auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

int32_t GetInt32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// Reads an int32; false when fewer than 4 bytes remain.
bool ReadInt32(rtl::Stream& stream, int32_t& value) {
    uint8_t raw[4];
    if (stream.Read(raw, 4) != 4) return false;
    value = GetInt32(raw);
    return true;
}

void AppendDirectory(const TGPHashCollection& directory, std::string& out) {
    PutInt32(out, directory.Count());
    for (int b = 0; b < 256; ++b) {
        for (const TGPHashCollectionItem* item = directory.Bucket(b); item; item = item->Next()) {
            PutInt32(out, static_cast<int32_t>(item->Name().size()));
            out += item->Name();
            PutInt32(out, item->Offset);
            PutInt32(out, item->Count());
        }
    }
}

// Every section in bucket and chain order, the order in which the directory is written.
template <typename F> void ForEachSection(const TGPHashCollection& top, F&& f) {
    for (int b = 0; b < 256; ++b)
        for (TGPHashCollectionItem* item = top.Bucket(b); item; item = item->Next()) f(*item);
}

}  // namespace

int NameHash(const std::string& name) noexcept { return ResourceChecksum(name) & 0xFF; }

// ---- TGPHashCollectionItem ----

TGPHashCollectionItem::TGPHashCollectionItem(TGPHashCollection& owner, std::string name, int index)
    : owner_(owner), name_(std::move(name)), index_(index) {}

TGPHashCollectionItem::~TGPHashCollectionItem() = default;

void TGPHashCollectionItem::SetName(const std::string& name) {
    owner_.Unlink(*this);
    name_ = name;
    owner_.Link(*this);
}

int32_t TGPHashCollectionItem::Count() const {
    int32_t n = 0;
    for (const TGPHashCollectionItem* p = next_; p; p = p->next_) ++n;
    return n;
}

TGPHashCollection& TGPHashCollectionItem::MakeSubDirectory() {
    if (!subDirectory_) subDirectory_ = std::make_unique<TGPHashCollection>();
    return *subDirectory_;
}

// ---- TGPHashCollection ----

TGPHashCollection::TGPHashCollection() = default;
TGPHashCollection::~TGPHashCollection() = default;

void TGPHashCollection::Link(TGPHashCollectionItem& item) {
    int bucket = NameHash(item.name_);
    item.bucket_ = bucket;
    item.prev_ = nullptr;
    item.next_ = buckets_[bucket];
    if (item.next_) item.next_->prev_ = &item;
    buckets_[bucket] = &item;
}

void TGPHashCollection::Unlink(TGPHashCollectionItem& item) {
    if (item.bucket_ < 0) return;
    if (item.prev_) item.prev_->next_ = item.next_;
    else buckets_[item.bucket_] = item.next_;
    if (item.next_) item.next_->prev_ = item.prev_;
    item.prev_ = item.next_ = nullptr;
    item.bucket_ = -1;
}

TGPHashCollectionItem& TGPHashCollection::Add(const std::string& name, bool section) {
    auto item = std::unique_ptr<TGPHashCollectionItem>(
        new TGPHashCollectionItem(*this, name, static_cast<int>(items_.size())));
    if (section) item->MakeSubDirectory();
    Link(*item);
    items_.push_back(std::move(item));
    return *items_.back();
}

void TGPHashCollection::Delete(int index) {
    TGPHashCollectionItem& item = Item(index);
    Unlink(item);
    items_.erase(items_.begin() + index);
    for (size_t i = static_cast<size_t>(index); i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

void TGPHashCollection::Clear() {
    items_.clear();
    buckets_.fill(nullptr);
}

TGPHashCollectionItem& TGPHashCollection::Item(int index) const {
    if (index < 0 || index >= ItemCount())
        throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

TGPHashCollectionItem* TGPHashCollection::Find(const std::string& name) const {
    for (TGPHashCollectionItem* item = buckets_[NameHash(name)]; item; item = item->next_)
        if (rtl::AnsiCompareText(item->name_, name) == 0) return item;
    return nullptr;
}

int32_t TGPHashCollection::OffsetOf(const std::string& name) const {
    const TGPHashCollectionItem* item = Find(name);
    return item ? item->Offset : -1;
}

bool TGPHashCollection::SetOffset(const std::string& name, int32_t value) {
    TGPHashCollectionItem* item = Find(name);
    if (!item) return false;
    item->Offset = value;
    return true;
}

bool TGPHashCollection::Locate(const std::string& name, rtl::Stream& stream) const {
    const TGPHashCollectionItem* item = Find(name);
    if (!item || item->Offset == -1) return false;
    stream.SetPosition(item->Offset);
    return true;
}

int32_t TGPHashCollection::Count() const {
    return static_cast<int32_t>(std::count_if(buckets_.begin(), buckets_.end(), [](auto* p) { return p != nullptr; }));
}

int64_t TGPHashCollection::StreamSize() const {
    int64_t size = 4;
    for (const auto& item : items_) size += 12 + static_cast<int64_t>(item->name_.size());
    return size;
}

bool TGPHashCollection::ReadItem(rtl::Stream& stream, int64_t size, std::string& name, int32_t& offset,
                                 int32_t& follow) {
    int32_t length = 0;
    if (!ReadInt32(stream, length)) {
        Status = 1;  // the directory runs past the end of the file
        return false;
    }
    if (length < 0 || length > size - stream.Position()) {
        Status = -1;  // a name longer than the file
        return false;
    }
    name.assign(static_cast<size_t>(length), '\0');
    if (length > 0) stream.ReadBuffer(name.data(), length);
    if (!ReadInt32(stream, offset) || !ReadInt32(stream, follow)) {
        Status = 1;
        return false;
    }
    return true;
}

void TGPHashCollection::ReadFromStream(rtl::Stream& stream) {
    Status = 0;
    const int64_t size = stream.Size();
    int32_t heads = 0;
    if (!ReadInt32(stream, heads)) {
        Status = 1;
        return;
    }
    std::string name;
    int32_t offset = 0, follow = 0, unused = 0;
    for (int32_t h = 0; h < heads; ++h) {
        if (!ReadItem(stream, size, name, offset, follow)) return;
        TGPHashCollectionItem& head = Add(name);
        head.Offset = offset;
        if (follow < 0 || follow >= kMaxFollowCount) {
            head.EndFlag = -1;
            Status = -1;
            return;
        }
        for (int32_t f = 0; f < follow && stream.Position() < size; ++f) {
            if (!ReadItem(stream, size, name, offset, unused)) return;
            Add(name).Offset = offset;
        }
        head.EndFlag = stream.Position() >= size ? 1 : 0;
        if (head.EndFlag != 0) {
            Status = head.EndFlag;
            return;
        }
    }
    Status = stream.Position() >= size ? 1 : 0;
}

void TGPHashCollection::WriteToStream(rtl::Stream& stream) const {
    std::string bytes;
    AppendDirectory(*this, bytes);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// ---- TGPResource ----

TGPResource::TGPResource(const std::string& fileName, uint16_t mode) : TMissionStream(fileName, mode) {
    TGPResource::Open();
}

TGPResource::~TGPResource() = default;

void TGPResource::Open() {
    directory_.Clear();
    header_.fill(0);
    if (Mode() == rtl::fmCreate) {
        header_ = {16, 0, 0, 0, 3, 'G', 'P', 'R', 0, 0, 0, 0, 0, 0, 0, 0};
        SetPosition(0);
        WriteBuffer(header_.data(), kHeaderLength);
        directorySize_ = 0;
        directory_.ReadFromStream(*this);
        status_ = directory_.Status;
        return;
    }
    SetPosition(0);
    Read(header_.data(), kHeaderLength);
    if (header_[4] != 3 || header_[5] != 'G' || header_[6] != 'P' || header_[7] != 'R') {
        status_ = -1;
        return;
    }
    directorySize_ = GetInt32(&header_[8]);
    const int32_t stored = GetInt32(&header_[12]);
    // The checksum covers the directory area whenever that area lies inside the file.
    if (directorySize_ > 0 && kHeaderLength + static_cast<int64_t>(directorySize_) <= Size()) {
        std::vector<uint8_t> area(static_cast<size_t>(directorySize_));
        SetPosition(kHeaderLength);
        ReadBuffer(area.data(), directorySize_);
        if (static_cast<int32_t>(ResourceChecksum(area.data(), area.size())) != stored) {
            status_ = -1;
            return;
        }
    }
    SetPosition(kHeaderLength);
    directory_.ReadFromStream(*this);
    status_ = directory_.Status;
}

bool TGPResource::IsWhole() {
    if (status_ != 0 || directorySize_ <= 0) return false;
    const int64_t position = Position();
    const int64_t size = Size();
    const int64_t dataStart = kHeaderLength + static_cast<int64_t>(directorySize_);
    bool whole = dataStart <= size;
    for (int i = 0; whole && i < directory_.ItemCount(); ++i) {
        const TGPHashCollectionItem& section = directory_.Item(i);
        const bool inside = section.Offset >= kHeaderLength && section.Offset < dataStart;
        const TGPHashCollection* sub = inside ? GetSection(section.Name()) : nullptr;
        whole = sub && sub->Status == 0 && section.Offset + sub->StreamSize() <= dataStart;
        for (int e = 0; whole && e < sub->ItemCount(); ++e) {
            const int32_t at = sub->Item(e).Offset;
            whole = at == -1 || (at >= dataStart && at < size);  // -1: an entry without data
        }
    }
    SetPosition(position);
    return whole;
}

TGPHashCollection& TGPResource::AddSection(const std::string& name) {
    return directory_.Add(name, true).MakeSubDirectory();
}

TGPHashCollection* TGPResource::GetSection(const std::string& section) {
    TGPHashCollectionItem* item = directory_.Find(section);
    if (!item) return nullptr;
    if (TGPHashCollection* loaded = item->SubDirectory()) return loaded;
    TGPHashCollection& sub = item->MakeSubDirectory();
    if (item->Offset >= kHeaderLength && item->Offset <= Size()) {
        SetPosition(item->Offset);
        sub.ReadFromStream(*this);
    } else {
        sub.Status = -1;
    }
    return &sub;
}

bool TGPResource::Locate(const std::string& section, const std::string& key) {
    TGPHashCollection* sub = GetSection(section);
    return sub && sub->Locate(key, *this);
}

std::unique_ptr<rtl::SubStream> TGPResource::OpenEntry(const std::string& section, const std::string& key) {
    const TGPHashCollection* sub = GetSection(section);
    const TGPHashCollectionItem* item = sub ? sub->Find(key) : nullptr;
    if (!item || item->Offset < 0 || item->Offset > Size()) return nullptr;
    return std::make_unique<rtl::SubStream>(*this, item->Offset, std::max<int64_t>(EntryRoom(item->Offset), 0));
}

std::string TGPResource::ReadString(const std::string& section, const std::string& key) {
    if (!Locate(section, key)) return {};
    const int64_t left = std::min(EntryRoomAt(Position()), Remaining());  // the entry's own bytes
    int32_t length = 0;
    if (!ReadInt32(*this, length) || length <= 0 || length > left - 4) return {};
    std::string text(static_cast<size_t>(length), '\0');
    ReadBuffer(text.data(), length);
    return text;
}

int32_t TGPResource::ReadInt(const std::string& section, const std::string& key) {
    int32_t value = 0;
    if (!Locate(section, key) || !ReadInt32(*this, value)) return 0;
    return value;
}

uint8_t TGPResource::ReadBitmap(const std::string& section, const std::string& key,
                                std::unique_ptr<media::TGPBitmap>& bitmap) {
    if (!Locate(section, key)) return 3;
    try {
        if (!bitmap) bitmap = std::make_unique<media::TGPBitmap>();
        bitmap->LoadFromStream(*this);
        return bitmap->FormatKind;
    } catch (const std::exception&) {
        bitmap.reset();
        return 3;
    }
}

uint8_t TGPResource::WriteBitmap(const std::string& section, const std::string& key, const media::TDIB& bitmap) {
    if (!Locate(section, key)) return 0;
    const int64_t offset = Position();
    rtl::MemoryStream picture;
    bitmap.SaveToStream(picture);
    if (picture.Size() > EntryRoom(static_cast<int32_t>(offset))) return 0;
    SetPosition(offset);
    WriteBuffer(picture.Memory(), picture.Size());
    return 1;
}

bool TGPResource::ReadBuffer(const std::string& section, const std::string& key, int64_t size, void* buffer) {
    if (!Locate(section, key)) return false;
    if (size <= 0) return true;
    std::fill_n(static_cast<uint8_t*>(buffer), size, 0);
    return Read(buffer, size) == size;
}

bool TGPResource::Write144(const std::string& section, const std::string& key, const TSaveRecord& record) {
    if (!Locate(section, key)) return false;
    const int64_t offset = Position();
    if (EntryRoom(static_cast<int32_t>(offset)) < static_cast<int64_t>(record.size())) return false;
    SetPosition(offset);
    WriteBuffer(record.data(), static_cast<int64_t>(record.size()));
    return true;
}

uint8_t TGPResource::Read144(const std::string& section, const std::string& key, TSaveRecord& record) {
    record.fill(0);
    if (!Locate(section, key)) return 0;
    if (Read(record.data(), static_cast<int64_t>(record.size())) != static_cast<int64_t>(record.size())) {
        record.fill(0);
        return 0;
    }
    return 1;
}

void TGPResource::LoadAllSections() {
    ForEachSection(directory_, [this](TGPHashCollectionItem& item) { GetSection(item.Name()); });
}

int64_t TGPResource::DirectorySize() const {
    int64_t size = directory_.StreamSize();
    ForEachSection(directory_, [&size](TGPHashCollectionItem& item) {
        if (item.SubDirectory()) size += item.SubDirectory()->StreamSize();
    });
    return size;
}

int64_t TGPResource::EntryRoom(int32_t offset) { return std::min(NextEntryAfter(offset), Size()) - offset; }

int64_t TGPResource::NextEntryAfter(int32_t offset) {
    LoadAllSections();
    if (offset < kHeaderLength + DirectorySize()) return offset;  // an entry inside the directory area
    int64_t end = std::numeric_limits<int64_t>::max();
    ForEachSection(directory_, [&](TGPHashCollectionItem& section) {
        if (section.Offset > offset) end = std::min<int64_t>(end, section.Offset);
        if (const TGPHashCollection* sub = section.SubDirectory())
            for (int i = 0; i < sub->ItemCount(); ++i)
                if (sub->Item(i).Offset > offset) end = std::min<int64_t>(end, sub->Item(i).Offset);
    });
    return end;
}

int64_t TGPResource::EntryRoomAt(int64_t offset) {
    if (offset < 0 || offset > std::numeric_limits<int32_t>::max()) return 0;
    const int64_t position = Position();
    const int64_t room = EntryRoom(static_cast<int32_t>(offset));
    SetPosition(position);
    return room;
}

int64_t TGPResource::EntryWriteRoomAt(int64_t offset) {
    if (offset < 0 || offset > std::numeric_limits<int32_t>::max()) return 0;
    const int64_t position = Position();
    const int64_t next = NextEntryAfter(static_cast<int32_t>(offset));
    SetPosition(position);
    return next == std::numeric_limits<int64_t>::max() ? next : next - offset;
}

void TGPResource::WriteDirectory() {
    // Every sub-directory is rewritten, so each must be in memory first.
    LoadAllSections();
    const int64_t size = DirectorySize();
    int64_t firstData = std::numeric_limits<int64_t>::max();
    ForEachSection(directory_, [&](TGPHashCollectionItem& section) {
        if (const TGPHashCollection* sub = section.SubDirectory())
            for (int i = 0; i < sub->ItemCount(); ++i)
                if (sub->Item(i).Offset > 0) firstData = std::min<int64_t>(firstData, sub->Item(i).Offset);
    });
    if (kHeaderLength + size > firstData || kHeaderLength + size > std::numeric_limits<int32_t>::max())
        throw rtl::EWriteError("The directory does not fit before the entry data");

    int64_t running = kHeaderLength + directory_.StreamSize();
    ForEachSection(directory_, [&](TGPHashCollectionItem& section) {
        section.Offset = static_cast<int32_t>(running);
        if (section.SubDirectory()) running += section.SubDirectory()->StreamSize();
    });
    std::string area;
    area.reserve(static_cast<size_t>(size));
    AppendDirectory(directory_, area);
    ForEachSection(directory_, [&](TGPHashCollectionItem& section) {
        if (section.SubDirectory()) AppendDirectory(*section.SubDirectory(), area);
    });
    SetPosition(kHeaderLength);
    WriteBuffer(area.data(), static_cast<int64_t>(area.size()));
}

void TGPResource::Finish() {
    WriteDirectory();
    const int64_t n = Position() - kHeaderLength;
    std::vector<uint8_t> area(static_cast<size_t>(n));
    SetPosition(kHeaderLength);
    ReadBuffer(area.data(), n);
    const uint16_t checksum = ResourceChecksum(area.data(), area.size());
    std::string header;
    PutInt32(header, kHeaderLength);
    header += std::string("\x03GPR", 4);
    PutInt32(header, static_cast<int32_t>(n));
    PutInt32(header, checksum);
    SetPosition(0);
    WriteBuffer(header.data(), kHeaderLength);
    std::copy(header.begin(), header.end(), header_.begin());
    directorySize_ = static_cast<int32_t>(n);
    Commit();
}

namespace {
// The bytes a reader at the stream's position may take: up to the end of the stream, and in a
// container up to the end of the entry it is in.
int64_t BytesLeft(rtl::Stream& stream) {
    if (auto* container = dynamic_cast<TGPResource*>(&stream))
        return std::min(container->EntryRoomAt(container->Position()), container->Remaining());
    return stream.Remaining();
}
}  // namespace

void ReadStringsText(rtl::Stream& stream, rtl::StringList& strings) {
    const int64_t left = BytesLeft(stream);
    int32_t length = 0;
    if (!ReadInt32(stream, length) || length < 0 || length > left - 4) {
        strings.SetText(std::string());
        return;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0) stream.ReadBuffer(text.data(), length);
    strings.SetText(text);
}

}  // namespace engine
