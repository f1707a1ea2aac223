// A list of game objects that refers without owning: a nation's objects, a cell's
// objects, the neighbours a map query answers.
#pragma once

#include "rtl/Lists.h"

namespace engine {

class TGPObject;

class TListGPObject : public rtl::List<TGPObject*> {
public:
    // Sends every object out of play: its child sprites and its weapon to their pools, its
    // orders dropped, the object to the object pool (through its kernel, which reports it).
    // Each object leaves this list first, so the walk ends whichever list this is.
    void KillAll();
};

}  // namespace engine
