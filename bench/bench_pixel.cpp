// The alpha draws of the game against pixman and SDL2's blitter, on 800x600 RGB565:
// a constant-alpha keyed blend (operation 10), a keyed copy and a stretched copy.
// Each case runs the generated code, the interpreter, pixman and SDL2; the ratios
// are printed at the end of the one run.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "media/DXRender.h"

using namespace media;

namespace {

constexpr int W = 800, H = 600;
constexpr uint16_t Key = 0xF81F;  // magenta
constexpr int Alpha = 128;

struct Images {
    std::vector<uint16_t> src, srcSmall, dst, srcA1;  // srcA1: the source as a1r5g5b5, key = alpha 0
    Images() : src(W * H), srcSmall(W / 2 * H / 2), dst(W * H), srcA1(W * H) {
        std::mt19937 rng(7);
        // Sprite-like content: runs of colour with keyed holes.
        auto fill = [&](std::vector<uint16_t>& v) {
            for (std::size_t i = 0; i < v.size(); ++i) v[i] = (rng() % 4 == 0) ? Key : static_cast<uint16_t>(rng());
        };
        fill(src);
        fill(srcSmall);
        for (auto& p : dst) p = static_cast<uint16_t>(rng());
        for (std::size_t i = 0; i < src.size(); ++i) {
            const uint16_t p = src[i];
            srcA1[i] = p == Key ? 0 : static_cast<uint16_t>(0x8000 | ((p >> 1) & 0x7FE0) | (p & 0x1F));
        }
    }
};
Images& images() {
    static Images i;
    return i;
}

TDXRSurface rgb565(uint16_t* p, int w, int h) {
    TDXRSurface s;
    MakeRGBRenderSurface(s, w, h, 16, p, 2 * w, 0xF800, 0x07E0, 0x001F, 0);
    return s;
}

enum Case { AlphaKeyed, KeyedCopy, Stretched };
const char* caseName[] = {"alpha_keyed", "keyed_copy", "stretched"};

void drawDXR(Case c, TDXRMachine::TBackend backend) {
    Images& im = images();
    RenderMachine().SetPreferredBackend(backend);
    const TDXRSurface d = rgb565(im.dst.data(), W, H);
    if (c == Stretched) {
        const TDXRSurface s = rgb565(im.srcSmall.data(), W / 2, H / 2);
        StretchBlendRect(d, s, {0, 0, W, H}, {0, 0, W / 2, H / 2}, 1, 255, false, 0);
        return;
    }
    const TDXRSurface s = rgb565(im.src.data(), W, H);
    StretchBlendRect(d, s, {0, 0, W, H}, {0, 0, W, H}, c == AlphaKeyed ? 10 : 1, c == AlphaKeyed ? Alpha : 255,
                     true, Key);
}

void BM_Generated(benchmark::State& st) {
    const Case c = static_cast<Case>(st.range(0));
    for (auto _ : st) drawDXR(c, TDXRMachine::TBackend::Generated);
    if (RenderMachine().Backend() != TDXRMachine::TBackend::Generated) st.SkipWithError("no generated code");
}
void BM_Interpreter(benchmark::State& st) {
    const Case c = static_cast<Case>(st.range(0));
    for (auto _ : st) drawDXR(c, TDXRMachine::TBackend::Interpreter);
}

void BM_Pixman(benchmark::State& st) {
    const Case c = static_cast<Case>(st.range(0));
    Images& im = images();
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(im.dst.data()), 2 * W);
    const bool small = c == Stretched;
    // pixman has no colour key: its keyed copy is OVER from a 1-bit-alpha source.
    pixman_image_t* src =
        c == KeyedCopy
            ? pixman_image_create_bits(PIXMAN_a1r5g5b5, W, H, reinterpret_cast<uint32_t*>(im.srcA1.data()), 2 * W)
            : pixman_image_create_bits(PIXMAN_r5g6b5, small ? W / 2 : W, small ? H / 2 : H,
                                       reinterpret_cast<uint32_t*>(small ? im.srcSmall.data() : im.src.data()),
                                       small ? W : 2 * W);
    pixman_image_t* mask = nullptr;
    if (c == AlphaKeyed) {
        pixman_color_t a = {0, 0, 0, static_cast<uint16_t>(Alpha * 257)};
        mask = pixman_image_create_solid_fill(&a);
    }
    if (small) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
        pixman_image_set_transform(src, &t);
        pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    }
    const pixman_op_t op = c == Stretched ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
    for (auto _ : st) pixman_image_composite(op, src, mask, dst, 0, 0, 0, 0, 0, 0, W, H);
    if (mask) pixman_image_unref(mask);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void BM_SDL(benchmark::State& st) {
    const Case c = static_cast<Case>(st.range(0));
    Images& im = images();
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(im.dst.data(), W, H, 16, 2 * W, SDL_PIXELFORMAT_RGB565);
    const bool small = c == Stretched;
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(small ? im.srcSmall.data() : im.src.data(),
                                                          small ? W / 2 : W, small ? H / 2 : H, 16, small ? W : 2 * W,
                                                          SDL_PIXELFORMAT_RGB565);
    if (c != Stretched) SDL_SetColorKey(src, SDL_TRUE, Key);
    if (c == AlphaKeyed) {
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(src, Alpha);
    } else {
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    }
    SDL_Rect full{0, 0, W, H};
    for (auto _ : st) {
        SDL_Rect r = full;
        if (small) SDL_BlitScaled(src, nullptr, dst, &r);
        else SDL_BlitSurface(src, nullptr, dst, &r);
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}

BENCHMARK(BM_Generated)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Interpreter)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SDL)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Collects the times of the run to print the ratios.
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
    std::printf("\nRatios (time of the peer / time of the generated code; above 1 = generated is faster)\n");
    std::printf("%-12s %12s %12s %12s\n", "case", "interpreter", "pixman", "SDL2");
    for (int c = 0; c < 3; ++c) {
        const std::string n = "/" + std::to_string(c);
        auto t = [&](const char* who) {
            auto it = reporter.times.find(std::string(who) + n);
            return it == reporter.times.end() ? 0.0 : it->second;
        };
        const double g = t("BM_Generated");
        if (g <= 0) continue;
        std::printf("%-12s %12.2f %12.2f %12.2f\n", caseName[c], t("BM_Interpreter") / g, t("BM_Pixman") / g,
                    t("BM_SDL") / g);
    }
    benchmark::Shutdown();
    return 0;
}
