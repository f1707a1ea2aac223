// What the panels' handlers share: widgets found by name and class (a missing widget, or
// one of another class, is nil and its step is skipped), the form a widget belongs to, and
// the click sound of a control.
#pragma once

#include <string>
#include <typeinfo>

#include "engine/gpInterface.h"
#include "engine/gpKernel.h"

namespace app::panels {

// The child `name` of container when it is a W.
template <class W> W* Find(const engine::TGPStructure* container, const std::string& name) {
    return container ? dynamic_cast<W*>(container->FindChild(name)) : nullptr;
}

// The kernel's form `name` (exactly a form, not one of its heirs).
engine::TGPForm* FormNamed(const engine::TGPKernel* kernel, const std::string& name);
// The form the widget lies on (itself when it is a form); nil for anything else.
engine::TGPForm* OwnerForm(rtl::Object* widget);
// The focused panel and its parent, by name: where the message panel returns to.
void RememberFocus(const engine::TGPKernel& kernel, std::string& panel, std::string& parent);
// Queues sound `number` at the widget's centre (flags 1, 0, 1), as buttons sound.
void WidgetSound(engine::TGPKernel& kernel, engine::TGPInterface& widget, int32_t number);

// The input states of the panels' keys.
inline constexpr int kEnterState = 16;
inline constexpr int kEscState = 14;

// Exactly this one state is pressed.
inline bool OnlyPressed(const engine::TDXInputStates& key, int state) {
    return key.count() == 1 && key.test(static_cast<size_t>(state));
}

// A form of the kernel: exactly a TGPForm (buttons are forms by class, but no panels).
inline engine::TGPForm* FindForm(const engine::TGPKernel* kernel, const std::string& name) {
    return FormNamed(kernel, name);
}

// A panel opened in place of the form `from` (the main menu, the pause): shown before `from`
// is hidden (both at the end of the tick, in this order), so that `from` is still the focused
// form and becomes the panel's parent, to which Esc and "Back" return.
inline void ShowInPlaceOf(engine::TGPKernel& kernel, const std::string& panel, const std::string& from) {
    kernel.ShowForm(panel, kernel.FindChild(from));
    kernel.HideForm(from);
}

inline void ShowFromMainMenu(engine::TGPKernel& kernel, const std::string& panel) {
    ShowInPlaceOf(kernel, panel, "MainPanel");
}

// Back from `form` to its parent: the parent is shown before the form is hidden, so that the
// hide hands the kernel to the parent's condition, and the restore flag that the pause keeps
// for its own closing stays unused.
inline void ReturnToParent(engine::TGPKernel& kernel, const std::string& form, const std::string& parent) {
    kernel.ShowForm(parent, nullptr);
    kernel.HideForm(form);
}

// The name of a structure, or empty.
inline std::string NameOf(rtl::Object* object) {
    auto* s = dynamic_cast<engine::TGPStructure*>(object);
    return s ? s->Name : std::string();
}

}  // namespace app::panels
