#include "app/DrawButton.h"

namespace app {

TDrawButton::TDrawButton(TForm& owner, std::string name) : TButtonControl(owner, std::move(name)) {
    SetBounds(0, 0, 49, 41);
}

void TDrawButton::SetPicture(TBitmap32 picture) {
    picture_ = std::move(picture);
    frameWidth_ = picture_.Width;
    frameHeight_ = picture_.Height / 4;
    if (!picture_.Empty()) SetBounds(Left(), Top(), frameWidth_, frameHeight_);
    Invalidate();
}

void TDrawButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Invalidate();
}

void TDrawButton::SetState(int32_t state) {
    state_ = state;
    Invalidate();
}

void TDrawButton::MouseEnter() {
    if (Enabled()) SetState(3);
}

void TDrawButton::MouseLeave() { SetState(0); }

void TDrawButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TButtonControl::MouseDown(button, shift, x, y);
    SetState(2);
}

void TDrawButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    SetState(3);
    TButtonControl::MouseUp(button, shift, x, y);
}

void TDrawButton::Paint(TCanvas& canvas) {
    frameWidth_ = picture_.Width;
    frameHeight_ = picture_.Height / 4;
    if (!picture_.Empty() && frameHeight_ > 0) {
        if (!Enabled()) state_ = 1;
        else if (state_ == 1) state_ = 3;
        const TRect source{0, state_ * frameHeight_, frameWidth_, (state_ + 1) * frameHeight_};
        const int32_t x = (Width() - frameWidth_) / 2, y = (Height() - frameHeight_) / 2;
        // The frame's own top-left pixel is its transparent colour.
        const uint32_t key = picture_.At(0, source.Top);
        canvas.Draw(x, y, picture_, source, transparent_ ? &key : nullptr);
    }
    if (OnAfterPaint) OnAfterPaint(*this, canvas);
}

}  // namespace app
