// The main form's start-up and shut-down: the order of the steps and their log lines, the
// conditions that stop the start, and a shut-down that finishes whatever fails in it.
#include <spawn.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "platform/display/Display.h"
#include "platform/sysinfo/SysInfo.h"
#include "platform/window/EventPump.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Terminate.h"
#include "tests/app/FakeInternetGame.h"
#include "tests/app/StartupFixture.h"

extern char** environ;

namespace {

namespace pw = platform::window;
using apptest::StartupTest;

bool Contains(const std::vector<std::string>& all, const std::string& item) {
    return std::find(all.begin(), all.end(), item) != all.end();
}

// The tags in `expected` appear in `tags` in this order (others may lie between).
::testing::AssertionResult InOrder(const std::vector<std::string>& tags, const std::vector<std::string>& expected) {
    size_t at = 0;
    for (const std::string& want : expected) {
        while (at < tags.size() && tags[at] != want) ++at;
        if (at == tags.size()) return ::testing::AssertionFailure() << "\"" << want << "\" missing or out of order";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(StartupTest, AFullStartLogsItsStepsInOrderAndLeavesARunningKernel) {
    WriteGame();
    Start();
    ASSERT_TRUE(form_->Started());
    ASSERT_TRUE(form_->Kernel);
    EXPECT_TRUE(InOrder(LogTags(), {"----------------- BEGIN SESSION: ", "FormCreate", "SystemTestInfo: ", "CreateSaveRes: ",
                                    "TGPResource.Create: ", "RegisterHotKey: ", "CreateGameKernel"}));
    EXPECT_EQ(LogTags().back(), "CreateGameKernel");

    engine::TGPKernel& kernel = *form_->Kernel;
    EXPECT_EQ(kernel.InterfaceResource, form_->Resource.get());
    EXPECT_EQ(kernel.DXDraw->Component(), form_->DXDrawGP.get());
    EXPECT_EQ(kernel.Condition, engine::ck_MainInterface);
    EXPECT_TRUE(kernel.Timer->Enabled());
    EXPECT_EQ(kernel.Timer->Interval(), 22);
    ASSERT_TRUE(kernel.Map);
    ASSERT_TRUE(kernel.Mouse);
    EXPECT_TRUE(kernel.Mouse->Hidden());
    EXPECT_EQ(engine::ValueToInteger(engine::GetFieldValue(kernel.KernelRecord.Difficulty)), 1);
    ASSERT_TRUE(form_->Sound);
    EXPECT_EQ(form_->Sound, kernel.DirectSound->Sound());
    // Every published event of the kernel that the game handles is bound to the form.
    for (const char* event : {"OnGPCreateGames", "OnDestroyGames", "OnGPNextLevel", "OnGPLastLevel", "OnGPNewLife",
                              "OnGPEndLife", "OnGPSortNation", "OnGPMove", "OnDestroy", "OnCheckVelocity",
                              "OnConditionEvent", "OnDXKeyDown"})
        EXPECT_TRUE(rtl::IsEventAssigned(kernel, *kernel.ClassInfo().FindProperty(event))) << event;

    // A later show makes no second kernel.
    engine::TGPKernel* first = form_->Kernel.get();
    form_->FormShow(form_.get());
    EXPECT_EQ(form_->Kernel.get(), first);

    form_->FormDestroy(form_.get());
    EXPECT_FALSE(form_->Kernel);
    EXPECT_EQ(LogTags().back(), "----------------- END SESSION: ");
    auto options = Options();
    EXPECT_EQ(options.ReadString("Bif"), "Demo2.bif");
    EXPECT_EQ(options.ReadString(""), engine::RealPath(form_->ProgramDir));  // the key's default value
    EXPECT_EQ(options.ReadString("").find('\\'), std::string::npos);
    EXPECT_FALSE(options.ValueExists("ProjectDir"));
    EXPECT_FALSE(pw::TerminateRequested());
}

TEST_F(StartupTest, TheKernelTicksOnTheMainThreadWithTheHookAfterEachTick) {
    WriteGame();
    int ticks = 0;
    form_->AfterTick = [&] { ++ticks; };
    Start();
    ASSERT_TRUE(form_->Kernel);
    EXPECT_TRUE(testproc::WaitFor([&] {
        pw::MainDispatcher().PumpAll();
        return ticks >= 3;
    }));
    form_->FormDestroy(form_.get());
}

TEST_F(StartupTest, WithoutTheGameDataTheStartEndsWithErrorZeroAndBifIsWrittenEmpty) {
    Options().WriteString("Bif", "Old.bif");
    Start();
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_FALSE(form_->Resource);
    EXPECT_FALSE(form_->Kernel);
    const auto boxes = pw::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find("Demo2.bif"), std::string::npos);
    EXPECT_EQ(boxes[0].Text.find('/'), std::string::npos);  // the name alone, no folder

    form_->FormDestroy(form_.get());
    EXPECT_EQ(Options().ReadString("Bif"), "");
    EXPECT_EQ(LogTags().back(), "----------------- END SESSION: ");
}

TEST_F(StartupTest, AnUnreadableContainerIsErrorZeroAsWell) {
    std::filesystem::create_directories(Home() + "/Resource");
    dir_.Write("game/Resource/Demo2.bif", "this is no container of the game");
    Start();
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_FALSE(form_->Resource);
    ASSERT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(pw::RecordedMessageBoxes()[0].Text.find("Demo2.bif"), std::string::npos);
    form_->FormDestroy(form_.get());
    EXPECT_EQ(Options().ReadString("Bif"), "");
}

TEST_F(StartupTest, AScreenBelow800x600StopsWithErrorTenBeforeAnyDisplayObject) {
    WriteGame();
    auto& source = platform::sysinfo::Current();
    const auto screen = source.Screen;
    source.Screen = [](platform::sysinfo::ScreenSize& s) {
        s = {640, 480};
        return true;
    };
    Start();
    source.Screen = screen;
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_FALSE(form_->Presenter);
    EXPECT_FALSE(form_->DXDrawGP);
    EXPECT_FALSE(form_->Input);
    EXPECT_FALSE(form_->Kernel);
    ASSERT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(pw::RecordedMessageBoxes()[0].Text.find("800 x 600"), std::string::npos);
    form_->FormDestroy(form_.get());
    EXPECT_EQ(LogTags().back(), "----------------- END SESSION: ");
}

TEST_F(StartupTest, WithoutGPInterfaceTheKernelIsErrorTwo) {
    auto sections = datagen::MinimalGameSections();
    std::erase_if(sections, [](const datagen::ContainerSection& s) { return s.name == "Forms"; });
    std::filesystem::create_directories(Home() + "/Resource");
    datagen::WriteContainer(Home() + "/Resource/Demo2.bif", sections);
    Start();
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_FALSE(Contains(LogTags(), "CreateGameKernel") && LogTags().back() == "CreateGameKernel");
    ASSERT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(pw::RecordedMessageBoxes()[0].Text.find("BIF"), std::string::npos);
    form_->FormDestroy(form_.get());
}

TEST_F(StartupTest, AFailingSaveOfTheConfigurationStillFreesTheKernelAndEndsTheSession) {
    WriteGame();
    Start();
    ASSERT_TRUE(form_->Kernel && form_->MusicPlayer());
    form_->MusicPlayer()->SetVolume(1234);  // something to write
    form_->SaveConfigStepHook = [](std::string_view) { throw rtl::EWriteError("disk full"); };
    form_->FormDestroy(form_.get());
    EXPECT_FALSE(form_->Kernel);
    const auto tags = LogTags();
    EXPECT_TRUE(InOrder(tags, {"SaveConfig", "----------------- END SESSION: "}));
    EXPECT_NE(Log().find("EWriteError:disk full"), std::string::npos);
    EXPECT_EQ(Options().ReadString("Bif"), "Demo2.bif");  // the later steps ran
}

TEST_F(StartupTest, ATuneThatCannotBePlayedIsLoggedAndTheGameGoesOn) {
    WriteGame();
    Start();
    media::TGPMidi* music = form_->MusicPlayer();
    ASSERT_TRUE(form_->Kernel && music);
    music->SetEnabled(true);
    for (const char* tune : {"Broken.mid", "Missing.mid"}) {
        dir_.Write("Broken.mid", "MThd");
        ASSERT_TRUE(music->PlayTune(dir_.File(tune), true, 0));
        music->Update();
        EXPECT_NE(Log().find("Class TGPMidi.Open with message '" + dir_.File(tune) + ": "), std::string::npos) << tune;
        EXPECT_FALSE(music->IsOpen());
    }
    form_->FormDestroy(form_.get());
}

TEST_F(StartupTest, EachShutDownStepIsGuardedOnItsOwn) {
    WriteGame();
    Start();
    ASSERT_TRUE(form_->Kernel);
    apptest::FakeInternetGame internet;
    internet.finalizeThrows = true;
    internet.InstallIn(form_->InternetGame);
    form_->FormDestroy(form_.get());
    EXPECT_EQ(internet.finalizeCalls, 1);
    EXPECT_EQ(internet.refs, 1);  // the game's reference is released all the same
    EXPECT_FALSE(form_->Kernel);
    EXPECT_TRUE(InOrder(LogTags(), {"Finalize", "----------------- END SESSION: "}));
    EXPECT_EQ(Options().ReadString("Bif"), "Demo2.bif");
}

TEST_F(StartupTest, OptionsAreWrittenBackOnlyWhenThisRunReadThem) {
    // A form whose start never reached the options: its shut-down leaves them alone.
    Options().WriteString("Language", "407");
    Options().WriteString("Bif", "Mine.bif");
    form_->FormDestroy(form_.get());
    EXPECT_EQ(Options().ReadString("Language"), "407");
    EXPECT_EQ(Options().ReadString("Bif"), "Mine.bif");
    EXPECT_EQ(LogTags(), std::vector<std::string>{"----------------- END SESSION: "});
}

TEST_F(StartupTest, TheHotKeyReachesTheFormAsItsMessageAndLeavesWithIt) {
    WriteGame();
    Start();
    ASSERT_TRUE(form_->Started());
    platform::display::Message seen;
    auto old = form_->WindowProcedure;
    form_->WindowProcedure = [&](platform::display::Message& m) {
        if (m.Msg == platform::display::WM_HOTKEY || m.Msg == platform::display::WM_KEYDOWN) seen = m;
        old(m);
    };
    pw::WindowEvent f10;
    f10.Type = pw::EventType::KeyDown;
    f10.Key = 121;
    pw::MainPump().Post(f10);
    pw::MainPump().PumpPending();
    EXPECT_EQ(seen.Msg, platform::display::WM_HOTKEY);
    EXPECT_EQ(seen.WParam, 101u);
    form_->WindowProcedure = old;
    form_->FormDestroy(form_.get());
    // Gone with the shut-down: F10 is a key again.
    EXPECT_TRUE(pw::MainPump().RegisterHotKey(0, 7, 0, 121));
    EXPECT_TRUE(pw::MainPump().UnregisterHotKey(0, 7));
}

// ---- A second copy of the game ----

constexpr int kSecondStopped = 21, kSecondRan = 22;

// The second copy (run only by StartSecondCopy): the whole start and shut-down.
TEST(SecondCopy, DISABLED_StartAndEnd) {
    engine::SetProgramFolder(std::getenv("SPRALLION_HOME"));
    auto form = std::make_unique<app::TDlg_Sprallion>();
    form->FormCreate(form.get());
    if (!pw::TerminateRequested()) form->Show();
    const bool stopped = !form->Started() && !form->Kernel && !form->Presenter && !form->TrayIcon;
    form->FormDestroy(form.get());
    ::_exit(stopped ? kSecondStopped : kSecondRan);
}

TEST_F(StartupTest, ASecondCopyMakesNoKernelRestoresTheFirstAndLeavesTheOptionsAlone) {
    WriteGame();
    auto* presenter = new platform::display::HeadlessPresenter();
    form_->Presenter.reset(presenter);
    form_->State = platform::display::WindowState::Minimized;
    ASSERT_TRUE(form_->CheckInstance());
    Options().WriteString("Language", "407");
    Options().WriteInteger("CheckInternet", 1);
    const std::string registryBefore = dir_.Read("registry");

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("SPRALLION_HOME=" + Home());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=SecondCopy.DISABLED_StartAndEnd";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {program.data(), filter.data(), disabled.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);

    EXPECT_TRUE(testproc::WaitFor([&] {
        pw::MainDispatcher().PumpAll();
        return presenter->RaiseCount() > 0;
    }, std::chrono::seconds(20)));
    EXPECT_EQ(presenter->RestoreCount(), 1);
    EXPECT_EQ(testproc::WaitExit(pid, std::chrono::seconds(20)), kSecondStopped);
    EXPECT_EQ(dir_.Read("registry"), registryBefore);
    // Nothing beyond the session's two lines.
    EXPECT_EQ(LogTags(), (std::vector<std::string>{"----------------- BEGIN SESSION: ", "----------------- END SESSION: "}));
}

}  // namespace
