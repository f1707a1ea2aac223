#include "app/Program.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "app/GameRules.h"
#include "app/Forms.h"
#include "app/GameScript.h"
#include "app/fmGPMessageBox.h"
#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpUtils.h"
#include "media/GPTimer.h"
#include "platform/clock/VirtualClock.h"
#include "platform/display/Display.h"
#include "platform/display/Pointer.h"
#include "platform/input/ScriptedInput.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/MessageLoop.h"
#include "platform/window/ModalLoop.h"
#include "platform/window/Signals.h"
#include "platform/window/Terminate.h"

namespace app {
namespace {

namespace pw = platform::window;
namespace vk = platform::input::vk;

bool ReadScript(const char* file, std::string& text, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return false;
    }
    text.assign(kMaxScriptBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return true;
}

// The script's input reaches the game as the player's would: the input devices' state that
// the tick polls, and the window's key and mouse messages.
class FormScriptTarget final : public TScriptTarget {
public:
    FormScriptTarget(TDlg_Sprallion& form, platform::input::ScriptedInput& input) : form_(form), input_(input) {
        // The in-game message box holds the text of the message shown last.
        form_.OnGameMessage = [this](int32_t message, int32_t) { message_ = message; };
        platform::display::ScriptPointer(x_, y_);
    }

    // A key goes to the window with the keyboard focus: a native dialog while one is up (the
    // game's input device then reads nothing of it), else the game.
    void Key(uint8_t key, bool down) override {
        const uint32_t dialog = pw::MainPump().ModalWindow();
        if (!dialog) input_.SetKey(key, down);
        const uint32_t bit = key == vk::Shift ? pw::kShiftKey : key == vk::Control ? pw::kCtrlKey : key == vk::Menu ? pw::kAltKey : 0;
        modifiers_ = down ? (modifiers_ | bit) : (modifiers_ & ~bit);
        Post(down ? pw::EventType::KeyDown : pw::EventType::KeyUp, [&](pw::WindowEvent& e) {
            e.Key = key;
            if (dialog) e.WindowId = dialog;
        });
    }
    // The move starts where the pointer is (the game warps it onto menus and objects) and
    // moves the pointer the game reads each tick as well as the window's mouse.
    void MouseMove(int32_t dx, int32_t dy) override {
        input_.MoveMouse(dx, dy);
        const platform::display::PointerPoint at = platform::display::GetCursorPos();
        x_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t{at.X} + dx, 0, std::max(1, form_.ClientWidth) - 1));
        y_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t{at.Y} + dy, 0, std::max(1, form_.ClientHeight) - 1));
        platform::display::ScriptPointer(x_, y_);
        Post(pw::EventType::MouseMove, [](pw::WindowEvent&) {});
    }
    void MouseButton(int button, bool down) override {
        input_.SetMouseButton(button, down);
        Post(down ? pw::EventType::MouseDown : pw::EventType::MouseUp, [&](pw::WindowEvent& e) { e.Button = button; });
    }
    bool PanelShown(const std::string& name) override {
        engine::TGPStructure* panel = form_.Kernel ? form_.Kernel->FindChild(name) : nullptr;
        return panel && panel->Visible;
    }
    std::optional<int32_t> Variable(const std::string& name) override {
        if (!form_.Kernel) return std::nullopt;
        if (name == "Condition") return static_cast<int32_t>(form_.Kernel->Condition);
        if (name == "Bricks") return BricksInPlay();
        engine::TGPField** field = form_.Kernel->KernelRecord.Find(name);
        if (!field || !*field) return std::nullopt;
        try {
            return engine::ValueToInteger(engine::GetFieldValue(*field));
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<int32_t> MessageShown() override {
        if (!message_ || !PanelShown(kMessagePanel)) return std::nullopt;
        return message_;
    }

    std::optional<std::string> DialogShown() override {
        if (const TForm* dialog = ActiveForm()) return dialog->Name();
        return std::nullopt;
    }
    // The message box shows window message N as its kind.
    std::optional<int32_t> WindowMessageShown() override {
        if (const auto* box = dynamic_cast<const TDlg_GPMessage*>(ActiveForm())) return box->Kind;
        return std::nullopt;
    }

    std::optional<TPlayView> PlayView() override {
        return form_.Kernel ? PlayViewOf(*form_.Kernel) : std::nullopt;
    }

private:
    static constexpr const char* kMessagePanel = "MessageBox";

    // The bricks that can still be broken: what a level's end waits for.
    int32_t BricksInPlay() const {
        engine::TGPNation* bricks = form_.Kernel->FindNation(rules::BrickNationKey);
        int32_t count = 0;
        for (int i = 0; bricks && i < bricks->Objects.Count(); ++i) {
            const engine::TGPObject* o = bricks->Objects[i];
            if (engine::IsBrickClass(o->IDClass) && o->HitPoints < engine::kIndestructible) ++count;
        }
        return count;
    }

    template <class Fill> void Post(pw::EventType type, Fill fill) {
        pw::WindowEvent e;
        e.Type = type;
        e.WindowId = form_.Window() ? form_.Window()->WindowId() : 0;
        e.X = x_;
        e.Y = y_;
        e.Modifiers = modifiers_;
        fill(e);
        pw::MainPump().Post(e);
    }

    TDlg_Sprallion& form_;
    platform::input::ScriptedInput& input_;
    int32_t x_ = 400, y_ = 300;
    uint32_t modifiers_ = 0;
    std::optional<int32_t> message_;
};

// On a virtual clock: when the loop has nothing to do, the clock moves to the timer's next
// tick once the timer's thread waits for it, so ticks follow each other at once.
void StepVirtualClock(platform::clock::VirtualClock& clock, TDlg_Sprallion& form) {
    if (!form.Kernel || !form.Kernel->Timer) return;
    media::TGPTimer& timer = *form.Kernel->Timer;
    if (!timer.Enabled() || !timer.OnTimer() || (!timer.Active() && timer.PauseWhenInactive())) return;
    while (!clock.WaitForSleepers(1, 10))
        if (pw::MainDispatcher().Pending() > 0) return;  // the tick is already on its way
    const int32_t ahead = platform::clock::Elapsed(clock.Now(), timer.NextTime());
    if (ahead > 0) clock.Advance(static_cast<uint32_t>(ahead));
}

}  // namespace

int RunProgram(int argc, char** argv) { return RunProgram(argc, argv, ProgramHooks{}); }

int RunProgram(int argc, char** argv, const ProgramHooks& hooks) {
    // First, before any thread exists: the signals then stay blocked in every thread. While
    // the program starts, the main thread is busy with the start's steps: a signal asks at once
    // for the end, and the start stops at its next step. Once the game runs, a signal closes the
    // main form, as the player's quitting does.
    TDlg_Sprallion* mainForm = nullptr;
    std::atomic<bool> starting{true};
    pw::SignalWatch signals(
        [&mainForm, &starting](int) {
            if (mainForm && !starting.load())
                mainForm->Perform(platform::display::WM_CLOSE);
            else
                pw::RequestTerminate();
        },
        [&starting](int) {
            if (starting.load()) pw::RequestTerminate();
        });
    engine::SetParams(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));

    std::unique_ptr<platform::clock::VirtualClock> virtualClock;
    if (const char* mode = std::getenv("SPRALLION_CLOCK"); mode && std::strcmp(mode, "virtual") == 0) {
        virtualClock = std::make_unique<platform::clock::VirtualClock>();
        platform::clock::Install(virtualClock.get());
    }
    std::optional<TGameScript> script;
    if (const char* file = std::getenv("SPRALLION_SCRIPT"); file && *file) {
        std::string text, error;
        script.emplace();
        if (!ReadScript(file, text, error) || !ParseGameScript(text, *script, error)) {
            std::fprintf(stderr, "sprallion: %s: %s\n", file, error.c_str());
            if (virtualClock) platform::clock::Install(nullptr);
            return kExitScriptInvalid;
        }
    }

    int exitCode = 0;
    platform::input::ScriptedInput scriptInput;
    auto form = std::make_unique<TDlg_Sprallion>();
    std::unique_ptr<FormScriptTarget> target;
    std::unique_ptr<TScriptRunner> runner;
    if (script) {
        form->InputSource = &scriptInput;
        target = std::make_unique<FormScriptTarget>(*form, scriptInput);
        runner = std::make_unique<TScriptRunner>(std::move(*script), *target);
    }
    // The script's turn: after each tick of the game, and every tick's time while a native
    // dialog is up (its modal loop may run before the kernel exists, or while it pauses).
    auto scriptStep = [&] {
        runner->Tick();
        if (runner->Status() == TScriptRunner::State::Failed && exitCode == 0) {
            exitCode = kExitScriptFailed;
            form->WriteLog("Script", runner->Failure());
            std::fprintf(stderr, "sprallion: %s\n", runner->Failure().c_str());
            form->Perform(platform::display::WM_CLOSE);
            pw::RequestTerminate();  // also ends a dialog of a start-up that has not shown the form
        }
    };
    pw::DialogTimer dialogSteps;
    if (runner) {
        dialogSteps.SetInterval(form->IntervalTimer);
        dialogSteps.SetOnTimer([&] {
            if (ActiveForm()) scriptStep();
        });
        dialogSteps.SetEnabled(true);
    }
    if (runner || hooks.AfterTick) {
        form->AfterTick = [&] {
            if (runner && !ActiveForm()) scriptStep();
            if (hooks.AfterTick) hooks.AfterTick(*form);
        };
    }

    mainForm = form.get();
    form->FormCreate(form.get());
    if (!pw::TerminateRequested()) {
        form->Show();
        starting.store(false);
        pw::RunMessageLoop(pw::MainPump(), [&] {
            if (virtualClock) StepVirtualClock(*virtualClock, *form);
        });
    }
    mainForm = nullptr;
    dialogSteps.SetEnabled(false);
    form->FormDestroy(form.get());
    if (form->FatalErrorShown && exitCode == 0) exitCode = kExitFatalError;
    form.reset();
    if (virtualClock) platform::clock::Install(nullptr);
    return exitCode;
}

}  // namespace app
