#include "engine/gpMapElement.h"

#include "engine/gpClasses.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObject.h"
#include "media/DXDrawsPicture.h"

namespace engine {

RTL_REGISTER_CLASS(TGPMapElement);

void TGPMapElement::DescribeClass(rtl::ClassBuilder<TGPMapElement>& c) {
    using T = TGPMapElement;
    c.Property("Discovered", &T::Discovered)
        .Property("Fogged", &T::Fogged)
        .Property("AirLocked", &T::AirLocked)
        .Property("WaterLocked", &T::WaterLocked)
        .Property("LandLocked", &T::LandLocked)
        .Property("Area", &T::Area)
        .Method("SetIDClass", &T::SetIDClass)
        .Method("GetAnimationSprite", &T::GetAnimationSprite);
}

namespace {
// The animation of a map-element class; none for a negative class or without a kernel.
TStructureSlide* ElementAnimation(const TGPKernel* kernel, int32_t id) {
    if (id < 0 || !kernel) return nullptr;
    return ListAnimateElement().FindOrLoad(kernel->Resources(), id);
}
}  // namespace

void TGPMapElement::Create(TObject* owner, int32_t id) {
    TGPSprite::Create(owner, id);
    Objects.Clear();
    Animation = ElementAnimation(Kernel, id);
    RollTick = 250;
    if (Animation) LoadOneSlide(1);
    // The cell's place: the number of cells the map held before it.
    const TGPMap* map = Map();
    const int index = map ? map->CellCount() : 0;
    const int32_t across = map ? map->ViewCols : 0;
    const int32_t size = map ? map->CellSize : 0;
    PixelX = across > 0 ? index % across * size : 0;
    PixelY = across > 0 ? index / across * size : 0;
}

TGPMap* TGPMapElement::Map() const { return dynamic_cast<TGPMap*>(Owner); }

void TGPMapElement::SetIDClass(int32_t id) {
    if (id != IDClass) {
        IDClass = id;
        Animation = nullptr;
        CurrentSlide = nullptr;
        Animation = ElementAnimation(Kernel, id);
        if (Animation) LoadOneSlide(1);
    }
    // The picture is looked up again (the register may be a new one).
    if (CurrentSlide) CurrentSlide->PictureIndex = -1;
}

void TGPMapElement::Clear() {
    Objects.Clear();
    LandLocked = false;
    TGPSprite::Clear();
}

TListGPObject* TGPMapElement::AddObject(TGPObject* obj) {
    if (Objects.Contains(obj)) return nullptr;
    Objects.Add(obj);
    LandLocked = true;
    return &Objects;
}

void TGPMapElement::RemoveObject(TGPObject* obj) {
    if (Objects.Remove(obj) >= 0 && Objects.Empty()) LandLocked = false;
}

int32_t TGPMapElement::PictureClass() const { return CurrentSlide ? CurrentSlide->IDName : -1; }

int32_t TGPMapElement::GetAnimationSprite() {
    const int32_t linesWidth = CurrentSlide ? CurrentSlide->LinesWidth : 0;
    const int32_t linesHeight = CurrentSlide ? CurrentSlide->LinesHeight : 0;
    FrameCounter = (FrameCounter + 1) & 255;
    if (FrameCounter < TileDelay) {
        FrameCounter = (FrameCounter + 1) & 255;
        if (TileDelay != 255) return linesWidth * Frame;
    }
    FrameCounter = 0;
    Frame = Frame + 1 < linesHeight ? Frame + 1 : 0;
    return linesWidth * Frame;
}

void TGPMapElement::Draw() {
    TGPMap* map = Map();
    if (!Animation || !CurrentSlide || !map || !Kernel) return;
    media::TPictureCollectionItem* picture = map->GetElementPicture(*CurrentSlide, true);
    media::TDirectDrawSurface* surface = Kernel->Surface();
    if (!picture || !surface) return;
    picture->Draw(*surface, PixelX - map->ViewX(), PixelY - map->ViewY(), GetAnimationSprite());
}

void TGPMapElementList::Add(std::unique_ptr<TGPMapElement> cell) {
    cells_.Add(cell.get());
    owned_.push_back(std::move(cell));
}

}  // namespace engine
