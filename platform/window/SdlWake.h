// The SDL backend of the dispatcher: queued work pushes a user event, so that SDL's event
// loop wakes and pumps the dispatcher when it sees IsWakeEvent().
#pragma once

#include <cstdint>

union SDL_Event;

namespace platform::window {

class Dispatcher;

// Registers the user event with SDL (the video or events subsystem must be initialised)
// and installs the wake hook; answers false when SDL has no user event left.
bool InstallSdlWake(Dispatcher& dispatcher);
bool IsWakeEvent(const SDL_Event& event);

}  // namespace platform::window
