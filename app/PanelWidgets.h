// What the panels' handlers share: widgets found by name and class (a missing widget, or
// one of another class, is nil and its step is skipped), the form a widget belongs to, and
// the click sound of a control.
#pragma once

#include <string>

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
// Closes the panel the widget lies on: the game resumes when it returns to play, and the
// form it was opened from is shown again.
void CloseOwnerForm(engine::TGPKernel* kernel, rtl::Object* widget);
// Queues sound `number` at the widget's centre (flags 1, 0, 1), as buttons sound.
void WidgetSound(engine::TGPKernel& kernel, engine::TGPInterface& widget, int32_t number);

// The operations of the game flow and of the main menu's navigation that the panels call.
// They belong to other files of the main form; a build without them falls back to the
// panel's own minimum (closing the panel, logging that no game can start).
template <class Form> void ClosePanel(Form& form, rtl::Object* sender) {
    if constexpr (requires { form.On_Link_OnClick_Concel(sender); })
        form.On_Link_OnClick_Concel(sender);
    else
        CloseOwnerForm(form.Kernel.get(), sender);
}

}  // namespace app::panels
