// What presenting costs: one 800x600 game frame (a background and 150 colour-keyed sprites
// of an image list) flipped to the headless presenter and to the SDL2 window (SDL's dummy
// video driver, so that no screen is needed), and the peer: one copy of a whole RGB565 frame.
// The window should cost about one frame copy more than headless, which keeps its frame
// with one copy; the ratio is printed.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "media/DXDrawsPicture.h"

using namespace media;
namespace display = platform::display;

namespace {

// The game's display on a presenter, with a background and a sheet of keyed sprites.
class Scene {
public:
    explicit Scene(display::Presenter& presenter) : dxdraw_(presenter) {
        form_.SetActive(true);
        dxdraw_.AutoInitialize = false;
        dxdraw_.SetParent(&form_);
        dxdraw_.SetBounds(0, 0, 800, 600);
        dxdraw_.SetOptions(dxdraw_.Options() & ~doWaitVBlank);  // the window's refresh is not measured
        TDIB sheet, back;
        sheet.SetSize(128, 32, 24);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 128; ++x) sheet.SetPixel(x, y, (x + y) % 9 ? uint32_t(x << 17 | y << 3) : 0xFF00FF);
        back.SetSize(800, 600, 24);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) back.SetPixel(x, y, uint32_t((x / 4) << 8 | (y / 3)));
        sprites_ = list_.Items().Add();
        sprites_->SetPicture(sheet);
        sprites_->PatternWidth = 32, sprites_->PatternHeight = 16;
        sprites_->SetTransparentColor(RGBColor(255, 0, 255));
        background_ = list_.Items().Add();
        background_->SetPicture(back);
        background_->Transparent = false;
        list_.SetDXDraw(&dxdraw_);
        dxdraw_.Initialize();
    }
    ~Scene() { list_.SetDXDraw(nullptr); }

    void Frame(int n) {
        TDirectDrawSurface& surface = *dxdraw_.Surface();
        background_->Draw(surface, 0, 0, 0);
        for (int i = 0; i < 150; ++i) sprites_->Draw(surface, (i * 89 + n) % 800 - 16, (i * 41) % 600 - 8, i % 8);
        dxdraw_.Flip();
    }

private:
    display::Form form_;
    TDXDraw dxdraw_;
    TDXImageList list_;
    TPictureCollectionItem* sprites_ = nullptr;
    TPictureCollectionItem* background_ = nullptr;
};

void BM_FrameHeadless(benchmark::State& state) {
    display::HeadlessPresenter presenter;
    Scene scene(presenter);
    int n = 0;
    for (auto _ : state) scene.Frame(n++);
}

void BM_FrameSdlWindow(benchmark::State& state) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::unique_ptr<display::Presenter> window = display::OpenSdlPresenter("present benchmark");
    if (!window) {
        state.SkipWithError("SDL's dummy video driver does not open");
        return;
    }
    {
        Scene scene(*window);
        int n = 0;
        for (auto _ : state) scene.Frame(n++);
    }
    window.reset();
}

void BM_FrameCopy(benchmark::State& state) {
    std::vector<uint16_t> from(800 * 600, 0x1234), to(800 * 600);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_FrameHeadless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameSdlWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double headless = reporter.times["BM_FrameHeadless"], window = reporter.times["BM_FrameSdlWindow"],
                 copy = reporter.times["BM_FrameCopy"];
    if (copy > 0 && headless > 0 && window > 0)
        std::printf("\nThe window costs %.2f frame copies more than headless (window / headless: %.2f)\n",
                    (window - headless) / copy, window / headless);
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
