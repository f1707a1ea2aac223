// Snapshots of object lists.
#include "engine/gpObjectList.h"

#include "engine/gpObject.h"

#include <deque>

namespace engine {

namespace {
// The snapshots' storage by nesting depth; a deque keeps the outer levels in place while an
// inner one is added.
struct SnapshotLevels {
    std::deque<std::vector<TObjectSnapshot::Entry>> levels;
    size_t depth = 0;
};
SnapshotLevels& Snapshots() {
    static SnapshotLevels s;
    return s;
}
std::vector<TObjectSnapshot::Entry>& ClaimLevel() {
    SnapshotLevels& s = Snapshots();
    if (s.depth == s.levels.size()) s.levels.emplace_back();
    std::vector<TObjectSnapshot::Entry>& level = s.levels[s.depth++];
    level.clear();
    return level;
}
}  // namespace

TObjectSnapshot::TObjectSnapshot() : items_(ClaimLevel()) {}

TObjectSnapshot::~TObjectSnapshot() { --Snapshots().depth; }

void TObjectSnapshot::Add(TGPObject* object) {
    if (object) items_.push_back({object->Handle(), object->Generation()});
}

void TObjectSnapshot::Add(TGPStructure* structure) { Add(dynamic_cast<TGPObject*>(structure)); }

TGPObject* TObjectSnapshot::Get(int index) const {
    const Entry& e = items_.at(static_cast<size_t>(index));
    return static_cast<TGPObject*>(TGPStructure::FromHandle(e.Handle, e.Generation));
}

}  // namespace engine
