// Pop-up menus of the dialogs: a small window of its own at the pointer, modal while open.
#pragma once

#include <string>
#include <vector>

#include "app/Controls.h"

namespace platform::window {
class EventPump;
}

namespace app {

struct TMenuItem {
    std::string Caption;  // "&x" marks the item's key
    bool Default = false;
    TNotifyEvent OnClick;
    void Click() {
        if (OnClick) OnClick(this);
    }
};

class TPopupMenu {
public:
    std::vector<TMenuItem> Items;
    TFont Font;
    platform::window::EventPump* Pump = nullptr;

    // Asks for the menu at a point of the screen: OnPopup shows it (the tray icon's menu is
    // drawn by whoever set it).
    std::function<void(TPopupMenu& menu, int32_t x, int32_t y)> OnPopup;
    void Popup(int32_t x, int32_t y);
    int32_t PopupX = 0, PopupY = 0;
    int Popups = 0;

    // Opens the menu itself with its top-left corner at a screen point, above the given
    // window, and runs until an item is chosen (a click, Enter, or its key) or the menu is
    // dismissed (Esc, a press on another window of ours, the focus going elsewhere). The
    // chosen item's OnClick runs once the menu is closed; answers its index, or -1.
    int TrackPopup(int32_t screenX, int32_t screenY, uint32_t ownerWindowId);
};

}  // namespace app
