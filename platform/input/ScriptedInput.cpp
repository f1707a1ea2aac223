#include "platform/input/ScriptedInput.h"

#include <stdexcept>
#include <string>

namespace platform::input {

void ScriptedInput::Poll() {
    ++polls_;
    for (size_t k = 0; k < keys_.size(); ++k) polledKeys_[k] = keys_[k] | pressedKeys_[k];
    pressedKeys_.fill(0);
    polledButtons_ = {static_cast<uint8_t>(buttons_ | pressedButtons_), pressedButtons_};
    pressedButtons_ = 0;
}

void ScriptedInput::SetKey(uint8_t vk, bool down) {
    keys_[vk] = down ? 0x80 : 0;
    if (down) pressedKeys_[vk] = 0x80;
}

void ScriptedInput::SetMouseButton(int n, bool down) {
    if (n < 0 || n > 3) throw std::out_of_range("no mouse button " + std::to_string(n));
    const auto bit = static_cast<uint8_t>(1u << n);
    buttons_ = down ? (buttons_ | bit) : (buttons_ & ~bit);
    if (down) pressedButtons_ |= bit;
}

MouseState ScriptedInput::ReadMouse() {
    MouseState s = mouse_;
    for (size_t b = 0; b < s.buttons.size(); ++b) s.buttons[b] = (polledButtons_.down >> b & 1) ? 0x80 : 0;
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
