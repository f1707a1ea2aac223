// A text-heavy menu frame on the headless display: a form with a 6-row grid of text cells,
// ten labels drawn every frame and two track bars, drawn by the kernel's tick and flipped.
// The peer is the same frame with the texts empty (the pictures alone). Printed: the frame
// against the 22 ms budget, and the share of the frame its texts take.
#include <benchmark/benchmark.h>

#include "bench/BenchScreen.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "platform/window/Application.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/WidgetWriter.h"
#include "tools/datagen/WorldWriter.h"

using namespace engine;

namespace {

constexpr int kScreenW = 800, kScreenH = 600;
constexpr double kBudgetMs = 22.0;

// The menu's pictures in a game-data container of a temporary program folder.
struct MenuData {
    MenuData() {
        char pattern[] = "/tmp/sprallion-menu-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::filesystem::create_directories(folder / "Resource");
        SetProgramFolder(folder.string());
        container = (folder / "game.bif").string();
        datagen::WriteContainer(container, {{"BMP",
                                             {{"Menu", datagen::SolidPicture(700, 500, 0x203040)},
                                              {"Track", datagen::WidgetSheet(20, 20, 12, 1)},
                                              {"Rows", datagen::WidgetSheet(120, 30, 4, 6)},
                                              {"Cols", datagen::WidgetSheet(120, 30, 3, 4)}}}});
    }
    ~MenuData() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::string container;
};

MenuData& Data() {
    static MenuData data;
    return data;
}

struct Menu {
    explicit Menu(bool texts) {
        kernel = std::make_unique<TGPKernel>(&screen.display, nullptr, nullptr);
        resource = std::make_unique<TGPResource>(Data().container, rtl::fmOpenRead);
        kernel->InterfaceResource = resource.get();
        auto mouse = std::make_unique<TGPMouse>();
        mouse->Create(kernel.get(), 0);
        kernel->SetMouse(std::move(mouse));
        kernel->FontCharset = 204;

        auto* menu = CreateWidget<TGPForm>(kernel.get(), 200);
        menu->Name = "Menu";
        menu->Paint = "Menu";
        menu->PatternWidth = 700, menu->PatternHeight = 500;
        menu->Alignment = gaCenter;
        for (int i = 0; i < 10; ++i) {
            auto* label = CreateWidget<TGPLabel>(menu, 200);
            label->Text = texts ? "Option " + std::to_string(i + 1) + ": \xCC\xF3\xE7\xFB\xEA\xE0 & sound" : "";
            label->PaintAlways = true;
            label->Left = 20 + (i % 2) * 330, label->Top = 20 + (i / 2) * 40;
            label->PatternWidth = 320, label->PatternHeight = 36;
            label->Font->Size = 22;
            label->Font->ColorFront = 0x00FFFF;
        }
        for (int i = 0; i < 2; ++i) {
            auto* bar = CreateWidget<TGPTrackBar>(menu, 200);
            bar->Paint = "Track";
            bar->PatternWidth = bar->PatternHeight = 20;
            bar->Width = 240, bar->Height = 20;
            bar->Min = 0, bar->Max = 100, bar->Value = 40 + 20 * i;
            bar->Left = 20 + 330 * i, bar->Top = 230;
        }
        auto* grid = CreateWidget<TGPCustomGrid>(menu, 200);
        grid->ColCount = 3, grid->RowCount = 6;
        grid->FixedCols = 1, grid->FixedRows = 1;
        grid->PatternWidth = 120, grid->PatternHeight = 30;
        grid->ColPaint = "Rows", grid->RowPaint = "Cols";
        grid->Left = 20, grid->Top = 270;
        grid->Font->Name = "Arial";
        grid->Font->Size = 16;
        if (texts)
            for (int r = 0; r < 6; ++r) {
                grid->SetCell(0, r, "\xC8\xE3\xF0\xEE\xEA " + std::to_string(r + 1));
                grid->SetCell(1, r, std::to_string(98765 - 1234 * r));
                grid->SetCell(2, r, "Level " + std::to_string(12 - r));
            }
        kernel->ShowForm("Menu", nullptr);
        kernel->Tick();
        kernel->Tick();  // pictures loaded, glyphs cached
    }
    ~Menu() { kernel.reset(); }

    BenchScreen screen{kScreenW, kScreenH};
    std::unique_ptr<TGPResource> resource;
    std::unique_ptr<TGPKernel> kernel;
};

void Run(benchmark::State& state, bool texts) {
    Menu menu(texts);
    for (auto _ : state) menu.kernel->Tick();
}

void BM_MenuFrame(benchmark::State& state) { Run(state, true); }
void BM_MenuFramePicturesOnly(benchmark::State& state) { Run(state, false); }

BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuFramePicturesOnly)->Unit(benchmark::kMillisecond);

class ShareReporter : public benchmark::ConsoleReporter {
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
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double frame = reporter.times["BM_MenuFrame"], pictures = reporter.times["BM_MenuFramePicturesOnly"];
    if (frame > 0) {
        std::printf("\nMenu frame against the %.0f ms budget: %.3f\n", kBudgetMs, frame / kBudgetMs);
        if (pictures > 0) std::printf("Share of the frame its texts take: %.2f\n", (frame - pictures) / frame);
    }
    benchmark::Shutdown();
    return 0;
}
