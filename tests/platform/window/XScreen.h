// The X server as another client sees and drives it, for the tests of real windows: windows
// found by name and placed on the screen, the screen's pixels, and the pointer, the buttons,
// the keys and the focus as XTest and the window manager move them. Requests about a window
// that is not there (yet) answer nothing instead of ending the test. Include it last: Xlib's
// macros clash with other names.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace xtest {

struct Area {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Area&) const = default;
};

class XScreen {
public:
    XScreen() : x_(XOpenDisplay(nullptr)) { previous_ = XSetErrorHandler(&Ignore); }
    ~XScreen() {
        if (x_) XCloseDisplay(x_);
        XSetErrorHandler(previous_);
    }
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;
    ::Display* get() const { return x_; }
    int Width() const { return DisplayWidth(x_, DefaultScreen(x_)); }
    int Height() const { return DisplayHeight(x_, DefaultScreen(x_)); }

    // The first window whose name starts with `prefix`; 0 when none has it.
    Window Named(const std::string& prefix) const {
        std::function<Window(Window)> search = [&](Window w) -> Window {
            char* name = nullptr;
            bool found = false;
            if (XFetchName(x_, w, &name) && name) {
                found = std::string(name).rfind(prefix, 0) == 0;
                XFree(name);
            }
            if (found) return w;
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            Window match = 0;
            if (XQueryTree(x_, w, &root, &parent, &children, &count))
                for (unsigned i = 0; i < count && !match; ++i) match = search(children[i]);
            if (children) XFree(children);
            return match;
        };
        return search(DefaultRootWindow(x_));
    }
    // Where a viewable window lies on the screen; empty when it is not viewable.
    Area Place(Window w) const {
        XWindowAttributes a{};
        Window child;
        Area area;
        if (XGetWindowAttributes(x_, w, &a) && a.map_state == IsViewable &&
            XTranslateCoordinates(x_, w, DefaultRootWindow(x_), 0, 0, &area.x, &area.y, &child))
            area.w = a.width, area.h = a.height;
        return area;
    }
    // The whole screen, 0x00RRGGBB a pixel.
    std::vector<uint32_t> Grab() const {
        XSync(x_, False);
        std::vector<uint32_t> pixels(size_t(Width()) * size_t(Height()));
        XImage* image = XGetImage(x_, DefaultRootWindow(x_), 0, 0, unsigned(Width()), unsigned(Height()), AllPlanes, ZPixmap);
        if (!image) return {};
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                pixels[size_t(y) * size_t(Width()) + size_t(x)] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
        XDestroyImage(image);
        return pixels;
    }
    void MovePointer(int x, int y) const {
        XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
        XSync(x_, False);
    }
    void Button(bool down) const {
        XTestFakeButtonEvent(x_, 1, down, CurrentTime);
        XSync(x_, False);
    }
    void Key(KeySym key) const {
        XTestFakeKeyEvent(x_, XKeysymToKeycode(x_, key), True, CurrentTime);
        XSync(x_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        XTestFakeKeyEvent(x_, XKeysymToKeycode(x_, key), False, CurrentTime);
        XSync(x_, False);
    }
    void Focus(Window w) const {
        XRaiseWindow(x_, w);
        XSetInputFocus(x_, w, RevertToParent, CurrentTime);
        XSync(x_, False);
    }
    void Resize(Window w, int width, int height) const {
        XResizeWindow(x_, w, unsigned(width), unsigned(height));
        XSync(x_, False);
    }
    // Another application's window to give the focus to: one pixel in the corner, outside
    // every window manager's care, so that it covers nothing that is compared.
    Window OtherWindow() const {
        XSetWindowAttributes a{};
        a.override_redirect = True;
        const Window w = XCreateWindow(x_, DefaultRootWindow(x_), 0, 0, 1, 1, 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect, &a);
        XMapRaised(x_, w);
        XSync(x_, False);
        return w;
    }
    bool WindowManagerRuns() const {
        const std::string selection = "WM_S" + std::to_string(DefaultScreen(x_));
        return XGetSelectionOwner(x_, XInternAtom(x_, selection.c_str(), False)) != 0;
    }

private:
    static int Ignore(::Display*, XErrorEvent*) { return 0; }
    ::Display* x_;
    int (*previous_)(::Display*, XErrorEvent*) = nullptr;
};

}  // namespace xtest
