#include "platform/clock/Clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform::clock {

namespace {

class SteadyEvent final : public WakeEvent {
public:
    void Signal() override {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_one();
    }

    WaitResult Wait(std::optional<uint32_t> timeoutMs) override {
        std::unique_lock lock(mutex_);
        auto ready = [this] { return signalled_; };
        if (timeoutMs) {
            if (!cv_.wait_for(lock, std::chrono::milliseconds(*timeoutMs), ready)) return WaitResult::TimedOut;
        } else {
            cv_.wait(lock, ready);
        }
        signalled_ = false;
        return WaitResult::Signalled;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

const auto kStart = std::chrono::steady_clock::now();
std::atomic<Clock*> installed{nullptr};

}  // namespace

uint32_t SteadyClock::Now() const {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - kStart).count();
    return static_cast<uint32_t>(ms);  // wraps like the system's millisecond counter
}

std::unique_ptr<WakeEvent> SteadyClock::CreateEvent() { return std::make_unique<SteadyEvent>(); }

Clock& Current() {
    static SteadyClock steady;
    Clock* c = installed.load(std::memory_order_acquire);
    return c ? *c : steady;
}

void Install(Clock* clock) { installed.store(clock, std::memory_order_release); }

}  // namespace platform::clock
