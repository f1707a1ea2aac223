// The map as the kernel sees it: drawn under the nations, moved for its vibration,
// scrolled by the command line, and the spatial index of the objects in its cells.
#pragma once

#include "engine/gpStructure.h"

namespace engine {

class TGPObject;

class TGPMap : public TGPStructure {
    RTL_CLASS(TGPMap, TGPStructure)
public:
    ~TGPMap() override;
    void Create(TObject* kernel, int32_t id) override;
    // The effects on the map draw over it, outside the interface conditions.
    void Draw() override;

    virtual void AddObjectToCells(rtl::List<TGPObject*>* list, TGPObject* obj);
    virtual void RemoveObjectFromCells(TGPObject* obj);
    // Scrolls the view by (dx, dy) within the map.
    virtual void ScrollBy(int32_t dx, int32_t dy);
    // Clears the first cell's class (a level reset).
    virtual void ResetFirstCell() {}

    int32_t ViewX = 0;
    int32_t ViewY = 0;
    int32_t OriginX = 0;  // the negated origin
    int32_t OriginY = 0;
};

}  // namespace engine
