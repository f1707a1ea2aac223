// Level sets (".ig") and the 136-byte header they share with the interface description.
//
// Header, read and written field by field:
//    0  short string: length byte 3, then "VQM"
//    4  int32 136
//    8  int32 version: 1 interface description, 11 level set
//   12  short string of up to 59 letters: a level set's pack name (its preview entry)
//   72  short string of up to 63 letters: a level set's title; an interface file's name table
//
// A level set continues with the descriptor (TRecordInterfaceGame), the identification
// (TIdentification, read and dropped), the index (TTableIndex) and the level records
// (TStructureOfLevel_1) at the positions the index gives. Positions count from the header's
// first byte, so a loose file and the entry "Subjects"/"Subject" of a container hold the same
// bytes. Strings are an int32 length and that many bytes. Every count from the file is checked
// against the bytes left before anything is reserved: a negative count, or one whose smallest
// items cannot fit, is a stream error (EReadError).
//
// The record readers take the version as a parameter: the header admits version 11 only, but
// the records branch on every version from 2 on.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gpErrors.h"
#include "rtl/StringList.h"

namespace rtl {
class Object;
class Stream;
class SubStream;
}  // namespace rtl

namespace engine {

class TGPObject;
class TGPResource;
class TMissionStream;

inline constexpr int32_t InterfaceFileVersion = 1;
inline constexpr int32_t LevelSetVersion = 11;
// The shell's values for tail fields a level record of an older version lacks.
inline constexpr int32_t DefaultPlayerStartY = 490;
inline constexpr int32_t DefaultEffectTicks = 300;
// Nesting of interface hierarchy nodes a level set may hold.
inline constexpr int MaxHierarchyDepth = 64;

// ---- The header ----

struct TInterfaceHeader {
    static constexpr int64_t ByteSize = 136;
    static constexpr size_t PackNameLetters = 59;
    static constexpr size_t TitleLetters = 63;

    std::array<uint8_t, 4> Magic{3, 'V', 'Q', 'M'};
    int32_t Size = 136;  // not checked
    int32_t Version = 0;
    std::string PackName;  // offset 12
    std::string Title;     // offset 72

    // An interface file keeps the name of its name-table file where a level set has its title.
    const std::string& NameTableFile() const { return Title; }
    // Length byte 3 followed by "VQM".
    bool HasMagic() const;

    // Reads 136 bytes; false (the header unchanged) when fewer are there. The short strings
    // are clamped to their fields whatever their length bytes say.
    bool ReadFromStream(rtl::Stream& stream);
    // 136 bytes; strings longer than their fields are cut.
    void WriteToStream(rtl::Stream& stream) const;
};

// The header a caller expects of a level set: the magic and version 11.
TInterfaceHeader LevelSetHeader();

// A name the readers may join with the resource folder: not empty, no folder separator, not
// "." or "..", no zero byte.
bool IsPlainFileName(std::string_view name);

// ---- Descriptor, identification, index ----

struct THierarchyOfInterface {
    std::array<int32_t, 7> Values{};  // the first is the number of the node's HUD panel
    std::string Name;
    std::vector<THierarchyOfInterface> Children;

    int32_t PanelNumber() const { return Values[0]; }
    // depth counts this node (1 for a top node); beyond MaxHierarchyDepth a stream error.
    void ReadFromStream(rtl::Stream& stream, int depth);
};

class TRecordInterfaceGame {
public:
    // The font list only when version > 9.
    void ReadFromStream(rtl::Stream& stream, int32_t version);

    std::string Name;             // the name-table file of a loose level set
    uint8_t ScriptInterface = 0;  // non-zero: HUD panels from "Strings"/"Script_Interface"
    uint8_t Reserved1 = 0;
    int32_t MapResetA = 0;  // the two values handed to the map reset
    int32_t MapResetB = 0;
    int32_t MapWidth = 0;  // playfield in pixels: MapWidth div 64 columns
    int32_t MapHeight = 0;
    int32_t Reserved2 = 0;
    std::vector<THierarchyOfInterface> Hierarchy;
    rtl::StringList FontList;  // taken over by the kernel with the stream

    int32_t MapColumns() const { return MapWidth / 64; }
    int32_t MapRows() const { return MapHeight / 64; }
};

struct TIdentification {
    std::string Text1;
    int32_t Value1 = 0;
    uint64_t Stamp1 = 0;
    std::string Text2;
    int32_t Value2 = 0;
    uint64_t Stamp2 = 0;

    void ReadFromStream(rtl::Stream& stream);
};

struct TIndexEntry {
    int32_t Key = 0;
    uint8_t IndexByte = 0;  // handed to the level record
    int32_t Position = 0;   // of the level record, from the header's first byte
};

class TTableIndex {
public:
    static constexpr int64_t EntryBytes = 16;

    // int32 count, then 16-byte entries. A position outside [136, setSize) is a stream error.
    void ReadFromStream(rtl::Stream& stream, int64_t setSize);
    // An entry whose key is already there replaces that entry in place.
    void Add(const TIndexEntry& entry);
    int Count() const { return static_cast<int>(entries_.size()); }
    // "List index out of bounds (%d)" outside.
    const TIndexEntry& Entry(int index) const;

private:
    std::vector<TIndexEntry> entries_;
};

// ---- Object records ----

// The values of one object of a level. Records are shared: the nation block that read it and
// every game object made from it hold a reference; the last Release frees it.
class TGPGObj {
public:
    TGPGObj(const TGPGObj&) = delete;
    TGPGObj& operator=(const TGPGObj&) = delete;

    // Makes the object point to this record and counts its reference. An object already
    // pointing here adds nothing; one pointing to another record releases that one.
    void AttachObject(TGPObject& object);
    // Drops the object's reference to its record, if it has one.
    static void DetachObject(TGPObject& object);
    // Counts a reference of the holder (a nation block).
    void Retain() { ++refCount_; }
    // Drops a reference; the record is freed when the count falls to 0 or below.
    void Release();
    int32_t RefCount() const { return refCount_; }

    // P1..P16 in file order, 1-based; 0 outside.
    int32_t P(int index) const;

    // Applies the record to a game object (anything else raises EConvertError): its class
    // description takes the record's values, then hit points, speeds, acceleration, kind bits
    // P5, frame row P11, default order P12, slide value P15 and visibility. Every value is
    // converted and checked before the object changes: a speed beyond 16.16, a NaN
    // acceleration or a weapon list that is no list of numbers changes nothing. Any failure
    // raises EDebug "Error calling SendObject for the class %D.".
    void SendObject(rtl::Object& object) const;

    int32_t IDClass = 0;
    uint8_t Media = 0, CPBMoving = 0, TicksPerRotate = 0, Reserved1 = 0;
    std::string Name;
    int32_t MaxSpeed = 0;
    double MaxSpeedUp = 0;  // also the acceleration
    uint8_t ConnectWeapon = 0;
    int32_t CurrentWeapon = 0, SizeWeapon = 0;
    std::string IDWeapon;
    uint8_t DefaultSlide = 0;
    int32_t Toughness = 0;
    uint8_t Rotate = 0;
    // P1..P6: unit data; P5 is also the kind-flag bits.
    int32_t PriceForDeath = 0, MinDamage = 0, MaxDamage = 0;
    int32_t AddParamInt1 = 0, AddParamInt2 = 0, AddParamInt3 = 0;
    int32_t X = 0, Y = 0;          // P7, P8: position in pixels
    int32_t Active = 0;            // P9: non-zero = active
    int32_t Chance = 0;            // P10: share in the drop and monster tables
    int32_t FrameRow = 0;          // P11
    int32_t DefaultOrder = 0;      // P12: default order kind, 0 = none
    int32_t EffectCode = 0;        // P13
    int32_t P14 = 0;               // unused
    int32_t SlideValue = 0;        // P15: the current slide's extra value
    int32_t P16 = 0;               // unused
    uint8_t Visible = 1;           // version 3 on
    int32_t MinSpeed = 0;          // version 9 on; also the initial speed

protected:
    TGPGObj() = default;
    virtual ~TGPGObj() = default;

private:
    int32_t refCount_ = 0;
};

// An object record as a file of some version holds it.
class TGPGObj_1 final : public TGPGObj {
public:
    // A new record with no reference counted yet.
    static TGPGObj_1* Create() { return new TGPGObj_1(); }
    // The fewest bytes a record of the version takes.
    static int64_t MinimumSize(int32_t version);

    // Visible from version 3, MinSpeed from version 9; older records keep the defaults.
    void ReadFromStream(rtl::Stream& stream, int32_t version);

private:
    TGPGObj_1() = default;
    ~TGPGObj_1() override = default;  // freed by Release only
};

// A counted reference held for a scope; releases on destruction.
struct TGPGObjDeleter {
    void operator()(TGPGObj* record) const { record->Release(); }
};
using TGPGObjHandle = std::unique_ptr<TGPGObj_1, TGPGObjDeleter>;

// ---- Level records ----

class TStructurNation {
public:
    explicit TStructurNation(int32_t key) : NationKey(key) {}
    ~TStructurNation() { Clear(); }
    TStructurNation(const TStructurNation&) = delete;
    TStructurNation& operator=(const TStructurNation&) = delete;

    // int32 count, then the records; the block is cleared first.
    void ReadObjects(rtl::Stream& stream, int32_t version);
    // Releases the block's references.
    void Clear();
    int Count() const { return static_cast<int>(objects_.size()); }
    // "List index out of bounds (%d)" outside.
    TGPGObj_1& Object(int index) const;

    int32_t NationKey;

private:
    std::vector<TGPGObj_1*> objects_;  // one reference each
};

class TNationalStructures {
public:
    // int32 count, then per nation its key and its object records.
    void ReadFromStream(rtl::Stream& stream, int32_t version);
    TStructurNation& FindOrAddNation(int32_t key);
    TStructurNation* FindNation(int32_t key) const;
    int Count() const { return static_cast<int>(nations_.size()); }
    TStructurNation& Nation(int index) const;

private:
    std::vector<std::unique_ptr<TStructurNation>> nations_;
};

struct TElement {
    int32_t IDClass = 0;  // of the first element: the map's background cell
    int32_t Value = 0;
};

// One 8-byte speed entry as two int32; the engine reads the bytes as a double.
struct TSpeedEntry {
    int32_t Lo = 0, Hi = 0;
    double AsDouble() const;
    static TSpeedEntry FromDouble(double value);
};

class TStructureOfLevel {
public:
    virtual ~TStructureOfLevel() = default;
    virtual void ReadFromStream(rtl::Stream& stream, int32_t version);

    // The entry for a difficulty clamped to 1..6; 1.0 when the file's value is not finite or
    // not positive, since it scales every acceleration.
    double SpeedFactor(int32_t difficulty) const;
    TSpeedEntry SpeedEntry(int32_t difficulty) const { return TSpeedEntry::FromDouble(SpeedFactor(difficulty)); }
    // "List index out of bounds (%d)" outside.
    const TElement& GetElement(int index) const;
    int ElementCount() const { return static_cast<int>(Elements.size()); }

    int32_t A = 0;
    std::array<TSpeedEntry, 6> SpeedEntries{};  // by difficulty, the first for 1
    int32_t B = 0;                 // unused
    int32_t WanderPercent = 0;     // C
    int32_t DropPercent = 0;       // D
    int32_t MonsterLimitStep = 0;  // E: monster limit per difficulty step
    TNationalStructures Nations;
    std::string Title, Text2, Text3;
    std::vector<TElement> Elements;
};

class TStructureOfLevel_1 final : public TStructureOfLevel {
public:
    // The tail values the version holds; the others stay empty (the file did not hold them).
    void ReadFromStream(rtl::Stream& stream, int32_t version) override;

    std::optional<int32_t> BallLimit;        // version >= 4
    std::optional<int32_t> PlayerStartY;     // >= 5, the floor line
    std::optional<int32_t> AttachmentLimit;  // >= 6
    std::optional<int32_t> EffectTicks;      // >= 7
    std::optional<int32_t> LevelParameter;   // >= 7
    std::optional<int32_t> ChargeMax;        // >= 8, the weapon charge maximum
    uint8_t IndexByte = 0;                   // of the index entry the level came by
};

// ---- The level set ----

class TLevelStream {
public:
    // Reads the level set from the file FileName opened with Mode or, when Resource is given
    // (not owned; it must outlive the stream), from its entry "Subjects"/"Subject". The file's
    // header is accepted when its magic equals Header's, both are length byte 3 and "VQM",
    // and its version is 11; it is then copied to Header. Otherwise, and when the file is
    // shorter than a header or the entry is absent, Status is -1 and the file is let go.
    // Mode fmCreate opens nothing: Header becomes the stream's header and the file is left
    // as it is. A descriptor without a plain name raises EFLReadTextures; damaged blocks raise
    // stream errors.
    TLevelStream(const std::string& fileName, TGPResource* resource, TInterfaceHeader& header, uint16_t mode);
    // The same over any stream holding a level set from its first header byte (not owned).
    TLevelStream(const std::string& fileName, rtl::Stream& stream, TInterfaceHeader& header);
    ~TLevelStream();
    TLevelStream(const TLevelStream&) = delete;
    TLevelStream& operator=(const TLevelStream&) = delete;

    // 0 read; -1 header refused.
    int32_t Status() const { return status_; }
    const std::string& FileName() const { return fileName_; }
    const TInterfaceHeader& Header() const { return header_; }
    TRecordInterfaceGame& Descriptor() { return descriptor_; }
    const TTableIndex& Index() const { return index_; }

    int GetLevelCount() const { return index_.Count(); }
    // A new level record (the caller owns it) carrying its entry's index byte. A refused
    // header raises EFLReadHeder; an index outside the table "List index out of bounds (%d)".
    // A closed file is opened again and its header checked again (EFLReadHeder).
    std::unique_ptr<TStructureOfLevel_1> LoadLevel(int index);
    // Lets go of an own file so that it is not held open; a container or a caller's stream
    // is kept.
    void CloseFile();
    bool FileOpen() const { return stream_ != nullptr; }

    int32_t Version = 0;

private:
    // Reads and checks the header; false when refused.
    bool ReadHeader(const TInterfaceHeader& expected, TInterfaceHeader& found);
    void ReadBody(TInterfaceHeader& header);
    void Refuse();
    void Reopen();

    std::string fileName_;
    uint16_t mode_ = 0;
    bool ownFile_ = false;  // read from a file of its own, reopened after CloseFile
    int32_t status_ = 0;
    rtl::Stream* stream_ = nullptr;  // file_, entry_ or the caller's stream
    std::unique_ptr<TMissionStream> file_;
    std::unique_ptr<rtl::SubStream> entry_;
    TInterfaceHeader header_;
    TRecordInterfaceGame descriptor_;
    TTableIndex index_;
};

}  // namespace engine
