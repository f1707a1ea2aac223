// SDL backend: the state SDL keeps after the window's event pump, read once per poll, with
// the presses since the poll before: an event watch notes each key and button that goes down,
// so one pressed and released between two polls still reads as down.
#include <SDL.h>

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

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

// Bit n of the device's buttons (0 left, 1 right, 2 middle, 3 X1) for an SDL button; 0 for others.
uint8_t ButtonBit(int sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 1;
        case SDL_BUTTON_RIGHT: return 2;
        case SDL_BUTTON_MIDDLE: return 4;
        case SDL_BUTTON_X1: return 8;
        default: return 0;
    }
}

bool IsDialog(SDL_Window* window) { return window && SDL_GetWindowData(window, kDialogWindowData); }

// An event meant for a dialog of ours, or one while a dialog has the keyboard (a modal box
// takes the game window's presses as well): its keys and clicks are its own.
bool ForDialog(uint32_t windowId) { return IsDialog(SDL_GetWindowFromID(windowId)) || IsDialog(SDL_GetKeyboardFocus()); }

class SdlInput : public Device {
public:
    SdlInput() {
        SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        SDL_AddEventWatch(&SdlInput::Watch, this);
        Poll();
    }
    ~SdlInput() override {
        SDL_DelEventWatch(&SdlInput::Watch, this);
        for (SDL_Joystick* j : sticks_) SDL_JoystickClose(j);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    const char* Name() const override { return "SDL"; }

    void Poll() override {
        SDL_Window* focus = SDL_GetKeyboardFocus();
        // A dialog of ours with the focus: its keys and clicks are its own.
        const bool dialog = IsDialog(focus);
        focused_ = focus && !dialog;
        std::bitset<256> pressedKeys;
        uint8_t pressedButtons = 0;
        {
            std::lock_guard lock(pressedLock_);
            std::swap(pressedKeys, pressedKeys_);
            std::swap(pressedButtons, pressedButtons_);
        }
        if (dialog) pressedKeys.reset(), pressedButtons = 0;
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        keys_.fill(0);
        for (int sc = 0; sc < count && !dialog; ++sc)
            if (state[sc])
                if (uint8_t code = ScancodeToVK(sc)) keys_[code] = 0x80;
        for (size_t code = 0; code < keys_.size(); ++code)
            if (pressedKeys.test(code)) keys_[code] = 0x80;
        int x = 0, y = 0;
        const Uint32 held = SDL_GetRelativeMouseState(&x, &y);
        if (dialog) x = y = 0;
        uint8_t down = 0;
        for (int b : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1})
            if (!dialog && (held & SDL_BUTTON(b))) down |= ButtonBit(b);
        buttons_ = {static_cast<uint8_t>(down | pressedButtons), pressedButtons};
        mouse_.dx += x;
        mouse_.dy += y;
        for (size_t b = 0; b < mouse_.buttons.size(); ++b) mouse_.buttons[b] = (buttons_.down >> b & 1) ? 0x80 : 0;
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
    MouseButtons Buttons() const override { return buttons_; }
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
    // Called for every event SDL queues, on the thread that queues it (the one pumping).
    static int SDLCALL Watch(void* self, SDL_Event* e) {
        static_cast<SdlInput*>(self)->NotePress(*e);
        return 0;
    }
    void NotePress(const SDL_Event& e) {
        if (e.type == SDL_KEYDOWN && !e.key.repeat && !ForDialog(e.key.windowID)) {
            if (const uint8_t code = ScancodeToVK(e.key.keysym.scancode)) {
                std::lock_guard lock(pressedLock_);
                pressedKeys_.set(code);
            }
        } else if (e.type == SDL_MOUSEBUTTONDOWN && !ForDialog(e.button.windowID)) {
            std::lock_guard lock(pressedLock_);
            pressedButtons_ |= ButtonBit(e.button.button);
        }
    }

    bool focused_ = false;
    std::array<uint8_t, 256> keys_{};
    MouseState mouse_;
    MouseButtons buttons_;
    std::mutex pressedLock_;
    std::bitset<256> pressedKeys_;  // since the last poll
    uint8_t pressedButtons_ = 0;
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
