#include "tools/datagen/demo/DemoArtBackgrounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr double kTau = 2 * std::numbers::pi;

// Stars on a periodic lattice: at most one per cell, faint or bright by its hash.
double StarAt(double x, double y, double period, int cells, uint32_t seed) {
    const double cell = period / cells;
    const int cx = static_cast<int>(std::floor(x / cell)), cy = static_cast<int>(std::floor(y / cell));
    const int wx = ((cx % cells) + cells) % cells, wy = ((cy % cells) + cells) % cells;
    const uint32_t h = LatticeHash(wx, wy, seed);
    if ((h & 3) != 0) return 0.0;
    const double sx = (cx + 0.2 + 0.6 * ((h >> 8) & 255) / 255.0) * cell, sy = (cy + 0.2 + 0.6 * ((h >> 16) & 255) / 255.0) * cell;
    const double d = std::hypot(x - sx, y - sy);
    const double size = 0.5 + 1.2 * ((h >> 24) & 255) / 255.0;
    return std::clamp(1.2 - d / size, 0.0, 1.0) * (0.4 + 0.6 * ((h >> 4) & 15) / 15.0);
}

Rgb Nebula(double x, double y, double p, uint32_t seed) {
    const double n = TileFractal(x, y, p, 4, 5, seed);
    const double m = TileFractal(x + 17, y + 31, p, 3, 4, seed + 1000);
    Rgb c = Mix(Rgb{8, 8, 24}, Rgb{56, 24, 88}, std::pow(n, 1.6) * 1.5);
    c = Mix(c, Rgb{24, 56, 112}, std::pow(m, 2.0) * 0.9);
    const double star = std::max(StarAt(x, y, p, 16, seed + 7), StarAt(x, y, p, 7, seed + 9));
    return Mix(c, Rgb{236, 240, 255}, star);
}

Rgb Circuit(double x, double y, double p, uint32_t seed) {
    constexpr int kCells = 8;
    const double cell = p / kCells;
    const int cx = static_cast<int>(x / cell), cy = static_cast<int>(y / cell);
    const double fx = x / cell - cx, fy = y / cell - cy;
    Rgb c = Mix(Rgb{10, 36, 24}, Rgb{16, 52, 34}, TileNoise(x, y, p, 8, seed));
    const uint32_t h = LatticeHash(cx % kCells, cy % kCells, seed);
    // Each cell may carry a trace east and a trace south (meeting its neighbours' traces).
    const bool east = h & 1, south = (h >> 1) & 1, pad = ((h >> 2) & 3) == 0;
    const uint32_t west = LatticeHash((cx + kCells - 1) % kCells, cy % kCells, seed) & 1;
    const uint32_t north = (LatticeHash(cx % kCells, (cy + kCells - 1) % kCells, seed) >> 1) & 1;
    const double w = 0.07;
    const bool onTrace = (east && fx >= 0.5 && std::abs(fy - 0.5) < w) || (west && fx <= 0.5 && std::abs(fy - 0.5) < w) ||
                         (south && fy >= 0.5 && std::abs(fx - 0.5) < w) || (north && fy <= 0.5 && std::abs(fx - 0.5) < w);
    const double r = std::hypot(fx - 0.5, fy - 0.5);
    if (onTrace) c = Rgb{40, 120, 72};
    if ((east || south || west || north) && r < 0.13) c = Rgb{56, 150, 88};
    if (pad && r < 0.2 && r > 0.1) c = Rgb{150, 130, 60};
    return c;
}

Rgb Hexes(double x, double y, double p, uint32_t seed) {
    // A hexagon lattice whose rows repeat every two rows: width p/4, row height p/4.
    const double w = p / 4.0, rowH = p / 4.0;
    double best = 1e9, second = 1e9;
    int bi = 0, bj = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            const double hx = (i + ((j & 1) ? 0.5 : 0.0)) * w, hy = j * rowH;
            // Distance to the centre on the torus.
            double dx = std::fmod(x - hx + p * 2.5, p) - p / 2, dy = std::fmod(y - hy + p * 2.5, p) - p / 2;
            const double d = std::hypot(dx, dy);
            if (d < best) second = best, best = d, bi = i, bj = j;
            else if (d < second) second = d;
        }
    const double edge = (second - best) / 2.0;  // distance to the cell border
    const uint32_t h = LatticeHash(((bi % 4) + 4) % 4, ((bj % 4) + 4) % 4, seed);
    Rgb c = Mix(Rgb{28, 34, 44}, Rgb{44, 52, 66}, (h & 255) / 255.0);
    c = Shade(c, 0.9 + 0.2 * TileNoise(x, y, p, 16, seed + 3));
    if (edge < 1.2) c = Rgb{12, 14, 20};
    else if (edge < 3.0) c = Shade(c, 1.35);
    return c;
}

Rgb Waves(double x, double y, double p, uint32_t) {
    const double a = std::sin((x / p) * kTau * 2 + std::sin((y / p) * kTau) * 1.2);
    const double b = std::sin((y / p) * kTau * 3 + std::cos((x / p) * kTau) * 1.5);
    const double v = (a + b) * 0.25 + 0.5;
    Rgb c = Mix(Rgb{4, 16, 36}, Rgb{16, 52, 92}, v);
    const double crest = std::pow(std::max(0.0, std::sin(v * kTau * 2)), 12.0);
    return Mix(c, Rgb{70, 130, 170}, crest * 0.4);
}

Rgb Marble(double x, double y, double p, uint32_t seed) {
    const double slab = p / 2.0;
    const double fx = std::fmod(x, slab), fy = std::fmod(y, slab);
    const double n = TileFractal(x, y, p, 4, 5, seed);
    const double vein = std::abs(std::sin((x + y) / p * kTau * 2 + n * 9.0));
    Rgb c = Mix(Rgb{40, 36, 44}, Rgb{68, 62, 72}, n);
    c = Mix(c, Rgb{130, 120, 132}, std::pow(1.0 - vein, 14.0) * 0.7);
    if (fx < 1.5 || fy < 1.5) c = Rgb{20, 18, 24};
    else if (fx < 3.0 || fy < 3.0) c = Shade(c, 1.3);
    else if (fx > slab - 2.5 || fy > slab - 2.5) c = Shade(c, 0.65);
    return c;
}

}  // namespace

Image BackdropTile(BackdropKind kind, int tile, uint32_t seed) {
    Image img(tile, tile, Rgb{});
    const double p = tile;
    for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            Rgb c;
            switch (kind) {
                case BackdropKind::Nebula: c = Nebula(px, py, p, seed); break;
                case BackdropKind::Circuit: c = Circuit(px, py, p, seed); break;
                case BackdropKind::Hexes: c = Hexes(px, py, p, seed); break;
                case BackdropKind::Waves: c = Waves(px, py, p, seed); break;
                case BackdropKind::Marble: c = Marble(px, py, p, seed); break;
            }
            img.Set(x, y, c);
        }
    return img;
}

Image Backdrop(BackdropKind kind, int width, int height, int tile, uint32_t seed) {
    const Image t = BackdropTile(kind, tile, seed);
    Image img(width, height, Rgb{});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) img.Set(x, y, t.At(x % tile, y % tile));
    return img;
}

Image MenuBackdrop(int width, int height, uint32_t seed) {
    Image img(width, height, Rgb{});
    const double horizon = height * 0.62;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            Rgb c;
            if (py < horizon) {
                c = Nebula(px, py, 256.0, seed);
                // The sky warms towards the horizon.
                c = Mix(c, Rgb{120, 40, 96}, std::pow(py / horizon, 6.0) * 0.6);
            } else {
                // A floor grid running to the horizon.
                const double depth = (py - horizon) / (height - horizon);  // 0 at the horizon
                const double z = 1.0 / std::max(0.02, depth);
                const double gx = (px - width / 2.0) * z / 60.0, gz = z * 2.0;
                const double lx = std::abs(gx - std::round(gx)), lz = std::abs(gz - std::round(gz));
                const double line = std::max(std::clamp(1.0 - lx / (0.04 * z), 0.0, 1.0), std::clamp(1.0 - lz / (0.05 * z), 0.0, 1.0));
                c = Mix(Rgb{14, 6, 28}, Rgb{40, 12, 56}, depth);
                c = Mix(c, Rgb{232, 80, 200}, line * std::min(1.0, depth * 3.0) * 0.8);
                c = Mix(c, Rgb{255, 140, 200}, std::exp(-depth * 18.0) * 0.7);  // the horizon's glow
            }
            // A dark frame around the edges keeps the menus in focus.
            const double vx = (px / width - 0.5) * 2, vy = (py / height - 0.5) * 2;
            img.Set(x, y, Shade(c, 1.0 - 0.45 * std::pow(std::max(std::abs(vx), std::abs(vy)), 4.0)));
        }
    return img;
}

}  // namespace datagen::demo
