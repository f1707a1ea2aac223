// The pipeline machine and the stretched blend, on every backend: the worked
// values, the compiler's simplifications, refused trees and the draw geometry.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "PixelFixtures.h"
#include "media/DXRender.h"

using namespace media;
using pixeltest::get16;
using pixeltest::GuardedPixels;
using pixeltest::put16;

namespace {

enum class Mode { Interpreter, GeneratedSimd, GeneratedPlain };

class Pipeline : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        savedMMX_ = MMXAvailable;
        const Mode mode = GetParam();
        if (mode != Mode::Interpreter && !CodeGenerationAvailable()) GTEST_SKIP() << "no code generation here";
        MMXAvailable = mode == Mode::GeneratedSimd && savedMMX_;
        backend_ = mode == Mode::Interpreter ? TDXRMachine::TBackend::Interpreter : TDXRMachine::TBackend::Generated;
        machine_ = std::make_unique<TDXRMachine>();
        machine_->SetPreferredBackend(backend_);
        RenderMachine().SetPreferredBackend(backend_);
    }
    void TearDown() override { MMXAvailable = savedMMX_; }

    TDXRMachine& m() { return *machine_; }
    void compile(TDXRNode* root) {
        m().Compile(root);
        EXPECT_EQ(m().Backend(), backend_);
    }

    bool savedMMX_ = false;
    TDXRMachine::TBackend backend_{};
    std::unique_ptr<TDXRMachine> machine_;
};

TDXRSurface rgb565(void* bits, int w, int h, int pitch) {
    TDXRSurface s;
    MakeRGBRenderSurface(s, w, h, 16, bits, pitch, 0xF800, 0x07E0, 0x001F, 0);
    return s;
}
TDXRSurface rgb888x(void* bits, int w, int h, int pitch, uint32_t alpha = 0) {
    TDXRSurface s;
    MakeRGBRenderSurface(s, w, h, 32, bits, pitch, 0xFF0000, 0xFF00, 0xFF, alpha);
    return s;
}

TEST_P(Pipeline, AlphaBlendOf565At128UsesThePairAndTheSingleForm) {
    uint16_t src[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};  // 248/252/248
    uint16_t dst[4] = {0, 0, 0, 0};
    const TDXRSurface s = rgb565(src, 2, 2, 4), d = rgb565(dst, 2, 2, 4);
    StretchBlendRect(d, s, {0, 0, 2, 2}, {0, 0, 2, 2}, 10, 128, false, 0);
    // red (248 x 128) >> 8 = 124 -> 15; green 126 -> 31; blue 0 + floor(248 x 128 / 256) = 124 -> 15
    for (uint16_t p : dst) EXPECT_EQ(p, (15 << 11) | (31 << 5) | 15);
}

TEST_P(Pipeline, KeyedTexelsLeaveTheDestinationAlone) {
    uint16_t src[4] = {0x1234, 0, 0xFFFF, 0};
    uint16_t dst[4] = {0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD};
    const TDXRSurface s = rgb565(src, 4, 1, 8), d = rgb565(dst, 4, 1, 8);
    StretchBlendRect(d, s, {0, 0, 4, 1}, {0, 0, 4, 1}, 10, 200, true, 0x1234);
    EXPECT_EQ(dst[0], 0xAAAA);
    EXPECT_NE(dst[1], 0xBBBB);
    EXPECT_NE(dst[2], 0xCCCC);
    StretchBlendRect(d, s, {0, 0, 4, 1}, {0, 0, 4, 1}, 1, 255, true, 0);  // direct copy, key 0
    EXPECT_EQ(dst[0], 0x1234);
    EXPECT_EQ(dst[2], 0xFFFF);
    EXPECT_NE(dst[1], 0);
    EXPECT_NE(dst[3], 0);
}

TEST_P(Pipeline, OneBitTexelsReadFromTheMostSignificantBit) {
    uint8_t bits[1] = {0x80};
    TDXRSurface tex;
    MakeIndexedRenderSurface(tex, 8, 1, 1, bits, 1, 1, 0);
    tex.Indexed.Palette[1] = {255, 255, 255, 0};
    uint32_t out[8] = {};
    const TDXRSurface d = rgb888x(out, 8, 1, 32);
    m().Reset();
    m().Dest = &d;
    m().TextureUnits[0].Surface = &tex;
    m().TextureUnits[0].DU = 0x10000;
    compile(m().NewTextureNode(0));
    m().Run(8);
    EXPECT_EQ(out[0], 0xFFFFFFu);
    for (int i = 1; i < 8; ++i) EXPECT_EQ(out[i], 0u) << i;
    EXPECT_EQ(m().TextureUnits[0].U, 8 * 0x10000);
}

TEST_P(Pipeline, BilinearFilterOfAUniformTextureGives253) {
    uint32_t tex[16];
    for (auto& p : tex) p = 0xFFFFFFFF;
    const TDXRSurface t = rgb888x(tex, 4, 4, 16, 0xFF000000);
    uint32_t out[3] = {};
    const TDXRSurface d = rgb888x(out, 3, 1, 12);
    m().Reset();
    m().Dest = &d;
    auto& u = m().TextureUnits[0];
    u.Surface = &t;
    u.Filter = 1;
    u.U = 0x8000;
    u.V = 0x4000;
    u.DU = 0x12345;
    compile(m().NewTextureNode(0));
    m().Run(3);
    for (uint32_t p : out) EXPECT_EQ(p, 0xFDFDFDu);
}

TEST_P(Pipeline, DitherOfFourInto5Bits) {
    uint16_t dst[4] = {};
    const TDXRSurface d = rgb565(dst, 2, 2, 4);
    for (int y = 0; y < 2; ++y) {
        m().Reset();
        m().Dest = &d;
        m().Dither = true;
        m().ColorRegisters[0].Value = {{4 << 8, 0, 0, 0}};
        TDXRNode* r = m().NewNode(dxrnkRegister);
        compile(r);
        EXPECT_EQ(m().Form(), TDXRMachine::TForm::General);
        m().Y = y;
        m().Run(2);
        EXPECT_EQ(m().X, 2);
    }
    EXPECT_EQ(dst[0] >> 11, 1);  // even X, even Y
    EXPECT_EQ(dst[1] >> 11, 0);
    EXPECT_EQ(dst[2] >> 11, 0);
    EXPECT_EQ(dst[3] >> 11, 1);  // odd X, odd Y
}

TEST_P(Pipeline, ConstantFillWritesExactlyItsPixels) {
    for (int start = 0; start < 4; ++start) {
        for (int count = 1; count <= 5; ++count) {
            GuardedPixels px(1, 2 * (start + count), 2 * (start + count));
            std::memset(px.low(), 0xEE, px.size());
            const TDXRSurface d = rgb565(px.row0(), start + count, 1, px.pitch());
            m().Reset();
            m().Dest = &d;
            m().ColorRegisters[2].Value = {{0xFF00, 0, 0xFF00, 0}};
            TDXRNode* r = m().NewNode(dxrnkRegister);
            r->Register = 2;
            compile(r);
            EXPECT_EQ(m().Form(), TDXRMachine::TForm::ConstantFill);
            m().X = start;
            m().Run(count);
            for (int i = 0; i < start; ++i) EXPECT_EQ(get16(px.row0() + 2 * i), 0xEEEE);
            for (int i = start; i < start + count; ++i) EXPECT_EQ(get16(px.row0() + 2 * i), 0xF81F);
            EXPECT_EQ(m().X, start);  // a fill advances nothing
        }
    }
}

TEST_P(Pipeline, CompilerPropagatesAndSimplifies) {
    uint16_t dst[4] = {0x1111, 0x2222, 0x3333, 0x4444};
    uint16_t src[4] = {0xF800, 0xF800, 0xF800, 0xF800};
    const TDXRSurface d = rgb565(dst, 4, 1, 8), s = rgb565(src, 4, 1, 8);
    auto fresh = [&] {
        m().Reset();
        m().Dest = &d;
        m().TextureUnits[0].Surface = &s;
    };
    fresh();
    TDXRNode* t = m().NewTextureNode(0);
    TDXRNode* dn = m().NewNode(dxrnkDest);
    TDXRNode* root = m().NewBlendNode(10, t, dn);
    compile(root);
    EXPECT_EQ(root->Channels, 7);
    EXPECT_EQ(t->Channels, 15);
    EXPECT_EQ(dn->Channels, 7);
    EXPECT_EQ(m().TextureUnits[0].Channels, 7);  // the source has no alpha

    fresh();
    t = m().NewTextureNode(0);
    EXPECT_EQ(m().Compile(m().NewBlendNode(1, t, m().NewNode(dxrnkDest))), t);
    EXPECT_EQ(m().Form(), TDXRMachine::TForm::DirectCopy);
    fresh();
    dn = m().NewNode(dxrnkDest);
    EXPECT_EQ(m().Compile(m().NewBlendNode(2, m().NewTextureNode(0), dn)), dn);
    EXPECT_FALSE(m().TextureUnits[0].Used);

    fresh();
    TDXRNode* x = m().NewNode(dxrnkDest);
    EXPECT_EQ(m().Compile(m().NewBlendNode(3, x, m().NewNode(dxrnkZero))), x);
    fresh();
    x = m().NewNode(dxrnkDest);
    EXPECT_EQ(m().Compile(m().NewBlendNode(3, m().NewNode(dxrnkZero), x)), x);
    fresh();
    x = m().NewNode(dxrnkDest);
    EXPECT_EQ(m().Compile(m().NewBlendNode(4, x, m().NewNode(dxrnkZero))), x);
    fresh();
    EXPECT_EQ(m().Compile(m().NewBlendNode(4, m().NewNode(dxrnkZero), m().NewNode(dxrnkDest)))->Kind, dxrnkZero);

    // Operation 7 never reads its right operand.
    fresh();
    TDXRNode* reg = m().NewNode(dxrnkRegister);
    reg->Register = 5;
    m().ColorRegisters[5].Gradient = true;
    m().ColorRegisters[5].Step = {{0x100, 0, 0, 0}};
    compile(m().NewBlendNode(7, m().NewTextureNode(0), reg));
    EXPECT_FALSE(m().ColorRegisters[5].Used);
    EXPECT_EQ(m().UsedRegisterCount(), 0);

    // Operation 0 clears every pixel of the run.
    fresh();
    compile(m().NewBlendNode(0, m().NewTextureNode(0), m().NewNode(dxrnkDest)));
    m().Run(4);
    for (uint16_t p : dst) EXPECT_EQ(p, 0);

    // Run(0), and Run before a compile, do nothing.
    dst[0] = 0x5555;
    fresh();
    compile(m().NewBlendNode(1, m().NewTextureNode(0), m().NewNode(dxrnkDest)));
    m().Run(0);
    m().Reset();
    m().Run(4);
    EXPECT_EQ(dst[0], 0x5555);
}

TEST_P(Pipeline, ARegisterStaysUsedWhenALaterReaderAsksNothing) {
    uint16_t dst[3] = {};
    const TDXRSurface d = rgb565(dst, 3, 1, 6);
    m().Reset();
    m().Dest = &d;
    auto& r = m().ColorRegisters[0];
    r.Value = {{0xF800, 0, 0, 0}};
    r.Step = {{0xF000, 0x0100, 0, 0}};
    r.Gradient = true;
    TDXRNode* first = m().NewNode(dxrnkRegister);
    TDXRNode* second = m().NewNode(dxrnkRegister);  // asked nothing: only alpha of op 12's left
    TDXRNode* inner = m().NewBlendNode(12, second, m().NewNode(dxrnkDest));
    compile(m().NewBlendNode(12, first, inner));
    EXPECT_EQ(second->Channels, 0);
    EXPECT_TRUE(r.Used);
    m().Run(3);
    EXPECT_EQ(r.Value.Words[0], static_cast<uint16_t>(0xF800 + 3 * 0xF000));
    EXPECT_EQ(r.Value.Words[1], 0x0300);
    EXPECT_EQ(dst[0] >> 11, 31);
    EXPECT_EQ(dst[1] >> 11, 0xE8 >> 3);
}

TEST_P(Pipeline, TreesBeyondTheMachineAreRefused) {
    uint16_t dst[2] = {};
    const TDXRSurface d = rgb565(dst, 2, 1, 4);
    m().Reset();
    for (int i = 0; i < TDXRMachine::MaxNodes; ++i) m().NewNode(dxrnkZero);
    EXPECT_THROW(m().NewNode(dxrnkZero), EDXRenderError);

    auto expectRefused = [&](auto build) {
        m().Reset();
        m().Dest = &d;
        TDXRNode* root = build();
        EXPECT_THROW(m().Compile(root), EDXRenderError);
        EXPECT_FALSE(m().Compiled());
    };
    expectRefused([&] {
        TDXRNode* r = m().NewNode(dxrnkRegister);
        r->Register = 8;
        return r;
    });
    expectRefused([&] { return m().NewTextureNode(9); });
    expectRefused([&] { return m().NewTextureNode(1); });  // no surface
    expectRefused([&] {
        TDXRNode* shared = m().NewNode(dxrnkDest);
        return m().NewBlendNode(3, shared, shared);
    });
    expectRefused([&] {
        TDXRNode* b = m().NewBlendNode(3, m().NewNode(dxrnkDest), m().NewNode(dxrnkDest));
        b->Op = 15;
        return b;
    });
    expectRefused([&] {
        TDXRNode* b = m().NewBlendNode(3, m().NewNode(dxrnkDest), m().NewNode(dxrnkDest));
        b->Left = b;  // a cycle
        return b;
    });
    EXPECT_THROW(m().NewBlendNode(16, nullptr, nullptr), EDXRenderError);

    // Nothing to draw on, or a palette destination that would need packing.
    uint8_t idx[2] = {};
    TDXRSurface pal;
    MakeIndexedRenderSurface(pal, 2, 1, 8, idx, 2, 0xFF, 0);
    m().Reset();
    EXPECT_THROW(m().Compile(m().NewNode(dxrnkDest)), EDXRenderError);
    m().Reset();
    m().Dest = &pal;
    EXPECT_THROW(m().Compile(m().NewNode(dxrnkZero)), EDXRenderError);
    // A raw copy onto a palette surface of the same format is fine.
    uint8_t src[2] = {7, 9};
    TDXRSurface palSrc;
    MakeIndexedRenderSurface(palSrc, 2, 1, 8, src, 2, 0xFF, 0);
    m().Reset();
    m().Dest = &pal;
    m().TextureUnits[0].Surface = &palSrc;
    m().TextureUnits[0].DU = 0x10000;
    compile(m().NewTextureNode(0));
    m().Run(2);
    EXPECT_EQ(idx[0], 7);
    EXPECT_EQ(idx[1], 9);
}

// A w x h 565 source whose texel (x, y) is x + 32 y, drawn by op 1 onto a 565 destination.
struct StretchCase {
    std::vector<uint16_t> src, dst;
    TDXRSurface s, d;
    StretchCase(int sw, int sh, int dw, int dh) : src(sw * sh), dst(dw * dh, 0xFFFF) {
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) src[y * sw + x] = static_cast<uint16_t>(x + 32 * y);
        s = rgb565(src.data(), sw, sh, 2 * sw);
        d = rgb565(dst.data(), dw, dh, 2 * dw);
    }
    uint16_t at(int x, int y) const { return dst[y * d.Width + x]; }
    bool untouched() const {
        for (uint16_t p : dst)
            if (p != 0xFFFF) return false;
        return true;
    }
};

TEST_P(Pipeline, StretchGeometry) {
    {
        StretchCase c(10, 10, 20, 20);
        StretchBlendRect(c.d, c.s, {0, 0, 20, 20}, {0, 0, 10, 10}, 1, 255, false, 0);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(c.at(x, y), x / 2 + 32 * (y / 2)) << x << "," << y;
    }
    {
        StretchCase c(20, 20, 10, 10);
        StretchBlendRect(c.d, c.s, {0, 0, 10, 10}, {0, 0, 20, 20}, 1, 255, false, 0);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) ASSERT_EQ(c.at(x, y), 2 * x + 32 * 2 * y);
    }
    {
        StretchCase c(10, 4, 10, 4);
        StretchBlendRect(c.d, c.s, {-5, 0, 5, 4}, {0, 0, 10, 4}, 1, 255, false, 0);
        EXPECT_EQ(c.at(0, 0), 5);
        EXPECT_EQ(c.at(4, 3), 9 + 32 * 3);
        EXPECT_EQ(c.at(5, 0), 0xFFFF);
    }
    {
        StretchCase c(10, 10, 8, 8);
        StretchBlendRect(c.d, c.s, {4, 5, 14, 15}, {0, 0, 10, 10}, 1, 255, false, 0);
        EXPECT_EQ(c.at(4, 5), 0);
        EXPECT_EQ(c.at(7, 7), 3 + 32 * 2);
        EXPECT_EQ(c.at(3, 5), 0xFFFF);
    }
    auto drawsNothing = [&](TDXRRect dr, TDXRRect sr) {
        StretchCase c(10, 10, 8, 8);
        StretchBlendRect(c.d, c.s, dr, sr, 1, 255, false, 0);
        return c.untouched();
    };
    EXPECT_TRUE(drawsNothing({-20, 0, -10, 8}, {0, 0, 10, 10}));  // wholly left
    EXPECT_TRUE(drawsNothing({0, -20, 8, -1}, {0, 0, 10, 10}));   // wholly above
    EXPECT_TRUE(drawsNothing({0, 0, 8, 8}, {1, 0, 11, 10}));      // one past the source's edge
    EXPECT_TRUE(drawsNothing({5, 0, 5, 8}, {0, 0, 10, 10}));      // empty
    EXPECT_TRUE(drawsNothing({5, 8, 2, 0}, {0, 0, 10, 10}));      // inverted
    EXPECT_TRUE(drawsNothing({0, 0, 8, 8}, {3, 0, 3, 10}));
    EXPECT_TRUE(drawsNothing({0, 0, 8, 8}, {INT_MIN, 0, 10, 10}));
    // Rectangles whose widths overflow 32 bits: computed in 64 bits, the step is 0 and
    // every pixel takes the first column, inside the source.
    for (const TDXRRect dr : {TDXRRect{INT_MIN, 0, INT_MAX, 8}, TDXRRect{-INT_MAX, 0, 1, 1}}) {
        StretchCase c(10, 10, 8, 8);
        StretchBlendRect(c.d, c.s, dr, {0, 0, 10, 10}, 1, 255, false, 0);
        EXPECT_EQ(c.at(0, 0), 0);
        if (dr.Right > 1) {
            EXPECT_EQ(c.at(7, 0), 0);
        }
    }
}

TEST_P(Pipeline, AlphaZeroStillRewritesThroughThePairForm) {
    uint32_t src[1] = {0};
    uint32_t dst[1] = {0xFFFFFF};
    const TDXRSurface s = rgb888x(src, 1, 1, 4), d = rgb888x(dst, 1, 1, 4);
    StretchBlendRect(d, s, {0, 0, 1, 1}, {0, 0, 1, 1}, 10, 0, false, 0);
    EXPECT_EQ(dst[0], 0xFEFEFFu);  // red, green paired: 254; blue alone: 255
}

INSTANTIATE_TEST_SUITE_P(Backends, Pipeline,
                         ::testing::Values(Mode::Interpreter, Mode::GeneratedSimd, Mode::GeneratedPlain),
                         [](const auto& info) {
                             switch (info.param) {
                                 case Mode::Interpreter: return "Interpreter";
                                 case Mode::GeneratedSimd: return "GeneratedSimd";
                                 default: return "GeneratedPlain";
                             }
                         });

}  // namespace
