// Input whose state a test sets: keys, focus, mouse movement, joysticks.
#pragma once

#include "platform/input/Input.h"

namespace platform::input {

class ScriptedInput : public Device {
public:
    const char* Name() const override { return "scripted"; }
    void Poll() override;
    bool Focused() const override { return focused_; }
    std::array<uint8_t, 256> Keys() const override { return polledKeys_; }
    bool HasMouse() const override { return hasMouse_; }
    MouseState ReadMouse() override;
    MouseButtons Buttons() const override { return polledButtons_; }
    int JoystickCount() const override { return static_cast<int>(joysticks_.size()); }
    bool JoystickCapabilities(int index, JoystickCaps& caps) const override;
    bool ReadJoystick(int index, JoystickState& state) override;

    void SetKey(uint8_t vk, bool down);
    void SetFocused(bool on) { focused_ = on; }
    void SetHasMouse(bool on) { hasMouse_ = on; }
    void MoveMouse(int32_t dx, int32_t dy, int32_t dz = 0);
    void SetMouseButton(int n, bool down);
    int AddJoystick(const JoystickCaps& caps);
    void SetJoystick(int index, const JoystickState& state) { joysticks_.at(index).state = state; }
    int Polls() const { return polls_; }

private:
    struct Stick {
        JoystickCaps caps;
        JoystickState state;
    };
    std::array<uint8_t, 256> keys_{}, pressedKeys_{};  // now; pressed since the last poll
    std::array<uint8_t, 256> polledKeys_{};
    uint8_t buttons_ = 0, pressedButtons_ = 0;
    MouseButtons polledButtons_;
    bool focused_ = true;
    bool hasMouse_ = true;
    MouseState mouse_;
    std::vector<Stick> joysticks_;
    int polls_ = 0;
};

}  // namespace platform::input
