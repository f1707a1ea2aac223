// The kernel ticking from its timer thread on a virtual clock, the test playing the main thread.
#include "engine/gpKernel.h"
#include "media/GPTimer.h"
#include "platform/clock/VirtualClock.h"
#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace engine;
namespace pc = platform::clock;
namespace pw = platform::window;

namespace {

class NullDisplay : public TKernelDisplay {
public:
    void Flip() override { ++flips; }
    int32_t SurfaceWidth() const override { return 800; }
    int32_t SurfaceHeight() const override { return 600; }
    int flips = 0;
};

class KernelTimerTest : public ::testing::Test {
protected:
    KernelTimerTest() : clock(5000) {
        pc::Install(&clock);
        pw::App().SetActive(true);
        kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
    }
    ~KernelTimerTest() override {
        kernel.reset();
        pc::Install(nullptr);
    }
    // Runs the ticks the timer hands over until its worker sleeps on the clock again.
    int Pump() {
        int n = 0;
        for (;;) {
            while (clock.Sleepers() == 0 && pw::MainDispatcher().Pending() == 0) std::this_thread::yield();
            if (pw::MainDispatcher().Pending() == 0) return n;
            n += pw::MainDispatcher().PumpAll();
        }
    }

    pc::VirtualClock clock;
    NullDisplay display;
    std::unique_ptr<TGPKernel> kernel;
};

}  // namespace

TEST_F(KernelTimerTest, StartedKernelTicksOnTheGridAndCountsPlayTime) {
    EXPECT_EQ(kernel->Timer->Interval(), 22);
    EXPECT_FALSE(kernel->Timer->Enabled());
    kernel->Start();
    ASSERT_TRUE(clock.WaitForSleepers(1));
    for (int i = 0; i < 5; ++i) {
        clock.Advance(22);
        ASSERT_EQ(Pump(), 1);
    }
    EXPECT_EQ(display.flips, 5);
    EXPECT_EQ(kernel->TotalTime, 4 * 22);  // the first step only takes the clock
}

TEST_F(KernelTimerTest, PausedApplicationGetsNoTicksAndNoPlayTime) {
    kernel->Start();
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(22);
    Pump();
    clock.Advance(22);
    Pump();
    const int64_t before = kernel->TotalTime;
    pw::App().SetActive(false);
    ASSERT_TRUE(clock.WaitForSleepers(1));  // the worker took the pause in
    clock.Advance(60000);
    EXPECT_EQ(Pump(), 0);
    pw::App().SetActive(true);
    ASSERT_TRUE(clock.WaitForSleepers(1));  // the worker took the restarted grid in
    clock.Advance(22);
    EXPECT_EQ(Pump(), 1);
    // The minute of pause is not play time; the tick after it is, like any other.
    EXPECT_EQ(kernel->TotalTime, before + 22);
    clock.Advance(22);
    Pump();
    EXPECT_EQ(kernel->TotalTime, before + 44);
}

TEST_F(KernelTimerTest, AFailingTickIsReportedAndTheNextOneRuns) {
    int reported = 0, moves = 0;
    pw::App().SetExceptionHandler([&](std::exception_ptr) { ++reported; });
    kernel->OnGPMove = [&](TObject*) {
        if (++moves == 1) throw std::runtime_error("first move fails");
    };
    kernel->Start();
    ASSERT_TRUE(clock.WaitForSleepers(1));
    clock.Advance(22);
    Pump();
    clock.Advance(22);
    Pump();
    pw::App().SetExceptionHandler(nullptr);
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(reported, 1);
}
