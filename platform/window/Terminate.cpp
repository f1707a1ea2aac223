#include "platform/window/Terminate.h"

#include <atomic>
#include <mutex>

namespace platform::window {
namespace {

std::atomic<bool> requested{false};

struct Hook {
    std::mutex mutex;
    std::function<void()> call;
};

Hook& TheHook() {
    static Hook hook;
    return hook;
}

}  // namespace

void RequestTerminate() {
    requested.store(true);
    std::function<void()> call;
    {
        std::lock_guard lock(TheHook().mutex);
        call = TheHook().call;
    }
    if (call) call();
}

bool TerminateRequested() { return requested.load(); }

void SetTerminateHook(std::function<void()> hook) {
    std::lock_guard lock(TheHook().mutex);
    TheHook().call = std::move(hook);
}

void ClearTerminateRequest() { requested.store(false); }

}  // namespace platform::window
