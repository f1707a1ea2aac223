// The start-up's single-instance step.
#include "app/fmPallidor.h"
#include "app/multinst.h"
#include "platform/display/Display.h"
#include "platform/window/RegisteredMessages.h"

namespace app {

bool TDlg_Sprallion::CheckInstance() {
    try {
        multinst::RestoreMessage = platform::window::RegisterWindowMessage("sprallion_Restore");
        multinst::TerminateMessage = platform::window::RegisterWindowMessage("sprallion_Terminate");
        multinst::MutexName = "sprallion";
        multinst::SetMainWindow(this, [this] { return Presenter.get(); });
        return multinst::CheckSingleInstance();
    } catch (...) {
        return true;  // the game starts anyway
    }
}

}  // namespace app
