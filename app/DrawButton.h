// TDrawButton: a button drawn from a picture of four frames stacked vertically, each the
// picture's width by a quarter of its height: 0 normal, 1 disabled, 2 pressed, 3 hovered.
#pragma once

#include "app/StdCtrls.h"

namespace app {

class TDrawButton : public TButtonControl {
public:
    TDrawButton(TForm& owner, std::string name);

    const TBitmap32& Picture() const { return picture_; }
    // Sizes the button to one frame.
    void SetPicture(TBitmap32 picture);
    bool Transparent() const { return transparent_; }
    // On: the frame is drawn without the pixels of its own top-left pixel's colour.
    void SetTransparent(bool transparent);

    // The frame shown (0..3).
    int32_t State() const { return state_; }
    int32_t FrameWidth() const { return frameWidth_; }
    int32_t FrameHeight() const { return frameHeight_; }
    // Fired after each paint, with the canvas the button drew on.
    std::function<void(TDrawButton& sender, TCanvas& canvas)> OnAfterPaint;

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Paint(TCanvas& canvas) override;

private:
    void SetState(int32_t state);

    TBitmap32 picture_;
    bool transparent_ = false;
    int32_t state_ = 0;
    int32_t frameWidth_ = 0, frameHeight_ = 0;
};

}  // namespace app
