#include "media/DXClassForm.h"

namespace media {

namespace display = platform::display;

namespace {
int liveForms = 0;
}

TDXForm::TDXForm() {
    ++liveForms;
    display::ApplicationWindow().ExStyle |= display::WS_EX_TOOLWINDOW;
    ExStyle |= display::WS_EX_APPWINDOW;
}

TDXForm::~TDXForm() {
    if (liveForms-- == 1) display::ApplicationWindow().ExStyle &= ~display::WS_EX_TOOLWINDOW;
}

int TDXForm::LiveCount() { return liveForms; }

void TDXForm::DefaultHandler(display::Message& message) {
    if (message.Msg == display::WM_SYSCOMMAND && (message.WParam & 0xFFF0) == display::SC_MINIMIZE) {
        // Straight to the window manager (which minimises the real window), then the state.
        DefaultWindowHandling(message);
        State = display::WindowState::Minimized;
        return;
    }
    Form::DefaultHandler(message);
}

TControlSubClass::TControlSubClass(display::Form& control, Callback callback, void* userData)
    : control_(control), saved_(control.WindowProcedure), callback_(std::move(callback)), userData_(userData) {
    control_.WindowProcedure = [this](display::Message& m) { callback_(userData_, m, saved_); };
}

TControlSubClass::~TControlSubClass() { control_.WindowProcedure = saved_; }

}  // namespace media
