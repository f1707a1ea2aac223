// A small form abstraction: a window with a client area, an activation state and a
// replaceable message procedure, so components can hook the messages of their form.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform::display {

inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_INITMENU = 0x0116;
inline constexpr uint32_t WA_INACTIVE = 0;
inline constexpr uint32_t WA_ACTIVE = 1;
inline constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr uint32_t SC_MINIMIZE = 0xF020;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

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

    int32_t Left = 0, Top = 0, ClientWidth = 800, ClientHeight = 600;
    uint32_t ExStyle = 0;
    WindowState State = WindowState::Normal;

protected:
    // The form's own handling, below every hook.
    virtual void DefaultHandler(Message& message);

private:
    bool active_ = false;
    bool destroyed_ = false;
};

// The application's hidden window, whose extended style forms may change.
Form& ApplicationWindow();

}  // namespace platform::display
