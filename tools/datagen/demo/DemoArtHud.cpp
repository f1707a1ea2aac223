#include "tools/datagen/demo/DemoArtHud.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kSteel{112, 122, 142};
constexpr Rgb kDeep{22, 26, 36};

Shader MetalShader(const Sdf& shape, double height, double bevel) {
    return [=](double x, double y, double d) {
        Rgb c = Shade(kSteel, 1.12 - 0.35 * y / height + (TileNoise(x * 0.2, y * 3.0, 64, 32, 21u) - 0.5) * 0.1);
        const double b = Bevel(shape, x, y, d, bevel);
        c = b > 0 ? Mix(c, kWhite, b * 0.55) : Mix(c, kDeep, -b * 0.7);
        if (d > -1.0) c = Mix(c, kDeep, 0.7);
        return c;
    };
}

void Screw(Image& img, double cx, double cy, double r) {
    const Sdf head = CircleSdf(cx, cy, r);
    Overlay(img, head, [&](double x, double y, double d) {
        const double b = Bevel(head, x, y, d, r);
        return b > 0 ? Mix(kSteel, kWhite, b * 0.7) : Mix(kSteel, kDeep, -b);
    });
    Overlay(img, SegmentSdf(cx - r * 0.6, cy + r * 0.6, cx + r * 0.6, cy - r * 0.6, 0.45), [](double, double, double) { return kDeep; });
}

// A sunken well: dark glass lit from below.
void Well(Image& img, double x0, double y0, double w, double h, double radius) {
    const Sdf well = RoundRectSdf(x0, y0, w, h, radius);
    Overlay(img, well, [&](double x, double y, double d) {
        Rgb c = Mix(Rgb{8, 14, 24}, Rgb{16, 28, 44}, (y - y0) / h);
        const double b = Bevel(well, x, y, d, 2.5);
        return b < 0 ? Mix(c, Rgb{120, 132, 156}, -b * 0.6) : Mix(c, Rgb{0, 2, 6}, b * 0.8);
    });
}

}  // namespace

Image HudPanel(int width, int height, std::string_view title) {
    Image img(width, height);
    const Sdf shape = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, 10.0);
    Fill(img, shape, MetalShader(shape, height, 4.0));
    for (double sx : {9.0, width - 9.0})
        for (double sy : {9.0, height - 9.0}) Screw(img, sx, sy, 3.5);
    if (!title.empty()) {
        Well(img, 14, 16, width - 28.0, 30, 6);
        const TextMask m = FitText(title, width - 40, 22, 18, FontFace::SansBold);
        DrawCaption(img, m, width / 2.0, 31, Rgb{255, 210, 110}, Rgb{40, 24, 8}, 1, true);
    }
    return img;
}

Image HudFieldFrame(int fieldWidth, int fieldHeight, int border) {
    const int w = fieldWidth + 2 * border, h = fieldHeight + 2 * border;
    Image img(w, h);
    const Sdf ring = Subtract(RoundRectSdf(0.5, 0.5, w - 1.0, h - 1.0, border * 0.8), RoundRectSdf(border, border, fieldWidth, fieldHeight, 0.01));
    Fill(img, ring, MetalShader(ring, h, border * 0.45));
    // Make sure the window into the field is wholly transparent.
    for (int y = border; y < border + fieldHeight; ++y)
        for (int x = border; x < border + fieldWidth; ++x) img.Clear(x, y);
    return img;
}

Image HudSurround(int width, int height, int windowX, int windowY, int windowWidth, int windowHeight) {
    Image img(width, height);
    // The plate runs past the picture's edges, so only the window's edges are bevelled.
    const Sdf plate = Subtract(RoundRectSdf(-16.0, -16.0, width + 32.0, height + 32.0, 1.0),
                               RoundRectSdf(windowX, windowY, windowWidth, windowHeight, 0.01));
    Fill(img, plate, MetalShader(plate, height, 4.5));
    for (int y = windowY; y < windowY + windowHeight; ++y)
        for (int x = windowX; x < windowX + windowWidth; ++x) img.Clear(x, y);
    return img;
}

Image HudReadout(int width, int height) {
    Image img(width, height);
    const Sdf rim = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, 6.0);
    Fill(img, rim, MetalShader(rim, height, 2.0));
    Well(img, 3, 3, width - 6.0, height - 6.0, 4.0);
    return img;
}

Image GaugeSheet(int width, int height, int frames) {
    frames = std::max(2, frames);
    return FrameSheet(frames, [&](int f) {
        const double level = static_cast<double>(f) / (frames - 1);
        Image img(width, height);
        const Sdf rim = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, height / 2.0 - 0.5);
        Fill(img, rim, MetalShader(rim, height, 1.5));
        Well(img, 2.5, 2.5, width - 5.0, height - 5.0, height / 2.0 - 2.5);
        const double fillW = (width - 7.0) * level;
        if (fillW >= 1.0) {
            const Sdf bar = RoundRectSdf(3.5, 3.5, fillW, height - 7.0, (height - 7.0) / 2.0);
            Overlay(img, bar, [&](double x, double y, double) {
                // Green to amber to red along the bar, a bright line along its top.
                const double t = (x - 3.5) / (width - 7.0);
                Rgb c = t < 0.6 ? Mix(Rgb{64, 208, 96}, Rgb{240, 200, 48}, t / 0.6) : Mix(Rgb{240, 200, 48}, Rgb{240, 72, 48}, (t - 0.6) / 0.4);
                return Shade(c, 1.25 - 0.6 * (y - 3.5) / (height - 7.0));
            });
        }
        return img;
    });
}

Image LifeIcon(int width, int height) {
    PaddleStyle s;
    s.height = height;
    return Paddle(s, width, width, 0.25);
}

Image CursorArrow(int size, int frames) {
    frames = std::max(1, frames);
    const double s = size;
    // The arrow's outline: tip at (1, 1), a tail to the lower right.
    const Sdf head = PolygonSdf({{1.0, 1.0}, {1.0, s * 0.74}, {s * 0.22, s * 0.56}, {s * 0.56, s * 0.56}});
    const Sdf tail = SegmentSdf(s * 0.3, s * 0.45, s * 0.62, s * 0.9, s * 0.08);
    const Sdf arrow = Union(head, tail);
    return FrameSheet(frames, [&](int f) {
        Image img(size, size);
        const double glint = static_cast<double>(f) / frames;
        Fill(img, arrow, [&](double x, double y, double d) {
            Rgb c = Mix(Rgb{255, 236, 170}, Rgb{232, 152, 40}, (x + y) / (2 * s));
            if (frames > 1 && std::abs((x + y) / (1.4 * s) - glint) < 0.06) c = Mix(c, kWhite, 0.7);
            if (d > -1.3) c = Rgb{40, 24, 8};
            return c;
        });
        return img;
    });
}

Image CursorPanel(int size) {
    Image img(size, size);
    const double c = size / 2.0, r = size * 0.36;
    const Sdf ring = [=](double x, double y) { return std::abs(std::hypot(x - c, y - c) - r) - size * 0.07; };
    Fill(img, ring, [&](double, double y, double d) { return d > -0.8 ? Rgb{16, 40, 48} : Mix(Rgb{160, 255, 240}, Rgb{40, 176, 200}, y / size); });
    Fill(img, CircleSdf(c, c, size * 0.09), Rgb{200, 255, 248});
    return img;
}

Image CursorSlot(bool used, int size) {
    Image img(size, size);
    // A floppy-like disk: a square body, a shutter at the top and a label at the bottom.
    const Sdf body = RoundRectSdf(1.5, 1.5, size - 3.0, size - 3.0, size * 0.1);
    const Rgb color = used ? Rgb{64, 120, 220} : Rgb{96, 104, 120};
    Fill(img, body, [&](double x, double y, double d) {
        Rgb c = Shade(color, 1.15 - 0.4 * y / size);
        const double b = Bevel(body, x, y, d, 2.0);
        c = b > 0 ? Mix(c, kWhite, b * 0.5) : Mix(c, kDeep, -b * 0.7);
        if (d > -1.0) c = kDeep;
        return c;
    });
    Overlay(img, RoundRectSdf(size * 0.3, 1.5, size * 0.4, size * 0.3, 1.0), [](double, double, double) { return Rgb{190, 196, 208}; });
    Overlay(img, RoundRectSdf(size * 0.18, size * 0.52, size * 0.64, size * 0.38, 1.5),
            [used](double, double, double) { return used ? Rgb{248, 240, 210} : Rgb{150, 154, 164}; });
    if (used) Overlay(img, CircleSdf(size * 0.5, size * 0.71, size * 0.1), [](double, double, double) { return Rgb{64, 168, 72}; });
    return img;
}

}  // namespace datagen::demo
