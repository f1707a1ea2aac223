#include "tools/datagen/demo/DemoArtBricks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};

// The lit body of a brick: a vertical light falloff, a bevel, a grain and a dark rim.
Shader BrickShader(const Sdf& shape, Rgb color, int height, uint32_t seed) {
    const Rgb deep = Shade(color, 0.32);
    return [=](double x, double y, double d) {
        const double fall = 1.14 - 0.34 * (y / height);
        const double grain = (TileNoise(x, y * 2.0, 96, 24, seed) - 0.5) * 0.10;
        Rgb c = Shade(color, fall + grain);
        const double bevel = Bevel(shape, x, y, d, 3.2);
        c = bevel > 0 ? Mix(c, kWhite, bevel * 0.6) : Mix(c, deep, -bevel * 0.75);
        if (d > -1.0) c = Mix(c, deep, 0.55);
        return c;
    };
}

Image PlainBrick(int w, int h, Rgb color, uint32_t seed) {
    Image img(w, h);
    const Sdf shape = RoundRectSdf(0.5, 0.5, w - 1.0, h - 1.0, std::min(3.0, h / 5.0));
    Fill(img, shape, BrickShader(shape, color, h, seed));
    // A soft gloss over the upper part of the face.
    Overlay(img, RoundRectSdf(4, 3, w - 8.0, h * 0.32, 2), [](double, double, double) { return kWhite; }, 0.22);
    return img;
}

struct CrackPath {
    std::vector<std::pair<double, double>> points;
};

// Crack paths from one impact point; deeper frames draw more of them.
std::vector<CrackPath> Cracks(int w, int h, uint32_t seed, int count) {
    Xorshift rng(seed * 31u + 7u);
    const double ix = w * rng.Range(0.3, 0.7), iy = h * rng.Range(0.35, 0.65);
    std::vector<CrackPath> paths;
    for (int i = 0; i < count; ++i) {
        CrackPath p;
        double x = ix, y = iy;
        double angle = (i * 2.39996 + rng.Signed() * 0.6);  // golden-angle spread
        p.points.emplace_back(x, y);
        const double length = rng.Range(0.35, 0.75) * w;
        for (double run = 0; run < length;) {
            const double step = rng.Range(3.0, 6.5);
            angle += rng.Signed() * 0.55;
            x += std::cos(angle) * step;
            y += std::sin(angle) * step * 0.7;
            run += step;
            p.points.emplace_back(x, y);
            if (x < 1 || y < 1 || x > w - 1 || y > h - 1) break;
        }
        paths.push_back(std::move(p));
    }
    return paths;
}

void DrawCrack(Image& img, const CrackPath& path, Rgb dark, Rgb light) {
    for (size_t k = 1; k < path.points.size(); ++k) {
        const auto [x0, y0] = path.points[k - 1];
        const auto [x1, y1] = path.points[k];
        // The lower lip catches the light, the gap itself is dark.
        Overlay(img, SegmentSdf(x0, y0 + 1.0, x1, y1 + 1.0, 0.45), [light](double, double, double) { return light; }, 0.5);
        Overlay(img, SegmentSdf(x0, y0, x1, y1, 0.6), [dark](double, double, double) { return dark; }, 0.95);
    }
}

// A regular polygon star's distance, for the star mark.
Sdf StarSdf(double cx, double cy, double outer, double inner, int points) {
    return [=](double x, double y) {
        const double dx = x - cx, dy = y - cy;
        const double r = std::hypot(dx, dy);
        const double sector = 2 * std::numbers::pi / points;
        double a = std::atan2(dy, dx) + std::numbers::pi / 2;
        a = std::fmod(std::fmod(a, sector) + sector, sector) / sector;  // 0..1 within a point
        const double edge = inner + (outer - inner) * std::abs(1.0 - 2.0 * a);
        return (r - edge) * 0.8;
    };
}

}  // namespace

const std::vector<Rgb>& BrickColors() {
    static const std::vector<Rgb> colors{
        {214, 48, 49},   // red
        {240, 136, 32},  // orange
        {236, 208, 48},  // yellow
        {64, 184, 72},   // green
        {40, 192, 200},  // cyan
        {48, 104, 224},  // blue
        {144, 72, 216},  // violet
        {232, 96, 176},  // pink
        {168, 224, 56},  // lime
        {24, 136, 120},  // teal
        {152, 96, 56},   // brown
        {200, 204, 212}, // pearl
    };
    return colors;
}

Image SliderBrickSheet(const BrickStyle& s) {
    Image sheet = BrickSheet(s);
    const double w = s.width, h = s.height;
    const Rgb mark = Shade(s.color, 0.28), lit = Mix(s.color, kWhite, 0.7);
    for (int f = 0; f < std::max(1, s.frames); ++f) {
        Image frame = sheet.Crop(0, f * s.height, s.width, s.height);
        for (const double side : {-1.0, 1.0}) {
            const double tip = side < 0 ? 5.0 : w - 5.0, back = tip - side * 7.0;
            // A hollow arrow head; its lower lip catches the light.
            const auto chevron = [&](double dy) {
                return Subtract(PolygonSdf({{back, h * 0.22 + dy}, {tip, h * 0.5 + dy}, {back, h * 0.78 + dy}}),
                                PolygonSdf({{back - side * 4.0, h * 0.22 + dy}, {tip - side * 4.0, h * 0.5 + dy},
                                            {back - side * 4.0, h * 0.78 + dy}}));
            };
            Overlay(frame, chevron(1.0), [lit](double, double, double) { return lit; }, 0.5);
            Overlay(frame, chevron(0.0), [mark](double, double, double) { return mark; }, 0.85);
        }
        sheet.Place(frame, 0, f * s.height);
    }
    return sheet;
}

Image BrickSheet(const BrickStyle& s) {
    const int frames = std::max(1, s.frames);
    const Image whole = PlainBrick(s.width, s.height, s.color, s.seed);
    const std::vector<CrackPath> cracks = Cracks(s.width, s.height, s.seed, 3 * frames);
    const Rgb dark = Shade(s.color, 0.22), light = Mix(s.color, kWhite, 0.55);
    return FrameSheet(frames, [&](int f) {
        Image img = whole;
        const int shown = f == 0 ? 0 : 1 + 3 * f;
        for (int i = 0; i < std::min<int>(shown, static_cast<int>(cracks.size())); ++i) DrawCrack(img, cracks[static_cast<size_t>(i)], dark, light);
        if (f >= 2) {
            // A chipped corner on the most damaged frames.
            Xorshift rng(s.seed + 99u);
            const bool left = rng.Below(2) == 0;
            const int cx = left ? 0 : s.width - 1, size = 3 + f;
            for (int y = s.height - size; y < s.height; ++y)
                for (int x = 0; x < size; ++x)
                    if (x + (s.height - 1 - y) < size) img.Clear(left ? cx + x : cx - x, y);
        }
        return img;
    });
}

Image MetalBrickSheet(int width, int height, int frames) {
    frames = std::max(1, frames);
    const Sdf shape = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, 2.0);
    const Rgb steel{150, 158, 172}, deep{44, 48, 58};
    auto body = [&](double glint) {
        Image img(width, height);
        Fill(img, shape, [&](double x, double y, double d) {
            const double t = y / height;
            // Chrome: a bright band near the top, a dark dip below the middle, lighter at the foot.
            double v = 1.25 - 0.55 * t + 0.18 * std::exp(-std::pow((t - 0.22) / 0.1, 2)) - 0.16 * std::exp(-std::pow((t - 0.62) / 0.12, 2));
            v += (TileNoise(x * 0.15, y * 3.0, 64, 32, 5u) - 0.5) * 0.12;  // brushed grain
            Rgb c = Shade(steel, v);
            const double bevel = Bevel(shape, x, y, d, 2.6);
            c = bevel > 0 ? Mix(c, kWhite, bevel * 0.7) : Mix(c, deep, -bevel * 0.8);
            if (d > -1.0) c = Mix(c, deep, 0.6);
            // The glint: a narrow diagonal streak.
            const double g = std::abs((x - glint) + (y - height / 2.0) * 0.6);
            if (g < 3.0) c = Mix(c, kWhite, (3.0 - g) / 3.0 * 0.55);
            return c;
        });
        // Rivets in the corners.
        const double r = std::max(1.5, height / 10.0);
        for (double cx : {r + 3.0, width - r - 3.0})
            for (double cy : {r + 3.0, height - r - 3.0}) {
                const Sdf rivet = CircleSdf(cx, cy, r);
                Overlay(img, rivet, [&](double x, double y, double d) {
                    const double b = Bevel(rivet, x, y, d, r);
                    return b > 0 ? Mix(steel, kWhite, b) : Mix(steel, deep, -b);
                });
            }
        return img;
    };
    return FrameSheet(frames, [&](int f) { return body(-10.0 + (width + 20.0) * f / frames); });
}

Image SpecialBrickSheet(SpecialBrick kind, int width, int height, int frames) {
    frames = std::max(1, frames);
    static const Rgb kAccents[kSpecialBrickKinds] = {{80, 232, 255}, {255, 208, 64}, {120, 255, 120},
                                                     {255, 120, 64}, {255, 240, 120}, {216, 128, 255}};
    const Rgb accent = kAccents[static_cast<int>(kind) % kSpecialBrickKinds];
    const Rgb glass{26, 30, 58};
    const Sdf shape = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, 4.0);
    const double cx = width / 2.0, cy = height / 2.0, s = height * 0.34;
    Sdf mark;
    switch (kind) {
        case SpecialBrick::Curve:
            mark = Subtract(CircleSdf(cx, cy, s), CircleSdf(cx + s * 0.35, cy - s * 0.2, s * 0.7));
            break;
        case SpecialBrick::Down:
            mark = Union(SegmentSdf(cx, cy - s, cx, cy + s * 0.6, s * 0.22),
                         Union(SegmentSdf(cx, cy + s, cx - s * 0.7, cy + s * 0.2, s * 0.2), SegmentSdf(cx, cy + s, cx + s * 0.7, cy + s * 0.2, s * 0.2)));
            break;
        case SpecialBrick::Across:
            mark = Union(SegmentSdf(cx - s * 1.4, cy, cx + s * 0.9, cy, s * 0.22),
                         Union(SegmentSdf(cx + s * 1.4, cy, cx + s * 0.6, cy - s * 0.7, s * 0.2), SegmentSdf(cx + s * 1.4, cy, cx + s * 0.6, cy + s * 0.7, s * 0.2)));
            break;
        case SpecialBrick::Speed:
            mark = Union(SegmentSdf(cx + s * 0.4, cy - s, cx - s * 0.3, cy + s * 0.1, s * 0.2),
                         Union(SegmentSdf(cx - s * 0.3, cy + s * 0.1, cx + s * 0.3, cy - s * 0.1, s * 0.2), SegmentSdf(cx + s * 0.3, cy - s * 0.1, cx - s * 0.4, cy + s, s * 0.2)));
            break;
        case SpecialBrick::Star: mark = StarSdf(cx, cy + 0.5, s * 1.15, s * 0.48, 5); break;
        case SpecialBrick::Ring: mark = Subtract(CircleSdf(cx, cy, s), CircleSdf(cx, cy, s * 0.55)); break;
    }
    return FrameSheet(frames, [&](int f) {
        const double pulse = 0.5 + 0.5 * std::cos(2 * std::numbers::pi * f / frames);
        Image img(width, height);
        Fill(img, shape, [&](double x, double y, double d) {
            Rgb c = Shade(glass, 1.25 - 0.5 * y / height);
            const double bevel = Bevel(shape, x, y, d, 3.0);
            c = bevel > 0 ? Mix(c, accent, bevel * 0.85) : Mix(c, Shade(glass, 0.5), -bevel);
            // A halo around the mark, stronger as the glow pulses.
            const double m = mark(x, y);
            if (m > 0) c = Mix(c, accent, std::max(0.0, 0.45 - m / (6.0 + 3.0 * pulse)) * (0.5 + 0.5 * pulse));
            return c;
        });
        Overlay(img, mark, [&](double, double y, double) { return Mix(kWhite, accent, 0.25 + 0.5 * (y - cy + s) / (2 * s)); });
        Overlay(img, RoundRectSdf(4, 2.5, width - 8.0, height * 0.3, 2), [](double, double, double) { return kWhite; }, 0.16);
        return img;
    });
}

Image BrickShatterSheet(const BrickStyle& s, int frames) {
    frames = std::max(1, frames);
    const Image whole = PlainBrick(s.width, s.height, s.color, s.seed);
    constexpr int kCols = 4, kRows = 2;
    Xorshift rng(s.seed * 17u + 3u);
    struct Piece { double vx, vy, spin; };
    std::vector<Piece> pieces;
    for (int i = 0; i < kCols * kRows; ++i) pieces.push_back({rng.Signed() * 1.5, rng.Range(-1.5, 0.5), rng.Signed() * 0.4});
    return FrameSheet(frames, [&](int f) {
        const double t = static_cast<double>(f) / frames;
        Image img(s.width, s.height);
        const double pw = static_cast<double>(s.width) / kCols, ph = static_cast<double>(s.height) / kRows;
        for (int i = 0; i < kCols * kRows; ++i) {
            const Piece& p = pieces[static_cast<size_t>(i)];
            const double ox = (i % kCols) * pw, oy = (i / kCols) * ph;
            const double pcx = ox + pw / 2, pcy = oy + ph / 2;
            const double dirX = (pcx - s.width / 2.0) / s.width, dirY = (pcy - s.height / 2.0) / s.height;
            const double shrink = 1.0 - 0.8 * t;
            const double mx = pcx + (dirX * 14 + p.vx * 4) * t, my = pcy + (dirY * 10 + p.vy * 4 + 8 * t) * t;
            const double angle = p.spin * f;
            const double ca = std::cos(angle), sa = std::sin(angle);
            // Sample the whole brick through the piece's motion.
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x) {
                    const double dx = (x + 0.5 - mx) / shrink, dy = (y + 0.5 - my) / shrink;
                    const double sx = pcx + dx * ca + dy * sa, sy = pcy - dx * sa + dy * ca;
                    if (sx < ox || sy < oy || sx >= ox + pw || sy >= oy + ph) continue;
                    const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
                    if (whole.Inside(ix, iy) && whole.Opaque(ix, iy)) img.Set(x, y, Shade(whole.At(ix, iy), 1.0 - 0.4 * t));
                }
        }
        return img;
    });
}

Image SplinterSheet(Rgb color, int size, int frames) {
    frames = std::max(1, frames);
    return FrameSheet(frames, [&](int f) {
        const double angle = std::numbers::pi * f / frames;
        const double c = size / 2.0, half = size * 0.36;
        const double ca = std::cos(angle), sa = std::sin(angle);
        // A chip: a thin rotated slab.
        const Sdf chip = [=](double x, double y) {
            const double dx = x - c, dy = y - c;
            const double u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
            const double qx = std::abs(u) - half, qy = std::abs(v) - half * 0.45;
            return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
        };
        Image img(size, size);
        Fill(img, chip, [&](double x, double y, double d) {
            const double b = Bevel(chip, x, y, d, 1.5);
            return b > 0 ? Mix(color, kWhite, b * 0.6) : Mix(color, Shade(color, 0.35), -b);
        });
        return img;
    });
}

}  // namespace datagen::demo
