#include "platform/clock/VirtualClock.h"

#include <chrono>

namespace platform::clock {

class VirtualClock::Event final : public WakeEvent {
public:
    explicit Event(VirtualClock& clock) : clock_(clock) {}

    void Signal() override {
        {
            std::lock_guard lock(clock_.mutex_);
            signalled_ = true;
        }
        clock_.changed_.notify_all();
    }

    WaitResult Wait(std::optional<uint32_t> timeoutMs) override {
        std::unique_lock lock(clock_.mutex_);
        const Sleeper self{&signalled_, clock_.now_, timeoutMs};
        clock_.sleepers_.push_back(&self);
        clock_.changed_.notify_all();
        clock_.changed_.wait(lock, [&] { return !clock_.Asleep(self); });
        std::erase(clock_.sleepers_, &self);
        if (signalled_) {
            signalled_ = false;
            return WaitResult::Signalled;
        }
        return WaitResult::TimedOut;
    }

private:
    VirtualClock& clock_;
    bool signalled_ = false;
};

uint32_t VirtualClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::unique_ptr<WakeEvent> VirtualClock::CreateEvent() { return std::make_unique<Event>(*this); }

void VirtualClock::Advance(uint32_t ms) {
    {
        std::lock_guard lock(mutex_);
        now_ += ms;
    }
    changed_.notify_all();
}

void VirtualClock::Set(uint32_t value) {
    {
        std::lock_guard lock(mutex_);
        now_ = value;
    }
    changed_.notify_all();
}

bool VirtualClock::Asleep(const Sleeper& s) const {
    if (*s.signalled) return false;
    return !s.timeout || Elapsed(s.start, now_) < static_cast<int32_t>(*s.timeout);
}

int VirtualClock::CountSleepers() const {
    int n = 0;
    for (const Sleeper* s : sleepers_) n += Asleep(*s) ? 1 : 0;
    return n;
}

bool VirtualClock::WaitForSleepers(int count, int guardMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(guardMs), [&] { return CountSleepers() >= count; });
}

int VirtualClock::Sleepers() const {
    std::lock_guard lock(mutex_);
    return CountSleepers();
}

}  // namespace platform::clock
