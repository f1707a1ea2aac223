// Name tables, the loaders of the description components and the registers that load each
// description once, on first use.
//
// Name tables ("GP_R"): the engine names its classes by number; a table gives each number
// its name, the key under which its description and pictures are stored.
//   5 bytes "GP_R" and a zero, an 8-byte double version (1.1), then five tables, each a run
//   of {int32 L; L bytes of name when L > 0} ended by L = 7777. An entry with L <= 0 takes no
//   slot. A name beyond a table's last slot raises ERangeError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gpAnimation.h"
#include "rtl/Lists.h"

namespace rtl { class Stream; }

namespace engine {

class TGPResource;

// ---- Name tables (1-based) ----

enum class TNameTable { Unit = 0, MapElement = 1, Cursor = 2, Effect = 3, Interface = 4 };
inline constexpr int NameTableCount = 5;
// Slots of each table: 166 unit classes, 17 map elements, 20 cursors, 35 effects, 120
// interface descriptions.
int NameTableSlots(TNameTable table);

// The name in a slot; "" for an empty slot or one outside the table.
const std::string& NameOf(TNameTable table, int32_t index);
inline const std::string& UnitClassName(int32_t id) { return NameOf(TNameTable::Unit, id); }
inline const std::string& MapElementName(int32_t id) { return NameOf(TNameTable::MapElement, id); }
inline const std::string& CursorName(int32_t id) { return NameOf(TNameTable::Cursor, id); }
inline const std::string& EffectName(int32_t id) { return NameOf(TNameTable::Effect, id); }
inline const std::string& InterfaceName(int32_t id) { return NameOf(TNameTable::Interface, id); }
void ClearNameTables();

// Load flag: store the unit class names (otherwise they are read and dropped).
inline constexpr int32_t pfUnitNames = 2;

// Reads the name tables from container at its position or, when container is nil, from the
// file. 0 read; -1 wrong version; -2 wrong signature (the tables stay as they were). A read
// that fails part-way (a name beyond a table, a truncated stream) raises and also leaves the
// tables as they were; a successful read replaces each stored table whole.
int32_t LoadPixSetGP(const std::string& fileName, int32_t flags, rtl::Stream* container);

// ---- Where the descriptions come from ----

// The kernel's two containers: the level set (Resource: unit classes, map elements,
// effects, interface) and the game data (InterfaceResource: cursors). Without a level set
// the loaders read loose files from the resource folder.
struct TKernelResources {
    TGPResource* Resource = nullptr;
    TGPResource* InterfaceResource = nullptr;
};

// The bytes of one container entry: from its offset up to the next entry or sub-directory
// of the container, or the end of the file. Empty (and false) when absent.
bool ReadEntryBytes(TGPResource& container, const std::string& section, const std::string& key,
                    std::vector<uint8_t>& bytes);
// The whole of a loose file; a missing file raises EFOpenError naming it.
std::vector<uint8_t> ReadLooseFile(const std::string& dataPath);

// ---- Loaders ----

// Seven slides of a unit class 1..166 ("Classes_Unit" or name + ".ss"); false when the id is
// outside, its name is empty or the entry is absent. A missing loose file raises EFOpenError,
// a malformed record EReadError.
bool LoadUnitSlides(const TKernelResources& kernel, int32_t classId, TListOneSlide& slides);
// One slide of a map element 1..17 ("Classes_MapElement" or ".se").
bool LoadElementSlides(const TKernelResources& kernel, int32_t id, TListOneSlide& slides);
// A cursor 1..20 from the game data ("Cursors" or ".cr").
std::unique_ptr<TOneCursor> LoadCursorClass(const TKernelResources& kernel, int32_t id);
// An effect 1..35 ("Classes_Effects" or ".ef").
std::unique_ptr<TOneEffects> LoadEffectClass(const TKernelResources& kernel, int32_t id);
// An interface description 1..120 ("Classes_Interface" or ".si").
std::unique_ptr<TOneInterface> LoadInterfaceClass(const TKernelResources& kernel, int32_t id);

// ---- Registers ----

// A register owns its entries, each kept under the identifier it was asked for (not the
// IDName its record carries, which may differ). A failed load adds nothing, so the next
// request tries again.
template <class T> class TAnimateRegister {
public:
    virtual ~TAnimateRegister() = default;

    int Count() const { return entries_.Count(); }
    T* Get(int index) const { return entries_[index].Item.get(); }  // EListError outside
    int32_t KeyOf(int index) const { return entries_[index].Key; }
    T* Find(int32_t id) const {
        for (int i = 0; i < entries_.Count(); ++i)
            if (entries_[i].Key == id) return entries_[i].Item.get();
        return nullptr;
    }
    T* FindOrLoad(const TKernelResources& kernel, int32_t id) {
        if (T* found = Find(id)) return found;
        std::unique_ptr<T> loaded = Load(kernel, id);
        if (!loaded) return nullptr;
        T* item = loaded.get();
        entries_.Add({id, std::move(loaded)});
        return item;
    }
    void Clear() { entries_.Clear(); }

protected:
    virtual std::unique_ptr<T> Load(const TKernelResources& kernel, int32_t id) = 0;

private:
    struct Entry {
        int32_t Key;
        std::unique_ptr<T> Item;
        bool operator==(const Entry& other) const { return Item == other.Item; }
    };
    rtl::List<Entry> entries_;
};

class TListAnimateObject : public TAnimateRegister<TStructureSlide> {
protected:
    std::unique_ptr<TStructureSlide> Load(const TKernelResources& kernel, int32_t classId) override;
};
class TListAnimateElement : public TAnimateRegister<TElementSlide> {
protected:
    std::unique_ptr<TElementSlide> Load(const TKernelResources& kernel, int32_t id) override;
};
class TListAnimateCursor : public TAnimateRegister<TOneCursor> {
protected:
    std::unique_ptr<TOneCursor> Load(const TKernelResources& kernel, int32_t id) override {
        return LoadCursorClass(kernel, id);
    }
};
class TListAnimateEffects : public TAnimateRegister<TOneEffects> {
protected:
    std::unique_ptr<TOneEffects> Load(const TKernelResources& kernel, int32_t id) override {
        return LoadEffectClass(kernel, id);
    }
};
class TListAnimateInterface : public TAnimateRegister<TOneInterface> {
protected:
    std::unique_ptr<TOneInterface> Load(const TKernelResources& kernel, int32_t id) override {
        return LoadInterfaceClass(kernel, id);
    }
};

// The program-wide registers.
TListAnimateObject& ListAnimateObject();
TListAnimateElement& ListAnimateElement();
TListAnimateCursor& ListAnimateCursor();
TListAnimateEffects& ListAnimateEffects();
TListAnimateInterface& ListAnimateInterface();

// Frees the unit-class, effect, interface and map-element descriptions; cursors are kept.
void ClearAnimationRegistries();

}  // namespace engine
