#include "app/Controls.h"

#include <algorithm>

#include "app/Forms.h"
#include "media/DIB.h"

namespace app {

namespace text = platform::text;

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

}  // namespace

text::FontPtr TFont::Handle() const {
    text::LogFont f;
    f.Height = Height;
    f.Weight = Bold ? text::FW_BOLD : text::FW_NORMAL;
    f.Italic = Italic;
    f.Underline = Underline;
    f.CharSet = Charset;
    f.FaceName = Name;
    return text::CreateFont(f);
}

TBitmap32 TBitmap32::FromDIB(const media::TDIB& dib) {
    media::TDIB source(dib);  // shares the image: reading pixels does not copy it
    TBitmap32 out;
    if (source.Empty()) return out;
    out.Width = source.Width();
    out.Height = source.Height();
    out.Pixels.resize(size_t(out.Width) * size_t(out.Height));
    for (int32_t y = 0; y < out.Height; ++y)
        for (int32_t x = 0; x < out.Width; ++x)
            out.Pixels[size_t(y) * size_t(out.Width) + size_t(x)] = source.PixelColor(x, y) & 0xFFFFFF;
    return out;
}

TBitmap32 TBitmap32::Filled(int32_t width, int32_t height, TColor color) {
    TBitmap32 out;
    out.Width = std::max(width, 0);
    out.Height = std::max(height, 0);
    out.Pixels.assign(size_t(out.Width) * size_t(out.Height), PixelOf(color));
    return out;
}

// ---- Canvas ----

TCanvas::TCanvas(platform::window::DialogFrame& frame) : frame_(&frame), clip_{0, 0, frame.Width, frame.Height} {}

TCanvas TCanvas::Part(const TRect& rect) const {
    TCanvas part(*this);
    part.x0_ = x0_ + rect.Left;
    part.y0_ = y0_ + rect.Top;
    part.clip_ = Intersect(clip_, {part.x0_, part.y0_, part.x0_ + rect.Width(), part.y0_ + rect.Height()});
    return part;
}

void TCanvas::FillRect(const TRect& rect, TColor color) {
    const TRect r = Intersect(clip_, {x0_ + rect.Left, y0_ + rect.Top, x0_ + rect.Right, y0_ + rect.Bottom});
    const uint32_t p = PixelOf(color);
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        std::fill_n(frame_->Pixels.begin() + ptrdiff_t(y) * frame_->Width + r.Left, r.Width(), p);
}

void TCanvas::FrameRect(const TRect& rect, TColor color) {
    FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
    FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
    FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, color);
    FillRect({rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, color);
}

void TCanvas::Edge(const TRect& rect, bool raised) {
    const TColor outerLight = raised ? clBtnHighlight : clBtnShadow, outerDark = raised ? clBtnDkShadow : clBtnHighlight;
    const TColor innerLight = raised ? clBtnFace : clBtnDkShadow, innerDark = raised ? clBtnShadow : clBtnFace;
    auto two = [&](const TRect& r, TColor light, TColor dark) {
        FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1}, light);
        FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, light);
        FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, dark);
        FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, dark);
    };
    two(rect, outerLight, outerDark);
    two({rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1}, innerLight, innerDark);
}

void TCanvas::FocusRect(const TRect& rect) {
    for (int32_t x = rect.Left; x < rect.Right; x += 2) {
        Pixel(x, rect.Top, clBlack);
        Pixel(x, rect.Bottom - 1, clBlack);
    }
    for (int32_t y = rect.Top; y < rect.Bottom; y += 2) {
        Pixel(rect.Left, y, clBlack);
        Pixel(rect.Right - 1, y, clBlack);
    }
}

void TCanvas::Pixel(int32_t x, int32_t y, TColor color) {
    x += x0_, y += y0_;
    if (x < clip_.Left || y < clip_.Top || x >= clip_.Right || y >= clip_.Bottom) return;
    frame_->Pixels[size_t(y) * size_t(frame_->Width) + size_t(x)] = PixelOf(color);
}

uint32_t TCanvas::FramePixel(int32_t x, int32_t y) const {
    x += x0_, y += y0_;
    if (x < 0 || y < 0 || x >= frame_->Width || y >= frame_->Height) return 0;
    return frame_->At(x, y);
}

void TCanvas::Draw(int32_t x, int32_t y, const TBitmap32& picture, const TRect& source, const uint32_t* key) {
    const TRect src = Intersect(source, {0, 0, picture.Width, picture.Height});
    // Destination in frame pixels, cut to the clip; the source follows the cut.
    const int32_t dx = x0_ + x + (src.Left - source.Left), dy = y0_ + y + (src.Top - source.Top);
    const TRect dest = Intersect(clip_, {dx, dy, dx + src.Width(), dy + src.Height()});
    for (int32_t row = dest.Top; row < dest.Bottom; ++row) {
        const uint32_t* in = picture.Pixels.data() + size_t(src.Top + row - dy) * size_t(picture.Width) +
                             size_t(src.Left + dest.Left - dx);
        uint32_t* out = frame_->Pixels.data() + size_t(row) * size_t(frame_->Width) + size_t(dest.Left);
        if (!key) {
            std::copy_n(in, dest.Width(), out);
            continue;
        }
        for (int32_t i = 0; i < dest.Width(); ++i)
            if (in[i] != *key) out[i] = in[i];
    }
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap32& picture) {
    if (picture.Empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
    const TRect dest = Intersect(clip_, {x0_ + rect.Left, y0_ + rect.Top, x0_ + rect.Right, y0_ + rect.Bottom});
    for (int32_t row = dest.Top; row < dest.Bottom; ++row) {
        const int32_t sy = int32_t(int64_t(row - y0_ - rect.Top) * picture.Height / rect.Height());
        for (int32_t col = dest.Left; col < dest.Right; ++col) {
            const int32_t sx = int32_t(int64_t(col - x0_ - rect.Left) * picture.Width / rect.Width());
            frame_->Pixels[size_t(row) * size_t(frame_->Width) + size_t(col)] = picture.At(sx, sy);
        }
    }
}

text::Target TCanvas::ClipTarget() const {
    text::Target t;
    t.Format = text::PixelFormat::Xrgb8888;
    t.Pitch = frame_->Width * 4;
    t.Width = clip_.Width();
    t.Height = clip_.Height();
    t.Bits = t.Width > 0 && t.Height > 0 ? frame_->Pixels.data() + size_t(clip_.Top) * size_t(frame_->Width) + size_t(clip_.Left)
                                         : nullptr;
    return t;
}

int32_t TCanvas::TextRect(TRect& rect, std::string_view text, uint32_t format) {
    return TextRect(rect, text, format, Font.Color);
}

int32_t TCanvas::TextRect(TRect& rect, std::string_view text, uint32_t format, TColor color) {
    // The text is laid out in the rectangle and cut to it and to the canvas: drawn into the
    // clip's own part of the frame, in the part's coordinates.
    const int32_t ox = x0_ - clip_.Left, oy = y0_ - clip_.Top;
    text::Rect r{rect.Left + ox, rect.Top + oy, rect.Right + ox, rect.Bottom + oy};
    const int32_t height = text::DrawText(ClipTarget(), *Font.Handle(), text, r, format, color);
    rect = {r.Left - ox, r.Top - oy, r.Right - ox, r.Bottom - oy};
    return height;
}

// ---- Controls ----

TControl::TControl(TForm& owner, std::string name) : owner_(owner), name_(std::move(name)) {
    Font = owner.Font;
    owner_.AddControl(*this);
}

TControl::~TControl() { owner_.RemoveControl(*this); }

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    // Sums in 64 bits, kept within 32: a right or bottom edge never wraps.
    auto edge = [](int32_t from, int32_t length) {
        return int32_t(std::min<int64_t>(int64_t(from) + std::max(length, 0), INT32_MAX));
    };
    const TRect bounds{left, top, edge(left, width), edge(top, height)};
    if (bounds == bounds_) return;
    owner_.InvalidateAll();  // the old place shows the form again
    bounds_ = bounds;
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    owner_.ControlChanged(*this);
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
    owner_.ControlChanged(*this);
}

bool TControl::Focused() const { return owner_.ActiveControl() == this; }

void TControl::Invalidate() { owner_.InvalidateAll(); }

void TControl::MouseDown(TMouseButton button, TShiftState, int32_t, int32_t) {
    if (button == TMouseButton::mbLeft) pressed_ = true;
}

void TControl::MouseUp(TMouseButton button, TShiftState, int32_t x, int32_t y) {
    if (button != TMouseButton::mbLeft || !pressed_) return;
    pressed_ = false;
    // Released over the control: a click.
    if (x >= 0 && y >= 0 && x < Width() && y < Height() && Enabled()) Click();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

TTimer::TTimer(TForm& owner, uint32_t interval) : owner_(owner) { timer_.SetInterval(interval); }

void TTimer::SetOnTimer(TNotifyEvent handler) {
    if (!handler) {
        timer_.SetOnTimer(nullptr);
        return;
    }
    timer_.SetOnTimer([this, handler = std::move(handler)] {
        handler(this);
        owner_.Update();
    });
}

}  // namespace app
