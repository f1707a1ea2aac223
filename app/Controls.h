// The native dialogs' own class library, in the terms of the one the dialogs were designed
// on: colours, fonts, a canvas over the dialog window's 32-bit frame, and the control base.
// Controls draw every pixel themselves (text through platform/text), so the headless window
// shows exactly what the real one does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/Text.h"
#include "platform/window/DialogWindow.h"
#include "platform/window/ModalLoop.h"
#include "rtl/Types.h"

namespace media {
class TDIB;
}

namespace app {

using rtl::TRect;

// Colours as the class library keeps them: 0x00BBGGRR.
using TColor = uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBtnFace = 0xF0F0F0;
inline constexpr TColor clBtnShadow = 0xA0A0A0;
inline constexpr TColor clBtnDkShadow = 0x696969;
inline constexpr TColor clBtnHighlight = 0xFFFFFF;
inline constexpr TColor clWindow = 0xFFFFFF;
inline constexpr TColor clWindowText = 0x000000;
inline constexpr TColor clHighlight = 0xD77800;
inline constexpr TColor clHighlightText = 0xFFFFFF;
inline constexpr TColor clGrayText = 0x6D6D6D;

// A frame pixel (0x00RRGGBB) of a colour and back.
constexpr uint32_t PixelOf(TColor c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
constexpr TColor ColorOfPixel(uint32_t p) { return (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF); }

struct TFont {
    std::string Name = "Tahoma";
    int32_t Height = -11;
    TColor Color = clWindowText;
    uint8_t Charset = platform::text::DEFAULT_CHARSET;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    // The text system's font (made once per description by the text system).
    platform::text::FontPtr Handle() const;
};

// A picture as 32 bits per pixel (0x00RRGGBB, rows top-down): what the dialogs draw from.
struct TBitmap32 {
    int32_t Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    bool Empty() const { return Width <= 0 || Height <= 0; }
    uint32_t At(int32_t x, int32_t y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
    // Every pixel of the picture, whatever its depth.
    static TBitmap32 FromDIB(const media::TDIB& dib);
    static TBitmap32 Filled(int32_t width, int32_t height, TColor color);
};

// Drawing on a dialog's frame, at an origin and cut to a clip rectangle (both in frame pixels).
class TCanvas {
public:
    explicit TCanvas(platform::window::DialogFrame& frame);
    // A canvas for a part of this one: coordinates from the part's top-left, cut to it.
    TCanvas Part(const TRect& rect) const;

    TFont Font;
    TColor BrushColor = clBtnFace;

    int32_t Width() const { return clip_.Right - clip_.Left; }
    int32_t Height() const { return clip_.Bottom - clip_.Top; }
    void FillRect(const TRect& rect, TColor color);
    void FillRect(const TRect& rect) { FillRect(rect, BrushColor); }
    // A one-pixel outline.
    void FrameRect(const TRect& rect, TColor color);
    // A raised (or sunken) edge of two pixels, as the class library's 3-D controls have.
    void Edge(const TRect& rect, bool raised);
    // A dotted outline: the keyboard focus.
    void FocusRect(const TRect& rect);
    void Pixel(int32_t x, int32_t y, TColor color);
    uint32_t FramePixel(int32_t x, int32_t y) const;

    // The part `source` of a picture with its top-left at (x, y); pixels equal to the key
    // colour (0x00RRGGBB) are left out when one is given.
    void Draw(int32_t x, int32_t y, const TBitmap32& picture, const TRect& source, const uint32_t* key = nullptr);
    void Draw(int32_t x, int32_t y, const TBitmap32& picture) { Draw(x, y, picture, {0, 0, picture.Width, picture.Height}); }
    // The whole picture scaled into the rectangle, nearest pixels.
    void StretchDraw(const TRect& rect, const TBitmap32& picture);
    // DrawText with the canvas's font; answers the text's height.
    int32_t TextRect(TRect& rect, std::string_view text, uint32_t format);
    int32_t TextRect(TRect& rect, std::string_view text, uint32_t format, TColor color);

private:
    platform::text::Target ClipTarget() const;

    platform::window::DialogFrame* frame_;
    TRect clip_;              // in frame pixels
    int32_t x0_ = 0, y0_ = 0;  // the origin, in frame pixels
};

enum class TCursor : uint8_t { crDefault, crHandPoint };
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using TShiftState = uint32_t;  // platform::window::kShiftKey, kAltKey, kCtrlKey
using TNotifyEvent = std::function<void(void* sender)>;

class TForm;

// A control of a dialog: a rectangle of the form that paints itself and takes the mouse and
// keys sent to it. Controls are members of their form and register with it; the form owns
// none of them.
class TControl {
public:
    TControl(TForm& owner, std::string name);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    TForm& Owner() const { return owner_; }
    const std::string& Name() const { return name_; }

    int32_t Tag = 0;
    TFont Font;
    TColor Color = clBtnFace;
    TCursor Cursor = TCursor::crDefault;
    TNotifyEvent OnClick;

    int32_t Left() const { return bounds_.Left; }
    int32_t Top() const { return bounds_.Top; }
    int32_t Width() const { return bounds_.Width(); }
    int32_t Height() const { return bounds_.Height(); }
    const TRect& BoundsRect() const { return bounds_; }
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetLeft(int32_t v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int32_t v) { SetBounds(Left(), v, Width(), Height()); }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Focused() const;
    // Visible and enabled: the control takes the mouse and, when a tab stop, the focus.
    bool CanFocus() const { return visible_ && enabled_ && TabStop(); }

    // Marks the control for painting with the form's next update.
    void Invalidate();

    // Paints the client area (the canvas's coordinates are the control's).
    virtual void Paint(TCanvas& canvas) = 0;
    // Reached with Tab.
    virtual bool TabStop() const { return false; }
    // Whether the control keeps the mouse for itself: a press on it never drags the window.
    virtual bool TakesMouse() const { return false; }

    // Mouse messages in the control's coordinates (the form sends them to the control under
    // the pointer, or to the one pressed until the button is released).
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState, int32_t, int32_t) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Answers whether the control used the wheel (steps, positive away from the user).
    virtual bool MouseWheel(int32_t) { return false; }
    // Answers whether the control used the key (a virtual-key code).
    virtual bool KeyDown(uint32_t, TShiftState) { return false; }
    // What a click does: OnClick.
    virtual void Click();

    bool MouseInControl() const { return mouseIn_; }
    bool Pressed() const { return pressed_; }

protected:
    virtual void EnabledChanged() {}
    // The left button is up again (for controls that handle the release themselves).
    void EndPress() { pressed_ = false; }

private:
    friend class TForm;
    TForm& owner_;
    std::string name_;
    TRect bounds_{0, 0, 0, 0};
    bool visible_ = true;
    bool enabled_ = true;
    bool mouseIn_ = false;
    bool pressed_ = false;  // the left button went down on it and is held
};

// A dialog's timer: the platform's timer, and the form updated after each firing.
class TTimer {
public:
    explicit TTimer(TForm& owner, uint32_t interval = 1000);
    uint32_t Interval() const { return timer_.Interval(); }
    void SetInterval(uint32_t ms) { timer_.SetInterval(ms); }
    bool Enabled() const { return timer_.Enabled(); }
    void SetEnabled(bool enabled) { timer_.SetEnabled(enabled); }
    void SetOnTimer(TNotifyEvent handler);
    bool HasHandler() const { return timer_.HasHandler(); }

private:
    TForm& owner_;
    platform::window::DialogTimer timer_;
};

}  // namespace app
