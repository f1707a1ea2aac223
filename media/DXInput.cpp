#include "media/DXInput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/input/VirtualKeys.h"

namespace media {

namespace vk = platform::input::vk;

int AssignKey(TKeyAssignList& table, int state, std::span<const uint32_t> keys) {
    if (state < 0 || state >= kInputStateCount) return 0;  // never past the 36 rows
    TKeyAssign& row = table[static_cast<size_t>(state)];
    row.fill(0);
    const size_t n = std::min<size_t>(keys.size(), row.size());
    std::copy_n(keys.begin(), n, row.begin());
    return static_cast<int>(n);
}

void DefaultKeyTable(TKeyAssignList& table) {
    for (auto& row : table) row.fill(0);
    const auto set = [&](int state, std::initializer_list<uint32_t> keys) {
        AssignKey(table, state, std::span<const uint32_t>(keys.begin(), keys.size()));
    };
    set(isUp, {'K', vk::Up, vk::Numpad(8)});
    set(isDown, {'J', vk::Down, vk::Numpad(2)});
    set(isLeft, {'H', vk::Left, vk::Numpad(4)});
    set(isRight, {'L', vk::Right, vk::Numpad(6)});
    set(4, {'Z', vk::Space});
    set(5, {'X', vk::Return});
    set(12, {vk::F(2)});
}

void FillStateIndexes(std::span<uint8_t, kInputStateCount> indexes) {
    for (int i = 0; i < kInputStateCount; ++i) indexes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
}

uint32_t DIKToVK(uint8_t code) {
    // Letters by their rows on the keyboard.
    static constexpr char kRow1[] = "QWERTYUIOP", kRow2[] = "ASDFGHJKL", kRow3[] = "ZXCVBNM";
    if (code >= 0x10 && code <= 0x19) return static_cast<uint8_t>(kRow1[code - 0x10]);
    if (code >= 0x1E && code <= 0x26) return static_cast<uint8_t>(kRow2[code - 0x1E]);
    if (code >= 0x2C && code <= 0x32) return static_cast<uint8_t>(kRow3[code - 0x2C]);
    if (code >= 0x02 && code <= 0x0A) return static_cast<uint32_t>('1' + code - 0x02);
    if (code >= 0x3B && code <= 0x44) return vk::F(1 + code - 0x3B);
    switch (code) {
        case 0x0B: return '0';
        case 0x01: return vk::Escape;
        case 0x0D: return 61;  // =
        case 0x0E: return vk::Back;
        case 0x0F: return vk::Tab;
        case 0x1A: return 91;  // [
        case 0x1B: return 93;  // ]
        case 0x1C: case 0x9C: return vk::Return;
        case 0x1D: case 0x9D: return vk::Control;
        case 0x27: return 59;  // ;
        case 0x28: return 39;  // '
        case 0x2A: case 0x36: return vk::Shift;
        case 0x2B: return 92;  // backslash
        case 0x33: return 44;  // ,
        case 0x34: return 46;  // .
        case 0x35: return 47;  // /
        case 0x37: return 42;  // numeric-pad *
        case 0x38: case 0xB8: return vk::Menu;
        case 0x39: return vk::Space;
        case 0x3A: return vk::Capital;
        case 0x45: return vk::NumLock;
        case 0x46: return vk::Scroll;
        case 0x47: return vk::Numpad(7);
        case 0x48: return vk::Numpad(8);
        case 0x49: return vk::Numpad(9);
        case 0x4A: return vk::Subtract;
        case 0x4B: return vk::Numpad(4);
        case 0x4C: return vk::Numpad(5);
        case 0x4D: return vk::Numpad(6);
        case 0x4E: return vk::Add;
        case 0x4F: return vk::Numpad(1);
        case 0x50: return vk::Numpad(2);
        case 0x51: return vk::Numpad(3);
        case 0x52: return vk::Numpad(0);
        case 0x53: return vk::Decimal;
        case 0x57: return vk::F(11);
        case 0x58: return vk::F(12);
        case 0xB5: return vk::Divide;
        case 0xC7: return vk::Home;
        case 0xC8: return vk::Up;
        case 0xC9: return vk::Prior;
        case 0xCB: return vk::Left;
        case 0xCD: return vk::Right;
        case 0xCF: return vk::End;
        case 0xD0: return vk::Down;
        case 0xD1: return vk::Next;
        case 0xD2: return vk::Insert;
        case 0xD3: return vk::Delete;
        case 0xDB: return 91;  // left Windows key
        case 0xDC: return 92;  // right Windows key
        case 0xDD: return 93;  // application key
        default: return 0;
    }
}

std::array<uint8_t, kKeyAssignBytes> KeyTableToBytes(const TKeyAssignList& table) {
    std::array<uint8_t, kKeyAssignBytes> bytes{};
    size_t p = 0;
    for (const auto& row : table)
        for (uint32_t code : row)
            for (int b = 0; b < 4; ++b) bytes[p++] = static_cast<uint8_t>(code >> (8 * b));
    return bytes;
}

bool KeyTableFromBytes(std::span<const uint8_t> bytes, TKeyAssignList& table) {
    if (bytes.size() != kKeyAssignBytes) return false;
    size_t p = 0;
    for (auto& row : table)
        for (uint32_t& code : row) {
            code = static_cast<uint32_t>(bytes[p] | bytes[p + 1] << 8 | bytes[p + 2] << 16 |
                                         static_cast<uint32_t>(bytes[p + 3]) << 24);
            p += 4;
        }
    return true;
}

bool ReadKeyAssignProperty(const std::string& name, std::span<const uint8_t> bytes, TKeyAssignList& table) {
    if (name != "Assigns" && name != "Aissgns") return false;
    return KeyTableFromBytes(bytes, table);
}

// ---- force feedback effects ----

TForceFeedbackEffect::TForceFeedbackEffect(TForceFeedbackEffect* parent, std::string name)
    : Name(std::move(name)), parent_(parent) {}

TForceFeedbackEffect& TForceFeedbackEffect::Add(std::string name) {
    children_.push_back(std::make_unique<TForceFeedbackEffect>(this, std::move(name)));
    return *children_.back();
}

TForceFeedbackEffect& TForceFeedbackEffect::Child(size_t i) const {
    if (i >= children_.size()) throw rtl::EListError("List index out of bounds (" + std::to_string(i) + ")");
    return *children_[i];
}

void TForceFeedbackEffect::SetEffectType(int v) {
    Stop();
    type_ = std::clamp(v, 0, 3);
}
void TForceFeedbackEffect::SetPower(int v) { power_ = std::clamp(v, 0, 10000); }
void TForceFeedbackEffect::SetTime(int v) {
    Stop();
    time_ = v < 0 ? -1 : v;
}
void TForceFeedbackEffect::SetStartDelayTime(int v) { startDelay_ = std::max(v, 0); }
void TForceFeedbackEffect::SetAttackLevel(int v) { attackLevel_ = std::clamp(v, 0, 10000); }
void TForceFeedbackEffect::SetFadeLevel(int v) { fadeLevel_ = std::clamp(v, 0, 10000); }
void TForceFeedbackEffect::SetAttackTime(int v) {
    Stop();
    attackTime_ = std::max(v, 0);
}
void TForceFeedbackEffect::SetFadeTime(int v) {
    Stop();
    fadeTime_ = std::max(v, 0);
}
void TForceFeedbackEffect::SetPeriod(int v) { period_ = std::max(v, 0); }
void TForceFeedbackEffect::SetConstantX(int v) { constantX_ = std::clamp(v, -10000, 10000); }
void TForceFeedbackEffect::SetConstantY(int v) { constantY_ = std::clamp(v, -10000, 10000); }
void TForceFeedbackEffect::SetConditionX(int v) { conditionX_ = std::clamp(v, -10000, 10000); }
void TForceFeedbackEffect::SetConditionY(int v) { conditionY_ = std::clamp(v, -10000, 10000); }

void TForceFeedbackEffect::Start() {
    for (auto& c : children_) c->Start();
    playing_ = true;
}

void TForceFeedbackEffect::Stop() {
    for (auto& c : children_) c->Stop();
    playing_ = false;
}

// ---- devices ----

void TCustomInput::Unacquire() {
    if (!acquired_) return;
    acquired_ = false;
    resumeEffects_ = Effects.Playing() && Effects.Time() < 0;
    if (resumeEffects_) Effects.Stop();
}

void TCustomInput::Acquire() {
    acquired_ = true;
    if (resumeEffects_ || (Effects.Playing() && Effects.Time() < 0)) Effects.Start();
    resumeEffects_ = false;
}

bool TCustomInput::Active() const {
    if (!initialized_ || !enabled_) return false;
    return !owner_.ActiveOnly() || owner_.Window().Focused();
}

TKeyboard::TKeyboard(TCustomDXInput& owner) : TCustomInput(owner) { DefaultKeyTable(KeyAssigns); }

void TKeyboard::Initialize() {
    buttonCount_ = 256;
    initialized_ = true;
}

void TKeyboard::Update() {
    Keys.fill(0);
    states_.reset();
    if (!Active()) return;
    Keys = owner_.Window().Keys();
    for (int s = 0; s < kInputStateCount; ++s)
        for (uint32_t code : KeyAssigns[static_cast<size_t>(s)])
            if (code >= 1 && code <= 255 && (Keys[code] & 0x80)) {
                states_.set(static_cast<size_t>(s));
                break;
            }
}

void TKeyboard::Assign(const TKeyboard& other) {
    BindInputStates = other.BindInputStates;
    enabled_ = other.enabled_;
    ForceFeedback = other.ForceFeedback;
    KeyAssigns = other.KeyAssigns;
}

TMouse::TMouse(TCustomDXInput& owner) : TCustomInput(owner) {
    enabled_ = false;
    BindInputStates = false;
}

void TMouse::SetEnabled(bool on) {
    if (on && (!owner_.UseDirectInput() || !owner_.Window().HasMouse()))
        throw EDXInputError("DirectInput is necessary to use the mouse");
    enabled_ = on;
}

void TMouse::Initialize() {
    initialized_ = owner_.UseDirectInput() && owner_.Window().HasMouse();
    buttonCount_ = initialized_ ? 4 : 0;
}

void TMouse::Update() {
    MouseState = {};
    states_.reset();
    if (!Active()) return;
    MouseState = owner_.Window().ReadMouse();
    if (MouseState.dx < 0) states_.set(isLeft);
    if (MouseState.dx > 0) states_.set(isRight);
    if (MouseState.dy < 0) states_.set(isUp);
    if (MouseState.dy > 0) states_.set(isDown);
    for (int b = 0; b < 3; ++b)
        if (MouseState.buttons[static_cast<size_t>(b)] & 0x80) states_.set(static_cast<size_t>(4 + b));
}

void TMouse::Assign(const TMouse& other) {
    BindInputStates = other.BindInputStates;
    enabled_ = other.enabled_;
    ForceFeedback = other.ForceFeedback;
}

TJoystick::TJoystick(TCustomDXInput& owner) : TCustomInput(owner) {
    for (int offset : {kX, kY, kZ}) {
        deadZones_[offset] = 50;
        ranges_[offset] = 1000;
    }
}

void TJoystick::Store(std::map<int, int32_t>& table, int offset, int32_t value) {
    if (offset < 0 || offset > 270) return;
    table[offset] = offset == 32 ? -1 : value;  // the view controller takes neither
}

int32_t TJoystick::DeadZone(int offset) const {
    auto it = deadZones_.find(offset);
    return it == deadZones_.end() ? 0 : it->second;
}

void TJoystick::SetDeadZone(int offset, int32_t percent) { Store(deadZones_, offset, std::clamp(percent, 0, 100)); }

int32_t TJoystick::Range(int offset) const {
    auto it = ranges_.find(offset);
    return it == ranges_.end() ? 0 : it->second;
}

void TJoystick::SetRange(int offset, int32_t range) { Store(ranges_, offset, std::abs(range)); }

int32_t TJoystick::AxisValue(int32_t v, int32_t min, int32_t max, int32_t deadZone, int32_t range) {
    if (max <= min || range <= 0) return 0;
    const int64_t half = (static_cast<int64_t>(max) - min) / 2;
    const int64_t d = std::clamp(deadZone, 0, 100) * half / 100;
    const int64_t c = static_cast<int64_t>(v) - (min + half);  // centred on the middle of the interval
    if (std::llabs(c) <= d || half - d <= 0) return 0;         // a full dead zone is all dead
    const double scaled = static_cast<double>(c > 0 ? c - d : c + d) * range / static_cast<double>(half - d);
    return static_cast<int32_t>(std::clamp<double>(std::nearbyint(scaled), -range, range));
}

void TJoystick::Initialize() {
    index_ = -1;
    initialized_ = false;
    buttonCount_ = 0;
    platform::input::Device& w = owner_.Window();
    // The ID-th joystick whose capabilities can be read.
    int seen = 0;
    for (int i = 0; i < w.JoystickCount(); ++i) {
        platform::input::JoystickCaps caps;
        if (!w.JoystickCapabilities(i, caps)) continue;
        if (seen++ == ID) {
            index_ = i;
            caps_ = caps;
            buttonCount_ = std::min(caps.buttons, 32);
            initialized_ = true;
            return;
        }
    }
}

void TJoystick::Update() {
    Joystate = {};
    Axes = {};
    states_.reset();
    if (!Active()) return;
    if (!owner_.Window().ReadJoystick(index_, Joystate)) return;
    static constexpr int kOffsets[3] = {kX, kY, kZ};
    for (int a = 0; a < std::min(caps_.axes, 3); ++a) {
        const size_t i = static_cast<size_t>(a);
        Axes[i] = AxisValue(Joystate.axis[i], caps_.min[i], caps_.max[i], DeadZone(kOffsets[a]), Range(kOffsets[a]));
    }
    for (int b = 0; b < buttonCount_; ++b)
        if (Joystate.buttons & (1u << b)) states_.set(static_cast<size_t>(4 + b));
    if (Axes[0] < 0) states_.set(isLeft);
    if (Axes[0] > 0) states_.set(isRight);
    if (Axes[1] < 0) states_.set(isUp);
    if (Axes[1] > 0) states_.set(isDown);
}

void TJoystick::Assign(const TJoystick& other) {
    BindInputStates = other.BindInputStates;
    enabled_ = other.enabled_;
    ForceFeedback = other.ForceFeedback;
    ID = other.ID;
    AutoCenter = other.AutoCenter;
    deadZones_ = other.deadZones_;
    ranges_ = other.ranges_;
}

// ---- the component ----

TCustomDXInput::TCustomDXInput(platform::input::Device* window, platform::window::Application& app)
    : window_(window), app_(app) {
    if (!window_) throw EDXInputError("Form not found");
    joystick_ = std::make_unique<TJoystick>(*this);
    keyboard_ = std::make_unique<TKeyboard>(*this);
    mouse_ = std::make_unique<TMouse>(*this);
    devices_ = {joystick_.get(), keyboard_.get(), mouse_.get()};
    appHook_ = app_.AddActivateHook([this](bool active) { active ? Activated() : Deactivated(); });
}

TCustomDXInput::~TCustomDXInput() {
    app_.RemoveActivateHook(appHook_);
    Finalize();
}

void TCustomDXInput::SetUseDirectInput(bool on) {
    if (on == useDirectInput_) return;
    useDirectInput_ = on;
    if (!on && mouse_->Enabled()) mouse_->SetEnabled(false);
    Initialize();
}

void TCustomDXInput::Initialize() {
    Finalize();
    for (TCustomInput* d : devices_) d->Initialize();
    Update();
}

void TCustomDXInput::Finalize() {
    for (TCustomInput* d : devices_) d->Finalize();
}

void TCustomDXInput::Update() {
    window_->Poll();
    TDXInputStates s;
    for (TCustomInput* d : devices_) {
        d->Update();
        if (d->BindInputStates) s |= d->States();
    }
    // Latch: switch on what went down, off what came up; the rest stays as the game left it.
    States |= s & ~previous_;
    States &= ~(previous_ & ~s);
    previous_ = s;
}

void TCustomDXInput::Activated() {
    if (activeOnly_ && !window_->Focused()) return;
    for (TCustomInput* d : devices_) d->Acquire();
}

void TCustomDXInput::Deactivated() {
    // Devices that read in the background keep reading.
    if (!activeOnly_) return;
    for (TCustomInput* d : devices_) d->Unacquire();
}

}  // namespace media
