// A clock that moves only when told to, for tests of code that keeps time.
//
// Waits on its events return when signalled or when Advance() moves time past their due
// time. WaitForSleepers(n) blocks until n threads sit in such a wait that is not yet
// satisfied, which lets a test hand over control to a timer thread deterministically.
#pragma once

#include "platform/clock/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::clock {

class VirtualClock final : public Clock {
public:
    explicit VirtualClock(uint32_t start = 0) : now_(start) {}

    uint32_t Now() const override;
    std::unique_ptr<WakeEvent> CreateEvent() override;

    void Advance(uint32_t ms);
    void Set(uint32_t value);
    // Blocks until at least `count` threads are asleep in a wait of this clock.
    // Returns false when that did not happen within `guardMs` real milliseconds (a hang guard).
    bool WaitForSleepers(int count, int guardMs = 10000);
    int Sleepers() const;

private:
    class Event;
    struct Sleeper {
        const bool* signalled;
        uint32_t start;
        std::optional<uint32_t> timeout;
    };
    bool Asleep(const Sleeper& s) const;
    int CountSleepers() const;  // under mutex_

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t now_;
    std::vector<const Sleeper*> sleepers_;
};

}  // namespace platform::clock
