// The program's test script: any text is a script or a fault with its line, never more steps
// than the limit, and a parsed script runs to its end or its failure.
#include <string>
#include <string_view>

#include "app/GameScript.h"

namespace {

class Target final : public app::TScriptTarget {
public:
    void Key(uint8_t key, bool) override {
        if (key == 0) __builtin_trap();
    }
    void MouseMove(int32_t dx, int32_t dy) override {
        if (dx < -32768 || dx > 32767 || dy < -32768 || dy > 32767) __builtin_trap();
    }
    void MouseButton(int button, bool) override {
        if (button < 0 || button > 2) __builtin_trap();
    }
    bool PanelShown(const std::string& name) override { return name.size() % 2 == 0; }
    std::optional<int32_t> Variable(const std::string& name) override {
        return name.size() % 3 == 0 ? std::optional<int32_t>(0) : std::nullopt;
    }
    std::optional<int32_t> MessageShown() override { return ++asked_ % 2 ? std::optional<int32_t>(7) : std::nullopt; }

private:
    unsigned asked_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    app::TGameScript script;
    std::string error;
    if (!app::ParseGameScript(text, script, error)) {
        if (error.empty() || !script.Steps.empty()) __builtin_trap();
        return 0;
    }
    if (script.Steps.size() > app::kMaxScriptSteps) __builtin_trap();
    for (const app::TScriptStep& s : script.Steps)
        if (s.Ticks > app::kMaxScriptTicks || s.Name.size() > app::kMaxScriptName) __builtin_trap();
        else if (s.Type == app::TScriptStep::Kind::UntilMessage && (s.Value < 1 || s.Value > app::kMaxScriptMessage))
            __builtin_trap();
    Target target;
    app::TScriptRunner runner(std::move(script), target);
    for (int i = 0; i < 1000 && runner.Status() == app::TScriptRunner::State::Running; ++i) runner.Tick();
    return 0;
}
