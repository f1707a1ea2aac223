#include "media/DIBCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace media {

namespace txt = platform::text;

// ---- Font ----

int32_t TCanvasFont::Size() const {
    // Height = -points * 96 / 72, so points = -Height * 72 / 96, rounded.
    const int64_t h = Height < 0 ? -int64_t(Height) : int64_t(Height);
    return int32_t((h * 72 + 48) / 96);
}

void TCanvasFont::SetSize(double points) { Height = txt::HeightFromPoints(points); }

txt::LogFont TCanvasFont::Description() const {
    txt::LogFont d;
    d.FaceName = Name;
    d.Height = Height;
    d.Escapement = Escapement;
    d.CharSet = Charset;
    d.Weight = (Style & fsBold) ? txt::FW_BOLD : txt::FW_NORMAL;
    d.Italic = (Style & fsItalic) != 0;
    d.Underline = (Style & fsUnderline) != 0;
    d.StrikeOut = (Style & fsStrikeOut) != 0;
    return d;
}

// ---- Pixels ----

bool TextPixelFormat(int bitCount, uint32_t rMask, uint32_t gMask, uint32_t bMask, txt::PixelFormat& format) {
    switch (bitCount) {
        case 16:
            if (rMask == 0xF800 && gMask == 0x07E0 && bMask == 0x001F) return format = txt::PixelFormat::Rgb565, true;
            if (rMask == 0x7C00 && gMask == 0x03E0 && bMask == 0x001F) return format = txt::PixelFormat::Rgb555, true;
            return false;
        case 24: return format = txt::PixelFormat::Rgb888, true;
        case 32:
            if (rMask == 0xFF0000 && gMask == 0xFF00 && bMask == 0xFF) return format = txt::PixelFormat::Xrgb8888, true;
            return false;
        default: return false;
    }
}

namespace {

int BytesPerPixel(txt::PixelFormat f) {
    switch (f) {
        case txt::PixelFormat::Rgb565:
        case txt::PixelFormat::Rgb555: return 2;
        case txt::PixelFormat::Rgb888: return 3;
        case txt::PixelFormat::Xrgb8888: return 4;
    }
    return 0;
}

uint8_t* At(const txt::Target& t, int32_t x, int32_t y) {
    return static_cast<uint8_t*>(t.Bits) + ptrdiff_t(y) * t.Pitch + ptrdiff_t(x) * BytesPerPixel(t.Format);
}

// A TColor written in the target's format (each channel keeps its top bits).
void Put(const txt::Target& t, uint8_t* p, uint32_t color) {
    const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    switch (t.Format) {
        case txt::PixelFormat::Rgb565: {
            const uint16_t v = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
            std::memcpy(p, &v, 2);
            break;
        }
        case txt::PixelFormat::Rgb555: {
            const uint16_t v = uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
            std::memcpy(p, &v, 2);
            break;
        }
        case txt::PixelFormat::Rgb888: p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r); break;
        case txt::PixelFormat::Xrgb8888: p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r); break;
    }
}

uint32_t Get(const txt::Target& t, const uint8_t* p) {
    auto widen5 = [](uint32_t v) { return v << 3 | v >> 2; };
    auto widen6 = [](uint32_t v) { return v << 2 | v >> 4; };
    uint32_t r = 0, g = 0, b = 0;
    switch (t.Format) {
        case txt::PixelFormat::Rgb565: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            r = widen5(v >> 11), g = widen6((v >> 5) & 63), b = widen5(v & 31);
            break;
        }
        case txt::PixelFormat::Rgb555: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            r = widen5((v >> 10) & 31), g = widen5((v >> 5) & 31), b = widen5(v & 31);
            break;
        }
        case txt::PixelFormat::Rgb888:
        case txt::PixelFormat::Xrgb8888: b = p[0], g = p[1], r = p[2]; break;
    }
    return r | g << 8 | b << 16;
}

txt::Rect ToText(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
TRect FromText(const txt::Rect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

// ---- Canvas ----

bool TCanvas::Begin(txt::Target& target) {
    if (!Acquire(target)) return false;
    held_ = true;
    return target.Bits && target.Width > 0 && target.Height > 0;
}

void TCanvas::Release() {
    if (held_) Unacquire();
    held_ = false;
}

const txt::Font& TCanvas::CurrentFont() {
    const txt::LogFont d = Font.Description();
    if (!font_ || !(d == fontDesc_)) {
        font_ = txt::CreateFont(d);
        fontDesc_ = d;
    }
    return *font_;
}

void TCanvas::Fill(const txt::Target& t, TRect r, uint32_t color) {
    r.Left = std::max(r.Left, 0), r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, t.Width), r.Bottom = std::min(r.Bottom, t.Height);
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        for (int32_t x = r.Left; x < r.Right; ++x) Put(t, At(t, x, y), color);
}

void TCanvas::Opaque(const txt::Target& t, const TRect& cell) {
    if (Brush.Style == TBrushStyle::bsSolid) Fill(t, cell, Brush.Color);
}

int32_t TCanvas::DrawText(std::string_view text, TRect& rect, uint32_t format) {
    const txt::Font& font = CurrentFont();
    txt::Rect r = ToText(rect);
    if (format & txt::DT_CALCRECT) {
        const int32_t h = txt::DrawText(txt::Target{}, font, text, r, format, Font.Color);
        rect = FromText(r);
        return h;
    }
    txt::Target t;
    if (!Begin(t)) return 0;
    if (Brush.Style == TBrushStyle::bsSolid) {
        txt::Rect cell = r;
        txt::DrawText(t, font, text, cell, format | txt::DT_CALCRECT, Font.Color);
        TRect fill = FromText(cell);
        if (!(format & txt::DT_NOCLIP)) {
            fill.Left = std::max(fill.Left, rect.Left), fill.Top = std::max(fill.Top, rect.Top);
            fill.Right = std::min(fill.Right, rect.Right), fill.Bottom = std::min(fill.Bottom, rect.Bottom);
        }
        Opaque(t, fill);
    }
    return txt::DrawText(t, font, text, r, format, Font.Color);
}

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    const txt::Font& font = CurrentFont();
    txt::Target t;
    if (!Begin(t)) return;
    if (Font.Escapement == 0) {
        const txt::Extent e = txt::GetTextExtent(font, text);
        Opaque(t, {x, y, x + e.Cx, y + e.Cy});
    }
    txt::TextOut(t, font, x, y, text, Font.Color);
    penX_ = x + txt::GetTextExtent(font, text).Cx, penY_ = y;
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, std::string_view text) {
    const txt::Font& font = CurrentFont();
    txt::Target t;
    if (!Begin(t)) return;
    Opaque(t, rect);
    const txt::Rect clip = ToText(rect);
    txt::TextOut(t, font, x, y, text, Font.Color, &clip);
}

int32_t TCanvas::TextWidth(std::string_view text) { return txt::GetTextExtent(CurrentFont(), text).Cx; }
int32_t TCanvas::TextHeight(std::string_view text) { return txt::GetTextExtent(CurrentFont(), text).Cy; }

void TCanvas::FillRect(const TRect& rect) {
    txt::Target t;
    if (Brush.Style == TBrushStyle::bsClear || !Begin(t)) return;
    Fill(t, rect, Brush.Color);
}

void TCanvas::FrameRect(const TRect& r) {
    txt::Target t;
    if (r.Right <= r.Left || r.Bottom <= r.Top || !Begin(t)) return;
    Fill(t, {r.Left, r.Top, r.Right, r.Top + 1}, Brush.Color);
    Fill(t, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, Brush.Color);
    Fill(t, {r.Left, r.Top, r.Left + 1, r.Bottom}, Brush.Color);
    Fill(t, {r.Right - 1, r.Top, r.Right, r.Bottom}, Brush.Color);
}

void TCanvas::MoveTo(int32_t x, int32_t y) { penX_ = x, penY_ = y; }

void TCanvas::LineTo(int32_t x, int32_t y) {
    txt::Target t;
    if (Begin(t)) {
        // Bresenham from the pen to (x, y), the end point left out; only points on the
        // pixels are written, however long the line.
        int64_t x0 = penX_, y0 = penY_;
        const int64_t dx = std::llabs(int64_t(x) - x0), dy = -std::llabs(int64_t(y) - y0);
        const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
        int64_t err = dx + dy;
        while (x0 != x || y0 != y) {
            if (x0 >= 0 && y0 >= 0 && x0 < t.Width && y0 < t.Height)
                Put(t, At(t, int32_t(x0), int32_t(y0)), Pen.Color);
            const int64_t e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    penX_ = x, penY_ = y;
}

uint32_t TCanvas::Pixel(int32_t x, int32_t y) {
    txt::Target t;
    if (!Begin(t) || x < 0 || y < 0 || x >= t.Width || y >= t.Height) return 0xFFFFFFFF;
    return Get(t, At(t, x, y));
}

void TCanvas::SetPixel(int32_t x, int32_t y, uint32_t color) {
    txt::Target t;
    if (!Begin(t) || x < 0 || y < 0 || x >= t.Width || y >= t.Height) return;
    Put(t, At(t, x, y), color);
}

// ---- Bitmap canvas ----

bool TDIBCanvas::Acquire(txt::Target& target) {
    if (dib_.Empty()) return false;
    const TPixelFormat& pf = dib_.NowPixelFormat();
    txt::PixelFormat format;
    if (!TextPixelFormat(dib_.BitCount(), pf.RBitMask, pf.GBitMask, pf.BBitMask, format)) return false;
    uint8_t* top = dib_.TopPBits();  // private and decoded from here on
    if (!top) return false;
    target.Bits = top;
    target.Pitch = int32_t(dib_.NextLine());  // rows are stored bottom-up
    target.Width = dib_.Width();
    target.Height = dib_.Height();
    target.Format = format;
    return true;
}

}  // namespace media
