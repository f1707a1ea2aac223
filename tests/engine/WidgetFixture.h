// Widgets on an 800 x 600 headless display: a kernel with a mouse, a virtual clock for the
// presses and steps, the game data's widget pictures (each pattern one solid colour), and a
// builder that makes widgets as the interface reader does (class by name, name/value
// strings, events bound by name to a main form's published methods).
#pragma once

#include "WorldFixture.h"

#include "engine/gpInterface.h"
#include "engine/gpMouse.h"
#include "platform/clock/VirtualClock.h"
#include "tools/datagen/WidgetWriter.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace enginetest {

using Props = std::vector<std::pair<std::string, std::string>>;

// Sets each named published property from its text, and binds each event to the method of
// that name of handlers, as the interface reader does.
inline void ApplyProps(engine::TGPStructure& widget, rtl::Object& handlers, const Props& props) {
    for (const auto& [name, value] : props) {
        const rtl::PropInfo* prop = rtl::GetPropInfo(widget, name);
        if (!prop) throw rtl::EPropertyError("no property " + name);
        if (prop->Kind == rtl::PropKind::Method)
            engine::BindEvent(handlers, widget, value, name);
        else
            rtl::SetPropValue(widget, *prop, rtl::PropValue{value});
    }
}

class WidgetFixture : public WorldFixture {
protected:
    static constexpr int kScreenW = 800, kScreenH = 600;

    WidgetFixture() : WorldFixture(kScreenW, kScreenH), clock(100000) {
        platform::clock::Install(&clock);
        kernel->Condition = engine::ck_MainInterface;
    }
    ~WidgetFixture() override {
        kernel.reset();
        platform::clock::Install(nullptr);
    }

    // The game data with these pictures in "BMP"; then the kernel gets its mouse.
    void Pictures(const std::vector<std::pair<std::string, std::string>>& pictures) {
        datagen::ContainerSection bmp{"BMP", {}};
        for (const auto& [name, bytes] : pictures) bmp.entries.push_back({name, bytes});
        GameData({bmp});
        MakeMouse();
    }
    void MakeMouse() {
        auto m = std::make_unique<engine::TGPMouse>();
        mouse = m.get();
        mouse->Create(kernel.get(), 1);
        kernel->SetMouse(std::move(m));
    }

    template <class W> W* Make(rtl::Object* owner, const Props& props = {}, rtl::Object* handlers = nullptr) {
        W* w = engine::CreateWidget<W>(owner, 200);
        ApplyProps(*w, handlers ? *handlers : *w, props);
        return w;
    }

    void MouseAt(int x, int y) {
        kernel->SetMouseX(x);
        kernel->SetMouseY(y);
    }
    void Press(bool down) { mouse->Pressed = down; }
    // One tick after ms of the clock, on a back surface cleared to black first (nothing
    // else clears it while no map is drawn).
    void Tick(uint32_t ms = 22) {
        clock.Advance(ms);
        dxdraw.Surface()->Fill(0);
        kernel->Tick();
    }
    static uint16_t Colour565(int pattern) { return To565(datagen::PatternColour(pattern)); }
    // Pixels of a colour in a rectangle of the presented frame (read once).
    int Count(uint16_t colour, int x0, int y0, int x1, int y1) const {
        const auto frame = presenter.ReadFrame();
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += frame.Pixels[size_t(y) * size_t(frame.Width) + size_t(x)] == colour;
        return n;
    }

    platform::clock::VirtualClock clock;
    engine::TGPMouse* mouse = nullptr;
};

}  // namespace enginetest
