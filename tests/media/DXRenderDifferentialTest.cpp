// Seeded differential test: random trees, formats, keys, filters and runs, drawn by
// the generated code and by the interpreter; every destination byte, X, every unit's
// U/V and every register must agree. Surfaces end at guard pages.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "PixelFixtures.h"
#include "media/DXRender.h"

using namespace media;
using pixeltest::GuardedPixels;

namespace {

struct Format {
    int bits;
    bool indexed;
    uint32_t r, g, b, a;  // indexed: r = index mask, a = alpha mask
};

const Format textureFormats[] = {
    {1, true, 1, 0, 0, 0},         {2, true, 3, 0, 0, 0},          {4, true, 15, 0, 0, 0},
    {8, true, 0xFF, 0, 0, 0},      {16, true, 0xFF, 0, 0, 0xFF00}, {8, false, 0xE0, 0x1C, 0x03, 0},
    {16, false, 0xF800, 0x07E0, 0x1F, 0}, {16, false, 0x7C00, 0x03E0, 0x1F, 0},
    {16, false, 0x0F00, 0x00F0, 0x0F, 0xF000}, {24, false, 0xFF0000, 0xFF00, 0xFF, 0},
    {32, false, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {32, false, 0xFF0000, 0xFF00, 0xFF, 0},
    {4, false, 0x8, 0x4, 0x2, 0x1},
};
const Format destFormats[] = {
    {8, false, 0xE0, 0x1C, 0x03, 0},        {16, false, 0xF800, 0x07E0, 0x1F, 0},
    {16, false, 0x7C00, 0x03E0, 0x1F, 0},   {16, false, 0x0F00, 0x00F0, 0x0F, 0xF000},
    {24, false, 0xFF0000, 0xFF00, 0xFF, 0}, {32, false, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {32, false, 0xFF0000, 0xFF00, 0xFF, 0}, {32, false, 0xFF, 0xFF00, 0xFF0000, 0},
};

struct Surface {
    std::unique_ptr<GuardedPixels> pixels;
    TDXRSurface desc;
    int rowBytes = 0;
};

void makeSurface(Surface& s, const Format& f, int w, int h, bool negativePitch, std::mt19937& rng) {
    s.rowBytes = (w * f.bits + 7) / 8;
    const int pitch = (s.rowBytes + static_cast<int>(rng() % 3) * (f.bits >= 8 ? f.bits / 8 : 1)) *
                      (negativePitch ? -1 : 1);
    s.pixels = std::make_unique<GuardedPixels>(h, s.rowBytes, pitch);
    for (std::size_t i = 0; i < s.pixels->size(); ++i) s.pixels->low()[i] = static_cast<uint8_t>(rng());
    if (f.indexed)
        MakeIndexedRenderSurface(s.desc, w, h, f.bits, s.pixels->row0(), pitch, f.r, f.a);
    else
        MakeRGBRenderSurface(s.desc, w, h, f.bits, s.pixels->row0(), pitch, f.r, f.g, f.b, f.a);
    if (f.indexed)
        for (auto& e : s.desc.Indexed.Palette)
            e = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), 0};
}

uint32_t ColorKeyMaskOf(const TDXRSurface& s) {
    uint32_t mask = 0xFFFFFFFFu;
    if (const uint32_t a = s.Kind == dxrkIndexed ? s.Indexed.Alpha.Mask : s.RGB.Alpha.Mask) mask = ~a;
    if (s.BitCount == 32) mask &= 0xFFFFFF;
    return mask;
}

struct TreeNode {
    uint8_t kind = 0, op = 0;
    int reg = 0, unit = 0;
    TDXRColor color{};
    int left = -1, right = -1;
};

struct UnitSetup {
    TDXRTextureUnit unit;
    int surface = 0;
};

struct Run {
    int x, y, count;
    int32_t u[3], v[3];  // plain units start afresh each run
};

struct Scenario {
    uint32_t seed;
    Surface dest;
    std::vector<Surface> textures;
    std::vector<UnitSetup> units;
    TDXRColorRegister regs[4];
    std::vector<TreeNode> tree;  // tree[0] is the root
    bool dither = false;
    std::vector<Run> runs;
};

TDXRColor randomColor(std::mt19937& rng) {
    TDXRColor c;
    for (auto& w : c.Words) w = static_cast<uint16_t>(rng());
    return c;
}

int randomTree(Scenario& sc, std::mt19937& rng, int depth) {
    const int index = static_cast<int>(sc.tree.size());
    sc.tree.emplace_back();
    TreeNode n;
    const int pick = static_cast<int>(rng() % 10);
    if (depth < 4 && (depth == 0 || pick < 5)) {
        n.kind = dxrnkBlend;
        n.op = static_cast<uint8_t>(rng() % 15);
        const int l = randomTree(sc, rng, depth + 1);
        const int r = randomTree(sc, rng, depth + 1);
        n.left = l;
        n.right = r;
    } else {
        const int leaf = static_cast<int>(rng() % 8);
        if (leaf == 0) n.kind = dxrnkZero;
        else if (leaf == 1) n.kind = dxrnkRegister, n.reg = static_cast<int>(rng() % 4);
        else if (leaf == 2) n.kind = dxrnkColor, n.color = randomColor(rng);
        else if (leaf <= 5) n.kind = dxrnkTexture, n.unit = static_cast<int>(rng() % sc.units.size());
        else n.kind = dxrnkDest;
    }
    sc.tree[index] = n;
    return index;
}

// Largest start and step that keep `count` plain fetches (and their neighbours) inside `size`.
int32_t plainStart(std::mt19937& rng, int size, bool filtered, int32_t step, int count) {
    const int64_t limit = (int64_t{size - (filtered ? 1 : 0)} << 16) - 1 - int64_t{step} * (count - 1);
    return limit <= 0 ? 0 : static_cast<int32_t>(rng() % (limit + 1));
}

std::unique_ptr<Scenario> makeScenario(uint32_t seed) {
    std::mt19937 rng(seed);
    auto sc = std::make_unique<Scenario>();
    sc->seed = seed;
    const Format& df = destFormats[rng() % std::size(destFormats)];
    const int dw = 1 + static_cast<int>(rng() % 37), dh = 1 + static_cast<int>(rng() % 5);
    makeSurface(sc->dest, df, dw, dh, rng() % 2, rng);

    const int textureCount = 1 + static_cast<int>(rng() % 3);
    sc->textures.resize(textureCount);
    for (auto& t : sc->textures) {
        const Format& tf = textureFormats[rng() % std::size(textureFormats)];
        makeSurface(t, tf, 2 + static_cast<int>(rng() % 20), 2 + static_cast<int>(rng() % 6), rng() % 2, rng);
    }
    const int unitCount = 1 + static_cast<int>(rng() % 3);
    sc->units.resize(unitCount);
    for (auto& us : sc->units) {
        TDXRTextureUnit& u = us.unit;
        us.surface = static_cast<int>(rng() % textureCount);
        const TDXRSurface& s = sc->textures[us.surface].desc;
        u.Addressing = static_cast<uint8_t>(rng() % 2);
        u.Filter = rng() % 3 == 0 ? 1 : 0;
        u.ConstSteps = rng() % 2;
        u.Defaults = randomColor(rng);
        if (u.Addressing == dxraWrap) {
            u.U = static_cast<int32_t>(rng());
            u.V = static_cast<int32_t>(rng());
            u.DU = static_cast<int32_t>(rng()) >> (rng() % 16);
            u.DV = rng() % 2 ? 0 : static_cast<int32_t>(rng()) >> (rng() % 16);
        } else {
            const int maxRun = dw;
            u.DU = static_cast<int32_t>(rng() % ((int64_t{s.Width - 1 - u.Filter} << 16) / maxRun + 1));
            u.DV = rng() % 2 ? 0 : static_cast<int32_t>(rng() % ((int64_t{s.Height - 1 - u.Filter} << 16) / maxRun + 1));
        }
        u.ColorKeyOn = rng() % 2;
        // A key taken from the texture itself, so that it does match now and then.
        const uint8_t* row = static_cast<const uint8_t*>(s.Bits);
        uint32_t texel = 0;
        std::memcpy(&texel, row, s.BitCount >= 8 ? s.BitCount / 8 : 1);
        if (s.BitCount < 8) texel >>= 8 - s.BitCount;
        if (s.BitCount < 32) texel &= (1u << s.BitCount) - 1;
        uint32_t mask = 0xFFFFFFFFu;
        if (const uint32_t a = s.Kind == dxrkIndexed ? s.Indexed.Alpha.Mask : s.RGB.Alpha.Mask) mask = ~a;
        if (s.BitCount == 32) mask &= 0xFFFFFF;
        u.ColorKey = rng() % 4 ? texel & mask : static_cast<uint32_t>(rng());
    }
    for (auto& r : sc->regs) {
        r.Value = randomColor(rng);
        r.Step = randomColor(rng);
        r.Gradient = rng() % 2;
    }
    sc->dither = rng() % 3 == 0;
    randomTree(*sc, rng, 0);
    if (rng() % 6 == 0) {
        // Leaves at the root: the fill, the copy and the single-leaf general forms.
        sc->tree.resize(1);
        TreeNode& root = sc->tree[0];
        root = TreeNode{};
        root.kind = rng() % 2 ? dxrnkTexture : dxrnkRegister;
        root.reg = static_cast<int>(rng() % 4);
        if (rng() % 2 && root.kind == dxrnkTexture) {
            // Same format as the destination: the raw copy.
            sc->textures[sc->units[0].surface].desc.Kind = sc->dest.desc.Kind;
            TDXRSurface& t = sc->textures[sc->units[0].surface].desc;
            t.RGB.Red = sc->dest.desc.RGB.Red;
            t.RGB.Green = sc->dest.desc.RGB.Green;
            t.RGB.Blue = sc->dest.desc.RGB.Blue;
            t.RGB.Alpha = sc->dest.desc.RGB.Alpha;
            sc->units[0].unit.Filter = 0;
        }
    }

    if (rng() % 4 == 0) {
        // The game's own draw: a 16-bit texture blended by operation 10 (or copied) onto a
        // 16-bit destination, steps fixed, one row per run, often at the usual scales.
        const Format* sixteen[] = {&destFormats[1], &destFormats[2], &destFormats[3]};
        const Format& df16 = *sixteen[rng() % 3];
        makeSurface(sc->dest, df16, dw, dh, rng() % 2, rng);
        const Format& tf16 = rng() % 2 ? df16 : *sixteen[rng() % 3];
        sc->textures.resize(1);
        makeSurface(sc->textures[0], tf16, dw + 2, 2 + static_cast<int>(rng() % 4), rng() % 2, rng);
        sc->units.resize(1);
        TDXRTextureUnit& u = sc->units[0].unit;
        sc->units[0].surface = 0;
        u.Filter = 0;
        u.ConstSteps = true;
        u.DV = 0;
        const int32_t steps[] = {0x10000, 0x8000, 0x10000, static_cast<int32_t>(rng() % 0x10000)};
        u.DU = steps[rng() % 4];
        if (u.Addressing == dxraWrap && rng() % 2) u.Addressing = dxraPlain;
        const uint16_t* first = static_cast<const uint16_t*>(sc->textures[0].desc.Bits);
        u.ColorKey = rng() % 4 ? (first[rng() % 4] & ColorKeyMaskOf(sc->textures[0].desc)) : static_cast<uint32_t>(rng());
        // Make keyed texels frequent.
        auto* row = static_cast<uint16_t*>(sc->textures[0].desc.Bits);
        for (int i = 0; i < sc->textures[0].desc.Width; ++i)
            if (rng() % 3 == 0) row[i] = static_cast<uint16_t>(u.ColorKey);
        sc->dither = false;
        sc->tree.assign(1, TreeNode{});
        sc->tree[0].kind = dxrnkTexture;
        if (rng() % 3) {
            sc->tree[0] = TreeNode{};
            sc->tree[0].kind = dxrnkBlend;
            sc->tree[0].op = 10;
            sc->tree[0].left = 1;
            sc->tree[0].right = 2;
            TreeNode t, d;
            t.kind = dxrnkTexture;
            d.kind = dxrnkDest;
            sc->tree.push_back(t);
            sc->tree.push_back(d);
        }
    }

    const int runCount = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < runCount; ++i) {
        Run r{};
        r.count = 1 + static_cast<int>(rng() % dw);
        r.x = static_cast<int>(rng() % (dw - r.count + 1));
        r.y = static_cast<int>(rng() % dh);
        for (int k = 0; k < unitCount; ++k) {
            const TDXRTextureUnit& u = sc->units[k].unit;
            const TDXRSurface& s = sc->textures[sc->units[k].surface].desc;
            if (u.Addressing != dxraPlain) continue;
            r.u[k] = plainStart(rng, s.Width, u.Filter == 1, u.DU, r.count);
            r.v[k] = plainStart(rng, s.Height, u.Filter == 1, u.DV, r.count);
        }
        sc->runs.push_back(r);
    }
    return sc;
}

std::string describe(const Scenario& sc, int i = 0) {
    const TreeNode& n = sc.tree[i];
    std::ostringstream o;
    switch (n.kind) {
        case dxrnkZero: o << "zero"; break;
        case dxrnkRegister: o << "reg" << n.reg; break;
        case dxrnkColor: o << "color"; break;
        case dxrnkTexture: o << "tex" << n.unit; break;
        case dxrnkDest: o << "dest"; break;
        default: o << "blend" << int(n.op) << "(" << describe(sc, n.left) << ", " << describe(sc, n.right) << ")";
    }
    return o.str();
}

TDXRNode* buildTree(TDXRMachine& m, const Scenario& sc, int i) {
    const TreeNode& n = sc.tree[i];
    if (n.kind == dxrnkBlend) {
        TDXRNode* l = buildTree(m, sc, n.left);
        TDXRNode* r = buildTree(m, sc, n.right);
        return m.NewBlendNode(n.op, l, r);
    }
    TDXRNode* x = m.NewNode(n.kind);
    x->Register = n.reg;
    x->Unit = n.unit;
    x->Color = n.color;
    return x;
}

void setUp(TDXRMachine& m, const Scenario& sc, const TDXRSurface& dest) {
    m.Reset();
    m.Dest = &dest;
    for (int i = 0; i < 4; ++i) m.ColorRegisters[i] = sc.regs[i];
    for (std::size_t k = 0; k < sc.units.size(); ++k) {
        m.TextureUnits[k] = sc.units[k].unit;
        m.TextureUnits[k].Surface = &sc.textures[sc.units[k].surface].desc;
    }
    m.Dither = sc.dither;
    m.Compile(buildTree(m, sc, 0));
}

// Runs one scenario on both backends; answers an empty string or what differs. The
// generated side is one machine for many scenarios, so that its routines are reused
// by trees with other defaults, registers and surfaces.
std::string compare(const Scenario& sc, TDXRMachine& gen) {
    TDXRMachine ref;
    gen.SetPreferredBackend(TDXRMachine::TBackend::Generated);
    ref.SetPreferredBackend(TDXRMachine::TBackend::Interpreter);
    const std::vector<uint8_t> initial = sc.dest.pixels->snapshot();
    // A second destination with the same contents and geometry for the reference.
    GuardedPixels refPixels(sc.dest.desc.Height, sc.dest.rowBytes, sc.dest.desc.Pitch);
    refPixels.restore(initial);
    TDXRSurface refDest = sc.dest.desc;
    refDest.Bits = refPixels.row0();
    setUp(gen, sc, sc.dest.desc);
    setUp(ref, sc, refDest);
    if (gen.Backend() != TDXRMachine::TBackend::Generated) return "no generated code";

    std::ostringstream diff;
    for (std::size_t ri = 0; ri < sc.runs.size(); ++ri) {
        const Run& r = sc.runs[ri];
        for (TDXRMachine* m : {&gen, &ref}) {
            m->X = r.x;
            m->Y = r.y;
            for (std::size_t k = 0; k < sc.units.size(); ++k)
                if (sc.units[k].unit.Addressing == dxraPlain) {
                    m->TextureUnits[k].U = r.u[k];
                    m->TextureUnits[k].V = r.v[k];
                }
            m->Run(r.count);
        }
        const std::vector<uint8_t> a = sc.dest.pixels->snapshot(), b = refPixels.snapshot();
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) {
                diff << "run " << ri << ": byte " << i << " generated " << int(a[i]) << " interpreter " << int(b[i]);
                break;
            }
        if (gen.X != ref.X) diff << " X " << gen.X << " vs " << ref.X;
        for (std::size_t k = 0; k < sc.units.size(); ++k)
            if (gen.TextureUnits[k].U != ref.TextureUnits[k].U || gen.TextureUnits[k].V != ref.TextureUnits[k].V)
                diff << " unit " << k << " U/V differ";
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 4; ++c)
                if (gen.ColorRegisters[i].Value.Words[c] != ref.ColorRegisters[i].Value.Words[c])
                    diff << " register " << i << " word " << c << " differs";
        if (!diff.str().empty()) return diff.str();
    }
    return {};
}

class Differential : public pixeltest::SimdParam {};

TEST_P(Differential, GeneratedCodeEqualsTheInterpreter) {
    int failures = 0, fills = 0, copies = 0;
    TDXRMachine gen;
    for (uint32_t seed = 1; seed <= 4000 && failures < 5; ++seed) {
        auto sc = makeScenario(seed * 2654435761u + (GetParam() ? 1 : 0));
        const std::string d = compare(*sc, gen);
        if (!d.empty()) {
            ++failures;
            ADD_FAILURE() << "seed " << sc->seed << " tree " << describe(*sc) << ": " << d;
        }
        {
            TDXRMachine probe;
            probe.SetPreferredBackend(TDXRMachine::TBackend::Interpreter);
            setUp(probe, *sc, sc->dest.desc);
            fills += probe.Form() == TDXRMachine::TForm::ConstantFill;
            copies += probe.Form() == TDXRMachine::TForm::DirectCopy;
        }
    }
    // The draw covered every form.
    EXPECT_GT(fills, 10);
    EXPECT_GT(copies, 10);
}

// A routine found in the cache draws with the values of its own draw: the same tree
// and formats with new defaults (alpha among them), register values and steps, and
// new pixels reuse the routine and still equal the interpreter.
TEST_P(Differential, ACachedRoutineDrawsWithTheValuesOfItsDraw) {
    int failures = 0, reused = 0;
    TDXRMachine gen;
    for (uint32_t seed = 1; seed <= 1500 && failures < 5; ++seed) {
        auto sc = makeScenario(seed * 2246822519u + (GetParam() ? 1 : 0));
        std::string d = compare(*sc, gen);
        std::mt19937 rng(seed);
        for (auto& us : sc->units) us.unit.Defaults = randomColor(rng);
        for (auto& r : sc->regs) {
            r.Value = randomColor(rng);
            r.Step = randomColor(rng);
        }
        for (std::size_t i = 0; i < sc->dest.pixels->size(); ++i) sc->dest.pixels->low()[i] = static_cast<uint8_t>(rng());
        const std::size_t before = gen.GeneratedRoutines();
        if (d.empty()) d = compare(*sc, gen);
        if (gen.GeneratedRoutines() != before) d += " a new routine for the same tree and formats";
        reused += gen.GeneratedRoutines() == before;
        if (!d.empty()) {
            ++failures;
            ADD_FAILURE() << "seed " << sc->seed << " tree " << describe(*sc) << ": " << d;
        }
    }
    EXPECT_GT(reused, 1000);
}

INSTANTIATE_TEST_SUITE_P(Simd, Differential, ::testing::Values(true, false), Differential::Name);

}  // namespace
