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
    if (!IsActive() || Condition != ck_Play || !app.MainFormActive()) {
        LastClock = now;
        clockValid_ = false;  // the first step after a pause adds nothing
        return;
    }
    // A restarted timer grid means time did not run on the grid (a pause of the timer).
    const uint32_t restarts = Timer->Restarts();
    if (clockValid_ && restarts == timerRestarts_) {
        const int32_t elapsed = platform::clock::Elapsed(static_cast<uint32_t>(LastClock), now);
        if (elapsed > 0) TotalTime += elapsed;
    }
    timerRestarts_ = restarts;
    clockValid_ = true;
    LastClock = now;

    const TRect none{};
    // Walk by index: a nation's move may add nations.
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
    auto valid = [](const TAskMove* a) { return a->Asker && a->Target && a->Active; };

    // Still targets: each mover replies once, to the union of what it ran into.
    for (int i = 0; i < used; ++i) {
        TAskMove* a = asks.Get(i);
        if (!valid(a) || IsMoving(a->Target)) continue;
        TRect r = UnionRect(TRect{}, a->Target->BoundsRect());
        obstacles.Clear();
        obstacles.Add(a->Target);
        const bool ball = a->Asker->IDClass >= 62 && a->Asker->IDClass <= 69;
        for (int j = i + 1; j < used; ++j) {
            TAskMove* b = asks.Get(j);
            if (!valid(b) || b->Asker != a->Asker || IsMoving(b->Target)) continue;
            r = UnionRect(r, b->Target->BoundsRect());
            if (ball) b->Target->KilledBy(a->Asker);
            b->Active = false;
        }
        a->Asker->Move(1, r, &obstacles);
        obstacles.Clear();
    }

    // Moving targets: both sides reply once per pair.
    for (int i = 0; i < used; ++i) {
        TAskMove* a = asks.Get(i);
        if (!valid(a) || !IsMoving(a->Target)) continue;
        TGPObject* asker = a->Asker;
        TGPObject* target = a->Target;
        const TRect ra = asker->BoundsRect();
        const TRect rt = target->BoundsRect();
        obstacles.Clear();
        obstacles.Add(target);
        asker->Move(1, rt, &obstacles);
        obstacles.Clear();
        obstacles.Add(asker);
        target->Move(1, ra, &obstacles);
        obstacles.Clear();
        a->Active = false;
        for (int j = i + 1; j < used; ++j) {
            TAskMove* b = asks.Get(j);
            if ((b->Asker == asker && b->Target == target) || (b->Asker == target && b->Target == asker)) b->Active = false;
        }
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
    if (active && !anyInterface && ChildSprites) {
        // A phantom that ends while it draws leaves the list: re-check the place it held.
        for (int i = 0; i < ChildSprites->Count(); ++i) {
            TGPStructure* s = ChildSprites->Items(i);
            if (!s->Visible) continue;
            if (auto* effect = dynamic_cast<TGPEffects*>(s)) effect->DrawOn(this);
            if (i < ChildSprites->Count() && ChildSprites->Items(i) != s) --i;
        }
    }
    if (active && !mainInterface)
        for (TGPStructure* panel : Panels) panel->Draw();
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
    const bool tracking = Mouse ? Mouse->HoverTracking : false;
    if (Mouse) Mouse->HoverTracking = false;
    for (int i = 0; i < ChildCount(); ++i) {
        TGPStructure* child = GetChild(i);
        if (child != FocusForm) child->Draw();
    }
    if (Mouse) Mouse->HoverTracking = tracking;
    FocusForm->Draw();
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
