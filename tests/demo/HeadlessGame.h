// The game as its program runs it, inside the test: the main form created and shown headless
// over a copy of the demo data, its ticks handed over by the game's own timer thread on a
// virtual clock, its input scripted. Failures that escape a handler are kept with the place
// the test names, then logged as the game logs them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/fmPallidor.h"
#include "engine/gpData.h"
#include "platform/clock/VirtualClock.h"
#include "platform/display/Display.h"
#include "platform/input/ScriptedInput.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace demotest {

class HeadlessGame {
public:
    HeadlessGame();
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // FormCreate and the first show; fatal test failures when the program would not start.
    void Start();
    // One tick as the program runs it: the timer's worker waits on the clock, the clock moves
    // to its next point, the worker hands the tick to this (the main) thread.
    void Tick();
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    // Ticks until the panel shows, at most `limit`; false when it never did.
    bool TickUntilShown(const std::string& panel, int limit = 200);
    // Enter for one tick and off for the next, as a player closes a message.
    void PressEnter();
    // A tick of play: a message that shows is closed first.
    void Play();
    // The new-game panel lists the sets; the one of the file is chosen as a click on its row.
    bool ChooseSet(const std::string& file);
    // A new game of the set's level `index`, as the new-game panel starts it, with `lives`
    // when given; names the place.
    void NewGame(const std::string& file, int32_t index, int32_t lives = -1);
    // Back to the main menu, the game ended as its last life ends it.
    void EndGame();

    bool PanelShown(const std::string& name) const;
    // What shows and the kernel's condition, for failure messages.
    std::string Shown() const;
    // The frame last presented.
    platform::display::Frame Frame() const;

    app::TDlg_Sprallion& Form() { return *form_; }
    platform::input::ScriptedInput& Input() { return input_; }
    const TempDir& Dir() const { return dir_; }
    std::string Home() const { return dir_.File("game"); }
    std::string Log() const { return dir_.Read("game/Exception.Log"); }

    std::string where = "start";        // named in the failures kept
    int levelTicks = 0;                  // ticks since the test last reset it
    std::vector<std::string> failures;   // what reached the application's exception handler

private:
    TempDir dir_;
    testproc::ScopedEnv env_;
    platform::clock::VirtualClock clock_{1000};
    platform::input::ScriptedInput input_;
    std::unique_ptr<app::TDlg_Sprallion> form_;
    int ticks_ = 0;
};

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

// A game variable's value; -1 when the variable does not exist.
inline int32_t FieldValue(engine::TGPField* field) {
    return field ? engine::ValueToInteger(engine::GetFieldValue(field)) : -1;
}

// A frame's pixel; the frame's rows run top-down.
inline uint16_t PixelAt(const platform::display::Frame& f, int x, int y) {
    return f.Pixels[static_cast<size_t>(y) * static_cast<size_t>(f.Width) + static_cast<size_t>(x)];
}

// The frame as a 24-bit BMP file, for looking at what a failed check saw.
void WriteFrameBmp(const platform::display::Frame& f, const std::string& path);

}  // namespace demotest
