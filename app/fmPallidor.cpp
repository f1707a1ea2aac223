#include "app/fmPallidor.h"

#include "app/fmGPMessageBox.h"
#include "app/multinst.h"
#include "internet/R_InternetI.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/display/Display.h"
#include "platform/registry/Registry.h"
#include "platform/window/Application.h"

namespace app {

TDlg_Sprallion::TDlg_Sprallion() {
    ProgramDir = engine::ResourceFolders().Program;
    ClientWidth = 800;
    ClientHeight = 600;
    Icon = ApplicationIcon();
    SetDefaultKeyAssignments(KeyAssigns);
    media::FillStateIndexes(KeyChangeMouse);
    media::FillStateIndexes(KeyChangeJoystick);
}

RTL_REGISTER_CLASS(TDlg_Sprallion);

void TDlg_Sprallion::DescribeClass(rtl::ClassBuilder<TDlg_Sprallion>& c) {
    using T = TDlg_Sprallion;
    c.Method("FormCreate", &T::FormCreate)
        .Method("FormShow", &T::FormShow)
        .Method("FormActivate", &T::FormActivate)
        .Method("FormDestroy", &T::FormDestroy)
        .Method("FormKeyDown", &T::FormKeyDown)
        .Method("FormMouseUp", &T::FormMouseUp)
        .Method("DXDrawGPMouseDown", &T::DXDrawGPMouseDown)
        .Method("DXDrawGPMouseMove", &T::DXDrawGPMouseMove)
        .Method("DXDrawGPInitialize", &T::DXDrawGPInitialize)
        .Method("DoKernelDestroy", &T::DoKernelDestroy)
        .Method("DoGPCreateGames", &T::DoGPCreateGames)
        .Method("DoDestroyGames", &T::DoDestroyGames)
        .Method("DoGPNextLevel", &T::DoGPNextLevel)
        .Method("DoGPLastLevel", &T::DoGPLastLevel)
        .Method("DoGPNewLife", &T::DoGPNewLife)
        .Method("DoGPEndLife", &T::DoGPEndLife)
        .Method("DoGPSortNation", &T::DoGPSortNation)
        .Method("DoGPMove", &T::DoGPMove)
        .Method("DoCheckVelocity", &T::DoCheckVelocity)
        .Method("DoConditionEvent", &T::DoConditionEvent)
        .Method("DoKernelInput", &T::DoKernelInput)
        .Method("DoAppActivate", &T::DoAppActivate)
        .Method("DoAppDeactivate", &T::DoAppDeactivate)
        .Method("UpDataClick", &T::UpDataClick);
    c.Method("On_Link_OptionPanel_Show", &T::On_Link_OptionPanel_Show)
        .Method("On_Link_cWav_cMIDI_Button", &T::On_Link_cWav_cMIDI_Button)
        .Method("On_Link_OptionPanel_Wav_Value", &T::On_Link_OptionPanel_Wav_Value)
        .Method("On_Link_OptionPanel_MIDI_Value", &T::On_Link_OptionPanel_MIDI_Value)
        .Method("On_Link_OptionGrid_Click", &T::On_Link_OptionGrid_Click)
        .Method("On_Link_OptionGrid_Exit", &T::On_Link_OptionGrid_Exit)
        .Method("On_Link_KeyDown_SetKey", &T::On_Link_KeyDown_SetKey)
        .Method("On_Link_OptionPanel_Hide", &T::On_Link_OptionPanel_Hide)
        .Method("On_Link_OptionPanel_Ok", &T::On_Link_OptionPanel_Ok)
        .Method("On_Link_OptionPanel_Reset", &T::On_Link_OptionPanel_Reset)
        .Method("On_Link_Option_DXKey_Ok", &T::On_Link_Option_DXKey_Ok)
        .Method("On_Link_Option_Option_Show", &T::On_Link_Option_Option_Show)
        .Method("On_Link_LoadSave_Show", &T::On_Link_LoadSave_Show)
        .Method("On_Link_Load_Show", &T::On_Link_Load_Show)
        .Method("On_Link_Enter_ImageSave", &T::On_Link_Enter_ImageSave)
        .Method("On_Link_Enter_ImageLoad", &T::On_Link_Enter_ImageLoad)
        .Method("On_Link_Save_Games", &T::On_Link_Save_Games)
        .Method("On_Link_Load_Games", &T::On_Link_Load_Games)
        .Method("On_Link_Load_Create", &T::On_Link_Load_Create)
        .Method("On_Link_Save_Create", &T::On_Link_Save_Create);
    // Panels: new game and main menu.
    c.Method("On_Link_Main_DXKey_Ok", &T::On_Link_Main_DXKey_Ok)
        .Method("On_Link_NewGame_Show", &T::On_Link_NewGame_Show)
        .Method("On_Link_OnClick_Tema", &T::On_Link_OnClick_Tema)
        .Method("On_Link_Difficulty_CheckBox", &T::On_Link_Difficulty_CheckBox)
        .Method("On_Link_NewGame_Hide", &T::On_Link_NewGame_Hide)
        .Method("On_Link_NewGame_DXKey_Ok", &T::On_Link_NewGame_DXKey_Ok)
        .Method("On_Link_OnClick_StartNewGame", &T::On_Link_OnClick_StartNewGame)
        .Method("On_Link_CallBackMain", &T::On_Link_CallBackMain)
        .Method("On_Link_Enter_Button", &T::On_Link_Enter_Button)
        .Method("On_Link_Exit_Button", &T::On_Link_Exit_Button)
        .Method("On_Link_Help", &T::On_Link_Help)
        .Method("On_Link_OnClick_Option", &T::On_Link_OnClick_Option)
        .Method("On_Link_Credits_Create", &T::On_Link_Credits_Create)
        .Method("On_Link_OnClick_Halt", &T::On_Link_OnClick_Halt)
        .Method("On_Link_OnClick_Concel", &T::On_Link_OnClick_Concel)
        .Method("On_Link_MainPanel_Show", &T::On_Link_MainPanel_Show)
        .Method("On_Link_DXKeyDown", &T::On_Link_DXKeyDown)
        .Method("On_Link_Main_DXKey_Cancel", &T::On_Link_Main_DXKey_Cancel)
        .Method("On_Link_Message_DXKey_Ok", &T::On_Link_Message_DXKey_Ok)
        .Method("On_Link_Sprallion_Exit", &T::On_Link_Sprallion_Exit)
        .Method("On_Link_About_Show", &T::On_Link_About_Show)
        .Method("On_Link_ShowHelp", &T::On_Link_ShowHelp)
        .Method("On_Link_HelpHTML", &T::On_Link_HelpHTML)
        .Method("On_Link_Credits_Show", &T::On_Link_Credits_Show)
        .Method("On_Link_MainPanel_ShowLocalTopList", &T::On_Link_MainPanel_ShowLocalTopList)
        .Method("On_Link_Updata_Show", &T::On_Link_Updata_Show)
        .Method("OnClick_Quorvex", &T::OnClick_Quorvex)
        .Method("On_Link_Spr_Logo_Show", &T::On_Link_Spr_Logo_Show)
        .Method("On_Link_Spr_Logo_Move", &T::On_Link_Spr_Logo_Move)
        .Method("On_Link_Mirel_BeginStand", &T::On_Link_Mirel_BeginStand)
        .Method("On_Link_Quor_BeginStand", &T::On_Link_Quor_BeginStand)
        .Method("On_Link_Mirel_HideStand", &T::On_Link_Mirel_HideStand)
        .Method("On_Link_Spr_Logo_DXKey", &T::On_Link_Spr_Logo_DXKey)
        .Method("On_Link_Spr_Logo_Hide", &T::On_Link_Spr_Logo_Hide)
        .Method("On_Link_Spr_Logo_F_DXKey", &T::On_Link_Spr_Logo_F_DXKey)
        .Method("On_Link_Spr_Logo_F_Hide", &T::On_Link_Spr_Logo_F_Hide);
}

TDlg_Sprallion::~TDlg_Sprallion() {
    // The message box's window stays above the game window: it goes before it.
    MessageDialog.reset();
    // The kernel refers to the display, the input and the sound: it goes first, then what
    // it was handed.
    Kernel.reset();
    Midi = nullptr;
    KernelInput.reset();
    KernelDisplay.reset();
    try {
        ReleaseInternetObject();
    } catch (...) {
        // a shut-down that did not run FormDestroy has no log step left to report it in
    }
    TrayIcon.reset();
    if (Presenter) platform::display::SetLogSink({});  // it wrote into this form's log
    DXDrawGP.reset();
    Presenter.reset();
    Input.reset();
    OwnedInputSource.reset();
    Resource.reset();
    if (handlerInstalled_) {
        platform::window::App().SetExceptionHandler({});
        platform::registry::SetLogHandler({});
    }
    multinst::ForgetMainWindow(this);
}

media::TSoundBufferCollection* TDlg_Sprallion::WaveList() const {
    if (!Kernel || !Kernel->SoundRegister) return nullptr;
    // The kernel's sound register is the media layer's wave list as well.
    return dynamic_cast<media::TSoundBufferCollection*>(Kernel->SoundRegister.get());
}

bool TDlg_Sprallion::MusicAvailable() const {
    return Midi && Kernel && Kernel->SoundState && Kernel->SoundState->MidiAvailable;
}

std::string StandInVersion(const std::string& fileVersion) {
    // The stand-ins do what the DirectX 7 libraries did.
    return fileVersion.empty() ? std::string("4.07.00.0700") : fileVersion;
}

}  // namespace app
