// One event of the window system as the event pump hands it to a window: in the system's
// own terms (virtual-key codes, client coordinates), the same for every backend.
#pragma once

#include <cstdint>

namespace platform::window {

enum class EventType : uint8_t {
    FocusGained,     // the window got the keyboard focus
    FocusLost,       // the window lost it
    AppActivated,    // the application became active: one of its windows has the focus
    AppDeactivated,  // none of its windows has the focus any more
    Shown,
    Hidden,
    Exposed,
    Minimized,
    Maximized,
    Restored,
    Moved,      // X, Y: the window's new position
    Resized,    // X, Y: the new client size
    Close,      // the close box or the window manager asks the window to close
    KeyDown,    // Key: virtual-key code; Repeat when the key is held
    KeyUp,
    MouseMove,  // X, Y: client coordinates
    MouseDown,  // Button: 0 left, 1 right, 2 middle; X, Y
    MouseUp,
    MouseWheel,  // Y: steps, positive away from the user
    MouseLeave,  // the pointer left the window
    DisplayChanged,  // a display changed its mode or layout; every window hears it
    HotKey,      // a hot key the window registered: Param its id, Key and Modifiers as registered
    PowerBroadcast,  // power management: Param the event (0 suspend asked, 4 suspending, 7 resumed)
};

// Keys, buttons, the wheel and motion: what a window that is disabled does not get.
inline bool IsInputEvent(EventType type) {
    switch (type) {
        case EventType::KeyDown:
        case EventType::KeyUp:
        case EventType::MouseMove:
        case EventType::MouseDown:
        case EventType::MouseUp:
        case EventType::MouseWheel: return true;
        default: return false;
    }
}

// Modifier bits, in the order of the class library's shift state.
inline constexpr uint32_t kShiftKey = 0x1, kAltKey = 0x2, kCtrlKey = 0x4;

struct WindowEvent {
    EventType Type = EventType::Exposed;
    uint32_t WindowId = 0;
    uint32_t Key = 0;
    bool Repeat = false;
    int32_t X = 0, Y = 0;
    int32_t Button = 0;
    uint32_t Modifiers = 0;
    uint32_t Param = 0;
};

}  // namespace platform::window
