// The player's input turned into game actions: the per-tick reading of movement and buttons,
// the paddle's order and its weapon charge, the action keys (options, help, end of game,
// screenshot, quit), pause and resume, and the game kept still while the player is away.
#include <algorithm>
#include <filesystem>
#include <initializer_list>

#include "app/fmPallidor.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "engine/gpObject.h"
#include "engine/gpPaths.h"
#include "engine/gpWeapon.h"
#include "media/DIB.h"
#include "media/DXDraws.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "media/gpMidi.h"
#include "platform/clock/Clock.h"
#include "platform/display/Form.h"
#include "platform/window/Application.h"
#include "platform/window/Terminate.h"
#include "rtl/DateTime.h"
#include "rtl/Format.h"
#include "rtl/Numbers.h"

namespace app {

namespace {

namespace pd = platform::display;

constexpr uint16_t kVkReturn = 13, kVkPause = 19, kVkP = 80;
// Input states of the actions.
constexpr int kLaunch = 4, kFire = 5;
constexpr int kUp = 0, kDown = 1, kLeft = 2, kRight = 3;
constexpr int kQuit = 9;
constexpr std::initializer_list<int> kOptions = {7, 20}, kHelp = {15, 17}, kEndGame = {10, 14, 21},
                                     kScreenshot = {13, 22};
constexpr int32_t kKeyStep = 1;
// A held key toggles a panel once: toggles closer together than this are refused.
constexpr int32_t kToggleGuardMs = 500;
// The paddle's order tag while the player drives it, and the weapon kind that charges.
constexpr int32_t kPlayerOrderTag = 128;
constexpr int32_t kChargedWeapon = 8;
constexpr int32_t kDefaultChargeMax = 600;
constexpr int32_t kPaddleMoveState = 4;

// The action set names exactly one of the states.
bool IsAction(const engine::TDXInputStates& set, std::initializer_list<int> states) {
    if (set.count() != 1) return false;
    return std::any_of(states.begin(), states.end(), [&](int s) { return set.test(size_t(s)); });
}

// An input value as the paddle's order reads it: the delta in the low 16 bits, its moved flag
// in the high 16.
int32_t PackInput(int32_t delta, bool moved) {
    const auto low = static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int32_t>(delta, INT16_MIN, INT16_MAX)));
    return static_cast<int32_t>(uint32_t{low} | (moved ? 1u << 16 : 0u));
}

int32_t ClampDelta(int32_t delta) { return std::clamp<int32_t>(delta, INT16_MIN, INT16_MAX); }

bool InMoveState(const engine::TGPObject& object) {
    return object.CurrentSlide && object.CurrentSlide->IDCondition == kPaddleMoveState;
}

// The weapon kind the object's template has chosen, or -1.
int32_t CurrentWeaponKind(const engine::TGPObject& object) {
    const engine::TGPGeneralObject* t = object.Template;
    if (!t) return -1;
    const int32_t count = std::min(t->SizeWeapon, engine::TGPGeneralObject::MaxWeapons);
    if (t->CurrentWeapon < 0 || t->CurrentWeapon >= count) return -1;
    return t->Weapons[size_t(t->CurrentWeapon)];
}

// Keeps the kernel busy while the shell does what may pump messages: no tick runs nested.
class BusyKernel {
public:
    explicit BusyKernel(engine::TGPKernel* kernel) : kernel_(kernel), was_(kernel && kernel->Busy) {
        if (kernel_) kernel_->Busy = true;
    }
    ~BusyKernel() {
        if (kernel_) kernel_->Busy = was_;
    }
    BusyKernel(const BusyKernel&) = delete;
    BusyKernel& operator=(const BusyKernel&) = delete;

private:
    engine::TGPKernel* kernel_;
    bool was_;
};

}  // namespace

// ---- Keys and buttons of the form ----

void TDlg_Sprallion::FormKeyDown(TObject*, uint16_t& key, uint32_t shift) {
    if (!Kernel) return;
    const bool editing = dynamic_cast<engine::TGPEdit*>(Kernel->FocusControl) != nullptr;
    Kernel->KeyDown(this, key, shift);
    // The edit took the Enter; its action comes when the key is up, the edit's focus gone by then.
    if (editing && key == kVkReturn && !dynamic_cast<engine::TGPEdit*>(Kernel->FocusControl)) EnterEndedEdit = true;
    if (Kernel->Condition != engine::ck_Play && !GameRunning) return;
    if (key == kVkPause || key == kVkP) TogglePause();
}

void TDlg_Sprallion::DXDrawGPMouseDown(TObject*, int32_t button, uint32_t, int32_t, int32_t) {
    if (!Kernel || !Kernel->Mouse) return;
    Kernel->Mouse->Pressed = true;
    PressedButton = button;
}

void TDlg_Sprallion::FormMouseUp(TObject*, int32_t, uint32_t, int32_t, int32_t) {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Pressed = false;
    PressedButton = -1;
}

// ---- Activation and pause ----

void TDlg_Sprallion::ResetFrameTiming() {
    if (!Kernel) return;
    // The step after a pause counts one interval at most: the grid restarts from now.
    Kernel->LastClock = static_cast<uint32_t>(media::SharedClock());
    if (Kernel->Timer) Kernel->Timer->Restart();
}

void TDlg_Sprallion::DoAppActivate(TObject*) {
    if (MusicAvailable() && Midi->Enabled()) Midi->Play();
    ActivateHook();
    if (Kernel && Kernel->Condition == engine::ck_Play) ResumeHook();
    ResetFrameTiming();
}

void TDlg_Sprallion::DoAppDeactivate(TObject*) {
    if (MusicAvailable() && Midi->Enabled()) Midi->PauseIfPlaying();
    DeactivateHook();
    PauseHook();
    // The pause panel waits for the player's return.
    if (Kernel && Kernel->Condition == engine::ck_Play) TogglePause();
}

void TDlg_Sprallion::TogglePause() {
    const int32_t result = TogglePausePanel("Pause");
    if (result == 0)
        ResumeHook();
    else if (result == 1)
        PauseHook();
    ResetFrameTiming();
}

namespace {
enum class PanelMode { Menu, OverGame };
}

static int32_t TogglePanel(TDlg_Sprallion& form, const std::string& name, PanelMode mode) {
    if (!form.Kernel) return 255;
    engine::TGPKernel& kernel = *form.Kernel;
    const uint32_t now = platform::clock::TickCount();
    if (form.Toggled) {
        // Wrap-aware: a difference of the 32-bit tick count.
        const int32_t since = platform::clock::Elapsed(form.LastToggleTime, now);
        if (since >= 0 && since < kToggleGuardMs) return 255;
    }
    form.Toggled = true;
    form.LastToggleTime = now;
    switch (kernel.Condition) {
        case engine::ck_Play:
            form.RememberedMusic = form.Midi ? form.Midi->FileName() : std::string();
            if (mode == PanelMode::Menu) {
                kernel.ShowForm(name, &form);
            } else {
                kernel.SavedCondition = engine::ck_Play;
                kernel.RestorePending = true;
                kernel.ShowFormOverGame(name, &form);
            }
            return 1;
        case engine::ck_Interface:
        case engine::ck_MainInterface:
            kernel.HideForm(name);
            if (form.Midi && !form.RememberedMusic.empty()) form.Midi->SetFileName(form.RememberedMusic);
            return 0;
        default: return 255;
    }
}

int32_t TDlg_Sprallion::ToggleMenuPanel(const std::string& name) { return TogglePanel(*this, name, PanelMode::Menu); }

int32_t TDlg_Sprallion::TogglePausePanel(const std::string& name) {
    return TogglePanel(*this, name, PanelMode::OverGame);
}

void TDlg_Sprallion::ActivateHook() {}
void TDlg_Sprallion::DeactivateHook() {}
void TDlg_Sprallion::PauseHook() {}
void TDlg_Sprallion::ResumeHook() {}

void TDlg_Sprallion::OnPOWERBROADCAST(pd::Message& message) {
    // Minimised, the application loses the foreground, and that pauses the game.
    if (message.WParam == pd::PBT_APMQUERYSUSPEND || message.WParam == pd::PBT_APMSUSPEND)
        Perform(pd::WM_SYSCOMMAND, pd::SC_MINIMIZE);
}

// ---- The tick's input ----

TDlg_Sprallion::TPlayerMovement TDlg_Sprallion::ReadPlayerMovement(engine::TDXInputStates& state) {
    TPlayerMovement m;
    state.reset();
    if (Input) {
        Input->Update();
        TrackPointerPress();
        for (size_t i = 0; i < state.size(); ++i) state.set(i, Input->States.test(i));
        const platform::input::MouseState& mouse = Input->Mouse().MouseState;
        const bool byMouse = MouseControl != 0;
        if (state.test(kLeft)) {
            m.DX = -kKeyStep, m.MovedX = true;
        } else if (!state.test(kRight) && byMouse) {
            m.DX = ClampDelta(mouse.dx);
        }
        if (state.test(kRight)) {
            m.DX = kKeyStep, m.MovedX = true;
        } else if (!state.test(kLeft) && byMouse) {
            m.DX = ClampDelta(mouse.dx);
        }
        const engine::TGPObject* player = Kernel ? Kernel->Shared.Player() : nullptr;
        if (player && (player->Kind & engine::kind::Effect4)) {
            if (state.test(kUp)) {
                m.DY = -kKeyStep, m.MovedY = true;
            } else if (byMouse) {
                m.DY = ClampDelta(mouse.dy);
            }
            if (state.test(kDown)) m.DY = kKeyStep, m.MovedY = true;
        }
    }
    if (Kernel && Kernel->Mouse && Kernel->Mouse->Pressed) {
        if (PressedButton == 0) state.set(kLaunch);
        if (PressedButton == 1) state.set(kFire);
    }
    return m;
}

void TDlg_Sprallion::TrackPointerPress() {
    if (!Input || !Kernel || !Kernel->Mouse) return;
    constexpr uint8_t kLeftButton = 1, kRightButton = 2;
    const platform::input::MouseButtons buttons = Input->Window().Buttons();
    engine::TGPMouse& mouse = *Kernel->Mouse;
    if (buttons.pressed & (kLeftButton | kRightButton)) {
        // Pressed since the poll before, released again or not: this tick sees the press.
        mouse.Pressed = true;
        PressedButton = (buttons.pressed & kLeftButton) ? 0 : 1;
    } else if (mouse.Pressed && PressedButton >= 0 && !(buttons.down >> PressedButton & 1)) {
        mouse.Pressed = false;
        PressedButton = -1;
    }
    // Held, the press stays as it is: one a handler took back stays taken.
}

void TDlg_Sprallion::SetWeaponCharge(int32_t value) {
    WeaponCharge = value;
    if (Kernel) engine::SetFieldValue(Kernel->KernelRecord.Count_1, value);
}

bool TDlg_Sprallion::FireChargedWeapon(engine::TGPObject& player) {
    if (!Kernel) return false;
    engine::TGPWeapon* previous = player.Weapon;
    auto* shot = dynamic_cast<engine::TGPWeapon*>(Kernel->CreateObject(3, &player, false, kChargedWeapon));
    if (!shot) return false;
    player.Weapon = shot;
    auto putBack = [&] {
        Kernel->FreeObject(3, shot);
        // The weapon the paddle carried before, unless the shot's volley sent it back.
        if (previous && !engine::WeaponPool().Holds(previous)) {
            player.Weapon = previous;
            previous->SetOwner(&player);
        }
    };
    try {
        shot->Fire();
    } catch (...) {
        putBack();
        throw;
    }
    putBack();
    ++ShotCount;
    return true;
}

void TDlg_Sprallion::DoKernelInput(TObject*, engine::TDXInputStates& state) {
    if (!Kernel) return;
    engine::TGPKernel& kernel = *Kernel;
    kernel.DXDrawLeft = Left + (DXDrawGP ? DXDrawGP->Left : 0);
    kernel.DXDrawTop = Top + (DXDrawGP ? DXDrawGP->Top : 0);
    kernel.ReadCursorPos();
    const TPlayerMovement m = ReadPlayerMovement(state);

    const bool playing = kernel.Condition == engine::ck_Play || GameRunning;
    if (playing) {
        engine::TGPObject* player = kernel.Shared.Player();
        if (player && InMoveState(*player)) {
            if (!state.test(kFire) && (m.DX != 0 || m.DY != 0))
                player->SetOrder(player->CurrentSlide->Type_Ord_Default, m.MovedX ? 1 : 0, PackInput(m.DX, m.MovedX),
                                 PackInput(m.DY, m.MovedY), kPlayerOrderTag);
            if (CurrentWeaponKind(*player) == kChargedWeapon) {
                const int32_t chargeMax = WeaponChargeMax > 0 ? WeaponChargeMax : kDefaultChargeMax;
                if (state.test(kFire)) {
                    if (!WeaponReady) {
                        if (WeaponCharge < 1)
                            WeaponReady = true;
                        else
                            SetWeaponCharge(WeaponCharge - 1);
                    } else if (WeaponCharge >= chargeMax) {
                        // Without a weapon from the pool nothing fires and the charge waits.
                        if (FireChargedWeapon(*player)) SetWeaponCharge(0);
                    } else {
                        SetWeaponCharge(WeaponCharge + 1);
                    }
                } else if (WeaponCharge < 1) {
                    WeaponReady = true;
                } else {
                    WeaponReady = false;
                    SetWeaponCharge(WeaponCharge - 1);
                }
            }
        }
        // The volley may have sent the paddle back to its pool: ask for it again.
        if (engine::TGPObject* p = kernel.Shared.Player()) {
            if (state.test(kLaunch))
                p->ReleaseRiders(true);
            else if (state.test(kFire))
                p->ReleaseRiders(false);
        }
    }

    // The action edge: an action runs once, when all its keys are up; the kernel sees none.
    engine::TDXInputStates actions;
    if (state.any()) {
        RememberedActions = state;
        state.reset();
        return;
    }
    if (RememberedActions.none()) return;
    actions = RememberedActions;
    RememberedActions.reset();

    // What the actions start may pump messages (a dialog, the library): no tick inside.
    BusyKernel busy(Kernel.get());
    if (IsAction(actions, {kQuit})) {
        Perform(pd::WM_CLOSE);
        if (Destroyed()) platform::window::RequestTerminate();
        return;
    }
    if (kernel.Condition == engine::ck_Play || GameRunning) {
        const bool options = IsAction(actions, kOptions), help = IsAction(actions, kHelp);
        if ((options || help) && kernel.Condition == engine::ck_Play) {
            // Closing the panel, by its key, Esc or Back, returns to the game.
            kernel.SavedCondition = engine::ck_Play;
            kernel.RestorePending = true;
        }
        if (options) {
            ToggleMenuPanel("OptionPanel");
        } else if (help) {
            ToggleMenuPanel("Help");
        } else if (kernel.Condition == engine::ck_Play && IsAction(actions, kEndGame)) {
            // Message 9: Ok ends the game, Cancel goes back to it.
            ShowMessageBox(9, 9, {}, nullptr, [this](TObject* caller) { EndGame(caller); }, 1);
        }
    }
    if (kernel.FocusForm && kernel.FocusForm->OnDXKeyDown) {
        engine::TDXInputStates keys = actions;
        kernel.FocusForm->OnDXKeyDown(kernel.FocusForm, keys);
    }
    EnterEndedEdit = false;
    if (kernel.Condition == engine::ck_Play && IsAction(actions, kScreenshot)) TakeScreenshot();
}

void TDlg_Sprallion::TakeScreenshot() {
    if (!ScreenshotsEnabled || !Kernel) return;
    media::TDirectDrawSurface* surface = Kernel->Surface();
    if (!surface) return;
    try {
        const double day = rtl::Now();
        const int64_t stamp = rtl::Trunc((day - static_cast<double>(static_cast<int64_t>(day))) * 100000);
        const std::string folder = engine::ResourceFolders().PrnScr;
        const std::string name =
            engine::RealPath(rtl::Format("%S%S%D.%S", {folder, "Pal", static_cast<int32_t>(stamp), "bmp"}));
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        media::TDIB picture;
        surface->AssignTo(picture);
        picture.SaveToFile(name);
    } catch (...) {
        // One report, then no screenshots for the rest of the run; the tick goes on.
        ScreenshotsEnabled = false;
        platform::window::App().HandleException(std::current_exception());
    }
}

}  // namespace app
