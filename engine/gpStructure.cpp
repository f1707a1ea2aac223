#include "engine/gpStructure.h"

#include <algorithm>

#include "engine/gpKernel.h"
#include "engine/gpUtils.h"
#include "rtl/Numbers.h"
#include "rtl/Text.h"

#include "rtl/Format.h"

namespace engine {

RTL_REGISTER_CLASS(TGPStructure);

void TGPStructure::DescribeClass(rtl::ClassBuilder<TGPStructure>& c) {
    c.Event("OnGPBeginVibration", &TGPStructure::OnGPBeginVibration)
        .Event("OnGPVibration", &TGPStructure::OnGPVibration)
        .Event("OnGPEndVibration", &TGPStructure::OnGPEndVibration)
        .Event("OnGPSplinterEvent", &TGPStructure::OnGPSplinterEvent)
        .Event("OnGPMove", &TGPStructure::OnGPMove)
        .Event("OnGPSetKind", &TGPStructure::OnGPSetKind)
        .Event("OnDXKeyDown", &TGPStructure::OnDXKeyDown)
        .Event("OnGPMouseDown", &TGPStructure::OnGPMouseDown);
}

void InitVibration(uint8_t on, uint8_t period, int32_t amplitudeX, int32_t amplitudeY, double decX, double decY,
                   int32_t maxSteps, uint8_t mode, TVibration& block) {
    block = TVibration{};
    block.On = on;
    block.Period = period;
    block.AmplitudeX = amplitudeX;
    block.AmplitudeY = amplitudeY;
    block.DecX = decX;
    block.DecY = decY;
    block.MaxSteps = maxSteps;
    block.Mode = mode;
    block.CurX = amplitudeX;
    block.CurY = amplitudeY;
}

namespace {
// A random offset within an amplitude: r or -r for r := Random(a).
int32_t RandomOffset(int32_t a) { return static_cast<int32_t>(RandomSigned(a, 1)); }
}  // namespace

// The handle table ------------------------------------------------------------------------

namespace {

// One slot per live structure; a freed slot bumps its generation before it is reused, so a
// reference to the structure that held it can never name the next one.
class HandleTable {
public:
    uint32_t Acquire(TGPStructure* s) {
        if (freeHead_ != 0) {
            const uint32_t h = freeHead_;
            freeHead_ = slots_[h].NextFree;
            slots_[h].Object = s;
            return h;
        }
        slots_.push_back({s, 0, 0});
        return static_cast<uint32_t>(slots_.size() - 1);
    }
    void Release(uint32_t h) {
        Slot& slot = slots_[h];
        slot.Object = nullptr;
        Bump(slot);
        slot.NextFree = freeHead_;
        freeHead_ = h;
    }
    uint16_t Generation(uint32_t h) const { return slots_[h].Generation; }
    void NextGeneration(uint32_t h) { Bump(slots_[h]); }
    TGPStructure* Find(uint32_t h, uint16_t generation) const {
        if (h == 0 || h >= slots_.size()) return nullptr;
        const Slot& slot = slots_[h];
        return slot.Generation == generation ? slot.Object : nullptr;
    }

private:
    struct Slot {
        TGPStructure* Object;
        uint16_t Generation;
        uint32_t NextFree;
    };
    static void Bump(Slot& slot) {
        slot.Generation = slot.Generation >= 0xFFFE ? 0 : static_cast<uint16_t>(slot.Generation + 1);
    }
    std::vector<Slot> slots_{Slot{nullptr, 0, 0}};  // handle 0 names nothing
    uint32_t freeHead_ = 0;
};

// Never destroyed: the pools of objects of play are statics too, and their objects leave
// the table when they are destroyed, whichever static goes first.
HandleTable& Handles() {
    static auto* table = new HandleTable;
    return *table;
}

}  // namespace

TGPStructure::TGPStructure() : handle_(Handles().Acquire(this)) {}

TGPStructure::~TGPStructure() { Handles().Release(handle_); }

uint16_t TGPStructure::Generation() const { return Handles().Generation(handle_); }

void TGPStructure::NextGeneration() { Handles().NextGeneration(handle_); }

TGPStructure* TGPStructure::FromHandle(uint32_t handle, uint16_t generation) {
    return Handles().Find(handle, generation);
}

// ------------------------------------------------------------------------------------------

void TGPStructure::SetIDClass(int32_t) {}

void TGPStructure::SetOwner(TObject* owner) {
    if (auto* kernel = dynamic_cast<TGPKernel*>(owner))
        Kernel = kernel;
    else if (auto* s = dynamic_cast<TGPStructure*>(owner))
        Kernel = s->Kernel;
    Owner = owner;
}

void TGPStructure::SetKind(int32_t value) {
    if (OnGPSetKind) OnGPSetKind(this, value);
    if (value > 0)
        Kind |= value;
    else if (value < 0)
        Kind &= ~static_cast<int32_t>(-static_cast<int64_t>(value));
}

void TGPStructure::Move(uint8_t, const TRect&, rtl::List<TGPStructure*>*) { VibrationStep(); }

void TGPStructure::VibrationStep() {
    TVibration& v = Vibration;
    if (v.On == 0) return;
    if (v.Counter <= v.Period) {
        ++v.Counter;
        return;
    }
    if (OnGPVibration) OnGPVibration(this);
    v.Counter = 0;
    auto decay = [&v] {
        if (v.CurX - v.DecX > 0) v.CurX -= v.DecX;
        if (v.CurY - v.DecY > 0) v.CurY -= v.DecY;
    };
    auto offsetsFromCurrent = [this, &v] {
        if (VibrationExempt()) return;
        v.OffsetX = RandomOffset(rtl::Round32(v.CurX));
        v.OffsetY = RandomOffset(rtl::Round32(v.CurY));
    };
    switch (v.Mode) {
        case 1:
            if (!VibrationExempt()) {
                v.OffsetX = RandomOffset(v.AmplitudeX);
                v.OffsetY = RandomOffset(v.AmplitudeY);
            }
            break;
        case 2:
            if (v.Steps >= v.MaxSteps) {
                SetParam(100, 0);
                return;
            }
            ++v.Steps;
            decay();
            offsetsFromCurrent();
            break;
        case 3:
            if (!(v.CurX - v.DecX > 0) && !(v.CurY - v.DecY > 0)) {
                SetParam(100, 0);
                return;
            }
            decay();
            offsetsFromCurrent();
            break;
        default:
            break;
    }
}

void TGPStructure::Clear() {
    if (!ChildSprites) return;
    // Each sprite leaves the list before the pool sees it, so the loop ends whatever the
    // pool does; without a kernel it goes to the pool directly rather than nowhere.
    while (!ChildSprites->Empty()) {
        TGPStructure* sprite = ChildSprites->First();
        ChildSprites->Delete(0);
        FreeToPool(Kernel, 1, sprite);
    }
}

void TGPStructure::ValidateRename(TGPStructure* child, const std::string& oldName, const std::string& newName) {
    if (child && !rtl::SameText(oldName, newName) && FindChild(newName)) {
        throw rtl::EComponentError(rtl::Format("A component named %s already exists", {newName}));
    }
}

void TGPStructure::ResetVibration() {
    Vibration.Counter = 0;
    Vibration.OffsetX = 0;
    Vibration.OffsetY = 0;
    Vibration.Steps = 0;
    Vibration.CurX = Vibration.AmplitudeX;
    Vibration.CurY = Vibration.AmplitudeY;
}

void TGPStructure::SetParam(int32_t code, int64_t value) {
    if (code < 100 || code > 111) return;
    SetVibrationParam(code, value);
}

void TGPStructure::SetVibrationParam(int32_t code, int64_t value) {
    TVibration& v = Vibration;
    switch (code) {
        case 100: {
            const uint8_t newOn = static_cast<uint8_t>(value);
            if (OnSwitchVibration) OnSwitchVibration(this, v.On != 0, newOn, v.Count);
            if (v.On != 0 && OnGPEndVibration) OnGPEndVibration(this);
            if (newOn == 0) {
                v.Target = nullptr;
                v.TargetHandle = 0;
            }
            if (newOn != 0 && v.On == 0 && OnGPBeginVibration) OnGPBeginVibration(this);
            v.On = newOn;
            break;
        }
        case 101: v.Period = static_cast<uint8_t>(value); break;
        case 102: v.AmplitudeX = static_cast<int32_t>(value & 255); break;
        case 103: v.AmplitudeY = static_cast<int32_t>(value & 255); break;
        case 104: v.DecX = static_cast<double>(value & 255); break;
        case 105: v.DecY = static_cast<double>(value & 255); break;
        case 106: v.Steps = static_cast<int32_t>(value); break;
        case 107: v.MaxSteps = static_cast<int32_t>(value); break;
        case 108:
            if (value < 0 || value > 255) throw rtl::ERangeError(rtl::texts::SRangeError);
            v.Mode = static_cast<uint8_t>(value);
            break;
        case 109:
            v.Target = reinterpret_cast<TGPStructure*>(static_cast<intptr_t>(value));
            v.TargetHandle = v.Target ? v.Target->Handle() : 0;
            v.TargetGeneration = v.Target ? v.Target->Generation() : 0;
            return;
        case 110: return;
        case 111:
            if (OnSwitchVibration) OnSwitchVibration(this, v.On != 0, static_cast<uint8_t>(value), v.Count);
            v.On = static_cast<uint8_t>(value);
            return;
    }
    ResetVibration();
}

void TGPStructure::Create(TObject* owner, int32_t id) {
    Visible = true;
    IDClass = id;
    SetOwner(owner);
}

void TGPStructure::Show(TObject*) { Visible = true; }
void TGPStructure::Hide() { Visible = false; }
int32_t TGPStructure::ShowMain(TObject*) { return 0; }
void TGPStructure::Draw() {}
void TGPStructure::ValidateContainer(TGPStructure*) {}
void TGPStructure::ValidateInsert(TGPStructure*) {}

void TGPStructure::AddEventBinding(uint8_t kind, int32_t idClass, int32_t eventIndex, uint8_t scope, TNotifyEvent handler) {
    for (const auto& b : bindings_)
        if (b.Kind == kind && b.EventIndex == eventIndex) return;
    TEventBinding b;
    b.Kind = kind;
    b.IDClass = idClass;
    b.EventIndex = eventIndex;
    b.Scope = scope;
    b.Notify = std::move(handler);
    bindings_.push_back(std::move(b));
}

void TGPStructure::AddSplinterBinding(uint8_t kind, int32_t idClass, uint8_t scope, TSplinterEvent handler) {
    for (const auto& b : bindings_)
        if (b.Kind == kind && b.EventIndex == 4) return;
    TEventBinding b;
    b.Kind = kind;
    b.IDClass = idClass;
    b.EventIndex = 4;
    b.Scope = scope;
    b.Splinter = std::move(handler);
    bindings_.push_back(std::move(b));
}

void TGPStructure::BindEvents(uint8_t kind, TGPStructure& target) const {
    if (kind != 2) return;
    for (const auto& b : bindings_) {
        if (b.Scope != 2 && b.IDClass != target.IDClass) continue;
        switch (b.EventIndex) {
            case 1: target.OnGPBeginVibration = b.Notify; break;
            case 2: target.OnGPVibration = b.Notify; break;
            case 3: target.OnGPEndVibration = b.Notify; break;
            case 4: target.OnGPSplinterEvent = b.Splinter; break;
            case 5: target.OnGPMove = b.Notify; break;
            default: break;
        }
    }
}

void TGPStructure::AddInterface(std::unique_ptr<TGPStructure> child) {
    if (!children_) children_ = std::make_unique<rtl::List<TGPStructure*>>();
    children_->Add(child.get());
    ownedChildren_.push_back(std::move(child));
}

void TGPStructure::AttachInterface(std::unique_ptr<TGPStructure> child) {
    child->ValidateContainer(this);
    ValidateRename(child.get(), "", child->Name);
    AddInterface(std::move(child));
}

TGPStructure* TGPStructure::FindChild(const std::string& name) const {
    if (name.empty() || !children_) return nullptr;
    for (TGPStructure* c : *children_)
        if (rtl::CompareText(c->Name, name) == 0) return c;
    return nullptr;
}

std::unique_ptr<TGPStructure> TGPStructure::DetachInterface(TGPStructure* child) {
    auto owned = std::find_if(ownedChildren_.begin(), ownedChildren_.end(), [&](const auto& c) { return c.get() == child; });
    if (owned == ownedChildren_.end()) return nullptr;
    std::unique_ptr<TGPStructure> out = std::move(*owned);
    ownedChildren_.erase(owned);
    children_->Remove(child);
    return out;
}

TGPStructure* TGPStructure::GetChild(int index) const {
    if (!children_) rtl::ListIndexError(index);
    return children_->Items(index);
}

int TListStructure::AddUnique(TGPStructure* sprite) {
    if (Contains(sprite)) return -1;
    const int i = Add(sprite);
    if (OnAdd) OnAdd(sprite, this);
    return i;
}

TGPStructure* LiveVibrationTarget(const TVibration& block) {
    return block.TargetHandle ? TGPStructure::FromHandle(block.TargetHandle, block.TargetGeneration) : nullptr;
}

}  // namespace engine
