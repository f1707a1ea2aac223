// Text drawing for widgets, dialogs and canvases: fonts chosen by face and height, DrawText
// with its format flags into a locked pixel target (16-bit RGB565/RGB555, 24-bit, 32-bit),
// text measurement, and the process-private font files that level sets bring.
//
// Texts are 8-bit, decoded by the font's character-set byte (see Charset.h). The background
// is always transparent: only the pixels a glyph covers change. Nothing is read or written
// outside the target, and glyphs are rasterised only where they meet the clip rectangle.
//
// Two backends share all of this code (see TextSystem.h): FreeType with fontconfig face
// matching and anti-aliasing, and a headless one that draws monochrome with every face
// pinned to DejaVu Sans, so that frames do not depend on the fonts a machine has.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform::text {

// ---- Fonts ----

// Character-set bytes with a meaning here (every other byte decodes as the game's 1251).
inline constexpr uint8_t ANSI_CHARSET = 0;
inline constexpr uint8_t DEFAULT_CHARSET = 1;
inline constexpr uint8_t RUSSIAN_CHARSET = 204;
inline constexpr uint8_t EASTEUROPE_CHARSET = 238;

inline constexpr int32_t FW_DONTCARE = 0;
inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_BOLD = 700;

enum class Pitch : uint8_t { Default, Fixed, Variable };

// The description a font is made from.
struct LogFont {
    // < 0: character height (the em) in pixels; > 0: cell height (ascent + descent);
    // 0: the default, 12 points. Magnitudes are clamped to 1..kMaxPixelHeight.
    int32_t Height = 0;
    // Direction of the baseline in tenths of a degree, counter-clockwise (900 runs upwards).
    int32_t Escapement = 0;
    int32_t Weight = FW_NORMAL;  // FW_DONTCARE is normal; 600 and above draw bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = DEFAULT_CHARSET;
    Pitch PitchAndFamily = Pitch::Default;
    std::string FaceName;  // in the game's code page; empty asks for the default face

    bool operator==(const LogFont&) const = default;
};

inline constexpr int32_t kMaxPixelHeight = 1024;

// The height of a font of `points` points at 96 pixels per inch (a character height, so
// negative). Zero, negative, NaN and huge sizes are clamped to 1..kMaxPixelHeight pixels.
int32_t HeightFromPoints(double points);

// A font made from a LogFont: a face, its size and its glyph cache. Shared and immutable
// to its users; the glyph cache it fills while drawing is guarded by a lock of its own.
class Font;
using FontPtr = std::shared_ptr<const Font>;

// Made by the process's text system (TextSystem::Default()); never null. A font whose face
// cannot be opened draws nothing and measures 0.
FontPtr CreateFont(const LogFont& font);

struct TextMetrics {
    int32_t Height = 0;  // Ascent + Descent: the distance between lines
    int32_t Ascent = 0;
    int32_t Descent = 0;
    int32_t InternalLeading = 0;  // Height minus the character height
    int32_t AveCharWidth = 0;     // a tab stop is eight of these
};
TextMetrics GetTextMetrics(const Font& font);

// ---- Targets ----

struct Rect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const Rect&) const = default;
};

enum class PixelFormat : uint8_t {
    Rgb565,    // 16 bits, the display's surfaces
    Rgb555,    // 16 bits, the bitmaps' default 16-bit layout
    Rgb888,    // 24 bits, blue first in memory
    Xrgb8888,  // 32 bits, blue first in memory; the top byte is kept as it is
};

// A locked pixel buffer: row y starts at Bits + y × Pitch (Pitch may be negative for
// bottom-up bitmaps). A target without bits, with a size of 0 or with rows shorter than
// its width is not drawn on.
struct Target {
    void* Bits = nullptr;
    int32_t Pitch = 0;  // bytes
    int32_t Width = 0;
    int32_t Height = 0;
    PixelFormat Format = PixelFormat::Rgb565;
};

// ---- Drawing ----

// Format flags of DrawText.
inline constexpr uint32_t DT_TOP = 0x0;
inline constexpr uint32_t DT_LEFT = 0x0;
inline constexpr uint32_t DT_CENTER = 0x1;
inline constexpr uint32_t DT_RIGHT = 0x2;
inline constexpr uint32_t DT_VCENTER = 0x4;  // with DT_SINGLELINE only
inline constexpr uint32_t DT_BOTTOM = 0x8;   // with DT_SINGLELINE only
inline constexpr uint32_t DT_WORDBREAK = 0x10;
inline constexpr uint32_t DT_SINGLELINE = 0x20;
inline constexpr uint32_t DT_EXPANDTABS = 0x40;
inline constexpr uint32_t DT_NOCLIP = 0x100;
inline constexpr uint32_t DT_CALCRECT = 0x400;
inline constexpr uint32_t DT_NOPREFIX = 0x800;

// Draws `text` into `rect` of `target` in `color` (0x00BBGGRR), transparent background.
//
// Lines end at CR, LF, CR LF and LF CR (each pair is one line end), unless DT_SINGLELINE.
// DT_WORDBREAK breaks lines between words to fit the width; a word wider than the
// rectangle stands alone on its line. DT_EXPANDTABS puts tab stops every eight average
// character widths from the rectangle's left edge. Unless DT_NOPREFIX, "&x" draws x
// underlined and "&&" draws "&". The text is clipped to the rectangle (unless DT_NOCLIP)
// and always to the target.
//
// An escaped font lays the text out in a box whose sides follow the baseline (the
// rectangle's sides swapped when the baseline is nearer vertical) and turns that box about
// the rectangle's centre: at 900 the lines run upwards from the rectangle's bottom-left.
//
// DT_CALCRECT draws nothing: `rect` keeps its top-left corner and takes the text's width
// and height. Answers the height of the text (0 for an empty text or an unusable font).
int32_t DrawText(const Target& target, const Font& font, std::string_view text, Rect& rect, uint32_t format,
                 uint32_t color);

// One line of text with its cell's top-left corner at (x, y), turned about that point by
// the font's escapement; no prefixes or tabs. Clipped to `clip` when given and always to
// the target. Answers false for an unusable font or target.
bool TextOut(const Target& target, const Font& font, int32_t x, int32_t y, std::string_view text, uint32_t color,
             const Rect* clip = nullptr);

// The width and line height of one line of text (no prefixes, tabs measure nothing).
struct Extent {
    int32_t Cx = 0;
    int32_t Cy = 0;
};
Extent GetTextExtent(const Font& font, std::string_view text);

// ---- Font files ----

// Makes the fonts of a file available to this process (TrueType, OpenType or any format
// FreeType reads). Answers the number of faces added, 0 when the file is not a font. A
// file added n times stays until it is removed n times.
int AddFontResource(const std::string& path);
// Answers false for a file that is not added (never, or already removed as often).
bool RemoveFontResource(const std::string& path);

// ---- Log ----

// Where the text system's lines go (backend choice, face substitutions): stderr until set.
void SetLogSink(std::function<void(const std::string&)> sink);

}  // namespace platform::text
