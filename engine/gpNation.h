// Nations (groups of game objects with an integer key) and the pool of game objects.
#pragma once

#include "engine/gpObject.h"

#include <functional>
#include <memory>
#include <vector>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TGPCrowd;
class TDXRegisterAnimate;

using TListGPObject = rtl::List<TGPObject*>;

class TGPNation : public TGPStructure {
    RTL_CLASS(TGPNation, TGPStructure)
public:
    TGPNation();
    ~TGPNation() override;

    void Create(TObject* kernel, int32_t id) override;
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override;
    void Draw() override;
    void Clear() override;

    void Reset();
    bool CanAdd() const;
    void SetMaxCount(int32_t n);
    TGPObject* FindByClass(int32_t idClass) const;
    // The picture of a slide, loaded on first use.
    media::TPictureCollectionItem* GetPicture(TOneSlide& slide);
    // A new object outside the pool (the pool adopts it).
    TGPObject* CreateObject(int32_t x, int32_t y, int32_t idClass);
    // An object of the class from the pool, placed at (x, y), snapped to the 64-pixel grid.
    TGPObject* CreateFromPool(int32_t x, int32_t y, bool snap, int32_t idClass);

    // Makes the game objects of this nation; tests and later kinds of objects replace it.
    std::function<std::unique_ptr<TGPObject>()> ObjectFactory;

    std::unique_ptr<TDXRegisterAnimate> PictureRegister;  // pictures of the objects' slides
    TListGPObject Objects;
    std::unique_ptr<TGPCrowd> Crowd;
    int32_t MaxCount = -1;
    std::function<void(TGPNation* sender, TGPObject* obj)> OnCreateObject;

private:
    void AddOnce(TGPObject* obj);
};

// The kernel's nations, owned.
class TListNation : public rtl::Object {
public:
    TListNation() = default;
    int Count() const { return items_.Count(); }
    TGPNation* Get(int index) const { return items_.Items(index); }
    void Add(std::unique_ptr<TGPNation> nation);
    void ClearAll();
    void FreeAll();
    // Orders by key ascending (stable).
    void SortByKey();
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    ~TListNation() override;

private:
    rtl::List<TGPNation*> items_;
    std::vector<std::unique_ptr<TGPNation>> owned_;
};

// Game objects out of play, handed out again by class identifier; lives as long as the program.
class TStackObject {
public:
    ~TStackObject();
    TGPObject* Pop(TObject* owner, int32_t idClass, bool checkLimit);
    void Push(TGPObject* obj);
    // Frees every pooled object.
    void Clear();
    int Count() const { return idle_.Count(); }
    TGPObject* Get(int index) const { return idle_.Items(index); }
    bool Holds(const TGPObject* obj) const { return idle_.Contains(const_cast<TGPObject*>(obj)); }

    // Objects of play are owned here for their whole life.
    TGPObject* Adopt(std::unique_ptr<TGPObject> obj);
    void Discard(TGPObject* obj);

private:
    rtl::List<TGPObject*> idle_;
    std::vector<std::unique_ptr<TGPObject>> all_;
};

// The largest class identifier of a game object.
inline constexpr int32_t kMaxObjectClass = 166;

// Floors to the 64-pixel cell grid (also for negative coordinates).
constexpr int32_t SnapToCell(int32_t v) { return v >= 0 ? v / 64 * 64 : -((-v + 63) / 64 * 64); }

}  // namespace engine
