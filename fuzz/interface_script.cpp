// The heads-up description lines of a level set ("Strings"/"Script_Interface"): any text
// builds widgets or reports its mistakes; a comment is never taken, every line of a built
// owner is, and no icon holds more than 256 pictures.
#include <memory>
#include <string>

#include "app/fmPallidor.h"
#include "engine/gpInterfaceHud.h"
#include "engine/gpKernel.h"
#include "platform/window/Application.h"

namespace {

constexpr int32_t kOwners[] = {-1, 0, 1, 2, 3, 7};

struct Game {
    Game() {
        platform::window::App().SetExceptionHandler([](std::exception_ptr) {});
        form.LoggingEnabled = false;
        form.Kernel = std::make_unique<engine::TGPKernel>(nullptr, nullptr, nullptr);
    }
    app::TDlg_Sprallion form;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Kept for the whole run and never destroyed: the engine's pools, made on first use after
    // it, would be gone before it at exit.
    static Game& game = *new Game;
    app::TDlg_Sprallion& form = game.form;
    engine::TGPKernel& kernel = *form.Kernel;
    form.InterfaceDescriptions.SetText(std::string(reinterpret_cast<const char*>(data), size));
    const int lines = form.InterfaceDescriptions.Count();
    for (int32_t owner : kOwners) {
        engine::TGPPanel* panel = engine::CreateHudWidget<engine::TGPPanel>(kernel, &kernel, owner);
        if (lines > 0) form.BuildPanelWidgets(*panel);
        std::string line;
        if (form.TakeDescriptionForOwner(owner, line)) __builtin_trap();
    }
    if (form.InterfaceDescriptions.Count() > lines) __builtin_trap();
    for (const auto& widget : kernel.Panels)
        if (const auto* icon = dynamic_cast<const engine::TGPIcon*>(widget.get()); icon && icon->Pictures.size() > 256)
            __builtin_trap();
    // As the kernel's Clear: the references, the widgets, then the variables.
    engine::ResetKernelRecord(kernel.KernelRecord);
    kernel.FreePanels();
    kernel.Data->Clear();
    return 0;
}
