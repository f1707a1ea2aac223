// Canvases: text and simple drawing on the pixels of a bitmap or a surface, drawn through
// the text stand-in (platform/text). A canvas takes its pixels when it first needs them (a
// surface is locked, as the system's device context locks it) and gives them back with
// Release, which callers call after each use.
//
// Colours are TColor values ($00BBGGRR). Text is always drawn on a transparent background;
// with a solid brush, TextOut, TextRect and DrawText fill the text's cell first, as an opaque
// device context does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/DIB.h"
#include "platform/text/Text.h"

namespace media {

enum class TBrushStyle : uint8_t { bsSolid, bsClear };

// Font style bits.
inline constexpr uint8_t fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

struct TCanvasFont {
    std::string Name = "Arial";
    // Pixels: negative the character height, positive the cell height (as LOGFONT's).
    int32_t Height = -11;
    uint32_t Color = 0;
    uint8_t Charset = platform::text::DEFAULT_CHARSET;
    int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    uint8_t Style = 0;

    // Points at 96 pixels per inch; setting the size sets Height.
    int32_t Size() const;
    void SetSize(double points);
    platform::text::LogFont Description() const;
};

struct TBrush {
    uint32_t Color = 0xFFFFFF;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
    uint32_t Color = 0;
};

class TCanvas {
public:
    TCanvas() = default;
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TCanvasFont Font;
    TBrush Brush;
    TPen Pen;

    // The system's DrawText on this canvas (the flags of platform/text): answers the text's
    // height; DT_CALCRECT measures into rect and draws nothing.
    int32_t DrawText(std::string_view text, TRect& rect, uint32_t format);
    void TextOut(int32_t x, int32_t y, std::string_view text);
    // One line at (x, y), clipped to rect.
    void TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text);
    int32_t TextWidth(std::string_view text);
    int32_t TextHeight(std::string_view text);

    // With the brush (nothing for a clear brush), clipped to the pixels.
    void FillRect(const TRect& rect);
    // A one-pixel frame inside rect in the brush's colour.
    void FrameRect(const TRect& rect);
    // Lines in the pen's colour; LineTo leaves out its last point.
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    // TColor of a pixel; 0xFFFFFFFF (no colour) outside the pixels.
    uint32_t Pixel(int32_t x, int32_t y);
    void SetPixel(int32_t x, int32_t y, uint32_t color);

    // Gives the pixels back; the next drawing takes them again.
    void Release();
    bool HandleAllocated() const { return held_; }

protected:
    // The pixels, asked for before every drawing (a canvas that locks keeps its lock until
    // Unacquire); false when there are none this canvas can draw on (an empty picture, an
    // indexed one, a surface that does not lock).
    virtual bool Acquire(platform::text::Target& target) = 0;
    virtual void Unacquire() = 0;

private:
    bool Begin(platform::text::Target& target);
    const platform::text::Font& CurrentFont();
    void Fill(const platform::text::Target& target, TRect rect, uint32_t color);
    void Opaque(const platform::text::Target& target, const TRect& cell);

    bool held_ = false;
    platform::text::FontPtr font_;
    platform::text::LogFont fontDesc_;
    int32_t penX_ = 0, penY_ = 0;
};

// A canvas on a bitmap of 16 (5-6-5 or 5-5-5), 24 or 32 bits; drawing makes its image
// private first. Indexed pictures draw nothing.
class TDIBCanvas final : public TCanvas {
public:
    explicit TDIBCanvas(TDIB& dib) : dib_(dib) {}

protected:
    bool Acquire(platform::text::Target& target) override;
    void Unacquire() override {}

private:
    TDIB& dib_;
};

// The pixel format of the text stand-in for a bitmap of bitCount bits and these masks;
// false when there is none.
bool TextPixelFormat(int bitCount, uint32_t rMask, uint32_t gMask, uint32_t bMask,
                     platform::text::PixelFormat& format);

}  // namespace media
