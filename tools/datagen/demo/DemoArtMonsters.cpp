#include "tools/datagen/demo/DemoArtMonsters.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <numbers>

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr double kTau = 2 * std::numbers::pi;

Shader Lit(const Sdf& shape, Rgb base, double height, double bevel) {
    const Rgb deep = Shade(base, 0.3);
    return [=](double x, double y, double d) {
        Rgb c = Shade(base, 1.15 - 0.45 * y / height);
        const double b = Bevel(shape, x, y, d, bevel);
        c = b > 0 ? Mix(c, kWhite, b * 0.55) : Mix(c, deep, -b * 0.8);
        if (d > -1.0) c = Mix(c, deep, 0.6);
        return c;
    };
}

Image Eye(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, r = size * 0.3;
    const Rgb skin{136, 72, 176};
    // Tentacles first, so the body covers their roots.
    for (int k = 0; k < 4; ++k) {
        const double baseX = c - r * 0.7 + k * r * 0.47;
        double x = baseX, y = c + r * 0.6;
        for (int seg = 0; seg < 4; ++seg) {
            const double nx = baseX + std::sin(phase * kTau + k * 1.7 + seg * 0.9) * (1.5 + seg), ny = y + size * 0.07;
            Fill(img, SegmentSdf(x, y, nx, ny, std::max(0.8, size * 0.05 - seg * 0.35)), Shade(skin, 0.85 - seg * 0.1));
            x = nx, y = ny;
        }
    }
    const Sdf body = CircleSdf(c, c - size * 0.05, r);
    Fill(img, body, Lit(body, skin, size, r * 0.6));
    // The eye looks around; one frame in eight it blinks.
    const bool blink = phase > 0.74 && phase < 0.87;
    const double ex = c, ey = c - size * 0.06;
    const Sdf white = EllipseSdf(ex, ey, r * 0.62, blink ? r * 0.1 : r * 0.5);
    Overlay(img, white, [&](double, double y, double) { return Shade(Rgb{240, 240, 232}, 1.0 - 0.25 * (y - ey + r) / (2 * r)); });
    if (!blink) {
        const double lx = ex + std::cos(phase * kTau) * r * 0.22, ly = ey + std::sin(phase * kTau) * r * 0.16;
        Overlay(img, CircleSdf(lx, ly, r * 0.3), [](double, double, double) { return Rgb{216, 48, 40}; });
        Overlay(img, CircleSdf(lx, ly, r * 0.14), [](double, double, double) { return Rgb{16, 8, 12}; });
        Overlay(img, CircleSdf(lx - r * 0.1, ly - r * 0.1, r * 0.06), [](double, double, double) { return kWhite; });
    }
    return img;
}

Image Spinner(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, outer = size * 0.46, inner = size * 0.14;
    const double turn = phase * kTau / 4;  // four blades: a quarter turn loops
    const Sdf blades = [=](double x, double y) {
        const double dx = x - c, dy = y - c;
        const double a = std::atan2(dy, dx) - turn;
        const double rr = std::hypot(dx, dy);
        // A curved blade every quarter turn: thick near the core, pointed at the tip.
        const double sector = std::fmod(std::fmod(a + rr / outer * 0.9, kTau / 4) + kTau / 4, kTau / 4) / (kTau / 4);
        const double width = (1.0 - rr / outer) * 0.6 + 0.06;
        return std::max(rr - outer, (std::abs(sector - 0.5) - width) * rr * 1.2);
    };
    Fill(img, blades, [&](double x, double y, double d) {
        const double lev = 1.2 - 0.5 * y / size + 0.25 * std::sin(std::atan2(y - c, x - c) * 2 - turn * 2);
        Rgb col = Shade(Rgb{168, 176, 192}, lev);
        if (d > -1.0) col = Mix(col, Rgb{40, 44, 56}, 0.6);
        return col;
    });
    const Sdf core = CircleSdf(c, c, inner * 1.3);
    const double glow = 0.5 + 0.5 * std::sin(phase * kTau * 2);
    Fill(img, core, [&](double x, double y, double) {
        const double rr = std::hypot(x - c, y - c) / (inner * 1.3);
        return Mix(Mix(Rgb{255, 240, 160}, Rgb{255, 96, 32}, rr), Rgb{255, 255, 255}, (1 - rr) * glow * 0.6);
    });
    return img;
}

Image Jelly(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, r = size * 0.34;
    const Rgb slime{72, 200, 96};
    const Sdf blob = [=](double x, double y) {
        const double dx = x - c, dy = y - c - size * 0.04;
        const double a = std::atan2(dy, dx);
        const double wobble = 1.0 + 0.1 * std::sin(a * 3 + phase * kTau) + 0.06 * std::sin(a * 5 - phase * kTau * 2);
        const double squash = 1.0 + 0.08 * std::sin(phase * kTau);
        return std::hypot(dx / squash, dy * squash) - r * wobble;
    };
    Fill(img, blob, [&](double x, double y, double d) {
        const double depth = std::min(1.0, -d / r);
        Rgb col = Mix(Shade(slime, 0.7), Shade(slime, 1.25), depth * 0.6 + (1 - y / size) * 0.4);
        const double b = Bevel(blob, x, y, d, 3.0);
        if (b > 0) col = Mix(col, kWhite, b * 0.5);
        if (d > -1.0) col = Mix(col, Rgb{16, 72, 32}, 0.6);
        return col;
    });
    // Bubbles rising inside.
    for (int k = 0; k < 3; ++k) {
        const double by = c + r * 0.6 - std::fmod(phase + k / 3.0, 1.0) * r * 1.2;
        const double bx = c + (k - 1) * r * 0.45;
        Overlay(img, CircleSdf(bx, by, 1.0 + k * 0.4), [](double, double, double) { return Rgb{200, 255, 208}; }, 0.7);
    }
    for (double side : {-1.0, 1.0}) {
        Overlay(img, CircleSdf(c + side * r * 0.35, c - r * 0.15, r * 0.18), [](double, double, double) { return Rgb{248, 248, 240}; });
        Overlay(img, CircleSdf(c + side * r * 0.35 + r * 0.04, c - r * 0.12, r * 0.09), [](double, double, double) { return Rgb{16, 24, 16}; });
    }
    return img;
}

Image Saucer(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, bob = std::sin(phase * kTau) * size * 0.04;
    const Sdf dome = EllipseSdf(c, c - size * 0.06 + bob, size * 0.2, size * 0.18);
    Fill(img, dome, [&](double x, double y, double d) {
        Rgb col = Mix(Rgb{150, 220, 255}, Rgb{40, 90, 160}, (y - (c - size * 0.24 + bob)) / (size * 0.24));
        const double b = Bevel(dome, x, y, d, 3.0);
        if (b > 0) col = Mix(col, kWhite, b * 0.7);
        return col;
    });
    const Sdf hull = EllipseSdf(c, c + size * 0.08 + bob, size * 0.46, size * 0.13);
    Fill(img, hull, Lit(hull, Rgb{176, 168, 152}, size, 3.0));
    // Running lights along the rim: one lit at a time, moving round.
    constexpr int kLights = 6;
    for (int k = 0; k < kLights; ++k) {
        const double lx = c - size * 0.36 + k * size * 0.72 / (kLights - 1);
        const bool on = k == static_cast<int>(phase * kLights) % kLights;
        Overlay(img, CircleSdf(lx, c + size * 0.1 + bob, size * 0.035 + (on ? 0.6 : 0.0)),
                [on](double, double, double) { return on ? Rgb{255, 240, 120} : Rgb{120, 40, 32}; });
    }
    return img;
}

// Over its animation the robot lifts a brick from its feet to above its head: the last frame
// shows the brick held high, the moment it lays its row.
Image Builder(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, lift = phase;
    const Rgb metal{232, 184, 56}, dark{72, 56, 32};
    // Treads.
    const Sdf treads = RoundRectSdf(c - size * 0.32, size * 0.78, size * 0.64, size * 0.14, size * 0.07);
    Fill(img, treads, Lit(treads, Rgb{88, 88, 96}, size, 2.0));
    for (int k = 0; k < 5; ++k) {
        const double x = c - size * 0.26 + std::fmod(k * size * 0.13 + phase * size * 0.13, size * 0.6);
        Overlay(img, CircleSdf(x, size * 0.85, size * 0.035), [](double, double, double) { return Rgb{40, 40, 48}; });
    }
    // Body and head.
    const Sdf body = RoundRectSdf(c - size * 0.22, size * 0.46, size * 0.44, size * 0.34, size * 0.06);
    Fill(img, body, Lit(body, metal, size, 3.0));
    const Sdf head = RoundRectSdf(c - size * 0.15, size * 0.3, size * 0.3, size * 0.18, size * 0.05);
    Fill(img, head, Lit(head, Shade(metal, 0.9), size, 2.0));
    for (double side : {-1.0, 1.0})
        Overlay(img, CircleSdf(c + side * size * 0.07, size * 0.39, size * 0.035),
                [](double, double, double) { return Rgb{120, 240, 255}; });
    // The antenna's light blinks.
    Fill(img, SegmentSdf(c, size * 0.3, c, size * 0.2, 0.8), dark);
    Fill(img, CircleSdf(c, size * 0.19, size * 0.04), std::fmod(phase * 4, 1.0) < 0.5 ? Rgb{255, 64, 48} : Rgb{120, 32, 24});
    // Arms and the brick they carry, rising.
    const double by = size * (0.62 - 0.5 * lift);
    for (double side : {-1.0, 1.0})
        Fill(img, SegmentSdf(c + side * size * 0.2, size * 0.55, c + side * size * 0.16, by + size * 0.06, size * 0.035), dark);
    const Sdf brick = RoundRectSdf(c - size * 0.2, by - size * 0.02, size * 0.4, size * 0.14, 1.5);
    Fill(img, brick, Lit(brick, Rgb{232, 96, 176}, size, 1.5));
    return img;
}

Image Comet(int size, double phase) {
    Image img(size, size);
    const double hx = size * 0.68, hy = size * 0.32;
    // The tail streams away down and to the left, flickering.
    for (int k = 0; k < 7; ++k) {
        const double t = (k + std::fmod(phase * 2, 1.0)) / 7.0;
        const double x = hx - t * size * 0.55, y = hy + t * size * 0.55;
        const double r = size * (0.15 - 0.1 * t);
        Fill(img, CircleSdf(x + std::sin(phase * kTau + k) * 1.2, y, r), Mix(Rgb{255, 220, 120}, Rgb{200, 64, 32}, t));
    }
    const Sdf head = CircleSdf(hx, hy, size * 0.2);
    Fill(img, head, [&](double x, double y, double) {
        const double rr = std::hypot(x - hx, y - hy) / (size * 0.2);
        return Mix(kWhite, Rgb{255, 200, 96}, rr * rr);
    });
    return img;
}

// It tumbles: the rock, its pits and its seam turn a quarter round over the animation.
Image Drifter(int size, double phase) {
    Image img(size, size);
    const double c = size / 2.0, turn = phase * kTau / 4;
    const auto at = [&](double px, double py) {
        const double dx = (px - 0.5) * size, dy = (py - 0.5) * size;
        return std::pair<double, double>{c + dx * std::cos(turn) - dy * std::sin(turn), c + dx * std::sin(turn) + dy * std::cos(turn)};
    };
    const Sdf rock = [=](double x, double y) {
        const double dx = x - c, dy = y - c;
        const double a = std::atan2(dy, dx) - turn;
        const double bumps = 1.0 + 0.12 * std::sin(a * 3 + 0.7) + 0.07 * std::sin(a * 7 + 2.1);
        return std::hypot(dx, dy * 1.15) - size * 0.4 * bumps;
    };
    Fill(img, rock, [&](double x, double y, double d) {
        const double grain = TileNoise(x, y, size, 6, 11) - 0.5;
        Rgb col = Shade(Rgb{132, 116, 104}, 1.1 - 0.4 * y / size + grain * 0.4);
        const double b = Bevel(rock, x, y, d, 4.0);
        col = b > 0 ? Mix(col, kWhite, b * 0.35) : Mix(col, Rgb{36, 30, 28}, -b * 0.7);
        return col;
    });
    for (const auto& [px, py, r] : {std::array<double, 3>{0.35, 0.4, 0.08}, {0.6, 0.62, 0.06}, {0.58, 0.3, 0.05}}) {
        const auto [x, y] = at(px, py);
        Overlay(img, CircleSdf(x, y, size * r), [](double, double, double) { return Rgb{60, 52, 48}; }, 0.8);
    }
    // A seam of glowing ore.
    const auto [x0, y0] = at(0.25, 0.6);
    const auto [x1, y1] = at(0.7, 0.45);
    Overlay(img, SegmentSdf(x0, y0, x1, y1, 1.0), [](double, double, double) { return Rgb{255, 140, 64}; });
    return img;
}

}  // namespace

Image MonsterSheet(MonsterKind kind, int size, int frames) {
    frames = std::max(1, frames);
    return FrameSheet(frames, [&](int f) {
        const double phase = static_cast<double>(f) / frames;
        switch (kind) {
            case MonsterKind::Spinner: return Spinner(size, phase);
            case MonsterKind::Jelly: return Jelly(size, phase);
            case MonsterKind::Saucer: return Saucer(size, phase);
            case MonsterKind::Builder: return Builder(size, static_cast<double>(f) / std::max(1, frames - 1));
            case MonsterKind::Comet: return Comet(size, phase);
            case MonsterKind::Drifter: return Drifter(size, phase);
            case MonsterKind::Eye: break;
        }
        return Eye(size, phase);
    });
}

}  // namespace datagen::demo
