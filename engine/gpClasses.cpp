#include "engine/gpClasses.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "rtl/ComponentStream.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"

namespace engine {

// ---- Name tables ----

namespace {

constexpr std::array<int, NameTableCount> kSlots = {166, 17, 20, 35, 120};
constexpr int32_t kTableEnd = 7777;
constexpr uint8_t kSignature[5] = {'G', 'P', '_', 'R', 0};
constexpr double kVersion = 1.1;

using Tables = std::array<std::vector<std::string>, NameTableCount>;

Tables& NameTables() {
    static Tables tables = [] {
        Tables t;
        for (int i = 0; i < NameTableCount; ++i) t[i].resize(static_cast<size_t>(kSlots[i]));
        return t;
    }();
    return tables;
}

const std::string& Empty() {
    static const std::string empty;
    return empty;
}

// One table: names into slots 1.. until the end mark.
void ReadTable(rtl::Stream& stream, int slots, std::vector<std::string>* into) {
    int slot = 0;
    for (;;) {
        const int32_t length = stream.ReadValue<int32_t>();
        if (length == kTableEnd) return;
        if (length <= 0) continue;
        if (length > stream.Remaining()) throw rtl::EReadError(rtl::texts::SReadError);
        std::string name(static_cast<size_t>(length), '\0');
        stream.ReadBuffer(name.data(), length);
        if (slot >= slots) throw rtl::ERangeError(rtl::texts::SRangeError);
        if (into) (*into)[static_cast<size_t>(slot)] = std::move(name);
        ++slot;
    }
}

int32_t ReadNameTables(rtl::Stream& stream, int32_t flags) {
    uint8_t signature[sizeof kSignature] = {};
    if (stream.Read(signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof kSignature) != 0) {
        return -2;
    }
    double version = 0;
    if (stream.Remaining() < 8) return -1;
    version = stream.ReadValue<double>();
    if (version != kVersion) return -1;

    // Read into fresh tables, so a failure part-way leaves the stored ones untouched and a
    // shorter table leaves no stale names behind.
    Tables fresh;
    for (int t = 0; t < NameTableCount; ++t) {
        const bool stored = t != static_cast<int>(TNameTable::Unit) || (flags & pfUnitNames) != 0;
        if (stored) fresh[t].resize(static_cast<size_t>(kSlots[t]));
        ReadTable(stream, kSlots[t], stored ? &fresh[t] : nullptr);
    }
    Tables& tables = NameTables();
    for (int t = 0; t < NameTableCount; ++t)
        if (!fresh[t].empty()) tables[t] = std::move(fresh[t]);
    return 0;
}

}  // namespace

int NameTableSlots(TNameTable table) { return kSlots[static_cast<size_t>(table)]; }

const std::string& NameOf(TNameTable table, int32_t index) {
    const auto& names = NameTables()[static_cast<size_t>(table)];
    if (index < 1 || index > static_cast<int32_t>(names.size())) return Empty();
    return names[static_cast<size_t>(index - 1)];
}

void ClearNameTables() {
    for (auto& table : NameTables()) std::fill(table.begin(), table.end(), std::string());
}

int32_t LoadPixSetGP(const std::string& fileName, int32_t flags, rtl::Stream* container) {
    if (container) return ReadNameTables(*container, flags);
    rtl::FileStream file(RealPath(fileName), rtl::fmOpenRead);
    return ReadNameTables(file, flags);
}

// ---- Entries and loose files ----

bool ReadEntryBytes(TGPResource& container, const std::string& section, const std::string& key,
                    std::vector<uint8_t>& bytes) {
    bytes.clear();
    TGPHashCollection* entries = container.GetSection(section);
    if (!entries) return false;
    const TGPHashCollectionItem* item = entries->Find(key);
    if (!item || item->Offset < 0) return false;
    const int64_t start = item->Offset;

    // The entry ends where the nearest thing stored after it begins: another entry, a
    // sub-directory, or the end of the file.
    int64_t end = container.Size();
    TGPHashCollection& top = container.Directory();
    for (int s = 0; s < top.ItemCount(); ++s) {
        const TGPHashCollectionItem& sectionItem = top.Item(s);
        if (sectionItem.Offset > start) end = std::min<int64_t>(end, sectionItem.Offset);
        const TGPHashCollection* sub = container.GetSection(sectionItem.Name());
        if (!sub) continue;
        for (int e = 0; e < sub->ItemCount(); ++e) {
            const int32_t offset = sub->Item(e).Offset;
            if (offset > start) end = std::min<int64_t>(end, offset);
        }
    }
    if (end <= start) return true;  // an empty entry at the end of the data
    rtl::SubStream window(container, start, end - start);
    bytes.resize(static_cast<size_t>(end - start));
    bytes.resize(static_cast<size_t>(window.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    container.SetPosition(start);
    return true;
}

std::vector<uint8_t> ReadLooseFile(const std::string& dataPath) {
    rtl::FileStream file(RealPath(dataPath), rtl::fmOpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

// ---- Loaders ----

namespace {

// The bytes of a description: from the container's section when there is a container
// (absent: false), else from the loose file (missing: EFOpenError).
bool DescriptionBytes(TGPResource* container, const char* section, const std::string& name,
                      const char* extension, std::vector<uint8_t>& bytes) {
    if (name.empty()) return false;
    if (container) return ReadEntryBytes(*container, section, name, bytes);
    bytes = ReadLooseFile(ResourceFolders().Resource + name + extension);
    return true;
}

bool InRange(int32_t id, TNameTable table) { return id >= 1 && id <= NameTableSlots(table); }

bool LoadSlides(TGPResource* container, const char* section, const std::string& name,
                const char* extension, int count, TListOneSlide& slides) {
    std::vector<uint8_t> bytes;
    if (!DescriptionBytes(container, section, name, extension, bytes)) return false;
    rtl::ComponentReader reader(bytes);
    for (int i = 0; i < count; ++i) {
        auto slide = std::make_unique<TOneSlide>();
        reader.ReadComponent(*slide);
        slides.Add(std::move(slide));
    }
    return true;
}

template <class T>
std::unique_ptr<T> LoadOne(TGPResource* container, const char* section, const std::string& name,
                           const char* extension) {
    std::vector<uint8_t> bytes;
    if (!DescriptionBytes(container, section, name, extension, bytes)) return nullptr;
    auto description = std::make_unique<T>();
    rtl::ComponentReader reader(bytes);
    reader.ReadComponent(*description);
    return description;
}

}  // namespace

bool LoadUnitSlides(const TKernelResources& kernel, int32_t classId, TListOneSlide& slides) {
    if (!InRange(classId, TNameTable::Unit)) return false;
    return LoadSlides(kernel.Resource, "Classes_Unit", UnitClassName(classId), ".ss", 7, slides);
}

bool LoadElementSlides(const TKernelResources& kernel, int32_t id, TListOneSlide& slides) {
    if (!InRange(id, TNameTable::MapElement)) return false;
    return LoadSlides(kernel.Resource, "Classes_MapElement", MapElementName(id), ".se", 1, slides);
}

std::unique_ptr<TOneCursor> LoadCursorClass(const TKernelResources& kernel, int32_t id) {
    if (!InRange(id, TNameTable::Cursor)) return nullptr;
    return LoadOne<TOneCursor>(kernel.InterfaceResource, "Cursors", CursorName(id), ".cr");
}

std::unique_ptr<TOneEffects> LoadEffectClass(const TKernelResources& kernel, int32_t id) {
    if (!InRange(id, TNameTable::Effect)) return nullptr;
    return LoadOne<TOneEffects>(kernel.Resource, "Classes_Effects", EffectName(id), ".ef");
}

std::unique_ptr<TOneInterface> LoadInterfaceClass(const TKernelResources& kernel, int32_t id) {
    if (!InRange(id, TNameTable::Interface)) return nullptr;
    return LoadOne<TOneInterface>(kernel.Resource, "Classes_Interface", InterfaceName(id), ".si");
}

// ---- Registers ----

std::unique_ptr<TStructureSlide> TListAnimateObject::Load(const TKernelResources& kernel, int32_t classId) {
    auto animation = std::make_unique<TStructureSlide>();
    animation->IDClass = classId;
    if (!LoadUnitSlides(kernel, classId, animation->Slides)) return nullptr;
    animation->Loaded = true;
    return animation;
}

std::unique_ptr<TElementSlide> TListAnimateElement::Load(const TKernelResources& kernel, int32_t id) {
    auto element = std::make_unique<TElementSlide>();
    element->IDClass = id;
    if (!LoadElementSlides(kernel, id, element->Slides)) return nullptr;
    element->Loaded = true;
    return element;
}

TListAnimateObject& ListAnimateObject() {
    static TListAnimateObject list;
    return list;
}
TListAnimateElement& ListAnimateElement() {
    static TListAnimateElement list;
    return list;
}
TListAnimateCursor& ListAnimateCursor() {
    static TListAnimateCursor list;
    return list;
}
TListAnimateEffects& ListAnimateEffects() {
    static TListAnimateEffects list;
    return list;
}
TListAnimateInterface& ListAnimateInterface() {
    static TListAnimateInterface list;
    return list;
}

void ClearAnimationRegistries() {
    ListAnimateObject().Clear();
    ListAnimateEffects().Clear();
    ListAnimateInterface().Clear();
    ListAnimateElement().Clear();
}

}  // namespace engine
