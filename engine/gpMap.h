// The playfield: a grid of cells of one size, a view position on the screen (scroll plus
// the map's own shake offset), and the spatial index in which every game object is entered
// into the cells its footprint covers, so that objects find their neighbours without
// scanning whole nations. Normally only the first cell is drawn: it carries the level's
// background picture. The map's child sprites are the effects drawn on the map.
//
// Footprint of an object: its cell column and row (position div 64) and one column and one
// row more than its CellsAcross and CellsDown, widened to every cell its picture or collision
// rectangle touches. The index remembers the cells each object entered and takes it out of
// exactly those, wherever it has moved since.
#pragma once

#include "engine/gpMapElement.h"
#include "engine/gpStructure.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace media {
class TDirectDrawSurface;
class TPictureCollectionItem;
}  // namespace media

namespace engine {

class TDXRegisterElement;
class TGPKernel;
class TGPObject;
class TOneSlide;

// The most cells a map holds: re-dimensioning from level data grows the grid up to here.
inline constexpr int32_t MaxMapCells = 1 << 16;

class TGPMap : public TGPStructure {
    RTL_CLASS(TGPMap, TGPStructure)
public:
    TGPMap();
    ~TGPMap() override;

    // The map of the kernel, without cells yet.
    void Create(TObject* kernel, int32_t id) override;
    // The map of the kernel with Cols x Rows cells of class -1; the view starts at the
    // negated origin. The shell passes (kernel, False, 34, 48, 9, 9, 9, 9, 64).
    void Create(TGPKernel* kernel, bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols,
                int32_t viewRows, int32_t cols, int32_t rows, int32_t cellSize);
    // Takes the dimensions of a level and scrolls back to the negated origin; the cell list
    // grows to Cols x Rows (cells are never removed) and every cell takes its place again.
    void Reset(bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols, int32_t viewRows, int32_t cols,
               int32_t rows, int32_t cellSize);
    // The view position: screen position = map position - view position.
    int32_t ViewX() const { return ScrollX + Vibration.OffsetX; }
    int32_t ViewY() const { return ScrollY + Vibration.OffsetY; }
    // Scrolls within the playfield: between the negated origin and it plus the grid's size
    // less the view's.
    void Scroll(int32_t dx, int32_t dy);
    int CellCount() const { return Cells ? Cells->Count() : 0; }
    media::TPictureCollectionItem* GetElementPicture(TOneSlide& slide, bool load);

    // Enters obj into its footprint cells; list (emptied first) receives the other objects
    // of the cells obj newly entered. Answers list.
    virtual TListGPObject* AddObjectToCells(TListGPObject* list, TGPObject* obj);
    // List (emptied) receives every other object of obj's footprint cells; nil for nil.
    virtual TListGPObject* ObjectsNear(TListGPObject* list, TGPObject* obj);
    // Takes obj out of the cells it entered.
    virtual void RemoveObjectFromCells(TGPObject* obj);

    void Clear() override;
    void Draw() override;

    std::unique_ptr<TDXRegisterElement> ElementRegister;
    std::unique_ptr<TGPMapElementList> Cells;
    int32_t ViewCols = 0, ViewRows = 0;
    int32_t Cols = 0, Rows = 0;
    int32_t CellSize = 64;
    int32_t OriginXNeg = 0, OriginYNeg = 0;
    bool DrawAllCells = false;
    std::function<void(media::TDirectDrawSurface* surface)> OnDraw;
    int32_t ScrollX = 0, ScrollY = 0;

private:
    // The column and row ranges of obj's footprint within the grid; false when it misses.
    bool FootprintRange(const TGPObject& obj, int32_t& col0, int32_t& col1, int32_t& row0, int32_t& row1) const;
    void PlaceCells();

    // The cells each object entered, by index; an emptied entry keeps its storage.
    std::unordered_map<const TGPObject*, std::vector<int32_t>> entered_;
};

// Creates the kernel's map; the kernel owns it.
TGPMap* CreateMap(TGPKernel& kernel, bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols,
                  int32_t viewRows, int32_t cols, int32_t rows, int32_t cellSize);

}  // namespace engine
