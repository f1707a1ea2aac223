#include "tools/datagen/demo/DemoArtBall.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr double kTau = 2 * std::numbers::pi;

// Lit sphere colour at the unit-disc point (dx, dy); points outside are pulled onto the rim.
Rgb SphereColor(Rgb body, double dx, double dy) {
    double r2 = dx * dx + dy * dy;
    if (r2 > 1.0) {
        const double k = 1.0 / std::sqrt(r2);
        dx *= k, dy *= k, r2 = 1.0;
    }
    const double nz = std::sqrt(std::max(0.0, 1.0 - r2));
    // Light from the upper left and in front; the half vector for the highlight.
    constexpr double lx = -0.45, ly = -0.55, lz = 0.70;
    const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    const double diffuse = std::max(0.0, (dx * lx + dy * ly + nz * lz) / ll);
    const double hx = lx / ll, hy = ly / ll, hz = lz / ll + 1.0;
    const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double glint = std::pow(std::max(0.0, (dx * hx + dy * hy + nz * hz) / hl), 36.0);
    Rgb c = Shade(body, 0.2 + 0.95 * diffuse);
    // A cool bounce light on the lower right rim keeps the shadow side round.
    const double bounce = std::pow(1.0 - nz, 3.0) * std::max(0.0, dx + dy) * 0.35;
    c = Mix(c, Rgb{120, 150, 210}, bounce);
    return Mix(c, kWhite, glint * 0.95);
}

}  // namespace

Image Ball(const BallStyle& style, int cell, double radius, double phase) {
    Image img(cell, cell);
    const double c = cell / 2.0;
    const Rgb edge = Shade(style.color, 0.22);
    if (style.flame) {
        // The corona first: flame tongues from noise in polar coordinates, hottest inside.
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c;
                const double r = std::hypot(dx, dy) / radius;
                if (r <= 1.0 || r > 1.7) continue;
                const double a = (std::atan2(dy, dx) + std::numbers::pi) / kTau;  // 0..1 around
                const double n = TileNoise(a * 64.0, (r - phase * 0.9) * 40.0, 64.0, 8, 77u);
                const double heat = n * 1.6 - (r - 1.0) / 0.6;
                if (heat < 0.12) continue;
                img.Set(x, y, Mix(Rgb{200, 40, 16}, Rgb{255, 224, 96}, std::min(1.0, heat * 1.6)));
            }
    }
    if (style.ring) {
        // A ring of light just outside the edge, brightest on the inside: on any backdrop
        // the ball is a bright dot with a dark rim.
        const Sdf ring = Subtract(CircleSdf(c, c, radius + 1.8), CircleSdf(c, c, radius));
        Fill(img, ring, [&](double x, double y, double) {
            const double r = std::hypot(x - c, y - c) - radius;
            return Mix(Mix(style.ringColor, kWhite, 0.35), style.ringColor, std::clamp(r / 1.8, 0.0, 1.0));
        });
    }
    const Sdf disc = CircleSdf(c, c, radius);
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d = disc(px, py);
            if (d >= 0.5) continue;
            const double dx = (px - c) / radius, dy = (py - c) / radius;
            Rgb body = style.color;
            if (style.swirl) {
                const double angle = std::atan2(dy, dx) + std::hypot(dx, dy) * 2.2 - phase * kTau;
                body = Mix(body, Shade(body, 1.5), 0.5 + 0.5 * std::sin(angle * 3.0));
            }
            Rgb col = SphereColor(body, dx, dy);
            // Towards the outline the colour runs into the ball's own dark edge.
            if (d > -1.2) col = Mix(col, edge, (d + 1.2) / 1.7);
            // Only the ball's colours: an edge pixel is painted whole or not at all.
            if (img.Opaque(x, y) && d > 0) img.Cover(x, y, col, 0.5 - d);
            else if (d <= 0) img.Set(x, y, col);
        }
    return img;
}

Image BallSheet(const BallStyle& style, int cell, const std::vector<double>& radii, int frames) {
    frames = std::max(1, frames);
    std::vector<Image> patterns;
    for (int f = 0; f < frames; ++f)
        for (double r : radii) patterns.push_back(Ball(style, cell, r, static_cast<double>(f) / frames));
    return MakeSheet(patterns, static_cast<int>(radii.size()));
}

Image ExitGemSheet(int size, int frames) {
    frames = std::max(1, frames);
    const double c = size / 2.0;
    const Rgb gem{64, 224, 144}, deep{8, 72, 56};
    return FrameSheet(frames, [&](int f) {
        const double turn = kTau * f / frames;
        const double pulse = 0.5 + 0.5 * std::cos(turn);
        Image img(size, size);
        // A glow ring behind the gem.
        const Sdf ring = Subtract(CircleSdf(c, c, size * 0.47), CircleSdf(c, c, size * (0.36 + 0.06 * pulse)));
        Fill(img, ring, [&](double x, double y, double) {
            return Mix(Rgb{24, 120, 96}, Rgb{160, 255, 208}, 0.3 + 0.5 * pulse - 0.2 * (y - x) / size);
        });
        // The gem: a rhombus whose width follows the turn, two facets lit differently.
        const double half = size * 0.3 * (0.3 + 0.7 * std::abs(std::cos(turn / 2)));
        const double tall = size * 0.42;
        const Sdf rhombus = [=](double x, double y) { return (std::abs(x - c) / half + std::abs(y - c) / tall - 1.0) * std::min(half, tall) * 0.8; };
        const double lean = std::sin(turn / 2);
        Fill(img, rhombus, [&](double x, double y, double d) {
            const bool left = x < c + lean * half * 0.5;
            Rgb col = left ? Shade(gem, 1.25 - 0.3 * (y / size)) : Shade(gem, 0.75 - 0.2 * (y / size));
            if (y < c) col = Shade(col, 1.15);
            if (d > -1.0) col = Mix(col, deep, 0.6);
            return col;
        });
        // A sparkle on every other frame.
        if (f % 2 == 0) {
            const double sx = c - half * 0.4, sy = c - tall * 0.45;
            Overlay(img, Union(SegmentSdf(sx - 3, sy, sx + 3, sy, 0.5), SegmentSdf(sx, sy - 3, sx, sy + 3, 0.5)),
                    [](double, double, double) { return kWhite; });
        }
        return img;
    });
}

}  // namespace datagen::demo
