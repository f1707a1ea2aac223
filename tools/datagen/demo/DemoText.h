// Text for the demo pictures, rendered with FreeType from the DejaVu faces that Debian's
// fonts-dejavu-core installs (anti-aliased, so the result depends only on the font files).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

enum class FontFace { SansBold, Sans, SerifBold, CondensedBold };

// Coverage of a rendered text, cropped to its ink.
struct TextMask {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;  // rows from the top
    uint8_t At(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : alpha[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    bool Empty() const { return width == 0 || height == 0; }
};

// Raises std::runtime_error when the face cannot be found or read.
TextMask RenderText(std::string_view utf8, int pixelSize, FontFace face = FontFace::SansBold);
// The largest size up to maxSize whose ink fits maxWidth × maxHeight (at least size 6).
TextMask FitText(std::string_view utf8, int maxWidth, int maxHeight, int maxSize, FontFace face = FontFace::SansBold);
// True when the face has a glyph for every character of the text.
bool HasGlyphs(std::string_view utf8, FontFace face = FontFace::SansBold);
// The mask grown by `radius` pixels on every side (an outline), with `radius` more
// pixels of width and height at each edge.
TextMask Grow(const TextMask& mask, int radius);

// Paints the mask with its top-left corner at (x, y), coloured by the shader (whose
// distance argument is 0). `opaqueOnly` keeps the text within the shapes already drawn.
void DrawMask(Image& image, const TextMask& mask, int x, int y, const Shader& shader, bool opaqueOnly = false);
void DrawMask(Image& image, const TextMask& mask, int x, int y, Rgb color, bool opaqueOnly = false);

// A caption centred on (cx, cy): a dark outline of `outline` pixels, then the text.
void DrawCaption(Image& image, const TextMask& mask, double cx, double cy, Rgb color, Rgb outlineColor, int outline,
                 bool opaqueOnly = false);

}  // namespace datagen::demo
