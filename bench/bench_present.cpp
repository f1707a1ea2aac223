// What presenting costs: one 800x600 game frame (a background and 150 colour-keyed sprites
// of an image list) flipped to the headless presenter and to the SDL2 window (SDL's dummy
// video driver, so that no screen is needed: its renderer is SDL's software one), and two
// peers: one copy of a whole RGB565 frame, and one pass widening it to 32-bit pixels. Headless
// keeps its frame with one copy; the window widens the frame into its streaming texture in one
// pass and has the renderer draw the texture into the window. The counter window_extra_copies
// says what the window costs more than headless, in frame copies; widen_copies is the widening
// pass alone, the least a window of 32-bit pixels pays for a frame.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/DXDrawsPicture.h"
#include "platform/display/Widen.h"

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

// The four, interleaved in one loop so that the machine's load falls on all alike.
void BM_Present(benchmark::State& state) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::unique_ptr<display::Presenter> window = display::OpenSdlPresenter("present benchmark");
    if (!window) {
        state.SkipWithError("SDL's dummy video driver does not open");
        return;
    }
    display::HeadlessPresenter headless;
    double headlessUs = 0, windowUs = 0, copyUs = 0, widenUs = 0;
    {
        Scene toHeadless(headless), toWindow(*window);
        std::vector<uint16_t> from(800 * 600, 0x1234), to(800 * 600);
        std::vector<uint32_t> wide(800 * 600);
        using Clock = std::chrono::steady_clock;
        auto micros = [](Clock::time_point a, Clock::time_point b) {
            return std::chrono::duration<double, std::micro>(b - a).count();
        };
        int n = 0;
        for (auto _ : state) {
            const auto t0 = Clock::now();
            toHeadless.Frame(n);
            const auto t1 = Clock::now();
            toWindow.Frame(n);
            const auto t2 = Clock::now();
            std::memcpy(to.data(), from.data(), from.size() * 2);
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
            const auto t3 = Clock::now();
            display::WidenRow(from.data(), wide.data(), int32_t(from.size()));
            benchmark::DoNotOptimize(wide.data());
            benchmark::ClobberMemory();
            const auto t4 = Clock::now();
            headlessUs += micros(t0, t1), windowUs += micros(t1, t2), copyUs += micros(t2, t3), widenUs += micros(t3, t4);
            ++n;
        }
    }
    window.reset();
    const double frames = double(state.iterations());
    state.counters["headless_us"] = headlessUs / frames;
    state.counters["window_us"] = windowUs / frames;
    state.counters["frame_copy_us"] = copyUs / frames;
    // What the window adds, in frame copies: the widening pass (it writes twice the frame's
    // bytes) in place of headless's copy and, with a software renderer, the renderer's copy of
    // the texture into the window.
    state.counters["window_extra_copies"] = (windowUs - headlessUs) / copyUs;
    state.counters["widen_copies"] = widenUs / copyUs;
}

BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
