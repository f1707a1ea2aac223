// The plain controls of the dialogs: labels, images, buttons, check boxes, a list box and a
// progress bar, with the class library's behaviour and a look of their own.
#pragma once

#include <string>

#include "app/Controls.h"
#include "rtl/StringList.h"

namespace app {

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TControl {
public:
    using TControl::TControl;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool WordWrap = false;
    // Without a background of its own the form shows through between the letters.
    bool Transparent = true;
    // "&x" underlines x; off, the text is drawn as it stands.
    bool ShowAccelChar = true;
    void SetAlignment(TAlignment a);
    void Paint(TCanvas& canvas) override;

protected:
    // The format of DrawText the label draws with.
    uint32_t TextFormat() const;

private:
    std::string caption_;
};

class TImage : public TControl {
public:
    using TControl::TControl;
    const TBitmap32& Picture() const { return picture_; }
    void SetPicture(TBitmap32 picture);
    void ClearPicture() { SetPicture({}); }
    // Scales the picture to the control; otherwise it is drawn from the top-left corner
    // (or centred).
    bool Stretch = false;
    bool Center = false;
    void Paint(TCanvas& canvas) override;

private:
    TBitmap32 picture_;
};

// What buttons share: the modal result they give their form, the default and cancel roles,
// the keyboard (Space, and Enter while focused) and the press.
class TButtonControl : public TControl {
public:
    using TControl::TControl;
    int32_t ModalResult = 0;
    bool Default = false;  // pressed by Enter
    bool Cancel = false;   // pressed by Esc
    bool TabStop() const override { return true; }
    bool TakesMouse() const override { return true; }
    bool KeyDown(uint32_t key, TShiftState shift) override;
    // The form takes the button's modal result, then OnClick runs.
    void Click() override;
};

// A push button drawn in the class library's 3-D look.
class TButton : public TButtonControl {
public:
    using TButtonControl::TButtonControl;
    std::string Caption;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseEnter() override { Invalidate(); }
    void MouseLeave() override { Invalidate(); }
    void Paint(TCanvas& canvas) override;
};

class TCheckBox : public TControl {
public:
    using TControl::TControl;
    std::string Caption;
    bool Checked() const { return checked_; }
    // Setting the state does not click.
    void SetChecked(bool checked);
    bool TabStop() const override { return true; }
    bool TakesMouse() const override { return true; }
    bool KeyDown(uint32_t key, TShiftState shift) override;
    // Toggles the state, then OnClick.
    void Click() override;
    void Paint(TCanvas& canvas) override;

private:
    bool checked_ = false;
};

// A list of texts, one selected: keys (arrows, page keys, Home, End), the wheel and a scroll
// bar move through it; clicking or moving the selection fires OnClick.
class TListBox : public TControl {
public:
    TListBox(TForm& owner, std::string name);
    rtl::StringList Items;
    // -1: nothing selected. Setting it scrolls the item into view; it does not click.
    int32_t ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int32_t index);
    int32_t TopIndex() const { return topIndex_; }
    void SetTopIndex(int32_t index);
    int32_t ItemHeight() const;
    // Whole rows that fit.
    int32_t VisibleRows() const;
    bool TabStop() const override { return true; }
    bool TakesMouse() const override { return true; }
    bool KeyDown(uint32_t key, TShiftState shift) override;
    bool MouseWheel(int32_t steps) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Paint(TCanvas& canvas) override;

    static constexpr int32_t kScrollBarWidth = 16;

private:
    bool HasScrollBar() const;
    int32_t MaxTopIndex() const;
    // The thumb's place on the track (the track lies between the two arrow boxes).
    TRect ThumbRect() const;
    void Select(int32_t index);  // sets the index and fires OnClick when it changed
    int32_t RowAt(int32_t y) const;

    int32_t itemIndex_ = -1;
    int32_t topIndex_ = 0;
    int32_t thumbGrab_ = -1;  // the pointer's offset into the thumb while dragging it
};

// Progress of Position between Min and Max. Positions outside the range are kept within it,
// and an empty range (Max not above Min) shows no progress.
class TProgressBar : public TControl {
public:
    using TControl::TControl;
    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Position() const { return position_; }
    void SetRange(int32_t min, int32_t max);
    void SetMax(int32_t max) { SetRange(min_, max); }
    void SetPosition(int32_t position);
    // The filled part of the bar's inner width.
    int32_t FilledWidth() const;
    void Paint(TCanvas& canvas) override;

private:
    int32_t min_ = 0, max_ = 100, position_ = 0;
};

}  // namespace app
