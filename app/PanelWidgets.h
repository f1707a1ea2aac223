// Looking up the widgets of the in-game panels by name. Panels are data: a widget may be
// missing or of another class, and the handlers then skip the step that needs it.
#pragma once

#include <string>
#include <typeinfo>

#include "engine/gpInterface.h"
#include "engine/gpKernel.h"

namespace app::panels {

// The input states of the panels' keys.
inline constexpr int kEnterState = 16;
inline constexpr int kEscState = 14;

// Exactly this one state is pressed.
inline bool OnlyPressed(const engine::TDXInputStates& key, int state) {
    return key.count() == 1 && key.test(static_cast<size_t>(state));
}

// The child name of parent as a W (or an heir of W); nil when missing or of another class.
template <class W> W* Find(const engine::TGPStructure* parent, const std::string& name) {
    if (!parent) return nullptr;
    engine::TGPStructure* child = parent->FindChild(name);
    return child && child->InheritsFrom<W>() ? static_cast<W*>(child) : nullptr;
}

// A form of the kernel: exactly a TGPForm (buttons are forms by class, but no panels).
inline engine::TGPForm* FindForm(const engine::TGPKernel* kernel, const std::string& name) {
    engine::TGPForm* form = Find<engine::TGPForm>(kernel, name);
    return form && typeid(*form) == typeid(engine::TGPForm) ? form : nullptr;
}

// The panel a widget sits on: the widget itself when it is a form, else the nearest form
// among its parent widgets; nil for anything else.
inline engine::TGPForm* OwnerForm(rtl::Object* sender) {
    auto* widget = dynamic_cast<engine::TGPInterface*>(sender);
    for (int depth = 0; widget && depth < 64; ++depth) {
        if (typeid(*widget) == typeid(engine::TGPForm)) return static_cast<engine::TGPForm*>(widget);
        widget = widget->ParentWidget();
    }
    return nullptr;
}

// A panel opened from the main menu: shown before the menu is hidden (both at the end of the
// tick, in this order), so that the menu is still the focused form and becomes the panel's
// parent, to which Esc and "Back" return.
inline void ShowFromMainMenu(engine::TGPKernel& kernel, const std::string& panel) {
    kernel.ShowForm(panel, kernel.FocusForm);
    kernel.HideForm("MainPanel");
}

// The name of a structure, or empty.
inline std::string NameOf(rtl::Object* object) {
    auto* s = dynamic_cast<engine::TGPStructure*>(object);
    return s ? s->Name : std::string();
}

}  // namespace app::panels
