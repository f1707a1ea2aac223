// The kernel's tick: input, movement and collisions, forms, the end-of-life countdown,
// drawing, the deferred commands and the sound device's pending settings.
#include "engine/gpKernel.h"

#include "engine/gpEffects.h"
#include "engine/gpInterface.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "media/GPTimer.h"
#include "platform/clock/Clock.h"
#include "platform/window/Application.h"

#include <algorithm>

namespace engine {

namespace {
// The obstacle list of the collision replies, shared so that no tick allocates.
rtl::List<TGPStructure*>& Obstacles() {
    static rtl::List<TGPStructure*> list;
    return list;
}

bool IsMoving(const TGPObject* obj) { return obj->CurrentSlide && obj->CurrentSlide->IDCondition == 4; }
}  // namespace

void TGPKernel::Tick() {
    if (Busy) return;
    try {
        if (DXInput && OnDXKeyDown) {
            TDXInputStates none;
            OnDXKeyDown(this, none);
        }
        MoveAll();
        MoveForms();
        if (Condition == ck_EndLife) {
            if (EndLifeCountdown > 0)
                --EndLifeCountdown;
            else
                FireNewLife();
        }
        if (platform::window::App().Active()) {
            if (FrameSkipCounter == FrameSkip) {
                Draw();
                if (DXDraw) DXDraw->Flip();
                FrameSkipCounter = 0;
            } else {
                ++FrameSkipCounter;
            }
        }
    } catch (...) {
        RunCommands();
        throw;
    }
    RunCommands();
    if (DirectSound) DirectSound->CommitDeferredSettings();
}

void TGPKernel::MoveAll() {
    const auto& app = platform::window::App();
    const uint64_t shared = media::SharedClock();
    if (shared >> 32) throw rtl::ERangeError(rtl::texts::SRangeError);
    const uint32_t now = static_cast<uint32_t>(shared);
    // Play time counts the clock between ticks for every tick that moves the world: the
    // step after a pause, a lost life or the main interface counts its own tick, as it moves
    // the world once. Only the first tick after creation has no tick before it to measure
    // from. When the timer's grid restarted since the last tick (it stopped, or fell so far
    // behind that it gave up catching up), the wall time in between was no play: the step
    // counts one interval at most. A clock that went back counts nothing.
    int32_t elapsed = 0;
    if (clockSeen_) elapsed = std::max(0, platform::clock::Elapsed(static_cast<uint32_t>(LastClock), now));
    const uint32_t restarts = Timer->Restarts();
    if (restarts != timerRestarts_) elapsed = std::min(elapsed, Timer->Interval());
    timerRestarts_ = restarts;
    clockSeen_ = true;
    LastClock = now;
    if (!IsActive() || Condition != ck_Play || !app.MainFormActive()) return;
    TotalTime += elapsed;

    const TRect none{};
    // Walk by index with the bound re-checked: a nation's move may add nations.
    for (int i = 0; i < Nations->Count(); ++i) Nations->Get(i)->Move(0, none, nullptr);
    if (Map) Map->Move(0, none, nullptr);
    ResolveCollisions();
    if (OnGPMove) OnGPMove(this);
}

void TGPKernel::ResolveCollisions() {
    TListAskMove& asks = *AskMoveList;
    const int used = asks.UsedCount();
    if (used == 0) return;
    auto& obstacles = Obstacles();
    // A request counts while both sides are still the objects it named: a reply earlier in
    // this pass may have sent either back to its pool (and the pool may have handed it out).
    auto valid = [](const TAskMove* a) {
        return a->Asker && a->Target && a->Active && a->Asker->Generation() == a->AskerGeneration &&
               a->Target->Generation() == a->TargetGeneration;
    };
    TStackObject::Walk guard;  // the requests hold the objects' addresses
    try {
        // Still targets: each mover replies once, to the union of what it ran into.
        for (int i = 0; i < used; ++i) {
            TAskMove* a = asks.Get(i);
            if (!valid(a) || IsMoving(a->Target)) continue;
            TRect r = UnionRect(TRect{}, a->Target->GetRect());
            obstacles.Clear();
            obstacles.Add(a->Target);
            const bool ball = IsBallClass(a->Asker->IDClass);
            for (int j = i + 1; j < used; ++j) {
                TAskMove* b = asks.Get(j);
                if (!valid(b) || b->Asker != a->Asker || IsMoving(b->Target)) continue;
                r = UnionRect(r, b->Target->GetRect());
                b->Active = false;
                if (ball) b->Target->KilledBy(a->Asker);
                if (!valid(a)) break;  // the mover itself went
            }
            if (valid(a)) a->Asker->Move(1, r, &obstacles);
            obstacles.Clear();
        }

        // Moving targets: both sides reply once per pair.
        for (int i = 0; i < used; ++i) {
            TAskMove* a = asks.Get(i);
            if (!valid(a) || !IsMoving(a->Target)) continue;
            TGPObject* asker = a->Asker;
            TGPObject* target = a->Target;
            const TRect ra = asker->GetRect();
            const TRect rt = target->GetRect();
            a->Active = false;
            for (int j = i + 1; j < used; ++j) {
                TAskMove* b = asks.Get(j);
                if ((b->Asker == asker && b->Target == target) || (b->Asker == target && b->Target == asker))
                    b->Active = false;
            }
            const uint16_t askerGeneration = a->AskerGeneration, targetGeneration = a->TargetGeneration;
            obstacles.Clear();
            obstacles.Add(target);
            asker->Move(1, rt, &obstacles);
            obstacles.Clear();
            if (target->Generation() == targetGeneration && asker->Generation() == askerGeneration) {
                obstacles.Add(asker);
                target->Move(1, ra, &obstacles);
            }
            obstacles.Clear();
        }
    } catch (...) {
        // A reply that raises leaves no request in use for the next tick.
        obstacles.Clear();
        asks.ResetAll();
        throw;
    }
    asks.ResetAll();
}

void TGPKernel::MoveForms() {
    if (Condition != ck_Interface && Condition != ck_MainInterface) return;
    const TRect none{};
    for (int i = 0; i < ChildCount(); ++i) {
        TGPStructure* child = GetChild(i);
        if (child->Visible && dynamic_cast<TGPForm*>(child)) child->Move(0, none, nullptr);
    }
}

void TGPKernel::Draw() {
    const bool active = IsActive();
    const bool mainInterface = Condition == ck_MainInterface;
    const bool anyInterface = Condition == ck_Interface || mainInterface;
    if (active && !mainInterface) {
        if (Map) Map->Draw();
        DrawNations();
    }
    if (active && !anyInterface) DrawChildSprites(*this, this, true);
    if (active && !mainInterface) {
        // The widgets without a parent; a panel draws its own. A handler may change the list.
        for (size_t i = 0; i < Panels.size(); ++i) {
            auto* widget = dynamic_cast<TGPInterface*>(Panels[i].get());
            if (widget && !widget->ParentWidget()) widget->Draw();
        }
    }
    if (active && anyInterface) DrawForms();
    if (Mouse) Mouse->Draw();
    if (OnDraw) OnDraw(this);
}

void TGPKernel::DrawNations() {
    if (Condition == ck_Interface) {
        if (Nations->Count() >= 2) Nations->Get(0)->Draw();
        return;
    }
    for (int i = 0; i < Nations->Count(); ++i) Nations->Get(i)->Draw();
}

void TGPKernel::DrawForms() {
    auto* focus = dynamic_cast<TGPForm*>(FocusForm);
    if (!focus || typeid(*focus) != typeid(TGPForm)) return;
    // The forms behind the focused one take no hover.
    const bool tracking = Mouse ? Mouse->HoverTracking : false;
    if (Mouse) Mouse->HoverTracking = false;
    DrawingForms = true;
    try {
        for (int i = 0; i < ChildCount(); ++i) {
            TGPStructure* child = GetChild(i);
            if (child != FocusForm) child->Draw();
        }
    } catch (...) {
        DrawingForms = false;
        if (Mouse) Mouse->HoverTracking = tracking;
        throw;
    }
    DrawingForms = false;
    if (Mouse) Mouse->HoverTracking = tracking;
    focus->Draw();
    // The cursor takes the kind the hovered widget asks for.
    if (Mouse)
        if (auto* hovered = dynamic_cast<TGPInterface*>(Mouse->Hovered); hovered && hovered->Cursor != -1)
            SetMouseKind(hovered->Cursor);
}

void TGPKernel::RunCommands() {
    TExecuteLine& line = *CommandLine;
    if (!line.BeginNested()) return;
    try {
        line.Rewind();
        while (!line.AtEnd()) Executor->Execute(line.Next());
    } catch (...) {
        line.Clear();
        line.EndNested();
        throw;
    }
    line.Clear();
    line.EndNested();
}

}  // namespace engine
