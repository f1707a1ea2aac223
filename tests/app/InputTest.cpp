// The player's input in the tick: pause and its guard, the action keys run once when released,
// activation and the music, the paddle's order and the weapon's charge.
#include <SDL.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "engine/gpGeneralObject.h"
#include "engine/gpInterfaceMenu.h"
#include "engine/gpMouse.h"
#include "engine/gpObject.h"
#include "engine/gpOrder.h"
#include "platform/clock/VirtualClock.h"
#include "tests/app/AppFixtures.h"
#include "tests/engine/EngineFixtures.h"
#include "tools/datagen/MidiWriter.h"

namespace {

constexpr uint8_t kF1 = 112, kF8 = 119, kEsc = 27, kShift = 16, kLeftKey = 37;

class InputTest : public apptest::AppTest {
protected:
    InputTest() : clock_(100000) {
        platform::clock::Install(&clock_);
        enginetest::EmptyPools();
        GiveDevices(*form_);
        app::TDlg_Sprallion::SetDefaultKeyAssignments(form_->Input->Keyboard().KeyAssigns);
        Kernel().Condition = engine::ck_Play;
        pause_ = Panel("Pause");
        options_ = Panel("OptionPanel");
        help_ = Panel("Help");
    }
    ~InputTest() override {
        Kernel().Shared.SetPlayer(nullptr);
        DropDevices(*form_);
        enginetest::EmptyPools();
        platform::clock::Install(nullptr);
    }

    engine::TGPKernel& Kernel() { return *form_->Kernel; }
    engine::TGPForm* Panel(const char* name) {
        auto made = std::make_unique<engine::TGPForm>();
        made->Name = name;
        engine::TGPForm* panel = made.get();
        panel->Create(&Kernel(), 0);
        panel->Visible = false;
        Kernel().AttachInterface(std::move(made));
        return panel;
    }
    // One tick as the kernel runs it: the input, then the commands it queued.
    engine::TDXInputStates Tick(uint32_t ms = 22) {
        clock_.Advance(ms);
        engine::TDXInputStates seen;
        form_->DoKernelInput(form_.get(), seen);
        Kernel().RunCommands();
        return seen;
    }
    void Press(uint16_t key) {
        form_->FormKeyDown(form_.get(), key, 0);
        Kernel().RunCommands();
    }
    // A paddle in its move state whose weapon is the charged one (kind 8).
    void GivePlayer() {
        slide_.IDCondition = 4;
        slide_.Type_Ord_Default = 3;
        template_.SizeWeapon = 1;
        template_.Weapons[0] = 8;
        player_.Kernel = &Kernel();
        player_.CurrentSlide = &slide_;
        player_.Template = &template_;
        Kernel().Shared.SetPlayer(&player_);
    }

    platform::clock::VirtualClock clock_;
    engine::TGPForm* pause_ = nullptr;
    engine::TGPForm* options_ = nullptr;
    engine::TGPForm* help_ = nullptr;
    engine::TOneSlide slide_;
    engine::TGPGeneralObject template_;
    engine::TGPObject player_;
};

TEST_F(InputTest, PauseTogglesOncePerHalfSecondAcrossTheClocksWrap) {
    form_->GameRunning = true;
    Press('P');
    EXPECT_TRUE(pause_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_Interface);
    clock_.Advance(499);
    Press('P');  // too soon: still paused
    EXPECT_TRUE(pause_->Visible);
    clock_.Advance(1);
    Press(19);  // the Pause key
    EXPECT_FALSE(pause_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_Play);

    // The guard measures the 32-bit tick count's difference, also across its wrap.
    clock_.Set(0xFFFFFF00u);
    Press('P');
    EXPECT_TRUE(pause_->Visible);
    clock_.Advance(300);
    Press('P');
    EXPECT_TRUE(pause_->Visible);
    clock_.Advance(300);
    Press('P');
    EXPECT_FALSE(pause_->Visible);
}

TEST_F(InputTest, PauseKeysOutsidePlayDoNothing) {
    Kernel().Condition = engine::ck_MainInterface;
    Press('P');
    EXPECT_FALSE(pause_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_MainInterface);
}

TEST_F(InputTest, ActionsRunOnceWhenAllTheirKeysAreReleasedAndExactlyOne) {
    int questions = 0;
    form_->OnGameMessage = [&](int32_t message, int32_t) { questions += message == 9; };
    form_->GameRunning = true;
    input_.SetKey(kF1, true);
    input_.SetKey(kF8, true);
    EXPECT_TRUE(Tick().none());  // the kernel never sees action states
    Tick();
    input_.SetKey(kF1, false);
    input_.SetKey(kF8, false);
    Tick();
    Tick();
    EXPECT_FALSE(help_->Visible);
    EXPECT_FALSE(options_->Visible);

    input_.SetKey(kF8, true);
    Tick();
    Tick();
    EXPECT_FALSE(options_->Visible);  // not while held
    input_.SetKey(kF8, false);
    Tick();
    EXPECT_TRUE(options_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_MainInterface);
    Tick(600);
    EXPECT_TRUE(options_->Visible);  // once only

    // Closing the options returns to play; Esc then asks whether to end the game, once.
    input_.SetKey(kF8, true);
    Tick(600);
    input_.SetKey(kF8, false);
    Tick();
    EXPECT_FALSE(options_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_Play);
    input_.SetKey(kEsc, true);
    Tick();
    input_.SetKey(kEsc, false);
    Tick();
    Tick();
    EXPECT_EQ(questions, 1);
}

TEST_F(InputTest, TheFocusedFormGetsTheReleasedKeysOnceInTheMenus) {
    Kernel().Condition = engine::ck_MainInterface;
    Kernel().FocusForm = options_;
    std::vector<engine::TDXInputStates> got;
    options_->OnDXKeyDown = [&](rtl::Object*, engine::TDXInputStates& keys) { got.push_back(keys); };
    input_.SetKey(13, true);  // Enter: state 16
    Tick();
    Tick();
    EXPECT_TRUE(got.empty());
    input_.SetKey(13, false);
    Tick();
    Tick();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], engine::TDXInputStates().set(16));
}

TEST_F(InputTest, LeavingTheGamePausesItAndComingBackResumesTheMusicOnly) {
    const std::string tune = dir_.File("game/tune.mid");
    const std::string bytes = datagen::WriteMidi(datagen::ScaleTune(1, 64, 120, false));
    std::ofstream(tune, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    midi_->SetEnabled(true);
    midi_->SetFileName(tune);
    midi_->Play();
    ASSERT_TRUE(midi_->PlayingFlag());

    form_->DoAppDeactivate(form_.get());
    Kernel().RunCommands();
    EXPECT_FALSE(midi_->PlayingFlag());
    EXPECT_TRUE(pause_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_Interface);

    clock_.Advance(5000);
    form_->DoAppActivate(form_.get());
    Kernel().RunCommands();
    EXPECT_TRUE(midi_->PlayingFlag());
    EXPECT_TRUE(pause_->Visible);
    EXPECT_EQ(Kernel().Condition, engine::ck_Interface);
}

TEST_F(InputTest, AFullChargeOf600FiresOnTheTick601AndStartsAgain) {
    GivePlayer();
    ASSERT_EQ(form_->WeaponChargeMax, 600);
    input_.SetKey(kShift, true);
    for (int tick = 1; tick <= 600; ++tick) Tick();
    EXPECT_EQ(form_->WeaponCharge, 600);
    EXPECT_EQ(form_->ShotCount, 0);
    Tick();
    EXPECT_EQ(form_->ShotCount, 1);
    EXPECT_EQ(form_->WeaponCharge, 0);
    EXPECT_EQ(player_.Weapon, nullptr);  // the shot's weapon went back to the pool

    // Released, the charge runs down and the weapon is ready again only at 0.
    for (int tick = 0; tick < 10; ++tick) Tick();
    input_.SetKey(kShift, false);
    Tick();
    EXPECT_FALSE(form_->WeaponReady);
    EXPECT_EQ(form_->WeaponCharge, 9);
    for (int tick = 0; tick < 10; ++tick) Tick();
    EXPECT_TRUE(form_->WeaponReady);
    EXPECT_EQ(form_->WeaponCharge, 0);
}

TEST_F(InputTest, ThePaddleGetsItsOrderWithKeyStepsAndMouseMovesClampedTo16Bits) {
    GivePlayer();
    input_.SetKey(kLeftKey, true);
    Tick();
    ASSERT_NE(player_.Orders, nullptr);
    EXPECT_EQ(player_.Orders->A, int32_t(0x1FFFF));  // -1, moved
    EXPECT_EQ(player_.Orders->C, 1);
    input_.SetKey(kLeftKey, false);

    // The mouse steers by its movement (not bound to the direction states).
    form_->MouseControl = 1;
    form_->Input->Mouse().SetEnabled(true);
    form_->Input->Mouse().BindInputStates = false;
    input_.MoveMouse(100000, 0);
    Tick();
    ASSERT_NE(player_.Orders, nullptr);
    EXPECT_EQ(player_.Orders->A, 0x7FFF);
    EXPECT_EQ(player_.Orders->C, 0);
    input_.MoveMouse(-100000, 0);
    Tick();
    EXPECT_EQ(player_.Orders->A, 0x8000);
}

TEST_F(InputTest, SuspendMinimisesTheWindow) {
    platform::display::Message suspend{platform::display::WM_POWERBROADCAST, platform::display::PBT_APMSUSPEND, 0, 0};
    form_->OnPOWERBROADCAST(suspend);
    EXPECT_EQ(form_->State, platform::display::WindowState::Minimized);
}

// Under SDL (its dummy video driver, events injected as the window system queues them): a
// click or an Enter pressed and released 5 ms later, between two ticks, is taken each time.
TEST_F(InputTest, AClickOrAKeyTapShorterThanATickIsTakenUnderSDL) {
    testproc::ScopedEnv env("SDL_VIDEODRIVER", "dummy");
    env.Unset("SPRALLION_VIDEO");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        std::unique_ptr<platform::input::Device> sdl = platform::input::OpenDevice();
        ASSERT_STREQ(sdl->Name(), "SDL");
        form_->Input = std::make_unique<media::TDXInput>(sdl.get());
        form_->Input->SetActiveOnly(false);  // no window of the dummy driver has the focus
        form_->Input->Initialize();
        app::TDlg_Sprallion::SetDefaultKeyAssignments(form_->Input->Keyboard().KeyAssigns);
        auto mouse = std::make_unique<engine::TGPMouse>();
        engine::TGPMouse& pointer = *mouse;
        pointer.Create(&Kernel(), 0);
        Kernel().SetMouse(std::move(mouse));
        Kernel().Condition = engine::ck_MainInterface;
        engine::TGPForm* box = Panel("MessageBox");
        Kernel().FocusForm = box;
        int enters = 0;
        box->OnDXKeyDown = [&](rtl::Object*, engine::TDXInputStates& keys) { enters += keys == engine::TDXInputStates().set(16); };

        auto inject = [](SDL_Event down, SDL_Event up) {
            SDL_PushEvent(&down);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            SDL_PushEvent(&up);
            SDL_PumpEvents();
            SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the window's share, no tick's
        };
        SDL_Event press{}, release{};
        press.type = SDL_MOUSEBUTTONDOWN, release.type = SDL_MOUSEBUTTONUP;
        press.button.button = release.button.button = SDL_BUTTON_LEFT;
        SDL_Event keyDown{}, keyUp{};
        keyDown.type = SDL_KEYDOWN, keyUp.type = SDL_KEYUP;
        keyDown.key.keysym.scancode = keyUp.key.keysym.scancode = SDL_SCANCODE_RETURN;
        int clicks = 0;
        for (int i = 0; i < 20; ++i) {
            inject(press, release);
            Tick();
            clicks += pointer.Pressed;  // the tick's widgets see the press
            Tick();
            EXPECT_FALSE(pointer.Pressed) << "released by the next tick";
            inject(keyDown, keyUp);
            Tick();  // down for this poll: remembered
            Tick();  // up: the action runs
        }
        EXPECT_EQ(clicks, 20);
        EXPECT_EQ(enters, 20);
        form_->Input.reset();  // before its device
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
