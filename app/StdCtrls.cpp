#include "app/StdCtrls.h"

#include <algorithm>

#include "app/Forms.h"
#include "platform/input/VirtualKeys.h"

namespace app {

namespace text = platform::text;
namespace vk = platform::input::vk;

// ---- Label ----

void TLabel::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Invalidate();
}

void TLabel::SetAlignment(TAlignment a) {
    Alignment = a;
    Invalidate();
}

uint32_t TLabel::TextFormat() const {
    uint32_t format = text::DT_EXPANDTABS;
    if (Alignment == TAlignment::taCenter) format |= text::DT_CENTER;
    if (Alignment == TAlignment::taRightJustify) format |= text::DT_RIGHT;
    if (WordWrap) format |= text::DT_WORDBREAK;
    if (!ShowAccelChar) format |= text::DT_NOPREFIX;
    return format;
}

void TLabel::Paint(TCanvas& canvas) {
    if (!Transparent) canvas.FillRect(ClientRect(), Color);
    TRect r = ClientRect();
    canvas.TextRect(r, caption_, TextFormat(), Enabled() ? Font.Color : clGrayText);
}

// ---- Image ----

void TImage::SetPicture(TBitmap32 picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
    if (picture_.Empty()) return;
    if (Stretch) {
        canvas.StretchDraw(ClientRect(), picture_);
        return;
    }
    const int32_t x = Center ? (Width() - picture_.Width) / 2 : 0, y = Center ? (Height() - picture_.Height) / 2 : 0;
    canvas.Draw(x, y, picture_);
}

// ---- Buttons ----

bool TButtonControl::KeyDown(uint32_t key, TShiftState) {
    if (key != vk::Space && key != vk::Return) return false;
    Click();
    return true;
}

void TButtonControl::Click() {
    if (ModalResult != 0) Owner().ModalResult = ModalResult;
    TControl::Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TButtonControl::MouseDown(button, shift, x, y);
    Invalidate();
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    Invalidate();
    TButtonControl::MouseUp(button, shift, x, y);
}

void TButton::Paint(TCanvas& canvas) {
    const TRect r = ClientRect();
    const bool down = Pressed() && MouseInControl();
    canvas.FillRect(r, clBtnFace);
    if (Default && Enabled()) {
        canvas.FrameRect(r, clBlack);
        canvas.Edge({1, 1, r.Right - 1, r.Bottom - 1}, !down);
    } else {
        canvas.Edge(r, !down);
    }
    TRect caption{r.Left + (down ? 1 : 0), r.Top + (down ? 1 : 0), r.Right + (down ? 1 : 0), r.Bottom + (down ? 1 : 0)};
    const uint32_t format = text::DT_CENTER | text::DT_VCENTER | text::DT_SINGLELINE;
    if (Enabled()) {
        canvas.TextRect(caption, Caption, format, Font.Color);
    } else {
        // Embossed, as the class library draws a disabled caption.
        TRect light{caption.Left + 1, caption.Top + 1, caption.Right + 1, caption.Bottom + 1};
        canvas.TextRect(light, Caption, format, clBtnHighlight);
        canvas.TextRect(caption, Caption, format, clBtnShadow);
    }
    if (Focused()) canvas.FocusRect({4, 4, r.Right - 4, r.Bottom - 4});
}

// ---- Check box ----

void TCheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Invalidate();
}

bool TCheckBox::KeyDown(uint32_t key, TShiftState) {
    if (key != vk::Space) return false;
    Click();
    return true;
}

void TCheckBox::Click() {
    SetChecked(!checked_);
    TControl::Click();
}

void TCheckBox::Paint(TCanvas& canvas) {
    constexpr int32_t box = 13;
    const int32_t top = (Height() - box) / 2;
    const TRect b{0, top, box, top + box};
    canvas.FillRect(b, Enabled() && !(Pressed() && MouseInControl()) ? clWindow : clBtnFace);
    canvas.FrameRect(b, Enabled() ? clBtnDkShadow : clBtnShadow);
    if (checked_) {
        // A tick of two strokes, three pixels thick.
        const TColor ink = Enabled() ? clWindowText : clGrayText;
        for (int32_t i = 0; i < 7; ++i) {
            const int32_t x = 3 + i, y = i < 3 ? top + 5 + i : top + 9 - (i - 2);
            for (int32_t t = 0; t < 3; ++t) canvas.Pixel(x, y + t - 1, ink);
        }
    }
    if (Caption.empty()) {
        if (Focused()) canvas.FocusRect({0, top - 1, box + 1, top + box + 1});
        return;
    }
    TRect r{box + 4, 0, Width(), Height()};
    canvas.TextRect(r, Caption, text::DT_VCENTER | text::DT_SINGLELINE, Enabled() ? Font.Color : clGrayText);
    if (Focused()) {
        TRect measure{box + 4, 0, Width(), Height()};
        canvas.TextRect(measure, Caption, text::DT_SINGLELINE | text::DT_CALCRECT);
        const int32_t h = measure.Height();
        canvas.FocusRect({box + 2, (Height() - h) / 2 - 1, std::min(measure.Right + 2, Width()), (Height() + h) / 2 + 1});
    }
}

// ---- List box ----

TListBox::TListBox(TForm& owner, std::string name) : TControl(owner, std::move(name)) { Color = clWindow; }

int32_t TListBox::ItemHeight() const { return std::max(1, text::GetTextMetrics(*Font.Handle()).Height + 2); }

int32_t TListBox::VisibleRows() const { return std::max(1, (Height() - 4) / ItemHeight()); }

bool TListBox::HasScrollBar() const { return Items.Count() > VisibleRows(); }

int32_t TListBox::MaxTopIndex() const { return std::max(0, Items.Count() - VisibleRows()); }

void TListBox::SetTopIndex(int32_t index) {
    index = std::clamp(index, 0, MaxTopIndex());
    if (index == topIndex_) return;
    topIndex_ = index;
    Invalidate();
}

void TListBox::SetItemIndex(int32_t index) {
    index = Items.Count() == 0 ? -1 : std::clamp(index, -1, Items.Count() - 1);
    itemIndex_ = index;
    if (index >= 0) {
        if (index < topIndex_) SetTopIndex(index);
        if (index >= topIndex_ + VisibleRows()) SetTopIndex(index - VisibleRows() + 1);
    }
    Invalidate();
}

void TListBox::Select(int32_t index) {
    const int32_t before = itemIndex_;
    SetItemIndex(index);
    if (itemIndex_ != before) Click();
}

int32_t TListBox::RowAt(int32_t y) const { return topIndex_ + (y - 2) / ItemHeight(); }

bool TListBox::KeyDown(uint32_t key, TShiftState) {
    const int32_t rows = VisibleRows(), at = itemIndex_;
    int32_t to;
    switch (key) {
        case vk::Up: to = at < 0 ? 0 : at - 1; break;
        case vk::Down: to = at + 1; break;
        case vk::Prior: to = at - rows; break;
        case vk::Next: to = at + rows; break;
        case vk::Home: to = 0; break;
        case vk::End: to = Items.Count() - 1; break;
        default: return false;
    }
    if (Items.Count() > 0) Select(std::clamp(to, 0, Items.Count() - 1));
    return true;
}

bool TListBox::MouseWheel(int32_t steps) {
    SetTopIndex(topIndex_ - steps * 3);
    return true;
}

TRect TListBox::ThumbRect() const {
    const int32_t left = Width() - 2 - kScrollBarWidth, trackTop = 2 + kScrollBarWidth;
    const int32_t track = std::max(0, Height() - 4 - 2 * kScrollBarWidth);
    const int32_t length = std::min(track, std::max(8, int32_t(int64_t(track) * VisibleRows() / std::max(1, Items.Count()))));
    const int32_t maxTop = MaxTopIndex();
    const int32_t top = trackTop + (maxTop > 0 ? int32_t(int64_t(track - length) * topIndex_ / maxTop) : 0);
    return {left, top, left + kScrollBarWidth, top + length};
}

void TListBox::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    if (HasScrollBar() && x >= Width() - 2 - kScrollBarWidth) {
        const TRect thumb = ThumbRect();
        if (y < 2 + kScrollBarWidth) SetTopIndex(topIndex_ - 1);
        else if (y >= Height() - 2 - kScrollBarWidth) SetTopIndex(topIndex_ + 1);
        else if (y < thumb.Top) SetTopIndex(topIndex_ - VisibleRows());
        else if (y >= thumb.Bottom) SetTopIndex(topIndex_ + VisibleRows());
        else thumbGrab_ = y - thumb.Top;
        return;
    }
    const int32_t row = RowAt(y);
    if (row >= 0 && row < Items.Count()) Select(row);
}

void TListBox::MouseMove(TShiftState, int32_t, int32_t y) {
    if (!Pressed()) return;
    if (thumbGrab_ >= 0) {
        const TRect thumb = ThumbRect();
        const int32_t track = Height() - 4 - 2 * kScrollBarWidth - thumb.Height();
        const int32_t offset = y - thumbGrab_ - (2 + kScrollBarWidth);
        if (track > 0) SetTopIndex(int32_t((int64_t(offset) * MaxTopIndex() + track / 2) / track));
        return;
    }
    // Dragging over the list moves the selection along.
    if (Items.Count() > 0) Select(std::clamp(RowAt(y), topIndex_, std::min(Items.Count(), topIndex_ + VisibleRows()) - 1));
}

void TListBox::MouseUp(TMouseButton button, TShiftState, int32_t, int32_t) {
    // The selection clicked when it moved; releasing adds nothing.
    if (button != TMouseButton::mbLeft) return;
    thumbGrab_ = -1;
    EndPress();
}

void TListBox::Paint(TCanvas& canvas) {
    const TRect r = ClientRect();
    canvas.FillRect(r, Enabled() ? Color : clBtnFace);
    canvas.Edge(r, false);
    const bool bar = HasScrollBar();
    const TRect inner{2, 2, r.Right - 2 - (bar ? kScrollBarWidth : 0), r.Bottom - 2};
    TCanvas rows = canvas.Part(inner);
    rows.Font = Font;
    const int32_t h = ItemHeight();
    for (int32_t i = topIndex_, y = 0; i < Items.Count() && y < inner.Height(); ++i, y += h) {
        const bool selected = i == itemIndex_;
        if (selected) rows.FillRect({0, y, inner.Width(), y + h}, clHighlight);
        TRect line{2, y + 1, inner.Width() - 2, y + h};
        rows.TextRect(line, Items[i], text::DT_SINGLELINE | text::DT_NOPREFIX,
                      !Enabled() ? clGrayText : selected ? clHighlightText : Font.Color);
        if (selected && Focused()) rows.FocusRect({0, y, inner.Width(), y + h});
    }
    if (!bar) return;
    // The scroll bar: two arrow boxes and the thumb on its track.
    const int32_t left = r.Right - 2 - kScrollBarWidth;
    canvas.FillRect({left, 2, left + kScrollBarWidth, r.Bottom - 2}, 0xF5F5F5);
    const TRect up{left, 2, left + kScrollBarWidth, 2 + kScrollBarWidth};
    const TRect down{left, r.Bottom - 2 - kScrollBarWidth, left + kScrollBarWidth, r.Bottom - 2};
    for (const TRect& box : {up, down}) {
        canvas.FillRect(box, clBtnFace);
        canvas.Edge(box, true);
    }
    for (int32_t i = 0; i < 4; ++i) {  // the arrows: small triangles
        canvas.FillRect({left + 8 - i, up.Top + 6 + i, left + 9 + i, up.Top + 7 + i}, clBtnDkShadow);
        canvas.FillRect({left + 8 - i, down.Bottom - 7 - i, left + 9 + i, down.Bottom - 6 - i}, clBtnDkShadow);
    }
    const TRect thumb = ThumbRect();
    canvas.FillRect(thumb, clBtnFace);
    canvas.Edge(thumb, true);
}

// ---- Progress bar ----

void TProgressBar::SetRange(int32_t min, int32_t max) {
    min_ = min;
    max_ = max;
    SetPosition(position_);
    Invalidate();
}

void TProgressBar::SetPosition(int32_t position) {
    position = max_ > min_ ? std::clamp(position, min_, max_) : min_;
    if (position == position_) return;
    position_ = position;
    Invalidate();
}

int32_t TProgressBar::FilledWidth() const {
    const int32_t inner = std::max(0, Width() - 4);
    if (max_ <= min_) return 0;
    return int32_t(int64_t(inner) * (int64_t(position_) - min_) / (int64_t(max_) - min_));
}

void TProgressBar::Paint(TCanvas& canvas) {
    const TRect r = ClientRect();
    canvas.FillRect(r, clBtnFace);
    canvas.Edge(r, false);
    canvas.FillRect({2, 2, 2 + FilledWidth(), r.Bottom - 2}, clHighlight);
}

}  // namespace app
