#include "tools/datagen/demo/DemoArtInsignia.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGold{232, 184, 64};
constexpr Rgb kSilver{200, 206, 216};
constexpr Rgb kDeep{24, 20, 16};
constexpr double kPi = std::numbers::pi;

Shader Metal(const Sdf& shape, Rgb base, double height, double bevel) {
    return [=](double x, double y, double d) {
        Rgb c = Shade(base, 1.2 - 0.45 * y / height);
        const double b = Bevel(shape, x, y, d, bevel);
        c = b > 0 ? Mix(c, kWhite, b * 0.6) : Mix(c, Shade(base, 0.3), -b * 0.8);
        if (d > -1.0) c = Mix(c, kDeep, 0.6);
        return c;
    };
}

Sdf Star(double cx, double cy, double outer, double inner, int points = 5, double turn = 0) {
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < points * 2; ++i) {
        const double a = -kPi / 2 + turn + i * kPi / points;
        const double r = i % 2 ? inner : outer;
        pts.emplace_back(cx + std::cos(a) * r, cy + std::sin(a) * r);
    }
    return PolygonSdf(std::move(pts));
}

// A chevron pointing up: two strokes meeting at (cx, top).
Sdf Chevron(double cx, double top, double half, double drop, double thick) {
    return Union(SegmentSdf(cx - half, top + drop, cx, top, thick), SegmentSdf(cx, top, cx + half, top + drop, thick));
}

// A rocker: an arc under the chevrons.
Sdf Rocker(double cx, double cy, double radius, double thick) {
    return [=](double x, double y) {
        const double a = std::atan2(y - (cy - radius), x - cx);
        const double ring = std::abs(std::hypot(x - cx, y - (cy - radius)) - radius) - thick;
        return a > kPi * 0.2 && a < kPi * 0.8 ? ring : std::max(ring, 1.0);
    };
}

void Paint(Image& img, const Sdf& shape, Rgb base, double bevel, bool over = true) {
    if (over) Overlay(img, shape, Metal(shape, base, img.Height(), bevel));
    else Fill(img, shape, Metal(shape, base, img.Height(), bevel));
}

Image Patch(int w, int h, int chevrons, int rockers) {
    Image img(w, h);
    const double cx = w / 2.0;
    // An olive shield-shaped patch with a gold edge.
    const Sdf patch = PolygonSdf({{w * 0.1, h * 0.06}, {w * 0.9, h * 0.06}, {w * 0.9, h * 0.62}, {cx, h * 0.96}, {w * 0.1, h * 0.62}});
    Fill(img, patch, [&](double x, double y, double d) {
        Rgb c = Shade(Rgb{74, 84, 52}, 1.1 - 0.3 * y / h + (TileNoise(x, y, 32, 16, 9u) - 0.5) * 0.15);
        if (d > -2.2) c = d > -1.0 ? kDeep : kGold;
        return c;
    });
    const double thick = h * 0.045;
    for (int i = 0; i < chevrons; ++i) Paint(img, Chevron(cx, h * (0.18 + 0.13 * i), w * 0.3, h * 0.16, thick), kGold, 1.5);
    for (int i = 0; i < rockers; ++i) Paint(img, Rocker(cx, h * (0.56 + 0.1 * i), w * 0.3, thick), kGold, 1.5);
    return img;
}

Image Board(int w, int h, Rgb cloth, Rgb edge, bool stripes, int stars, bool bigStars, bool rocket) {
    Image img(w, h);
    const double cx = w / 2.0, half = w * 0.24;
    // A shoulder board: long, with a pointed top and a button.
    const Sdf board = PolygonSdf({{cx - half, h * 0.96}, {cx - half, h * 0.2}, {cx, h * 0.03}, {cx + half, h * 0.2}, {cx + half, h * 0.96}});
    Fill(img, board, [&](double x, double y, double d) {
        Rgb c = Shade(cloth, 1.15 - 0.35 * y / h);
        if (cloth == kGold) c = Shade(cloth, 1.05 - 0.3 * y / h + 0.12 * std::sin((x - y) * 0.9));  // woven zig-zag
        if (d > -2.0) c = d > -0.9 ? kDeep : edge;
        return c;
    });
    if (stripes)
        for (double sx : {cx - half * 0.45, cx + half * 0.45})
            Overlay(img, SegmentSdf(sx, h * 0.26, sx, h * 0.92, w * 0.03), [](double, double, double) { return Rgb{200, 40, 40}; });
    Paint(img, CircleSdf(cx, h * 0.16, w * 0.05), kSilver, 1.5);
    const double r = bigStars ? half * 0.8 : half * 0.55;
    const double top = h * 0.34, bottom = h * 0.86;
    for (int i = 0; i < stars; ++i) {
        const double sy = stars == 1 ? (top + bottom) / 2 : top + (bottom - top) * i / (stars - 1);
        Paint(img, Star(cx, sy, r, r * 0.42), cloth == kGold ? kSilver : kGold, 1.5);
    }
    if (rocket) {
        // A small rocket across the lower part of the board.
        const Sdf body = RoundRectSdf(cx - half * 0.25, h * 0.52, half * 0.5, h * 0.3, half * 0.25);
        const Sdf fins = PolygonSdf({{cx - half * 0.55, h * 0.86}, {cx, h * 0.7}, {cx + half * 0.55, h * 0.86}});
        Paint(img, Union(body, fins), Rgb{200, 48, 40}, 1.5);
    }
    return img;
}

Image Wreath(int w, int h, bool crown) {
    Image img(w, h);
    const double cx = w / 2.0, cy = h * 0.54, r = std::min(w, h) * 0.4;
    // Laurel leaves around the lower part of a circle.
    for (int side : {-1, 1})
        for (int k = 0; k < 7; ++k) {
            const double a = kPi / 2 + side * (0.35 + k * 0.33);
            const double lx = cx + std::cos(a) * r, ly = cy + std::sin(a) * r;
            Paint(img, EllipseSdf(lx, ly, r * 0.2, r * 0.11), Rgb{96, 160, 72}, 1.2, false);
        }
    Paint(img, Star(cx, cy, r * 0.72, r * 0.3), crown ? Rgb{220, 48, 40} : kGold, 2.5, false);
    Paint(img, Star(cx, cy, r * 0.36, r * 0.15), kGold, 1.5);
    if (crown) {
        // Rays above the star.
        for (int k = -2; k <= 2; ++k) {
            const double a = -kPi / 2 + k * 0.32;
            Paint(img, SegmentSdf(cx + std::cos(a) * r * 0.78, cy + std::sin(a) * r * 0.78, cx + std::cos(a) * r * 1.12,
                                  cy + std::sin(a) * r * 1.12, 1.3),
                  kGold, 1.0, false);
        }
    }
    return img;
}

}  // namespace

Image RankInsignia(int rank, int width, int height) {
    rank = std::clamp(rank, 1, kRankCount);
    const Rgb navy{36, 48, 88}, green{52, 72, 48};
    switch (rank) {
        case 1: return Patch(width, height, 1, 0);
        case 2: return Patch(width, height, 2, 0);
        case 3: return Patch(width, height, 3, 0);
        case 4: return Patch(width, height, 3, 1);
        case 5: return Patch(width, height, 3, 2);
        case 6: return Patch(width, height, 3, 3);
        case 7: case 8: case 9: return Board(width, height, green, kGold, false, rank - 6, false, false);
        case 10: case 11: case 12: case 13: return Board(width, height, navy, kGold, true, rank - 9, false, false);
        case 14: case 15: case 16: return Board(width, height, kGold, Rgb{140, 100, 32}, false, rank - 13, true, false);
        case 17: return Board(width, height, kGold, Rgb{140, 100, 32}, false, 1, true, true);
        case 18: return Wreath(width, height, false);
        default: return Wreath(width, height, true);
    }
}

Image MedalPicture(int medal, int width, int height) {
    medal = std::clamp(medal, 1, kMedalCount);
    struct Look { Rgb stripe1, stripe2, metal; int shape; const char* mark; const char* fallback; Rgb markColor; };
    static const Look kLooks[kMedalCount] = {
        {{200, 40, 40}, {240, 200, 64}, kGold, 0, "$", "$", {120, 72, 16}},               // score stealer
        {{40, 88, 200}, {220, 224, 232}, kSilver, 1, "\u25AC", "=", {40, 56, 96}},        // crafty paddle
        {{232, 168, 32}, {120, 40, 24}, kGold, 2, "\u25CF", "o", {150, 96, 24}},           // gilded cannon-ball
        {{40, 150, 64}, {232, 232, 200}, {200, 128, 72}, 0, "\u2663", "+", {24, 96, 40}},  // fortunate hunt
        {{200, 32, 64}, {255, 160, 176}, kSilver, 3, "\u2665", "<3", {200, 24, 48}},       // thirst for life
        {{32, 120, 200}, {255, 255, 255}, kGold, 1, "\u00BB", ">>", {32, 80, 160}},        // step ahead
        {{96, 64, 40}, {200, 168, 96}, {200, 128, 72}, 2, "\u2295", "+", {96, 40, 24}},    // famous hunter
        {{120, 40, 168}, {232, 200, 255}, kSilver, 3, "\u2666", "<>", {120, 32, 160}},     // unique fortune
        {{255, 255, 255}, {64, 176, 232}, kSilver, 0, "\u2713", "V", {32, 128, 64}},       // clean sheet
        {{200, 32, 32}, {232, 184, 64}, kGold, 2, "\u265B", "W", {140, 40, 24}},           // better than best
    };
    const Look& look = kLooks[medal - 1];
    Image img(width, height);
    const double cx = width / 2.0;
    // The ribbon: a folded band in two colours.
    const double rw = width * 0.42, rh = height * 0.4;
    const Sdf ribbon = PolygonSdf({{cx - rw / 2, 1.0}, {cx + rw / 2, 1.0}, {cx + rw / 2, rh}, {cx, rh + rw * 0.3}, {cx - rw / 2, rh}});
    Fill(img, ribbon, [&](double x, double y, double d) {
        const int band = static_cast<int>((x - (cx - rw / 2)) / (rw / 5));
        Rgb c = Shade(band % 2 ? look.stripe2 : look.stripe1, 1.1 - 0.3 * y / rh);
        if (d > -1.0) c = Mix(c, kDeep, 0.6);
        return c;
    });
    // The medal.
    const double my = height * 0.68, r = std::min(width * 0.42, height * 0.3);
    Sdf body;
    switch (look.shape) {
        case 0: body = CircleSdf(cx, my, r); break;
        case 1: body = Star(cx, my, r * 1.1, r * 0.55); break;
        case 2: body = Star(cx, my, r * 1.05, r * 0.78, 8); break;
        default: body = Union(RoundRectSdf(cx - r, my - r * 0.32, 2 * r, r * 0.64, 2.0), RoundRectSdf(cx - r * 0.32, my - r, r * 0.64, 2 * r, 2.0)); break;
    }
    Fill(img, body, Metal(body, look.metal, height, 3.0));
    const std::string_view mark = HasGlyphs(look.mark) ? std::string_view(look.mark) : std::string_view(look.fallback);
    const TextMask m = FitText(mark, static_cast<int>(r * 1.1), static_cast<int>(r * 1.1), static_cast<int>(r * 1.4), FontFace::SansBold);
    DrawCaption(img, m, cx, my, look.markColor, Mix(look.metal, kWhite, 0.5), 1, true);
    return img;
}

Image DifficultyBadge(int difficulty, int width, int height) {
    difficulty = std::clamp(difficulty, 1, kDifficultyCount);
    static const Rgb kColors[] = {{64, 176, 88}, {232, 176, 40}, {208, 56, 48}};
    const Rgb color = kColors[difficulty - 1];
    Image img(width, height);
    const double cx = width / 2.0;
    const Sdf shield = PolygonSdf({{width * 0.12, height * 0.08}, {width * 0.88, height * 0.08}, {width * 0.88, height * 0.55},
                                   {cx, height * 0.95}, {width * 0.12, height * 0.55}});
    Fill(img, shield, Metal(shield, color, height, 3.0));
    for (int i = 0; i < difficulty; ++i) {
        const double px = cx + (i - (difficulty - 1) / 2.0) * width * 0.22;
        Paint(img, Star(px, height * 0.42, width * 0.12, width * 0.05), Rgb{250, 244, 220}, 1.2);
    }
    return img;
}

}  // namespace datagen::demo
