// The real dialog window: an SDL2 window whose own pixels take the dialog's frame, shaped
// through the X shape extension where SDL runs on X11.
#include "platform/input/Input.h"
#include "platform/window/Clipboard.h"
#include "platform/window/DialogWindow.h"
#include "platform/window/EventPump.h"
#include "rtl/Text.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::window {

namespace {

bool IsXrgb(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF;
}

class SdlDialogWindow final : public DialogWindow {
public:
    SdlDialogWindow(SDL_Window* window, bool decorated, EventPump& pump)
        : DialogWindow(SDL_GetWindowID(window), decorated, pump), window_(window) {
        SDL_SetWindowData(window_, input::kDialogWindowData, this);
        SDL_SetWindowHitTest(window_, &HitTestThunk, this);
        if (X11Window()) {
            int event = 0, error = 0;
            shapeExtension_ = XShapeQueryExtension(display_, &event, &error);
        }
        SDL_GetWindowPosition(window_, &left_, &top_);
        Attach();
    }

    ~SdlDialogWindow() override {
        SDL_SetWindowHitTest(window_, nullptr, nullptr);
        SDL_SetWindowData(window_, input::kDialogWindowData, nullptr);
        if (SDL_GetCursor() == hand_) SDL_SetCursor(SDL_GetDefaultCursor());
        if (hand_) SDL_FreeCursor(hand_);
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    const char* Backend() const override { return "sdl"; }

    void SetTitle(std::string_view title) override { SDL_SetWindowTitle(window_, rtl::AnsiToUtf8(title).c_str()); }

    void Resize(int32_t width, int32_t height) override {
        SDL_SetWindowSize(window_, std::max(width, 1), std::max(height, 1));
        DialogWindow::Resize(width, height);
    }

    bool Shaped() const override { return shaped_; }
    bool CanShape() const override { return shapeExtension_; }

    void MoveTo(int32_t x, int32_t y) override {
        SDL_SetWindowPosition(window_, x, y);
        left_ = x, top_ = y;
    }

    void CenterOnDisplayOf(uint32_t windowId) override {
        SDL_Window* owner = windowId ? SDL_GetWindowFromID(windowId) : nullptr;
        int index = owner ? SDL_GetWindowDisplayIndex(owner) : 0;
        SDL_Rect bounds{0, 0, 800, 600};
        if (index < 0 || SDL_GetDisplayBounds(index, &bounds) != 0) SDL_GetDisplayBounds(0, &bounds);
        MoveTo(bounds.x + (bounds.w - Width()) / 2, bounds.y + (bounds.h - Height()) / 2);
    }

    void ShowModal(uint32_t ownerId) override {
        owner_ = ownerId ? SDL_GetWindowFromID(ownerId) : nullptr;
        DialogWindow::ShowModal(ownerId);
    }

    void Show() override {
        // The window's pixels first (SDL may make a new X window for them, which forgets its
        // place and what the window manager was told of it), then its owner and its outline,
        // and only then does it appear: nothing outside the shape is ever drawn over what lies
        // below, which a window system without a compositor would keep showing until the
        // window below repaints.
        if (!SDL_GetWindowSurface(window_)) return;
        surfaceMade_ = true;
        SDL_SetWindowPosition(window_, left_, top_);
        if (!visible_) TellOwner(modal_ ? owner_ : nullptr);
        visible_ = true;
        CopyFrame();
        ApplyShape();
        SDL_ShowWindow(window_);
        SDL_UpdateWindowSurface(window_);
        Raise();
    }

    void Hide() override {
        DialogWindow::Hide();
        SDL_HideWindow(window_);
    }

    void Raise() override {
        SDL_RaiseWindow(window_);
        SDL_SetWindowInputFocus(window_);
    }

    void SetCursor(PointerShape shape) override {
        DialogWindow::SetCursor(shape);
        if (shape == PointerShape::Hand && !hand_) hand_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
        SDL_Cursor* cursor = shape == PointerShape::Hand && hand_ ? hand_ : SDL_GetDefaultCursor();
        if (SDL_GetMouseFocus() == window_ && SDL_GetCursor() != cursor) SDL_SetCursor(cursor);
    }

    void Present() override {
        if (!visible_) return;
        CopyFrame();
        SDL_UpdateWindowSurface(window_);
    }

    bool CopyText(std::string_view text) override {
        // The game window's clipboard when there is one; SDL's own otherwise, which outlives
        // this window.
        if (Clipboard* clipboard = InstalledClipboard()) return clipboard->SetText(text);
        return SDL_SetClipboardText(rtl::AnsiToUtf8(text).c_str()) == 0;
    }

protected:
    void ApplyShape() override {
        if (!surfaceMade_) return;  // set once the window has its pixels
        // Asked again each time: making the window's pixels may have made SDL recreate the
        // X window (its framebuffer through a renderer).
        const ::Window xwindow = X11Window();
        if (!xwindow || !shapeExtension_) {
            shaped_ = false;
            return;
        }
        if (HasShape()) {
            std::vector<XRectangle> rects;
            for (const RegionRect& r : Shape().Rects())
                rects.push_back({short(r.Left), short(r.Top), static_cast<unsigned short>(r.Right - r.Left),
                                 static_cast<unsigned short>(r.Bottom - r.Top)});
            XShapeCombineRectangles(display_, xwindow, ShapeBounding, 0, 0, rects.data(), int(rects.size()),
                                    ShapeSet, YXBanded);
        } else {
            XShapeCombineMask(display_, xwindow, ShapeBounding, 0, 0, None, ShapeSet);
        }
        XFlush(display_);
        shaped_ = HasShape();
    }

    bool WindowManagerTakes(const WindowEvent& e) override {
        if (e.Type == EventType::Exposed && visible_) SDL_UpdateWindowSurface(window_);
        if (e.Type == EventType::MouseMove) SetCursor(Cursor());  // the pointer came in: its cursor
        return false;
    }

private:
    // Tells the window manager, while the window is not shown, whose box it is: a box of the
    // owner stays above it and takes the focus whatever of the owner is clicked (on X11 also
    // the modal state, with which a window manager sends the owner's activation to the box).
    // Without an owner it is a window of its own.
    void TellOwner(SDL_Window* owner) {
        if (owner) SDL_SetWindowModalFor(window_, owner);
        const ::Window xwindow = X11Window();
        if (!xwindow) return;
        if (!owner) XDeleteProperty(display_, xwindow, XInternAtom(display_, "WM_TRANSIENT_FOR", False));
        const Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
        const Atom modal = XInternAtom(display_, "_NET_WM_STATE_MODAL", False);
        std::vector<Atom> states;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, xwindow, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) ==
                Success &&
            data && format == 32)
            states.assign(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count);
        if (data) XFree(data);
        std::erase(states, modal);
        if (owner) states.push_back(modal);
        XChangeProperty(display_, xwindow, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
        XFlush(display_);
    }

    // The frame into the window's pixels.
    void CopyFrame() {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface) return;
        const DialogFrame& frame = Frame();
        const int32_t w = std::min(frame.Width, surface->w), h = std::min(frame.Height, surface->h);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        if (IsXrgb(surface->format)) {
            for (int32_t y = 0; y < h; ++y)
                std::memcpy(static_cast<uint8_t*>(surface->pixels) + ptrdiff_t(y) * surface->pitch,
                            frame.Pixels.data() + size_t(y) * size_t(frame.Width), size_t(w) * 4);
        } else {
            SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, frame.Pixels.data(), frame.Width * 4,
                              surface->format->format, surface->pixels, surface->pitch);
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    }

    // The X window behind the SDL window now; 0 when SDL does not run on X11.
    ::Window X11Window() {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
        display_ = info.info.x11.display;
        return info.info.x11.window;
    }

    static SDL_HitTestResult HitTestThunk(SDL_Window*, const SDL_Point* point, void* data) {
        auto* self = static_cast<SdlDialogWindow*>(data);
        return self->HitTestAt(point->x, point->y) == HitArea::Caption ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
    }

    SDL_Window* window_;
    SDL_Window* owner_ = nullptr;  // of the modal showing
    Display* display_ = nullptr;
    bool shapeExtension_ = false;
    bool shaped_ = false;
    bool surfaceMade_ = false;
    SDL_Cursor* hand_ = nullptr;
};

}  // namespace

std::unique_ptr<DialogWindow> CreateSdlDialogWindow(bool decorated, EventPump& pump) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    const Uint32 flags = SDL_WINDOW_HIDDEN | (decorated ? 0 : SDL_WINDOW_BORDERLESS);
    SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1, flags);
    if (!window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return std::make_unique<SdlDialogWindow>(window, decorated, pump);
}

}  // namespace platform::window
