// The root of every engine thing: owner and kernel links, visibility, class identifier,
// kind flags, the screen-shake ("vibration") generator, event bindings copied into new
// objects, named children (the kernel's in-game forms) and child sprites.
//
// Heirs are built in two phases: the C++ constructor makes a blank object, then the
// virtual Create(owner, id) runs the creation steps with the heir's overrides in force.
#pragma once

#include "engine/gpTypes.h"
#include "rtl/Lists.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class TGPGObj;
class TGPKernel;
class TGPStructure;
class TListStructure;

struct TVibration {
    uint8_t On = 0;
    int32_t Counter = 0;  // wider than the period, so period 255 still steps
    uint8_t Period = 0;
    int32_t AmplitudeX = 0;
    int32_t AmplitudeY = 0;
    double CurX = 0;
    double CurY = 0;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    double DecX = 0;
    double DecY = 0;
    int32_t Steps = 0;
    int32_t MaxSteps = 0;
    uint8_t Mode = 0;  // 1 random, 2 decaying for MaxSteps steps, 3 decaying until zero
    TGPStructure* Target = nullptr;
    int32_t Count = 0;
    // The target by handle and generation, taken when it is set: a target that went back to
    // its pool since counts as none (see LiveVibrationTarget).
    uint32_t TargetHandle = 0;
    uint16_t TargetGeneration = 0;
};

// The block's target while it is the object that was set, else nil.
TGPStructure* LiveVibrationTarget(const TVibration& block);

void InitVibration(uint8_t on, uint8_t period, int32_t amplitudeX, int32_t amplitudeY, double decX, double decY,
                   int32_t maxSteps, uint8_t mode, TVibration& block);

struct TEventBinding {
    uint8_t Kind = 0;
    int32_t IDClass = 0;
    int32_t EventIndex = 0;  // 1 begin, 2 step, 3 end of vibration, 4 splinter, 5 move
    uint8_t Scope = 0;       // 2 = every class
    TNotifyEvent Notify;     // the handler of events 1, 2, 3 and 5
    TSplinterEvent Splinter;
};

using TSwitchVibrationEvent = std::function<void(TObject* sender, bool wasOn, uint8_t newOn, int32_t& count)>;

class TGPStructure : public rtl::Object {
    RTL_CLASS(TGPStructure, rtl::Object)
public:
    TGPStructure();
    ~TGPStructure() override;
    TGPStructure(const TGPStructure&) = delete;
    TGPStructure& operator=(const TGPStructure&) = delete;

    // Virtual operations, one order for all heirs.
    virtual void SetIDClass(int32_t value);
    virtual void SetOwner(TObject* owner);
    virtual void SetKind(int32_t value);
    virtual void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
    virtual void Clear();
    virtual void ValidateRename(TGPStructure* child, const std::string& oldName, const std::string& newName);
    virtual void SetParam(int32_t code, int64_t value);
    virtual void Create(TObject* owner, int32_t id);
    virtual void Show(TObject* caller);
    virtual void Hide();
    virtual int32_t ShowMain(TObject* caller);
    virtual void Draw();
    virtual void ValidateContainer(TGPStructure* container);
    virtual void ValidateInsert(TGPStructure* child);

    void* GetGroup() const { return Group; }
    void SetGroup(void* p) { Group = p; }

    void AddEventBinding(uint8_t kind, int32_t idClass, int32_t eventIndex, uint8_t scope, TNotifyEvent handler);
    void AddSplinterBinding(uint8_t kind, int32_t idClass, uint8_t scope, TSplinterEvent handler);
    void BindEvents(uint8_t kind, TGPStructure& target) const;
    int BindingCount() const { return static_cast<int>(bindings_.size()); }

    // Named children (owned).
    void AddInterface(std::unique_ptr<TGPStructure> child);
    void AttachInterface(std::unique_ptr<TGPStructure> child);
    TGPStructure* FindChild(const std::string& name) const;
    int ChildCount() const { return children_ ? children_->Count() : 0; }
    TGPStructure* GetChild(int index) const;
    // ---- Level sets and the interface description ----
    // Takes child out of the named children and hands it over; nil when it is none of them.
    std::unique_ptr<TGPStructure> DetachInterface(TGPStructure* child);

    // References that can outlive a pooled object (command words, selections) name it by its
    // handle and the generation it had. Both live in the engine's handle table, so checking
    // such a reference never reads the object itself, which may be gone.
    uint32_t Handle() const { return handle_; }
    uint16_t Generation() const;
    // Raised by every return to a pool. 0..0xFFFE: all ones marks numbered sounds in commands.
    void NextGeneration();
    // The structure that holds the handle with that generation; nil when it was freed or
    // went back to a pool since. Reads only the table. Main thread, like the whole engine.
    static TGPStructure* FromHandle(uint32_t handle, uint16_t generation);

    // Fields.
    TNotifyEvent OnGPExit;
    TNotifyEvent OnGPEnter;
    TSwitchVibrationEvent OnSwitchVibration;
    int32_t Kind = 0;
    uint8_t AnimationFlag = 0;
    void* Group = nullptr;
    TGPKernel* Kernel = nullptr;
    TObject* Owner = nullptr;
    bool Visible = false;
    int32_t IDClass = 0;
    bool Carrion = false;
    int32_t NationKey = 0;
    TVibration Vibration;
    int32_t ViewHeight = 0, ViewWidth = 0;
    TGPGObj* LevelRecord = nullptr;  // counted: see TGPGObj::AttachObject
    std::unique_ptr<TListStructure> ChildSprites;
    int32_t AlignMode = 0;
    std::string Name;
    int32_t Width = 0, Height = 0;
    int32_t Frame = 0;

    TNotifyEvent OnGPBeginVibration;
    TNotifyEvent OnGPVibration;
    TNotifyEvent OnGPEndVibration;
    TSplinterEvent OnGPSplinterEvent;
    TNotifyEvent OnGPMove;
    TSetIDEvent OnGPSetKind;
    TDXKeyDown OnDXKeyDown;
    TNotifyEvent OnGPMouseDown;

    static void DescribeClass(rtl::ClassBuilder<TGPStructure>& c);

protected:
    // The vibration step of Move; heirs that are exempt (their offsets stay) answer true.
    void VibrationStep();
    virtual bool VibrationExempt() const { return false; }

private:
    void ResetVibration();
    void SetVibrationParam(int32_t code, int64_t value);

    std::vector<TEventBinding> bindings_;
    std::unique_ptr<rtl::List<TGPStructure*>> children_;
    std::vector<std::unique_ptr<TGPStructure>> ownedChildren_;
    uint32_t handle_;
};

// A list of sprites with an on-add hook. Its items are objects of play that belong to
// the kernel's pools: the list refers to them, and ReleaseAll hands them back.
class TListStructure : public rtl::List<TGPStructure*> {
public:
    std::function<void(TGPStructure* sprite, TListStructure* list)> OnAdd;

    int AddUnique(TGPStructure* sprite);
    // Hands every item back to its pool (phantom 1, game object 2, weapon 3) through the
    // first item's kernel, or straight to the pool when it has none; each item leaves the
    // list first, so the list ends empty and nothing is left in no place.
    void ReleaseAll();
};

// Draws the structure's child sprites (the phantoms it owns) on target, by index with the
// bound re-checked: a phantom that ends while it is drawn leaves the list, and neither
// makes the next one skip its turn nor lets the walk run past the end.
void DrawChildSprites(const TGPStructure& holder, TGPStructure* target, bool visibleOnly);

// Makes a structure in two phases: construct, then the virtual Create.
template <class T>
std::unique_ptr<T> MakeStructure(TObject* owner, int32_t id) {
    auto s = std::make_unique<T>();
    s->Create(owner, id);
    return s;
}

}  // namespace engine
