// TTrayIcon: an icon in the notification area with mouse events, over platform/tray.
//
// A hidden window of its own receives the area's events as callback message 0x600 (lParam
// the mouse message) and turns them into the component's events; the popup menu, when one is
// set, opens on the right button and its first item runs on a double click.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Menus.h"
#include "platform/display/Form.h"
#include "platform/tray/Tray.h"

namespace app {

class TIcon {
public:
    platform::tray::IconImage Image;
    bool Empty() const { return Image.Empty(); }
    void Assign(const TIcon& source) { Image = source.Image; }
    friend bool operator==(const TIcon&, const TIcon&) = default;
};

// The game's icon: a shaded ball, 32 x 32.
TIcon ApplicationIcon();

class TTrayIcon {
public:
    static constexpr uint32_t kCallbackMessage = 0x600;
    static constexpr uint32_t kCloseRequest = 0x10;

    // Opens the icon's notification area with the callback that delivers its events;
    // platform/tray's choice when empty.
    using AreaFactory = std::function<std::unique_ptr<platform::tray::NotifyArea>(platform::tray::Callback)>;
    explicit TTrayIcon(void* owner, AreaFactory openArea = {});
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    const TIcon& Icon() const { return icon_; }
    void SetIcon(const TIcon& icon);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    TPopupMenu* PopupMenu = nullptr;
    bool AutoShow = true;
    uint32_t Tag = 0;

    TNotifyEvent OnLeftBtnClick, OnLeftBtnDblClick, OnRightBtnClick, OnMouseMove, OnClick;

    // Adds, modifies (with flags) or deletes the area's entry as icon and Enabled say.
    void UpdateIcon(uint32_t flags);
    bool Added() const { return added_; }
    platform::tray::NotifyArea& Area() { return *area_; }
    platform::display::Form& Window() { return window_; }
    void* Owner() const { return owner_; }

private:
    void WndProc(platform::display::Message& message);
    platform::tray::NotifyIconData Data(uint32_t flags) const;

    void* owner_;
    platform::display::Form window_;
    platform::display::WindowProc defaultProc_;
    std::unique_ptr<platform::tray::NotifyArea> area_;
    TIcon icon_;
    std::string hint_;
    bool enabled_ = false;
    bool added_ = false;
    int32_t cursorX_ = 0, cursorY_ = 0;
};

}  // namespace app
