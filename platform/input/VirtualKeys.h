// Virtual-key codes: the Windows values, kept everywhere so that stored key tables keep
// their meaning.
#pragma once

#include <cstdint>

namespace platform::input::vk {
inline constexpr uint8_t Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12,
                         Pause = 0x13, Capital = 0x14, Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22,
                         End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28,
                         Snapshot = 0x2C, Insert = 0x2D, Delete = 0x2E, LWin = 0x5B, RWin = 0x5C, Apps = 0x5D,
                         Numpad0 = 0x60, Multiply = 0x6A, Add = 0x6B, Subtract = 0x6D, Decimal = 0x6E,
                         Divide = 0x6F, F1 = 0x70, NumLock = 0x90, Scroll = 0x91, LShift = 0xA0, RShift = 0xA1,
                         LControl = 0xA2, RControl = 0xA3, LMenu = 0xA4, RMenu = 0xA5, Oem1 = 0xBA,
                         OemPlus = 0xBB, OemComma = 0xBC, OemMinus = 0xBD, OemPeriod = 0xBE, Oem2 = 0xBF,
                         Oem3 = 0xC0, Oem4 = 0xDB, Oem5 = 0xDC, Oem6 = 0xDD, Oem7 = 0xDE;
constexpr uint8_t Letter(char c) { return static_cast<uint8_t>(c); }  // 'A'..'Z', '0'..'9'
constexpr uint8_t Numpad(int n) { return static_cast<uint8_t>(Numpad0 + n); }
constexpr uint8_t F(int n) { return static_cast<uint8_t>(F1 + n - 1); }  // F1..F24
}  // namespace platform::input::vk
