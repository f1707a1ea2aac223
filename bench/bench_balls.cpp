// The kernel's move step (MoveAll, then the deferred commands) of a level of play: a field of
// 576 x 512 with 200 bricks, the paddle on the floor line and 1, 50 or 200 balls under their
// own order (kind 4): upkeep, neighbours from the map, move requests, the collision pass with
// its replies (reflection, striking and scoring), the walls and a closed floor that keeps
// every ball in play. At difficulty 1 balls pass through each other; at 3 they collide.
// Printed: the mean tick against the 22 ms budget; 200 balls are to stay below a quarter.
#include <benchmark/benchmark.h>

#include "bench/BenchScreen.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpPaths.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "engine/gpWeapon.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "platform/window/Application.h"
#include "rtl/Numbers.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/ObjectWriter.h"

using namespace engine;

namespace {

constexpr int kScreenW = 800, kScreenH = 600;
constexpr double kBudgetMs = 22.0;
constexpr int32_t kPaddle = 1, kBrick = 12, kBall = 62;
constexpr int kBricks = 200;

// The level's classes in a temporary folder.
struct LevelData {
    LevelData() {
        char pattern[] = "/tmp/sprallion-balls-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::filesystem::create_directories(folder / "Resource");
        SetProgramFolder(folder.string());
        datagen::NameTables names;
        for (int i = 1; i <= 166; ++i) names.tables[0].push_back("Unit" + std::to_string(i));
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        LoadPixSetGP({}, pfUnitNames, &stream);
        const datagen::UnitSlideDescription paddle{.idName = kPaddle, .idCondition = 4, .patternWidth = 64,
                                                   .patternHeight = 16, .baseRight = 64, .baseBottom = 16};
        const datagen::UnitSlideDescription brick{.idName = kBrick, .patternWidth = 16, .patternHeight = 16};
        const datagen::UnitSlideDescription ball{.idName = kBall, .patternWidth = 12, .patternHeight = 12,
                                                 .baseRight = 12, .baseBottom = 12};
        container = (folder / "level.ig").string();
        datagen::WriteContainer(
            container,
            {{"Classes_Unit",
              {{"Unit1", datagen::UnitClassRecord(paddle)},
               {"Unit12", datagen::UnitClassRecord(brick)},
               {"Unit62", datagen::UnitClassRecord(ball)}}},
             {"GeneralObject_Unit",
              {{"Unit1", datagen::GeneralObjectRecord({.maxSpeed = 20, .maxSpeedUp = 2, .defaultSlide = 4})},
               {"Unit12", datagen::GeneralObjectRecord({.toughness = 2, .priceForDeath = 10})},
               {"Unit62", datagen::GeneralObjectRecord(
                              {.minSpeed = 3, .maxSpeed = 6, .maxSpeedUp = 0.1, .defaultSlide = 4, .addParamInt1 = 300})}}}});
    }
    ~LevelData() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::string container;
};

LevelData& Data() {
    static LevelData data;
    return data;
}

struct Level {
    Level(int balls, int32_t difficulty) {
        kernel = std::make_unique<TGPKernel>(&screen.display, nullptr, nullptr);
        kernel->Resource = std::make_unique<TGPResource>(Data().container, rtl::fmOpenRead);
        TGPMap* map = CreateMap(*kernel, false, 0, 0, 9, 8, 9, 8, 64);
        map->Kind |= 0x1000;  // a closed floor keeps every ball in play
        kernel->Shared.Difficulty = difficulty;
        rtl::RandSeed = 1;
        TGPNation* bricks = kernel->NationByKey(0);
        for (int i = 0; i < kBricks; ++i) bricks->CreateFromPool(8 + (i % 25) * 22, 40 + (i / 25) * 22, false, kBrick);
        TGPObject* paddle = kernel->NationByKey(3)->CreateFromPool(256, kernel->Shared.FloorLine, false, kPaddle);
        kernel->Shared.SetPlayer(paddle);
        TGPNation* nation = kernel->NationByKey(4);
        for (int i = 0; i < balls; ++i) {
            TGPObject* b = nation->CreateFromPool(20 + (i * 37) % 520, 240 + (i * 23) % 200, false, kBall);
            b->SetOrder(4, -1, -1, -1, 4);
            b->SetDGCSpeed(3 + i % 3);
            b->SetDGCDirection(16 + (i * 53) % 224);
        }
        for (int i = 0; i < 50; ++i) Step();  // lists and pools at their size
    }
    ~Level() {
        kernel.reset();
        PhantomPool().Clear();
        ObjectPool().Clear();
        WeaponPool().Clear();
    }
    void Step() {
        media::PublishSharedClock(clock += 22);
        kernel->MoveAll();
        kernel->RunCommands();
    }
    BenchScreen screen{kScreenW, kScreenH};
    std::unique_ptr<TGPKernel> kernel;
    uint32_t clock = 1000;
};

void BM_MoveAll(benchmark::State& state) {
    Level level(static_cast<int>(state.range(0)), static_cast<int32_t>(state.range(1)));
    for (auto _ : state) level.Step();
    state.counters["balls"] = static_cast<double>(level.kernel->FindNation(4)->Objects.Count());
}

BENCHMARK(BM_MoveAll)
    ->ArgsProduct({{1, 50, 200}, {1, 3}})
    ->ArgNames({"balls", "difficulty"})
    ->Unit(benchmark::kMicrosecond);

class BudgetReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime() / 1000.0;  // milliseconds
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%8s %11s %16s\n", "balls", "difficulty", "tick / budget");
    for (int difficulty : {1, 3})
        for (int balls : {1, 50, 200}) {
            const std::string name =
                "BM_MoveAll/balls:" + std::to_string(balls) + "/difficulty:" + std::to_string(difficulty);
            if (reporter.times.count(name) == 0) continue;
            std::printf("%8d %11d %16.4f%s\n", balls, difficulty, reporter.times[name] / kBudgetMs,
                        balls == 200 ? (reporter.times[name] / kBudgetMs < 0.25 ? "  (below a quarter)" : "  (OVER a quarter)")
                                     : "");
        }
    benchmark::Shutdown();
    return 0;
}
