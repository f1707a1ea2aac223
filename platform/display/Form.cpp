#include "platform/display/Form.h"

namespace platform::display {

Form::Form() {
    WindowProcedure = [this](Message& m) { DefaultHandler(m); };
}

Form::~Form() = default;

intptr_t Form::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    Message m{msg, wParam, lParam, 0};
    WindowProcedure(m);
    return m.Result;
}

void Form::SetActive(bool active) {
    active_ = active;
    Perform(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE);
}

void Form::Show() { Perform(WM_WINDOWPOSCHANGED, 0, SWP_SHOWWINDOW); }

void Form::Close() {
    if (destroyed_) return;
    destroyed_ = true;
    active_ = false;
    Perform(WM_DESTROY);
}

void Form::DefaultHandler(Message& message) {
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_MINIMIZE) State = WindowState::Minimized;
}

Form& ApplicationWindow() {
    static Form window;
    return window;
}

}  // namespace platform::display
