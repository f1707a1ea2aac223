// The application object's state that engine and media code consult: whether the
// application and its main form are active, the activation notifications (the
// application-activation message of the window manager) and the application's
// exception handler, which reports failures that escape a handler and lets the program go on.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <map>
#include <mutex>

namespace platform::window {

class Application {
public:
    using ActivateHook = std::function<void(bool active)>;
    using ExceptionHandler = std::function<void(std::exception_ptr)>;

    bool Active() const { return active_.load(); }
    bool MainFormActive() const { return mainFormActive_.load(); }
    // Called by the display backend when the application gains or loses the focus;
    // every activation hook hears of it (in the order of installing).
    void SetActive(bool active);
    void SetMainFormActive(bool active) { mainFormActive_.store(active); }

    int AddActivateHook(ActivateHook hook);
    void RemoveActivateHook(int id);

    void SetExceptionHandler(ExceptionHandler handler);
    // Hands a failure to the installed handler; without one it is written to standard error.
    void HandleException(std::exception_ptr error);

private:
    std::atomic<bool> active_{true};
    std::atomic<bool> mainFormActive_{true};
    std::mutex mutex_;
    std::map<int, ActivateHook> hooks_;
    int nextHook_ = 1;
    ExceptionHandler handler_;
};

Application& App();

}  // namespace platform::window
