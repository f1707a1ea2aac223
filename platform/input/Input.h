// Input devices of the game window: keyboard state by virtual-key code, relative mouse,
// joysticks with their capabilities, and whether the window has the focus.
// Backends: SDL (state read after the window's event pump) and a scripted one for tests.
//
// A device is buffered as DirectInput's are: a key or mouse button pressed since the poll
// before reads as down in this poll even when it was released again, so a tap or a click
// shorter than a tick (or one that fell into a slow tick) is never lost.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::input {

struct MouseState {
    int32_t dx = 0, dy = 0, dz = 0;  // movement since the last read
    std::array<uint8_t, 4> buttons{};  // bit 7 set = down at the poll, or pressed since the poll before
};

// The mouse buttons of the last poll, bit n for button n (0 left, 1 right, 2 middle, 3 X1).
struct MouseButtons {
    uint8_t down = 0;     // down at the poll, or pressed since the poll before
    uint8_t pressed = 0;  // pressed since the poll before, whether still down or not
};

// Axes X, Y, Z, as the device reports them within [min, max].
struct JoystickCaps {
    std::string name;
    int axes = 0;
    int buttons = 0;
    int povs = 0;
    std::array<int32_t, 3> min{0, 0, 0}, max{65535, 65535, 65535};
};

struct JoystickState {
    std::array<int32_t, 3> axis{};  // X, Y, Z within the caps' interval
    int32_t pov = -1;               // hundredths of a degree clockwise from up, -1 centred
    uint32_t buttons = 0;           // bit n = button n + 1
};

class Device {
public:
    virtual ~Device() = default;
    virtual const char* Name() const = 0;
    // Reads the current state of everything (called once per poll).
    virtual void Poll() = 0;
    virtual bool Focused() const = 0;
    // 256 entries, bit 7 set = down, indexed by virtual-key code.
    virtual std::array<uint8_t, 256> Keys() const = 0;
    virtual bool HasMouse() const = 0;
    virtual MouseState ReadMouse() = 0;  // movement consumed by the read
    virtual MouseButtons Buttons() const = 0;
    virtual int JoystickCount() const = 0;
    virtual bool JoystickCapabilities(int index, JoystickCaps& caps) const = 0;
    virtual bool ReadJoystick(int index, JoystickState& state) = 0;
};

// The SDL window data under which a dialog window marks itself. While such a window has the
// keyboard focus the game window has not: the game's keyboard and mouse read nothing, so a key
// or a click meant for a dialog does not also reach the game.
inline constexpr const char* kDialogWindowData = "sprallion.dialog";

// Virtual-key code of an SDL scancode (0 when the key has none).
uint8_t ScancodeToVK(int scancode);

// The process's input device: SDL when its video is up (a game window exists) and
// SPRALLION_VIDEO is not "headless", else scripted with nothing pressed.
std::unique_ptr<Device> OpenDevice();

}  // namespace platform::input
