#include <spawn.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/multinst.h"
#include "platform/display/Display.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/RegisteredMessages.h"
#include "tests/app/AppFixtures.h"

extern char** environ;

namespace {

namespace pw = platform::window;
namespace display = platform::display;

constexpr int kFirstCopy = 10, kLaterCopy = 11, kWrongCopy = 12;

// A copy of the game as far as the single-instance step: this test program, started again
// with the one disabled case below. A first copy holds on for SPRALLION_TEST_HOLD_MS. With a
// gate folder, the copy says it is ready there and waits for "go" before the check, and a
// first copy holds on until "release" is there instead.
pid_t StartCopy(int holdMs = 0, const std::string& gate = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("SPRALLION_TEST_HOLD_MS=" + std::to_string(holdMs));
    env.push_back("SPRALLION_TEST_GATE=" + gate);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=InstanceCopy.DISABLED_StartUp";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {program.data(), filter.data(), disabled.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
    return pid;
}

class InstanceTest : public apptest::AppTest {
protected:
    ~InstanceTest() override {
        app::multinst::ReleaseForTests();
        pw::MainDispatcher().PumpAll();
    }
    // Pumps the main thread until done() or the limit.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return testproc::WaitFor([&] {
            pw::MainDispatcher().PumpAll();
            return done();
        }, limit);
    }
};

// The started copy (run only by StartCopy).
TEST(InstanceCopy, DISABLED_StartUp) {
    app::TDlg_Sprallion form;
    if (const char* gate = std::getenv("SPRALLION_TEST_GATE"); gate && *gate) {
        std::ofstream(std::string(gate) + "/ready-" + std::to_string(::getpid()));
        testproc::WaitFor([&] { return std::filesystem::exists(std::string(gate) + "/go"); }, std::chrono::seconds(30));
    }
    if (form.CheckInstance()) {
        if (const char* gate = std::getenv("SPRALLION_TEST_GATE"); gate && *gate)
            testproc::WaitFor([&] { return std::filesystem::exists(std::string(gate) + "/release"); },
                              std::chrono::seconds(60));
        else if (const char* hold = std::getenv("SPRALLION_TEST_HOLD_MS"))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(hold)));
        ::_exit(kFirstCopy);
    }
    ::_exit(pw::TerminateRequested() && !form.Presenter ? kLaterCopy : kWrongCopy);
}

TEST_F(InstanceTest, ALaterCopyRestoresTheFirstAndEndsWithoutAWindow) {
    // Each copy sees another session's runtime and temporary folders, or none: one lock.
    testproc::ScopedEnv env;
    env.Set("XDG_RUNTIME_DIR", dir_.File("xdg-first"));
    env.Set("TMPDIR", dir_.File("tmp-first"));
    auto* presenter = new display::HeadlessPresenter();
    form_->Presenter.reset(presenter);
    ASSERT_TRUE(form_->CheckInstance());
    env.Unset("XDG_RUNTIME_DIR");
    env.Set("TMPDIR", dir_.File("tmp-later"));
    EXPECT_TRUE(app::multinst::Hooked());
    EXPECT_EQ(app::multinst::Status(), 0u);
    form_->State = display::WindowState::Minimized;

    // A later copy gives up by itself, after about a second of repeating its message: well
    // within 10 s, however slowly a loaded machine or a sanitized build starts the process.
    constexpr auto kGivesUpWithin = std::chrono::seconds(10);
    const auto started = std::chrono::steady_clock::now();
    const pid_t copy = StartCopy();
    ASSERT_GT(copy, 0);
    EXPECT_EQ(testproc::WaitExit(copy, std::chrono::seconds(20)), kLaterCopy);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kGivesUpWithin);
    ASSERT_TRUE(PumpUntil([&] { return presenter->RaiseCount() > 0; }));
    EXPECT_EQ(form_->State, display::WindowState::Normal);
    EXPECT_EQ(presenter->RestoreCount(), 1);
    EXPECT_EQ(presenter->RaiseCount(), 1);

    // A normal window is only raised.
    env.Set("XDG_RUNTIME_DIR", dir_.File("xdg-later"));
    env.Unset("TMPDIR");
    const pid_t second = StartCopy();
    EXPECT_EQ(testproc::WaitExit(second, std::chrono::seconds(20)), kLaterCopy);
    ASSERT_TRUE(PumpUntil([&] { return presenter->RaiseCount() > 1; }));
    EXPECT_EQ(presenter->RestoreCount(), 1);

    // An open box above the game is what comes to the front: it keeps the input.
    constexpr uint32_t kBox = 0x7E000001;
    int boxRaised = 0;
    pw::MainPump().PushModal(kBox, {}, [&] { ++boxRaised; });
    const pid_t third = StartCopy();
    EXPECT_EQ(testproc::WaitExit(third, std::chrono::seconds(20)), kLaterCopy);
    EXPECT_TRUE(PumpUntil([&] { return boxRaised > 0; }));
    pw::MainPump().PopModal(kBox);
    EXPECT_EQ(boxRaised, 1);
    EXPECT_EQ(presenter->RaiseCount(), 2);
}

TEST_F(InstanceTest, AKilledFirstCopyDoesNotBlockTheNext) {
    const pid_t first = StartCopy(20000);
    ASSERT_GT(first, 0);
    const std::string socket = dir_.File("run/") + std::to_string(first) + ".sock";
    ASSERT_TRUE(testproc::WaitFor([&] { return std::filesystem::exists(socket); }, std::chrono::seconds(30)));
    ::kill(first, SIGKILL);
    EXPECT_EQ(testproc::WaitExit(first), -SIGKILL);
    EXPECT_TRUE(form_->CheckInstance());
}

TEST_F(InstanceTest, OfTwentySimultaneousStartsOneIsFirst) {
    const std::string gate = dir_.File("gate");
    std::filesystem::create_directory(gate);
    std::vector<pid_t> copies;
    for (int i = 0; i < 20; ++i) copies.push_back(StartCopy(0, gate));
    // All twenty wait at the gate before any of them looks for another copy.
    ASSERT_TRUE(testproc::WaitFor([&] {
        return std::distance(std::filesystem::directory_iterator(gate), std::filesystem::directory_iterator()) == 20;
    }, std::chrono::seconds(30)));
    std::ofstream(gate + "/go");
    // The first copy holds on until every other one has ended, however slowly they run.
    std::vector<int> codes;
    EXPECT_TRUE(testproc::CollectExits(copies, codes, [&] { return codes.size() >= 19; }));
    std::ofstream(gate + "/release");
    EXPECT_TRUE(testproc::CollectExits(copies, codes, [&] { return copies.empty(); }));
    const auto first = std::count(codes.begin(), codes.end(), kFirstCopy);
    const auto later = std::count(codes.begin(), codes.end(), kLaterCopy);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(later, 19);
}

TEST_F(InstanceTest, TheHookAnswersTerminateAndPassesEverythingElseOn) {
    const display::WindowProc original = display::ApplicationWindow().WindowProcedure;
    std::vector<uint32_t> passed;
    display::ApplicationWindow().WindowProcedure = [&](display::Message& m) { passed.push_back(m.Msg); };
    ASSERT_TRUE(form_->CheckInstance());
    const uint32_t terminate = pw::RegisterWindowMessage("sprallion_Terminate");
    EXPECT_EQ(app::multinst::TerminateMessage, terminate);
    EXPECT_FALSE(pw::TerminateRequested());
    display::ApplicationWindow().Perform(terminate);
    EXPECT_TRUE(pw::TerminateRequested());
    display::ApplicationWindow().Perform(0x0112, 0xF020);
    EXPECT_EQ(passed, std::vector<uint32_t>{0x0112});
    // The unit's end puts the old procedure back.
    app::multinst::Finalize();
    EXPECT_FALSE(app::multinst::Hooked());
    display::ApplicationWindow().Perform(terminate);
    EXPECT_EQ(passed, (std::vector<uint32_t>{0x0112, terminate}));
    display::ApplicationWindow().WindowProcedure = original;
}

TEST_F(InstanceTest, WithoutAUsableFolderTheGameStartsAndSaysWhy) {
    dir_.Write("blocked", "a file where the folder should be");
    testproc::ScopedEnv env("SPRALLION_RUNTIME_DIR", dir_.File("blocked"));
    EXPECT_TRUE(form_->CheckInstance());
    EXPECT_EQ(app::multinst::Status(), app::multinst::kStatusHookFailed | app::multinst::kStatusMutexFailed);
}

}  // namespace
