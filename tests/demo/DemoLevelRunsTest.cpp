// Every level of every level set of the demo data, played by the game's own flow: the main
// form started headless over a copy of the data, each level started from the new-game panel
// (the set chosen in its list, the level by the start-level parameter), the ticks handed over
// by the game's timer on a virtual clock. Without input a level must run its ticks with no
// exception, keep scoring and present a frame that is more than one colour.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
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
#include "platform/display/Display.h"
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

namespace {

namespace pc = platform::clock;
namespace pw = platform::window;

// The sanitizers slow a tick down tenfold: there the runs are shorter, yet long enough for the
// ball to leave the paddle (after 520 ticks at the lowest difficulty) and hit something.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kTicksPerLevel = 1000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr int kTicksPerLevel = 1000;
#else
constexpr int kTicksPerLevel = 2000;
#endif
#else
constexpr int kTicksPerLevel = 2000;
#endif

// Lives enough that no level ends for want of them before its run is over.
constexpr int32_t kLives = 99;

int32_t FieldValue(engine::TGPField* field) {
    return field ? engine::ValueToInteger(engine::GetFieldValue(field)) : -1;
}

class DemoLevelRuns : public ::testing::Test {
protected:
    DemoLevelRuns() {
        std::filesystem::copy(demotest::DemoData::Get().home, dir_.File("game"), std::filesystem::copy_options::recursive);
        env_.Set("SPRALLION_REGISTRY", dir_.File("registry"));
        env_.Set("SPRALLION_RUNTIME_DIR", dir_.File("run"));
        env_.Set("SPRALLION_SHELL", "record:" + dir_.File("shell"));
        engine::SetProgramFolder(dir_.File("game"));
        pw::ClearTerminateRequest();
        pw::App().SetActive(true);
        pc::Install(&clock_);
        form_ = std::make_unique<app::TDlg_Sprallion>();
        form_->VersionInfo.CompanyName = "Quorvex";
        form_->VersionInfo.ProductName = "Sprallion";
        form_->InputSource = &input_;
        form_->AfterTick = [this] { ++ticks_; };
    }
    ~DemoLevelRuns() override {
        if (form_) form_->FormDestroy(form_.get());
        form_.reset();
        app::multinst::ReleaseForTests();
        pw::MainDispatcher().PumpAll();
        pc::Install(nullptr);
        pw::ClearTerminateRequest();
    }

    // FormCreate and the first show, as the program runs them; failures that escape a
    // handler are kept with the place they happened, then logged as the game logs them.
    void Start() {
        form_->FormCreate(form_.get());
        ASSERT_FALSE(pw::TerminateRequested()) << dir_.Read("game/Exception.Log");
        form_->Show();
        ASSERT_TRUE(form_->Kernel) << dir_.Read("game/Exception.Log");
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
            failures_.push_back(where_ + " tick " + std::to_string(levelTicks_) + ": " + text);
            if (form_) form_->OnApplicationException(nullptr, error);
        });
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
            pw::MainPump().PumpPending();
            if (pw::MainDispatcher().Pending() == 0 && clock_.WaitForSleepers(1, 200)) {
                const int32_t ahead = pc::Elapsed(clock_.Now(), timer.NextTime());
                clock_.Advance(static_cast<uint32_t>(ahead > 0 ? ahead : 1));
            }
            pw::MainDispatcher().PumpOne(200);
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

    TempDir dir_;
    testproc::ScopedEnv env_;
    pc::VirtualClock clock_{1000};
    platform::input::ScriptedInput input_;
    std::unique_ptr<app::TDlg_Sprallion> form_;
    int ticks_ = 0, levelTicks_ = 0;
    std::string where_ = "start";
    std::vector<std::string> failures_;
};

struct Frame {
    int colours = 0, fieldColours = 0;
};

Frame ReadFrame(const platform::display::Presenter* presenter) {
    Frame f;
    if (!presenter) return f;
    const platform::display::Frame frame = presenter->ReadFrame();
    std::set<uint16_t> all, field;
    for (int32_t y = 0; y < frame.Height; ++y)
        for (int32_t x = 0; x < frame.Width; ++x) {
            const uint16_t c = frame.Pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.Width) + static_cast<size_t>(x)];
            all.insert(c);
            // The playing field: 576 x 512 from (34, 48).
            if (x >= 34 && x < 34 + 576 && y >= 48 && y < 48 + 512) field.insert(c);
        }
    f.colours = static_cast<int>(all.size());
    f.fieldColours = static_cast<int>(field.size());
    return f;
}

}  // namespace

TEST_F(DemoLevelRuns, EveryLevelOfEverySetPlaysItsTicksWithoutInputAndDrawsItsField) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // The logos give way to the main menu by themselves.
    for (int i = 0; i < 2000 && !PanelShown("MainPanel"); ++i) ASSERT_NO_FATAL_FAILURE(Tick());
    ASSERT_TRUE(PanelShown("MainPanel"));

    struct Run {
        std::string where;
        bool testSet = false;
        int32_t score = 0, level = -1, lives = 0, clearedAt = -1;
        Frame frame;
    };
    // The flow logs every failure it catches: nothing may be logged while the levels run.
    const size_t logBefore = dir_.Read("game/Exception.Log").size();
    std::vector<Run> runs;
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        const std::string file = set.set.file;
        for (int32_t index = 0; index < static_cast<int32_t>(set.set.set.levels.size()); ++index) {
            where_ = file + " level " + std::to_string(index + 1);
            SCOPED_TRACE(where_);
            levelTicks_ = 0;
            ASSERT_TRUE(ChooseSet(file)) << "the new-game list has no " << file;
            form_->StartLevelParam = index;
            form_->On_Link_OnClick_StartNewGame(nullptr);
            ASSERT_TRUE(form_->GameRunning) << dir_.Read("game/Exception.Log");
            engine::TKernelRecord& record = form_->Kernel->KernelRecord;
            ASSERT_EQ(FieldValue(record.Level), index);
            engine::SetFieldValue(record.Life, kLives);

            Run run;
            run.where = where_;
            run.testSet = file == "0Test.ig";
            while (levelTicks_ < kTicksPerLevel) {
                // The level's message (and any other) is closed as a player would.
                if (PanelShown("MessageBox"))
                    ASSERT_NO_FATAL_FAILURE(PressEnter());
                else
                    ASSERT_NO_FATAL_FAILURE(Tick());
                if (run.clearedAt < 0 && FieldValue(record.Level) != index) run.clearedAt = levelTicks_;
            }
            run.frame = ReadFrame(form_->Presenter.get());
            run.score = FieldValue(record.Count);
            run.level = FieldValue(record.Level);
            run.lives = FieldValue(record.Life) - kLives;
            runs.push_back(run);
            EXPECT_TRUE(form_->GameRunning) << "the game ended";
            form_->EndGame(nullptr);
            for (int i = 0; i < 200 && !PanelShown("MainPanel"); ++i) ASSERT_NO_FATAL_FAILURE(Tick());
            ASSERT_TRUE(PanelShown("MainPanel")) << Shown();
        }
    }

    EXPECT_TRUE(failures_.empty()) << ::testing::PrintToString(failures_);
    EXPECT_EQ(dir_.Read("game/Exception.Log").substr(logBefore), "");
    ASSERT_EQ(runs.size(), 11u) << "two sets of the demo and the test set";
    for (const Run& run : runs) {
        SCOPED_TRACE(run.where);
        EXPECT_GT(run.frame.colours, 1) << "a frame of one colour";
        EXPECT_GT(run.frame.fieldColours, 16) << "the field is hardly drawn";
        EXPECT_GT(run.score, 0) << "the level does not play: nothing was hit";
        // The test set's levels clear by themselves, after the hundred ticks a script needs.
        if (run.testSet) {
            EXPECT_GT(run.clearedAt, 100);
            EXPECT_LT(run.clearedAt, 1000);
        }
        std::cout << run.where << ": score " << run.score << ", cleared at tick " << run.clearedAt << ", now at level "
                  << run.level + 1 << ", lives " << std::showpos << run.lives << std::noshowpos << ", "
                  << run.frame.fieldColours << " colours in the field\n";
    }
}
