// The hand-over between a worker thread and the main thread.
#include "platform/clock/VirtualClock.h"
#include "platform/window/Dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace pw = platform::window;
namespace pc = platform::clock;

TEST(HandOver, WorkerBlocksUntilTheMainThreadRanItsJob) {
    pw::Dispatcher d;
    pw::HandOver channel;
    int value = 0;  // touched by the main thread only while the worker waits
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_EQ(d.SendAndWait([&] { value = 42; }, channel), pw::Dispatcher::SendResult::Ran);
        EXPECT_EQ(value, 42);
        returned = true;
    });
    ASSERT_TRUE(d.PumpOne());
    worker.join();
    EXPECT_TRUE(returned);
}

TEST(HandOver, FailureOfTheJobIsPassedToTheSender) {
    pw::Dispatcher d;
    pw::HandOver channel;
    std::thread worker([&] {
        EXPECT_THROW(d.SendAndWait([] { throw std::runtime_error("x"); }, channel), std::runtime_error);
    });
    ASSERT_TRUE(d.PumpOne());
    worker.join();
}

TEST(HandOver, CancelReleasesAWaitingWorkerWithoutPumping) {
    pw::Dispatcher d;
    pw::HandOver channel;
    std::atomic<int> ran{0};
    std::thread worker([&] {
        EXPECT_EQ(d.SendAndWait([&] { ++ran; }, channel), pw::Dispatcher::SendResult::Cancelled);
    });
    while (d.Pending() == 0) std::this_thread::yield();
    d.Cancel(channel);
    worker.join();
    EXPECT_EQ(d.Pending(), 0u);
    EXPECT_EQ(ran, 0);
}

TEST(VirtualClockThreads, SleepersWakeOnlyWhenTimeReachesTheirDueTime) {
    pc::VirtualClock clock(1000);
    auto event = clock.CreateEvent();
    std::atomic<int> woke{0};
    std::thread sleeper([&] {
        EXPECT_EQ(event->Wait(50), pc::WaitResult::TimedOut);
        woke = 1;
        EXPECT_EQ(event->Wait(std::nullopt), pc::WaitResult::Signalled);
        woke = 2;
    });
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(49);
    ASSERT_TRUE(clock.WaitForSleepers(1));  // still asleep: one millisecond short
    EXPECT_EQ(woke, 0);
    clock.Advance(1);
    ASSERT_TRUE(clock.WaitForSleepers(1));  // now in the wait without time-out
    EXPECT_EQ(woke, 1);
    clock.Advance(1000000);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    event->Signal();
    sleeper.join();
    EXPECT_EQ(woke, 2);
}
