// The game's main form started in the test program over a copy of the demo data, headless,
// the ticks handed over by the game's own timer on a virtual clock: levels are started as a
// player starts a game (the new-game panel's list, the start-level parameter) and ended
// back to the main menu. Failures that reach the application's exception handler are kept
// with the place they happened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/fmPallidor.h"
#include "platform/clock/VirtualClock.h"
#include "platform/input/ScriptedInput.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace engine {
class TGPField;
}

namespace demotest {

class DemoSession {
public:
    DemoSession();
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // FormCreate and the first show, as the program runs them, then the ticks up to the main
    // menu. Adds a gtest failure (and answers false) when the game does not start.
    bool Start();
    // One tick as the program runs it: the timer's worker waits on the clock, the clock moves
    // to its next point, the worker hands the tick to this (the main) thread.
    bool Tick();
    // Enter for one tick and off for the next, as a player closes a message.
    bool PressEnter();
    // A new game on the set of the file from its level `index` (0-based), with `lives`.
    bool StartLevel(const std::string& file, int32_t index, int32_t lives);
    // Ends the game as its message would, back to the main menu.
    bool EndGame();

    bool PanelShown(const std::string& name) const;
    std::string Shown() const;
    std::string Log() const { return dir.Read("game/Exception.Log"); }

    TempDir dir;
    testproc::ScopedEnv env;
    platform::clock::VirtualClock clock{1000};
    platform::input::ScriptedInput input;
    std::unique_ptr<app::TDlg_Sprallion> form;
    int ticks = 0;
    std::string where = "start";           // names the place in failures
    std::vector<std::string> failures;     // what reached the exception handler
    std::function<void()> afterTick;       // the test's turn after each tick

private:
    bool ChooseSet(const std::string& file);
};

int32_t FieldValue(engine::TGPField* field);

// True in builds under a sanitizer, where a tick is about ten times slower.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace demotest
