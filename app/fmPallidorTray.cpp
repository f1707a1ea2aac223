// The main form's tray icon. It stays disabled while the game runs, so nothing shows in the
// notification area; the click handler has nothing to do.
#include "app/fmPallidor.h"

namespace app {

void TDlg_Sprallion::CreateTrayIcon() {
    TrayIcon = std::make_unique<TTrayIcon>(this, [this](platform::tray::Callback events) {
        return platform::tray::OpenNotifyArea(std::move(events), [this](const std::string& line) { WriteLog("TTrayIcon", line); });
    });
    TrayIcon->SetIcon(Icon);
    TrayIcon->OnClick = [this](void* sender) { TrayIconClick(sender); };
}

void TDlg_Sprallion::TrayIconClick(void*) {}

}  // namespace app
