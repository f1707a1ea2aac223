// The routine cache of the pipeline machine: how many routines the draws of a game
// generate, that one routine serves every alpha, position, size and pitch, what makes
// a new one, and that a full or too small cache still draws exactly what the
// interpreter draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "PixelFixtures.h"
#include "media/DXRender.h"

using namespace media;

namespace {

constexpr uint16_t Magenta = 0xF81F;

struct Image {
    int width, height;
    std::vector<uint16_t> pixels;
    TDXRSurface desc{};
    Image(int w, int h, uint32_t seed, int pad = 0) : width(w), height(h), pixels((w + pad) * h) {
        std::mt19937 rng(seed);
        for (auto& p : pixels) p = rng() % 4 == 0 ? Magenta : static_cast<uint16_t>(rng());
        MakeRGBRenderSurface(desc, w, h, 16, pixels.data(), 2 * (w + pad), 0xF800, 0x07E0, 0x001F, 0);
    }
};

// The same destination twice: one drawn by generated code, one by the interpreter.
struct Pair {
    Image gen, ref;
    explicit Pair(int w, int h, int pad = 0) : gen(w, h, 99, pad), ref(w, h, 99, pad) {}
    bool same() const { return gen.pixels == ref.pixels; }
};

class DXRenderCache : public pixeltest::SimdParam {
protected:
    void SetUp() override {
        SimdParam::SetUp();
        gen_.SetPreferredBackend(TDXRMachine::TBackend::Generated);
        ref_.SetPreferredBackend(TDXRMachine::TBackend::Interpreter);
    }

    // Draws on both destinations; answers whether they agree.
    bool draw(Pair& dest, const Image& src, TDXRRect destRect, TDXRRect srcRect, uint8_t op, int alpha,
              bool transparent = true, uint32_t key = Magenta) {
        StretchBlendRect(gen_, dest.gen.desc, src.desc, destRect, srcRect, op, alpha, transparent, key);
        if (gen_.Compiled() && gen_.Backend() != TDXRMachine::TBackend::Generated) ++interpreted_;
        StretchBlendRect(ref_, dest.ref.desc, src.desc, destRect, srcRect, op, alpha, transparent, key);
        return dest.same();
    }

    TDXRMachine gen_, ref_;
    int interpreted_ = 0;
};

TEST_P(DXRenderCache, RepeatedDrawsGenerateOnce) {
    Pair screen(96, 64);
    const Image sheet(64, 34, 1);
    EXPECT_EQ(gen_.GeneratedRoutines(), 0u);
    for (int i = 0; i < 60; ++i) {
        const int x = (i * 37) % 110 - 20, y = (i * 23) % 80 - 10;  // some clipped at every edge
        const int pattern = i % 4;
        ASSERT_TRUE(draw(screen, sheet, {x, y, x + 32, y + 17}, {pattern % 2 * 32, pattern / 2 * 17, pattern % 2 * 32 + 32,
                                                                 pattern / 2 * 17 + 17},
                         10, 128))
            << "draw " << i;
    }
    EXPECT_EQ(gen_.GeneratedRoutines(), 1u);
    EXPECT_EQ(gen_.CachedRoutines(), 1u);
    EXPECT_EQ(gen_.CodeCacheFlushes(), 0u);
    EXPECT_GT(gen_.CodeSize(), 0u);
}

TEST_P(DXRenderCache, FadingMovingSpritesOfAnyWidthShareOneRoutine) {
    // Alpha, position, sprite size and both pitches change from draw to draw: all of
    // them are read when the routine runs.
    Pair wide(120, 40), narrow(50, 30, 3);
    const Image sheetA(64, 34, 2), sheetB(45, 20, 3, 5);
    for (int alpha = 0; alpha < 255; alpha += 3) {
        Pair& dest = alpha % 2 ? wide : narrow;
        const Image& src = alpha % 3 ? sheetA : sheetB;
        const int w = 8 + alpha % 29, h = 3 + alpha % 17;
        const int x = alpha % 60 - 10, y = alpha % 25 - 5;
        ASSERT_TRUE(draw(dest, src, {x, y, x + w, y + h}, {1, 2, 1 + w, 2 + h}, 10, alpha)) << "alpha " << alpha;
    }
    EXPECT_EQ(gen_.GeneratedRoutines(), 1u);
}

TEST_P(DXRenderCache, ZoomsShareTheRoutineOfTheirStepKind) {
    Pair screen(160, 90);
    const Image sheet(40, 30, 4);
    // Steps of 1 and 1/2 are compiled in; every other step is read from the machine.
    for (int size = 10; size <= 80; ++size) {
        ASSERT_TRUE(draw(screen, sheet, {5, 3, 5 + size, 3 + size}, {0, 0, 20, 20}, 10, 90)) << "size " << size;
        ASSERT_TRUE(draw(screen, sheet, {-7, 2, -7 + size, 2 + size}, {10, 5, 30, 25}, 1, 255)) << "size " << size;
    }
    EXPECT_LE(gen_.GeneratedRoutines(), 6u);  // 1 : 1, 2 : 1 and the rest, for each operation
    EXPECT_GE(gen_.GeneratedRoutines(), 4u);
}

TEST_P(DXRenderCache, WhatTheCodeBakesInMakesItsOwnRoutine) {
    Pair screen(64, 32);
    const Image sheet(32, 16, 5);
    uint32_t wide[32 * 16] = {};
    TDXRSurface wideDesc;
    MakeRGBRenderSurface(wideDesc, 32, 16, 32, wide, 128, 0xFF0000, 0xFF00, 0xFF, 0);
    const TDXRRect all{0, 0, 32, 16};
    auto generatedBy = [&](auto drawIt) {
        const std::size_t before = gen_.GeneratedRoutines();
        drawIt();
        return gen_.GeneratedRoutines() - before;
    };
    auto blend = [&](uint8_t op, bool transparent, uint32_t key) {
        return generatedBy([&] { EXPECT_TRUE(draw(screen, sheet, all, all, op, 77, transparent, key)); });
    };
    EXPECT_EQ(blend(10, true, Magenta), 1u);
    EXPECT_EQ(blend(1, true, Magenta), 1u);    // the operation
    EXPECT_EQ(blend(10, false, Magenta), 1u);  // keying on or off
    EXPECT_EQ(blend(10, true, 0x0000), 1u);    // the key
    EXPECT_EQ(generatedBy([&] { StretchBlendRect(gen_, wideDesc, sheet.desc, all, all, 10, 77, true, Magenta); }),
              1u);  // the destination's format
    const bool simd = MMXAvailable;
    MMXAvailable = !simd;
    EXPECT_EQ(blend(10, true, Magenta), 1u);  // the processor's SIMD
    MMXAvailable = simd;
    // Back to each of them: nothing new.
    EXPECT_EQ(blend(10, true, Magenta), 0u);
    EXPECT_EQ(blend(1, true, Magenta), 0u);
    EXPECT_EQ(blend(10, false, Magenta), 0u);
    EXPECT_EQ(blend(10, true, 0x0000), 0u);
    EXPECT_EQ(gen_.CachedRoutines(), 6u);
}

TEST_P(DXRenderCache, AFullCacheStartsAgainAndStillDraws) {
    Pair screen(48, 24);
    const Image sheet(32, 16, 6);
    const TDXRRect all{0, 0, 32, 16};
    // Bounded by count: ten keys cycled through a cache of three.
    gen_.SetCodeCacheLimits(3, std::size_t{1} << 20);
    for (int round = 0; round < 3; ++round)
        for (uint32_t key = 0; key < 10; ++key) {
            ASSERT_TRUE(draw(screen, sheet, {round, 0, round + 32, 16}, all, 10, 100, true, key * 0x0841));
            EXPECT_LE(gen_.CachedRoutines(), 3u);
        }
    EXPECT_EQ(gen_.GeneratedRoutines(), 30u);
    EXPECT_GE(gen_.CodeCacheFlushes(), 9u);

    // Bounded by space: one page holds only a few routines.
    gen_.SetCodeCacheLimits(1000, 4096);
    EXPECT_FALSE(gen_.Compiled());
    std::size_t largest = 0;
    for (int round = 0; round < 3; ++round)
        for (uint32_t key = 0; key < 12; ++key) {
            ASSERT_TRUE(draw(screen, sheet, {0, round, 32, round + 16}, all, key % 2 ? 10 : 1, 200, true, key * 0x0841));
            largest = std::max(largest, gen_.CodeSize());
        }
    ASSERT_GT(12 * largest, 4096u);
    EXPECT_GT(gen_.CodeCacheFlushes(), 0u);
    EXPECT_LT(gen_.CachedRoutines(), 12u);
    EXPECT_EQ(interpreted_, 0);
}

TEST_P(DXRenderCache, ARoutineLargerThanTheBufferIsInterpreted) {
    gen_.SetCodeCacheLimits(8, 4096);
    Pair screen(16, 4);
    const Image sheet(16, 4, 7);
    // A deep tree: forty saturated sums of the texture and the destination.
    auto deep = [](TDXRMachine& m, const TDXRSurface& dest, const TDXRSurface& src) {
        m.Reset();
        m.Dest = &dest;
        m.TextureUnits[0].Surface = &src;
        m.TextureUnits[0].DU = 0x10000;
        TDXRNode* n = m.NewNode(dxrnkDest);
        for (int i = 0; i < 40; ++i)
            n = m.NewBlendNode(i % 2 ? 3 : 6, n, i % 3 ? m.NewTextureNode(0) : m.NewNode(dxrnkDest));
        m.Compile(n);
        m.Run(16);
    };
    deep(gen_, screen.gen.desc, sheet.desc);
    EXPECT_TRUE(gen_.Compiled());
    EXPECT_EQ(gen_.Backend(), TDXRMachine::TBackend::Interpreter);
    deep(ref_, screen.ref.desc, sheet.desc);
    EXPECT_TRUE(screen.same());
    // A small tree still gets code.
    EXPECT_TRUE(draw(screen, sheet, {0, 0, 16, 4}, {0, 0, 16, 4}, 10, 60));
    EXPECT_EQ(gen_.Backend(), TDXRMachine::TBackend::Generated);
}

INSTANTIATE_TEST_SUITE_P(Simd, DXRenderCache, ::testing::Values(true, false), DXRenderCache::Name);

}  // namespace
