#include "platform/window/Dispatcher.h"

#include "platform/window/Application.h"

#include <chrono>

namespace platform::window {

struct Dispatcher::SendState {
    enum class Status { Queued, Done, Cancelled } status = Status::Queued;
    std::exception_ptr error;
};

Dispatcher::Dispatcher() : mainThread_(std::this_thread::get_id()) {}

void Dispatcher::Post(Job job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Entry{std::move(job), nullptr, nullptr});
    }
    changed_.notify_all();
    Wake();
}

Dispatcher::SendResult Dispatcher::SendAndWait(Job job, HandOver& channel) {
    if (IsMainThread()) {
        {
            std::lock_guard lock(mutex_);
            if (channel.cancelled_) return SendResult::Cancelled;
        }
        job();
        return SendResult::Ran;
    }
    auto state = std::make_shared<SendState>();
    std::unique_lock lock(mutex_);
    if (channel.cancelled_) return SendResult::Cancelled;
    queue_.push_back(Entry{std::move(job), state, &channel});
    lock.unlock();
    changed_.notify_all();
    Wake();
    lock.lock();
    changed_.wait(lock, [&] { return state->status != SendState::Status::Queued; });
    if (state->status == SendState::Status::Cancelled) return SendResult::Cancelled;
    if (state->error) std::rethrow_exception(state->error);
    return SendResult::Ran;
}

void Dispatcher::Cancel(HandOver& channel) {
    {
        std::lock_guard lock(mutex_);
        channel.cancelled_ = true;
        for (auto it = queue_.begin(); it != queue_.end();) {
            if (it->channel == &channel) {
                it->send->status = SendState::Status::Cancelled;
                it = queue_.erase(it);
            } else {
                ++it;
            }
        }
    }
    changed_.notify_all();
}

void Dispatcher::Reopen(HandOver& channel) {
    std::lock_guard lock(mutex_);
    channel.cancelled_ = false;
}

void Dispatcher::Run(Entry& entry) {
    if (!entry.send) {
        try {
            entry.job();
        } catch (...) {
            App().HandleException(std::current_exception());
        }
        return;
    }
    std::exception_ptr error;
    try {
        entry.job();
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        entry.send->error = error;
        entry.send->status = SendState::Status::Done;
    }
    changed_.notify_all();
}

int Dispatcher::PumpAll() {
    int ran = 0;
    std::size_t budget;
    {
        std::lock_guard lock(mutex_);
        budget = queue_.size();  // work queued by the jobs themselves waits for the next pump
    }
    while (budget-- > 0) {
        Entry entry;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            entry = std::move(queue_.front());
            queue_.pop_front();
        }
        Run(entry);
        ++ran;
    }
    return ran;
}

bool Dispatcher::PumpOne(int guardMs) {
    Entry entry;
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(guardMs), [&] { return !queue_.empty(); })) return false;
        entry = std::move(queue_.front());
        queue_.pop_front();
    }
    Run(entry);
    return true;
}

std::size_t Dispatcher::Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void Dispatcher::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    wakeHook_ = std::move(hook);
}

void Dispatcher::SetMainThread(std::thread::id id) {
    std::lock_guard lock(mutex_);
    mainThread_ = id;
}

bool Dispatcher::IsMainThread() const {
    std::lock_guard lock(mutex_);
    return std::this_thread::get_id() == mainThread_;
}

void Dispatcher::Wake() {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = wakeHook_;
    }
    if (hook) hook();
}

Dispatcher& MainDispatcher() {
    static Dispatcher dispatcher;
    return dispatcher;
}

}  // namespace platform::window
