// The pump's SDL source: SDL's queue read in bounded batches, its events turned into window
// events, and the wake-up event with which other threads end a wait in SDL.
#include <SDL.h>

#include <vector>

#include "platform/input/Input.h"
#include "platform/window/EventPump.h"

namespace platform::window {

namespace {

bool SdlEventsUp() { return SDL_WasInit(SDL_INIT_EVENTS) != 0; }

uint32_t Modifiers(uint16_t mod) {
    uint32_t m = 0;
    if (mod & KMOD_SHIFT) m |= kShiftKey;
    if (mod & KMOD_ALT) m |= kAltKey;
    if (mod & KMOD_CTRL) m |= kCtrlKey;
    return m;
}

bool TranslateWindow(const SDL_WindowEvent& e, WindowEvent& w) {
    w.WindowId = e.windowID;
    switch (e.event) {
        case SDL_WINDOWEVENT_SHOWN: w.Type = EventType::Shown; return true;
        case SDL_WINDOWEVENT_HIDDEN: w.Type = EventType::Hidden; return true;
        case SDL_WINDOWEVENT_EXPOSED: w.Type = EventType::Exposed; return true;
        case SDL_WINDOWEVENT_MOVED: w.Type = EventType::Moved; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: w.Type = EventType::Resized; break;  // follows every resize
        case SDL_WINDOWEVENT_MINIMIZED: w.Type = EventType::Minimized; return true;
        case SDL_WINDOWEVENT_MAXIMIZED: w.Type = EventType::Maximized; return true;
        case SDL_WINDOWEVENT_RESTORED: w.Type = EventType::Restored; return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED: w.Type = EventType::FocusGained; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: w.Type = EventType::FocusLost; return true;
        case SDL_WINDOWEVENT_CLOSE: w.Type = EventType::Close; return true;
        case SDL_WINDOWEVENT_LEAVE: w.Type = EventType::MouseLeave; return true;
        default: return false;
    }
    w.X = e.data1;
    w.Y = e.data2;
    return true;
}

int Button(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        default: return -1;
    }
}

// The window event an SDL event stands for; false for events that name no window.
bool Translate(const SDL_Event& e, WindowEvent& w) {
    switch (e.type) {
        case SDL_WINDOWEVENT: return TranslateWindow(e.window, w);
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            w.Type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
            w.WindowId = e.key.windowID;
            w.Key = input::ScancodeToVK(e.key.keysym.scancode);
            w.Repeat = e.key.repeat != 0;
            w.Modifiers = Modifiers(e.key.keysym.mod);
            return w.Key != 0;
        case SDL_MOUSEMOTION:
            w.Type = EventType::MouseMove;
            w.WindowId = e.motion.windowID;
            w.X = e.motion.x;
            w.Y = e.motion.y;
            w.Modifiers = Modifiers(uint16_t(SDL_GetModState()));
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            w.Type = e.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
            w.WindowId = e.button.windowID;
            w.Button = Button(e.button.button);
            w.X = e.button.x;
            w.Y = e.button.y;
            w.Modifiers = Modifiers(uint16_t(SDL_GetModState()));
            return w.Button >= 0;
        case SDL_DISPLAYEVENT:
            w.Type = EventType::DisplayChanged;
            w.WindowId = 0;
            return true;
        case SDL_MOUSEWHEEL:
            w.Type = EventType::MouseWheel;
            w.WindowId = e.wheel.windowID;
            w.Y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            return w.Y != 0;
        default: return false;
    }
}

}  // namespace

uint32_t WakeEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

void EventPump::Wake(Inbox& inbox) {
    {
        std::lock_guard lock(inbox.mutex);
        inbox.woken = true;
    }
    inbox.posted.notify_all();
    if (SdlEventsUp()) {
        SDL_Event event{};
        event.type = WakeEventType();
        SDL_PushEvent(&event);  // a full queue still gets pumped: its events wake the loop
    }
}

int EventPump::DrainSdl() {
    if (!SdlEventsUp()) return 0;
    SDL_PumpEvents();
    int count = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    int handled = 0;
    for (; count > 0; --count) {
        SDL_Event event;
        if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1) break;
        handled += HandleSdl(event);
    }
    return handled;
}

int EventPump::WaitSdl(int timeoutMs) {
    if (!SdlEventsUp()) return -1;
    SDL_Event event;
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
    if (!got) return 0;
    HandleSdl(event);
    return 1;
}

// Answers 1 for an event handled here (a quit, a message of the window system), 0 for the
// wake-up and for events queued for routing (counted when routed).
int EventPump::HandleSdl(const SDL_Event& event) {
    if (event.type == WakeEventType()) return 0;  // the dispatcher's work runs in the pump
    if (event.type == SDL_QUIT) {
        quit_ = true;
        return 1;
    }
    if (event.type == SDL_SYSWMEVENT) {
        // Its message lives only until SDL's next poll: handled now.
        std::vector<std::shared_ptr<NativeHook>> hooks;
        for (const auto& [id, hook] : nativeHooks_) hooks.push_back(hook);
        for (const auto& hook : hooks) (*hook)(event);
        return 1;
    }
    WindowEvent w;
    if (Translate(event, w)) Enqueue(w);
    return 0;
}

}  // namespace platform::window
