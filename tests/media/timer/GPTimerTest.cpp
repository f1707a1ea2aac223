// The tick timer under a virtual clock: the worker thread sleeps on the clock's time,
// the test plays the main thread and pumps the hand-over queue.
#include "media/GPTimer.h"

#include "platform/clock/VirtualClock.h"
#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pc = platform::clock;
namespace pw = platform::window;
using media::TGPTimer;

namespace {

class TimerTest : public ::testing::Test {
protected:
    explicit TimerTest(uint32_t start = 1000) : clock(start) {}

    void StartTicking(int interval = 22) {
        timer->SetInterval(interval);
        timer->SetOnTimer([this](TGPTimer& t) {
            ticks.push_back(clock.Now());
            scheduled.push_back(t.NextTime());
        });
        timer->SetEnabled(true);
        ASSERT_TRUE(clock.WaitForSleepers(1));
    }
    // Runs every tick the worker hands over until it sleeps again; answers how many ran.
    int PumpTicks() {
        // The worker either sleeps on the clock (stable until the test moves time) or
        // waits in the hand-over; anything in between passes quickly.
        int n = 0;
        for (;;) {
            while (clock.Sleepers() == 0 && dispatcher.Pending() == 0) std::this_thread::yield();
            if (dispatcher.Pending() > 0) {
                n += dispatcher.PumpAll();
                continue;
            }
            return n;
        }
    }

    pc::VirtualClock clock;
    pw::Dispatcher dispatcher;
    pw::Application app;
    std::unique_ptr<TGPTimer> timer = std::make_unique<TGPTimer>(clock, dispatcher, app);
    std::vector<uint32_t> ticks;
    std::vector<uint32_t> scheduled;
};

class WrappingTimerTest : public TimerTest {
protected:
    WrappingTimerTest() : TimerTest(0xFFFFFFF0u) {}
};

class ZeroTimerTest : public TimerTest {
protected:
    ZeroTimerTest() : TimerTest(0) {}
};

}  // namespace

TEST_F(TimerTest, TicksLieOnTheGridFromTheRestart) {
    EXPECT_EQ(timer->Interval(), 20);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_TRUE(timer->Active());
    StartTicking();
    EXPECT_EQ(timer->NextTime(), 1022u);
    clock.Advance(21);
    EXPECT_EQ(PumpTicks(), 0);
    clock.Advance(1);
    EXPECT_EQ(PumpTicks(), 1);
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
    EXPECT_EQ(ticks, (std::vector<uint32_t>{1022, 1044}));
    EXPECT_EQ(scheduled, (std::vector<uint32_t>{1044, 1066}));
    EXPECT_EQ(media::SharedClock(), 1044u);
}

TEST_F(TimerTest, LateTicksCatchUpOneByOneAndAFarBacklogRestartsTheGrid) {
    StartTicking();
    clock.Advance(100);  // 1100: the ticks due at 1022, 1044, 1066 and 1088 run back to back
    EXPECT_EQ(PumpTicks(), 4);
    EXPECT_EQ(timer->NextTime(), 1110u);
    clock.Advance(300);  // 1400: more than ten intervals behind
    EXPECT_EQ(PumpTicks(), 2);    // the tick that woke, then one on a grid restarted at now
    EXPECT_EQ(timer->NextTime(), 1400u + 22u);
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
}

TEST_F(TimerTest, SettingTheSameIntervalKeepsTheGrid) {
    StartTicking();
    clock.Advance(10);
    const uint32_t restarts = timer->Restarts();
    timer->SetInterval(22);
    EXPECT_EQ(timer->Restarts(), restarts);
    EXPECT_EQ(timer->NextTime(), 1022u);
    timer->SetInterval(30);
    EXPECT_EQ(timer->NextTime(), 1040u);
    EXPECT_GT(timer->Restarts(), restarts);
}

TEST_F(WrappingTimerTest, TickingSurvivesTheWrapOfTheMillisecondCount) {
    StartTicking();
    for (int i = 0; i < 3; ++i) {
        clock.Advance(22);
        EXPECT_EQ(PumpTicks(), 1);
    }
    EXPECT_EQ(ticks, (std::vector<uint32_t>{0x6u, 0x1Cu, 0x32u}));
}

TEST_F(TimerTest, DeactivationStopsTheTicksAndReactivationRestartsFromNow) {
    int activated = 0, deactivated = 0;
    timer->OnActivate = [&](TGPTimer&) { ++activated; };
    timer->OnDeactivate = [&](TGPTimer&) { ++deactivated; };
    StartTicking();
    app.SetActive(false);
    EXPECT_FALSE(timer->Active());
    EXPECT_EQ(deactivated, 1);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(5000);
    EXPECT_EQ(PumpTicks(), 0);
    app.SetActive(true);
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(timer->NextTime(), 6022u);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
    EXPECT_EQ(ticks, (std::vector<uint32_t>{6022}));
}

TEST_F(TimerTest, ActivationIsIgnoredWhileDisabledOrNotPausing) {
    int heard = 0;
    timer->OnDeactivate = [&](TGPTimer&) { ++heard; };
    app.SetActive(false);  // disabled: ignored
    EXPECT_TRUE(timer->Active());
    StartTicking();
    timer->SetPauseWhenInactive(false);
    app.SetActive(false);
    EXPECT_TRUE(timer->Active());
    EXPECT_EQ(heard, 0);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
}

TEST_F(TimerTest, AFailingTickReachesTheExceptionHandlerAndTickingGoesOn) {
    std::vector<std::string> reported;
    app.SetExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const rtl::Exception& x) {
            reported.push_back(x.className());
        }
    });
    int calls = 0;
    timer->SetInterval(22);
    timer->SetOnTimer([&](TGPTimer&) {
        if (++calls == 1) throw rtl::ERangeError("tick failed");
    });
    timer->SetEnabled(true);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
    clock.Advance(22);
    EXPECT_EQ(PumpTicks(), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(reported, (std::vector<std::string>{"ERangeError"}));
}

TEST_F(TimerTest, WithoutAHandlerNothingTicksAndTheClockIsNotPublished) {
    media::PublishSharedClock(7);
    timer->SetEnabled(true);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(500);
    EXPECT_EQ(PumpTicks(), 0);
    EXPECT_EQ(media::SharedClock(), 7u);
    timer->SetOnTimer([](TGPTimer&) {});
    ASSERT_TRUE(clock.WaitForSleepers(1));
    EXPECT_EQ(media::SharedClock(), 1500u);
    timer->SetOnTimer(nullptr);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(500);
    EXPECT_EQ(PumpTicks(), 0);
}

TEST_F(ZeroTimerTest, FrameRateIsCountedOnTheScheduledTimes) {
    StartTicking(20);
    for (int i = 0; i < 48; ++i) {
        clock.Advance(20);
        ASSERT_EQ(PumpTicks(), 1);
    }
    EXPECT_EQ(timer->FrameRate(), 0.0);  // 980 ms scheduled so far
    clock.Advance(20);
    ASSERT_EQ(PumpTicks(), 1);
    EXPECT_DOUBLE_EQ(timer->FrameRate(), 49.0);
}

TEST_F(TimerTest, DestroyingTheTimerWhileItsTickWaitsForTheMainThreadDoesNotHang) {
    StartTicking();
    clock.Advance(22);
    while (dispatcher.Pending() == 0) std::this_thread::yield();
    timer.reset();  // cancels the hand-over, then joins the worker
    EXPECT_EQ(dispatcher.Pending(), 0u);
    EXPECT_TRUE(ticks.empty());
}
