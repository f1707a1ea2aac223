#include "tools/datagen/demo/DemoArtPaddle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};

// Chrome along the height: a hot band near the top, a dark dip under the middle, a soft
// reflection at the foot; brighter on top than at the bottom overall.
double ChromeLevel(double t) {
    return 1.22 - 0.62 * t + 0.28 * std::exp(-std::pow((t - 0.2) / 0.09, 2)) - 0.22 * std::exp(-std::pow((t - 0.6) / 0.1, 2)) +
           0.1 * std::exp(-std::pow((t - 0.86) / 0.07, 2));
}

}  // namespace

Image Paddle(const PaddleStyle& s, int cellWidth, int width, double phase) {
    const int h = s.height;
    Image img(cellWidth, h);
    const double x0 = (cellWidth - width) / 2.0 + 0.5, w = width - 1.0;
    const Sdf body = RoundRectSdf(x0, 0.5, w, h - 1.0, (h - 1.0) / 2.0);
    const Rgb steel = s.stunned ? Rgb{120, 124, 136} : Rgb{170, 180, 196};
    const Rgb deep{36, 40, 52};
    const Rgb caps = s.stunned ? Shade(s.caps, 0.6) : s.caps;
    const double capW = std::min(h * 1.1, w * 0.22);
    Fill(img, body, [&](double x, double y, double d) {
        const double t = (y - 0.5) / (h - 1.0);
        const bool cap = x < x0 + capW || x > x0 + w - capW;
        Rgb c = Shade(cap ? caps : steel, ChromeLevel(t));
        const double bevel = Bevel(body, x, y, d, 2.5);
        c = bevel > 0 ? Mix(c, kWhite, bevel * 0.55) : Mix(c, deep, -bevel * 0.7);
        // Seams between the caps and the body.
        const double seam = std::min(std::abs(x - (x0 + capW)), std::abs(x - (x0 + w - capW)));
        if (seam < 0.8) c = Mix(c, deep, 0.7);
        if (d > -1.0) c = Mix(c, deep, 0.6);
        return c;
    });
    // The energy strip along the middle of the body, pulsing with the phase.
    const double pulse = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * phase);
    const Rgb glow = s.stunned ? Rgb{96, 104, 120} : s.glow;
    const double stripX = x0 + capW + 3, stripW = w - 2 * capW - 6;
    if (stripW > 4) {
        const Sdf strip = RoundRectSdf(stripX, h * 0.42, stripW, std::max(2.0, h * 0.2), 1.0);
        Overlay(img, strip, [&](double x, double, double d) {
            // A bright spot travels along the strip.
            const double along = (x - stripX) / stripW;
            const double spot = std::exp(-std::pow((along - phase) * 5.0, 2));
            Rgb c = Mix(Shade(glow, 0.55 + 0.35 * pulse), kWhite, spot * 0.8);
            if (d > -0.6) c = Shade(c, 0.8);
            return c;
        });
    }
    if (s.cannons) {
        // Short barrels on top of the caps.
        for (double cx : {x0 + capW * 0.5, x0 + w - capW * 0.5}) {
            const Sdf barrel = RoundRectSdf(cx - 1.8, 0.5, 3.6, h * 0.45, 1.2);
            Overlay(img, barrel, [&](double x, double y, double d) {
                const double b = Bevel(barrel, x, y, d, 1.2);
                return b > 0 ? Mix(Rgb{60, 64, 72}, kWhite, b * 0.6) : Mix(Rgb{60, 64, 72}, deep, -b);
            });
        }
    }
    if (s.stunned) {
        // Crackling sparks over the body, placed by the phase.
        Xorshift rng(static_cast<uint64_t>(phase * 1000) + 11u);
        for (int k = 0; k < 3; ++k) {
            double px = x0 + capW + rng.Unit() * (w - 2 * capW), py = h * rng.Range(0.2, 0.8);
            for (int seg = 0; seg < 3; ++seg) {
                const double nx = px + rng.Range(2.0, 5.0), ny = std::clamp(py + rng.Signed() * 3.0, 2.0, h - 2.0);
                Overlay(img, SegmentSdf(px, py, nx, ny, 0.5), [](double, double, double) { return Rgb{220, 240, 255}; });
                px = nx, py = ny;
            }
        }
    }
    return img;
}

Image PaddleSheet(const PaddleStyle& s, int cellWidth, const std::vector<int>& widths, int frames) {
    frames = std::max(1, frames);
    std::vector<Image> patterns;
    for (int f = 0; f < frames; ++f)
        for (int w : widths) patterns.push_back(Paddle(s, cellWidth, std::min(w, cellWidth), static_cast<double>(f) / frames));
    return MakeSheet(patterns, static_cast<int>(widths.size()));
}

}  // namespace datagen::demo
