// One full frame of the game's drawing: an 800x600 RGB565 background, 150 colour-keyed
// 32x16 patterns of a picture collection, 20 sprites blended at half alpha, and the flip
// to the headless presenter. The peer does the same work with SDL2's own blitter on
// RGB565 surfaces (colour key, surface alpha) and copies the result out as a present.
// A second pair draws only blended sprites, 150 of them, with an alpha that changes
// every frame: the cost of one small blended draw, its set-up included. The ratios are SDL2's
// time over ours, measured in one run.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
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

// The game's side: a display with its back buffer, the sprite sheet and the background.
struct DXScene {
    display::HeadlessPresenter presenter;
    display::Form form;
    TDXImageList list;
    TDXDraw dxdraw{presenter};
    TPictureCollectionItem* sprites = nullptr;
    TPictureCollectionItem* background = nullptr;

    DXScene() {
        form.SetActive(true);
        dxdraw.AutoInitialize = false;
        dxdraw.SetParent(&form);
        dxdraw.SetBounds(0, 0, 800, 600);
        sprites = list.Items().Add();
        TDIB picture;
        picture.SetSize(256, 64, 24);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) picture.SetPixel(x, y, PictureColor(x, y));
        sprites->SetPicture(picture);
        sprites->PatternWidth = 32, sprites->PatternHeight = 16;
        sprites->SetTransparentColor(RGBColor(255, 0, 255));
        background = list.Items().Add();
        TDIB bg;
        bg.SetSize(800, 600, 24);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) bg.SetPixel(x, y, uint32_t((x / 4) << 16 | (y / 3) << 8 | 0x40));
        background->SetPicture(bg);
        background->Transparent = false;
        list.SetDXDraw(&dxdraw);
        dxdraw.Initialize();
    }
    ~DXScene() { list.SetDXDraw(nullptr); }
    TDirectDrawSurface& back() { return *dxdraw.Surface(); }
    void drawAlpha(const std::vector<Position>& at, int alpha) {
        for (const auto& p : at) sprites->DrawAlpha(back(), {p.x, p.y, p.x + 32, p.y + 16}, p.pattern, alpha);
    }
};

// SDL2's side: the same pictures as RGB565 surfaces.
struct SDLScene {
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 64, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* bg = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* alphaSheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 64, 16, SDL_PIXELFORMAT_RGB565);

    SDLScene() {
        auto to565 = [](uint32_t c) {
            return uint16_t(((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31));
        };
        auto at = [](SDL_Surface* s, int x, int y) {
            return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch) + x;
        };
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) *at(sheet, x, y) = *at(alphaSheet, x, y) = to565(PictureColor(x, y));
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) *at(bg, x, y) = to565(uint32_t((x / 4) << 16 | (y / 3) << 8 | 0x40));
        SDL_SetColorKey(sheet, SDL_TRUE, to565(0xFF00FF));
        SDL_SetColorKey(alphaSheet, SDL_TRUE, to565(0xFF00FF));
        SDL_SetSurfaceAlphaMod(alphaSheet, 128);
        SDL_SetSurfaceBlendMode(alphaSheet, SDL_BLENDMODE_BLEND);
    }
    ~SDLScene() {
        SDL_FreeSurface(sheet);
        SDL_FreeSurface(alphaSheet);
        SDL_FreeSurface(bg);
        SDL_FreeSurface(back);
    }
    static void blit(SDL_Surface* from, SDL_Surface* to, const Position& p) {
        SDL_Rect src{(p.pattern % 8) * 32, (p.pattern / 8) * 16, 32, 16}, dst{p.x, p.y, 32, 16};
        SDL_BlitSurface(from, &src, to, &dst);
    }
};

using Clock = std::chrono::steady_clock;

double Micros(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

// Both sides of each pair take turns within one loop, so that the machine's load falls on both
// alike; the counters give each side's time a frame and the ratio (SDL2's time over ours; above
// 1, ours is faster).
void BM_Frame(benchmark::State& state) {
    DXScene dx;
    SDLScene sdl;
    const auto keyed = Positions(kSprites, dx.sprites->PatternCount());
    const auto alpha = Positions(kAlpha, dx.sprites->PatternCount());
    const auto keyedSdl = Positions(kSprites, 32);
    const auto alphaSdl = Positions(kAlpha, 32);
    TDirectDrawSurface& back = dx.back();
    std::vector<uint16_t> presented(800 * 600);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        dx.background->Draw(back, 0, 0, 0);
        for (const auto& p : keyed) dx.sprites->Draw(back, p.x, p.y, p.pattern);
        dx.drawAlpha(alpha, 128);
        dx.dxdraw.Flip();
        const auto t1 = Clock::now();
        SDL_BlitSurface(sdl.bg, nullptr, sdl.back, nullptr);
        for (const auto& p : keyedSdl) SDLScene::blit(sdl.sheet, sdl.back, p);
        for (const auto& p : alphaSdl) SDLScene::blit(sdl.alphaSheet, sdl.back, p);
        for (int y = 0; y < 600; ++y)
            std::memcpy(presented.data() + y * 800, static_cast<uint8_t*>(sdl.back->pixels) + y * sdl.back->pitch, 1600);
        benchmark::DoNotOptimize(presented.data());
        const auto t2 = Clock::now();
        ours += Micros(t0, t1), theirs += Micros(t1, t2);
    }
    state.counters["ours_us"] = ours / double(state.iterations());
    state.counters["sdl_us"] = theirs / double(state.iterations());
    state.counters["ratio"] = theirs / ours;
}

// The blended sprites alone, fading: what one blended draw costs, set-up included.
void BM_Alpha(benchmark::State& state) {
    DXScene dx;
    SDLScene sdl;
    const auto alpha = Positions(kSprites, dx.sprites->PatternCount());
    const auto alphaSdl = Positions(kSprites, 32);
    int fade = 0;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const int a = 1 + (fade++ & 127);
        const auto t0 = Clock::now();
        dx.drawAlpha(alpha, a);
        const auto t1 = Clock::now();
        SDL_SetSurfaceAlphaMod(sdl.alphaSheet, uint8_t(a));
        for (const auto& p : alphaSdl) SDLScene::blit(sdl.alphaSheet, sdl.back, p);
        const auto t2 = Clock::now();
        ours += Micros(t0, t1), theirs += Micros(t1, t2);
    }
    state.counters["ours_us"] = ours / double(state.iterations());
    state.counters["sdl_us"] = theirs / double(state.iterations());
    state.counters["ratio"] = theirs / ours;
}

BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_Alpha)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
