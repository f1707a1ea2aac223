// The real presenter: an SDL2 window. A present widens the RGB565 frame into the window's
// own 32-bit pixels in one pass, scaling it when the window is full screen on a larger
// desktop; the window keeps the presented frame, and reading it back reads the window, only
// when asked. The window's events belong to the event pump; its clipboard is the process's
// clipboard while the window lives.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/display/Display.h"
#include "platform/display/Placement.h"
#include "platform/display/Pointer.h"
#include "platform/window/Clipboard.h"
#include "platform/window/EventPump.h"

namespace platform::display {

namespace {

// One RGB565 pixel as 8-8-8 in the low 24 bits, each channel's top bits repeated below it
// (0x1F becomes 0xFF), so that the frame reads back exactly.
inline uint32_t Widen(uint16_t v) {
    const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
    return (r << 19 | (r >> 2) << 16) | (g << 10 | (g >> 4) << 8) | (b << 3 | b >> 2);
}

void WidenRow(const uint16_t* source, uint32_t* dest, int32_t count, uint32_t alpha) {
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i mask5 = _mm_set1_epi16(0x1F), mask6 = _mm_set1_epi16(0x3F);
    const __m128i opaque = _mm_set1_epi32(int32_t(alpha));
    for (; x + 8 <= count; x += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        __m128i r = _mm_srli_epi16(v, 11);
        __m128i g = _mm_and_si128(_mm_srli_epi16(v, 5), mask6);
        __m128i b = _mm_and_si128(v, mask5);
        r = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
        g = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
        b = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
        const __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + x), _mm_or_si128(_mm_unpacklo_epi16(gb, r), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + x + 4), _mm_or_si128(_mm_unpackhi_epi16(gb, r), opaque));
    }
#endif
    for (; x < count; ++x) dest[x] = Widen(source[x]) | alpha;
}

// Frames go straight into the window's own pixels: a present is one pass over the frame,
// widening it (and, full screen on a larger desktop, scaling it) into the window's memory.
class SdlPresenter final : public Presenter {
public:
    explicit SdlPresenter(SDL_Window* window) : window_(window) {
        SDL_GetWindowSize(window_, &width_, &height_);
        clipboard_ = window::OpenWindowClipboard(window_, window::MainPump());
        window::InstallClipboard(clipboard_.get());
        SetCursorVisibilitySink([](bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); });
        InstallPointerDevice(&pointer_);
    }
    ~SdlPresenter() override {
        RemovePointerDevice(&pointer_);
        SetCursorVisibilitySink(nullptr);
        window::RemoveClipboard(clipboard_.get());
        clipboard_.reset();
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    const char* Name() const override { return "sdl"; }

    bool SetMode(int32_t width, int32_t height, bool fullScreen) override {
        if (width <= 0 || height <= 0) return false;
        if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
        if (!fullScreen) SDL_SetWindowSize(window_, width, height);
        width_ = width, height_ = height;
        fullScreen_ = fullScreen;
        return true;
    }
    // As asked for: the window manager takes the window to the whole screen in its own time.
    bool FullScreen() const override { return fullScreen_; }

    void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) override {
        if (width != width_ || height != height_) SetMode(width, height, fullScreen_);
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface) return;
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        if (surface->w == width && surface->h == height && IsXrgb(surface->format)) {
            for (int32_t y = 0; y < height; ++y)
                WidenRow(Row(pixels, pitch, y), Row32(surface, y), width, Alpha(surface->format));
        } else if (IsXrgb(surface->format)) {
            PresentScaled(pixels, pitch, surface);
        } else if (surface->w >= width && surface->h >= height) {
            SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB565, pixels, pitch, surface->format->format,
                              surface->pixels, surface->pitch);
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        if (vsync_) WaitForRefresh();
        SDL_UpdateWindowSurface(window_);
    }

    void Restore() override { SDL_RestoreWindow(window_); }
    void Raise() override { SDL_RaiseWindow(window_); }

    // Read from the window's own pixels: exact, since the widening repeats each channel's
    // top bits; a scaled frame is read at the first window pixel of each frame pixel.
    Frame ReadFrame() const override {
        Frame frame;
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface || !IsXrgb(surface->format)) return frame;
        frame.Width = width_;
        frame.Height = height_;
        frame.Pixels.resize(size_t(width_) * size_t(height_));
        const Placement p = Placement::Of(width_, height_, surface->w, surface->h);
        if (p.width <= 0 || p.height <= 0) return frame;
        for (int32_t y = 0; y < height_; ++y) {
            const int32_t sy = p.top + int32_t((int64_t(y) * p.height + height_ - 1) / height_);
            const uint32_t* row = Row32(surface, std::min(sy, surface->h - 1));
            for (int32_t x = 0; x < width_; ++x) {
                const int32_t sx = p.left + int32_t((int64_t(x) * p.width + width_ - 1) / width_);
                const uint32_t v = row[std::min(sx, surface->w - 1)];
                frame.Pixels[size_t(y) * size_t(width_) + size_t(x)] =
                    uint16_t((v >> 19 & 31) << 11 | (v >> 10 & 63) << 5 | (v >> 3 & 31));
            }
        }
        return frame;
    }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }

    void SetVSync(bool on) override { vsync_ = on; }
    bool VSync() const override { return vsync_; }
    void Minimize() override { SDL_MinimizeWindow(window_); }
    bool Minimized() const override { return SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED; }
    uint32_t WindowId() const override { return SDL_GetWindowID(window_); }

private:
    static bool IsXrgb(const SDL_PixelFormat* f) {
        return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF;
    }
    static uint32_t Alpha(const SDL_PixelFormat* f) { return f->Amask; }
    static const uint16_t* Row(const uint16_t* pixels, int32_t pitch, int32_t y) {
        return reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch);
    }
    static uint32_t* Row32(SDL_Surface* s, int32_t y) {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + ptrdiff_t(y) * s->pitch);
    }

    void PresentScaled(const uint16_t* pixels, int32_t pitch, SDL_Surface* surface) {
        const Placement p = Placement::Of(width_, height_, surface->w, surface->h);
        const uint32_t alpha = Alpha(surface->format);
        columns_.resize(size_t(std::max(p.width, 0)));
        for (int32_t x = 0; x < p.width; ++x) columns_[size_t(x)] = int32_t(int64_t(x) * width_ / p.width);
        for (int32_t y = 0; y < surface->h; ++y) {
            uint32_t* out = Row32(surface, y);
            if (y < p.top || y >= p.top + p.height) {
                std::fill_n(out, surface->w, alpha);  // the bars above and below
                continue;
            }
            const uint16_t* in = Row(pixels, pitch, int32_t(int64_t(y - p.top) * height_ / p.height));
            std::fill_n(out, p.left, alpha);
            for (int32_t x = 0; x < p.width; ++x) out[p.left + x] = Widen(in[columns_[size_t(x)]]) | alpha;
            std::fill(out + p.left + p.width, out + surface->w, alpha);
        }
    }

    // The window's pixels have no vertical blank to wait for: presents keep to the display's
    // refresh by the clock, as SDL's own software renderer does.
    void WaitForRefresh() {
        SDL_DisplayMode mode;
        const int hz = SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
        const auto interval = std::chrono::microseconds(1000000 / hz);
        auto now = std::chrono::steady_clock::now();
        if (now - lastRefresh_ < interval) {
            std::this_thread::sleep_until(lastRefresh_ + interval);
            now = std::chrono::steady_clock::now();
        }
        const auto late = now - lastRefresh_;
        // Long idle: the timeline starts again; otherwise it moves on by whole refreshes.
        lastRefresh_ = late > std::chrono::seconds(1) ? now : lastRefresh_ + (late / interval) * interval;
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
            const Placement p = owner_.FramePlacement();
            if (p.width <= 0 || p.height <= 0) return false;
            p.ToFrame(gx - wx, gy - wy, owner_.width_, owner_.height_, at.X, at.Y);
            return true;
        }
        void Warp(PointerPoint to) override {
            const Placement p = owner_.FramePlacement();
            if (p.width <= 0 || p.height <= 0) return;
            int32_t x = 0, y = 0;
            p.ToWindow(to.X, to.Y, owner_.width_, owner_.height_, x, y);
            SDL_WarpMouseInWindow(owner_.window_, x, y);
        }

    private:
        SdlPresenter& owner_;
    };
    Placement FramePlacement() const {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        return Placement::Of(width_, height_, w, h);
    }

    SDL_Window* window_;
    Pointer pointer_{*this};
    int32_t width_ = 0, height_ = 0;
    bool vsync_ = false;
    bool fullScreen_ = false;
    std::vector<int32_t> columns_;
    std::chrono::steady_clock::time_point lastRefresh_{};
    std::unique_ptr<window::Clipboard> clipboard_;
};

}  // namespace

std::unique_ptr<Presenter> OpenSdlPresenter(const std::string& title) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, 0);
    if (!window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return std::make_unique<SdlPresenter>(window);
}

}  // namespace platform::display
