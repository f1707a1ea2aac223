// A dialog form: a window of its own (platform/window's DialogWindow) drawn wholly by the form
// and its controls, shown modally over the game window.
//
// The form routes its window's events as the class library does: the mouse to the control
// under the pointer (or the one pressed, until release), keys to the focused control, with
// the dialog keys first: Tab and Shift+Tab move the focus between the enabled tab stops,
// Enter presses the focused button or else the default one when enabled, Esc the cancel one
// (or ends the dialog with mrCancel when that cannot be pressed). The close box closes.
// After each event and each timer the form paints what changed and presents it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Controls.h"

namespace platform::window {
class EventPump;
class Region;
}  // namespace platform::window

namespace app {

inline constexpr int32_t mrNone = 0;
inline constexpr int32_t mrOk = 1;
inline constexpr int32_t mrCancel = 2;

class TButtonControl;

enum class TPosition : uint8_t { poDesigned, poScreenCenter, poDesktopCenter };

class TForm {
public:
    explicit TForm(std::string name);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    const std::string& Name() const { return name_; }
    TFont Font;
    TColor Color = clBtnFace;
    // Whether the window manager gives the window a caption and a close box.
    bool Decorated = false;
    TPosition Position = TPosition::poScreenCenter;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    int32_t ClientWidth() const { return clientWidth_; }
    int32_t ClientHeight() const { return clientHeight_; }
    void SetClientSize(int32_t width, int32_t height);

    // The window the form shows in; made on first need.
    platform::window::DialogWindow& Window();
    bool HasWindow() const { return window_ != nullptr; }
    // The window system's window the dialog stays above (the game window; 0: none).
    uint32_t OwnerWindowId = 0;
    // The pump the window's events come through (the program's one unless set before the
    // window is made).
    platform::window::EventPump* Pump = nullptr;

    // Shows the form modally and runs the modal loop until ModalResult is set (or the
    // program is asked to end: mrCancel); answers ModalResult. The form is hidden after.
    int32_t ShowModal();
    int32_t ModalResult = mrNone;
    // Ends a modal run with mrCancel unless a result is set.
    void Close();
    bool Showing() const { return showing_; }

    // The window's outline; without one the window is rectangular.
    void SetWindowRgn(const platform::window::Region& region);

    // Controls (in the order made: later ones lie above earlier ones).
    const std::vector<TControl*>& Controls() const { return controls_; }
    TControl* FindControl(std::string_view name) const;
    // The topmost visible control at a client point; nullptr for the form's own surface.
    TControl* ControlAt(int32_t x, int32_t y) const;
    TControl* ActiveControl() const { return active_; }
    void SetActiveControl(TControl* control);
    // Moves the focus to the next (or previous) control that can take it.
    void SelectNext(bool forward);
    TButtonControl* DefaultButton() const;
    TButtonControl* CancelButton() const;

    // Painting: the form marks itself changed; Update paints and presents what changed.
    void InvalidateAll() { dirty_ = true; }
    void Update();
    // Paints everything now, shown or not (what the window would show).
    void PaintTo(platform::window::DialogFrame& frame);

    // The published handlers every form has (the class library's OnCreate, OnShow,
    // OnPaint, OnDestroy), overridden by the dialogs.
    virtual void FormCreate() {}
    virtual void FormShow() {}
    // Paints the form's own surface (default: its colour).
    virtual void FormPaint(TCanvas& canvas);

    // Which client points drag the window (default: none).
    virtual platform::window::HitArea HitTest(int32_t x, int32_t y) const;
    // Esc: presses the cancel button when it can be pressed, else ends with mrCancel.
    virtual void CancelKey();
    // The close box of a decorated window.
    virtual void CloseBox() { Close(); }
    // A display changed its mode or layout while the window exists.
    virtual void DisplayChanged() {}
    // The window gained or lost the keyboard focus.
    virtual void FocusChanged(bool) {}
    // While shown modally: input meant for another window of ours, or a focus one of them
    // gained (default: the window comes to the front).
    virtual void BlockedInput(const platform::window::WindowEvent& event);
    // A press on the form's own surface (not a control's, not dragging).
    TNotifyEvent OnMouseDown;

    // Made by the controls.
    void AddControl(TControl& control);
    void RemoveControl(TControl& control);
    void ControlChanged(TControl& control);

protected:
    // Places the window as Position asks, on the display of the owner window.
    void PlaceWindow();

private:
    void OnWindowEvent(const platform::window::WindowEvent& event);
    void HandleMouse(const platform::window::WindowEvent& event);
    void HandleKey(uint32_t key, TShiftState shift);
    void SetHover(TControl* control);
    void Hide();

    std::string name_;
    std::string caption_;
    int32_t clientWidth_ = 300, clientHeight_ = 200;
    std::unique_ptr<platform::window::DialogWindow> window_;
    std::vector<TControl*> controls_;
    TControl* active_ = nullptr;
    TControl* hover_ = nullptr;
    TControl* captured_ = nullptr;
    bool showing_ = false;
    bool dirty_ = true;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The form shown modally that takes the input now (the last one shown); nullptr when none.
TForm* ActiveForm();

// Makes a form and runs its creation handler once it is whole (two-phase construction:
// the handler dispatches to the dialog's own override).
template <typename T, typename... Args> std::unique_ptr<T> CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    form->FormCreate();
    return form;
}

}  // namespace app
