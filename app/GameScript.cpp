#include "app/GameScript.h"

#include <cctype>
#include <charconv>

#include "platform/input/VirtualKeys.h"
#include "rtl/Format.h"
#include "rtl/Text.h"

namespace app {
namespace {

namespace vk = platform::input::vk;

constexpr uint32_t kKeyHold = 2, kClickHold = 2, kGap = 1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size() || line[i] == '#') break;
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i]) && line[i] != '#') ++i;
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool Same(std::string_view a, std::string_view b) { return rtl::SameText(a, b); }

bool ParseInt(std::string_view word, int32_t& value) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size() && !word.empty();
}

bool ParseTicks(std::string_view word, uint32_t& ticks) {
    int32_t v = 0;
    if (!ParseInt(word, v) || v < 0 || static_cast<uint32_t>(v) > kMaxScriptTicks) return false;
    ticks = static_cast<uint32_t>(v);
    return true;
}

int ButtonOf(std::string_view word) {
    if (Same(word, "left")) return 0;
    if (Same(word, "right")) return 1;
    if (Same(word, "middle")) return 2;
    return -1;
}

// A panel's or variable's name: printable letters without blanks, at most 64.
bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaxScriptName) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x21 || c == 0x7F) return false;
    return true;
}

bool ValidVariable(std::string_view name) {
    if (!ValidName(name)) return false;
    for (const char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return !std::isdigit(static_cast<unsigned char>(name.front()));
}

class Parser {
public:
    Parser(TGameScript& script, std::string& error) : script_(script), error_(error) {}

    bool Line(int number, std::string_view text) {
        line_ = number;
        const std::vector<std::string_view> w = Words(text);
        if (w.empty()) return true;
        const std::string_view cmd = w[0];
        if (Same(cmd, "key")) {
            if (w.size() < 2 || w.size() > 3) return Fail("key NAME [HOLD] expected");
            const uint8_t key = ScriptKeyCode(w[1]);
            if (!key) return Fail("unknown key");
            uint32_t hold = kKeyHold;
            if (w.size() == 3 && (!ParseTicks(w[2], hold) || hold == 0)) return Fail("hold must be 1 to 10000000 ticks");
            return Add(Key(TScriptStep::Kind::KeyDown, key)) && Add(Wait(hold)) &&
                   Add(Key(TScriptStep::Kind::KeyUp, key)) && Add(Wait(kGap));
        }
        if (Same(cmd, "down") || Same(cmd, "up")) {
            if (w.size() != 2) return Fail("a key name expected");
            const uint8_t key = ScriptKeyCode(w[1]);
            if (!key) return Fail("unknown key");
            return Add(Key(Same(cmd, "down") ? TScriptStep::Kind::KeyDown : TScriptStep::Kind::KeyUp, key));
        }
        if (Same(cmd, "move")) {
            TScriptStep s = Step(TScriptStep::Kind::MouseMove);
            if (w.size() != 3 || !ParseInt(w[1], s.X) || !ParseInt(w[2], s.Y) || s.X < -32768 || s.X > 32767 ||
                s.Y < -32768 || s.Y > 32767)
                return Fail("move DX DY expected, each within -32768..32767");
            return Add(s);
        }
        if (Same(cmd, "click") || Same(cmd, "press") || Same(cmd, "release")) {
            const int button = w.size() == 2 ? ButtonOf(w[1]) : -1;
            if (button < 0) return Fail("left, right or middle expected");
            const auto b = static_cast<uint8_t>(button);
            if (Same(cmd, "press")) return Add(Key(TScriptStep::Kind::ButtonDown, b));
            if (Same(cmd, "release")) return Add(Key(TScriptStep::Kind::ButtonUp, b));
            return Add(Key(TScriptStep::Kind::ButtonDown, b)) && Add(Wait(kClickHold)) &&
                   Add(Key(TScriptStep::Kind::ButtonUp, b)) && Add(Wait(kGap));
        }
        if (Same(cmd, "wait")) {
            uint32_t ticks = 0;
            if (w.size() != 2 || !ParseTicks(w[1], ticks)) return Fail("wait N expected, N within 0..10000000");
            return Add(Wait(ticks));
        }
        if (Same(cmd, "until")) return Until(w);
        if (Same(cmd, "keep")) {
            if (w.size() != 2 || !ValidVariable(w[1])) return Fail("keep VARIABLE expected");
            TScriptStep s = Step(TScriptStep::Kind::Keep);
            s.Name = std::string(w[1]);
            return Add(s);
        }
        if (Same(cmd, "follow")) {
            TScriptStep s = Step(TScriptStep::Kind::Follow);
            if (w.size() != 2 || !ParseTicks(w[1], s.Ticks) || s.Ticks == 0)
                return Fail("follow N expected, N within 1..10000000");
            return Add(s);
        }
        return Fail("unknown command");
    }

private:
    bool Until(const std::vector<std::string_view>& w) {
        TScriptStep s;
        size_t within = 0;
        const bool hidden = w.size() == 6 && Same(w[1], "no");
        if ((w.size() == 5 || hidden) && Same(w[hidden ? 2 : 1], "panel")) {
            const std::string_view name = w[hidden ? 3 : 2];
            if (!ValidName(name)) return Fail("a panel name of 1 to 64 letters expected");
            s = Step(TScriptStep::Kind::UntilPanel);
            s.Name = std::string(name);
            s.Hidden = hidden;
            within = hidden ? 4 : 3;
        } else if (w.size() == 6 && (w[2] == "=" || w[2] == ">")) {
            if (!ValidVariable(w[1])) return Fail("a variable name expected");
            s = Step(TScriptStep::Kind::UntilValue);
            s.Name = std::string(w[1]);
            s.Greater = w[2] == ">";
            s.Kept = Same(w[3], "kept");
            if (!s.Kept && !ParseInt(w[3], s.Value)) return Fail("a 32-bit value or kept expected");
            within = 4;
        } else if (w.size() == 5 && (Same(w[1], "message") || Same(w[1], "window"))) {
            s = Step(Same(w[1], "message") ? TScriptStep::Kind::UntilMessage : TScriptStep::Kind::UntilWindow);
            if (!ParseInt(w[2], s.Value) || s.Value < 1 || s.Value > kMaxScriptMessage)
                return Fail("a message number within 1..47 expected");
            within = 3;
        } else if (w.size() == 5 && Same(w[1], "dialog")) {
            if (!ValidName(w[2])) return Fail("a dialog name of 1 to 64 letters expected");
            s = Step(TScriptStep::Kind::UntilDialog);
            s.Name = std::string(w[2]);
            within = 3;
        } else {
            return Fail(
                "until [no] panel NAME, until message N, until window N, until dialog NAME (each within T), or until "
                "VARIABLE =|> VALUE within N expected");
        }
        if (!Same(w[within], "within") || !ParseTicks(w[within + 1], s.Ticks))
            return Fail("within N expected, N within 0..10000000");
        return Add(s);
    }

    TScriptStep Step(TScriptStep::Kind kind) const {
        TScriptStep s;
        s.Type = kind;
        s.Line = line_;
        return s;
    }
    TScriptStep Key(TScriptStep::Kind kind, uint8_t key) const {
        TScriptStep s = Step(kind);
        s.Key = key;
        return s;
    }
    TScriptStep Wait(uint32_t ticks) const {
        TScriptStep s = Step(TScriptStep::Kind::Wait);
        s.Ticks = ticks;
        return s;
    }
    bool Add(TScriptStep step) {
        if (script_.Steps.size() >= kMaxScriptSteps) return Fail("more than 100000 steps");
        script_.Steps.push_back(std::move(step));
        return true;
    }
    bool Fail(const char* what) {
        error_ = rtl::Format("line %d: %s", {line_, what});
        return false;
    }

    TGameScript& script_;
    std::string& error_;
    int line_ = 0;
};

}  // namespace

uint8_t ScriptKeyCode(std::string_view name) {
    static constexpr std::pair<const char*, uint8_t> kNamed[] = {
        {"Enter", vk::Return},  {"Return", vk::Return},  {"Esc", vk::Escape},     {"Escape", vk::Escape},
        {"Space", vk::Space},   {"Tab", vk::Tab},        {"Backspace", vk::Back}, {"Shift", vk::Shift},
        {"Ctrl", vk::Control},  {"Alt", vk::Menu},       {"Pause", vk::Pause},    {"Left", vk::Left},
        {"Right", vk::Right},   {"Up", vk::Up},          {"Down", vk::Down},      {"Home", vk::Home},
        {"End", vk::End},       {"PageUp", vk::Prior},   {"PageDown", vk::Next},  {"Insert", vk::Insert},
        {"Delete", vk::Delete},
    };
    for (const auto& [text, code] : kNamed)
        if (Same(name, text)) return code;
    if (name.size() == 1) {
        const char c = rtl::UpperCase(name)[0];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint8_t>(c);
        return 0;
    }
    if (name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
        int32_t n = 0;
        if (ParseInt(name.substr(1), n) && name[1] != '+' && n >= 1 && n <= 24) return vk::F(n);
    }
    return 0;
}

bool ParseGameScript(std::string_view text, TGameScript& script, std::string& error) {
    script.Steps.clear();
    error.clear();
    if (text.size() > kMaxScriptBytes) {
        error = "the script is larger than 1 MiB";
        return false;
    }
    Parser parser(script, error);
    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        ++number;
        if (line.find('\0') != std::string_view::npos) {
            error = rtl::Format("line %d: a zero byte", {number});
            script.Steps.clear();
            return false;
        }
        if (!parser.Line(number, line)) {
            script.Steps.clear();
            return false;
        }
        start = end + 1;
    }
    return true;
}

TScriptRunner::TScriptRunner(TGameScript script, TScriptTarget& target) : script_(std::move(script)), target_(target) {
    if (script_.Steps.empty()) state_ = State::Finished;
}

// What did not hold, and what held instead: the message shown or the variable's value.
std::string TScriptRunner::FailureText(const TScriptStep& s) {
    auto instead = [](const std::optional<int32_t>& value, const char* none) {
        return value ? rtl::Format(" (%d)", {*value}) : std::string(none);
    };
    switch (s.Type) {
        case TScriptStep::Kind::UntilPanel:
            return rtl::Format("line %d: panel %S not %S within %u ticks",
                               {s.Line, s.Name, s.Hidden ? "hidden" : "shown", s.Ticks});
        case TScriptStep::Kind::UntilMessage:
            return rtl::Format("line %d: message %d not shown within %u ticks", {s.Line, s.Value, s.Ticks}) +
                   instead(target_.MessageShown(), " (none)");
        case TScriptStep::Kind::UntilWindow:
            return rtl::Format("line %d: window message %d not shown within %u ticks", {s.Line, s.Value, s.Ticks}) +
                   instead(target_.WindowMessageShown(), " (none)");
        case TScriptStep::Kind::UntilDialog: {
            const std::optional<std::string> shown = target_.DialogShown();
            return rtl::Format("line %d: dialog %S not shown within %u ticks (%S)",
                               {s.Line, s.Name, s.Ticks, shown ? *shown : std::string("none")});
        }
        case TScriptStep::Kind::Keep: return rtl::Format("line %d: %S does not exist", {s.Line, s.Name});
        default: {
            const std::optional<int32_t> expected = Expected(s);
            if (!expected) return rtl::Format("line %d: no value of %S was kept", {s.Line, s.Name});
            return rtl::Format("line %d: %S is not %S%d within %u ticks",
                               {s.Line, s.Name, s.Greater ? "above " : "", *expected, s.Ticks}) +
                   instead(target_.Variable(s.Name), " (no such variable)");
        }
    }
}

// The value a check compares with: its own, or the one kept for its variable.
std::optional<int32_t> TScriptRunner::Expected(const TScriptStep& step) const {
    if (!step.Kept) return step.Value;
    const auto it = kept_.find(step.Name);
    return it == kept_.end() ? std::nullopt : std::optional<int32_t>(it->second);
}

bool TScriptRunner::Holds(const TScriptStep& step) {
    using K = TScriptStep::Kind;
    if (step.Type == K::UntilPanel) return target_.PanelShown(step.Name) != step.Hidden;
    if (step.Type == K::UntilDialog) return target_.DialogShown() == step.Name;
    if (step.Type == K::UntilMessage || step.Type == K::UntilWindow) {
        const std::optional<int32_t> shown =
            step.Type == K::UntilMessage ? target_.MessageShown() : target_.WindowMessageShown();
        return shown && *shown == step.Value;
    }
    const std::optional<int32_t> value = target_.Variable(step.Name), expected = Expected(step);
    return value && expected && (step.Greater ? *value > *expected : *value == *expected);
}

void TScriptRunner::HoldKeys(const TSteerKeys& keys) {
    if (keys.Left != held_.Left) target_.Key(vk::Left, keys.Left);
    if (keys.Right != held_.Right) target_.Key(vk::Right, keys.Right);
    if (keys.Launch != held_.Launch) target_.Key(vk::Space, keys.Launch);
    held_ = keys;
}

void TScriptRunner::Steer() {
    const std::optional<TPlayView> view = target_.PlayView();
    HoldKeys(view ? SteerPaddle(*view, ticks_) : TSteerKeys{});
}

void TScriptRunner::Tick() {
    if (state_ != State::Running) return;
    ++ticks_;
    if (following_ > 0) {
        if (--following_ > 0) return Steer();
        HoldKeys({});
        ++next_;
    }
    if (waiting_ > 0 && --waiting_ > 0) return;
    using K = TScriptStep::Kind;
    while (next_ < script_.Steps.size()) {
        const TScriptStep& s = script_.Steps[next_];
        switch (s.Type) {
            case K::KeyDown:
            case K::KeyUp: target_.Key(s.Key, s.Type == K::KeyDown); break;
            case K::MouseMove: target_.MouseMove(s.X, s.Y); break;
            case K::ButtonDown:
            case K::ButtonUp: target_.MouseButton(s.Key, s.Type == K::ButtonDown); break;
            case K::Wait:
                if (s.Ticks > 0) {
                    waiting_ = s.Ticks;
                    ++next_;
                    return;
                }
                break;
            case K::Keep:
                if (const std::optional<int32_t> value = target_.Variable(s.Name)) {
                    kept_[s.Name] = *value;
                    break;
                }
                state_ = State::Failed;
                failure_ = FailureText(s);
                return;
            case K::Follow:
                following_ = s.Ticks;
                Steer();
                return;
            case K::UntilPanel:
            case K::UntilValue:
            case K::UntilMessage:
            case K::UntilWindow:
            case K::UntilDialog:
                if (!Holds(s)) {
                    if (checked_ < s.Ticks) {
                        ++checked_;
                        return;
                    }
                    state_ = State::Failed;
                    failure_ = FailureText(s);
                    return;
                }
                checked_ = 0;
                break;
        }
        ++next_;
    }
    state_ = State::Finished;
}

}  // namespace app
