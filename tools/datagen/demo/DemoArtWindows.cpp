#include "tools/datagen/demo/DemoArtWindows.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/datagen/DialogData.h"
#include "tools/datagen/demo/DemoArtBall.h"
#include "tools/datagen/demo/DemoArtBricks.h"
#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kDeep{20, 22, 34};

// A dialog body: a steel rim around dark glass, a title band and a few ornaments.
Image DialogBody(int width, int height, double notch) {
    Image img(width, height);
    // The outline: a rounded rectangle with its top corners cut to a notch, so the window
    // has a shape of its own.
    const Sdf outer = [=](double x, double y) {
        const double box = RoundRectSdf(0.5, 0.5 + notch * 0.4, width - 1.0, height - 1.0 - notch * 0.4, 18.0)(x, y);
        const double tab = RoundRectSdf(width * 0.22, 0.5, width * 0.56, notch * 1.5, 10.0)(x, y);
        return std::min(box, tab);
    };
    Fill(img, outer, [&](double x, double y, double d) {
        Rgb c = Shade(Rgb{124, 136, 160}, 1.15 - 0.35 * y / height);
        const double b = Bevel(outer, x, y, d, 4.0);
        c = b > 0 ? Mix(c, kWhite, b * 0.6) : Mix(c, kDeep, -b * 0.75);
        if (d > -1.2) c = Mix(c, kDeep, 0.7);
        return c;
    });
    const double border = 10.0, top = notch * 0.4 + 36.0;
    const Sdf glass = RoundRectSdf(border, top, width - 2 * border, height - top - border, 10.0);
    Overlay(img, glass, [&](double x, double y, double d) {
        Rgb c = Mix(Rgb{24, 32, 60}, Rgb{10, 12, 28}, (y - top) / (height - top));
        const double sheen = std::exp(-std::pow(((x - border) - (y - top) * 1.3 - width * 0.25) / (width * 0.15), 2));
        c = Mix(c, Rgb{64, 80, 120}, sheen * 0.2);
        const double b = Bevel(glass, x, y, d, 3.0);
        return b < 0 ? Mix(c, Rgb{96, 110, 150}, -b * 0.5) : Mix(c, Rgb{4, 4, 10}, b * 0.6);
    });
    // The title band across the top.
    const Sdf band = RoundRectSdf(border + 6, notch * 0.4 + 6.0, width - 2 * border - 12, 26.0, 8.0);
    Overlay(img, band, [&](double x, double y, double d) {
        Rgb c = Shade(Rgb{84, 60, 36}, 1.2 - 0.4 * (y - notch * 0.4) / 32.0);
        const double b = Bevel(band, x, y, d, 2.5);
        return b > 0 ? Mix(c, Rgb{255, 210, 120}, b * 0.6) : Mix(c, kDeep, -b * 0.6);
    });
    // Two gems on the tab.
    for (double gx : {width * 0.3, width * 0.7}) {
        const Sdf gem = CircleSdf(gx, notch * 0.55 + 2.0, 5.0);
        Overlay(img, gem, [&](double x, double y, double d) {
            const double b = Bevel(gem, x, y, d, 4.0);
            return b > 0 ? Mix(Rgb{64, 200, 232}, kWhite, b * 0.7) : Mix(Rgb{64, 200, 232}, Rgb{8, 40, 64}, -b);
        });
    }
    return img;
}

}  // namespace

Image MessageBoxBackground(int width, int height) { return DialogBody(width, height, 14.0); }

Image OptionBoxBackground(int width, int height) { return DialogBody(width, height, 18.0); }

std::string RegionData(const Image& shape) {
    std::vector<RegionRectangle> rects;
    std::vector<std::pair<int, int>> previousRuns;
    std::vector<size_t> previousIndex;
    for (int y = 0; y < shape.Height(); ++y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < shape.Width();) {
            if (!shape.Opaque(x, y)) { ++x; continue; }
            const int start = x;
            while (x < shape.Width() && shape.Opaque(x, y)) ++x;
            runs.emplace_back(start, x);
        }
        std::vector<size_t> index;
        if (runs == previousRuns) {
            for (size_t i : previousIndex) rects[i].bottom = y + 1;
            index = previousIndex;
        } else {
            for (const auto& [l, r] : runs) {
                index.push_back(rects.size());
                rects.push_back({l, y, r, y + 1});
            }
        }
        previousRuns = std::move(runs);
        previousIndex = std::move(index);
    }
    try {
        return RegionBytes(rects);
    } catch (const std::length_error&) {
        throw std::length_error("demo art: a window shape too ragged for 16-bit region data");
    }
}

Image WindowButtonSheet(std::string_view label, int width, int height) {
    struct Frame { Rgb face, text; bool sunken; };
    const Frame kFrames[] = {
        {{56, 84, 140}, {240, 232, 208}, false},   // normal
        {{72, 74, 82}, {136, 138, 144}, false},    // disabled
        {{36, 52, 96}, {255, 214, 120}, true},     // pressed
        {{80, 116, 184}, {255, 240, 180}, false},  // hovered
    };
    const TextMask m = FitText(label, width - 16, height - 10, height * 6 / 10, FontFace::SansBold);
    std::vector<Image> frames;
    for (const Frame& f : kFrames) {
        Image img(width, height);
        const Sdf shape = RoundRectSdf(0.5, 0.5, width - 1.0, height - 1.0, height * 0.35);
        Fill(img, shape, [&](double x, double y, double d) {
            Rgb c = Shade(f.face, f.sunken ? 0.85 + 0.25 * y / height : 1.2 - 0.4 * y / height);
            double b = Bevel(shape, x, y, d, 3.0);
            if (f.sunken) b = -b * 0.7;
            c = b > 0 ? Mix(c, kWhite, b * 0.5) : Mix(c, kDeep, -b * 0.7);
            if (d > -1.2) c = Mix(c, kDeep, 0.7);
            return c;
        });
        const double shift = f.sunken ? 1.0 : 0.0;
        DrawCaption(img, m, width / 2.0 + shift, height / 2.0 + shift, f.text, Shade(f.face, 0.3), 1, true);
        frames.push_back(std::move(img));
    }
    return MakeSheet(frames, 1);
}

Image GameIcon(int size) {
    Image img(size, size);
    const double s = size;
    const Sdf tile = RoundRectSdf(0.5, 0.5, s - 1.0, s - 1.0, s * 0.2);
    Fill(img, tile, [&](double x, double y, double d) {
        Rgb c = Mix(Rgb{40, 48, 96}, Rgb{12, 14, 36}, y / s);
        const double b = Bevel(tile, x, y, d, s * 0.08);
        c = b > 0 ? Mix(c, Rgb{120, 140, 220}, b * 0.6) : Mix(c, Rgb{4, 4, 12}, -b * 0.6);
        return c;
    });
    // Two bricks, one of them split by the ball.
    const Image brick = BrickSheet({.width = static_cast<int>(s * 0.4), .height = static_cast<int>(s * 0.2), .color = {214, 48, 49}, .frames = 1});
    const Image brick2 = BrickSheet({.width = static_cast<int>(s * 0.4), .height = static_cast<int>(s * 0.2), .color = {240, 136, 32}, .frames = 1});
    img.Paste(brick, static_cast<int>(s * 0.08), static_cast<int>(s * 0.14));
    img.Paste(brick2, static_cast<int>(s * 0.52), static_cast<int>(s * 0.14));
    // The paddle below, the ball flying up from it with a fading trail.
    const int paddleW = static_cast<int>(s * 0.46), paddleH = std::max(4, static_cast<int>(s * 0.13));
    img.Paste(Paddle({.height = paddleH}, paddleW, paddleW, 0.3), static_cast<int>(s * 0.12), static_cast<int>(s * 0.8));
    const double bx = s * 0.56, by = s * 0.5, r = s * 0.13;
    for (int k = 4; k >= 1; --k) {
        const double t = k / 4.0;
        Overlay(img, CircleSdf(bx - t * s * 0.2, by + t * s * 0.26, r * (1.0 - 0.18 * k)), [](double, double, double) { return Rgb{150, 180, 240}; },
                0.55 * (1.0 - t * 0.8));
    }
    const int cell = static_cast<int>(std::ceil(2 * r)) + 2;
    img.Paste(Ball({}, cell, r), static_cast<int>(std::lround(bx - cell / 2.0)), static_cast<int>(std::lround(by - cell / 2.0)));
    return img;
}

Image LevelPreview(const std::vector<PreviewBrick>& bricks, const Image& background, int fieldWidth, int fieldHeight, int width,
                   int height) {
    Image img(width, height, Rgb{8, 8, 16});
    const double sx = static_cast<double>(fieldWidth) / width, sy = static_cast<double>(fieldHeight) / height;
    // The background averaged over each preview pixel's patch.
    if (background.Width() > 0 && background.Height() > 0)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                double r = 0, g = 0, b = 0;
                int n = 0;
                for (int yy = static_cast<int>(y * sy); yy < static_cast<int>((y + 1) * sy); ++yy)
                    for (int xx = static_cast<int>(x * sx); xx < static_cast<int>((x + 1) * sx); ++xx) {
                        const Rgb c = background.At(xx % background.Width(), yy % background.Height());
                        r += c.r, g += c.g, b += c.b, ++n;
                    }
                if (n) img.Set(x, y, Rgb{static_cast<uint8_t>(r / n), static_cast<uint8_t>(g / n), static_cast<uint8_t>(b / n)});
            }
    for (const PreviewBrick& brick : bricks) {
        const double x0 = brick.x / sx, y0 = brick.y / sy, w = brick.width / sx, h = brick.height / sy;
        const Sdf shape = RoundRectSdf(x0 + 0.15, y0 + 0.15, std::max(1.0, w - 0.3), std::max(1.0, h - 0.3), 0.6);
        Fill(img, shape, [&](double, double y, double d) {
            Rgb c = Shade(brick.color, 1.15 - 0.35 * (y - y0) / h);
            if (d > -0.6) c = Shade(brick.color, 0.5);
            return c;
        });
    }
    return img;
}

Image EmptySlotPicture(int width, int height) {
    Image img(width, height, Rgb{});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Faint diagonal hatching on dark glass.
            const bool hatch = ((x + y) / 6) % 2 == 0;
            img.Set(x, y, Mix(Rgb{18, 22, 38}, Rgb{26, 32, 54}, hatch ? 0.8 : 0.2 + 0.3 * y / height));
        }
    const Sdf frame = Subtract(RoundRectSdf(2, 2, width - 4.0, height - 4.0, 8.0), RoundRectSdf(5, 5, width - 10.0, height - 10.0, 6.0));
    Overlay(img, frame, [](double, double, double) { return Rgb{90, 104, 140}; });
    const TextMask m = FitText("\u2014 \u2014 \u2014", width - 40, height / 3, height / 4, FontFace::SansBold);
    DrawCaption(img, m, width / 2.0, height / 2.0, Rgb{110, 124, 160}, Rgb{10, 12, 20}, 1, true);
    return img;
}

}  // namespace datagen::demo
