#include "engine/gpLevel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/gpObject.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace engine {
namespace {

// Smallest sizes of the items a count announces.
constexpr int64_t kNodeBytes = 7 * 4 + 4 + 4;  // seven int32, an empty name, no children
constexpr int64_t kNationBytes = 4 + 4;         // key and an object count of 0
constexpr int64_t kElementBytes = 8;

[[noreturn]] void ReadFailure() { throw rtl::EReadError(rtl::texts::SReadError); }

// An int32 count of items of at least minBytes each: a stream error when it is negative or
// cannot fit in what is left.
int32_t ReadCount(rtl::Stream& stream, int64_t minBytes) {
    const int32_t count = stream.ReadValue<int32_t>();
    if (count < 0 || count > stream.Remaining() / minBytes) ReadFailure();
    return count;
}

[[noreturn]] void ListIndexError(int index) {
    throw rtl::EListError(rtl::Format(rtl::texts::SListIndexError, {index}));
}

// A short string in a field of the header: its length byte, clamped to the field's letters.
std::string ShortString(const std::vector<uint8_t>& raw, size_t at, size_t letters) {
    const size_t length = std::min<size_t>(raw[at], letters);
    return std::string(reinterpret_cast<const char*>(&raw[at + 1]), length);
}

void PutShortString(rtl::Stream& out, int64_t at, const std::string& text, size_t letters) {
    const uint8_t length = static_cast<uint8_t>(std::min(text.size(), letters));
    out.SetPosition(at);
    out.WriteValue(length);
    out.WriteBuffer(text.data(), length);
}

// P1..P16 in file order.
constexpr std::array<int32_t TGPGObj::*, 16> kParams = {
    &TGPGObj::PriceForDeath, &TGPGObj::MinDamage,    &TGPGObj::MaxDamage, &TGPGObj::AddParamInt1,
    &TGPGObj::AddParamInt2,  &TGPGObj::AddParamInt3, &TGPGObj::X,         &TGPGObj::Y,
    &TGPGObj::Active,        &TGPGObj::Chance,       &TGPGObj::FrameRow,  &TGPGObj::DefaultOrder,
    &TGPGObj::EffectCode,    &TGPGObj::P14,          &TGPGObj::SlideValue, &TGPGObj::P16};

}  // namespace

// ---- Header ----

bool TInterfaceHeader::HasMagic() const { return Magic == std::array<uint8_t, 4>{3, 'V', 'Q', 'M'}; }

bool TInterfaceHeader::ReadFromStream(rtl::Stream& stream) {
    rtl::MemoryStream raw{std::vector<uint8_t>(ByteSize)};
    if (stream.Read(raw.Bytes().data(), ByteSize) != ByteSize) return false;
    raw.ReadBuffer(Magic.data(), 4);
    Size = raw.ReadValue<int32_t>();
    Version = raw.ReadValue<int32_t>();
    PackName = ShortString(raw.Bytes(), 12, PackNameLetters);
    Title = ShortString(raw.Bytes(), 72, TitleLetters);
    return true;
}

void TInterfaceHeader::WriteToStream(rtl::Stream& stream) const {
    rtl::MemoryStream raw{std::vector<uint8_t>(ByteSize)};
    raw.WriteBuffer(Magic.data(), 4);
    raw.WriteValue(Size);
    raw.WriteValue(Version);
    PutShortString(raw, 12, PackName, PackNameLetters);
    PutShortString(raw, 72, Title, TitleLetters);
    stream.WriteBuffer(raw.Memory(), ByteSize);
}

TInterfaceHeader LevelSetHeader() {
    TInterfaceHeader header;
    header.Version = LevelSetVersion;
    return header;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string_view("\\/\0", 3)) == std::string_view::npos;
}

// ---- Descriptor, identification, index ----

void THierarchyOfInterface::ReadFromStream(rtl::Stream& stream, int depth) {
    if (depth > MaxHierarchyDepth) ReadFailure();
    for (int32_t& value : Values) value = stream.ReadValue<int32_t>();
    Name = ReadLenString(stream);
    Children.clear();
    Children.resize(static_cast<size_t>(ReadCount(stream, kNodeBytes)));
    for (THierarchyOfInterface& child : Children) child.ReadFromStream(stream, depth + 1);
}

void TRecordInterfaceGame::ReadFromStream(rtl::Stream& stream, int32_t version) {
    Name = ReadLenString(stream);
    ScriptInterface = stream.ReadValue<uint8_t>();
    Reserved1 = stream.ReadValue<uint8_t>();
    MapResetA = stream.ReadValue<int32_t>();
    MapResetB = stream.ReadValue<int32_t>();
    MapWidth = stream.ReadValue<int32_t>();
    MapHeight = stream.ReadValue<int32_t>();
    Reserved2 = stream.ReadValue<int32_t>();
    Hierarchy.clear();
    Hierarchy.resize(static_cast<size_t>(ReadCount(stream, kNodeBytes)));
    for (THierarchyOfInterface& node : Hierarchy) node.ReadFromStream(stream, 1);
    FontList.Clear();
    if (version > 9) ReadStringList(stream, FontList);
}

void TIdentification::ReadFromStream(rtl::Stream& stream) {
    Text1 = ReadLenString(stream);
    Value1 = stream.ReadValue<int32_t>();
    Stamp1 = stream.ReadValue<uint64_t>();
    Text2 = ReadLenString(stream);
    Value2 = stream.ReadValue<int32_t>();
    Stamp2 = stream.ReadValue<uint64_t>();
}

void TTableIndex::ReadFromStream(rtl::Stream& stream, int64_t setSize) {
    entries_.clear();
    const int32_t count = ReadCount(stream, EntryBytes);
    entries_.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        TIndexEntry entry;
        entry.Key = stream.ReadValue<int32_t>();
        entry.IndexByte = stream.ReadValue<uint8_t>();
        uint8_t unused[3];
        stream.ReadBuffer(unused, sizeof unused);
        entry.Position = stream.ReadValue<int32_t>();
        stream.ReadValue<int32_t>();
        if (entry.Position < TInterfaceHeader::ByteSize || entry.Position >= setSize) ReadFailure();
        Add(entry);
    }
}

void TTableIndex::Add(const TIndexEntry& entry) {
    auto same = std::find_if(entries_.begin(), entries_.end(), [&](const TIndexEntry& e) { return e.Key == entry.Key; });
    if (same != entries_.end())
        *same = entry;
    else
        entries_.push_back(entry);
}

const TIndexEntry& TTableIndex::Entry(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return entries_[static_cast<size_t>(index)];
}

// ---- Object records ----

void TGPGObj::AttachObject(TGPObject& object) {
    if (object.LevelRecord == this) return;
    Retain();
    DetachObject(object);
    object.LevelRecord = this;
}

void TGPGObj::DetachObject(TGPObject& object) {
    TGPGObj* record = object.LevelRecord;
    object.LevelRecord = nullptr;
    if (record) record->Release();
}

void TGPGObj::Release() {
    if (--refCount_ <= 0) delete this;
}

int32_t TGPGObj::P(int index) const {
    return index >= 1 && index <= 16 ? this->*kParams[static_cast<size_t>(index - 1)] : 0;
}

int64_t TGPGObj_1::MinimumSize(int32_t version) {
    // Class, four bytes, empty name, MaxSpeed, MaxSpeedUp, weapon (byte, two int32, empty
    // name), slide byte, toughness, rotate byte, sixteen int32.
    int64_t size = 4 + 4 + 4 + 4 + 8 + 1 + 4 + 4 + 4 + 1 + 4 + 1 + 16 * 4;
    if (version >= 3) size += 1;
    if (version >= 9) size += 4;
    return size;
}

void TGPGObj_1::ReadFromStream(rtl::Stream& stream, int32_t version) {
    IDClass = stream.ReadValue<int32_t>();
    Media = stream.ReadValue<uint8_t>();
    CPBMoving = stream.ReadValue<uint8_t>();
    TicksPerRotate = stream.ReadValue<uint8_t>();
    Reserved1 = stream.ReadValue<uint8_t>();
    Name = ReadLenString(stream);
    MaxSpeed = stream.ReadValue<int32_t>();
    MaxSpeedUp = stream.ReadValue<double>();
    ConnectWeapon = stream.ReadValue<uint8_t>();
    CurrentWeapon = stream.ReadValue<int32_t>();
    SizeWeapon = stream.ReadValue<int32_t>();
    IDWeapon = ReadLenString(stream);
    DefaultSlide = stream.ReadValue<uint8_t>();
    Toughness = stream.ReadValue<int32_t>();
    Rotate = stream.ReadValue<uint8_t>();
    for (auto field : kParams) this->*field = stream.ReadValue<int32_t>();
    if (version >= 3) Visible = stream.ReadValue<uint8_t>();
    if (version >= 9) MinSpeed = stream.ReadValue<int32_t>();
}

// ---- Level records ----

void TStructurNation::ReadObjects(rtl::Stream& stream, int32_t version) {
    Clear();
    const int32_t count = ReadCount(stream, TGPGObj_1::MinimumSize(version));
    objects_.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        TGPGObjHandle record(TGPGObj_1::Create());
        record->ReadFromStream(stream, version);
        record->Retain();  // the block's reference; the handle's own is dropped below
        objects_.push_back(record.get());
        record.release();
    }
}

void TStructurNation::Clear() {
    std::vector<TGPGObj_1*> held;
    held.swap(objects_);
    for (TGPGObj_1* record : held) record->Release();
}

TGPGObj_1& TStructurNation::Object(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return *objects_[static_cast<size_t>(index)];
}

void TNationalStructures::ReadFromStream(rtl::Stream& stream, int32_t version) {
    const int32_t count = ReadCount(stream, kNationBytes);
    for (int32_t i = 0; i < count; ++i) FindOrAddNation(stream.ReadValue<int32_t>()).ReadObjects(stream, version);
}

TStructurNation* TNationalStructures::FindNation(int32_t key) const {
    for (const auto& nation : nations_)
        if (nation->NationKey == key) return nation.get();
    return nullptr;
}

TStructurNation& TNationalStructures::FindOrAddNation(int32_t key) {
    if (TStructurNation* found = FindNation(key)) return *found;
    return *nations_.emplace_back(std::make_unique<TStructurNation>(key));
}

TStructurNation& TNationalStructures::Nation(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return *nations_[static_cast<size_t>(index)];
}

double TSpeedEntry::AsDouble() const {
    const uint64_t bits = static_cast<uint32_t>(Lo) | static_cast<uint64_t>(static_cast<uint32_t>(Hi)) << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TSpeedEntry TSpeedEntry::FromDouble(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<int32_t>(static_cast<uint32_t>(bits)), static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))};
}

void TStructureOfLevel::ReadFromStream(rtl::Stream& stream, int32_t version) {
    A = stream.ReadValue<int32_t>();
    for (TSpeedEntry& entry : SpeedEntries) {
        entry.Lo = stream.ReadValue<int32_t>();
        entry.Hi = stream.ReadValue<int32_t>();
    }
    B = stream.ReadValue<int32_t>();
    WanderPercent = stream.ReadValue<int32_t>();
    DropPercent = stream.ReadValue<int32_t>();
    MonsterLimitStep = stream.ReadValue<int32_t>();
    Nations.ReadFromStream(stream, version);
    Title = ReadLenString(stream);
    Text2 = ReadLenString(stream);
    Text3 = ReadLenString(stream);
    Elements.clear();
    Elements.resize(static_cast<size_t>(ReadCount(stream, kElementBytes)));
    for (TElement& element : Elements) {
        element.IDClass = stream.ReadValue<int32_t>();
        element.Value = stream.ReadValue<int32_t>();
    }
}

double TStructureOfLevel::SpeedFactor(int32_t difficulty) const {
    const double value = SpeedEntries[static_cast<size_t>(std::clamp(difficulty, 1, 6) - 1)].AsDouble();
    return std::isfinite(value) && value > 0 ? value : 1.0;
}

const TElement& TStructureOfLevel::GetElement(int index) const {
    if (index < 0 || index >= ElementCount()) ListIndexError(index);
    return Elements[static_cast<size_t>(index)];
}

void TStructureOfLevel_1::ReadFromStream(rtl::Stream& stream, int32_t version) {
    TStructureOfLevel::ReadFromStream(stream, version);
    auto tail = [&](std::optional<int32_t>& field, int32_t from) {
        if (version >= from) field = stream.ReadValue<int32_t>();
        else field.reset();
    };
    tail(BallLimit, 4);
    tail(PlayerStartY, 5);
    tail(AttachmentLimit, 6);
    tail(EffectTicks, 7);
    tail(LevelParameter, 7);
    tail(ChargeMax, 8);
}

// ---- The level set ----

TLevelStream::TLevelStream(const std::string& fileName, TGPResource* resource, TInterfaceHeader& header,
                           uint16_t mode)
    : fileName_(fileName.empty() && resource ? resource->FileName() : fileName), mode_(mode) {
    if (mode == rtl::fmCreate) {
        // Nothing is read, and nothing is made: the caller's header stands for the file.
        header_ = header;
        Version = header.Version;
        return;
    }
    if (resource) {
        entry_ = resource->OpenEntry("Subjects", "Subject");
        stream_ = entry_.get();
        if (!stream_) {
            status_ = -1;
            return;
        }
    } else {
        file_ = std::make_unique<TMissionStream>(fileName, mode);
        stream_ = file_.get();
        ownFile_ = true;
    }
    ReadBody(header);
}

TLevelStream::TLevelStream(const std::string& fileName, rtl::Stream& stream, TInterfaceHeader& header)
    : fileName_(fileName), stream_(&stream) {
    ReadBody(header);
}

TLevelStream::~TLevelStream() = default;

bool TLevelStream::ReadHeader(const TInterfaceHeader& expected, TInterfaceHeader& found) {
    stream_->SetPosition(0);
    return found.ReadFromStream(*stream_) && found.HasMagic() && found.Magic == expected.Magic &&
           found.Version == LevelSetVersion;
}

void TLevelStream::Refuse() {
    status_ = -1;
    file_.reset();
    entry_.reset();
    stream_ = nullptr;
}

void TLevelStream::ReadBody(TInterfaceHeader& header) {
    TInterfaceHeader found;
    if (!ReadHeader(header, found)) {
        Refuse();
        return;
    }
    header = found;
    header_ = found;
    Version = found.Version;
    descriptor_.ReadFromStream(*stream_, Version);
    if (!IsPlainFileName(descriptor_.Name)) throw EFLReadTextures(rtl::Format(texts::SFLReadHeader, {fileName_}));
    TIdentification().ReadFromStream(*stream_);
    index_.ReadFromStream(*stream_, stream_->Size());
}

void TLevelStream::CloseFile() {
    if (!ownFile_ || !file_) return;
    file_.reset();
    stream_ = nullptr;
}

void TLevelStream::Reopen() {
    file_ = std::make_unique<TMissionStream>(fileName_, mode_);
    stream_ = file_.get();
    TInterfaceHeader found;
    if (!ReadHeader(header_, found) || found.Version != Version) {
        Refuse();
        throw EFLReadHeder(rtl::Format(texts::SFLReadHeader, {fileName_}));
    }
}

std::unique_ptr<TStructureOfLevel_1> TLevelStream::LoadLevel(int index) {
    if (status_ != 0) throw EFLReadHeder(rtl::Format(texts::SFLReadHeader, {fileName_}));
    const TIndexEntry& entry = index_.Entry(index);
    if (!stream_ && ownFile_) Reopen();
    if (!stream_) throw EFLReadHeder(rtl::Format(texts::SFLReadHeader, {fileName_}));
    stream_->SetPosition(entry.Position);
    auto level = std::make_unique<TStructureOfLevel_1>();
    level->ReadFromStream(*stream_, Version);
    level->IndexByte = entry.IndexByte;
    return level;
}

}  // namespace engine
