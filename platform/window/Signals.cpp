#include "platform/window/Signals.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <SDL.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "platform/window/Dispatcher.h"

namespace platform::window {

namespace {

sigset_t Watched() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// A child made by fork() (the shell's opener and whatever it starts) gets the signals back:
// the block is this program's way of reading them, not something to hand on.
void UnblockInChild() {
    const sigset_t set = Watched();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace

SignalWatch::SignalWatch(Handler handler, Handler atOnce)
    : SignalWatch(std::move(handler), MainDispatcher(), std::move(atOnce)) {}

SignalWatch::SignalWatch(Handler handler, Dispatcher& dispatcher, Handler atOnce)
    : handler_(std::move(handler)), atOnce_(std::move(atOnce)), dispatcher_(dispatcher) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    static std::once_flag forkHook;
    std::call_once(forkHook, [] { pthread_atfork(nullptr, nullptr, UnblockInChild); });
    const sigset_t set = Watched();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    signalFd_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (signalFd_ < 0 || stopFd_ < 0) {
        if (signalFd_ >= 0) ::close(signalFd_);
        if (stopFd_ >= 0) ::close(stopFd_);
        signalFd_ = stopFd_ = -1;
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    thread_ = std::thread(&SignalWatch::Watch, this);
}

SignalWatch::~SignalWatch() {
    if (!thread_.joinable()) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(signalFd_);
    ::close(stopFd_);
}

void SignalWatch::Watch() {
    pollfd fds[2] = {{signalFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        signalfd_siginfo info{};
        if (::read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
        const int signal = static_cast<int>(info.ssi_signo);
        if (atOnce_) atOnce_(signal);
        dispatcher_.Post([handler = handler_, signal] { handler(signal); });
    }
}

}  // namespace platform::window
