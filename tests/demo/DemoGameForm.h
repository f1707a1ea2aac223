// The main form played in this process as the program plays it: started headless over a copy
// of the demo data, its ticks handed over by the game's own timer thread on a virtual clock,
// levels started from the new-game panel, messages closed with Enter as a player closes them.
// Failures that reach the application's exception handler are kept with where they happened.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/PanelWidgets.h"
#include "app/fmPallidor.h"
#include "app/multinst.h"
#include "engine/gpData.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "media/GPTimer.h"
#include "platform/clock/VirtualClock.h"
#include "platform/input/ScriptedInput.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"
#include "rtl/Exceptions.h"
#include "tests/TempDir.h"
#include "tests/demo/DemoFixture.h"
#include "tests/platform/ProcessHelpers.h"

namespace demotest {

inline int32_t FieldValue(engine::TGPField* field) {
    return field ? engine::ValueToInteger(engine::GetFieldValue(field)) : -1;
}

class DemoGameForm : public ::testing::Test {
protected:
    DemoGameForm() {
        std::filesystem::copy(DemoData::Get().home, Home(), std::filesystem::copy_options::recursive);
        env_.Set("SPRALLION_REGISTRY", dir_.File("registry"));
        env_.Set("SPRALLION_RUNTIME_DIR", dir_.File("run"));
        env_.Set("SPRALLION_SHELL", "record:" + dir_.File("shell"));
        engine::SetProgramFolder(Home());
        platform::window::ClearTerminateRequest();
        // What an earlier form left in the queue (its window's last messages) goes first.
        platform::window::MainPump().PumpPending();
        platform::window::App().SetActive(true);
        platform::clock::Install(&clock_);
        form_ = std::make_unique<app::TDlg_Sprallion>();
        form_->VersionInfo.CompanyName = "Quorvex";
        form_->VersionInfo.ProductName = "Sprallion";
        form_->InputSource = &input_;
        form_->AfterTick = [this] { ++ticks_; };
    }
    ~DemoGameForm() override {
        if (form_) form_->FormDestroy(form_.get());
        form_.reset();
        app::multinst::ReleaseForTests();
        platform::window::MainDispatcher().PumpAll();
        platform::clock::Install(nullptr);
        platform::window::ClearTerminateRequest();
    }

    std::string Home() const { return dir_.File("game"); }

    // FormCreate and the first show, as the program runs them, until the main menu shows.
    void Start() {
        form_->FormCreate(form_.get());
        ASSERT_FALSE(platform::window::TerminateRequested()) << dir_.Read("game/Exception.Log");
        form_->Show();
        ASSERT_TRUE(form_->Kernel) << dir_.Read("game/Exception.Log");
        platform::window::App().SetExceptionHandler([this](std::exception_ptr error) {
            std::string text = "unknown exception";
            try {
                std::rethrow_exception(error);
            } catch (const rtl::Exception& e) {
                text = std::string(e.className()) + ": " + e.message();
            } catch (const std::exception& e) {
                text = e.what();
            } catch (...) {
            }
            failures_.push_back(where_ + " tick " + std::to_string(levelTicks_) + ": " + text);
            if (form_) form_->OnApplicationException(nullptr, error);
        });
        // The logos give way to the main menu by themselves.
        for (int i = 0; i < 2000 && !PanelShown("MainPanel"); ++i) ASSERT_NO_FATAL_FAILURE(Tick());
        ASSERT_TRUE(PanelShown("MainPanel"));
    }

    bool PanelShown(const std::string& name) const {
        engine::TGPStructure* panel = form_->Kernel ? form_->Kernel->FindChild(name) : nullptr;
        return panel && panel->Visible;
    }

    std::string Shown() const {
        std::string names;
        for (int i = 0; i < form_->Kernel->ChildCount(); ++i)
            if (engine::TGPStructure* c = form_->Kernel->GetChild(i); c->Visible) names += c->Name + " ";
        return "shown: " + names + "; condition " + std::to_string(form_->Kernel->Condition);
    }

    // One tick as the program runs it: the timer's worker waits on the clock, the clock moves
    // to its next point, the worker hands the tick to this (the main) thread.
    void Tick() {
        media::TGPTimer& timer = *form_->Kernel->Timer;
        const int before = ticks_;
        for (int tries = 0; ticks_ == before; ++tries) {
            ASSERT_LT(tries, 200) << where_ << ": the timer hands over no tick";
            platform::window::MainPump().PumpPending();
            if (platform::window::MainDispatcher().Pending() == 0 && clock_.WaitForSleepers(1, 200)) {
                const int32_t ahead = platform::clock::Elapsed(clock_.Now(), timer.NextTime());
                clock_.Advance(static_cast<uint32_t>(ahead > 0 ? ahead : 1));
            }
            platform::window::MainDispatcher().PumpOne(200);
        }
        ++levelTicks_;
    }

    // Enter for one tick and off for the next, as a player closes a message.
    void PressEnter() {
        input_.SetKey(platform::input::vk::Return, true);
        Tick();
        input_.SetKey(platform::input::vk::Return, false);
        Tick();
    }

    // A tick of play: a message that shows is closed first.
    void Play() {
        if (PanelShown("MessageBox"))
            PressEnter();
        else
            Tick();
    }

    // The new-game panel lists the sets; the one of the file is chosen as a click on its row.
    bool ChooseSet(const std::string& file) {
        form_->On_Link_NewGame_Show(nullptr);
        auto* grid = app::panels::Find<engine::TGPCustomGrid>(app::panels::FindForm(form_->Kernel.get(), "NewGames"),
                                                              "CG_ListSubject");
        if (!grid || !form_->SubjectList) return false;
        for (int32_t row = 0; row < static_cast<int32_t>(form_->SubjectList->size()); ++row) {
            grid->HoverCol = 0;
            grid->HoverRow = row;
            form_->On_Link_OnClick_Tema(grid);
            if (form_->PlayerRecord.SubjectFile == file) return true;
        }
        return false;
    }

    // A new game of the set's level `index`, as the new-game panel starts it.
    void NewGame(const std::string& file, int32_t index) {
        where_ = file + " level " + std::to_string(index + 1);
        levelTicks_ = 0;
        ASSERT_TRUE(ChooseSet(file)) << "the new-game list has no " << file;
        form_->StartLevelParam = index;
        form_->On_Link_OnClick_StartNewGame(nullptr);
        ASSERT_TRUE(form_->GameRunning) << dir_.Read("game/Exception.Log");
        ASSERT_EQ(FieldValue(form_->Kernel->KernelRecord.Level), index);
    }

    // Back to the main menu, the game ended as its last life ends it.
    void EndGame() {
        form_->EndGame(nullptr);
        for (int i = 0; i < 200 && !PanelShown("MainPanel"); ++i) ASSERT_NO_FATAL_FAILURE(Tick());
        ASSERT_TRUE(PanelShown("MainPanel")) << Shown();
    }

    TempDir dir_;
    testproc::ScopedEnv env_;
    platform::clock::VirtualClock clock_{1000};
    platform::input::ScriptedInput input_;
    std::unique_ptr<app::TDlg_Sprallion> form_;
    int ticks_ = 0, levelTicks_ = 0;
    std::string where_ = "start";
    std::vector<std::string> failures_;
};

}  // namespace demotest
