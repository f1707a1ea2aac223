// SIGINT and SIGTERM as requests to close the program in order.
//
// The watch blocks both signals in the thread that makes it, so every thread started later
// inherits the block (make it first thing in main, before any thread exists); a thread of its
// own reads them from a signalfd and hands each to the main thread's dispatcher, which runs
// the handler between two turns of the message loop. The handler closes the main form, so
// shut-down runs exactly as when the player quits. SDL is told to install no handlers of its
// own. Programs the game starts get a clean signal mask: platform/shell resets it when it
// spawns, and a child made by fork() unblocks both signals at once.
#pragma once

#include <functional>
#include <thread>

namespace platform::window {

class Dispatcher;

class SignalWatch {
public:
    using Handler = std::function<void(int signal)>;
    // `atOnce`, when given, also runs on the watching thread the moment a signal comes, before
    // the main thread gets to `handler` (which may be long while it is busy): it may only do
    // what is safe from any thread, such as RequestTerminate.
    explicit SignalWatch(Handler handler, Handler atOnce = {});
    SignalWatch(Handler handler, Dispatcher& dispatcher, Handler atOnce = {});
    // Stops the watching thread. The signals stay blocked: one that comes now waits unread
    // instead of ending a program that is already shutting down.
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // False when the signalfd could not be made (the signals then keep their defaults).
    bool Watching() const { return signalFd_ >= 0; }

private:
    void Watch();

    Handler handler_;
    Handler atOnce_;
    Dispatcher& dispatcher_;
    int signalFd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
};

}  // namespace platform::window
