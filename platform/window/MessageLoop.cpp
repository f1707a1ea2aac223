#include "platform/window/MessageLoop.h"

#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"

namespace platform::window {

void RunMessageLoop(EventPump& pump, const IdleStep& idle) {
    // A request from any thread wakes a loop that waits.
    SetTerminateHook([&pump] { pump.PostQuit(); });
    auto done = [&pump] { return pump.QuitRequested() || TerminateRequested(); };
    while (!done()) {
        if (pump.PumpPending() > 0) continue;
        if (done()) break;
        if (idle) idle();
        pump.WaitAndPump(-1);
    }
    SetTerminateHook({});
}

}  // namespace platform::window
