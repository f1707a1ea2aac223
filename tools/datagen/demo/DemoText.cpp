#include "tools/datagen/demo/DemoText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace datagen::demo {

namespace {

const char* FaceFile(FontFace face) {
    switch (face) {
        case FontFace::Sans: return "DejaVuSans.ttf";
        case FontFace::SerifBold: return "DejaVuSerif-Bold.ttf";
        case FontFace::CondensedBold: return "DejaVuSansCondensed-Bold.ttf";
        case FontFace::SansBold: break;
    }
    return "DejaVuSans-Bold.ttf";
}

std::string FacePath(FontFace face) {
    static const char* const kFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                                           "/usr/local/share/fonts/truetype/dejavu"};
    for (const char* folder : kFolders) {
        std::filesystem::path p = std::filesystem::path(folder) / FaceFile(face);
        if (std::filesystem::exists(p)) return p.string();
    }
    throw std::runtime_error(std::string("demo art: font ") + FaceFile(face) + " not found (package fonts-dejavu-core)");
}

// One FreeType library and the faces opened so far, for the life of the program.
class Fonts {
public:
    ~Fonts() {
        for (FT_Face f : faces_)
            if (f) FT_Done_Face(f);
        if (library_) FT_Done_FreeType(library_);
    }
    FT_Face Face(FontFace face) {
        if (!library_ && FT_Init_FreeType(&library_) != 0) throw std::runtime_error("demo art: FreeType cannot be initialized");
        FT_Face& f = faces_[static_cast<size_t>(face)];
        if (!f && FT_New_Face(library_, FacePath(face).c_str(), 0, &f) != 0) {
            f = nullptr;
            throw std::runtime_error(std::string("demo art: font ") + FaceFile(face) + " cannot be read");
        }
        return f;
    }
    std::mutex lock;

private:
    FT_Library library_ = nullptr;
    std::array<FT_Face, 4> faces_{};
};

Fonts& TheFonts() {
    static Fonts fonts;
    return fonts;
}

std::vector<char32_t> Decode(std::string_view s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        if (i + static_cast<size_t>(extra) >= s.size() && extra > 0) break;  // cut short
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

TextMask RenderText(std::string_view utf8, int pixelSize, FontFace faceId) {
    Fonts& fonts = TheFonts();
    std::lock_guard guard(fonts.lock);
    FT_Face face = fonts.Face(faceId);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(1, pixelSize)));
    const std::vector<char32_t> text = Decode(utf8);
    // Lay the glyphs out on a canvas with room above and below the baseline.
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6) + 2;
    const int descent = static_cast<int>(-face->size->metrics.descender >> 6) + 2;
    int advance = 0;
    for (char32_t c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) advance += static_cast<int>(face->glyph->advance.x >> 6) + 1;
    }
    const int canvasW = advance + pixelSize * 2 + 4, canvasH = ascent + descent;
    std::vector<uint8_t> canvas(static_cast<size_t>(canvasW) * static_cast<size_t>(canvasH), 0);
    int penX = pixelSize, prev = 0;
    for (char32_t c : text) {
        const FT_UInt index = FT_Get_Char_Index(face, c);
        if (prev && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, static_cast<FT_UInt>(prev), index, FT_KERNING_DEFAULT, &kern) == 0) penX += static_cast<int>(kern.x >> 6);
        }
        prev = static_cast<int>(index);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int ox = penX + face->glyph->bitmap_left, oy = ascent - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const int x = ox + static_cast<int>(col), y = oy + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= canvasW || y >= canvasH) continue;
                uint8_t& dst = canvas[static_cast<size_t>(y) * static_cast<size_t>(canvasW) + static_cast<size_t>(x)];
                dst = std::max(dst, bm.buffer[static_cast<ptrdiff_t>(row) * bm.pitch + static_cast<ptrdiff_t>(col)]);
            }
        penX += static_cast<int>(face->glyph->advance.x >> 6);
    }
    // Crop to the ink.
    int x0 = canvasW, y0 = canvasH, x1 = -1, y1 = -1;
    for (int y = 0; y < canvasH; ++y)
        for (int x = 0; x < canvasW; ++x)
            if (canvas[static_cast<size_t>(y) * static_cast<size_t>(canvasW) + static_cast<size_t>(x)]) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    TextMask mask;
    if (x1 < 0) return mask;
    mask.width = x1 - x0 + 1, mask.height = y1 - y0 + 1;
    mask.alpha.resize(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height));
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            mask.alpha[static_cast<size_t>(y) * static_cast<size_t>(mask.width) + static_cast<size_t>(x)] =
                canvas[static_cast<size_t>(y + y0) * static_cast<size_t>(canvasW) + static_cast<size_t>(x + x0)];
    return mask;
}

TextMask FitText(std::string_view utf8, int maxWidth, int maxHeight, int maxSize, FontFace face) {
    for (int size = maxSize; size > 6; --size) {
        TextMask m = RenderText(utf8, size, face);
        if (m.width <= maxWidth && m.height <= maxHeight) return m;
    }
    return RenderText(utf8, 6, face);
}

bool HasGlyphs(std::string_view utf8, FontFace faceId) {
    Fonts& fonts = TheFonts();
    std::lock_guard guard(fonts.lock);
    FT_Face face = fonts.Face(faceId);
    for (char32_t c : Decode(utf8))
        if (FT_Get_Char_Index(face, c) == 0) return false;
    return true;
}

TextMask Grow(const TextMask& mask, int radius) {
    TextMask out;
    out.width = mask.width + 2 * radius, out.height = mask.height + 2 * radius;
    out.alpha.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            int best = 0;
            for (int dy = -radius; dy <= radius && best < 255; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const double dist = std::hypot(dx, dy);
                    if (dist > radius + 0.5) continue;
                    const double fade = std::clamp(radius + 0.5 - dist, 0.0, 1.0);
                    best = std::max(best, static_cast<int>(mask.At(x - radius + dx, y - radius + dy) * fade));
                }
            out.alpha[static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)] = static_cast<uint8_t>(best);
        }
    return out;
}

void DrawMask(Image& image, const TextMask& mask, int x, int y, const Shader& shader, bool opaqueOnly) {
    for (int my = 0; my < mask.height; ++my)
        for (int mx = 0; mx < mask.width; ++mx) {
            const uint8_t a = mask.At(mx, my);
            if (!a) continue;
            const int px = x + mx, py = y + my;
            const Rgb c = shader(px + 0.5, py + 0.5, 0.0);
            if (opaqueOnly) image.Tint(px, py, c, a / 255.0);
            else image.Cover(px, py, c, a / 255.0);
        }
}

void DrawMask(Image& image, const TextMask& mask, int x, int y, Rgb color, bool opaqueOnly) {
    DrawMask(image, mask, x, y, [color](double, double, double) { return color; }, opaqueOnly);
}

void DrawCaption(Image& image, const TextMask& mask, double cx, double cy, Rgb color, Rgb outlineColor, int outline,
                 bool opaqueOnly) {
    const int x = static_cast<int>(std::lround(cx - mask.width / 2.0));
    const int y = static_cast<int>(std::lround(cy - mask.height / 2.0));
    if (outline > 0) DrawMask(image, Grow(mask, outline), x - outline, y - outline, outlineColor, opaqueOnly);
    DrawMask(image, mask, x, y, color, opaqueOnly);
}

}  // namespace datagen::demo
