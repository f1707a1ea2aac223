// The game program: the application's start (signals, command line, the clock and the test
// script of a test run), the main form with its start-up, the message loop until the form
// closes, and the shut-down.
//
// Test runs: SPRALLION_CLOCK=virtual runs the ticks back to back on a virtual clock (the
// same ticks in the same order on every run, without waiting for real time);
// SPRALLION_SCRIPT=FILE feeds the script of app/GameScript.h, one step after each tick; while a
// native dialog is up (at start-up there is no tick yet), one step every tick's time of the
// clock, its keys going to the dialog.
#pragma once

#include <functional>

namespace app {

class TDlg_Sprallion;

// Exit status: 0; 1 when a fatal error was shown (a launcher can tell that the game did not
// run); 2 when the test script cannot be read or is no script; 3 when a check of the test
// script did not hold in time.
inline constexpr int kExitFatalError = 1;
inline constexpr int kExitScriptInvalid = 2;
inline constexpr int kExitScriptFailed = 3;

int RunProgram(int argc, char** argv);

// The program run inside a process of another's (a benchmark's child): AfterTick sees the main
// form after each of its ticks, on the main thread, after the test script's step.
struct ProgramHooks {
    std::function<void(TDlg_Sprallion& form)> AfterTick;
};
int RunProgram(int argc, char** argv, const ProgramHooks& hooks);

}  // namespace app
