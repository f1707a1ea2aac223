// The real presenter: an SDL2 window with a renderer. A present widens the RGB565 frame into a
// streaming texture in one pass (its one upload) and has the renderer draw that texture into
// the window: full screen scaled to the desktop with its shape kept, in a window pixel for
// pixel and centred. The texture keeps the last frame, so the window is drawn again whenever
// it is uncovered or changes size, also while the game waits. The frame is read back from the
// renderer only when asked. The window's events belong to the event pump; its clipboard is
// the process's clipboard while the window lives.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/display/Display.h"
#include "platform/display/Placement.h"
#include "platform/display/Pointer.h"
#include "platform/display/Widen.h"
#include "platform/window/Clipboard.h"
#include "platform/window/EventPump.h"

namespace platform::display {

namespace {

// Whether a window manager runs on the window's X screen: it owns the screen's WM_Sn
// selection. Without one nobody acts on a request for full screen, so the presenter places
// the window over the display itself. Other window systems always manage their windows.
bool WindowManaged(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    ::Display* x = info.info.x11.display;
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(x));
    return XGetSelectionOwner(x, XInternAtom(x, selection.c_str(), False)) != None;
}

class SdlPresenter final : public Presenter {
public:
    SdlPresenter(SDL_Window* window, SDL_Renderer* renderer, bool keepWindowed)
        : window_(window), renderer_(renderer), keepWindowed_(keepWindowed) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(renderer_, &info);
        // The texture takes the window's own 32-bit format when the renderer keeps it, so that
        // a software renderer copies it without converting; else the renderer's first.
        format_ = SDL_PIXELFORMAT_ARGB8888;
        const uint32_t windowFormat = SDL_GetWindowPixelFormat(window_);
        for (uint32_t i = 0; i < info.num_texture_formats; ++i)
            if (info.texture_formats[i] == windowFormat && SDL_BYTESPERPIXEL(windowFormat) == 4 &&
                (windowFormat == SDL_PIXELFORMAT_RGB888 || windowFormat == SDL_PIXELFORMAT_ARGB8888))
                format_ = windowFormat;
        rendererName_ = info.name ? info.name : "?";
        clipboard_ = window::OpenWindowClipboard(window_, window::MainPump());
        window::InstallClipboard(clipboard_.get());
        SetCursorVisibilitySink([](bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); });
        InstallPointerDevice(&pointer_);
        MakeTexture(800, 600);
    }
    ~SdlPresenter() override {
        RemovePointerDevice(&pointer_);
        SetCursorVisibilitySink(nullptr);
        window::RemoveClipboard(clipboard_.get());
        clipboard_.reset();
        if (texture_) SDL_DestroyTexture(texture_);
        SDL_DestroyRenderer(renderer_);
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    const char* Name() const override { return "sdl"; }
    const std::string& RendererName() const { return rendererName_; }

    bool SetMode(int32_t width, int32_t height, bool fullScreen) override {
        if (width <= 0 || height <= 0) return false;
        const bool resized = width != width_ || height != height_;
        if (resized && !MakeTexture(width, height)) return false;
        fullScreen_ = fullScreen;
        ShowMode(fullScreen && !keepWindowed_, resized);
        Redraw();
        return true;
    }
    // As asked for: the window manager takes the window to the whole screen in its own time.
    bool FullScreen() const override { return fullScreen_; }

    void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) override {
        if ((width != width_ || height != height_) && !SetMode(width, height, fullScreen_)) return;
        void* texels = nullptr;
        int texturePitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &texels, &texturePitch) != 0) return;
        for (int32_t y = 0; y < height; ++y)
            WidenRow(reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch),
                     reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(texels) + ptrdiff_t(y) * texturePitch), width);
        SDL_UnlockTexture(texture_);
        hasFrame_ = true;
        Redraw();
    }

    // The frame at its place and black beside it: every output pixel drawn once.
    void Redraw() override {
        int ow = 0, oh = 0;
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        const Placement p = OutputPlacement();
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        if (!hasFrame_) {
            SDL_RenderClear(renderer_);
        } else {
            const SDL_Rect bars[] = {{0, 0, ow, p.top},
                                     {0, p.top + p.height, ow, oh - p.top - p.height},
                                     {0, p.top, p.left, p.height},
                                     {p.left + p.width, p.top, ow - p.left - p.width, p.height}};
            for (const SDL_Rect& bar : bars)
                if (bar.w > 0 && bar.h > 0) SDL_RenderFillRect(renderer_, &bar);
            const SDL_Rect to{p.left, p.top, p.width, p.height};
            SDL_RenderCopy(renderer_, texture_, nullptr, &to);
        }
        SDL_RenderPresent(renderer_);
    }

    void Restore() override { SDL_RestoreWindow(window_); }
    void Raise() override { SDL_RaiseWindow(window_); }

    // The texture drawn pixel for pixel into a target of the frame's size and read from there:
    // exact, since the widening repeats each channel's top bits.
    Frame ReadFrame() const override {
        Frame frame;
        frame.Width = width_, frame.Height = height_;
        frame.Pixels.assign(size_t(width_) * size_t(height_), 0);
        if (!hasFrame_) return frame;
        SDL_Texture* target = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width_, height_);
        std::vector<uint32_t> texels(frame.Pixels.size());
        const bool read = target && SDL_SetRenderTarget(renderer_, target) == 0 &&
                          SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) == 0 &&
                          SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, texels.data(), width_ * 4) == 0;
        SDL_SetRenderTarget(renderer_, nullptr);
        if (target) SDL_DestroyTexture(target);
        if (!read) return Frame{};
        std::transform(texels.begin(), texels.end(), frame.Pixels.begin(), Narrow);
        return frame;
    }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }

    void SetVSync(bool on) override {
        if (on == vsync_) return;
        SDL_RenderSetVSync(renderer_, on ? 1 : 0);
        vsync_ = on;
    }
    bool VSync() const override { return vsync_; }
    void Minimize() override { SDL_MinimizeWindow(window_); }
    bool Minimized() const override { return SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED; }
    uint32_t WindowId() const override { return SDL_GetWindowID(window_); }

    void WindowToFrame(int32_t& x, int32_t& y) const override {
        int ww = 0, wh = 0, ow = 0, oh = 0;
        SDL_GetWindowSize(window_, &ww, &wh);
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        if (ww <= 0 || wh <= 0) return;
        // Window points to output pixels (they differ on scaled desktops), then to the frame.
        OutputPlacement().ToFrame(int32_t(int64_t(x) * ow / ww), int32_t(int64_t(y) * oh / wh), width_, height_, x, y);
    }

private:
    bool MakeTexture(int32_t width, int32_t height) {
        SDL_Texture* made = SDL_CreateTexture(renderer_, format_, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!made) return false;
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = made;
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
        width_ = width, height_ = height;
        hasFrame_ = false;
        return true;
    }

    Placement OutputPlacement() const {
        int ow = 0, oh = 0;
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        return shownFullScreen_ ? Placement::Fit(width_, height_, ow, oh) : Placement::Centred(width_, height_, ow, oh);
    }

    // Full screen is the desktop's: the window covers its display and the frame is scaled
    // onto it; the monitor's mode never changes. A window manager is asked to do it; without
    // one the window is moved over the display, and back, here.
    void ShowMode(bool fullScreen, bool resized) {
        const bool managed = WindowManaged(window_);
        if (fullScreen == shownFullScreen_ && (!fullScreen || managed == shownManaged_)) {
            if (resized && !fullScreen) SDL_SetWindowSize(window_, width_, height_);
            return;
        }
        if (shownFullScreen_ && shownManaged_) SDL_SetWindowFullscreen(window_, 0);
        shownFullScreen_ = fullScreen, shownManaged_ = managed;
        SDL_Rect display{0, 0, width_, height_};
        SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &display);
        if (fullScreen && managed) {
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else if (fullScreen) {
            SDL_SetWindowPosition(window_, display.x, display.y);
            SDL_SetWindowSize(window_, display.w, display.h);
            SDL_RaiseWindow(window_);
        } else {
            SDL_SetWindowSize(window_, width_, height_);
            SDL_SetWindowPosition(window_, display.x + (display.w - width_) / 2, display.y + (display.h - height_) / 2);
        }
    }

    // The pointer in frame pixels: the window's pointer mapped through the frame's placement,
    // so that full screen on a larger desktop reads and warps the frame's coordinates.
    class Pointer final : public PointerDevice {
    public:
        explicit Pointer(SdlPresenter& owner) : owner_(owner) {}
        bool Position(PointerPoint& at) override {
            int gx = 0, gy = 0, wx = 0, wy = 0;
            SDL_GetGlobalMouseState(&gx, &gy);
            SDL_GetWindowPosition(owner_.window_, &wx, &wy);
            at = {gx - wx, gy - wy};
            owner_.WindowToFrame(at.X, at.Y);
            return true;
        }
        void Warp(PointerPoint to) override {
            int ww = 0, wh = 0, ow = 0, oh = 0;
            SDL_GetWindowSize(owner_.window_, &ww, &wh);
            SDL_GetRendererOutputSize(owner_.renderer_, &ow, &oh);
            if (ow <= 0 || oh <= 0) return;
            int32_t x = 0, y = 0;
            owner_.OutputPlacement().ToOutput(to.X, to.Y, owner_.width_, owner_.height_, x, y);
            SDL_WarpMouseInWindow(owner_.window_, int(int64_t(x) * ww / ow), int(int64_t(y) * wh / oh));
        }

    private:
        SdlPresenter& owner_;
    };

    SDL_Window* window_;
    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    uint32_t format_ = SDL_PIXELFORMAT_ARGB8888;
    std::string rendererName_;
    Pointer pointer_{*this};
    int32_t width_ = 0, height_ = 0;
    bool hasFrame_ = false;
    bool vsync_ = false;
    bool fullScreen_ = false;       // as asked for
    bool shownFullScreen_ = false;  // as shown: a player who keeps the window keeps it
    bool shownManaged_ = true;
    const bool keepWindowed_;
    std::unique_ptr<window::Clipboard> clipboard_;
};

}  // namespace

std::unique_ptr<Presenter> OpenSdlPresenter(const std::string& title) {
    // The monitor's mode never changes, so losing the focus has nothing to give back: a full
    // screen window stays as it is instead of being minimised.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_Window* window =
        SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) {
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    const char* windowed = std::getenv("SPRALLION_WINDOWED");
    auto presenter = std::make_unique<SdlPresenter>(window, renderer, windowed && std::strcmp(windowed, "1") == 0);
    Log("Video: SDL2 window, renderer " + presenter->RendererName() +
        (windowed && std::strcmp(windowed, "1") == 0 ? ", kept in a window (SPRALLION_WINDOWED=1)" : ""));
    return presenter;
}

}  // namespace platform::display
