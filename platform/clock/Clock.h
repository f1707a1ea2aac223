// The millisecond clock of the game: a 32-bit steady count that wraps after 49.7 days.
//
// Every difference between two readings goes through Elapsed(), a signed 32-bit difference,
// so intervals stay right across the wrap. Threads that wait for a due time wait through the
// clock's own WakeEvent, so a test can replace the whole notion of time with a VirtualClock
// and drive a timer thread without sleeping.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace platform::clock {

// Signed distance from `from` to `to`, right as long as the two lie less than 2^31 ms apart.
constexpr int32_t Elapsed(uint32_t from, uint32_t to) noexcept {
    return static_cast<int32_t>(to - from);
}

enum class WaitResult { Signalled, TimedOut };

// An auto-reset event: Signal() lets exactly one Wait() return Signalled (or the next one,
// when nobody waits yet). Created by a clock, whose notion of time the time-outs use.
class WakeEvent {
public:
    virtual ~WakeEvent() = default;
    virtual void Signal() = 0;
    // Waits until signalled or until `timeoutMs` of this clock's time passed;
    // no time-out waits until signalled.
    virtual WaitResult Wait(std::optional<uint32_t> timeoutMs) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Now() const = 0;
    virtual std::unique_ptr<WakeEvent> CreateEvent() = 0;
};

// The process's steady clock, counted from an arbitrary start.
class SteadyClock final : public Clock {
public:
    uint32_t Now() const override;
    std::unique_ptr<WakeEvent> CreateEvent() override;
};

// The clock the game reads. The steady clock unless a test installed another one;
// the installed clock must outlive every user.
Clock& Current();
void Install(Clock* clock);  // nullptr goes back to the steady clock

// Now() of the current clock: the system tick count of the game.
inline uint32_t TickCount() { return Current().Now(); }

}  // namespace platform::clock
