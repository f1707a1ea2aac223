// The main thread's work queue.
//
// Other threads hand work to the main thread with Post() (fire and forget) or SendAndWait()
// (block until the main thread ran it). The main thread runs queued work when its event
// loop calls PumpAll(); the headless backend is just that queue, pumped by the caller (a test);
// with SDL a wake hook pushes a user event so that SDL's event loop pumps at once.
//
// A send goes through a HandOver channel that its owner can cancel: a cancelled channel
// drops its queued send and refuses new ones, so a worker thread blocked in SendAndWait
// returns and can be joined while the main thread is not pumping.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::window {

class HandOver {
public:
    bool Cancelled() const { return cancelled_.load(); }

private:
    friend class Dispatcher;
    std::atomic<bool> cancelled_{false};  // changed under the dispatcher's mutex
};

class Dispatcher {
public:
    using Job = std::function<void()>;
    enum class SendResult { Ran, Cancelled };

    Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    void Post(Job job);
    // Runs `job` on the main thread and waits until it finished. On the main thread itself
    // the job runs at once. An exception of the job is passed on to the sender.
    SendResult SendAndWait(Job job, HandOver& channel);
    // Drops the channel's queued send (its sender returns Cancelled) and refuses later ones.
    void Cancel(HandOver& channel);
    void Reopen(HandOver& channel);

    // Main-thread side. PumpAll runs what is queued now and answers how many jobs ran.
    int PumpAll();
    // Waits up to `guardMs` real milliseconds for one job and runs it (a test's hang guard).
    bool PumpOne(int guardMs = 10000);
    std::size_t Pending() const;

    // Called (from any thread) after work was queued; the SDL backend wakes its loop here.
    void SetWakeHook(std::function<void()> hook);
    // The thread that pumps; the constructing thread until changed.
    void SetMainThread(std::thread::id id);
    bool IsMainThread() const;

private:
    struct SendState;
    struct Entry {
        Job job;
        std::shared_ptr<SendState> send;  // nil for posts
        HandOver* channel = nullptr;
    };
    void Run(Entry& entry);
    void Wake();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> queue_;
    std::function<void()> wakeHook_;
    std::thread::id mainThread_;
};

// The process's main-thread dispatcher.
Dispatcher& MainDispatcher();

}  // namespace platform::window
