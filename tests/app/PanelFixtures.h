// The main form with a kernel, its devices and the panels the shell's handlers work on,
// built from widgets as the interface description would make them.
#pragma once

#include <string>

#include "engine/gpInterface.h"
#include "engine/gpMouse.h"
#include "tests/app/AppFixtures.h"

namespace apptest {

class PanelTest : public AppTest {
protected:
    PanelTest() {
        GiveDevices(*form_);
        form_->Kernel->SoundState->WaveAvailable = true;
        form_->Input->Keyboard().KeyAssigns = form_->KeyAssigns;  // as the configuration hands it over
        auto mouse = std::make_unique<engine::TGPMouse>();
        mouse_ = mouse.get();
        mouse_->Create(form_->Kernel.get(), 0);
        form_->Kernel->SetMouse(std::move(mouse));
    }

    engine::TGPForm* Form(const std::string& name) {
        auto* form = engine::CreateWidget<engine::TGPForm>(form_->Kernel.get(), 200);
        form->SetName(name);
        return form;
    }
    template <class W> W* Child(engine::TGPForm* form, const std::string& name) {
        W* w = engine::CreateWidget<W>(form, 200);
        w->SetName(name);
        w->ParentForm = form;
        return w;
    }
    // Forms and widgets are found by name; the kernel's commands are not run.
    engine::TGPMouse* mouse_ = nullptr;
};

}  // namespace apptest
