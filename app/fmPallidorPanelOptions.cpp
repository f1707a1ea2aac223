// The options panel "OptionPanel": sound effects and music on and off with their volumes,
// mouse or joystick control, and the first key of the six movement and action states,
// edited in the key grid.
#include <algorithm>

#include "app/PanelWidgets.h"
#include "app/fmDrawOption.h"
#include "app/fmPallidor.h"
#include "engine/gpMouse.h"
#include "engine/gpUtils.h"
#include "media/DXDrawsDisplay.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/display/Display.h"
#include "platform/window/Application.h"
#include "rtl/Numbers.h"

namespace app {
namespace {

using panels::Find;
using engine::TGPButton;
using engine::TGPCheckBox;
using engine::TGPCustomGrid;
using engine::TGPEdit;
using engine::TGPTrackBar;

// The states whose first key the grid shows and edits: up, down, left, right, launch, fire.
constexpr int32_t kEditedStates = 6;
// The two sound opcodes' suppression bits of the command line.
constexpr uint16_t kSoundMuteBits = 0x20 | 0x40;
constexpr int32_t kWaveRange = 2000;   // wave volume -2000..0 (1/100 dB)
constexpr int32_t kMidiRange = 65534;  // MIDI-out volume 0..65534
constexpr uint16_t kBackspace = 8, kEnter = 13, kEscape = 27, kConsumed = 266;
constexpr size_t kEnterState = 16, kEscState = 14;
constexpr int32_t kClickSound = 1;

// Keys that stay with the kernel however the player presses them in the grid.
bool Unassignable(uint16_t key) {
    if (key >= 1 && key <= 31) return key != kBackspace && key != kEnter && key != kEscape && !(key >= 16 && key <= 19);
    return (key >= 33 && key <= 36) || (key >= 45 && key <= 47) || (key >= 91 && key <= 93) ||
           (key >= 96 && key <= 105) || key == 144 || key == 145 || (key >= 186 && key <= 192) ||
           (key >= 219 && key <= 222);
}

bool OnlyState(const engine::TDXInputStates& states, size_t state) { return states.count() == 1 && states.test(state); }

void SetEnabled(TGPButton* control, bool enabled) {
    if (control) control->Enabled = enabled;
}

// Off, no hovered cell, nothing under edit; the editor hidden and disabled.
void ResetKeyGrid(TGPCustomGrid& grid, engine::TGPStructure& form) {
    grid.Toggled = false;
    grid.HoverCol = grid.HoverRow = -1;
    grid.EditCol = grid.EditRow = -1;
    if (auto* editor = Find<TGPEdit>(&form, grid.NameEdit)) {
        editor->Visible = false;
        editor->Focused = false;
        editor->Enabled = false;
    }
}

}  // namespace

// ---- Showing and hiding ----

void TDlg_Sprallion::On_Link_OptionPanel_Show(TObject* sender) {
    auto* form = panels::OwnerForm(sender);
    if (!form) return;
    const media::TKeyAssignList& keys = Input ? Input->Keyboard().KeyAssigns : KeyAssigns;
    if (auto* grid = Find<TGPCustomGrid>(form, "CG_KeyAssigns")) {
        ResetKeyGrid(*grid, *form);
        for (int32_t state = 0; state < kEditedStates; ++state)
            grid->SetCell(0, state, engine::KeyName(static_cast<int32_t>(keys[static_cast<size_t>(state)][0])));
    }
    if (auto* mouse = Find<TGPCheckBox>(form, "CB_cMouse")) {
        mouse->Enabled = Input && !MouseFailed;
        if (mouse->Enabled) mouse->Checked = MouseControl != 0;
    }
    if (auto* joystick = Find<TGPCheckBox>(form, "CB_cJoystick")) {
        joystick->Enabled = Input && !JoystickFailed;
        if (joystick->Enabled) joystick->Checked = Input->Joystick().Enabled();
    }

    auto* wav = Find<TGPCheckBox>(form, "CB_cWav");
    auto* wavValue = Find<TGPTrackBar>(form, "TB_WavValue");
    const bool waveOutput = Kernel && Kernel->DirectSound && Kernel->SoundState && Kernel->SoundState->WaveAvailable;
    if (wav) {
        wav->Enabled = waveOutput;
        if (waveOutput) wav->Checked = Kernel->CommandLine && (Kernel->CommandLine->SuppressMask & kSoundMuteBits) == 0;
    }
    media::TSoundBufferCollection* sounds = WaveList();
    if (!waveOutput || !sounds) {
        SetEnabled(wav, wav && waveOutput && sounds);
        SetEnabled(wavValue, false);
    } else if (wavValue && wavValue->Max > wavValue->Min) {
        wavValue->Enabled = wav ? wav->Checked : true;
        const double span = double(wavValue->Max) - wavValue->Min;
        const auto value = rtl::Round(wavValue->Max - double(-sounds->GetVolume()) * span / kWaveRange);
        wavValue->Value = static_cast<int32_t>(std::max<int64_t>(wavValue->Min, value));
    }

    auto* music = Find<TGPCheckBox>(form, "CB_cMIDI");
    auto* musicValue = Find<TGPTrackBar>(form, "TB_MIDIValue");
    if (MusicAvailable() && music) {
        music->Checked = Midi->Enabled();
        if (musicValue && musicValue->Max > musicValue->Min) {
            if (Midi->Enabled()) {
                musicValue->Enabled = music->Checked;
                const double span = double(musicValue->Max) - musicValue->Min;
                const double volume = std::min<uint32_t>(Midi->GetVolume(), kMidiRange);
                const auto value = rtl::Round(musicValue->Max - (kMidiRange - volume) * span / kMidiRange);
                musicValue->Value = static_cast<int32_t>(std::max<int64_t>(musicValue->Min, value));
            } else {
                musicValue->Enabled = false;
            }
        }
    } else {
        SetEnabled(music, false);
        SetEnabled(musicValue, false);
    }
    SetEnabled(Find<TGPButton>(form, "TB_Option_Option"), false);
}

void TDlg_Sprallion::On_Link_OptionPanel_Hide(TObject* sender) {
    auto* form = panels::OwnerForm(sender);
    auto* grid = Find<TGPCustomGrid>(form, "CG_KeyAssigns");
    if (!grid) return;
    ResetKeyGrid(*grid, *form);
    media::TKeyAssignList& keys = Input ? Input->Keyboard().KeyAssigns : KeyAssigns;
    for (int32_t state = 0; state < kEditedStates; ++state) {
        // A cell that names no key (emptied, or damaged) keeps the state's old key.
        const int32_t code = engine::KeyCode(grid->GetCell(0, state));
        if (code > 0) keys[static_cast<size_t>(state)][0] = static_cast<uint32_t>(code);
    }
    KeyAssigns = keys;
}

void TDlg_Sprallion::On_Link_OptionPanel_Ok(TObject* sender) {
    On_Link_OptionPanel_Hide(sender);
    On_Link_OnClick_Concel(sender);
}

void TDlg_Sprallion::On_Link_OptionPanel_Reset(TObject*) {
    auto* form = panels::FormNamed(Kernel.get(), "OptionPanel");
    if (!form) return;
    SetDefaultKeyAssignments(KeyAssigns);
    if (Input) Input->Keyboard().KeyAssigns = KeyAssigns;
    if (auto* grid = Find<TGPCustomGrid>(form, "CG_KeyAssigns"))
        for (int32_t state = 0; state < kEditedStates; ++state)
            grid->SetCell(0, state, engine::KeyName(static_cast<int32_t>(KeyAssigns[static_cast<size_t>(state)][0])));
}

void TDlg_Sprallion::On_Link_Option_DXKey_Ok(TObject* sender, engine::TDXInputStates& key) {
    if (!OnlyState(key, kEnterState)) return;
    key.reset();
    On_Link_OptionPanel_Ok(sender);
}

void TDlg_Sprallion::On_Link_Option_Option_Show(TObject*) {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Pressed = false;
    const bool fullScreen = DXDrawGP && (DXDrawGP->Options() & media::doFullScreen) && Presenter;
    const bool busy = Kernel ? Kernel->Busy : false;
    if (fullScreen) {
        if (Kernel) Kernel->Busy = true;
        Presenter->Minimize();
    }
    // The dialog may raise: the game is given back its window and its tick whatever happens.
    try {
        ShowDrawOptionDialog(*this);
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
    }
    if (fullScreen) {
        Presenter->Restore();
        if (Kernel) Kernel->Busy = busy;
    }
}

// ---- Sound, music and control ----

void TDlg_Sprallion::On_Link_cWav_cMIDI_Button(TObject* sender) {
    auto* box = dynamic_cast<TGPCheckBox*>(sender);
    auto* form = panels::OwnerForm(sender);
    if (!box || !form || !Kernel) return;
    if (box->Name == "CB_cWav") {
        if (Kernel->CommandLine) {
            uint16_t& mask = Kernel->CommandLine->SuppressMask;
            mask = (mask & kSoundMuteBits) != 0 ? uint16_t(mask & ~kSoundMuteBits) : uint16_t(mask | kSoundMuteBits);
        }
        SetEnabled(Find<TGPTrackBar>(form, "TB_WavValue"), box->Checked);
    } else if (box->Name == "CB_cMIDI") {
        try {
            if (Midi) Midi->SetEnabled(box->Checked);
        } catch (...) {
            platform::window::App().HandleException(std::current_exception());
        }
        if (box->Checked) box->LastPress.Mark();
        Kernel->UpdateMidi();
        SetEnabled(Find<TGPTrackBar>(form, "TB_MIDIValue"), MusicAvailable() && box->Checked);
    } else if (box->Name == "CB_cMouse") {
        MouseControl = box->Checked ? 1 : 0;
        Kernel->MouseControl = box->Checked;
        if (Input) {
            Input->Mouse().SetEnabled(box->Checked);
            if (!JoystickFailed) Input->Joystick().SetEnabled(false);
        }
        if (auto* joystick = Find<TGPCheckBox>(form, "CB_cJoystick")) joystick->Checked = false;
    } else if (box->Name == "CB_cJoystick") {
        if (auto* mouse = Find<TGPCheckBox>(form, "CB_cMouse")) mouse->Checked = false;
        MouseControl = 0;
        Kernel->MouseControl = false;
        PauseHook();
        if (Input) {
            Input->Mouse().SetEnabled(false);
            if (!JoystickFailed) Input->Joystick().SetEnabled(box->Checked);
        }
    } else {
        return;
    }
    panels::WidgetSound(*Kernel, *box, kClickSound);
}

void TDlg_Sprallion::On_Link_OptionPanel_Wav_Value(TObject* sender) {
    auto* bar = dynamic_cast<TGPTrackBar*>(sender);
    media::TSoundBufferCollection* sounds = WaveList();
    if (!bar || !sounds || !Kernel || !Kernel->DirectSound || bar->Max <= bar->Min) return;
    const double span = double(bar->Max) - bar->Min;
    sounds->SetVolume(static_cast<int32_t>(rtl::Round(-(double(bar->Max) - bar->Value) * kWaveRange / span)));
}

void TDlg_Sprallion::On_Link_OptionPanel_MIDI_Value(TObject* sender) {
    auto* bar = dynamic_cast<TGPTrackBar*>(sender);
    if (!bar) return;
    if (!Midi) {
        bar->Enabled = false;
        return;
    }
    if (bar->Max <= bar->Min) return;
    const double span = double(bar->Max) - bar->Min;
    const auto volume = rtl::Round(kMidiRange - (double(bar->Max) - bar->Value) * kMidiRange / span);
    Midi->SetVolume(static_cast<uint32_t>(std::clamp<int64_t>(volume, 0, kMidiRange)));
}

// ---- The key grid ----

void TDlg_Sprallion::On_Link_OptionGrid_Click(TObject* sender) {
    SetEnabled(Find<TGPButton>(panels::OwnerForm(sender), "TB_Start_Option"), false);
}

void TDlg_Sprallion::On_Link_OptionGrid_Exit(TObject* sender) {
    SetEnabled(Find<TGPButton>(panels::OwnerForm(sender), "TB_Start_Option"), true);
}

void TDlg_Sprallion::On_Link_KeyDown_SetKey(TObject* sender, uint16_t& key, uint32_t) {
    auto* grid = dynamic_cast<TGPCustomGrid*>(sender);
    TGPEdit* editor = grid ? grid->Editor() : nullptr;
    if (!editor || !editor->Focused || Unassignable(key)) return;
    auto* start = Find<TGPButton>(panels::OwnerForm(grid), "TB_Start_Option");
    if (key == kBackspace) {
        SetEnabled(start, false);
        if (!editor->Text.empty()) editor->Text.pop_back();
    } else if (key == kEnter) {
        grid->EndEdit(true);
        SetEnabled(start, true);
    } else if (key == kEscape) {
        grid->EndEdit(false);
        SetEnabled(start, true);
        // The Esc that ended the edit must not also close the panel.
        if (Input) Input->States.reset(kEscState);
    } else {
        const std::string name = engine::KeyName(key);
        if (name.empty()) return;  // a key without a name could never be read back: not assignable
        SetEnabled(start, false);
        for (int32_t row = 0; row < kEditedStates; ++row)
            if (row != grid->EditRow && grid->GetCell(0, row) == name) {
                key = kConsumed;
                return;  // held by another state: the editor stays as it is
            }
        editor->Text = name;
        grid->EndEdit(true);
        SetEnabled(start, true);
    }
    key = kConsumed;
}

}  // namespace app
