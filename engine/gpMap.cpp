#include "engine/gpMap.h"

#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpObject.h"
#include "engine/gpRegisters.h"
#include "media/DXDraws.h"

#include <algorithm>
#include <limits>

namespace engine {

RTL_REGISTER_CLASS(TGPMap);

namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Whole cells of `size` pixels before the pixel, counting from the grid's origin.
int64_t FloorDiv(int64_t pixel, int64_t size) { return pixel >= 0 ? pixel / size : -((-pixel + size - 1) / size); }

// The object's cell column and row, which it keeps with its position.
int32_t CellColumn(const TGPObject& obj) { return obj.CellCol; }
int32_t CellRow(const TGPObject& obj) { return obj.CellRow; }

// Raised to low when below, then lowered to high when above; a playfield smaller than the
// view cannot scroll.
int32_t ClampScroll(int64_t v, int64_t low, int64_t high) { return Saturate(std::clamp(v, low, std::max(low, high))); }

}  // namespace

TGPMap::TGPMap() = default;

TGPMap::~TGPMap() {
    if (Kernel && Kernel->Map == this) Kernel->SetMap(nullptr);
    // Effects still on the map go back to their pool, and forget the map as their owner.
    try {
        if (ChildSprites) ChildSprites->ReleaseAll();
    } catch (...) {
        // A foreign sprite on the list stays where it is; the map goes all the same.
    }
    PhantomPool().OwnerGone(this);
}

void TGPMap::Create(TObject* kernel, int32_t id) {
    TGPStructure::Create(kernel, id);
    if (Kernel) Kernel->SetMap(this);
    ElementRegister = std::make_unique<TDXRegisterElement>();
    Cells = std::make_unique<TGPMapElementList>();
    ChildSprites = std::make_unique<TListStructure>();
}

void TGPMap::Create(TGPKernel* kernel, bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols,
                    int32_t viewRows, int32_t cols, int32_t rows, int32_t cellSize) {
    Create(kernel, 0);
    Reset(drawAllCells, originX, originY, viewCols, viewRows, cols, rows, cellSize);
}

void TGPMap::Reset(bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols, int32_t viewRows,
                   int32_t cols, int32_t rows, int32_t cellSize) {
    DrawAllCells = drawAllCells;
    ViewCols = viewCols;
    ViewRows = viewRows;
    Cols = cols;
    Rows = rows;
    CellSize = cellSize;
    ViewWidth = Saturate(int64_t{viewCols} * cellSize);
    ViewHeight = Saturate(int64_t{viewRows} * cellSize);
    OriginXNeg = Saturate(-int64_t{originX});
    OriginYNeg = Saturate(-int64_t{originY});
    ScrollX = OriginXNeg;
    ScrollY = OriginYNeg;
    // Grow the grid so that every cell of the index exists; never shrink it (objects keep
    // the cells they entered).
    const int64_t wanted = std::min<int64_t>(std::max<int64_t>(int64_t{cols} * rows, 0), MaxMapCells);
    while (CellCount() < wanted) {
        auto cell = std::make_unique<TGPMapElement>();
        cell->Create(this, -1);
        Cells->Add(std::move(cell));
    }
    PlaceCells();
}

void TGPMap::PlaceCells() {
    for (int i = 0; i < CellCount(); ++i) {
        TGPMapElement* cell = Cells->Get(i);
        cell->PixelX = ViewCols > 0 ? Saturate(int64_t{i % ViewCols} * CellSize) : 0;
        cell->PixelY = ViewCols > 0 ? Saturate(int64_t{i / ViewCols} * CellSize) : 0;
    }
}

void TGPMap::Scroll(int32_t dx, int32_t dy) {
    const int64_t highX = int64_t{OriginXNeg} + int64_t{Cols} * CellSize - ViewWidth;
    const int64_t highY = int64_t{OriginYNeg} + int64_t{Rows} * CellSize - ViewHeight;
    ScrollX = ClampScroll(int64_t{ScrollX} + dx, OriginXNeg, highX);
    ScrollY = ClampScroll(int64_t{ScrollY} + dy, OriginYNeg, highY);
}

media::TPictureCollectionItem* TGPMap::GetElementPicture(TOneSlide& slide, bool load) {
    if (!Kernel || !ElementRegister) return nullptr;
    return FindMapElementPicture(*ElementRegister, *Kernel, slide, load, Kernel->Display());
}

bool TGPMap::FootprintRange(const TGPObject& obj, int32_t& col0, int32_t& col1, int32_t& row0, int32_t& row1) const {
    const int64_t col = CellColumn(obj), row = CellRow(obj);
    int64_t first = col, last = col + obj.CellsAcross, top = row, bottom = row + obj.CellsDown;
    // The footprint's rounded size can fall short of the object (80 pixels at x = 60 reach
    // column 2): every further cell its picture or collision rectangle touches is added.
    if (CellSize > 0) {
        const TRect r = obj.GetRect();
        const int64_t x = obj.GetX(), y = obj.GetY();
        const int64_t left = std::min<int64_t>(x, r.Left), right = std::max<int64_t>(x + obj.Width, r.Right);
        const int64_t upper = std::min<int64_t>(y, r.Top), lower = std::max<int64_t>(y + obj.Height, r.Bottom);
        auto cell = [this](int64_t pixel) { return FloorDiv(pixel, CellSize); };
        first = std::min(first, cell(left));
        top = std::min(top, cell(upper));
        if (right > left) last = std::max(last, cell(right - 1));
        if (lower > upper) bottom = std::max(bottom, cell(lower - 1));
    }
    col0 = Saturate(std::max<int64_t>(first, 0));
    col1 = Saturate(std::min<int64_t>(last, int64_t{Cols} - 1));
    row0 = Saturate(std::max<int64_t>(top, 0));
    row1 = Saturate(std::min<int64_t>(bottom, int64_t{Rows} - 1));
    return col0 <= col1 && row0 <= row1;
}

TListGPObject* TGPMap::AddObjectToCells(TListGPObject* list, TGPObject* obj) {
    if (list) list->Clear();
    int32_t col0, col1, row0, row1;
    if (!obj || !FootprintRange(*obj, col0, col1, row0, row1)) return list;
    std::vector<int32_t>& entered = entered_[obj];
    const int count = CellCount();
    for (int32_t row = row0; row <= row1; ++row) {
        for (int32_t col = col0; col <= col1; ++col) {
            const int64_t index = int64_t{col} + int64_t{row} * Cols;
            if (index >= count) return list;  // the rest of the footprint lies further on
            TGPMapElement* cell = Cells->Get(static_cast<int>(index));
            if (!cell->AddObject(obj)) continue;
            entered.push_back(static_cast<int32_t>(index));
            if (!list) continue;
            for (TGPObject* other : cell->Objects)
                if (other != obj && !list->Contains(other)) list->Add(other);
        }
    }
    return list;
}

TListGPObject* TGPMap::ObjectsNear(TListGPObject* list, TGPObject* obj) {
    if (!list) return nullptr;
    list->Clear();
    int32_t col0, col1, row0, row1;
    if (!obj || !FootprintRange(*obj, col0, col1, row0, row1)) return list;
    const int count = CellCount();
    for (int32_t row = row0; row <= row1; ++row) {
        for (int32_t col = col0; col <= col1; ++col) {
            const int64_t index = int64_t{col} + int64_t{row} * Cols;
            if (index >= count) return list;
            for (TGPObject* other : Cells->Get(static_cast<int>(index))->Objects)
                if (other != obj && !list->Contains(other)) list->Add(other);
        }
    }
    return list;
}

void TGPMap::RemoveObjectFromCells(TGPObject* obj) {
    const auto found = entered_.find(obj);
    if (found == entered_.end()) return;
    for (const int32_t index : found->second)
        if (index < CellCount()) Cells->Get(index)->RemoveObject(obj);
    found->second.clear();
}

void TGPMap::Clear() {
    for (int i = 0; i < CellCount(); ++i) Cells->Get(i)->Clear();
    entered_.clear();
    ElementRegister = std::make_unique<TDXRegisterElement>();
    if (ChildSprites) ChildSprites->ReleaseAll();
    TGPStructure::Clear();
}

void TGPMap::Draw() {
    if (!Kernel) return;
    if (DrawAllCells) {
        for (int i = 0; i < CellCount(); ++i) Cells->Get(i)->Draw();
    } else if (CellCount() > 0) {
        TGPMapElement* first = Cells->Get(0);
        if (first->PictureClass() == -1)
            if (media::TDirectDrawSurface* surface = Kernel->Surface()) surface->Fill(0);
        first->Draw();
    }
    if (OnDraw) OnDraw(Kernel->Surface());
    // The effects on the map draw over it, outside the interface conditions.
    if (Kernel->Condition == ck_Interface || Kernel->Condition == ck_MainInterface) return;
    DrawChildSprites(*this, this, false);
}

TGPMap* CreateMap(TGPKernel& kernel, bool drawAllCells, int32_t originX, int32_t originY, int32_t viewCols,
                  int32_t viewRows, int32_t cols, int32_t rows, int32_t cellSize) {
    TGPMap* map = kernel.AdoptMap(std::make_unique<TGPMap>());
    map->Create(&kernel, drawAllCells, originX, originY, viewCols, viewRows, cols, rows, cellSize);
    return map;
}

}  // namespace engine
