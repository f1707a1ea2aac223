#include "platform/window/EventPump.h"

#include <chrono>
#include <vector>

namespace platform::window {

EventPump::EventPump(Dispatcher& dispatcher, Application& app)
    : dispatcher_(dispatcher), app_(app), inbox_(std::make_shared<Inbox>()), appActive_(app.Active()) {
    // Work queued from any thread wakes a loop waiting here or in SDL.
    dispatcher_.SetWakeHook([inbox = inbox_] { Wake(*inbox); });
}

EventPump::~EventPump() { dispatcher_.SetWakeHook(nullptr); }

void EventPump::Register(uint32_t windowId, Handler handler) {
    routes_[windowId] = std::make_shared<Handler>(std::move(handler));
}

void EventPump::Unregister(uint32_t windowId) {
    routes_.erase(windowId);
    std::erase_if(hotKeys_, [windowId](const HotKey& h) { return h.WindowId == windowId; });
    if (focused_ == windowId) {
        // The focus goes elsewhere; whether the application stays active shows at the next pump.
        focused_ = 0;
        focusLost_ = true;
    }
}

bool EventPump::Registered(uint32_t windowId) const { return routes_.count(windowId) != 0; }

int EventPump::AddNativeHook(NativeHook hook) {
    const int id = nextHook_++;
    nativeHooks_[id] = std::make_shared<NativeHook>(std::move(hook));
    return id;
}

void EventPump::RemoveNativeHook(int id) { nativeHooks_.erase(id); }

void EventPump::PushModal(uint32_t windowId, BlockedHook blocked, std::function<void()> raise) {
    modal_.push_back({windowId, std::make_shared<BlockedHook>(std::move(blocked)),
                      std::make_shared<std::function<void()>>(std::move(raise))});
}

bool EventPump::RaiseModal() {
    if (modal_.empty()) return false;
    const std::shared_ptr<std::function<void()>> raise = modal_.back().Raise;  // it may pop its window
    if (*raise) (*raise)();
    return true;
}

void EventPump::PopModal(uint32_t windowId) {
    for (auto it = modal_.rbegin(); it != modal_.rend(); ++it)
        if (it->WindowId == windowId) {
            modal_.erase(std::next(it).base());
            return;
        }
}

bool EventPump::PassModal(const WindowEvent& event) {
    if (modal_.empty() || event.WindowId == modal_.back().WindowId) return true;
    const std::shared_ptr<BlockedHook> blocked = modal_.back().Blocked;  // the hook may pop its window
    // A release still reaches the window that saw the press: a press is what starts input.
    if (IsInputEvent(event.Type) && event.Type != EventType::MouseUp) {
        if (*blocked) (*blocked)(event);
        return false;
    }
    if (event.Type == EventType::FocusGained && *blocked) (*blocked)(event);
    return true;
}

bool EventPump::RegisterHotKey(uint32_t windowId, int32_t id, uint32_t modifiers, uint32_t key) {
    modifiers &= kShiftKey | kAltKey | kCtrlKey;
    for (const HotKey& h : hotKeys_)
        if ((h.Key == key && h.Modifiers == modifiers) || (h.WindowId == windowId && h.Id == id)) return false;
    hotKeys_.push_back({windowId, id, modifiers, key});
    return true;
}

bool EventPump::UnregisterHotKey(uint32_t windowId, int32_t id) {
    return std::erase_if(hotKeys_, [&](const HotKey& h) { return h.WindowId == windowId && h.Id == id; }) > 0;
}

bool EventPump::RouteHotKey(const WindowEvent& event) {
    if (event.Type != EventType::KeyDown) return false;
    const uint32_t modifiers = event.Modifiers & (kShiftKey | kAltKey | kCtrlKey);
    for (const HotKey& h : hotKeys_) {
        if (h.Key != event.Key || h.Modifiers != modifiers) continue;
        WindowEvent hot = event;
        hot.Type = EventType::HotKey;
        hot.WindowId = h.WindowId;
        hot.Param = static_cast<uint32_t>(h.Id);
        Deliver(h.WindowId, hot);
        return true;
    }
    return false;
}

void EventPump::Enqueue(const WindowEvent& event) {
    std::lock_guard lock(inbox_->mutex);
    inbox_->queue.push_back({event, inbox_->nextSerial++});
}

void EventPump::Post(const WindowEvent& event) {
    Enqueue(event);
    Wake(*inbox_);
}

void EventPump::PostQuit() {
    quit_ = true;
    Wake(*inbox_);
}

int EventPump::PumpPending() {
    int ran = DrainSdl();
    uint64_t limit;
    {
        std::lock_guard lock(inbox_->mutex);
        inbox_->woken = false;
        limit = inbox_->nextSerial;
    }
    // One event at a time: a handler's nested pump takes the next ones in their order, and
    // what is queued meanwhile waits for a later pump.
    for (;;) {
        WindowEvent event;
        {
            std::lock_guard lock(inbox_->mutex);
            if (inbox_->queue.empty() || inbox_->queue.front().serial >= limit) break;
            event = inbox_->queue.front().event;
            inbox_->queue.pop_front();
        }
        Route(event);
        ++ran;
    }
    ran += dispatcher_.PumpAll();
    if (focusLost_) {
        // The focus may have moved to another window of ours within this pump.
        focusLost_ = false;
        if (focused_ == 0 && appActive_) SetAppActive(false);
    }
    return ran;
}

bool EventPump::WaitAndPump(int timeoutMs) {
    if (PumpPending() > 0) return true;
    const int sdl = WaitSdl(timeoutMs);
    const bool came = sdl >= 0 ? sdl > 0 : WaitInbox(timeoutMs);
    PumpPending();
    return came;
}

bool EventPump::WaitInbox(int timeoutMs) {
    std::unique_lock lock(inbox_->mutex);
    auto ready = [&] { return inbox_->woken || !inbox_->queue.empty() || quit_; };
    if (timeoutMs < 0) {
        inbox_->posted.wait(lock, ready);
        return true;
    }
    return inbox_->posted.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

void EventPump::Run() {
    while (!quit_) WaitAndPump(-1);
}

void EventPump::Route(const WindowEvent& event) {
    if (event.Type == EventType::DisplayChanged) {
        Broadcast(event);
        return;
    }
    if (!Registered(event.WindowId)) return;
    if (RouteHotKey(event)) return;
    switch (event.Type) {
        case EventType::FocusGained:
            if (!appActive_) SetAppActive(true);
            focused_ = event.WindowId;
            break;
        case EventType::FocusLost:
            if (focused_ == event.WindowId) focused_ = 0;
            focusLost_ = true;
            break;
        case EventType::AppActivated:
        case EventType::AppDeactivated:
            return;  // the pump's own to send
        default: break;
    }
    if (!PassModal(event)) return;
    Deliver(event.WindowId, event);
}

void EventPump::Deliver(uint32_t windowId, const WindowEvent& event) {
    auto it = routes_.find(windowId);
    if (it == routes_.end()) return;
    const std::shared_ptr<Handler> handler = it->second;  // the handler may unregister itself
    (*handler)(event);
}

void EventPump::SetAppActive(bool active) {
    appActive_ = active;
    // Every window hears of it first (the application-activation message), then the application.
    WindowEvent event;
    event.Type = active ? EventType::AppActivated : EventType::AppDeactivated;
    Broadcast(event);
    app_.SetActive(active);
}

void EventPump::Broadcast(WindowEvent event) {
    std::vector<uint32_t> windows;
    for (const auto& [id, handler] : routes_) windows.push_back(id);
    for (uint32_t id : windows) {
        event.WindowId = id;
        Deliver(id, event);
    }
}

EventPump& MainPump() {
    static EventPump pump;
    return pump;
}

}  // namespace platform::window
