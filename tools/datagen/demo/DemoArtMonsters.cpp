#include "tools/datagen/demo/DemoArtMonsters.h"

#include <algorithm>
#include <cmath>
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

}  // namespace

Image MonsterSheet(MonsterKind kind, int size, int frames) {
    frames = std::max(1, frames);
    return FrameSheet(frames, [&](int f) {
        const double phase = static_cast<double>(f) / frames;
        switch (kind) {
            case MonsterKind::Spinner: return Spinner(size, phase);
            case MonsterKind::Jelly: return Jelly(size, phase);
            case MonsterKind::Saucer: return Saucer(size, phase);
            case MonsterKind::Eye: break;
        }
        return Eye(size, phase);
    });
}

}  // namespace datagen::demo
