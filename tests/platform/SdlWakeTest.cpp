#include "platform/window/Dispatcher.h"
#include "platform/window/SdlWake.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace pw = platform::window;

TEST(SdlWake, QueuedWorkWakesTheEventLoopWhichPumpsIt) {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    pw::Dispatcher d;
    ASSERT_TRUE(pw::InstallSdlWake(d));
    int ran = 0;
    d.Post([&] { ++ran; });
    SDL_Event event;
    bool woke = false;
    while (SDL_PollEvent(&event))
        if (pw::IsWakeEvent(event)) {
            woke = true;
            d.PumpAll();
        }
    EXPECT_TRUE(woke);
    EXPECT_EQ(ran, 1);
    d.SetWakeHook(nullptr);
    SDL_Quit();
}
