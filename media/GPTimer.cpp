#include "media/GPTimer.h"

#include "rtl/Exceptions.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <optional>

namespace media {

namespace {
std::atomic<uint64_t> sharedClock{0};
}

uint64_t SharedClock() { return sharedClock.load(std::memory_order_acquire); }
void PublishSharedClock(uint32_t now) { sharedClock.store(now, std::memory_order_release); }

// Everything the worker touches lives here, so that a worker that outlives its timer
// (a timer destroyed from inside its own tick) still finds valid state.
struct TGPTimer::Shared {
    Shared(platform::clock::Clock& c, platform::window::Dispatcher& d) : clock(c), dispatcher(d), event(c.CreateEvent()) {}

    platform::clock::Clock& clock;
    platform::window::Dispatcher& dispatcher;
    std::unique_ptr<platform::clock::WakeEvent> event;
    platform::window::HandOver handOver;

    std::atomic<bool> terminated{false};
    std::atomic<int> interval{20};
    std::atomic<bool> enabled{false};
    std::atomic<bool> active{true};
    std::atomic<bool> pauseWhenInactive{true};
    std::atomic<bool> hasHandler{false};
    std::atomic<double> frameRate{0.0};
    std::atomic<uint32_t> restarts{0};
    std::atomic<int> priority{tpNormal};
    std::atomic<pid_t> threadId{0};

    mutable std::mutex schedule;  // guards the grid
    uint32_t startTime = 0;
    uint32_t nextTime = 0;

    // Main thread only.
    platform::window::Application* app = nullptr;
    TGPTimer* timer = nullptr;
    bool inTick = false;
};

namespace {
void ApplyPriority(pid_t tid, int priority) {
    if (tid == 0) return;
    // Nice values around the normal 0; raising a priority may be refused, which leaves it normal.
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
    const int p = std::clamp(priority, 0, 6);
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[p]);
}
}  // namespace

TGPTimer::TGPTimer(platform::clock::Clock& clock, platform::window::Dispatcher& dispatcher, platform::window::Application& app)
    : s_(std::make_shared<Shared>(clock, dispatcher)), app_(app) {
    s_->timer = this;
    s_->app = &app;
    hook_ = app_.AddActivateHook([this](bool active) { AppHook(active); });
    thread_ = std::thread(&TGPTimer::Execute, s_);
    SetThreadPriority(tpLower);
}

TGPTimer::~TGPTimer() {
    app_.RemoveActivateHook(hook_);
    s_->enabled = false;
    s_->terminated = true;
    s_->timer = nullptr;
    s_->event->Signal();
    // A worker blocked in the hand-over would wait for a main thread that is busy here.
    s_->dispatcher.Cancel(s_->handOver);
    if (s_->inTick)
        thread_.detach();  // destroyed by its own tick: the worker ends once the tick returns
    else
        thread_.join();
}

int TGPTimer::Interval() const { return s_->interval; }
void TGPTimer::SetInterval(int ms) {
    if (ms == s_->interval) return;
    s_->interval = ms;
    Restart();
}

bool TGPTimer::Enabled() const { return s_->enabled; }
void TGPTimer::SetEnabled(bool value) {
    if (value == s_->enabled) return;
    s_->enabled = value;
    Restart();
}

bool TGPTimer::Active() const { return s_->active; }
void TGPTimer::SetActive(bool value) {
    if (value == s_->active) return;
    s_->active = value;
    Restart();
}

bool TGPTimer::PauseWhenInactive() const { return s_->pauseWhenInactive; }
void TGPTimer::SetPauseWhenInactive(bool value) {
    s_->pauseWhenInactive = value;
    s_->event->Signal();
}

void TGPTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    s_->hasHandler = static_cast<bool>(onTimer_);
    Restart();
}

void TGPTimer::SetThreadPriority(int priority) {
    s_->priority = priority;
    ApplyPriority(s_->threadId, priority);
}

void TGPTimer::Restart() {
    {
        std::lock_guard lock(s_->schedule);
        s_->startTime = s_->clock.Now();
        s_->nextTime = s_->startTime + static_cast<uint32_t>(s_->interval.load());
    }
    ++s_->restarts;
    s_->event->Signal();
}

uint32_t TGPTimer::StartTime() const {
    std::lock_guard lock(s_->schedule);
    return s_->startTime;
}

uint32_t TGPTimer::NextTime() const {
    std::lock_guard lock(s_->schedule);
    return s_->nextTime;
}

double TGPTimer::FrameRate() const { return s_->frameRate; }
uint32_t TGPTimer::Restarts() const { return s_->restarts; }

void TGPTimer::AppHook(bool active) {
    if (!s_->enabled || !s_->pauseWhenInactive) return;
    SetActive(active);
    const TNotifyEvent& handler = Active() ? OnActivate : OnDeactivate;
    if (handler) handler(*this);
}

// On the main thread, while the worker waits.
void TGPTimer::RunTick() {
    if (!onTimer_) return;
    s_->inTick = true;
    auto shared = s_;  // the handler may destroy this timer
    try {
        TNotifyEvent handler = onTimer_;
        handler(*this);
    } catch (...) {
        shared->inTick = false;
        shared->app->HandleException(std::current_exception());
        return;
    }
    shared->inTick = false;
}

void TGPTimer::Execute(std::shared_ptr<Shared> s) {
    s->threadId = static_cast<pid_t>(syscall(SYS_gettid));
    ApplyPriority(s->threadId, s->priority);
    uint32_t count = 0;
    uint32_t rateBase = 0;
    while (!s->terminated) {
        std::optional<uint32_t> wait;
        const bool running = s->enabled && (s->active || !s->pauseWhenInactive) && s->hasHandler;
        if (running) {
            const uint32_t now = s->clock.Now();
            PublishSharedClock(now);
            std::lock_guard lock(s->schedule);
            int32_t remaining = platform::clock::Elapsed(now, s->nextTime);
            if (remaining <= 0) {
                // Far behind: drop the backlog instead of working it off.
                if (static_cast<int64_t>(-static_cast<int64_t>(remaining)) > 10LL * s->interval) s->nextTime = s->clock.Now();
                remaining = 0;
            }
            wait = static_cast<uint32_t>(remaining);
        }
        const auto result = (wait && *wait == 0) ? platform::clock::WaitResult::TimedOut : s->event->Wait(wait);
        if (s->terminated) break;
        if (result == platform::clock::WaitResult::Signalled) continue;  // restart or stop: recompute

        uint32_t scheduled;
        {
            std::lock_guard lock(s->schedule);
            s->nextTime += static_cast<uint32_t>(s->interval.load());
            scheduled = s->nextTime;
        }
        std::weak_ptr<Shared> weak = s;
        const auto handed = s->dispatcher.SendAndWait(
            [weak] {
                if (auto shared = weak.lock())
                    if (shared->timer) shared->timer->RunTick();
            },
            s->handOver);
        if (handed == platform::window::Dispatcher::SendResult::Cancelled) continue;

        ++count;
        const int32_t span = std::max<int32_t>(platform::clock::Elapsed(rateBase, scheduled), 1);
        if (span >= 1000) {
            s->frameRate = count * 1000.0 / span;
            count = 0;
            rateBase = scheduled;
        }
    }
}

}  // namespace media
