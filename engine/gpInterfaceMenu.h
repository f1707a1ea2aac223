// Menu forms and the picture controls made from them: buttons, check boxes and track bars.
//
// A form is hidden, shown over the game (ck_Interface) or shown as a main menu
// (ck_MainInterface), always through the kernel's command line. Showing makes it the focused
// form; hiding gives the focus back to the form focused before it and returns the kernel to
// that form's Condition, or to the condition the shell saved.
#pragma once

#include "engine/gpInterfaceBase.h"
#include "engine/gpKernel.h"

namespace engine {

extern const rtl::EnumType TConditionKernelType;

class TGPForm : public TGPBaseInterface {
    RTL_CLASS(TGPForm, TGPBaseInterface)
public:
    // Slot 6: the form's OnGPMove, the Move of its grids, and the count towards TimeShow.
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override;
    void Create(TObject* owner, int32_t id) override;
    // Slot 11 (opcode 11): over the running game.
    void Show(TObject* caller) override;
    // Slot 12 (opcode 10).
    void Hide() override;
    // Slot 13 (opcode 9): as the main menu.
    int32_t ShowMain(TObject* caller) override;
    // Slot 14: its picture, then its children.
    void Draw() override;
    // Exactly a form: the focused form's Condition, or the shell's saved condition.
    void RestorePrevious();
    // The kernel's keyboard focus leaves a control of this form.
    void DropKeyboardFocus();

    TConditionKernel Condition = ck_Play;
    std::string MIDIFile;
    int16_t TimeShow = 0;
    uint16_t TicksShow = 0;
    TNotifyEvent OnGPCreate;  // stored; the engine never fires it
    TNotifyEvent OnGPShow;
    TNotifyEvent OnGPHide;
    // The form that had the focus when this one was shown (exactly a form).
    TGPForm* PreviousFocus = nullptr;

    static void DescribeClass(rtl::ClassBuilder<TGPForm>& c);

protected:
    bool IsExactlyForm() const;
    // The common steps of Show and ShowMain; the condition is set before the children show
    // and fire OnGPShow (main menu), or after OnGPShow and before the children (over the game).
    void ShowAs(TObject* caller, TConditionKernel condition);
    // The children draw in order, each with the form's FlagChange; walked by index with the
    // bound checked again, since a handler fired while drawing may change the list.
    void DrawChildren();
};

class TGPButton : public TGPForm {
    RTL_CLASS(TGPButton, TGPForm)
public:
    void Show(TObject* caller) override;
    void Hide() override;
    int32_t ShowMain(TObject* caller) override;
    // Patterns: 0 disabled, 1 hovered, 2 normal, 3 hovered with the button down (firing
    // OnGPMouseDown every frame while held).
    void Draw() override;

    bool Enabled = true;
    std::string FocusAnimat;  // stored; no behaviour

    static void DescribeClass(rtl::ClassBuilder<TGPButton>& c);

protected:
    // SetParentForm, OnGPShow, visible: the show of every control.
    void ShowControl(TObject* caller);
};

class TGPCheckBox : public TGPButton {
    RTL_CLASS(TGPCheckBox, TGPButton)
public:
    void Create(TObject* owner, int32_t id) override;
    void Show(TObject* caller) override;
    void Hide() override;
    int32_t ShowMain(TObject* caller) override;
    // Toggles once per press, again only after the debounce; patterns 0 disabled, 1 hovered,
    // 2 normal, each + 2 when checked.
    void Draw() override;

    bool Checked = false;
    TPressTime LastPress;

    static void DescribeClass(rtl::ClassBuilder<TGPCheckBox>& c);
};

class TGPTrackBar : public TGPButton {
    RTL_CLASS(TGPTrackBar, TGPButton)
public:
    void Show(TObject* caller) override;
    void Hide() override;
    int32_t ShowMain(TObject* caller) override;
    // Left end, middle pieces, right end and thumb; a held press steps the value once per
    // step time towards the side of the middle the mouse is on.
    void Draw() override;

    // The thumb's left edge for the bar at x.
    int32_t ThumbX(int32_t x) const;

    int32_t Min = 0, Max = 0, Value = 0;  // the bar's size is the sprite's Width and Height
    TPressTime LastStep;

    static void DescribeClass(rtl::ClassBuilder<TGPTrackBar>& c);
};

}  // namespace engine
