// A small form abstraction: a window with a client area, an activation state and a
// replaceable message procedure, so components can hook the messages of their form.
//
// A form attached to a real window hears that window's events from the event pump as the
// messages of the window manager: focus as WM_ACTIVATE, the application's activation as
// WM_ACTIVATEAPP, minimising and restoring as WM_SIZE, the close box as WM_CLOSE (whose
// default handling destroys the form), keys and the mouse as their messages, the mouse at the
// frame's pixels however the window scales and places the frame. The default handling acts
// on the real window in turn: SC_MINIMIZE minimises it, and a window uncovered or resized
// shows its last frame again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform::window {
class EventPump;
struct WindowEvent;
}  // namespace platform::window

namespace platform::display {

class Presenter;

inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
inline constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_INITMENU = 0x0116;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr uint32_t WM_HOTKEY = 0x0312;
// Power-management events (wParam of WM_POWERBROADCAST).
inline constexpr uint32_t PBT_APMQUERYSUSPEND = 0, PBT_APMSUSPEND = 4, PBT_APMRESUMESUSPEND = 7;
inline constexpr uint32_t WA_INACTIVE = 0;
inline constexpr uint32_t WA_ACTIVE = 1;
inline constexpr uint32_t SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
inline constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr uint32_t SC_MINIMIZE = 0xF020;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;
// Mouse message flags (wParam): buttons held and modifier keys.
inline constexpr uint32_t MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
// Key message lParam: the key was already down (auto-repeat); Alt was held.
inline constexpr intptr_t KF_REPEAT = intptr_t(1) << 30, KF_ALTDOWN = intptr_t(1) << 29;
// Points in lParam: x in the low word, y in the high word, both signed.
inline intptr_t MakePoint(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | uint32_t(uint16_t(y)) << 16); }
inline int32_t PointX(intptr_t lParam) { return int16_t(uint16_t(lParam)); }
inline int32_t PointY(intptr_t lParam) { return int16_t(uint16_t(uint32_t(lParam) >> 16)); }

struct Message {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

using WindowProc = std::function<void(Message&)>;

enum class WindowState { Normal, Minimized, Maximized };

class Form {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The procedure every message goes through; hooks replace it and chain to the old one.
    WindowProc WindowProcedure;
    // Sends a message through the current procedure.
    intptr_t Perform(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);

    bool Active() const { return active_; }
    void SetActive(bool active);  // sends WM_ACTIVATE
    void Show();                  // sends WM_WINDOWPOSCHANGED with SWP_SHOWWINDOW
    void Close();                 // sends WM_DESTROY once
    bool Destroyed() const { return destroyed_; }

    // Binds the form to a real window: the pump routes the window's events here until the
    // form is detached or destroyed. The main form also tells the application whether the
    // main form is active. A presenter without a window (headless) is bound for its
    // default handling only; its events come from whoever posts them under id 0.
    void AttachWindow(Presenter& window, window::EventPump& pump, bool mainForm = true);
    void DetachWindow();
    Presenter* Window() const { return window_; }
    // The modifier keys of the last key or mouse message (window::kShiftKey, kAltKey, kCtrlKey).
    uint32_t KeyModifiers() const { return modifiers_; }
    // A hot key of the attached window: the key with exactly these modifiers comes as
    // WM_HOTKEY (wParam the id, lParam modifiers in the low and the key in the high word).
    // False without a window, or when the combination or the id is taken.
    bool RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t key);
    bool UnregisterHotKey(int32_t id);

    int32_t Left = 0, Top = 0, ClientWidth = 800, ClientHeight = 600;
    uint32_t ExStyle = 0;
    WindowState State = WindowState::Normal;

protected:
    // The form's own handling, below every hook.
    virtual void DefaultHandler(Message& message);
    // The window manager's default handling, below the form's: acts on the real window.
    void DefaultWindowHandling(Message& message);

private:
    void OnWindowEvent(const window::WindowEvent& event);

    bool active_ = false;
    bool destroyed_ = false;
    bool mainForm_ = false;
    Presenter* window_ = nullptr;
    window::EventPump* pump_ = nullptr;
    uint32_t windowId_ = 0;
    uint32_t buttons_ = 0;  // MK_ flags of the buttons held
    uint32_t modifiers_ = 0;
};

// The application's hidden window, whose extended style forms may change.
Form& ApplicationWindow();

}  // namespace platform::display
