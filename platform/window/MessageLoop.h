// The program's message loop: the one event pump turned until the application is asked to
// end. Between turns it blocks in the window system (SDL_WaitEventTimeout) or, headless, on
// the pump's queue; work that another thread hands to the main thread, an event posted by a
// test or a request to terminate wakes it. It never spins.
//
// An idle step runs whenever a turn found nothing to do, just before the loop blocks. A
// program on a virtual clock moves its clock there to its timer's next tick, so the ticks
// follow each other without waiting for real time and in the same order on every run.
#pragma once

#include <functional>

namespace platform::window {

class EventPump;

using IdleStep = std::function<void()>;

// Runs until the pump is asked to quit (SDL_QUIT, PostQuit) or the application to terminate
// (RequestTerminate, from any thread). A request made before the call ends it at once.
void RunMessageLoop(EventPump& pump, const IdleStep& idle = {});

}  // namespace platform::window
