// Dialog timers on the game's clock, the pump turn a waiting library makes, and the modal
// loop on a virtual clock.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock/VirtualClock.h"
#include "platform/window/EventPump.h"
#include "platform/window/ModalLoop.h"
#include "platform/window/Terminate.h"

namespace pw = platform::window;
namespace pc = platform::clock;

namespace {

struct Fixture {
    pc::VirtualClock clock{1000};
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    std::vector<std::string> fired;
    Fixture() { pc::Install(&clock); }
    ~Fixture() {
        pc::Install(nullptr);
        pw::ClearTerminateRequest();
    }
    void Arm(pw::DialogTimer& timer, uint32_t interval, std::string name) {
        timer.SetInterval(interval);
        timer.SetOnTimer([this, name] { fired.push_back(name); });
        timer.SetEnabled(true);
    }
};

}  // namespace

TEST(DialogTimers, FireWhenDueTheMostOverdueFirstAndThenEveryInterval) {
    Fixture f;
    pw::DialogTimer slow, fast, off, bare;
    f.Arm(slow, 100, "slow");
    f.Arm(fast, 30, "fast");
    f.Arm(off, 10, "off");
    off.SetEnabled(false);
    bare.SetInterval(5);
    bare.SetEnabled(true);  // no handler: never fires
    EXPECT_EQ(pw::NextTimerDue(), 30);
    EXPECT_EQ(pw::RunDueTimers(), 0);
    f.clock.Advance(100);
    EXPECT_EQ(pw::RunDueTimers(), 2);
    EXPECT_EQ(f.fired, (std::vector<std::string>{"fast", "slow"}));
    // Each starts its next interval when it fires: fast is due at +30, slow at +100.
    EXPECT_EQ(pw::NextTimerDue(), 30);
    f.clock.Advance(30);
    EXPECT_EQ(pw::RunDueTimers(), 1);
    slow.SetEnabled(false);
    fast.SetEnabled(false);
    EXPECT_EQ(pw::NextTimerDue(), -1);
}

TEST(DialogTimers, AHandlerWaitingInALibraryKeepsTheTimersGoingThroughThePumpTurns) {
    Fixture f;
    pw::DialogTimer progress, other;
    int nested = 0, depth = 0, deepest = 0;
    progress.SetInterval(20);
    progress.SetOnTimer([&] {
        ++depth;
        deepest = std::max(deepest, depth);
        if (depth == 1) {
            // The first firing waits as a library does: time passes and the pump turns.
            for (int i = 0; i < 5; ++i) {
                f.clock.Advance(20);
                pw::PumpMessages(&f.pump);
            }
        } else {
            ++nested;
        }
        --depth;
    });
    progress.SetEnabled(true);
    f.Arm(other, 50, "other");
    f.clock.Advance(20);
    pw::RunDueTimers();
    EXPECT_EQ(nested, 5) << "the same timer fires again once its interval passed";
    EXPECT_EQ(deepest, 2) << "never more than one firing inside another";
    EXPECT_EQ(f.fired, (std::vector<std::string>{"other", "other"}));
}

TEST(DialogTimers, OneShotsRunOnceAndFailuresGoToTheApplication) {
    Fixture f;
    std::vector<std::string> failures;
    pw::App().SetExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            failures.push_back(x.what());
        }
    });
    int ran = 0;
    pw::After(40, [&] { ++ran; });
    pw::After(10, [] { throw std::runtime_error("broken handler"); });
    f.clock.Advance(100);
    EXPECT_EQ(pw::RunDueTimers(), 2);
    f.clock.Advance(100);
    EXPECT_EQ(pw::RunDueTimers(), 0);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(failures, std::vector<std::string>{"broken handler"});
    EXPECT_EQ(pw::NextTimerDue(), -1);
    pw::App().SetExceptionHandler({});
}

TEST(ModalLoop, OnAVirtualClockMovesTheClockToTheNextTimerInsteadOfWaiting) {
    Fixture f;
    bool done = false;
    int turns = 0;
    pw::DialogTimer tick;
    tick.SetInterval(100);
    tick.SetOnTimer([&] { ++turns; });
    tick.SetEnabled(true);
    pw::After(450, [&] { done = true; });
    pw::RunModal([&] { return done; }, f.pump);
    EXPECT_EQ(f.clock.Now(), 1450u);
    EXPECT_EQ(turns, 4);
    // Events queued meanwhile are routed by the loop.
    int heard = 0;
    f.pump.Register(7, [&](const pw::WindowEvent&) { ++heard; });
    done = false;
    pw::After(10, [&] {
        pw::WindowEvent e;
        e.Type = pw::EventType::KeyDown;
        e.WindowId = 7;
        f.pump.Post(e);
    });
    pw::After(20, [&] { done = heard == 1; });
    pw::RunModal([&] { return done; }, f.pump);
    EXPECT_EQ(heard, 1);
}

TEST(ModalLoop, EndsWhenTheProgramIsAskedToTerminate) {
    Fixture f;
    pw::After(30, [] { pw::RequestTerminate(); });
    pw::RunModal([] { return false; }, f.pump);
    EXPECT_TRUE(pw::TerminateRequested());
    pw::ClearTerminateRequest();
    f.pump.PostQuit();
    pw::RunModal([] { return false; }, f.pump);  // returns at once
}
