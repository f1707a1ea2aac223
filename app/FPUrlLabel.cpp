#include "app/FPUrlLabel.h"

#include <cctype>

#include "app/Forms.h"
#include "platform/shell/Shell.h"
#include "platform/window/MessageBox.h"
#include "rtl/Text.h"

namespace app {

namespace shell = platform::shell;

namespace {

// "scheme:" of two or more letters: the target names its own protocol.
bool HasScheme(std::string_view target) {
    const size_t colon = target.find(':');
    if (colon == std::string_view::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// The browsers tried after the shell: the system's choice, then Debian's sensible one.
constexpr const char* kBrowsers[] = {"x-www-browser", "sensible-browser"};

}  // namespace

std::string PercentEncode(std::string_view text, std::string_view keep) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : rtl::AnsiToUtf8(text)) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || keep.find(char(c)) != std::string_view::npos) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

TFPUrlLabel::TFPUrlLabel(TForm& owner, std::string name) : TLabel(owner, std::move(name)) {
    Cursor = TCursor::crHandPoint;
    ShowAccelChar = false;
    Font.Color = urlColStd_;
    Font.Underline = true;
    PopupMenu.Items.push_back({"&Copy", false, [this](void*) { CopyClick(); }});
}

void TFPUrlLabel::SetLabelType(TLabelType type) {
    labelType_ = type;
    ApplyUnderline();
}

void TFPUrlLabel::SetURLColStd(TColor color) {
    urlColStd_ = color;
    Font.Color = color;
    Invalidate();
}

void TFPUrlLabel::SetEffect98(bool on) {
    effect98_ = on;
    ApplyUnderline();
}

void TFPUrlLabel::SetFont(const TFont& font) {
    Font = font;
    urlColStd_ = font.Color;
    Invalidate();
}

void TFPUrlLabel::ApplyUnderline() {
    if (labelType_ != TLabelType::hmCUSTOM) Font.Underline = !effect98_;
    Invalidate();
}

std::string TFPUrlLabel::Target() const { return URL.empty() ? Caption() : URL; }

std::string TFPUrlLabel::Address() const {
    const std::string target = Target();
    auto prefixed = [&](const char* scheme) { return HasScheme(target) ? target : scheme + target; };
    switch (labelType_) {
        case TLabelType::hmHTTP: return prefixed("http://");
        case TLabelType::hmFTP: return prefixed("ftp://");
        case TLabelType::hmNews: return prefixed("news://");
        case TLabelType::hmCUSTOM: return target;
        case TLabelType::hmMAIL: break;
    }
    // The address keeps the characters an address is made of; the subject only the plain ones.
    return "mailto:" + PercentEncode(target, "@!$'()*+,;:") + "?subject=" + PercentEncode(MailSubject);
}

bool TFPUrlLabel::OpenURL(const std::string& address) {
    if (labelType_ != TLabelType::hmHTTP) return shell::ShellExecute(address) > 32;
    if (shell::ShellExecute(address) > 32) return true;
    for (const char* browser : kBrowsers)
        if (shell::ShellExecuteProgram(browser, address) > 32) return true;
    platform::window::MessageBox("Sorry your browser could not be found", Owner().Caption(),
                                 platform::window::MB_OK | platform::window::MB_ICONWARNING);
    return false;
}

void TFPUrlLabel::Click() {
    TLabel::Click();
    OpenURL(Address());
}

void TFPUrlLabel::MouseEnter() {
    if (!effect98_) return;
    Font.Color = URLColPre;
    if (labelType_ != TLabelType::hmCUSTOM) Font.Underline = true;
    Invalidate();
}

void TFPUrlLabel::MouseLeave() {
    if (!effect98_) return;
    Font.Color = urlColStd_;
    Font.Underline = false;
    Invalidate();
}

void TFPUrlLabel::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TLabel::MouseDown(button, shift, x, y);
    if (button == TMouseButton::mbLeft) {
        if (AllowDown && !movedDown_) {
            movedDown_ = true;
            SetTop(Top() + 1);
        }
        Font.Color = URLColPre;
        Invalidate();
        return;
    }
    if (button == TMouseButton::mbRight &&
        (labelType_ == TLabelType::hmHTTP || labelType_ == TLabelType::hmMAIL || labelType_ == TLabelType::hmNews)) {
        platform::window::DialogWindow& window = Owner().Window();
        PopupMenu.Font = Font;
        PopupMenu.Font.Underline = false;
        PopupMenu.Font.Color = clWindowText;
        PopupMenu.Pump = Owner().Pump;
        PopupMenu.TrackPopup(window.ScreenX(Left() + x), window.ScreenY(Top() + y), window.Id());
    }
}

void TFPUrlLabel::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (button == TMouseButton::mbLeft) {
        if (!effect98_) Font.Color = urlColStd_;
        if (movedDown_) {
            movedDown_ = false;
            SetTop(Top() - 1);
            y += 1;  // the label moved back under the pointer
        }
        Invalidate();
    }
    TLabel::MouseUp(button, shift, x, y);
}

void TFPUrlLabel::CopyClick() { Owner().Window().CopyText(Target()); }

}  // namespace app
