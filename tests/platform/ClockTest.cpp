#include "platform/clock/Clock.h"
#include "platform/clock/VirtualClock.h"

#include <gtest/gtest.h>

namespace pc = platform::clock;

TEST(Clock, DifferencesSurviveTheWrap) {
    EXPECT_EQ(pc::Elapsed(0xFFFFFFF0u, 0x10u), 0x20);
    EXPECT_EQ(pc::Elapsed(0x10u, 0xFFFFFFF0u), -0x20);
    EXPECT_EQ(pc::Elapsed(100u, 100u), 0);
    EXPECT_EQ(pc::Elapsed(0u, 0x7FFFFFFFu), 0x7FFFFFFF);
}

TEST(Clock, InstalledClockReplacesTheSteadyOneUntilRemoved) {
    pc::VirtualClock virt(0xFFFFFFFEu);
    pc::Install(&virt);
    EXPECT_EQ(pc::TickCount(), 0xFFFFFFFEu);
    virt.Advance(3);
    EXPECT_EQ(pc::TickCount(), 1u);
    pc::Install(nullptr);
    EXPECT_EQ(&pc::Current(), &pc::Current());
    EXPECT_EQ(dynamic_cast<pc::VirtualClock*>(&pc::Current()), nullptr);
}

TEST(Clock, EventsAreAutoResetAndKeepAnEarlySignal) {
    pc::SteadyClock steady;
    auto event = steady.CreateEvent();
    event->Signal();
    EXPECT_EQ(event->Wait(std::nullopt), pc::WaitResult::Signalled);
    EXPECT_EQ(event->Wait(0), pc::WaitResult::TimedOut);

    pc::VirtualClock virt;
    auto vevent = virt.CreateEvent();
    vevent->Signal();
    EXPECT_EQ(vevent->Wait(5), pc::WaitResult::Signalled);
    EXPECT_EQ(vevent->Wait(0), pc::WaitResult::TimedOut);  // already due, no signal left
    EXPECT_EQ(virt.Sleepers(), 0);
}
