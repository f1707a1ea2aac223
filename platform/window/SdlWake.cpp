#include "platform/window/SdlWake.h"

#include "platform/window/Dispatcher.h"

#include <SDL.h>

#include <atomic>

namespace platform::window {

namespace {
std::atomic<uint32_t> wakeType{static_cast<uint32_t>(-1)};
}

bool InstallSdlWake(Dispatcher& dispatcher) {
    const uint32_t type = SDL_RegisterEvents(1);
    if (type == static_cast<uint32_t>(-1)) return false;
    wakeType.store(type);
    dispatcher.SetWakeHook([type] {
        SDL_Event event{};
        event.type = type;
        SDL_PushEvent(&event);  // a full queue still gets pumped by the next event
    });
    return true;
}

bool IsWakeEvent(const SDL_Event& event) { return event.type == wakeType.load(); }

}  // namespace platform::window
