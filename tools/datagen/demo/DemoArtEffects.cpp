#include "tools/datagen/demo/DemoArtEffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr double kTau = 2 * std::numbers::pi;

// Colour of fire by its heat 0..1: smoke, red, orange, yellow, white.
Rgb FireColor(double heat) {
    static const Rgb kRamp[] = {{56, 48, 48}, {168, 40, 16}, {240, 112, 24}, {255, 200, 64}, {255, 250, 220}};
    heat = std::clamp(heat, 0.0, 1.0) * 4.0;
    const int i = std::min(3, static_cast<int>(heat));
    return Mix(kRamp[i], kRamp[i + 1], heat - i);
}

}  // namespace

Image ExplosionSheet(int size, int frames, uint32_t seed) {
    frames = std::max(1, frames);
    const double c = size / 2.0;
    return FrameSheet(frames, [&](int f) {
        const double t = (f + 0.5) / frames;
        const double radius = size * 0.48 * (0.35 + 0.65 * std::sqrt(t));
        Image img(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c;
                const double r = std::hypot(dx, dy) / radius;
                if (r > 1.3) continue;
                const double a = (std::atan2(dy, dx) + std::numbers::pi) / kTau;
                // Billows: noise around the edge and through the body, drifting outwards.
                const double n = TileFractal(a * 64.0, (r - t * 0.8) * 48.0, 64.0, 8, 3, seed);
                const double density = (1.15 - r) + (n - 0.5) * 0.9 - t * 0.35;
                if (density < 0.08) continue;
                // Hot in the middle early on, cooling to smoke from the inside out.
                const double heat = std::clamp((1.0 - r * 0.8) * (1.25 - t * 1.2) + (n - 0.5) * 0.4, 0.0, 1.0);
                img.Set(x, y, FireColor(heat));
            }
        return img;
    });
}

Image SparkSheet(int size, int frames, Rgb color, uint32_t seed) {
    frames = std::max(1, frames);
    Xorshift rng(seed * 101u + 5u);
    struct Spark { double angle, speed; };
    std::vector<Spark> sparks;
    for (int k = 0; k < 9; ++k) sparks.push_back({kTau * k / 9 + rng.Signed() * 0.3, rng.Range(0.6, 1.0)});
    const double c = size / 2.0;
    return FrameSheet(frames, [&](int f) {
        const double t = (f + 1.0) / (frames + 1.0);
        Image img(size, size);
        for (const Spark& s : sparks) {
            const double far = c * 0.95 * s.speed * t, near = std::max(0.0, far - size * 0.22 * (1.0 - t * 0.6));
            const double ca = std::cos(s.angle), sa = std::sin(s.angle);
            const double head = std::max(0.5, 1.1 * (1.0 - t));
            Fill(img, SegmentSdf(c + ca * near, c + sa * near, c + ca * far, c + sa * far, head),
                 [&](double x, double y, double) {
                     const double along = std::hypot(x - c, y - c) / std::max(1.0, far);
                     return Mix(Shade(color, 0.7), Mix(color, kWhite, 0.7), along * (1.0 - t));
                 });
        }
        return img;
    });
}

Image HitFlashSheet(int size, int frames, Rgb color) {
    frames = std::max(1, frames);
    const double c = size / 2.0;
    return FrameSheet(frames, [&](int f) {
        const double t = static_cast<double>(f) / frames;
        Image img(size, size);
        if (f == 0) {
            // The first frame: a four-pointed star.
            const double arm = size * 0.46, thick = size * 0.08;
            Fill(img, Union(SegmentSdf(c - arm, c, c + arm, c, thick * 0.6), SegmentSdf(c, c - arm, c, c + arm, thick * 0.6)),
                 [&](double x, double y, double) { return Mix(kWhite, color, std::hypot(x - c, y - c) / arm); });
            Fill(img, CircleSdf(c, c, size * 0.18), kWhite);
        } else {
            const double r = size * (0.18 + 0.3 * t), width = size * 0.12 * (1.0 - t) + 0.6;
            const Sdf ring = [=](double x, double y) { return std::abs(std::hypot(x - c, y - c) - r) - width; };
            Fill(img, ring, [&](double, double, double d) { return Mix(kWhite, color, 0.4 + 0.6 * t + 0.2 * (d + width) / width); });
        }
        return img;
    });
}

Image MuzzleFlashSheet(int width, int height, int frames) {
    frames = std::max(1, frames);
    const double cx = width / 2.0;
    return FrameSheet(frames, [&](int f) {
        const double t = static_cast<double>(f) / frames;
        const double length = height * (0.95 - 0.5 * t), half = width * 0.45 * (1.0 - 0.4 * t);
        // A flame: widest a little above the mouth, pointed at the top.
        const Sdf flame = [=](double x, double y) {
            const double up = (height - y) / length;  // 0 at the mouth, 1 at the tip
            if (up < 0) return -up * height + 0.01;
            const double w = half * std::sin(std::min(1.0, up) * std::numbers::pi * 0.95 + 0.15) * (1.0 - 0.5 * up);
            return std::max(std::abs(x - cx) - w, (up - 1.0) * length);
        };
        Image img(width, height);
        Fill(img, flame, [&](double x, double y, double d) {
            const double up = (height - y) / length;
            const double core = std::clamp(-d / half, 0.0, 1.0);
            return FireColor(std::clamp(1.0 - up * 0.7 + core * 0.4 - t * 0.3 - std::abs(x - cx) / width * 0.3, 0.25, 1.0));
        });
        return img;
    });
}

Image ShotSheet(ShotKind kind, int width, int height, int frames) {
    frames = std::max(1, frames);
    const double cx = width / 2.0;
    return FrameSheet(frames, [&](int f) {
        const double flicker = 0.8 + 0.2 * std::cos(kTau * f / frames);
        Image img(width, height);
        switch (kind) {
            case ShotKind::Bullet: {
                const Sdf body = RoundRectSdf(cx - width * 0.28, 0.5, width * 0.56, height * 0.7, width * 0.28);
                Fill(img, body, [&](double x, double y, double d) {
                    Rgb c = Shade(Rgb{232, 192, 72}, 1.2 - 0.6 * y / height);
                    const double b = Bevel(body, x, y, d, 1.5);
                    return b > 0 ? Mix(c, kWhite, b * 0.6) : Mix(c, Rgb{96, 64, 16}, -b);
                });
                // A short flame tail.
                const Sdf tail = SegmentSdf(cx, height * 0.72, cx, height * (0.7 + 0.28 * flicker), width * 0.18);
                Fill(img, tail, [&](double, double y, double) { return FireColor(flicker + 0.1 - (y / height - 0.7) * 3.0); });
                break;
            }
            case ShotKind::Laser: {
                const Sdf beam = SegmentSdf(cx, 2.0, cx, height - 2.0, width * 0.3 * flicker);
                Fill(img, beam, [&](double, double, double d) { return Mix(kWhite, Rgb{255, 64, 96}, std::clamp(1.0 + d / (width * 0.3), 0.0, 1.0)); });
                break;
            }
            case ShotKind::Plasma: {
                const double r = std::min(width, height) * 0.42 * flicker;
                const Sdf orb = CircleSdf(cx, height / 2.0, r);
                Fill(img, orb, [&](double x, double y, double) {
                    return Mix(kWhite, Rgb{96, 160, 255}, std::hypot(x - cx, y - height / 2.0) / r);
                });
                break;
            }
        }
        return img;
    });
}

Image FloorBarSheet(int width, int height, int frames) {
    frames = std::max(1, frames);
    return FrameSheet(frames, [&](int f) {
        const double phase = static_cast<double>(f) / frames;
        Image img(width, height);
        const Sdf bar = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, height / 2.0 - 0.5);
        Fill(img, bar, [&](double x, double y, double d) {
            const double t = y / height;
            const double ripple = 0.5 + 0.5 * std::sin((x / 24.0 - phase) * kTau);
            Rgb c = Mix(Rgb{32, 96, 200}, Rgb{120, 220, 255}, (1.0 - std::abs(t - 0.4) * 2.0) * (0.6 + 0.4 * ripple));
            if (d > -1.0) c = Mix(c, Rgb{16, 40, 96}, 0.5);
            return c;
        });
        return img;
    });
}

}  // namespace datagen::demo
