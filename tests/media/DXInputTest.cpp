#include "media/DXInput.h"

#include <gtest/gtest.h>

#include "platform/input/ScriptedInput.h"
#include "platform/input/VirtualKeys.h"

namespace vk = platform::input::vk;
using media::TDXInput;

namespace {

struct InputFixture : ::testing::Test {
    platform::input::ScriptedInput window;
    TDXInput input{&window};
    void SetUp() override { input.Initialize(); }
};

TEST(KeyTable, DefaultsAssignAndStoredForm) {
    media::TKeyAssignList t;
    media::DefaultKeyTable(t);
    EXPECT_EQ(t[0], (media::TKeyAssign{'K', vk::Up, vk::Numpad(8)}));
    EXPECT_EQ(t[5], (media::TKeyAssign{'X', vk::Return, 0}));
    EXPECT_EQ(t[12], (media::TKeyAssign{vk::F(2), 0, 0}));
    EXPECT_EQ(t[35], (media::TKeyAssign{0, 0, 0}));

    const uint32_t four[] = {1, 2, 3, 4};
    EXPECT_EQ(media::AssignKey(t, 7, four), 3);
    EXPECT_EQ(t[7], (media::TKeyAssign{1, 2, 3}));
    EXPECT_EQ(media::AssignKey(t, 7, std::span<const uint32_t>(four, 1)), 1);
    EXPECT_EQ(t[7], (media::TKeyAssign{1, 0, 0}));
    // States past the 36 rows are refused instead of writing beyond the table.
    const auto before = t;
    EXPECT_EQ(media::AssignKey(t, 36, four), 0);
    EXPECT_EQ(media::AssignKey(t, 127, four), 0);
    EXPECT_EQ(media::AssignKey(t, -1, four), 0);
    EXPECT_EQ(t, before);

    const auto bytes = media::KeyTableToBytes(t);
    ASSERT_EQ(bytes.size(), 432u);
    EXPECT_EQ(bytes[0], 'K');
    EXPECT_EQ(bytes[4], vk::Up);
    media::TKeyAssignList back{};
    EXPECT_TRUE(media::KeyTableFromBytes(bytes, back));
    EXPECT_EQ(back, t);
    EXPECT_FALSE(media::KeyTableFromBytes(std::span(bytes).first(431), back));
    media::TKeyAssignList old{};
    EXPECT_TRUE(media::ReadKeyAssignProperty("Aissgns", bytes, old));
    EXPECT_EQ(old, t);
    EXPECT_FALSE(media::ReadKeyAssignProperty("Effects", bytes, old));

    uint8_t idx[36];
    media::FillStateIndexes(idx);
    EXPECT_EQ(idx[0], 0);
    EXPECT_EQ(idx[35], 35);
}

TEST(KeyTable, DirectInputCodes) {
    EXPECT_EQ(media::DIKToVK(0x1E), 'A');
    EXPECT_EQ(media::DIKToVK(0x32), 'M');
    EXPECT_EQ(media::DIKToVK(0x10), 'Q');
    EXPECT_EQ(media::DIKToVK(0x0B), '0');
    EXPECT_EQ(media::DIKToVK(0x02), '1');
    EXPECT_EQ(media::DIKToVK(0x58), vk::F(12));
    EXPECT_EQ(media::DIKToVK(0x1C), vk::Return);
    EXPECT_EQ(media::DIKToVK(0x9C), vk::Return);
    EXPECT_EQ(media::DIKToVK(0x2A), vk::Shift);
    EXPECT_EQ(media::DIKToVK(0x36), vk::Shift);
    EXPECT_EQ(media::DIKToVK(0xB8), vk::Menu);
    EXPECT_EQ(media::DIKToVK(0x0C), 0u);  // minus stays untranslated
    EXPECT_EQ(media::DIKToVK(0x0D), 61u);
    EXPECT_EQ(media::DIKToVK(0x37), 42u);
    EXPECT_EQ(media::DIKToVK(0xDB), 91u);
    EXPECT_EQ(media::DIKToVK(0x1A), 91u);
    EXPECT_EQ(media::DIKToVK(0xC8), vk::Up);
    EXPECT_EQ(media::DIKToVK(0x48), vk::Numpad(8));
    EXPECT_EQ(media::DIKToVK(0xB5), vk::Divide);
    EXPECT_EQ(media::DIKToVK(0xFF), 0u);
}

TEST_F(InputFixture, HeldKeyLatchesOnceAndConsumedStaysOff) {
    window.SetKey(vk::Space, true);
    input.Update();
    EXPECT_TRUE(input.States.test(4));
    input.States.reset(4);  // the game consumes the press
    input.Update();
    EXPECT_FALSE(input.States.test(4)) << "still held: not switched on again";
    window.SetKey(vk::Space, false);
    input.Update();
    EXPECT_FALSE(input.States.test(4));
    window.SetKey(vk::Space, true);
    input.Update();
    EXPECT_TRUE(input.States.test(4));
    // Held and not consumed: released switches it off.
    window.SetKey(vk::Space, false);
    input.Update();
    EXPECT_FALSE(input.States.test(4));
}

TEST_F(InputFixture, TwoKeysOfOneStateGiveOneState) {
    window.SetKey('K', true);
    window.SetKey(vk::Up, true);
    input.Update();
    media::TDXInputStates expected;
    expected.set(media::isUp);
    EXPECT_EQ(input.Keyboard().States(), expected);
    EXPECT_EQ(input.States, expected);
    window.SetKey('K', false);
    input.Update();
    EXPECT_TRUE(input.States.test(media::isUp)) << "Up still held";
}

TEST_F(InputFixture, EmptyRowNeverSwitchesOn) {
    for (int code = 0; code < 256; ++code) window.SetKey(static_cast<uint8_t>(code), true);
    input.Update();
    EXPECT_FALSE(input.States.test(35));
    EXPECT_TRUE(input.States.test(12));
}

TEST_F(InputFixture, UnfocusedWindowReportsNothingWhenActiveOnly) {
    platform::input::JoystickCaps caps;
    caps.axes = 3;
    caps.buttons = 2;
    const int stick = window.AddJoystick(caps);
    input.Joystick().Initialize();
    platform::input::JoystickState js;
    js.axis = {0, 0, 32767};
    js.buttons = 1;
    window.SetJoystick(stick, js);
    window.SetKey('Z', true);
    window.SetFocused(false);
    input.Update();
    EXPECT_TRUE(input.States.none());
    EXPECT_TRUE(input.Joystick().States().none());
    EXPECT_TRUE(input.Keyboard().States().none());
    input.SetActiveOnly(false);
    input.Update();
    EXPECT_TRUE(input.States.test(4));
    EXPECT_TRUE(input.Joystick().States().test(media::isLeft));
    EXPECT_TRUE(input.Joystick().States().test(media::isUp));
}

TEST_F(InputFixture, MouseNeedsTheDeviceAndMapsMovement) {
    EXPECT_FALSE(input.Mouse().Enabled());
    EXPECT_FALSE(input.Mouse().BindInputStates);
    input.Mouse().SetEnabled(true);
    input.Mouse().BindInputStates = true;
    window.MoveMouse(-3, 5);
    window.SetMouseButton(1, true);
    input.Update();
    EXPECT_TRUE(input.States.test(media::isLeft));
    EXPECT_TRUE(input.States.test(media::isDown));
    EXPECT_TRUE(input.States.test(5));
    EXPECT_FALSE(input.States.test(media::isRight));
    EXPECT_EQ(input.Mouse().MouseState.dx, -3);
    input.Update();
    EXPECT_EQ(input.Mouse().MouseState.dx, 0) << "movement is consumed by a read";

    input.SetUseDirectInput(false);
    EXPECT_FALSE(input.Mouse().Enabled());
    EXPECT_THROW(input.Mouse().SetEnabled(true), media::EDXInputError);
}

TEST(DXInput, NeedsAWindow) {
    try {
        TDXInput input(nullptr);
        FAIL();
    } catch (const media::EDXInputError& e) {
        EXPECT_STREQ(e.className(), "EDXInputError");
        EXPECT_EQ(e.message(), "Form not found");
    }
}

TEST(Joystick, AxisFormulaAtEndsAndCentre) {
    using J = media::TJoystick;
    EXPECT_EQ(J::AxisValue(40000, 0, 65535, 50, 1000), 0);
    EXPECT_EQ(J::AxisValue(65535, 0, 65535, 50, 1000), 1000);
    EXPECT_EQ(J::AxisValue(0, 0, 65535, 50, 1000), -1000);
    EXPECT_EQ(J::AxisValue(32767, 0, 65535, 0, 1000), 0);
    EXPECT_EQ(J::AxisValue(49151, 0, 65535, 0, 1000), 500);
    // An interval that does not start at 0 is centred on its middle.
    EXPECT_EQ(J::AxisValue(0, -32768, 32767, 50, 1000), 0);
    EXPECT_EQ(J::AxisValue(32767, -32768, 32767, 50, 1000), 1000);
    EXPECT_EQ(J::AxisValue(-32768, -32768, 32767, 50, 1000), -1000);
    EXPECT_EQ(J::AxisValue(1100, 1000, 2000, 0, 100), -80);
    // A full dead zone is all dead, even one step past the half of an odd interval.
    EXPECT_EQ(J::AxisValue(65535, 0, 65535, 100, 1000), 0);
    EXPECT_EQ(J::AxisValue(0, 0, 65535, 100, 1000), 0);
    EXPECT_EQ(J::AxisValue(5, 5, 5, 0, 1000), 0);
}

TEST_F(InputFixture, JoystickPicksItsIdAndStoresSettings) {
    platform::input::JoystickCaps a, b;
    a.name = "first";
    a.axes = 2;
    a.buttons = 4;
    b.name = "second";
    b.axes = 2;
    b.buttons = 40;
    b.min = {-100, -100, 0};
    b.max = {100, 100, 0};
    window.AddJoystick(a);
    const int second = window.AddJoystick(b);
    auto& j = input.Joystick();
    j.ID = 1;
    j.Initialize();
    ASSERT_TRUE(j.Initialized());
    EXPECT_EQ(j.Caps().name, "second");
    EXPECT_EQ(j.ButtonCount(), 32);
    platform::input::JoystickState s;
    s.axis = {100, 0, 0};
    s.buttons = 0x80000001u;
    window.SetJoystick(second, s);
    input.Update();
    EXPECT_EQ(j.Axes[0], 1000);
    EXPECT_TRUE(input.States.test(media::isRight));
    EXPECT_TRUE(input.States.test(4));
    EXPECT_TRUE(input.States.test(35));

    j.SetDeadZone(media::TJoystick::kX, 150);
    EXPECT_EQ(j.DeadZone(0), 100);
    j.SetDeadZone(32, 10);
    EXPECT_EQ(j.DeadZone(32), -1);
    j.SetRange(300, 5);
    EXPECT_EQ(j.Range(300), 0);
    j.ID = 5;
    j.Initialize();
    EXPECT_FALSE(j.Initialized());
    input.Update();
    EXPECT_TRUE(j.States().none());
}

TEST(ForceFeedback, ParametersClampAndChildrenStartFirst) {
    media::TForceFeedbackEffects root;
    EXPECT_EQ(root.Name, "Effects");
    auto& e = root.Add("kick");
    e.SetPower(20000);
    e.SetTime(-5);
    e.SetConstantX(-20000);
    e.SetEffectType(9);
    EXPECT_EQ(e.Power(), 10000);
    EXPECT_EQ(e.Time(), -1);
    EXPECT_EQ(e.ConstantX(), -10000);
    EXPECT_EQ(e.EffectType(), 3);
    root.Start();
    EXPECT_TRUE(e.Playing());
    e.SetTime(100);  // a change of the times stops it
    EXPECT_FALSE(e.Playing());
    EXPECT_THROW(root.Child(1), rtl::EListError);
}

}  // namespace

TEST(DXInputActivation, TheApplicationsActivationGivesUpAndRetakesTheDevices) {
    platform::input::ScriptedInput window;
    platform::window::Application app;
    TDXInput input(&window, app);
    input.Initialize();
    media::TForceFeedbackEffect& rumble = input.Joystick().Effects.Add("rumble");
    rumble.SetTime(-1);
    input.Joystick().Effects.SetTime(-1);
    input.Joystick().Effects.Start();
    media::TForceFeedbackEffect& once = input.Keyboard().Effects.Add("once");  // not endless
    input.Keyboard().Effects.Start();
    app.SetActive(false);
    EXPECT_FALSE(input.Joystick().Acquired());
    EXPECT_FALSE(rumble.Playing()) << "endless effects stop with the device";
    EXPECT_TRUE(once.Playing());
    app.SetActive(true);
    EXPECT_TRUE(input.Joystick().Acquired());
    EXPECT_TRUE(rumble.Playing()) << "and start again when the application returns";
    // Background input keeps its devices.
    input.SetActiveOnly(false);
    app.SetActive(false);
    EXPECT_TRUE(input.Joystick().Acquired());
    EXPECT_TRUE(rumble.Playing());
    app.SetActive(true);
    // Only the foreground window reads: an activation while another window has the focus
    // leaves the devices given up.
    input.SetActiveOnly(true);
    app.SetActive(false);
    window.SetFocused(false);
    app.SetActive(true);
    EXPECT_FALSE(input.Joystick().Acquired());
    window.SetFocused(true);
    input.Activated();  // the form's own activation
    EXPECT_TRUE(input.Joystick().Acquired());
}
