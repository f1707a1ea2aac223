#include "tests/demo/HeadlessGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/PanelWidgets.h"
#include "app/multinst.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "media/GPTimer.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Application.h"
#include "platform/window/BmpFile.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"
#include "tests/demo/DemoFixture.h"

namespace demotest {

namespace pc = platform::clock;
namespace pw = platform::window;

HeadlessGame::HeadlessGame() {
    std::filesystem::copy(DemoData::Get().home, dir_.File("game"), std::filesystem::copy_options::recursive);
    env_.Set("SPRALLION_REGISTRY", dir_.File("registry"));
    env_.Set("SPRALLION_RUNTIME_DIR", dir_.File("run"));
    env_.Set("SPRALLION_SHELL", "record:" + dir_.File("shell"));
    engine::SetProgramFolder(dir_.File("game"));
    pw::ClearTerminateRequest();
    // What an earlier form left in the queue (its window's last messages) goes first.
    pw::MainPump().PumpPending();
    pw::App().SetActive(true);
    pc::Install(&clock_);
    form_ = std::make_unique<app::TDlg_Sprallion>();
    form_->VersionInfo.CompanyName = "Quorvex";
    form_->VersionInfo.ProductName = "Sprallion";
    form_->InputSource = &input_;
    form_->AfterTick = [this] { ++ticks_; };
}

HeadlessGame::~HeadlessGame() {
    if (form_) form_->FormDestroy(form_.get());
    form_.reset();
    app::multinst::ReleaseForTests();
    // What the window's end left queued (its focus lost) is heard now, not by the next game.
    pw::MainPump().PumpPending();
    pw::MainDispatcher().PumpAll();
    pc::Install(nullptr);
    pw::ClearTerminateRequest();
}

void HeadlessGame::Start() {
    form_->FormCreate(form_.get());
    ASSERT_FALSE(pw::TerminateRequested()) << Log();
    form_->Show();
    ASSERT_TRUE(form_->Kernel) << Log();
    pw::App().SetExceptionHandler([this](std::exception_ptr error) {
        const auto [className, message] = app::DescribeException(error);
        failures.push_back(where + " tick " + std::to_string(levelTicks) + ": " + className + ": " + message);
        if (form_) form_->OnApplicationException(nullptr, error);
    });
}

void HeadlessGame::Tick() {
    media::TGPTimer& timer = *form_->Kernel->Timer;
    const int before = ticks_;
    for (int tries = 0; ticks_ == before; ++tries) {
        ASSERT_LT(tries, 200) << where << ": the timer hands over no tick\n"
                            << "enabled " << timer.Enabled() << " active " << timer.Active() << " sleepers "
                            << clock_.Sleepers() << " app " << pw::App().Active() << " main "
                            << pw::App().MainFormActive() << " pending " << pw::MainDispatcher().Pending() << "\n"
                            << Log();
        pw::MainPump().PumpPending();
        if (pw::MainDispatcher().Pending() == 0 && clock_.WaitForSleepers(1, 200)) {
            const int32_t ahead = pc::Elapsed(clock_.Now(), timer.NextTime());
            clock_.Advance(static_cast<uint32_t>(ahead > 0 ? ahead : 1));
        }
        pw::MainDispatcher().PumpOne(200);
    }
    ++levelTicks;
}

bool HeadlessGame::TickUntilShown(const std::string& panel, int limit) {
    for (int i = 0; i < limit && !PanelShown(panel); ++i) {
        Tick();
        if (::testing::Test::HasFatalFailure()) return false;
    }
    return PanelShown(panel);
}

void HeadlessGame::PressEnter() {
    input_.SetKey(platform::input::vk::Return, true);
    Tick();
    input_.SetKey(platform::input::vk::Return, false);
    Tick();
}

void HeadlessGame::Play() {
    if (PanelShown("MessageBox"))
        PressEnter();
    else
        Tick();
}

bool HeadlessGame::ChooseSet(const std::string& file) {
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

void HeadlessGame::NewGame(const std::string& file, int32_t index, int32_t lives) {
    where = file + " level " + std::to_string(index + 1);
    levelTicks = 0;
    ASSERT_TRUE(ChooseSet(file)) << "the new-game list has no " << file;
    form_->StartLevelParam = index;
    form_->On_Link_OnClick_StartNewGame(nullptr);
    ASSERT_TRUE(form_->GameRunning) << Log();
    ASSERT_EQ(FieldValue(form_->Kernel->KernelRecord.Level), index);
    if (lives >= 0) engine::SetFieldValue(form_->Kernel->KernelRecord.Life, lives);
}

void HeadlessGame::EndGame() {
    form_->EndGame(nullptr);
    ASSERT_TRUE(TickUntilShown("MainPanel")) << Shown();
}

bool HeadlessGame::PanelShown(const std::string& name) const {
    engine::TGPStructure* panel = form_->Kernel ? form_->Kernel->FindChild(name) : nullptr;
    return panel && panel->Visible;
}

std::string HeadlessGame::Shown() const {
    std::string names;
    for (int i = 0; i < form_->Kernel->ChildCount(); ++i)
        if (engine::TGPStructure* c = form_->Kernel->GetChild(i); c->Visible) names += c->Name + " ";
    return "shown: " + names + "; condition " + std::to_string(form_->Kernel->Condition);
}

platform::display::Frame HeadlessGame::Frame() const {
    return form_->Presenter ? form_->Presenter->ReadFrame() : platform::display::Frame{};
}

void WriteFrameBmp(const platform::display::Frame& f, const std::string& path) {
    const std::vector<uint8_t> bytes = pw::EncodeBmp24(f.Width, f.Height, [&](int32_t x, int32_t y) {
        const uint32_t c = PixelAt(f, x, y);
        const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
        return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    });
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

}  // namespace demotest
