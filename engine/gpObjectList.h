// A list of game objects that refers without owning: a nation's objects, a cell's
// objects, the neighbours a map query answers.
#pragma once

#include "rtl/Lists.h"

#include <cstdint>
#include <vector>

namespace engine {

class TGPObject;
class TGPStructure;

class TListGPObject : public rtl::List<TGPObject*> {
public:
    // Sends every object out of play: its child sprites and its weapon to their pools, its
    // orders dropped, the object to the object pool (through its kernel, which reports it).
    // Each object leaves this list first, so the walk ends whichever list this is.
    void KillAll();
};

// The game objects of a list as they were when it was taken, each by handle and generation:
// one that went back to its pool since reads as nil. A walk whose steps may kill, spawn or
// pool objects, or run scripts that do, walks one. Snapshots nest (a walk inside a walk,
// the same routine entered again, each gets its own) and keep their storage between walks,
// so a steady tick allocates nothing. Locals only: they end in the order they began.
class TObjectSnapshot {
public:
    TObjectSnapshot();
    // Every game object of the list; other structures are passed over.
    template <class List> explicit TObjectSnapshot(const List& list) : TObjectSnapshot() {
        for (auto* item : list) Add(item);
    }
    ~TObjectSnapshot();
    TObjectSnapshot(const TObjectSnapshot&) = delete;
    TObjectSnapshot& operator=(const TObjectSnapshot&) = delete;

    void Add(TGPObject* object);
    void Add(TGPStructure* structure);
    int Count() const { return static_cast<int>(items_.size()); }
    // The object at index while it has not gone back to its pool since; else nil.
    TGPObject* Get(int index) const;

    struct Entry {
        uint32_t Handle;
        uint16_t Generation;
    };

private:
    std::vector<Entry>& items_;
};

}  // namespace engine
