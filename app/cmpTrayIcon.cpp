#include "app/cmpTrayIcon.h"

#include <algorithm>
#include <cmath>

#include "platform/window/Terminate.h"

namespace app {

namespace tray = platform::tray;

TIcon ApplicationIcon() {
    // A ball lit from the upper left: a blue sphere with a soft highlight and an antialiased rim.
    constexpr int kSize = 32;
    TIcon icon;
    icon.Image.Width = icon.Image.Height = kSize;
    icon.Image.Argb.resize(kSize * kSize);
    const double c = (kSize - 1) / 2.0, r = kSize / 2.0 - 1;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double dx = (x - c) / r, dy = (y - c) / r, d = std::sqrt(dx * dx + dy * dy);
            const double alpha = std::clamp((1.0 - d) * r + 0.5, 0.0, 1.0);
            const double nz = d < 1 ? std::sqrt(1 - d * d) : 0;
            const double light = std::clamp(0.25 + 0.75 * (-0.5 * dx - 0.5 * dy + 0.7 * nz), 0.0, 1.0);
            const double hx = dx + 0.4, hy = dy + 0.4, highlight = std::exp(-(hx * hx + hy * hy) * 12);
            auto channel = [&](double base) {
                return static_cast<uint32_t>(std::lround(std::clamp(base * light + highlight, 0.0, 1.0) * 255));
            };
            const uint32_t a = static_cast<uint32_t>(std::lround(alpha * 255));
            icon.Image.Argb[size_t(y) * kSize + size_t(x)] = a << 24 | channel(0.25) << 16 | channel(0.45) << 8 | channel(0.95);
        }
    return icon;
}

TTrayIcon::TTrayIcon(void* owner, AreaFactory openArea) : owner_(owner) {
    defaultProc_ = window_.WindowProcedure;
    window_.WindowProcedure = [this](platform::display::Message& m) { WndProc(m); };
    auto events = [this](uint32_t, uint32_t mouseMessage, int32_t x, int32_t y) {
        cursorX_ = x;
        cursorY_ = y;
        window_.Perform(kCallbackMessage, Tag, static_cast<intptr_t>(mouseMessage));
    };
    area_ = openArea ? openArea(events) : tray::OpenNotifyArea(events);
    icon_ = ApplicationIcon();
    AutoShow = true;
}

TTrayIcon::~TTrayIcon() {
    if (added_) area_->Notify(tray::NIM_DELETE, Data(0));
    added_ = false;
}

tray::NotifyIconData TTrayIcon::Data(uint32_t flags) const {
    tray::NotifyIconData d;
    d.Id = Tag;
    d.Flags = flags;
    d.CallbackMessage = kCallbackMessage;
    d.Icon = icon_.Image;
    d.Tip = hint_;
    return d;
}

void TTrayIcon::UpdateIcon(uint32_t flags) {
    if (!icon_.Empty() && enabled_) {
        if (added_) {
            area_->Notify(tray::NIM_MODIFY, Data(flags));
        } else {
            area_->Notify(tray::NIM_ADD, Data(tray::NIF_MESSAGE | tray::NIF_ICON | tray::NIF_TIP));
            added_ = true;
        }
    } else {
        area_->Notify(tray::NIM_DELETE, Data(0));
        added_ = false;
    }
}

void TTrayIcon::SetIcon(const TIcon& icon) {
    if (icon == icon_) return;
    icon_.Assign(icon);
    UpdateIcon(tray::NIF_ICON);
}

void TTrayIcon::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    UpdateIcon(tray::NIF_TIP);
}

void TTrayIcon::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateIcon(tray::NIF_MESSAGE | tray::NIF_ICON | tray::NIF_TIP);
}

void TTrayIcon::WndProc(platform::display::Message& message) {
    if (message.Msg != kCallbackMessage) {
        defaultProc_(message);
        return;
    }
    auto fire = [this](const TNotifyEvent& event) {
        if (event) event(this);
    };
    switch (static_cast<uint32_t>(message.LParam)) {
        case kCloseRequest: platform::window::RequestTerminate(); break;
        case tray::WM_MOUSEMOVE: fire(OnMouseMove); break;
        case tray::WM_LBUTTONDOWN: fire(OnLeftBtnClick); break;
        case tray::WM_LBUTTONUP: fire(OnClick); break;
        case tray::WM_LBUTTONDBLCLK:
            fire(OnLeftBtnDblClick);
            if (PopupMenu && !PopupMenu->Items.empty() && AutoShow) PopupMenu->Items.front().Click();
            break;
        case tray::WM_RBUTTONDOWN:
            fire(OnRightBtnClick);
            if (PopupMenu) {
                if (AutoShow && !PopupMenu->Items.empty()) PopupMenu->Items.front().Default = true;
                PopupMenu->Popup(cursorX_, cursorY_);
            }
            break;
        default: break;
    }
    message.Result = 0;
}

}  // namespace app
