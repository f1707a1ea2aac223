#include "platform/tray/Tray.h"

#include <cstdlib>
#include <cstring>

namespace platform::tray {

bool RecordingArea::Notify(uint32_t message, const NotifyIconData& data) {
    calls_.push_back({message, data});
    switch (message) {
        case NIM_ADD:
            if (added_) return false;
            added_ = true;
            id_ = data.Id;
            return true;
        case NIM_MODIFY: return added_ && data.Id == id_;
        case NIM_DELETE:
            if (!added_ || data.Id != id_) return false;
            added_ = false;
            return true;
        default: return false;
    }
}

void RecordingArea::Inject(uint32_t mouseMessage, int32_t x, int32_t y) {
    if (callback_) callback_(id_, mouseMessage, x, y);
}

std::unique_ptr<NotifyArea> OpenNotifyArea(Callback callback, std::function<void(const std::string&)> log) {
    const char* tray = std::getenv("SPRALLION_TRAY");
    const char* video = std::getenv("SPRALLION_VIDEO");
    bool record = video && std::strcmp(video, "headless") == 0;
    if (tray && std::strcmp(tray, "record") == 0) record = true;
    if (tray && std::strcmp(tray, "dbus") == 0) record = false;
    if (record) return std::make_unique<RecordingArea>(std::move(callback));
    return OpenDbusArea(std::move(callback), std::move(log));
}

}  // namespace platform::tray
