// The display on a real SDL window (SDL's dummy video driver): presenting a frame leaves the
// window's events to the event pump.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/DXDrawsPicture.h"
#include "platform/window/EventPump.h"

using namespace media;
namespace display = platform::display;

TEST(DXDrawOnSdl, AFlipLeavesQuitAndWakeEventsQueued) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
        std::unique_ptr<display::Presenter> window = display::OpenSdlPresenter("flip check");
        ASSERT_NE(window, nullptr) << SDL_GetError();
        EXPECT_NE(window->WindowId(), 0u);
        TDXForm form;
        form.SetActive(true);
        TDXDraw dxdraw(*window);
        dxdraw.AutoInitialize = false;
        dxdraw.SetParent(&form);
        dxdraw.SetBounds(0, 0, 800, 600);
        dxdraw.Initialize();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        SDL_Event wake{};
        wake.type = platform::window::WakeEventType();
        SDL_PushEvent(&wake);
        dxdraw.Surface()->Fill(dxdraw.Surface()->ColorMatch(RGBColor(0, 0, 255)));
        dxdraw.Flip();
        EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1);
        EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, wake.type, wake.type), 1);
        // The presented frame is read back from the renderer only when asked for.
        const display::Frame shown = window->ReadFrame();
        ASSERT_EQ(shown.Width, 800);
        ASSERT_EQ(shown.Pixels.size(), 800u * 600u);
        EXPECT_EQ(shown.Pixels[300 * 800 + 400], 0x001F);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        dxdraw.Finalize();
    }
    ::unsetenv("SDL_VIDEODRIVER");
}
