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

TDlg_Sprallion::~TDlg_Sprallion() {
    // The message box's window stays above the game window: it goes before it.
    MessageDialog.reset();
    // The kernel refers to the display, the input and the sound: it goes first.
    Kernel.reset();
    TrayIcon.reset();
    DXDrawGP.reset();
    Presenter.reset();
    Input.reset();
    Resource.reset();
    if (handlerInstalled_) platform::window::App().SetExceptionHandler({});
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
