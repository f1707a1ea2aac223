#include "app/PanelWidgets.h"

namespace app::panels {
namespace {
bool IsExactlyForm(const rtl::Object& object) {
    return &object.ClassInfo() == &engine::TGPForm::StaticClassInfo();
}
}  // namespace

engine::TGPForm* FormNamed(const engine::TGPKernel* kernel, const std::string& name) {
    auto* form = kernel ? dynamic_cast<engine::TGPForm*>(kernel->FindChild(name)) : nullptr;
    return form && IsExactlyForm(*form) ? form : nullptr;
}

engine::TGPForm* OwnerForm(rtl::Object* widget) {
    // Each level is a widget's parent widget; the depth of a panel is small, the bound keeps
    // a damaged chain from looping.
    auto* w = dynamic_cast<engine::TGPInterface*>(widget);
    for (int depth = 0; w && depth < 64; ++depth, w = w->ParentWidget())
        if (IsExactlyForm(*w)) return static_cast<engine::TGPForm*>(w);
    return nullptr;
}

void RememberFocus(const engine::TGPKernel& kernel, std::string& panel, std::string& parent) {
    auto* focused = dynamic_cast<engine::TGPForm*>(kernel.FocusForm);
    panel = focused ? focused->Name : std::string();
    parent = focused ? NameOf(focused->ParentForm) : std::string();
}

void WidgetSound(engine::TGPKernel& kernel, engine::TGPInterface& widget, int32_t number) {
    if (!kernel.CommandLine) return;
    kernel.CommandLine->AddSound(number, &widget, widget.Left + widget.PatternWidth / 2,
                                 widget.Top + widget.PatternHeight / 2, 1, 0, 1);
}

}  // namespace app::panels
