// One running copy of the game at a time. The first copy holds the instance lock and listens
// for window messages of other copies; a later copy finds the lock taken, asks the first to
// come to the front ("sprallion_Restore") and ends without showing a window.
//
// The unit's state is process-wide, as the window it hooks (the application window) is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/display/Form.h"

namespace platform::display {
class Presenter;
}

namespace app::multinst {

inline constexpr uint32_t kStatusHookFailed = 1;   // the application window's hook or listener
inline constexpr uint32_t kStatusMutexFailed = 2;  // the instance lock could not be made

extern uint32_t RestoreMessage;
extern uint32_t TerminateMessage;
extern std::string MutexName;

uint32_t Status();
bool Hooked();

// The window that the restore message brings back: the main form, and the display that shows it
// (nil while there is none).
void SetMainWindow(platform::display::Form* form, std::function<platform::display::Presenter*()> presenter);
// Clears the main window when it is this form (the form is going away).
void ForgetMainWindow(const platform::display::Form* form);

// True when this is the only copy. A later copy broadcasts the restore message (retrying for up
// to a second while the first has not bound its socket yet), requests termination and answers
// false. Failures only set status bits and answer true.
bool CheckSingleInstance();

// The application window's procedure while hooked.
void InstanceWndProc(platform::display::Message& message);

// The unit's end: puts the old window procedure back and stops listening. The lock stays
// until the process ends.
void Finalize();
// Also lets the lock go, as the process's end would (tests run several copies in one process).
void ReleaseForTests();

}  // namespace app::multinst
