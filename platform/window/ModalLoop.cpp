#include "platform/window/ModalLoop.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/clock/VirtualClock.h"
#include "platform/window/Application.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"

namespace platform::window {

struct DialogTimer::State {
    uint32_t Interval = 1000;
    bool Enabled = false;
    bool OneShot = false;
    uint32_t Due = 0;
    std::shared_ptr<Handler> OnTimer;
};

namespace {

using State = DialogTimer::State;

// Every live timer (main thread). One-shot timers are owned here until they fire.
struct Timers {
    std::vector<std::weak_ptr<State>> all;
    std::vector<std::shared_ptr<State>> oneShots;
};
Timers& TheTimers() {
    static Timers timers;
    return timers;
}

uint32_t Now() { return clock::TickCount(); }

void Restart(State& s) { s.Due = Now() + s.Interval; }

bool Armed(const State& s) { return s.Enabled && s.OnTimer && *s.OnTimer; }

std::vector<std::shared_ptr<State>> LiveTimers() {
    Timers& t = TheTimers();
    std::erase_if(t.all, [](const std::weak_ptr<State>& w) { return w.expired(); });
    std::vector<std::shared_ptr<State>> live;
    for (const auto& w : t.all)
        if (auto s = w.lock()) live.push_back(std::move(s));
    return live;
}

}  // namespace

DialogTimer::DialogTimer() : s_(std::make_shared<State>()) { TheTimers().all.push_back(s_); }

DialogTimer::~DialogTimer() { s_->Enabled = false; }

void DialogTimer::SetInterval(uint32_t ms) {
    s_->Interval = ms;
    Restart(*s_);
}

uint32_t DialogTimer::Interval() const { return s_->Interval; }

void DialogTimer::SetEnabled(bool enabled) {
    if (enabled && !s_->Enabled) Restart(*s_);
    s_->Enabled = enabled;
}

bool DialogTimer::Enabled() const { return s_->Enabled; }

void DialogTimer::SetOnTimer(Handler handler) {
    s_->OnTimer = handler ? std::make_shared<Handler>(std::move(handler)) : nullptr;
}

bool DialogTimer::HasHandler() const { return s_->OnTimer != nullptr; }

int RunDueTimers() {
    const uint32_t now = Now();
    std::vector<std::shared_ptr<State>> due;
    for (auto& s : LiveTimers())
        if (Armed(*s) && clock::Elapsed(s->Due, now) >= 0) due.push_back(std::move(s));
    std::stable_sort(due.begin(), due.end(), [now](const auto& a, const auto& b) {
        return clock::Elapsed(a->Due, now) > clock::Elapsed(b->Due, now);
    });
    int fired = 0;
    for (const auto& s : due) {
        // An earlier handler may have stopped or restarted this one.
        if (!Armed(*s) || clock::Elapsed(s->Due, now) < 0) continue;
        Restart(*s);
        if (s->OneShot) {
            s->Enabled = false;
            std::erase(TheTimers().oneShots, s);
        }
        const std::shared_ptr<DialogTimer::Handler> handler = s->OnTimer;  // kept while it runs
        ++fired;
        try {
            (*handler)();
        } catch (...) {
            App().HandleException(std::current_exception());
        }
    }
    return fired;
}

int32_t NextTimerDue() {
    const uint32_t now = Now();
    int32_t next = -1;
    for (const auto& s : LiveTimers())
        if (Armed(*s)) {
            const int32_t wait = std::max(0, clock::Elapsed(now, s->Due));
            next = next < 0 ? wait : std::min(next, wait);
        }
    return next;
}

void After(uint32_t delayMs, std::function<void()> action) {
    auto s = std::make_shared<State>();
    s->Interval = delayMs;
    s->OneShot = true;
    s->Enabled = true;
    s->OnTimer = std::make_shared<DialogTimer::Handler>(std::move(action));
    Restart(*s);
    TheTimers().all.push_back(s);
    TheTimers().oneShots.push_back(std::move(s));
}

int PumpOnce(EventPump& pump) { return pump.PumpPending() + RunDueTimers(); }

void PumpMessages(void* context) { PumpOnce(context ? *static_cast<EventPump*>(context) : MainPump()); }

void RunModal(const std::function<bool()>& done, EventPump& pump) {
    auto over = [&] { return done() || pump.QuitRequested() || TerminateRequested(); };
    while (!over()) {
        if (PumpOnce(pump) > 0) continue;
        if (over()) break;
        const int32_t due = NextTimerDue();
        if (auto* virtualClock = dynamic_cast<clock::VirtualClock*>(&clock::Current())) {
            // Nothing else happens on a virtual clock until it is moved: on to the next timer.
            if (due > 0)
                virtualClock->Advance(uint32_t(due));
            else if (due < 0)
                pump.WaitAndPump(-1);
        } else {
            pump.WaitAndPump(due);
        }
    }
}

}  // namespace platform::window
