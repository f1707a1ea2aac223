// Game input: keyboard, mouse and joystick turned into 36 input states (0 up, 1 down,
// 2 left, 3 right, 4..35 buttons 1..32), joined by TDXInput into a latched set that the
// game consumes by removing states.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/input/Input.h"
#include "platform/window/Application.h"
#include "rtl/Exceptions.h"

namespace media {

using rtl::Exception;
RTL_EXCEPTION(EDXInputError, Exception);

inline constexpr int kInputStateCount = 36;
enum TDXInputState : int { isUp = 0, isDown = 1, isLeft = 2, isRight = 3, isButton1 = 4, isButton32 = 35 };
using TDXInputStates = std::bitset<40>;

// Three virtual-key codes per state, 0 = empty slot; 432 bytes when stored.
using TKeyAssign = std::array<uint32_t, 3>;
using TKeyAssignList = std::array<TKeyAssign, kInputStateCount>;
inline constexpr size_t kKeyAssignBytes = kInputStateCount * 3 * 4;

// Clears the state's row and copies up to three codes into it; answers how many were copied.
// A state outside 0..35 is refused (nothing written, 0).
int AssignKey(TKeyAssignList& table, int state, std::span<const uint32_t> keys);
void DefaultKeyTable(TKeyAssignList& table);
void FillStateIndexes(std::span<uint8_t, kInputStateCount> indexes);
uint32_t DIKToVK(uint8_t code);

// The stored form: 36 rows × 3 little-endian int32, state-major.
std::array<uint8_t, kKeyAssignBytes> KeyTableToBytes(const TKeyAssignList& table);
// False (table untouched) unless exactly 432 bytes.
bool KeyTableFromBytes(std::span<const uint8_t> bytes, TKeyAssignList& table);
// The keyboard's binary property in the component stream: written as "Assigns"; the
// misspelt "Aissgns" of older streams is read as well. False for any other name or size.
inline constexpr const char* kKeyAssignProperty = "Assigns";
bool ReadKeyAssignProperty(const std::string& name, std::span<const uint8_t> bytes, TKeyAssignList& table);

// Force-feedback effects, kept as data: no device here reports force feedback.
class TForceFeedbackEffect {
public:
    explicit TForceFeedbackEffect(TForceFeedbackEffect* parent = nullptr, std::string name = {});
    std::string Name;
    TForceFeedbackEffect* Parent() const { return parent_; }
    TForceFeedbackEffect& Add(std::string name);
    size_t Count() const { return children_.size(); }
    TForceFeedbackEffect& Child(size_t i) const;

    int EffectType() const { return type_; }  // 0 none, 1 constant, 2 periodic, 3 condition
    void SetEffectType(int v);
    int Power() const { return power_; }
    void SetPower(int v);
    int Time() const { return time_; }  // ms, -1 endless
    void SetTime(int v);
    int StartDelayTime() const { return startDelay_; }
    void SetStartDelayTime(int v);
    int AttackLevel() const { return attackLevel_; }
    void SetAttackLevel(int v);
    int FadeLevel() const { return fadeLevel_; }
    void SetFadeLevel(int v);
    int AttackTime() const { return attackTime_; }
    void SetAttackTime(int v);
    int FadeTime() const { return fadeTime_; }
    void SetFadeTime(int v);
    int Period() const { return period_; }
    void SetPeriod(int v);
    int ConstantX() const { return constantX_; }
    void SetConstantX(int v);
    int ConstantY() const { return constantY_; }
    void SetConstantY(int v);
    int ConditionX() const { return conditionX_; }
    void SetConditionX(int v);
    int ConditionY() const { return conditionY_; }
    void SetConditionY(int v);

    void Start();  // children first
    void Stop();
    bool Playing() const { return playing_; }

private:
    TForceFeedbackEffect* parent_;
    std::vector<std::unique_ptr<TForceFeedbackEffect>> children_;
    int type_ = 0, power_ = 10000, time_ = 1000, startDelay_ = 0, attackLevel_ = 0, fadeLevel_ = 0,
        attackTime_ = 0, fadeTime_ = 0, period_ = 50, constantX_ = 0, constantY_ = 0, conditionX_ = 0,
        conditionY_ = 0;
    bool playing_ = false;
};

class TForceFeedbackEffects : public TForceFeedbackEffect {
public:
    TForceFeedbackEffects() : TForceFeedbackEffect(nullptr, "Effects") {}
};

class TCustomDXInput;

class TCustomInput {
public:
    explicit TCustomInput(TCustomDXInput& owner) : owner_(owner) {}
    virtual ~TCustomInput() = default;

    bool BindInputStates = true;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool on) { enabled_ = on; }
    bool ForceFeedback = false;
    TForceFeedbackEffects Effects;

    const TDXInputStates& States() const { return states_; }
    int ButtonCount() const { return buttonCount_; }
    bool Initialized() const { return initialized_; }
    bool ForceFeedbackSupported() const { return false; }

    virtual void Initialize() = 0;
    virtual void Finalize() { initialized_ = false; }
    virtual void Update() = 0;

    // The device is given up while the application is in the background, and taken again
    // when it returns: endless effects that were playing stop, and start again.
    void Unacquire();
    void Acquire();
    bool Acquired() const { return acquired_; }

protected:
    // False when the device must report nothing this poll.
    bool Active() const;
    TCustomDXInput& owner_;
    TDXInputStates states_;
    int buttonCount_ = 0;
    bool initialized_ = false;
    bool enabled_ = true;
    bool acquired_ = true;
    bool resumeEffects_ = false;
};

class TKeyboard : public TCustomInput {
public:
    explicit TKeyboard(TCustomDXInput& owner);
    TKeyAssignList KeyAssigns{};
    std::array<uint8_t, 256> Keys{};  // bit 7 = down, by virtual-key code

    void Initialize() override;
    void Update() override;
    void Assign(const TKeyboard& other);
};

class TMouse : public TCustomInput {
public:
    explicit TMouse(TCustomDXInput& owner);
    platform::input::MouseState MouseState;

    void SetEnabled(bool on) override;
    void Initialize() override;
    void Update() override;
    void Assign(const TMouse& other);
};

class TJoystick : public TCustomInput {
public:
    explicit TJoystick(TCustomDXInput& owner);
    int ID = 0;
    bool AutoCenter = true;

    // Per axis offset of the joystick record (X 0, Y 4, Z 8; others up to 270).
    int32_t DeadZone(int offset) const;
    void SetDeadZone(int offset, int32_t percent);
    int32_t Range(int offset) const;
    void SetRange(int offset, int32_t range);
    static constexpr int kX = 0, kY = 4, kZ = 8;

    platform::input::JoystickState Joystate;      // raw, from the device
    std::array<int32_t, 3> Axes{};                // X, Y, Z after dead zone and range
    const platform::input::JoystickCaps& Caps() const { return caps_; }

    void Initialize() override;
    void Update() override;
    void Assign(const TJoystick& other);

    // One axis: v in min..max, centred on min + half, dead zone in percent, result in -range..range.
    static int32_t AxisValue(int32_t v, int32_t min, int32_t max, int32_t deadZone, int32_t range);

private:
    void Store(std::map<int, int32_t>& table, int offset, int32_t value);
    std::map<int, int32_t> deadZones_, ranges_;
    platform::input::JoystickCaps caps_;
    int index_ = -1;  // the device's joystick, -1 none
};

class TCustomDXInput {
public:
    // `window` is the input of the game's form; without one, "Form not found". The
    // component follows the application's activation (its window's hook).
    explicit TCustomDXInput(platform::input::Device* window,
                            platform::window::Application& app = platform::window::App());
    virtual ~TCustomDXInput();

    TKeyboard& Keyboard() { return *keyboard_; }
    TMouse& Mouse() { return *mouse_; }
    TJoystick& Joystick() { return *joystick_; }
    platform::input::Device& Window() { return *window_; }

    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool on) { activeOnly_ = on; }
    bool UseDirectInput() const { return useDirectInput_; }
    void SetUseDirectInput(bool on);

    TDXInputStates States;  // latched: on when a state goes down, off when it comes up

    void Initialize();
    void Finalize();
    void Update();
    // The form or the application was activated: every device is taken again (unless only
    // the foreground window reads input and this one is not it) and its endless effects
    // start again. Deactivated gives the devices up.
    void Activated();
    void Deactivated();

private:
    platform::input::Device* window_;
    platform::window::Application& app_;
    int appHook_ = 0;
    std::unique_ptr<TJoystick> joystick_;
    std::unique_ptr<TKeyboard> keyboard_;
    std::unique_ptr<TMouse> mouse_;
    std::vector<TCustomInput*> devices_;
    TDXInputStates previous_;
    bool activeOnly_ = true;
    bool useDirectInput_ = true;
};

class TDXInput : public TCustomDXInput {
public:
    using TCustomDXInput::TCustomDXInput;
};

}  // namespace media
