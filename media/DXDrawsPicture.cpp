#include "media/DXDrawsPicture.h"

#include "rtl/Format.h"

namespace media {

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* collection) : THashCollectionItem(collection) {}

TPictureCollectionItem::~TPictureCollectionItem() { Finalize(); }

TPictureCollection* TPictureCollectionItem::PictureCollection() const {
    return static_cast<TPictureCollection*>(GetCollection());
}

int TPictureCollectionItem::PatternCount() const {
    if (!surfaces_.empty()) return int(patterns_.size());
    const int32_t cellW = Width() + SkipWidth, cellH = Height() + SkipHeight;
    if (picture_.Empty() || cellW <= 0 || cellH <= 0) return 0;
    if (Width() == picture_.Width() && Height() == picture_.Height()) return 1;
    return CellCount(picture_.Width(), SkipWidth, cellW) * CellCount(picture_.Height(), SkipHeight, cellH);
}

void TPictureCollectionItem::Draw(TDirectDrawSurface& dest, int32_t x, int32_t y, int patternIndex) {
    if (!initialized_ || patternIndex < 0 || patternIndex >= int(patterns_.size())) return;
    const auto& p = patterns_[size_t(patternIndex)];
    dest.Draw(x, y, p.Rect, p.Surface, Transparent);
}

void TPictureCollectionItem::DrawAlpha(TDirectDrawSurface& dest, const TRect& destRect, int patternIndex,
                                       int32_t alpha) {
    if (!initialized_ || patternIndex < 0 || patternIndex >= int(patterns_.size())) return;
    const auto& p = patterns_[size_t(patternIndex)];
    dest.DrawAlpha(destRect, p.Rect, p.Surface, Transparent, alpha);
}

void TPictureCollectionItem::SetTransparentColor(uint32_t value) {
    if (value == transparentColor_) return;
    transparentColor_ = value;
    for (auto& s : surfaces_) {
        try {
            s->SetTransparentColor(s->ColorMatch(value));
        } catch (const std::exception&) {
            // One surface that refuses leaves the others keyed.
        }
    }
}

void TPictureCollectionItem::Initialize() {
    Finalize();
    initialized_ = PictureCollection() && PictureCollection()->Initialized();
}

void TPictureCollectionItem::ClearSurfaces() {
    patterns_.clear();
    surfaces_.clear();
}

void TPictureCollectionItem::Finalize() {
    if (!initialized_) return;
    initialized_ = false;
    ClearSurfaces();
}

TDirectDrawSurface& TPictureCollectionItem::MakeSurface(const TRect& rect) {
    TCustomDXDraw* dxdraw = PictureCollection()->DXDraw();
    auto surface = std::make_unique<TDirectDrawSurface>(*dxdraw->DDraw());
    surface->SystemMemory = SystemMemory;
    surface->LoadFromGraphicRect(picture_, 0, 0, rect);
    surface->SetTransparentColor(surface->ColorMatch(transparentColor_));
    surfaces_.push_back(std::move(surface));
    return *surfaces_.back();
}

void TPictureCollectionItem::Restore() {
    if (picture_.Empty()) return;
    if (!initialized_ && PictureCollection() && PictureCollection()->Initialized()) initialized_ = true;
    if (!initialized_) return;
    ClearSurfaces();
    const int32_t pw = picture_.Width(), ph = picture_.Height();
    const int32_t w = Width(), h = Height();
    if (w == pw && h == ph) {
        TDirectDrawSurface& s = MakeSurface({0, 0, pw, ph});
        patterns_.push_back({{0, 0, pw, ph}, &s});
        return;
    }
    const int32_t cellW = w + SkipWidth, cellH = h + SkipHeight;
    if (cellW <= 0 || cellH <= 0) return;
    const int columns = CellCount(pw, SkipWidth, cellW), rows = CellCount(ph, SkipHeight, cellH);
    if (SystemMemory) {
        TDirectDrawSurface& s = MakeSurface({0, 0, pw, ph});
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < columns; ++col)
                patterns_.push_back({{cellW * col, cellH * row, cellW * col + w, cellH * row + h}, &s});
        return;
    }
    // Tiles: the smallest whole number of cells reaching 512 pixels, at most all the cells.
    const int32_t tileW = Min(cellW * ((512 + cellW - 1) / cellW), cellW * columns);
    const int32_t tileH = Min(cellH * ((512 + cellH - 1) / cellH), cellH * rows);
    if (tileW <= 0 || tileH <= 0) return;
    const int across = (pw + tileW - 1) / tileW, down = (ph + tileH - 1) / tileH;
    std::vector<TDirectDrawSurface*> tiles;
    for (int ty = 0; ty < down; ++ty)
        for (int tx = 0; tx < across; ++tx) {
            const int32_t left = tileW * tx, top = tileH * ty;
            int32_t width = Min(tileW, pw - left), height = Min(tileH, ph - top);
            if (width <= 0) width = tileW;
            if (height <= 0) height = tileH;
            tiles.push_back(&MakeSurface({left, top, left + width, top + height}));
        }
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < columns; ++col) {
            const int tile = (cellW * col / tileW) + across * (cellH * row / tileH);
            const int32_t x = cellW * col % tileW, y = cellH * row % tileH;
            patterns_.push_back({{x, y, x + w, y + h}, tiles[size_t(tile)]});
        }
}

void TPictureCollectionItem::Assign(const TDXCollectionItem& source) {
    const auto* other = dynamic_cast<const TPictureCollectionItem*>(&source);
    if (!other) {
        THashCollectionItem::Assign(source);
        return;
    }
    const bool wasInitialized = initialized_;
    PatternHeight = other->PatternHeight, PatternWidth = other->PatternWidth;
    SkipHeight = other->SkipHeight, SkipWidth = other->SkipWidth;
    SystemMemory = other->SystemMemory, Transparent = other->Transparent;
    Finalize();
    transparentColor_ = other->transparentColor_;
    picture_.Assign(other->picture_);
    if (wasInitialized) {
        initialized_ = true;
        Restore();
    }
}

// --- collection ---------------------------------------------------------------------

TPictureCollection::TPictureCollection(TCustomDXImageList* owner)
    : THashCollection([](TDXCollection* c) -> TDXCollectionItem* {
          return new TPictureCollectionItem(static_cast<TPictureCollection*>(c));
      }),
      owner_(owner) {}

TPictureCollection::~TPictureCollection() { Finalize(); }

void TPictureCollection::Initialize(TCustomDXDraw& dxdraw) {
    Finalize();
    dxdraw_ = &dxdraw;
    if (!Initialized()) throw EPictureCollectionError(rtl::Format("%s cannot be initialized", {ClassName()}));
    for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
    try {
        for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
    } catch (...) {
        dxdraw_ = nullptr;
        throw;
    }
    dxdraw_ = nullptr;
}

void TPictureCollection::Restore() {
    for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// --- image list -------------------------------------------------------------------------

TCustomDXImageList::TCustomDXImageList() : items_(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
    SetDXDraw(nullptr);
    items_.reset();
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* value) {
    if (dxdraw_) dxdraw_->RemoveNotifyListener(Listener());
    dxdraw_ = value;
    if (dxdraw_) dxdraw_->AddNotifyListener(Listener());
}

void TCustomDXImageList::DXDrawNotify(TCustomDXDraw& sender, TDXDrawNotifyType type) {
    switch (type) {
        case dxntDestroying:
            items_->Finalize();
            dxdraw_->RemoveNotifyListener(Listener());
            dxdraw_ = nullptr;
            break;
        case dxntInitialize: items_->Initialize(sender); break;
        case dxntFinalize: items_->Finalize(); break;
        case dxntRestore: items_->Restore(); break;
        default: break;
    }
}

}  // namespace media
