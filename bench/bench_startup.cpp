// The game's start and its rest: the program over the demo data, started as a process of its
// own (this program again, running the game with a watch on its ticks), headless.
//
// One run reports:
// - start to the first presented frame of the main menu ("MainPanel" shown, the tick drew and
//   presented), against the 300 ms budget and against the floor of any start: opening
//   "Demo2.bif" and reading its interface description ("Forms"/"GPInterface") alone. The start
//   measured is a later one; the first after installing, which writes the options' defaults,
//   is reported beside it;
// - the CPU the program takes while it waits at the main menu, as a share of one core, against
//   10 %;
// - the same once the application is deactivated (its window lost the focus), against 1 %.
// CPU time is the child's own clock (clock_getcpuclockid: every thread of it) over a wall
// interval. The counters are the ratios; nothing fails on time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Program.h"
#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "platform/display/Display.h"
#include "platform/window/Application.h"
#include "platform/window/EventPump.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoDataSet.h"

namespace {

namespace fs = std::filesystem;
namespace pw = platform::window;
using Clock = std::chrono::steady_clock;

constexpr double kStartBudgetMs = 300.0;
constexpr double kIdleBudget = 0.10;      // of one core, at the main menu
constexpr double kInactiveBudget = 0.01;  // of one core, deactivated
constexpr auto kSettle = std::chrono::milliseconds(500);
constexpr auto kCpuWindow = std::chrono::seconds(2);

// The child's ends: it reports on fd 3 and takes commands on fd 4.
constexpr int kReportFd = 3, kControlFd = 4;
constexpr const char* kChildFlag = "--game-child";
constexpr char kDeactivate = 'd';

int64_t Nanoseconds(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// ---- the child: the game with a watch on its ticks ----

// The first tick that drew and presented a frame while the main menu showed: the panel was
// shown before the first tick, so that frame holds it.
bool PresentedMainMenu(app::TDlg_Sprallion& form) {
    if (!form.Kernel || !form.DXDrawGP || !pw::App().Active()) return false;
    auto* presenter = dynamic_cast<platform::display::HeadlessPresenter*>(&form.DXDrawGP->Presenter());
    engine::TGPStructure* panel = form.Kernel->FindChild("MainPanel");
    return presenter && presenter->PresentCount() > 0 && form.Kernel->FrameSkipCounter == 0 && panel && panel->Visible;
}

int RunGameChild() {
    // The pipes are the benchmark's alone, not of the programs the game may start.
    ::fcntl(kReportFd, F_SETFD, FD_CLOEXEC);
    ::fcntl(kControlFd, F_SETFD, FD_CLOEXEC);
    std::atomic<uint32_t> windowId{0};
    bool reported = false;
    app::ProgramHooks hooks;
    hooks.AfterTick = [&](app::TDlg_Sprallion& form) {
        if (reported || !PresentedMainMenu(form)) return;
        reported = true;
        windowId = form.Window() ? form.Window()->WindowId() : 0;
        const int64_t now = Nanoseconds(Clock::now());
        if (::write(kReportFd, &now, sizeof now) != sizeof now) std::_Exit(4);
    };
    // The signals stay the program's: blocked here before the command thread exists, read by
    // the program's signal watch.
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, nullptr);
    // Commands come on their own thread; the window's focus goes as the window system's
    // event would go.
    std::thread commands([&windowId] {
        char command = 0;
        while (::read(kControlFd, &command, 1) == 1) {
            if (command != kDeactivate) continue;
            pw::WindowEvent lost;
            lost.Type = pw::EventType::FocusLost;
            lost.WindowId = windowId.load();
            pw::MainPump().Post(lost);
        }
    });
    char name[] = "sprallion";
    char* argv[] = {name, nullptr};
    const int status = app::RunProgram(1, argv, hooks);
    commands.join();  // the parent closes the command pipe
    return status;
}

// ---- the parent ----

// The demo data in a temporary program folder, the internet library registered in a private
// registry as the installer leaves it.
struct StartData {
    StartData() {
        char pattern[] = "/tmp/sprallion-start-XXXXXX";
        folder = ::mkdtemp(pattern);
        home = (folder / "game").string();
        const auto set = datagen::demo::BuildDemoDataSet(false);
        datagen::demo::WriteDemoFiles(home, set.Files());
        const std::string registry = "SPRALLION_REGISTRY=" + (folder / "registry").string();
        settings = {"SPRALLION_HOME=" + home,
                    registry,
                    "SPRALLION_RUNTIME_DIR=" + (folder / "run").string(),
                    "SPRALLION_SHELL=record:" + (folder / "shell").string(),
                    "SPRALLION_VIDEO=headless",
                    "SPRALLION_AUDIO=null",
                    "SPRALLION_MIDI=null"};
        const pid_t regsvr = testproc::SpawnProgram("regsvr", {"-s", testproc::BinDir() + "/libPalvrek.so"},
                                                    {registry}, (folder / "regsvr.err").string(), {});
        registered = regsvr > 0 && testproc::WaitExit(regsvr, std::chrono::seconds(30)) == 0;
    }
    ~StartData() { fs::remove_all(folder); }
    std::string GameData() const { return home + "/" + datagen::demo::kGameDataFile; }

    fs::path folder;
    std::string home;
    std::vector<std::string> settings;
    bool registered = false;
};

StartData& Data() {
    static StartData data;
    return data;
}

// The started game: this program as the child, its report and command pipes.
class GameProcess {
public:
    GameProcess(const std::vector<std::string>& settings, const std::string& errorFile) {
        int report[2], control[2];
        if (::pipe2(report, O_CLOEXEC) != 0 || ::pipe2(control, O_CLOEXEC) != 0) return;
        // Above the child's numbers, so that handing one over never overwrites the other.
        for (int* fd : {&report[0], &report[1], &control[0], &control[1]}) {
            const int high = ::fcntl(*fd, F_DUPFD_CLOEXEC, 16);
            ::close(*fd);
            *fd = high;
        }
        started = Clock::now();
        pid_ = testproc::SpawnProgram("bench_startup", {kChildFlag}, settings, errorFile,
                                      {{report[1], kReportFd}, {control[0], kControlFd}});
        ::close(report[1]);
        ::close(control[0]);
        report_ = report[0];
        control_ = control[1];
    }
    ~GameProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (report_ >= 0) ::close(report_);
        if (control_ >= 0) ::close(control_);
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Running() const { return pid_ > 0; }
    // When the child presented the main menu; nothing when it did not within the limit.
    std::optional<Clock::time_point> MainMenuShown(std::chrono::milliseconds limit) {
        pollfd p{report_, POLLIN, 0};
        int64_t at = 0;
        if (::poll(&p, 1, static_cast<int>(limit.count())) != 1 || ::read(report_, &at, sizeof at) != sizeof at)
            return std::nullopt;
        return Clock::time_point(std::chrono::nanoseconds(at));
    }
    void Send(char command) {
        [[maybe_unused]] const ssize_t sent = ::write(control_, &command, 1);  // a child gone shows at its exit
    }
    // The child's CPU time (all its threads) taken over `window` of wall time, per second.
    double CoreShare(std::chrono::milliseconds window) const {
        clockid_t id;
        if (::clock_getcpuclockid(pid_, &id) != 0) return -1;
        timespec c0{}, c1{};
        ::clock_gettime(id, &c0);
        const auto w0 = Clock::now();
        std::this_thread::sleep_for(window);
        ::clock_gettime(id, &c1);
        const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
        const double cpu = double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) * 1e-9;
        return cpu / wall;
    }
    // Ends the program as the system does (SIGTERM); its exit status, -1 when it did not end.
    int Terminate() {
        ::kill(pid_, SIGTERM);
        ::close(control_);
        control_ = -1;
        const std::optional<int> status = testproc::WaitExit(pid_, std::chrono::seconds(30));
        pid_ = -1;
        return status.value_or(-1);
    }

    Clock::time_point started;

private:
    pid_t pid_ = -1;
    int report_ = -1, control_ = -1;
};

// The floor of a start: the container opened and the interface description read, nothing
// built from it. Mean of several, the file in the page cache as for the game.
double OpenAndReadInterfaceMs(const std::string& file) {
    constexpr int kRounds = 20;
    size_t bytes = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
        engine::TGPResource resource(file, rtl::fmOpenRead);
        auto entry = resource.OpenEntry("Forms", "GPInterface");
        if (!entry) return -1;
        std::string data(static_cast<size_t>(entry->Size()), '\0');
        entry->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
        bytes += data.size();
    }
    benchmark::DoNotOptimize(bytes);
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / kRounds;
}

std::map<std::string, double> g_results;

// Starts the game and waits for its main menu: the time from the start, or nothing (the
// reason in `error`).
std::optional<double> StartToMainMenu(GameProcess& game, std::string& error) {
    if (!game.Running()) {
        error = "the game could not be started";
        return std::nullopt;
    }
    const auto shown = game.MainMenuShown(std::chrono::seconds(30));
    if (!shown) {
        error = "the game did not present its main menu";
        return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(*shown - game.started).count();
}

void BM_StartAndRest(benchmark::State& state) {
    StartData& data = Data();
    if (!data.registered) {
        state.SkipWithError("the internet library could not be registered");
        return;
    }
    const std::string errors = (data.folder / "stderr").string();
    std::string error;
    for (auto _ : state) {
        // The first start after installing writes the options' defaults; the start measured is
        // a later one, as a player has it every day.
        std::optional<double> firstMs;
        {
            GameProcess first(data.settings, errors);
            firstMs = StartToMainMenu(first, error);
            if (firstMs && first.Terminate() != 0) error = "the game did not end cleanly on SIGTERM";
        }
        const double floorMs = OpenAndReadInterfaceMs(data.GameData());
        GameProcess game(data.settings, errors);
        const std::optional<double> startMs = firstMs && error.empty() ? StartToMainMenu(game, error) : std::nullopt;
        if (!startMs) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(*startMs / 1000.0);
        std::this_thread::sleep_for(kSettle);
        const double idle = game.CoreShare(kCpuWindow);
        game.Send(kDeactivate);
        std::this_thread::sleep_for(kSettle);
        const double inactive = game.CoreShare(kCpuWindow);
        if (game.Terminate() != 0) {
            state.SkipWithError("the game did not end cleanly on SIGTERM");
            return;
        }
        g_results = {{"start_ms", *startMs}, {"first_start_ms", *firstMs}, {"floor_ms", floorMs},
                     {"idle_core", idle},    {"inactive_core", inactive}};
        state.counters["start_ms"] = *startMs;
        state.counters["first_start_ms"] = *firstMs;
        state.counters["start_vs_budget"] = *startMs / kStartBudgetMs;
        state.counters["start_vs_open_read"] = floorMs > 0 ? *startMs / floorMs : 0;
        state.counters["idle_core_share"] = idle;
        state.counters["idle_vs_budget"] = idle / kIdleBudget;
        state.counters["inactive_core_share"] = inactive;
        state.counters["inactive_vs_budget"] = inactive / kInactiveBudget;
    }
}

BENCHMARK(BM_StartAndRest)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kChildFlag) == 0) return RunGameChild();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (!g_results.empty()) {
        const double start = g_results["start_ms"], floor = g_results["floor_ms"];
        std::printf("\nStart to the first main-menu frame: %.1f ms; against the %.0f ms budget: %.3f\n", start,
                    kStartBudgetMs, start / kStartBudgetMs);
        std::printf("The first start after installing (writes the options' defaults): %.1f ms\n",
                    g_results["first_start_ms"]);
        if (floor > 0)
            std::printf("Against opening Demo2.bif and reading GPInterface alone (%.3f ms): %.1f\n", floor, start / floor);
        std::printf("Idle at the main menu: %.4f of a core; against %.0f %%: %.3f\n", g_results["idle_core"],
                    kIdleBudget * 100, g_results["idle_core"] / kIdleBudget);
        std::printf("Deactivated: %.4f of a core; against %.0f %%: %.3f\n", g_results["inactive_core"],
                    kInactiveBudget * 100, g_results["inactive_core"] / kInactiveBudget);
    }
    benchmark::Shutdown();
    return 0;
}
