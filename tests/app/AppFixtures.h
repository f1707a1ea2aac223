// The main form in a temporary program folder, registry and runtime folder, with the
// headless stand-ins of the devices the shell's services touch.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/input/ScriptedInput.h"
#include "platform/midi/Sequencer.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Terminate.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace apptest {

// What the kernel is handed for sound: nothing to do for the services.
class QuietSoundDevice : public engine::TKernelSoundDevice {
public:
    bool Sound3D() const override { return false; }
    void SetSound3D(bool) override {}
    void CommitDeferredSettings() override {}
};

// The kernel's sound register is the media layer's wave list as well.
class WaveRegister : public media::TDXWaveList, public engine::TKernelSoundRegister {
public:
    WaveRegister() : media::TDXWaveList(nullptr) {}
    engine::TKernelSound* SoundOfNumber(engine::TGPKernel&, int32_t, int32_t) override { return nullptr; }
    engine::TKernelSound* SoundOfSlide(engine::TGPKernel&, engine::TGPStructure*, int32_t) override { return nullptr; }
    void ClearLoaded() override {}
};

class AppTest : public ::testing::Test {
protected:
    AppTest() {
        env_.Set("SPRALLION_REGISTRY", dir_.File("registry"));
        env_.Set("SPRALLION_RUNTIME_DIR", dir_.File("run"));
        std::filesystem::create_directories(dir_.File("game/Resource"));
        engine::SetProgramFolder(dir_.File("game"));
        platform::window::ClearRecordedMessageBoxes();
        platform::window::ClearTerminateRequest();
        form_ = NewForm();
    }
    ~AppTest() override {
        form_.reset();
        platform::window::ClearTerminateRequest();
    }

    std::unique_ptr<app::TDlg_Sprallion> NewForm() {
        auto form = std::make_unique<app::TDlg_Sprallion>();
        form->VersionInfo.CompanyName = "Quorvex";
        form->VersionInfo.ProductName = "Sprallion";
        return form;
    }

    std::string Log() const { return dir_.Read("game/Exception.Log"); }
    std::string LogFile() const { return dir_.File("game/Exception.Log"); }

    // The devices of a running game: keyboard and mouse, a kernel with a sound device, its
    // wave list and a music player.
    void GiveDevices(app::TDlg_Sprallion& form, bool withMouse = true) {
        input_.SetHasMouse(withMouse);
        form.Input = std::make_unique<media::TDXInput>(&input_);
        form.Input->Initialize();
        form.Kernel = std::make_unique<engine::TGPKernel>(nullptr, nullptr, std::make_unique<QuietSoundDevice>());
        auto waves = std::make_unique<WaveRegister>();
        waves_ = waves.get();
        form.Kernel->SoundRegister = std::move(waves);
        midi_ = std::make_unique<media::TGPMidi>(platform::midi::MakeNullSequencer({}));
        midi_->FindMidiDevice();
        form.Midi = midi_.get();
        form.Kernel->SoundState->MidiAvailable = true;
    }
    void DropDevices(app::TDlg_Sprallion& form) {
        form.Kernel.reset();
        form.Input.reset();
        form.Midi = nullptr;
        midi_.reset();
        waves_ = nullptr;
    }

    TempDir dir_;
    testproc::ScopedEnv env_;
    platform::input::ScriptedInput input_;
    WaveRegister* waves_ = nullptr;  // owned by the kernel
    std::unique_ptr<media::TGPMidi> midi_;
    std::unique_ptr<app::TDlg_Sprallion> form_;
};

}  // namespace apptest
