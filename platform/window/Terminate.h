// The request to end the application: "ask the application to terminate". The request is
// kept (the message loop ends when it sees it; a program that has not shown its main form yet
// does not show it) and handed to the hook the event pump installs, so that a loop waiting
// for events wakes up.
#pragma once

#include <functional>

namespace platform::window {

void RequestTerminate();
bool TerminateRequested();
// The event pump's wake-up; called (on the requesting thread) by every request.
void SetTerminateHook(std::function<void()> hook);
// Forgets an earlier request (a test that runs several start-ups in one process).
void ClearTerminateRequest();

}  // namespace platform::window
