// The kernel's tick of a full level on the headless display: N game objects of 16 x 16 that
// move through TGPObject.Move with an order routine: they leave and re-enter their map cells,
// ask the map for their neighbours, file move requests for the ones they touch, pass the
// collision pass, where their routine answers, and are drawn over the level's background;
// then the flip. Half of them are of a class whose script has an ONCOLLISION block, which
// their collision reply runs. The grid grows with N so that the density stays one object per
// cell. The peer is the same tick with the neighbours found by scanning every object (all
// pairs). Printed: the tick against the 22 ms budget, the peer against ours, and the time per
// object at the largest N against the smallest (linear: near 1).
#include <benchmark/benchmark.h>

#include "bench/BenchScreen.h"

#include <cmath>
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
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/ObjectWriter.h"
#include "tools/datagen/WorldWriter.h"

using namespace engine;

namespace {

constexpr int kScreenW = 800, kScreenH = 600, kSize = 16, kCell = 64;
constexpr double kBudgetMs = 22.0;
constexpr int kSmallest = 100, kLargest = 1000;
// The two classes of movers: without a script, and with an ONCOLLISION block.
constexpr int32_t kPlain = 12, kScripted = 13;

// What the order routines share: one level runs at a time.
struct Field {
    int32_t size = 0;  // the square playfield's side in pixels
    TGPNation* nation = nullptr;
    TListGPObject near;
    int64_t requests = 0;  // move requests filed
};
Field field;

// Files a move request for every object in others that touches mover.
template <class List>
void Touch(TGPObject& mover, const List& others) {
    const TRect own = mover.GetRect();
    for (TGPObject* other : others) {
        if (other == &mover) continue;
        const TRect r = other->GetRect();
        if (r.Left < own.Right && own.Left < r.Right && r.Top < own.Bottom && own.Top < r.Bottom) {
            mover.AskMove(other, own, r);
            ++field.requests;
        }
    }
}

// Bounces inside the playfield; the collision reply turns away and runs the class script's
// collision block.
template <bool AllPairs>
uint8_t Bounce(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode == 1) {
        o.SetDGCDirection(int64_t{o.Direction} + 128);
        o.RunOnCollision();
        return 0;
    }
    TGPMap& map = *o.Kernel->Map;
    if (!AllPairs) map.RemoveObjectFromCells(&o);
    o.StepX();
    o.StepY();
    if (o.GetX() < 0 || o.GetX() + kSize > field.size) {
        o.ReflectX();
        o.StepX();
    }
    if (o.GetY() < 0 || o.GetY() + kSize > field.size) {
        o.ReflectY();
        o.StepY();
    }
    if (AllPairs) {
        Touch(o, field.nation->Objects);
    } else {
        map.AddObjectToCells(&field.near, &o);
        map.ObjectsNear(&field.near, &o);
        Touch(o, field.near);
    }
    return 0;
}

// The scripted class's script: its collision block queues a sound at the object (through the
// script kernel, which the creation block's bind names).
constexpr const char* kMoverScript = R"(
on ONCREATE
  object bind SELF SELF 13
on ONCOLLISION
  object sound SELF 3 0 1
)";

// The level's data in a temporary folder: the names, the background, the two classes (slides,
// descriptions, picture) and the script.
struct LevelData {
    LevelData() {
        char pattern[] = "/tmp/sprallion-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::filesystem::create_directories(folder / "Resource");
        SetProgramFolder(folder.string());
        datagen::NameTables names;
        for (int i = 1; i <= 13; ++i) names.tables[0].push_back("Unit" + std::to_string(i));
        names.tables[1] = {"Ground"};
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        LoadPixSetGP({}, pfUnitNames, &stream);
        datagen::MapElementDescription ground{.idName = 1, .picture = "Ground", .patternWidth = kScreenW,
                                              .patternHeight = kScreenH};
        const datagen::UnitSlideDescription shape{.idName = kPlain, .picture = "Mover", .patternWidth = kSize,
                                                  .patternHeight = kSize, .baseRight = kSize, .baseBottom = kSize};
        datagen::GeneralObjectDescription plain{.minSpeed = 1, .maxSpeed = 3, .defaultSlide = 3, .addParamInt1 = 1};
        datagen::GeneralObjectDescription scripted = plain;
        scripted.processingEvents = true;
        scripted.mdName = "Mover.cpc";
        container = (folder / "level.ig").string();
        datagen::WriteContainer(
            container, {{"Classes_MapElement", {{"Ground", datagen::MapElementRecord(ground)}}},
                        {"BMP_MapElement", {{"Ground", datagen::PatternPicture(32, 32, kScreenW / 32, kScreenH / 32,
                                                                               [](int c, int r) {
                                                                                   return (c + r) % 2 ? 0x203040u : 0x304050u;
                                                                               })}}},
                        {"Classes_Unit", {{"Unit12", datagen::UnitClassRecord(shape)},
                                          {"Unit13", datagen::UnitClassRecord(shape)}}},
                        {"GeneralObject_Unit", {{"Unit12", datagen::GeneralObjectRecord(plain)},
                                                {"Unit13", datagen::GeneralObjectRecord(scripted)}}},
                        {"BMP_Unit", {{"Unit12_Work", datagen::SolidPicture(kSize, kSize, 0xFFC000)}}},
                        datagen::CodeUnitSection({{"Mover", datagen::AssembleCpcStream(kMoverScript)}})});
    }
    ~LevelData() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::string container;
};

LevelData& Data() {
    static LevelData data;
    return data;
}

// One level of n movers on a display of its own.
struct Level {
    Level(int n, bool bruteForce) {
        kernel = std::make_unique<TGPKernel>(&screen.display, nullptr, nullptr);
        kernel->Resource = std::make_unique<TGPResource>(Data().container, rtl::fmOpenRead);
        // One object per cell: the grid grows with the level.
        const int side = static_cast<int>(std::ceil(std::sqrt(n)));
        TGPMap* map = CreateMap(*kernel, false, 0, 0, 9, 9, 9, 9, kCell);
        map->Reset(false, 0, 0, side, side, side, side, kCell);
        map->Cells->Get(0)->SetIDClass(1);
        field = Field{};
        field.size = side * kCell;
        field.nation = kernel->NationByKey(0);
        const TOrderRoutine routine = bruteForce ? &Bounce<true> : &Bounce<false>;
        for (int i = 0; i < n; ++i) {
            TGPObject* m = field.nation->CreateObject(0, 0, i % 2 ? kScripted : kPlain);
            m->SetX((i % side) * kCell + (i * 7) % (kCell - kSize));
            m->SetY((i / side) * kCell + (i * 13) % (kCell - kSize));
            m->SetDGCSpeed(1 + i % 3);
            m->SetDGCDirection(32 + 64 * (i % 4) + i % 7);
            m->InstallOrder(routine, 0);
            if (!bruteForce) map->AddObjectToCells(nullptr, m);
        }
        kernel->Tick();  // pictures loaded, lists at their size
    }
    ~Level() {
        kernel.reset();
        PhantomPool().Clear();
        ObjectPool().Clear();
        WeaponPool().Clear();
    }
    BenchScreen screen{kScreenW, kScreenH};
    std::unique_ptr<TGPKernel> kernel;
};

void Run(benchmark::State& state, bool bruteForce) {
    const int n = static_cast<int>(state.range(0));
    Level level(n, bruteForce);
    uint32_t clock = 1000;
    field.requests = 0;
    for (auto _ : state) {
        media::PublishSharedClock(clock += 22);
        level.kernel->Tick();
    }
    state.counters["objects"] = n;
    state.counters["requests"] = benchmark::Counter(static_cast<double>(field.requests), benchmark::Counter::kAvgIterations);
}

void BM_Tick(benchmark::State& state) { Run(state, false); }
void BM_TickAllPairs(benchmark::State& state) { Run(state, true); }

BENCHMARK(BM_Tick)->Arg(100)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickAllPairs)->Arg(100)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();  // milliseconds
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto time = [&](const char* name, int n) { return reporter.times[std::string(name) + "/" + std::to_string(n)]; };
    std::printf("\n%8s %14s %16s %22s\n", "objects", "tick / budget", "all pairs / ours", "time per object");
    for (int n : {100, 200, 500, 1000}) {
        const double ours = time("BM_Tick", n), pairs = time("BM_TickAllPairs", n);
        if (ours <= 0) continue;
        std::printf("%8d %14.3f %16.2f %19.2f us\n", n, ours / kBudgetMs, pairs / ours, ours * 1000.0 / n);
    }
    const double small = time("BM_Tick", kSmallest) / kSmallest, large = time("BM_Tick", kLargest) / kLargest;
    if (small > 0 && large > 0)
        std::printf("\nTime per object at %d against %d: %.2f (linear when near 1; the target is at most 1.5)\n",
                    kLargest, kSmallest, large / small);
    benchmark::Shutdown();
    return 0;
}
