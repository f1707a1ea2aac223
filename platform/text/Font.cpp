#include "platform/text/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/text/Raster.h"

namespace platform::text {

namespace {

// Glyphs up to this many pixels keep their coverage; larger ones are rasterised anew each
// time, and only where they meet the clip.
constexpr int64_t kMaxCachedGlyphPixels = 200 * 200;
constexpr size_t kGlyphCacheBudget = size_t(1) << 20;  // bytes of coverage per font

constexpr int32_t kDefaultHeight = -16;  // 12 points

int32_t Scale(int64_t units, int32_t ppem, int32_t unitsPerEm) {
    return static_cast<int32_t>(std::lround(static_cast<double>(units) * ppem / unitsPerEm));
}

FT_Fixed Fixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

int64_t FloorDiv64(int64_t v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }
int64_t CeilDiv64(int64_t v) { return -FloorDiv64(-v); }

struct Box64 {
    int64_t Left, Top, Right, Bottom;
};

Box64 Intersect64(const Box64& a, const Rect& b) {
    return {std::max<int64_t>(a.Left, b.Left), std::max<int64_t>(a.Top, b.Top), std::min<int64_t>(a.Right, b.Right),
            std::min<int64_t>(a.Bottom, b.Bottom)};
}

void Threshold(std::vector<uint8_t>& bits) {
    for (uint8_t& b : bits) b = b >= 128 ? 255 : 0;
}

// Rasterises `outline` (26.6, y up, already placed in a box of width × height) into
// `bits`, which must hold width × height zeroed bytes.
void RasteriseInto(FT_Library library, FT_Outline* outline, int32_t width, int32_t height, uint8_t* bits) {
    FT_Bitmap bitmap;
    FT_Bitmap_Init(&bitmap);
    bitmap.rows = static_cast<unsigned>(height);
    bitmap.width = static_cast<unsigned>(width);
    bitmap.pitch = width;
    bitmap.buffer = bits;
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    FT_Outline_Get_Bitmap(library, outline, &bitmap);
}

}  // namespace

FtLibrary::FtLibrary() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

FtLibrary::~FtLibrary() {
    if (library_) FT_Done_FreeType(library_);
}

Direction DirectionOf(int32_t escapement) noexcept {
    const int32_t e = ((escapement % 3600) + 3600) % 3600;
    switch (e) {
        case 0: return {1, 0};
        case 900: return {0, 1};
        case 1800: return {-1, 0};
        case 2700: return {0, -1};
        default: break;
    }
    const double a = e * std::numbers::pi / 1800.0;
    return {std::cos(a), std::sin(a)};
}

LogFont NormalFont(const LogFont& font) {
    LogFont n = font;
    const int64_t h = n.Height == 0 ? kDefaultHeight : n.Height;
    const int64_t magnitude = std::clamp<int64_t>(h < 0 ? -h : h, 1, kMaxPixelHeight);
    n.Height = static_cast<int32_t>(h < 0 ? -magnitude : magnitude);
    n.Weight = n.Weight <= 0 ? FW_NORMAL : std::min(n.Weight, 1000);
    n.Escapement = ((n.Escapement % 3600) + 3600) % 3600;
    return n;
}

int32_t HeightFromPoints(double points) {
    if (!(points > 0)) return -1;  // zero, negative and NaN
    const double pixels = std::round(points * 96.0 / 72.0);
    return -static_cast<int32_t>(std::clamp(pixels, 1.0, static_cast<double>(kMaxPixelHeight)));
}

Font::Font(std::shared_ptr<const FtLibrary> library, std::shared_ptr<const FontFace> face, const LogFont& desc,
           bool monochrome)
    : library_(std::move(library)),
      face_(std::move(face)),
      desc_(desc),
      monochrome_(monochrome),
      codePage_(CodePageOf(desc.CharSet)),
      direction_(DirectionOf(desc.Escapement)) {
    Open();
}

Font::~Font() {
    if (ftFace_) {
        auto lock = library_->Lock();
        FT_Done_Face(ftFace_);
    }
}

const std::string& Font::FacePath() const {
    static const std::string none;
    return face_ ? face_->Path : none;
}

const std::string& Font::FamilyName() const {
    static const std::string none;
    return face_ ? face_->Family : none;
}

void Font::Open() {
    if (!face_ || !face_->Bytes || !library_ || !library_->Get()) {
        face_ = nullptr;
        return;
    }
    {
        auto lock = library_->Lock();
        if (FT_New_Memory_Face(library_->Get(), face_->Bytes->data(), static_cast<FT_Long>(face_->Bytes->size()),
                               face_->Index, &ftFace_) != 0)
            ftFace_ = nullptr;
    }
    if (!ftFace_ || !FT_IS_SCALABLE(ftFace_) || ftFace_->units_per_EM == 0) {
        face_ = nullptr;
        return;
    }
    FT_Select_Charmap(ftFace_, FT_ENCODING_UNICODE);

    const int32_t upem = ftFace_->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace_, FT_SFNT_OS2));
    const bool hasOs2 = os2 && os2->version != 0xFFFF;
    // Font files come from level sets too: their numbers are kept within reason.
    int64_t ascent = std::clamp<int64_t>(hasOs2 ? os2->usWinAscent : ftFace_->ascender, 0, 4 * int64_t{upem});
    int64_t descent = std::clamp<int64_t>(hasOs2 ? os2->usWinDescent : -ftFace_->descender, 0, 4 * int64_t{upem});
    if (ascent + descent <= 0) {
        ascent = upem * 4 / 5;
        descent = upem - ascent;
    }
    // A negative height is the em; a positive one the cell, ascent plus descent.
    ppem_ = desc_.Height < 0 ? -desc_.Height : Scale(desc_.Height, upem, static_cast<int32_t>(ascent + descent));
    ppem_ = std::clamp(ppem_, 1, kMaxPixelHeight);
    if (FT_Set_Pixel_Sizes(ftFace_, 0, static_cast<FT_UInt>(ppem_)) != 0) {
        face_ = nullptr;
        return;
    }
    metrics_.Ascent = Scale(ascent, ppem_, upem);
    metrics_.Descent = Scale(descent, ppem_, upem);
    metrics_.Height = std::max(1, metrics_.Ascent + metrics_.Descent);
    metrics_.InternalLeading = std::max(0, metrics_.Height - ppem_);

    emboldened_ = desc_.Weight >= 600 && !face_->Bold;
    slanted_ = desc_.Italic && !face_->Italic;
    boldStrength_ = std::max(16, ppem_ * 64 / 24);

    const int32_t average = hasOs2 && os2->xAvgCharWidth > 0 ? Scale(os2->xAvgCharWidth, ppem_, upem) : Advance('x');
    metrics_.AveCharWidth = std::max(1, average);

    underlineSize_ = std::clamp(Scale(ftFace_->underline_thickness, ppem_, upem), 1, std::max(1, ppem_ / 4));
    const int32_t underlineCentre = Scale(-ftFace_->underline_position, ppem_, upem);
    underlineTop_ = std::clamp(underlineCentre - underlineSize_ / 2, 1, std::max(1, metrics_.Descent - underlineSize_));
    // The strike-out position is the top of its bar, above the baseline.
    if (hasOs2 && os2->yStrikeoutSize > 0) {
        strikeSize_ = std::clamp(Scale(os2->yStrikeoutSize, ppem_, upem), 1, std::max(1, ppem_ / 4));
        strikeTop_ = -std::clamp(Scale(os2->yStrikeoutPosition, ppem_, upem), 0, metrics_.Ascent);
    } else {
        strikeSize_ = underlineSize_;
        strikeTop_ = -std::max(1, metrics_.Ascent / 3);
    }
}

bool Font::LoadOutline(uint8_t byte) const {
    const char32_t ch = DecodeByte(codePage_, byte);
    FT_UInt index = FT_Get_Char_Index(ftFace_, ch);
    // Escaped text is not hinted: the hints fit the pixel grid of upright glyphs only.
    const FT_Int32 flags = FT_LOAD_NO_BITMAP | (direction_.Sin != 0 || direction_.Cos < 0 ? FT_LOAD_NO_HINTING : 0);
    if (FT_Load_Glyph(ftFace_, index, flags) != 0 && (index == 0 || FT_Load_Glyph(ftFace_, 0, flags) != 0))
        return false;
    FT_GlyphSlot slot = ftFace_->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    FT_Outline* outline = &slot->outline;
    if (emboldened_) FT_Outline_EmboldenXY(outline, boldStrength_, boldStrength_ / 2);
    if (slanted_) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
        FT_Outline_Transform(outline, &shear);
    }
    if (direction_.Sin != 0 || direction_.Cos != 1) {
        FT_Matrix turn{Fixed(direction_.Cos), Fixed(-direction_.Sin), Fixed(direction_.Sin), Fixed(direction_.Cos)};
        FT_Outline_Transform(outline, &turn);
    }
    return true;
}

const Font::Glyph& Font::GlyphOf(uint8_t byte) const {
    Glyph& g = glyphs_[byte];
    if (g.Loaded) return g;
    g.Loaded = true;
    if (!LoadOutline(byte)) return g;
    g.Present = FT_Get_Char_Index(ftFace_, DecodeByte(codePage_, byte)) != 0;
    FT_GlyphSlot slot = ftFace_->glyph;
    g.Advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    if (emboldened_) g.Advance += std::max(1, (boldStrength_ + 32) >> 6);
    FT_Outline* outline = &slot->outline;
    if (outline->n_points == 0) return g;
    FT_BBox box;
    FT_Outline_Get_CBox(outline, &box);
    const int64_t left = FloorDiv64(box.xMin), right = CeilDiv64(box.xMax);
    const int64_t bottom = FloorDiv64(box.yMin), top = CeilDiv64(box.yMax);
    const int64_t width = right - left, height = top - bottom;
    if (width <= 0 || height <= 0 || width > INT32_MAX / 2 || height > INT32_MAX / 2) return g;
    g.Left = static_cast<int32_t>(left);
    g.Top = static_cast<int32_t>(-top);
    g.Width = static_cast<int32_t>(width);
    g.Height = static_cast<int32_t>(height);
    const int64_t pixels = width * height;
    if (pixels > kMaxCachedGlyphPixels || cachedBytes_ + static_cast<size_t>(pixels) > kGlyphCacheBudget) return g;
    g.Bits.assign(static_cast<size_t>(pixels), 0);
    FT_Outline_Translate(outline, -left * 64, -bottom * 64);
    RasteriseInto(library_->Get(), outline, g.Width, g.Height, g.Bits.data());
    if (monochrome_) Threshold(g.Bits);
    g.Cached = true;
    cachedBytes_ += g.Bits.size();
    return g;
}

bool Font::HasGlyph(uint8_t byte) const {
    if (!Usable()) return false;
    std::lock_guard lock(mutex_);
    return GlyphOf(byte).Present;
}

int32_t Font::Advance(uint8_t byte) const {
    if (!Usable()) return 0;
    std::lock_guard lock(mutex_);
    return GlyphOf(byte).Advance;
}

void Font::Render(FT_Outline* outline, int64_t penX, int64_t penY, const Rect& area, const Target& target,
                  uint32_t color) const {
    const int32_t width = area.Right - area.Left, height = area.Bottom - area.Top;
    FT_Outline_Translate(outline, static_cast<FT_Pos>((penX - area.Left) * 64),
                         static_cast<FT_Pos>((area.Bottom - penY) * 64));
    std::vector<uint8_t> bits(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    RasteriseInto(library_->Get(), outline, width, height, bits.data());
    if (monochrome_) Threshold(bits);
    BlendCoverage(target, area, Coverage{area.Left, area.Top, width, height, bits.data(), width}, color);
}

void Font::DrawGlyph(const Target& target, const Rect& clip, uint8_t byte, int64_t penX, int64_t penY,
                     uint32_t color) const {
    if (!Usable() || IsEmpty(clip)) return;
    std::lock_guard lock(mutex_);
    const Glyph& g = GlyphOf(byte);
    if (g.Width <= 0 || g.Height <= 0) return;
    const Box64 box{penX + g.Left, penY + g.Top, penX + g.Left + g.Width, penY + g.Top + g.Height};
    const Box64 area = Intersect64(box, clip);
    if (area.Right <= area.Left || area.Bottom <= area.Top) return;
    // The glyph meets the clip, so its corner lies within a glyph's size of it.
    if (g.Cached) {
        BlendCoverage(target, clip,
                      Coverage{static_cast<int32_t>(box.Left), static_cast<int32_t>(box.Top), g.Width, g.Height,
                               g.Bits.data(), g.Width},
                      color);
        return;
    }
    if (!LoadOutline(byte)) return;
    const Rect part{static_cast<int32_t>(area.Left), static_cast<int32_t>(area.Top), static_cast<int32_t>(area.Right),
                    static_cast<int32_t>(area.Bottom)};
    Render(&ftFace_->glyph->outline, penX, penY, part, target, color);
}

void Font::FillQuad(const Target& target, const Rect& clip, const std::array<PointF, 4>& corners,
                    uint32_t color) const {
    if (!Usable() || IsEmpty(clip)) return;
    double minX = corners[0].X, maxX = minX, minY = corners[0].Y, maxY = minY;
    for (const PointF& p : corners) {
        // Callers cut bars to the clip's reach; anything else is not drawn.
        if (!(std::fabs(p.X) < 1e8 && std::fabs(p.Y) < 1e8)) return;
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    }
    const Box64 box{static_cast<int64_t>(std::floor(minX)), static_cast<int64_t>(std::floor(minY)),
                    static_cast<int64_t>(std::ceil(maxX)), static_cast<int64_t>(std::ceil(maxY))};
    const Box64 area = Intersect64(box, clip);
    if (area.Right <= area.Left || area.Bottom <= area.Top) return;
    // The quad as an outline with its pen at the box's top-left corner.
    FT_Vector points[4];
    for (int i = 0; i < 4; ++i) {
        points[i].x = static_cast<FT_Pos>(std::lround((corners[i].X - static_cast<double>(box.Left)) * 64));
        points[i].y = static_cast<FT_Pos>(std::lround((static_cast<double>(box.Top) - corners[i].Y) * 64));
    }
    char tags[4] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
    short contours[1] = {3};
    FT_Outline outline{};
    outline.n_contours = 1;
    outline.n_points = 4;
    outline.points = points;
    outline.tags = tags;
    outline.contours = contours;
    outline.flags = FT_OUTLINE_NONE;
    const Rect part{static_cast<int32_t>(area.Left), static_cast<int32_t>(area.Top), static_cast<int32_t>(area.Right),
                    static_cast<int32_t>(area.Bottom)};
    std::lock_guard lock(mutex_);
    Render(&outline, box.Left, box.Top, part, target, color);
}

}  // namespace platform::text
