// The game window's focus, through the one event pump, pauses and resumes the tick timer:
// SDL's dummy video driver with window events injected into its queue.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/DXClassForm.h"
#include "media/GPTimer.h"
#include "platform/clock/VirtualClock.h"
#include "platform/display/Display.h"
#include "platform/window/EventPump.h"

namespace pc = platform::clock;
namespace pw = platform::window;
using media::TGPTimer;

namespace {

void PushFocus(uint32_t window, bool gained) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
}

// The main loop's wait, until the worker's tick has been handed over and run.
template <class Done>
void PumpUntil(pw::EventPump& pump, Done done) {
    for (int i = 0; i < 200 && !done(); ++i) pump.WaitAndPump(50);
}

}  // namespace

TEST(WindowActivation, FocusLostPausesTheTimerAndFocusGainedResumesIt) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto window = platform::display::OpenSdlPresenter("activation check");
    ASSERT_NE(window, nullptr) << SDL_GetError();
    auto& pump = pw::MainPump();
    auto& app = pw::App();
    media::TDXForm form;
    form.AttachWindow(*window, pump);
    pc::VirtualClock clock(1000);
    int ticks = 0, activated = 0, deactivated = 0;
    {
        TGPTimer timer(clock);  // the main dispatcher and the application object
        timer.OnActivate = [&](TGPTimer&) { ++activated; };
        timer.OnDeactivate = [&](TGPTimer&) { ++deactivated; };
        timer.SetInterval(22);
        timer.SetOnTimer([&](TGPTimer&) { ++ticks; });
        timer.SetEnabled(true);
        PushFocus(window->WindowId(), true);
        pump.PumpPending();
        EXPECT_TRUE(form.Active());
        ASSERT_TRUE(clock.WaitForSleepers(1));
        clock.Advance(22);
        PumpUntil(pump, [&] { return ticks == 1; });
        EXPECT_EQ(ticks, 1);

        PushFocus(window->WindowId(), false);
        pump.PumpPending();
        EXPECT_FALSE(app.Active());
        EXPECT_FALSE(app.MainFormActive());
        EXPECT_FALSE(form.Active());
        EXPECT_FALSE(timer.Active());
        EXPECT_EQ(deactivated, 1);
        // Paused: time passes, no tick is handed over.
        ASSERT_TRUE(clock.WaitForSleepers(1));
        clock.Advance(500);
        ASSERT_TRUE(clock.WaitForSleepers(1));
        EXPECT_FALSE(pump.WaitAndPump(20));
        EXPECT_EQ(ticks, 1);

        PushFocus(window->WindowId(), true);
        pump.PumpPending();
        EXPECT_TRUE(app.Active());
        EXPECT_TRUE(timer.Active());
        EXPECT_EQ(activated, 1);
        EXPECT_EQ(timer.NextTime(), 1522u + 22u) << "the grid starts again from now";
        ASSERT_TRUE(clock.WaitForSleepers(1));
        clock.Advance(22);
        PumpUntil(pump, [&] { return ticks == 2; });
        EXPECT_EQ(ticks, 2);
        timer.SetEnabled(false);
    }
    form.DetachWindow();
    window.reset();
    ::unsetenv("SDL_VIDEODRIVER");
}
