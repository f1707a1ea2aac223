#include "platform/display/Form.h"

#include "platform/display/Display.h"
#include "platform/window/EventPump.h"

namespace platform::display {

namespace {

uint32_t ButtonFlag(int32_t button) {
    switch (button) {
        case 0: return MK_LBUTTON;
        case 1: return MK_RBUTTON;
        default: return MK_MBUTTON;
    }
}

uint32_t ButtonMessage(int32_t button, bool down) {
    switch (button) {
        case 0: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        case 1: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        default: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    }
}

}  // namespace

Form::Form() {
    WindowProcedure = [this](Message& m) { DefaultHandler(m); };
}

Form::~Form() { DetachWindow(); }

intptr_t Form::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    Message m{msg, wParam, lParam, 0};
    WindowProcedure(m);
    return m.Result;
}

void Form::SetActive(bool active) {
    active_ = active;
    if (mainForm_ && pump_) pump_->TheApplication().SetMainFormActive(active);
    Perform(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE);
}

void Form::Show() { Perform(WM_WINDOWPOSCHANGED, 0, SWP_SHOWWINDOW); }

void Form::Close() {
    if (destroyed_) return;
    destroyed_ = true;
    active_ = false;
    Perform(WM_DESTROY);
    DetachWindow();
}

void Form::AttachWindow(Presenter& window, window::EventPump& pump, bool mainForm) {
    DetachWindow();
    window_ = &window;
    pump_ = &pump;
    mainForm_ = mainForm;
    windowId_ = window.WindowId();
    pump.Register(windowId_, [this](const window::WindowEvent& e) { OnWindowEvent(e); });
}

void Form::DetachWindow() {
    if (pump_) pump_->Unregister(windowId_);
    pump_ = nullptr;
    window_ = nullptr;
    windowId_ = 0;
}

bool Form::RegisterHotKey(int32_t id, uint32_t modifiers, uint32_t key) {
    return pump_ && pump_->RegisterHotKey(windowId_, id, modifiers, key);
}

bool Form::UnregisterHotKey(int32_t id) { return pump_ && pump_->UnregisterHotKey(windowId_, id); }

void Form::OnWindowEvent(const window::WindowEvent& e) {
    using window::EventType;
    switch (e.Type) {
        case EventType::FocusGained: SetActive(true); break;
        case EventType::FocusLost: SetActive(false); break;
        case EventType::AppActivated: Perform(WM_ACTIVATEAPP, 1); break;
        case EventType::AppDeactivated: Perform(WM_ACTIVATEAPP, 0); break;
        case EventType::Shown: Show(); break;
        case EventType::Minimized:
            State = WindowState::Minimized;
            Perform(WM_SIZE, SIZE_MINIMIZED, MakePoint(ClientWidth, ClientHeight));
            break;
        case EventType::Maximized:
            State = WindowState::Maximized;
            Perform(WM_SIZE, SIZE_MAXIMIZED, MakePoint(ClientWidth, ClientHeight));
            break;
        case EventType::Restored:
            State = WindowState::Normal;
            Perform(WM_SIZE, SIZE_RESTORED, MakePoint(ClientWidth, ClientHeight));
            break;
        case EventType::Resized:
            ClientWidth = e.X, ClientHeight = e.Y;
            Perform(WM_SIZE, SIZE_RESTORED, MakePoint(e.X, e.Y));
            if (window_) window_->Redraw();
            break;
        case EventType::Moved: Left = e.X, Top = e.Y; break;
        case EventType::Close: Perform(WM_CLOSE); break;
        case EventType::KeyDown:
        case EventType::KeyUp:
            modifiers_ = e.Modifiers;
            Perform(e.Type == EventType::KeyDown ? WM_KEYDOWN : WM_KEYUP, e.Key,
                    1 | (e.Repeat ? KF_REPEAT : 0) | ((e.Modifiers & window::kAltKey) ? KF_ALTDOWN : 0));
            break;
        case EventType::MouseMove:
        case EventType::MouseDown:
        case EventType::MouseUp: {
            modifiers_ = e.Modifiers;
            int32_t x = e.X, y = e.Y;
            if (window_) window_->WindowToFrame(x, y);
            uint32_t msg = WM_MOUSEMOVE;
            if (e.Type != EventType::MouseMove) {
                const bool down = e.Type == EventType::MouseDown;
                buttons_ = down ? (buttons_ | ButtonFlag(e.Button)) : (buttons_ & ~ButtonFlag(e.Button));
                msg = ButtonMessage(e.Button, down);
            }
            const uint32_t keys = ((e.Modifiers & window::kShiftKey) ? MK_SHIFT : 0) |
                                  ((e.Modifiers & window::kCtrlKey) ? MK_CONTROL : 0);
            Perform(msg, buttons_ | keys, MakePoint(x, y));
            break;
        }
        case EventType::MouseWheel:
            Perform(WM_MOUSEWHEEL, uintptr_t(uint32_t(uint16_t(int16_t(e.Y * 120))) << 16 | buttons_),
                    MakePoint(e.X, e.Y));
            break;
        case EventType::DisplayChanged: Perform(WM_DISPLAYCHANGE); break;
        case EventType::HotKey:
            Perform(WM_HOTKEY, e.Param, intptr_t(uint32_t(uint16_t(e.Modifiers)) | uint32_t(uint16_t(e.Key)) << 16));
            break;
        case EventType::PowerBroadcast: Perform(WM_POWERBROADCAST, e.Param); break;
        case EventType::Exposed:
            if (window_) window_->Redraw();
            break;
        case EventType::Hidden:
        case EventType::MouseLeave: break;
    }
}

void Form::DefaultHandler(Message& message) {
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_MINIMIZE) {
        DefaultWindowHandling(message);
        State = WindowState::Minimized;
        return;
    }
    DefaultWindowHandling(message);
}

void Form::DefaultWindowHandling(Message& message) {
    switch (message.Msg) {
        case WM_SYSCOMMAND:
            if ((message.WParam & 0xFFF0) == SC_MINIMIZE && window_) window_->Minimize();
            break;
        case WM_CLOSE: Close(); break;
        default: break;
    }
}

Form& ApplicationWindow() {
    static Form window;
    return window;
}

}  // namespace platform::display
