#include "tools/datagen/demo/DemoSheets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/demo/DemoArtHud.h"
#include "tools/datagen/demo/DemoArtPrizes.h"
#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

Image RowsToColumns(const Image& sheet, int w, int h, bool reverse) {
    const int n = std::max(1, sheet.Height() / h);
    Image out(w * n, h);
    for (int i = 0; i < n; ++i) out.Place(sheet.Crop(0, (reverse ? n - 1 - i : i) * h, w, h), i * w, 0);
    return out;
}

Image Recolour(const Image& image, Rgb tint, double amount) {
    Image out = image;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Opaque(x, y)) {
                const Rgb c = image.At(x, y);
                out.Set(x, y, Mix(c, Shade(tint, 0.35 + Luma(c) / 255.0), amount));
            }
    return out;
}

Image PaddleSkinSheet(PaddleSkin kind, int frames) {
    constexpr int kCell = 128, kHeight = 24, kTop = 4;  // the paddle's rows are 4..19
    static const int kWidths[] = {64, 80, 96, 112, 128};
    frames = std::max(1, frames);
    Image sheet(kCell * 5, kHeight * frames);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < 5; ++c) {
            Image img(kCell, kHeight);
            const double x0 = (kCell - kWidths[c]) / 2.0, x1 = x0 + kWidths[c];
            const double flicker = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (f + 0.5) / frames);
            switch (kind) {
                case PaddleSkin::Lift:
                    // Thruster flames under both caps.
                    for (double cx : {x0 + 12.0, x1 - 12.0}) {
                        const Sdf flame = EllipseSdf(cx, kTop + 17.5, 5.0, 2.5 + 1.5 * flicker);
                        Fill(img, flame, [&](double, double y, double) {
                            return Mix(Rgb{255, 240, 160}, Rgb{240, 96, 24}, std::clamp((y - kTop - 16.0) / 4.0, 0.0, 1.0));
                        });
                    }
                    break;
                case PaddleSkin::Catch:
                    // Green glue along the top edge with drops hanging from it.
                    Fill(img, RoundRectSdf(x0 + 6, kTop - 2.5, kWidths[c] - 12.0, 4.0, 2.0), Rgb{88, 216, 72});
                    for (double dx = x0 + 14; dx < x1 - 10; dx += 17)
                        Fill(img, CircleSdf(dx + 3 * flicker, kTop + 2.5, 2.2), Rgb{120, 240, 96});
                    break;
                case PaddleSkin::Frost:
                    // Ice on the caps: small crystals, glinting from frame to frame.
                    for (double cx : {x0 + 8.0, x1 - 8.0})
                        for (int k = 0; k < 4; ++k) {
                            const double a = k * std::numbers::pi / 4 + flicker * 0.4;
                            Fill(img, SegmentSdf(cx - 5 * std::cos(a), kTop + 8 - 5 * std::sin(a), cx + 5 * std::cos(a),
                                                 kTop + 8 + 5 * std::sin(a), 0.8),
                                 Rgb{200, 240, 255});
                        }
                    break;
                case PaddleSkin::Cannon:
                    // Short barrels standing on both caps.
                    for (double cx : {x0 + 10.0, x1 - 10.0}) {
                        const Sdf barrel = RoundRectSdf(cx - 2.5, 0.5, 5.0, kTop + 3.0, 1.5);
                        Fill(img, barrel, [&](double x, double, double d) {
                            Rgb m = Mix(Rgb{90, 96, 110}, Rgb{220, 226, 236}, 1.0 - std::abs(x - cx) / 2.5);
                            return d > -0.8 ? Rgb{30, 32, 40} : m;
                        });
                    }
                    break;
            }
            sheet.Place(img, c * kCell, f * kHeight);
        }
    return sheet;
}

Image LetterFrames(int size) {
    const Image slots = LetterSlotSheet(size);
    const int letters = slots.Height() / size - 1;
    return slots.Crop(0, size, size, letters * size);
}

namespace {

void Readout(Image& img, int x, int y, int w, int h) { img.Paste(HudReadout(w, h), x, y); }

}  // namespace

Image HudPanelPicture(int panel, int width, int height) {
    // Every panel is opaque to its corners: the panels together paint the screen around the
    // field each frame.
    if (panel == 2) {
        // The frame round the field at (34, 48), with a well for the lives above it.
        Image img = HudSurround(width, height, 34, 48, 576, 512);
        Readout(img, 12, 6, 340, 30);
        return img;
    }
    Image img(width, height, Rgb{14, 16, 22});
    if (panel != 1) {
        img.Paste(HudPanel(width, height), 0, 0);
        return img;
    }
    // Wells under the texts and pictures the heads-up widgets draw: the player, the level, the
    // score (its digits right-justified up to x 180), the difficulty, the letters and the
    // charge.
    img.Paste(HudPanel(width, height, "СПРАЛЛИОН"), 0, 0);
    Readout(img, 18, 47, width - 24, 50);
    Readout(img, 18, 116, width - 24, 32);
    Readout(img, 18, 178, width - 24, 34);
    Readout(img, 36, 326, 54, 54);
    Readout(img, 24, 410, 152, 32);
    Readout(img, 16, 464, 160, 24);
    const std::pair<const char*, int> captions[] = {
        {"УРОВЕНЬ", 106}, {"ОЧКИ", 167}, {"СЛОЖНОСТЬ", 314}, {"БУКВЫ", 398}, {"ЗАРЯД", 454}};
    for (const auto& [text, y] : captions) {
        const TextMask m = FitText(text, width - 40, 12, 12, FontFace::SansBold);
        DrawCaption(img, m, width / 2.0, y, Rgb{232, 200, 120}, Rgb{30, 32, 40}, 1, true);
    }
    return img;
}

}  // namespace datagen::demo
