// The pointer (the system's mouse cursor) in display coordinates: pixels of the presented
// frame, wherever the window puts the frame and however it scales it. The game reads it each
// tick and warps it onto a menu or an object.
//
// The real window answers for its own pointer while it lives (it installs a device); without
// one the pointer is scripted: tests move it, and every warp is recorded and moves it too.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::display {

struct PointerPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const PointerPoint&) const = default;
};

// Where the pointer is now (GetCursorPos).
PointerPoint GetCursorPos();
// Moves the pointer to a point of the display (SetCursorPos).
void SetCursorPos(int32_t x, int32_t y);

// A backend's pointer.
class PointerDevice {
public:
    virtual ~PointerDevice() = default;
    // False when the window system tells nothing; the last known place then stays.
    virtual bool Position(PointerPoint& at) = 0;
    virtual void Warp(PointerPoint to) = 0;
};
// The device answers from now on; removing it (only the one installed) returns to the
// scripted pointer, which keeps the last place the device told.
void InstallPointerDevice(PointerDevice* device);
void RemovePointerDevice(PointerDevice* device);

// The scripted pointer.
void ScriptPointer(int32_t x, int32_t y);
std::vector<PointerPoint> PointerWarps();
void ClearPointerWarps();

}  // namespace platform::display
