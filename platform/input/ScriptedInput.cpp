#include "platform/input/ScriptedInput.h"

namespace platform::input {

MouseState ScriptedInput::ReadMouse() {
    MouseState s = mouse_;
    mouse_.dx = mouse_.dy = mouse_.dz = 0;
    return s;
}

void ScriptedInput::MoveMouse(int32_t dx, int32_t dy, int32_t dz) {
    mouse_.dx += dx;
    mouse_.dy += dy;
    mouse_.dz += dz;
}

int ScriptedInput::AddJoystick(const JoystickCaps& caps) {
    Stick s;
    s.caps = caps;
    for (int a = 0; a < 3; ++a) s.state.axis[a] = caps.min[a] + (caps.max[a] - caps.min[a]) / 2;
    joysticks_.push_back(s);
    return static_cast<int>(joysticks_.size()) - 1;
}

bool ScriptedInput::JoystickCapabilities(int index, JoystickCaps& caps) const {
    if (index < 0 || index >= JoystickCount()) return false;
    caps = joysticks_[index].caps;
    return true;
}

bool ScriptedInput::ReadJoystick(int index, JoystickState& state) {
    if (index < 0 || index >= JoystickCount()) return false;
    state = joysticks_[index].state;
    return true;
}

}  // namespace platform::input
