// A loop waiting in the event pump wakes for work another thread queues: it never spins.
#include "platform/window/EventPump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace pw = platform::window;

TEST(EventPumpWake, AWaitingLoopRunsWorkQueuedByAnotherThread) {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump(dispatcher, app);
    std::atomic<int> ran{0};
    pw::HandOver channel;
    std::thread worker([&] {
        dispatcher.SendAndWait([&] { ++ran; }, channel);  // blocks until the loop ran it
        pw::WindowEvent e;
        e.WindowId = 4;
        pump.Post(e);
        pump.PostQuit();
    });
    int routed = 0;
    pump.Register(4, [&](const pw::WindowEvent&) { ++routed; });
    pump.Run();  // waits without a time-out until the worker's quit
    worker.join();
    pump.PumpPending();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(routed, 1);
}
