#include "platform/window/Application.h"

#include "rtl/Exceptions.h"

#include <cstdio>
#include <vector>

namespace platform::window {

void Application::SetActive(bool active) {
    active_.store(active);
    std::vector<ActivateHook> hooks;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, hook] : hooks_) hooks.push_back(hook);
    }
    for (auto& hook : hooks) hook(active);
}

int Application::AddActivateHook(ActivateHook hook) {
    std::lock_guard lock(mutex_);
    int id = nextHook_++;
    hooks_.emplace(id, std::move(hook));
    return id;
}

void Application::RemoveActivateHook(int id) {
    std::lock_guard lock(mutex_);
    hooks_.erase(id);
}

void Application::SetExceptionHandler(ExceptionHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void Application::HandleException(std::exception_ptr error) {
    ExceptionHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (handler) {
        handler(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const rtl::Exception& e) {
        std::fprintf(stderr, "%s: %s\n", e.className(), e.message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "unknown exception\n");
    }
}

Application& App() {
    static Application app;
    return app;
}

}  // namespace platform::window
