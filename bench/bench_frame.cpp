// One full frame of the game's drawing: an 800x600 RGB565 background, 150 colour-keyed
// 32x16 patterns of a picture collection, 20 sprites blended at half alpha, and the flip
// to the headless presenter. The peer does the same work with SDL2's own blitter on
// RGB565 surfaces (colour key, surface alpha) and copies the result out as a present.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "media/DXDrawsPicture.h"

using namespace media;
namespace display = platform::display;

namespace {

constexpr int kSprites = 150, kAlpha = 20;

uint32_t PictureColor(int x, int y) {
    const bool hole = ((x % 32) - 16) * ((x % 32) - 16) + (y % 16 - 8) * (y % 16 - 8) < 24;
    return hole ? 0xFF00FF : uint32_t((x * 2 & 255) << 16 | (y * 8 & 255) << 8 | ((x ^ y) * 2 & 255));
}

struct Position {
    int x, y, pattern;
};
std::vector<Position> Positions(int n, int patterns) {
    std::vector<Position> p;
    for (int i = 0; i < n; ++i) p.push_back({(i * 97) % 790 - 12, (i * 53) % 600 - 6, i % patterns});
    return p;
}

void BM_DXDraw(benchmark::State& state) {
    display::HeadlessPresenter presenter;
    display::Form form;
    form.SetActive(true);
    TDXImageList list;
    TDXDraw dxdraw(presenter);
    dxdraw.AutoInitialize = false;
    dxdraw.SetParent(&form);
    dxdraw.SetBounds(0, 0, 800, 600);
    TPictureCollectionItem& sprites = *list.Items().Add();
    TDIB picture;
    picture.SetSize(256, 64, 24);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) picture.SetPixel(x, y, PictureColor(x, y));
    sprites.SetPicture(picture);
    sprites.PatternWidth = 32, sprites.PatternHeight = 16;
    sprites.SetTransparentColor(RGBColor(255, 0, 255));
    TPictureCollectionItem& background = *list.Items().Add();
    TDIB bg;
    bg.SetSize(800, 600, 24);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) bg.SetPixel(x, y, uint32_t((x / 4) << 16 | (y / 3) << 8 | 0x40));
    background.SetPicture(bg);
    background.Transparent = false;
    list.SetDXDraw(&dxdraw);
    dxdraw.Initialize();
    const auto keyed = Positions(kSprites, sprites.PatternCount());
    const auto alpha = Positions(kAlpha, sprites.PatternCount());
    TDirectDrawSurface& back = *dxdraw.Surface();
    for (auto _ : state) {
        background.Draw(back, 0, 0, 0);
        for (const auto& p : keyed) sprites.Draw(back, p.x, p.y, p.pattern);
        for (const auto& p : alpha) sprites.DrawAlpha(back, {p.x, p.y, p.x + 32, p.y + 16}, p.pattern, 128);
        dxdraw.Flip();
    }
    list.SetDXDraw(nullptr);
}

void BM_SDL(benchmark::State& state) {
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 64, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* bg = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* alphaSheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 64, 16, SDL_PIXELFORMAT_RGB565);
    auto to565 = [](uint32_t c) { return uint16_t(((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31)); };
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(sheet->pixels) + y * sheet->pitch)[x] = to565(PictureColor(x, y));
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(alphaSheet->pixels) + y * alphaSheet->pitch)[x] =
                to565(PictureColor(x, y));
        }
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(bg->pixels) + y * bg->pitch)[x] =
                to565(uint32_t((x / 4) << 16 | (y / 3) << 8 | 0x40));
    SDL_SetColorKey(sheet, SDL_TRUE, to565(0xFF00FF));
    SDL_SetColorKey(alphaSheet, SDL_TRUE, to565(0xFF00FF));
    SDL_SetSurfaceAlphaMod(alphaSheet, 128);
    SDL_SetSurfaceBlendMode(alphaSheet, SDL_BLENDMODE_BLEND);
    const auto keyed = Positions(kSprites, 32);
    const auto alpha = Positions(kAlpha, 32);
    std::vector<uint16_t> presented(800 * 600);
    for (auto _ : state) {
        SDL_BlitSurface(bg, nullptr, back, nullptr);
        for (const auto& p : keyed) {
            SDL_Rect src{(p.pattern % 8) * 32, (p.pattern / 8) * 16, 32, 16}, dst{p.x, p.y, 32, 16};
            SDL_BlitSurface(sheet, &src, back, &dst);
        }
        for (const auto& p : alpha) {
            SDL_Rect src{(p.pattern % 8) * 32, (p.pattern / 8) * 16, 32, 16}, dst{p.x, p.y, 32, 16};
            SDL_BlitSurface(alphaSheet, &src, back, &dst);
        }
        for (int y = 0; y < 600; ++y)
            std::memcpy(presented.data() + y * 800, static_cast<uint8_t*>(back->pixels) + y * back->pitch, 1600);
        benchmark::DoNotOptimize(presented.data());
    }
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(alphaSheet);
    SDL_FreeSurface(bg);
    SDL_FreeSurface(back);
}

BENCHMARK(BM_DXDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SDL)->Unit(benchmark::kMicrosecond);

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
    const double ours = reporter.times["BM_DXDraw"], sdl = reporter.times["BM_SDL"];
    if (ours > 0) std::printf("\nFrame ratio (SDL2 time / our time; above 1 = ours is faster): %.2f\n", sdl / ours);
    benchmark::Shutdown();
    return 0;
}
