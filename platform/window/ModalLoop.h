// The modal loop of a dialog and the timers dialogs run on.
//
// A modal loop turns the one event pump (so events keep their routes by window, and the game
// window's ticks, which the timer thread hands to the main dispatcher, keep running unless
// the game paused its timer) and fires the dialogs' timers on the game's clock
// (platform/clock). Between turns it waits for the window system, queued work or the next
// timer; on a virtual clock it moves the clock to the next timer instead, so a headless run
// with a script of timed input never waits for real time.
//
// One turn of it (PumpOnce) is also the routine a library that blocks may call while it
// waits: the internet library's message pump. A timer's handler may itself wait in such a
// library: the turns it makes fire the other timers, and the same timer again once its
// interval passed, as the window system's timers do.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform::window {

class EventPump;

class DialogTimer {
public:
    using Handler = std::function<void()>;

    DialogTimer();
    ~DialogTimer();
    DialogTimer(const DialogTimer&) = delete;
    DialogTimer& operator=(const DialogTimer&) = delete;

    // Setting the interval or enabling starts the interval anew from now.
    void SetInterval(uint32_t ms);
    uint32_t Interval() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    // A timer without a handler does not fire.
    void SetOnTimer(Handler handler);
    bool HasHandler() const;

    struct State;

private:
    std::shared_ptr<State> s_;
};

// Fires every enabled timer whose time has come, once each, the most overdue first; answers
// how many fired. Each timer's next time is set before its handler runs. A handler's failure
// goes to the application's exception handler. Main thread only.
int RunDueTimers();
// Milliseconds until the next timer is due (0: one is due now); -1 when no timer is enabled.
int32_t NextTimerDue();

// Runs `action` once, `delayMs` of the clock from now: timed, scripted input of headless runs.
void After(uint32_t delayMs, std::function<void()> action);

// One turn: routes the events queued now, runs the dispatcher's work and the due timers;
// answers how much ran.
int PumpOnce(EventPump& pump);
// The same in the form of the internet library's pump routine; context is the EventPump,
// or nullptr for the main pump.
void PumpMessages(void* context);

// Turns until `done` answers true, or the application is asked to terminate or the pump to
// quit (the caller then treats the dialog as cancelled).
void RunModal(const std::function<bool()>& done, EventPump& pump);

}  // namespace platform::window
