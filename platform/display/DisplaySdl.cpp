// The real presenter: an SDL2 window whose renderer shows a streaming RGB565 texture.
#include <SDL.h>

#include <cstring>

#include "platform/display/Display.h"

namespace platform::display {

namespace {

class SdlPresenter final : public Presenter {
public:
    SdlPresenter(SDL_Window* window, SDL_Renderer* renderer) : window_(window), renderer_(renderer) {}
    ~SdlPresenter() override {
        if (texture_) SDL_DestroyTexture(texture_);
        SDL_DestroyRenderer(renderer_);
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    const char* Name() const override { return "sdl"; }

    bool SetMode(int32_t width, int32_t height, bool fullScreen) override {
        if (width <= 0 || height <= 0) return false;
        SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        SDL_SetWindowSize(window_, width, height);
        SDL_RenderSetLogicalSize(renderer_, width, height);
        return MakeTexture(width, height);
    }

    void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) override {
        if ((width != width_ || height != height_) && !MakeTexture(width, height)) return;
        SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        // Read back before the swap: the back buffer holds this frame only until then.
        shown_.Width = width;
        shown_.Height = height;
        shown_.Pixels.assign(size_t(width) * size_t(height), 0);
        SDL_Rect whole{0, 0, width, height};
        if (SDL_RenderReadPixels(renderer_, &whole, SDL_PIXELFORMAT_RGB565, shown_.Pixels.data(), width * 2) != 0)
            shown_.Pixels.clear();
        SDL_RenderPresent(renderer_);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }

    void Restore() override { SDL_RestoreWindow(window_); }
    void Raise() override { SDL_RaiseWindow(window_); }

    Frame ReadFrame() const override { return shown_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }

private:
    bool MakeTexture(int32_t width, int32_t height) {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) return false;
        width_ = width;
        height_ = height;
        return true;
    }

    SDL_Window* window_;
    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    int32_t width_ = 0, height_ = 0;
    Frame shown_;
};

}  // namespace

std::unique_ptr<Presenter> OpenSdlPresenter(const std::string& title) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, 0);
    if (!window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    // The software renderer reads back exactly what it shows.
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) {
        SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return std::make_unique<SdlPresenter>(window, renderer);
}

}  // namespace platform::display
