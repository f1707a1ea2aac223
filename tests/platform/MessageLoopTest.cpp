// The program's message loop, its hot keys and power messages, and SIGINT/SIGTERM read as
// requests to close.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/Display.h"
#include "platform/display/Form.h"
#include "platform/window/EventPump.h"
#include "platform/window/MessageLoop.h"
#include "platform/window/Signals.h"
#include "platform/window/Terminate.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace pw = platform::window;
namespace pd = platform::display;
using pw::EventType;

namespace {

struct Loop {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    Loop() { pw::ClearTerminateRequest(); }
    ~Loop() { pw::ClearTerminateRequest(); }
};

pw::WindowEvent Key(uint32_t window, uint32_t key, uint32_t modifiers = 0) {
    pw::WindowEvent e;
    e.Type = EventType::KeyDown;
    e.WindowId = window;
    e.Key = key;
    e.Modifiers = modifiers;
    return e;
}

TEST(MessageLoop, RunsQueuedWorkAndEndsOnATerminationRequestFromAnotherThread) {
    Loop l;
    std::vector<int> ran;
    std::thread other([&] {
        l.dispatcher.Post([&] { ran.push_back(1); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        l.dispatcher.Post([&] { ran.push_back(2); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pw::RequestTerminate();
    });
    pw::RunMessageLoop(l.pump);
    other.join();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(MessageLoop, ARequestMadeBeforeTheLoopEndsItAtOnce) {
    Loop l;
    pw::RequestTerminate();
    int idle = 0;
    pw::RunMessageLoop(l.pump, [&] { ++idle; });
    EXPECT_EQ(idle, 0);
}

TEST(MessageLoop, BlocksBetweenTurnsInsteadOfSpinning) {
    Loop l;
    std::atomic<int> idle{0};
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        l.pump.PostQuit();
    });
    pw::RunMessageLoop(l.pump, [&] { ++idle; });
    other.join();
    // Nothing came for 200 ms: the idle step ran before the one wait (and once after the quit).
    EXPECT_LE(idle.load(), 2);
}

TEST(MessageLoop, TheIdleStepMayQueueTheNextTurn) {
    Loop l;
    int turns = 0;
    pw::RunMessageLoop(l.pump, [&] {
        // A virtual clock's step: the next tick is on its way.
        if (++turns < 5)
            l.dispatcher.Post([] {});
        else
            l.pump.PostQuit();
    });
    EXPECT_EQ(turns, 5);
}

TEST(HotKeys, AHotKeyReachesItsWindowWhicheverWindowHasTheKey) {
    Loop l;
    std::vector<std::string> heard;
    for (uint32_t w : {5u, 7u})
        l.pump.Register(w, [&heard, w](const pw::WindowEvent& e) {
            heard.push_back(std::to_string(w) + (e.Type == EventType::HotKey ? " hot " + std::to_string(e.Param) : " key"));
        });
    ASSERT_TRUE(l.pump.RegisterHotKey(5, 101, 0, 121));
    EXPECT_FALSE(l.pump.RegisterHotKey(7, 3, 0, 121));    // the combination is taken
    EXPECT_FALSE(l.pump.RegisterHotKey(5, 101, 0, 122));  // so is the id
    l.pump.Post(Key(7, 121));
    l.pump.Post(Key(7, 121, pw::kShiftKey));  // another combination: a plain key
    l.pump.PumpPending();
    EXPECT_EQ(heard, (std::vector<std::string>{"5 hot 101", "7 key"}));
    EXPECT_TRUE(l.pump.UnregisterHotKey(5, 101));
    EXPECT_FALSE(l.pump.UnregisterHotKey(5, 101));
    heard.clear();
    l.pump.Post(Key(7, 121));
    l.pump.PumpPending();
    EXPECT_EQ(heard, std::vector<std::string>{"7 key"});
}

TEST(HotKeys, AWindowThatLeavesTakesItsHotKeysAlong) {
    Loop l;
    l.pump.Register(5, [](const pw::WindowEvent&) {});
    ASSERT_TRUE(l.pump.RegisterHotKey(5, 1, pw::kCtrlKey, 'Q'));
    l.pump.Unregister(5);
    EXPECT_TRUE(l.pump.RegisterHotKey(6, 1, pw::kCtrlKey, 'Q'));
}

TEST(FormMessages, HotKeysAndPowerEventsComeAsTheirMessages) {
    Loop l;
    pd::HeadlessPresenter window;
    pd::Form form;
    std::vector<pd::Message> seen;
    form.WindowProcedure = [&](pd::Message& m) { seen.push_back(m); };
    EXPECT_FALSE(form.RegisterHotKey(101, 0, 121));  // no window yet
    form.AttachWindow(window, l.pump);
    ASSERT_TRUE(form.RegisterHotKey(101, pw::kAltKey, 121));
    l.pump.Post(Key(0, 121, pw::kAltKey));
    pw::WindowEvent power;
    power.Type = EventType::PowerBroadcast;
    power.Param = pd::PBT_APMSUSPEND;
    l.pump.Post(power);
    l.pump.PumpPending();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Msg, pd::WM_HOTKEY);
    EXPECT_EQ(seen[0].WParam, 101u);
    EXPECT_EQ(seen[0].LParam, intptr_t(pw::kAltKey | 121 << 16));
    EXPECT_EQ(seen[1].Msg, pd::WM_POWERBROADCAST);
    EXPECT_EQ(seen[1].WParam, pd::PBT_APMSUSPEND);
    EXPECT_TRUE(form.UnregisterHotKey(101));
    form.DetachWindow();
}

// The signal's number in a file, written by the watch's handler on the thread that runs the
// loop; the child ends 0 when that is its main thread, and the signal was heard at once while
// that thread was busy elsewhere.
int WatchInChild(int signal, const std::string& file) {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    const std::thread::id main = std::this_thread::get_id();
    bool onMain = false;
    std::atomic<bool> heard{false};
    pw::SignalWatch watch(
        [&](int s) {
            onMain = std::this_thread::get_id() == main;
            std::ofstream(file) << s;
            pw::RequestTerminate();
        },
        dispatcher, [&](int) { heard = true; });
    if (!watch.Watching()) return 10;
    std::thread sender([signal] { ::kill(::getpid(), signal); });  // blocked there too: it waits for the watch
    if (!testproc::WaitFor([&] { return heard.load(); })) return 12;
    pw::RunMessageLoop(pump);
    sender.join();
    return onMain ? 0 : 11;
}

TEST(SignalWatch, SigtermAndSigintAreHandledOnTheLoopsThread) {
    TempDir dir;
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string file = dir.File(std::to_string(signal));
        const pid_t child = testproc::Fork([&] { return WatchInChild(signal, file); });
        EXPECT_EQ(testproc::WaitExit(child), 0) << signal;
        std::ifstream in(file);
        int got = 0;
        in >> got;
        EXPECT_EQ(got, signal);
    }
}

TEST(SignalWatch, AChildMadeByForkGetsTheSignalsBack) {
    const pid_t child = testproc::Fork([] {
        pw::SignalWatch watch([](int) {});
        const pid_t grandchild = testproc::Fork([] {
            sigset_t blocked;
            pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
            return sigismember(&blocked, SIGTERM) || sigismember(&blocked, SIGINT) ? 1 : 0;
        });
        const auto code = testproc::WaitExit(grandchild);
        return code == 0 ? 0 : 20;
    });
    EXPECT_EQ(testproc::WaitExit(child), 0);
}

}  // namespace
