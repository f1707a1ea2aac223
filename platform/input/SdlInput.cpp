// SDL backend: the state SDL keeps after the window's event pump, read once per poll.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/input/Input.h"
#include "platform/input/ScriptedInput.h"
#include "platform/input/VirtualKeys.h"

namespace platform::input {

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    uint8_t vk;
};

// The one table from SDL scancodes to virtual-key codes. Both keys of a pair of modifiers
// give the shared code, as the key tables store them.
constexpr KeyRow kKeyTable[] = {
    {SDL_SCANCODE_RETURN, vk::Return}, {SDL_SCANCODE_KP_ENTER, vk::Return},
    {SDL_SCANCODE_ESCAPE, vk::Escape}, {SDL_SCANCODE_BACKSPACE, vk::Back},
    {SDL_SCANCODE_TAB, vk::Tab}, {SDL_SCANCODE_SPACE, vk::Space},
    {SDL_SCANCODE_MINUS, vk::OemMinus}, {SDL_SCANCODE_EQUALS, vk::OemPlus},
    {SDL_SCANCODE_LEFTBRACKET, vk::Oem4}, {SDL_SCANCODE_RIGHTBRACKET, vk::Oem6},
    {SDL_SCANCODE_BACKSLASH, vk::Oem5}, {SDL_SCANCODE_SEMICOLON, vk::Oem1},
    {SDL_SCANCODE_APOSTROPHE, vk::Oem7}, {SDL_SCANCODE_GRAVE, vk::Oem3},
    {SDL_SCANCODE_COMMA, vk::OemComma}, {SDL_SCANCODE_PERIOD, vk::OemPeriod},
    {SDL_SCANCODE_SLASH, vk::Oem2}, {SDL_SCANCODE_CAPSLOCK, vk::Capital},
    {SDL_SCANCODE_PRINTSCREEN, vk::Snapshot}, {SDL_SCANCODE_SCROLLLOCK, vk::Scroll},
    {SDL_SCANCODE_PAUSE, vk::Pause}, {SDL_SCANCODE_INSERT, vk::Insert},
    {SDL_SCANCODE_HOME, vk::Home}, {SDL_SCANCODE_PAGEUP, vk::Prior},
    {SDL_SCANCODE_DELETE, vk::Delete}, {SDL_SCANCODE_END, vk::End},
    {SDL_SCANCODE_PAGEDOWN, vk::Next}, {SDL_SCANCODE_RIGHT, vk::Right},
    {SDL_SCANCODE_LEFT, vk::Left}, {SDL_SCANCODE_DOWN, vk::Down}, {SDL_SCANCODE_UP, vk::Up},
    {SDL_SCANCODE_NUMLOCKCLEAR, vk::NumLock}, {SDL_SCANCODE_KP_DIVIDE, vk::Divide},
    {SDL_SCANCODE_KP_MULTIPLY, vk::Multiply}, {SDL_SCANCODE_KP_MINUS, vk::Subtract},
    {SDL_SCANCODE_KP_PLUS, vk::Add}, {SDL_SCANCODE_KP_PERIOD, vk::Decimal},
    {SDL_SCANCODE_KP_0, vk::Numpad(0)}, {SDL_SCANCODE_KP_1, vk::Numpad(1)}, {SDL_SCANCODE_KP_2, vk::Numpad(2)},
    {SDL_SCANCODE_KP_3, vk::Numpad(3)}, {SDL_SCANCODE_KP_4, vk::Numpad(4)}, {SDL_SCANCODE_KP_5, vk::Numpad(5)},
    {SDL_SCANCODE_KP_6, vk::Numpad(6)}, {SDL_SCANCODE_KP_7, vk::Numpad(7)}, {SDL_SCANCODE_KP_8, vk::Numpad(8)},
    {SDL_SCANCODE_KP_9, vk::Numpad(9)}, {SDL_SCANCODE_APPLICATION, vk::Apps},
    {SDL_SCANCODE_LCTRL, vk::Control}, {SDL_SCANCODE_RCTRL, vk::Control},
    {SDL_SCANCODE_LSHIFT, vk::Shift}, {SDL_SCANCODE_RSHIFT, vk::Shift},
    {SDL_SCANCODE_LALT, vk::Menu}, {SDL_SCANCODE_RALT, vk::Menu},
    {SDL_SCANCODE_LGUI, vk::LWin}, {SDL_SCANCODE_RGUI, vk::RWin},
};

class SdlInput : public Device {
public:
    SdlInput() { SDL_InitSubSystem(SDL_INIT_JOYSTICK); Poll(); }
    ~SdlInput() override {
        for (SDL_Joystick* j : sticks_) SDL_JoystickClose(j);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    const char* Name() const override { return "SDL"; }

    void Poll() override {
        SDL_Window* focus = SDL_GetKeyboardFocus();
        // A dialog of ours with the focus: its keys and clicks are its own.
        const bool dialog = focus && SDL_GetWindowData(focus, kDialogWindowData);
        focused_ = focus && !dialog;
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        keys_.fill(0);
        for (int sc = 0; sc < count && !dialog; ++sc)
            if (state[sc])
                if (uint8_t code = ScancodeToVK(sc)) keys_[code] = 0x80;
        int x = 0, y = 0;
        Uint32 buttons = SDL_GetRelativeMouseState(&x, &y);
        if (dialog) x = y = 0, buttons = 0;
        mouse_.dx += x;
        mouse_.dy += y;
        mouse_.buttons[0] = (buttons & SDL_BUTTON_LMASK) ? 0x80 : 0;
        mouse_.buttons[1] = (buttons & SDL_BUTTON_RMASK) ? 0x80 : 0;
        mouse_.buttons[2] = (buttons & SDL_BUTTON_MMASK) ? 0x80 : 0;
        mouse_.buttons[3] = (buttons & SDL_BUTTON_X1MASK) ? 0x80 : 0;
        SDL_JoystickUpdate();
        const int n = SDL_NumJoysticks();
        if (n != static_cast<int>(sticks_.size())) {
            for (SDL_Joystick* j : sticks_) SDL_JoystickClose(j);
            sticks_.clear();
            for (int i = 0; i < n; ++i)
                if (SDL_Joystick* j = SDL_JoystickOpen(i)) sticks_.push_back(j);
        }
    }
    bool Focused() const override { return focused_; }
    std::array<uint8_t, 256> Keys() const override { return keys_; }
    bool HasMouse() const override { return true; }
    MouseState ReadMouse() override {
        MouseState s = mouse_;
        mouse_.dx = mouse_.dy = mouse_.dz = 0;
        return s;
    }
    int JoystickCount() const override { return static_cast<int>(sticks_.size()); }
    bool JoystickCapabilities(int index, JoystickCaps& caps) const override {
        if (index < 0 || index >= JoystickCount()) return false;
        SDL_Joystick* j = sticks_[index];
        const char* name = SDL_JoystickName(j);
        caps.name = name ? name : "";
        caps.axes = std::min(SDL_JoystickNumAxes(j), 3);
        caps.buttons = std::min(SDL_JoystickNumButtons(j), 32);
        caps.povs = SDL_JoystickNumHats(j) > 0 ? 1 : 0;
        caps.min = {-32768, -32768, -32768};
        caps.max = {32767, 32767, 32767};
        return true;
    }
    bool ReadJoystick(int index, JoystickState& state) override {
        if (index < 0 || index >= JoystickCount()) return false;
        SDL_Joystick* j = sticks_[index];
        state = {};
        const int axes = std::min(SDL_JoystickNumAxes(j), 3);
        for (int a = 0; a < axes; ++a) state.axis[a] = SDL_JoystickGetAxis(j, a);
        for (int b = 0; b < std::min(SDL_JoystickNumButtons(j), 32); ++b)
            if (SDL_JoystickGetButton(j, b)) state.buttons |= 1u << b;
        if (SDL_JoystickNumHats(j) > 0) {
            static const int32_t kAngles[16] = {-1, 0, 9000, 4500, 18000, -1, 13500, -1,
                                                27000, 31500, -1, -1, 22500, -1, -1, -1};
            state.pov = kAngles[SDL_JoystickGetHat(j, 0) & 15];
        }
        return true;
    }

private:
    bool focused_ = false;
    std::array<uint8_t, 256> keys_{};
    MouseState mouse_;
    std::vector<SDL_Joystick*> sticks_;
};

}  // namespace

uint8_t ScancodeToVK(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<uint8_t>('1' + (scancode - SDL_SCANCODE_1));
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return vk::F(1 + scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return vk::F(13 + scancode - SDL_SCANCODE_F13);
    for (const KeyRow& row : kKeyTable)
        if (row.scancode == scancode) return row.vk;
    return 0;
}

std::unique_ptr<Device> OpenDevice() {
    const char* video = std::getenv("SPRALLION_VIDEO");
    const bool headless = video && std::strcmp(video, "headless") == 0;
    if (!headless && SDL_WasInit(SDL_INIT_VIDEO)) {
        std::fprintf(stderr, "sprallion: input: SDL\n");
        return std::make_unique<SdlInput>();
    }
    std::fprintf(stderr, "sprallion: input: scripted (no game window)\n");
    return std::make_unique<ScriptedInput>();
}

}  // namespace platform::input
