// Nations (groups of game objects with an integer key) and the pool of game objects.
#pragma once

#include "engine/gpGeneralObject.h"
#include "engine/gpObject.h"
#include "engine/gpObjectList.h"

#include <functional>
#include <memory>
#include <vector>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TGPCrowd;
class TDXRegisterAnimate;

class TGPNation : public TGPStructure {
    RTL_CLASS(TGPNation, TGPStructure)
public:
    TGPNation();
    ~TGPNation() override;

    void Create(TObject* kernel, int32_t id) override;
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override;
    void Draw() override;
    void Clear() override;

    // Level reset: every object out of play, the crowd emptied, the descriptions freed.
    void Reset();
    bool CanAdd() const;
    // The description of a class for this nation's objects, loaded on first use from the
    // kernel's containers (or the resource folder); nil when there is none.
    TGPGeneralObject* Template(int32_t idClass);
    void SetMaxCount(int32_t n);
    TGPObject* FindByClass(int32_t idClass) const;
    // The picture of a slide, loaded on first use.
    media::TPictureCollectionItem* GetPicture(TOneSlide& slide);
    // A new object outside the pool (the pool adopts it).
    TGPObject* CreateObject(int32_t x, int32_t y, int32_t idClass);
    // An object of the class from the pool, placed at (x, y), snapped to the 64-pixel grid.
    // OnCreateObject and SetParam(111) run once, after the object took its place, whether
    // it was reused or made new.
    TGPObject* CreateFromPool(int32_t x, int32_t y, bool snap, int32_t idClass);

    // Makes the game objects of this nation; tests and later kinds of objects replace it.
    std::function<std::unique_ptr<TGPObject>()> ObjectFactory;

    std::unique_ptr<TDXRegisterAnimate> PictureRegister;  // pictures of the objects' slides
    TGPGeneralObjects Templates;
    TListGPObject Objects;
    std::unique_ptr<TGPCrowd> Crowd;
    int32_t MaxCount = -1;
    std::function<void(TGPNation* sender, TGPObject* obj)> OnCreateObject;

private:
    friend class TStackObject;
    // Steps 1-3 of CreateObject and the bookkeeping of step 4 (listed, bound), without the
    // creation hooks; nil when refused or when the object has no slide.
    TGPObject* MakeObject(int32_t x, int32_t y, int32_t idClass);
    void RunCreationHooks(TGPObject* obj);
    void AddOnce(TGPObject* obj);

    // The objects a move pass visits, by handle and generation, taken when the pass begins;
    // kept between passes so that a steady pass allocates nothing.
    struct WalkEntry {
        uint32_t Handle;
        uint16_t Generation;
    };
    std::vector<WalkEntry> walk_;
    bool walking_ = false;
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

// Game objects out of play, handed out again by class identifier; lives as long as the
// program and owns every game object ever made. Nothing here is freed during play: an
// object that cannot be reused stays retired in the pool until the pools are cleared, so
// that every pointer still naming it (selections, crowds, the walk that is under way) stays
// valid memory.
class TStackObject {
public:
    ~TStackObject();
    // A pooled object of the class comes back as a new one would (TGPObject::Reuse); else
    // one is made. With admit the creation hooks run, for a reused object as for one made
    // through its nation's CreateObject; without, the caller runs them.
    TGPObject* Pop(TObject* owner, int32_t idClass, bool checkLimit, bool admit = true);
    void Push(TGPObject* obj);
    // Pushes the object and keeps it out of every later Pop.
    void Retire(TGPObject* obj);
    // Frees every pooled object, retired ones included. Refused with EStackObject
    // "TStackObject.Clear" (nothing freed) while game objects are being walked.
    void Clear();
    // After a kernel's end: the pooled objects' links to it, its nations and its registers go.
    void Unlink(const TGPKernel* kernel);
    int Count() const { return idle_.Count(); }
    int RetiredCount() const { return retired_.Count(); }
    TGPObject* Get(int index) const { return idle_.Items(index); }
    bool Holds(const TGPObject* obj) const;

    // Objects of play are owned here for their whole life.
    TGPObject* Adopt(std::unique_ptr<TGPObject> obj);

    // Marks a walk over game objects (a nation's move or drawing, the collision replies):
    // objects must not be freed under it.
    class Walk {
    public:
        Walk();
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;
    };

private:
    void Free(rtl::List<TGPObject*>& list);

    rtl::List<TGPObject*> idle_;
    rtl::List<TGPObject*> retired_;
    std::vector<std::unique_ptr<TGPObject>> all_;
    int walks_ = 0;
};

// The largest class identifier of a game object.
inline constexpr int32_t kMaxObjectClass = 166;

// Floors to the 64-pixel cell grid (also for negative coordinates).
constexpr int32_t SnapToCell(int32_t v) { return v >= 0 ? v / 64 * 64 : -((-v + 63) / 64 * 64); }

}  // namespace engine
