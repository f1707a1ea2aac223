// The SDL2 window on a real X server: frames shown windowed and full screen read back exactly
// as presented, and the vertical-blank flag makes the renderer present with vsync.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/display/Display.h"

namespace display = platform::display;

namespace {

std::vector<uint16_t> Pattern(int w, int h) {
    std::vector<uint16_t> p(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p[size_t(y) * size_t(w) + size_t(x)] = uint16_t(x * 131 + y * 977);
    return p;
}

}  // namespace

TEST(PresenterWindow, FramesReadBackExactlyWindowedAndFullScreen) {
    auto window = display::OpenSdlPresenter("presenter check");
    ASSERT_NE(window, nullptr);
    for (const bool fullScreen : {false, true, false}) {
        ASSERT_TRUE(window->SetMode(320, 200, fullScreen));
        EXPECT_EQ(window->FullScreen(), fullScreen);
        const auto frame = Pattern(320, 200);
        window->Present(frame.data(), 640, 320, 200);
        const display::Frame shown = window->ReadFrame();
        ASSERT_EQ(shown.Width, 320);
        ASSERT_EQ(shown.Height, 200);
        EXPECT_EQ(shown.Pixels, frame) << (fullScreen ? "full screen" : "windowed");
    }
    const auto rendererFlags = [&] {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(SDL_GetRenderer(SDL_GetWindowFromID(window->WindowId())), &info);
        return info.flags;
    };
    EXPECT_FALSE(rendererFlags() & SDL_RENDERER_PRESENTVSYNC);
    window->SetVSync(true);
    EXPECT_TRUE(window->VSync());
    EXPECT_TRUE(rendererFlags() & SDL_RENDERER_PRESENTVSYNC);
    const auto frame = Pattern(320, 200);
    for (int i = 0; i < 3; ++i) window->Present(frame.data(), 640, 320, 200);  // kept to the refresh
    EXPECT_EQ(window->ReadFrame().Pixels, frame);
    window->SetVSync(false);
    EXPECT_FALSE(rendererFlags() & SDL_RENDERER_PRESENTVSYNC);
}

TEST(PresenterWindow, APlayerWhoKeepsTheWindowKeepsItWhenTheGameAsksForFullScreen) {
    ::setenv("SPRALLION_WINDOWED", "1", 1);
    auto window = display::OpenSdlPresenter("presenter check");
    ::unsetenv("SPRALLION_WINDOWED");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->SetMode(320, 200, true));
    EXPECT_TRUE(window->FullScreen()) << "as the game asked";
    for (int i = 0; i < 20; ++i) SDL_PumpEvents(), SDL_Delay(10);  // the window system's answers
    SDL_Window* sdl = SDL_GetWindowFromID(window->WindowId());
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN);
}
