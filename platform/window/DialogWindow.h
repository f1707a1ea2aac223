// A dialog's own window beside the game window. The dialog draws its whole frame itself into
// the window's pixels (32 bits, 0x00RRGGBB, rows top-down) and presents it; the window adds
// what a window manager gives: a shape, a position centred on the game's display, dragging by
// the dialog's own surface, a cursor, the clipboard, and its events through the event pump.
//
// Backends (SDL's one-interface-many-drivers way):
// - SDL: a second SDL2 window, borderless and shaped, or decorated with a caption and a close
//   box; dragging through SDL's hit test. A modal window is the window manager's modal box of
//   its owner (transient for it, and on X11 in the modal state), told after the window has
//   its pixels, which may replace the X window: the window manager keeps it above the owner
//   and hands it the focus whatever is clicked. On X11 the shape is the X shape extension's
//   bounding region of the window, set after the window has its pixels too (SDL's own shaped
//   windows lose their shape once a renderer exists). Without X11 the window stays
//   rectangular and Shaped() answers false.
// - Headless: the same frame in memory (dump it to BMP), a screen of its own size, and what
//   the window manager would do done here: input outside the shape never arrives, and a press
//   on a dragging point followed by motion moves the window.
//
// Either way input outside the shape is not delivered (a button held since a press inside
// keeps its motion and release, as the pointer grab of a window system does).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/Region.h"
#include "platform/window/WindowEvent.h"

namespace platform::window {

class EventPump;

struct DialogFrame {
    int32_t Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows top-down, Width per row
    uint32_t At(int32_t x, int32_t y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// Encodes a frame as a bottom-up 24-bit BMP file.
std::vector<uint8_t> EncodeFrameBmp(const DialogFrame& frame);

enum class HitArea : uint8_t {
    Client,   // the dialog's own: its controls take the press
    Caption,  // dragging moves the window
};

enum class PointerShape : uint8_t { Arrow, Hand };

class DialogWindow {
public:
    using Handler = std::function<void(const WindowEvent& event)>;
    using HitTester = std::function<HitArea(int32_t x, int32_t y)>;

    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    virtual const char* Backend() const = 0;
    // The id under which the event pump routes the window's events.
    uint32_t Id() const { return id_; }
    bool Decorated() const { return decorated_; }

    // The window's events, after the window manager's share (shape, dragging) was taken.
    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // Which points drag the window; without a tester none do.
    void SetHitTest(HitTester tester) { hitTest_ = std::move(tester); }
    // While the window is modal: what it does with input meant for another window of ours and
    // with a focus another one gains (by default it comes to the front itself).
    void SetBlockedHandler(Handler handler) { blocked_ = std::move(handler); }

    // Texts are the game's 8-bit text.
    virtual void SetTitle(std::string_view title) = 0;
    // The client size; the frame follows it (kept where it overlaps, black elsewhere).
    virtual void Resize(int32_t width, int32_t height);
    int32_t Width() const { return frame_.Width; }
    int32_t Height() const { return frame_.Height; }

    // The window's outline, in client coordinates, cut to the client area. An empty region
    // hides every pixel. ClearShape makes the window rectangular again.
    void SetShape(const Region& shape);
    void ClearShape();
    bool HasShape() const { return hasShape_; }
    const Region& Shape() const { return shape_; }
    // Whether the window system really cut the window to the shape (known once it is shown).
    virtual bool Shaped() const = 0;
    // Whether the window system can cut this window to a shape at all (known at once).
    virtual bool CanShape() const = 0;

    // Screen position of the client area's top-left corner.
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    // Centres the window on the display that shows the given window (0 or an unknown id:
    // the first display).
    virtual void CenterOnDisplayOf(uint32_t windowId) = 0;

    // Shows the window above the given one (0: no owner), with the keyboard focus, as the
    // modal window of the pump: the other windows of ours get no input until it is hidden.
    virtual void ShowModal(uint32_t ownerId);
    // Shows it without taking the input from the others.
    virtual void Show() = 0;
    virtual void Hide();
    bool Visible() const { return visible_; }
    // Puts the window in front with the keyboard focus.
    virtual void Raise() = 0;

    virtual void SetCursor(PointerShape shape) { cursor_ = shape; }
    PointerShape Cursor() const { return cursor_; }

    // Draw the whole client area here, then Present. The frame is also what the window shows
    // after an exposure.
    DialogFrame& Frame() { return frame_; }
    const DialogFrame& Frame() const { return frame_; }
    virtual void Present() = 0;
    bool DumpFrame(const std::string& path) const;

    // Puts a text of the game's code page on the clipboard.
    virtual bool CopyText(std::string_view text) = 0;

    // The screen position of a client point.
    int32_t ScreenX(int32_t x) const { return left_ + x; }
    int32_t ScreenY(int32_t y) const { return top_ + y; }

protected:
    DialogWindow(uint32_t id, bool decorated, EventPump& pump);
    // Registers the window with the pump under its id; backends call it once they have one.
    void Attach();
    // The window manager's share of an event: true when it took the event.
    virtual bool WindowManagerTakes(const WindowEvent&) { return false; }
    // Applies the shape to the real window.
    virtual void ApplyShape() = 0;
    HitArea HitTestAt(int32_t x, int32_t y) const { return hitTest_ ? hitTest_(x, y) : HitArea::Client; }
    void Deliver(const WindowEvent& event);

    EventPump& pump_;
    int32_t left_ = 0, top_ = 0;
    bool visible_ = false;
    bool modal_ = false;

private:
    void Route(const WindowEvent& event);

    uint32_t id_;
    bool decorated_;
    bool attached_ = false;
    Handler handler_;
    HitTester hitTest_;
    Handler blocked_;
    DialogFrame frame_;
    Region shape_;
    bool hasShape_ = false;
    PointerShape cursor_ = PointerShape::Arrow;
    uint32_t buttons_ = 0;  // buttons held since a press inside the shape
};

// The screen of the headless backend (800 x 600 until set).
void SetHeadlessScreen(int32_t width, int32_t height);

// The real window when SDL's video can be opened and SPRALLION_VIDEO is not "headless",
// else the headless one.
std::unique_ptr<DialogWindow> CreateDialogWindow(bool decorated, EventPump& pump);
std::unique_ptr<DialogWindow> CreateHeadlessDialogWindow(bool decorated, EventPump& pump);
// Nullptr when SDL's video cannot be opened.
std::unique_ptr<DialogWindow> CreateSdlDialogWindow(bool decorated, EventPump& pump);

}  // namespace platform::window
