#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/input/Input.h"
#include "platform/input/VirtualKeys.h"

namespace vk = platform::input::vk;
using platform::input::ScancodeToVK;

TEST(ScancodeTable, MapsToVirtualKeys) {
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_0), '0');
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_9), '9');
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_F1), vk::F(1));
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_F12), vk::F(12));
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_UP), vk::Up);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_KP_8), vk::Numpad(8));
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_KP_ENTER), vk::Return);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_LSHIFT), vk::Shift);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_RSHIFT), vk::Shift);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_RALT), vk::Menu);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_SPACE), vk::Space);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(ScancodeToVK(SDL_SCANCODE_MUTE), 0);
    EXPECT_EQ(ScancodeToVK(-1), 0);
    EXPECT_EQ(ScancodeToVK(100000), 0);
}

TEST(InputDevice, HeadlessIsScripted) {
    auto d = platform::input::OpenDevice();
    EXPECT_STREQ(d->Name(), "scripted");
    EXPECT_EQ(d->JoystickCount(), 0);
}
