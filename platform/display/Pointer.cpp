#include "platform/display/Pointer.h"

#include <mutex>

namespace platform::display {

namespace {
struct PointerState {
    std::mutex lock;
    PointerDevice* device = nullptr;
    PointerPoint at;  // the scripted pointer, and the last place a device told
    std::vector<PointerPoint> warps;
};
PointerState& State() {
    static PointerState state;
    return state;
}
}  // namespace

PointerPoint GetCursorPos() {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    PointerPoint at;
    if (s.device && s.device->Position(at)) s.at = at;
    return s.at;
}

void SetCursorPos(int32_t x, int32_t y) {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    const PointerPoint to{x, y};
    s.warps.push_back(to);
    s.at = to;
    if (s.device) s.device->Warp(to);
}

void InstallPointerDevice(PointerDevice* device) {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    s.device = device;
}

void RemovePointerDevice(PointerDevice* device) {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    if (s.device == device) s.device = nullptr;
}

void ScriptPointer(int32_t x, int32_t y) {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    s.at = {x, y};
}

std::vector<PointerPoint> PointerWarps() {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    return s.warps;
}

void ClearPointerWarps() {
    PointerState& s = State();
    std::lock_guard guard(s.lock);
    s.warps.clear();
}

}  // namespace platform::display
