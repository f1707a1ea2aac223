#include "tests/demo/DemoSession.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/PanelWidgets.h"
#include "app/multinst.h"
#include "engine/gpData.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "media/GPTimer.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"
#include "rtl/Exceptions.h"
#include "tests/demo/DemoFixture.h"

namespace demotest {

namespace pc = platform::clock;
namespace pw = platform::window;

int32_t FieldValue(engine::TGPField* field) {
    return field ? engine::ValueToInteger(engine::GetFieldValue(field)) : -1;
}

DemoSession::DemoSession() {
    std::filesystem::copy(DemoData::Get().home, dir.File("game"), std::filesystem::copy_options::recursive);
    env.Set("SPRALLION_REGISTRY", dir.File("registry"));
    env.Set("SPRALLION_RUNTIME_DIR", dir.File("run"));
    env.Set("SPRALLION_SHELL", "record:" + dir.File("shell"));
    engine::SetProgramFolder(dir.File("game"));
    pw::ClearTerminateRequest();
    pw::App().SetActive(true);
    pc::Install(&clock);
    form = std::make_unique<app::TDlg_Sprallion>();
    form->VersionInfo.CompanyName = "Quorvex";
    form->VersionInfo.ProductName = "Sprallion";
    form->InputSource = &input;
    form->AfterTick = [this] {
        ++ticks;
        if (afterTick) afterTick();
    };
}

DemoSession::~DemoSession() {
    if (form) form->FormDestroy(form.get());
    form.reset();
    app::multinst::ReleaseForTests();
    // The window's focus loss settles now, not in the next session's first pump, where it
    // would make the application (and so the next game's timer) inactive.
    pw::MainPump().PumpPending();
    pw::App().SetExceptionHandler({});
    pc::Install(nullptr);
    pw::ClearTerminateRequest();
}

bool DemoSession::Start() {
    form->FormCreate(form.get());
    if (pw::TerminateRequested()) {
        ADD_FAILURE() << "the game did not start: " << Log();
        return false;
    }
    form->Show();
    if (!form->Kernel) {
        ADD_FAILURE() << "no kernel: " << Log();
        return false;
    }
    pw::App().SetExceptionHandler([this](std::exception_ptr error) {
        std::string text = "unknown exception";
        try {
            std::rethrow_exception(error);
        } catch (const rtl::Exception& e) {
            text = std::string(e.className()) + ": " + e.message();
        } catch (const std::exception& e) {
            text = e.what();
        } catch (...) {
        }
        failures.push_back(where + ": " + text);
        if (form) form->OnApplicationException(nullptr, error);
    });
    for (int i = 0; i < 2000 && !PanelShown("MainPanel"); ++i)
        if (!Tick()) return false;
    if (!PanelShown("MainPanel")) {
        ADD_FAILURE() << "no main menu: " << Shown();
        return false;
    }
    return true;
}

bool DemoSession::Tick() {
    media::TGPTimer& timer = *form->Kernel->Timer;
    const int before = ticks;
    for (int tries = 0; ticks == before; ++tries) {
        if (tries >= 200) {
            ADD_FAILURE() << where << ": the timer hands over no tick";
            return false;
        }
        pw::MainPump().PumpPending();
        if (pw::MainDispatcher().Pending() == 0 && clock.WaitForSleepers(1, 200)) {
            const int32_t ahead = pc::Elapsed(clock.Now(), timer.NextTime());
            clock.Advance(static_cast<uint32_t>(ahead > 0 ? ahead : 1));
        }
        pw::MainDispatcher().PumpOne(200);
    }
    return true;
}

bool DemoSession::PressEnter() {
    input.SetKey(platform::input::vk::Return, true);
    if (!Tick()) return false;
    input.SetKey(platform::input::vk::Return, false);
    return Tick();
}

bool DemoSession::PanelShown(const std::string& name) const {
    engine::TGPStructure* panel = form->Kernel ? form->Kernel->FindChild(name) : nullptr;
    return panel && panel->Visible;
}

std::string DemoSession::Shown() const {
    std::string names;
    for (int i = 0; i < form->Kernel->ChildCount(); ++i)
        if (engine::TGPStructure* c = form->Kernel->GetChild(i); c->Visible) names += c->Name + " ";
    return "shown: " + names + "; condition " + std::to_string(form->Kernel->Condition);
}

// The new-game panel lists the sets; the one of the file is chosen as a click on its row.
bool DemoSession::ChooseSet(const std::string& file) {
    form->On_Link_NewGame_Show(nullptr);
    auto* grid = app::panels::Find<engine::TGPCustomGrid>(app::panels::FindForm(form->Kernel.get(), "NewGames"),
                                                          "CG_ListSubject");
    if (!grid || !form->SubjectList) return false;
    for (int32_t row = 0; row < static_cast<int32_t>(form->SubjectList->size()); ++row) {
        grid->HoverCol = 0;
        grid->HoverRow = row;
        form->On_Link_OnClick_Tema(grid);
        if (form->PlayerRecord.SubjectFile == file) return true;
    }
    return false;
}

bool DemoSession::StartLevel(const std::string& file, int32_t index, int32_t lives) {
    if (!ChooseSet(file)) {
        ADD_FAILURE() << "the new-game list has no " << file;
        return false;
    }
    form->StartLevelParam = index;
    form->On_Link_OnClick_StartNewGame(nullptr);
    if (!form->GameRunning || FieldValue(form->Kernel->KernelRecord.Level) != index) {
        ADD_FAILURE() << where << ": the level did not start: " << Log();
        return false;
    }
    engine::SetFieldValue(form->Kernel->KernelRecord.Life, lives);
    return true;
}

bool DemoSession::EndGame() {
    form->EndGame(nullptr);
    for (int i = 0; i < 200 && !PanelShown("MainPanel"); ++i)
        if (!Tick()) return false;
    if (!PanelShown("MainPanel")) {
        ADD_FAILURE() << where << ": no main menu after the game: " << Shown();
        return false;
    }
    return true;
}

}  // namespace demotest
