// A cell of the map: a sprite of a map-element class (one slide, a tile picture whose rows
// are the frames of its animation) at its place in the grid, and the objects of the spatial
// index that cover it.
#pragma once

#include "engine/gpObjectList.h"
#include "engine/gpSprite.h"

#include <memory>
#include <vector>

namespace engine {

class TGPMap;
class TGPObject;

// Draws between two frames of a tile animation, less one: a tile frame changes every
// (TileDelay + 2) / 2 draws.
inline constexpr int32_t TileDelay = 100;

class TGPMapElement : public TGPSprite {
    RTL_CLASS(TGPMapElement, TGPSprite)
public:
    // Owner is the map; the cell takes the next place of its grid.
    void Create(TObject* owner, int32_t id) override;
    void SetIDClass(int32_t id) override;
    void Clear() override;
    void Draw() override;
    void LoadPictures() override {}

    // Objects: nil when obj is there already, else the list after adding it.
    TListGPObject* AddObject(TGPObject* obj);
    void RemoveObject(TGPObject* obj);
    // The current slide's IDName; -1 without a slide (or when its picture failed).
    int32_t PictureClass() const;
    // The pattern of the tile animation's current frame; advances the animation.
    int32_t GetAnimationSprite();

    TGPMap* Map() const;

    bool Discovered = false;
    bool Fogged = false;
    bool AirLocked = false;
    bool WaterLocked = false;
    bool LandLocked = false;  // while Objects is not empty
    uint8_t Area = 0;
    TListGPObject Objects;    // not owned
    int32_t PixelX = 0, PixelY = 0;

    static void DescribeClass(rtl::ClassBuilder<TGPMapElement>& c);
};

// The cells, owned.
class TGPMapElementList {
public:
    int Count() const { return cells_.Count(); }
    TGPMapElement* Get(int index) const { return cells_.Items(index); }  // EListError outside
    void Add(std::unique_ptr<TGPMapElement> cell);
    auto begin() const { return cells_.begin(); }
    auto end() const { return cells_.end(); }

private:
    rtl::List<TGPMapElement*> cells_;
    std::vector<std::unique_ptr<TGPMapElement>> owned_;
};

}  // namespace engine
