// The notification area: an icon with a tip that reports mouse events, driven the way the
// shell's notify-icon call is (add, modify with flags, delete).
//
// The real area is a StatusNotifierItem on the session D-Bus: adding registers the item with
// org.kde.StatusNotifierWatcher, modifying emits NewIcon / NewToolTip, deleting releases the
// item's bus name (the watcher drops it). The host's Activate comes back as a left-button
// press and release (a second Activate within 500 ms as a double click and release),
// ContextMenu as a right-button press; the item registers again whenever a watcher appears.
// Events arrive on the main thread through its dispatcher. Without a session bus the area
// writes one log line and every call answers false.
//
// The recorder (SPRALLION_TRAY=record, or SPRALLION_VIDEO=headless) keeps every call and
// delivers injected events on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::tray {

inline constexpr uint32_t NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2;
inline constexpr uint32_t NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4;

// Mouse messages an icon reports.
inline constexpr uint32_t WM_MOUSEMOVE = 0x200, WM_LBUTTONDOWN = 0x201, WM_LBUTTONUP = 0x202,
                          WM_LBUTTONDBLCLK = 0x203, WM_RBUTTONDOWN = 0x204;

// 32-bit pixels 0xAARRGGBB, rows top to bottom.
struct IconImage {
    int32_t Width = 0, Height = 0;
    std::vector<uint32_t> Argb;
    bool Empty() const { return Width <= 0 || Height <= 0 || Argb.size() != size_t(Width) * size_t(Height); }
    friend bool operator==(const IconImage&, const IconImage&) = default;
};

struct NotifyIconData {
    uint32_t Size = 88;
    uint32_t Id = 0;
    uint32_t Flags = 0;
    uint32_t CallbackMessage = 0;
    IconImage Icon;
    std::string Tip;  // the game's 8-bit text
};

// An event of the icon: its id, the mouse message and the pointer's place on the screen.
using Callback = std::function<void(uint32_t id, uint32_t mouseMessage, int32_t x, int32_t y)>;

class NotifyArea {
public:
    virtual ~NotifyArea() = default;
    virtual const char* Name() const = 0;
    // NIM_ADD (refused while added), NIM_MODIFY (with the flags of what changed), NIM_DELETE;
    // true when done.
    virtual bool Notify(uint32_t message, const NotifyIconData& data) = 0;
};

class RecordingArea final : public NotifyArea {
public:
    explicit RecordingArea(Callback callback) : callback_(std::move(callback)) {}
    const char* Name() const override { return "record"; }
    bool Notify(uint32_t message, const NotifyIconData& data) override;

    struct Call {
        uint32_t Message;
        NotifyIconData Data;
    };
    const std::vector<Call>& Calls() const { return calls_; }
    bool Added() const { return added_; }
    // Delivers an event as the host would.
    void Inject(uint32_t mouseMessage, int32_t x = 0, int32_t y = 0);

private:
    Callback callback_;
    std::vector<Call> calls_;
    bool added_ = false;
    uint32_t id_ = 0;
};

// The session bus's area; `log` receives its reports (default: standard error).
std::unique_ptr<NotifyArea> OpenDbusArea(Callback callback, std::function<void(const std::string&)> log = {});

// SPRALLION_TRAY=record|dbus; by default the recorder when SPRALLION_VIDEO=headless, else D-Bus.
std::unique_ptr<NotifyArea> OpenNotifyArea(Callback callback, std::function<void(const std::string&)> log = {});

}  // namespace platform::tray
