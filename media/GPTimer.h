// The tick timer: a worker thread keeps time and has the main thread run the tick.
//
// Ticks lie on a fixed grid of `Interval` milliseconds from the last restart. The worker
// sleeps until the next point of the grid, then hands the tick to the main thread through
// the dispatcher and waits until it ran; a late tick is followed at once by the next one
// (catching up tick by tick) until the backlog passes ten intervals, when the grid starts
// again from now. The worker also publishes the millisecond clock that the move step reads
// and counts the ticks per second on the scheduled times.
#pragma once

#include "platform/clock/Clock.h"
#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace media {

// Length of the engine's tick in milliseconds; sprites turn ticks per frame into time with it.
inline constexpr int TickLength = 22;

// The shared millisecond clock: written by the timer's worker at every wake-up while the
// timer runs, read by the kernel's move step. 64 bits with the high half always 0.
uint64_t SharedClock();
void PublishSharedClock(uint32_t now);

enum TThreadPriority : int { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TGPTimer {
public:
    using TNotifyEvent = std::function<void(TGPTimer& sender)>;

    explicit TGPTimer(platform::clock::Clock& clock = platform::clock::Current(),
                      platform::window::Dispatcher& dispatcher = platform::window::MainDispatcher(),
                      platform::window::Application& app = platform::window::App());
    ~TGPTimer();
    TGPTimer(const TGPTimer&) = delete;
    TGPTimer& operator=(const TGPTimer&) = delete;

    int Interval() const;
    void SetInterval(int ms);  // a new value restarts the grid
    bool Enabled() const;
    void SetEnabled(bool value);  // a change restarts the grid, so the worker notices at once
    bool Active() const;
    void SetActive(bool value);  // a change restarts the grid
    bool PauseWhenInactive() const;
    void SetPauseWhenInactive(bool value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);  // nil stops the ticks; always restarts the grid
    void SetThreadPriority(int priority);
    // The grid starts again from now; the worker recomputes its wait.
    void Restart();

    uint32_t StartTime() const;
    uint32_t NextTime() const;
    double FrameRate() const;
    // Counts restarts of the grid; a change tells the owner that time did not run on the grid.
    uint32_t Restarts() const;

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // The application-activation hook: while enabled and pausing when inactive, follows the
    // application's activity and tells the owner.
    void AppHook(bool active);

private:
    struct Shared;
    static void Execute(std::shared_ptr<Shared> s);
    void RunTick();

    std::shared_ptr<Shared> s_;
    platform::window::Application& app_;
    TNotifyEvent onTimer_;
    int hook_ = 0;
    std::thread thread_;
};

}  // namespace media
