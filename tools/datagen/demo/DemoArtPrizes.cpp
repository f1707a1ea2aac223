#include "tools/datagen/demo/DemoArtPrizes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <iterator>
#include <string_view>

#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

namespace {

constexpr Rgb kWhite{255, 255, 255};

struct EffectMark {
    int code;
    const char* label;
    const char* fallback;
    Rgb color;
};

// Helpful prizes in cool colours, harmful ones warm or dark.
constexpr EffectMark kEffectMarks[] = {
    {0, "\u2194", "Ш", {56, 184, 88}},     // wider paddle (шире)
    {1, "3", "3", {56, 120, 232}},         // three balls
    {2, "\u25CF", "Б", {40, 184, 216}},    // bigger ball (больше)
    {3, "П", "П", {200, 88, 220}},         // next weapon (пушка)
    {4, "С", "С", {240, 120, 32}},         // ball through bricks (сквозь)
    {5, "\u2191", "^", {120, 96, 232}},   // the paddle flies
    {6, "Д", "Д", {32, 168, 152}},         // shaking ball (дрожь)
    {7, "Л", "Л", {96, 176, 88}},          // catch (ловушка)
    {8, "2", "2", {88, 200, 232}},         // second paddle
    {9, "\u25AC", "_", {120, 144, 176}},   // closed floor
    {10, "У", "У", {168, 208, 48}},        // monsters die (уничтожить)
    {11, "Т", "Т", {208, 168, 64}},        // bricks shake (тряска)
    {15, "у", "у", {136, 184, 64}},        // first monster dies
    {16, "Ж", "Ж", {200, 56, 48}},         // narrower paddle (сжать)
    {17, "Ш", "Ш", {224, 200, 40}},        // stunned paddle (шок)
    {19, "\u21C6", "З", {200, 72, 96}},    // left and right swapped (зеркало)
    {20, "\u21C5", "З", {184, 64, 120}},   // up and down swapped
    {21, "\u00BB", "+", {72, 200, 160}},   // faster paddle
    {22, "В", "В", {168, 88, 56}},         // the paddle's English reversed (вращение)
    {23, "\u00AB", "-", {176, 80, 64}},    // slower paddle
    {24, "~", "~", {160, 120, 72}},        // the field shakes
    {25, "!", "!", {208, 64, 112}},        // a monster comes
    {26, "\u2620", "Х", {72, 64, 72}},     // a life lost
    {27, "\u2195", "П", {176, 64, 176}},   // upside down (переворот)
    {28, "В", "В", {64, 224, 144}},        // the way out (выход)
    {29, "\u2234", "Д", {120, 200, 248}},  // a rain of ghost balls (дождь)
    {30, "М", "М", {64, 144, 208}},        // slower balls (медленнее)
    {31, "\u2666", "О", {232, 72, 72}},    // the super ball (огонь)
    {32, "?", "?", {144, 160, 176}},       // a handful of prizes
    {34, "\u20BD", "Р", {240, 208, 96}},   // a rain of coins
    {35, "!", "!", {232, 104, 48}},        // the bomber
    {50, "@", "@", {192, 112, 56}},        // the balls curve
    {52, "\u00D8", "0", {136, 56, 56}},    // the weapon taken away
    {53, "\u2193", "v", {120, 72, 136}},   // the paddle lands
    {54, "л", "л", {128, 96, 64}},         // the catch let go
    {99, "\u20BD", "Р", {232, 184, 40}},   // a coin: points only
};

Rgb LabelColor(Rgb body) { return Luma(body) > 150 ? Rgb{40, 32, 24} : kWhite; }

}  // namespace

Image CapsuleSheet(const CapsuleStyle& s) {
    const int frames = std::max(1, s.frames);
    const int w = s.width, h = s.height;
    const double cx = w / 2.0, cy = h / 2.0, ry = h / 2.0 - 0.5;
    const Sdf pill = RoundRectSdf(0.5, 0.5, w - 1.0, h - 1.0, (h - 1.0) / 2.0);
    const std::string_view text = HasGlyphs(s.label) ? std::string_view(s.label) : std::string_view(s.fallback);
    const TextMask label = FitText(text, static_cast<int>(w * 0.6), static_cast<int>(h * 0.8), 2 * h, FontFace::SansBold);
    const TextMask outline = Grow(label, 1);
    // The label lies on the cylinder's surface: `around` pixels of circumference.
    const double around = std::numbers::pi * ry * 2.0;
    const Rgb ink = LabelColor(s.color), edge = Shade(s.color, 0.3);
    const Rgb rim = Luma(ink) > 128 ? Shade(s.color, 0.35) : Mix(s.color, kWhite, 0.6);
    return FrameSheet(frames, [&](int f) {
        const double phase = static_cast<double>(f) / frames;
        Image img(w, h);
        Fill(img, pill, [&](double x, double y, double d) {
            const double t = (y - cy) / ry;
            const double nz = std::sqrt(std::max(0.0, 1.0 - t * t));
            // A cylinder lit from above and in front.
            Rgb c = Shade(s.color, 0.45 + 0.75 * (0.6 * nz - 0.4 * t + 0.25));
            // The coloured band of the capsule's equator rolls with the turn.
            const double v = std::fmod(std::asin(std::clamp(t, -1.0, 1.0)) / (2 * std::numbers::pi) + phase + 10.0, 1.0);
            const bool band = std::abs(v - 0.25) < 0.06 || std::abs(v - 0.75) < 0.06;
            if (band) c = Shade(c, 0.8);
            const double bevel = Bevel(pill, x, y, d, 2.0);
            if (bevel > 0) c = Mix(c, kWhite, bevel * 0.45);
            if (d > -1.0) c = Mix(c, edge, 0.6);
            return c;
        });
        // The label: each row of the picture shows the row of the label that the turn
        // brings to that height (two labels, front and back), squeezed towards the rims.
        for (int y = 0; y < h; ++y) {
            const double t = std::clamp((y + 0.5 - cy) / ry, -1.0, 1.0);
            const double angle = std::asin(t) + phase * 2 * std::numbers::pi;
            double u = std::fmod(angle / (2 * std::numbers::pi) + 10.25, 0.5) - 0.25;  // -0.25..0.25 around a label
            const double ly = u * around + label.height / 2.0;
            const int lrow = static_cast<int>(std::floor(ly));
            const double fade = std::sqrt(std::max(0.0, 1.0 - t * t));
            for (int x = 0; x < w; ++x) {
                const int lx = x - static_cast<int>(std::lround(cx - label.width / 2.0));
                const uint8_t o = outline.At(lx + 1, lrow + 1);
                const uint8_t a = label.At(lx, lrow);
                if (o) img.Tint(x, y, rim, o / 255.0 * 0.8 * fade);
                if (a) img.Tint(x, y, ink, a / 255.0 * (0.35 + 0.65 * fade));
            }
        }
        // Gloss over the upper half.
        Overlay(img, RoundRectSdf(cx - w * 0.32, 2.0, w * 0.64, h * 0.22, h * 0.1), [](double, double, double) { return kWhite; }, 0.35);
        return img;
    });
}

CapsuleStyle LetterPrizeStyle(int index) {
    static const Rgb kLetterColors[] = {{232, 184, 40}, {224, 160, 32}, {232, 184, 40}, {224, 160, 32},
                                        {232, 184, 40}, {224, 160, 32}, {232, 184, 40}};
    index = std::clamp(index, 0, static_cast<int>(std::size(kLetterPrizeLetters)) - 1);
    CapsuleStyle s;
    s.label = s.fallback = kLetterPrizeLetters[index];
    s.color = kLetterColors[index];
    return s;
}

CapsuleStyle EffectPrizeStyle(int effectCode) {
    CapsuleStyle s;
    for (const EffectMark& m : kEffectMarks)
        if (m.code == effectCode) {
            s.label = m.label, s.fallback = m.fallback, s.color = m.color;
            return s;
        }
    s.label = s.fallback = "?";
    s.color = {144, 160, 176};
    return s;
}

Image LetterSlotSheet(int size) {
    const int letters = static_cast<int>(std::size(kLetterPrizeLetters));
    const Sdf tile = RoundRectSdf(0.5, 0.5, size - 1.0, size - 1.0, size * 0.2);
    return FrameSheet(letters + 1, [&](int f) {
        const bool lit = f > 0;
        const Rgb base = lit ? Rgb{232, 184, 40} : Rgb{52, 58, 72};
        Image img(size, size);
        Fill(img, tile, [&](double x, double y, double d) {
            Rgb c = Shade(base, 1.15 - 0.4 * y / size);
            const double b = Bevel(tile, x, y, d, 2.0);
            c = b > 0 ? Mix(c, kWhite, b * 0.5) : Mix(c, Shade(base, 0.3), -b * 0.7);
            return c;
        });
        if (lit) {
            const TextMask m = FitText(kLetterPrizeLetters[f - 1], size - 6, size - 6, size, FontFace::SansBold);
            DrawCaption(img, m, size / 2.0, size / 2.0, Rgb{64, 36, 8}, Rgb{255, 236, 160}, 1, true);
        } else {
            Overlay(img, CircleSdf(size / 2.0, size / 2.0, size * 0.12), [](double, double, double) { return Rgb{88, 96, 116}; });
        }
        return img;
    });
}

}  // namespace datagen::demo
