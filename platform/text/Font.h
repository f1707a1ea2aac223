// A font: one face of a font file at one size and slant, with its metrics and a glyph
// cache, and the drawing of glyphs and filled bars (underlines) on a target.
//
// Coordinates on the target are pixels with y down; a glyph's pen is the point of the
// baseline where it starts. The font's escapement turns every glyph and bar about its pen.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/text/Charset.h"
#include "platform/text/Text.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;
struct FT_Outline_;

namespace platform::text {

// FreeType's library object, shared by every face made on it. FreeType wants the making
// and freeing of faces on one library serialised: that goes through Lock().
class FtLibrary {
public:
    FtLibrary();
    ~FtLibrary();
    FtLibrary(const FtLibrary&) = delete;
    FtLibrary& operator=(const FtLibrary&) = delete;

    FT_LibraryRec_* Get() const { return library_; }
    std::unique_lock<std::mutex> Lock() const { return std::unique_lock(mutex_); }

private:
    FT_LibraryRec_* library_ = nullptr;
    mutable std::mutex mutex_;
};

// One face of a font file held in memory; the bytes live as long as any font uses them.
struct FontFace {
    std::string Path;
    std::shared_ptr<const std::vector<uint8_t>> Bytes;
    int32_t Index = 0;   // face within the file
    std::string Family;  // as the file names it
    bool Bold = false;
    bool Italic = false;
};

// The baseline direction of an escapement: exact for the right angles.
struct Direction {
    double Cos = 1, Sin = 0;
    // Nearer vertical than horizontal: a layout box takes the rectangle's sides swapped.
    bool Upright() const { return Sin * Sin > Cos * Cos; }
};
Direction DirectionOf(int32_t escapement) noexcept;

struct PointF {
    double X = 0, Y = 0;
};

class Font {
public:
    // `desc` is normalised (NormalFont); `face` may be null: the font then draws nothing.
    Font(std::shared_ptr<const FtLibrary> library, std::shared_ptr<const FontFace> face, const LogFont& desc,
         bool monochrome);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const LogFont& Desc() const { return desc_; }
    bool Usable() const { return face_ != nullptr; }
    // The face drawn, for logs and tests; empty when unusable.
    const std::string& FacePath() const;
    const std::string& FamilyName() const;
    bool Monochrome() const { return monochrome_; }

    const TextMetrics& Metrics() const { return metrics_; }
    int32_t PixelsPerEm() const { return ppem_; }
    Direction Dir() const { return direction_; }
    // Below the baseline (positive down): the top of the underline and of the strike-out bar.
    int32_t UnderlineTop() const { return underlineTop_; }
    int32_t UnderlineThickness() const { return underlineSize_; }
    int32_t StrikeOutTop() const { return strikeTop_; }
    int32_t StrikeOutThickness() const { return strikeSize_; }

    // Whether the face has a glyph for the byte (else the missing-glyph box is drawn).
    bool HasGlyph(uint8_t byte) const;
    int32_t Advance(uint8_t byte) const;

    // Draws the byte's glyph with its pen at (penX, penY), inside `clip` (within the target).
    void DrawGlyph(const Target& target, const Rect& clip, uint8_t byte, int64_t penX, int64_t penY,
                   uint32_t color) const;
    // Fills a quadrilateral given by its corners in order, inside `clip` (within the target).
    void FillQuad(const Target& target, const Rect& clip, const std::array<PointF, 4>& corners, uint32_t color) const;

private:
    struct Glyph {
        bool Loaded = false;
        bool Present = false;
        int32_t Advance = 0;
        // Box of the glyph's pixels relative to the pen (y down); empty for a blank glyph.
        int32_t Left = 0, Top = 0, Width = 0, Height = 0;
        bool Cached = false;  // Bits hold the coverage of the whole box
        std::vector<uint8_t> Bits;
    };

    void Open();
    const Glyph& GlyphOf(uint8_t byte) const;  // with mutex_ held
    bool LoadOutline(uint8_t byte) const;      // into the face's slot, transformed
    void Render(FT_Outline_* outline, int64_t penX, int64_t penY, const Rect& area, const Target& target,
                uint32_t color) const;

    std::shared_ptr<const FtLibrary> library_;
    std::shared_ptr<const FontFace> face_;
    LogFont desc_;
    bool monochrome_;
    CodePage codePage_;
    Direction direction_;
    FT_FaceRec_* ftFace_ = nullptr;
    int32_t ppem_ = 0;
    bool emboldened_ = false;
    bool slanted_ = false;
    int32_t boldStrength_ = 0;  // 26.6
    TextMetrics metrics_;
    int32_t underlineTop_ = 0, underlineSize_ = 1, strikeTop_ = 0, strikeSize_ = 1;

    mutable std::mutex mutex_;
    mutable std::array<Glyph, 256> glyphs_{};
    mutable size_t cachedBytes_ = 0;
};

// A LogFont with its height clamped, its weight and escapement normalised.
LogFont NormalFont(const LogFont& font);

}  // namespace platform::text
