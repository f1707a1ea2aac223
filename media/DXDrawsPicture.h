// Picture collections: named pictures cut into equal patterns (frames, tiles, glyphs),
// held on surfaces of the display; and the image list that binds a collection to a
// display as its listener.
#pragma once

#include <memory>
#include <vector>

#include "media/DXDrawsDisplay.h"

namespace media {

RTL_EXCEPTION(EPictureCollectionError, EDirectXError);

class TPictureCollection;
class TCustomDXImageList;

struct TPictureCollectionItemPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;
};

class TPictureCollectionItem : public THashCollectionItem {
public:
    explicit TPictureCollectionItem(TPictureCollection* collection);
    ~TPictureCollectionItem() override;
    const char* ClassName() const override { return "TPictureCollectionItem"; }

    TDIB& Picture() { return picture_; }
    void SetPicture(const TDIB& value) { picture_.Assign(value); }
    int32_t PatternWidth = 0, PatternHeight = 0;
    int32_t SkipWidth = 0, SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    uint32_t TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(uint32_t value);

    void Draw(TDirectDrawSurface& dest, int32_t x, int32_t y, int patternIndex);
    void DrawAlpha(TDirectDrawSurface& dest, const TRect& destRect, int patternIndex, int32_t alpha);
    int PatternCount() const;
    int32_t Width() const { return PatternWidth > 0 ? PatternWidth : picture_.Width(); }
    int32_t Height() const { return PatternHeight > 0 ? PatternHeight : picture_.Height(); }
    const std::vector<TPictureCollectionItemPattern>& Patterns() const { return patterns_; }
    int SurfaceCount() const { return int(surfaces_.size()); }
    TDirectDrawSurface& Surfaces(int index) const { return *surfaces_.at(size_t(index)); }

    bool Initialized() const { return initialized_; }
    void Initialize();
    void Finalize();
    void Restore();
    void Assign(const TDXCollectionItem& source) override;
    TPictureCollection* PictureCollection() const;

private:
    // Whole cells across (or down) a picture: (size + skip) div cell.
    static int CellCount(int32_t pictureSize, int32_t skip, int32_t cell) {
        return cell > 0 ? (pictureSize + skip) / cell : 0;
    }
    void ClearSurfaces();
    TDirectDrawSurface& MakeSurface(const TRect& rect);

    TDIB picture_;
    uint32_t transparentColor_ = 0;
    bool initialized_ = false;
    std::vector<TPictureCollectionItemPattern> patterns_;
    std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
};

class TPictureCollection : public THashCollection {
public:
    explicit TPictureCollection(TCustomDXImageList* owner = nullptr);
    ~TPictureCollection() override;
    const char* ClassName() const { return "TPictureCollection"; }

    TPictureCollectionItem* Add() { return static_cast<TPictureCollectionItem*>(THashCollection::Add()); }
    TPictureCollectionItem* Items(int index) const {
        return static_cast<TPictureCollectionItem*>(TDXCollection::Items(index));
    }
    TPictureCollectionItem* Find(std::string_view name) const {
        return static_cast<TPictureCollectionItem*>(THashCollection::Find(name));
    }
    TCustomDXImageList* Owner() const { return owner_; }
    TCustomDXDraw* DXDraw() const { return dxdraw_; }
    void Initialize(TCustomDXDraw& dxdraw);
    void Finalize();
    void Restore();
    bool Initialized() const { return dxdraw_ && dxdraw_->Initialized(); }
    std::array<TRGBQuad, 256> ColorTable{};

private:
    TCustomDXImageList* owner_;
    TCustomDXDraw* dxdraw_ = nullptr;
};

class TCustomDXImageList {
public:
    TCustomDXImageList();
    virtual ~TCustomDXImageList();
    TCustomDXImageList(const TCustomDXImageList&) = delete;
    TCustomDXImageList& operator=(const TCustomDXImageList&) = delete;
    TPictureCollection& Items() { return *items_; }
    TCustomDXDraw* DXDraw() const { return dxdraw_; }
    void SetDXDraw(TCustomDXDraw* value);

private:
    void DXDrawNotify(TCustomDXDraw& sender, TDXDrawNotifyType type);
    TDXDrawNotifyEvent Listener() { return NotifyMethod<&TCustomDXImageList::DXDrawNotify>(this); }
    std::unique_ptr<TPictureCollection> items_;
    TCustomDXDraw* dxdraw_ = nullptr;
};

class TDXImageList : public TCustomDXImageList {};

}  // namespace media
