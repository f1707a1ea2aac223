// The in-game widget toolkit: the widget base (gpInterfaceBase.h), the heads-up widgets
// (gpInterfaceHud.h), menu forms, buttons, check boxes and track bars (gpInterfaceMenu.h),
// labels, edits and grids (gpInterfaceControls.h) and the picture widgets
// (gpInterfaceImage.h).
//
// Menu widgets are made by class name, as the interface reader makes them: CreateWidget
// builds the widget in two phases and hands it to its container, the widget it was made
// with or the kernel, which owns it as a named child.
#pragma once

#include "engine/gpInterfaceBase.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpInterfaceHud.h"
#include "engine/gpInterfaceImage.h"
#include "engine/gpInterfaceMenu.h"

#include <string_view>

namespace engine {

// A menu widget of the registered class className (EClassNotFound when there is none, an
// invalid cast when it is no menu widget), created with owner and id and attached as a named
// child of the owner widget or, for any other owner, of the kernel (a duplicate name raises
// EComponentError and nothing is kept). Answers the widget, owned by its container.
TGPBaseInterface* CreateWidget(std::string_view className, TObject* owner, int32_t id);
template <class W> W* CreateWidget(TObject* owner, int32_t id) {
    return &CreateWidget(W::StaticClassInfo().Name(), owner, id)->template As<W>();
}

}  // namespace engine
