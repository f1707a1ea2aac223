// The event pump: routing by window, the application's activation from the focus, nested
// pumps, the SDL source and the main-thread work it runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/EventPump.h"

namespace pw = platform::window;
using pw::EventType;

namespace {

pw::WindowEvent Event(EventType type, uint32_t window) {
    pw::WindowEvent e;
    e.Type = type;
    e.WindowId = window;
    return e;
}

struct Pump {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    std::vector<std::string> heard;  // "window:event"
    int activations = 0;

    Pump() {
        app.AddActivateHook([this](bool active) { heard.push_back(active ? "app:on" : "app:off"); });
    }
    void Listen(uint32_t window) {
        pump.Register(window, [this, window](const pw::WindowEvent& e) {
            heard.push_back(std::to_string(window) + ":" + std::to_string(int(e.Type)));
        });
    }
    std::string Heard(uint32_t window, EventType type) { return std::to_string(window) + ":" + std::to_string(int(type)); }
};

}  // namespace

TEST(EventPump, RoutesEachEventToItsWindowAndDropsTheOthers) {
    Pump p;
    p.Listen(1);
    p.Listen(2);
    p.pump.Post(Event(EventType::KeyDown, 2));
    p.pump.Post(Event(EventType::Close, 1));
    p.pump.Post(Event(EventType::Close, 3));  // no such window
    EXPECT_EQ(p.pump.PumpPending(), 3);
    EXPECT_EQ(p.heard, (std::vector<std::string>{p.Heard(2, EventType::KeyDown), p.Heard(1, EventType::Close)}));
    p.pump.Unregister(2);
    p.heard.clear();
    p.pump.Post(Event(EventType::KeyDown, 2));
    p.pump.PumpPending();
    EXPECT_TRUE(p.heard.empty());
}

TEST(EventPump, TheApplicationIsActiveWhileOneOfItsWindowsHasTheFocus) {
    Pump p;
    p.Listen(1);
    p.Listen(2);
    // The focus moves from the game window to a dialog within one pump: no deactivation.
    p.pump.Post(Event(EventType::FocusGained, 1));
    p.pump.PumpPending();
    p.pump.Post(Event(EventType::FocusLost, 1));
    p.pump.Post(Event(EventType::FocusGained, 2));
    p.heard.clear();
    p.pump.PumpPending();
    EXPECT_EQ(p.heard, (std::vector<std::string>{p.Heard(1, EventType::FocusLost), p.Heard(2, EventType::FocusGained)}));
    EXPECT_TRUE(p.app.Active());
    EXPECT_EQ(p.pump.FocusedWindow(), 2u);
    // Another program takes the focus: every window hears of the deactivation, then the application.
    p.heard.clear();
    p.pump.Post(Event(EventType::FocusLost, 2));
    p.pump.PumpPending();
    EXPECT_FALSE(p.app.Active());
    EXPECT_EQ(p.heard, (std::vector<std::string>{p.Heard(2, EventType::FocusLost), p.Heard(1, EventType::AppDeactivated),
                                                 p.Heard(2, EventType::AppDeactivated), "app:off"}));
    // Coming back: the activation comes before the window's focus.
    p.heard.clear();
    p.pump.Post(Event(EventType::FocusGained, 1));
    p.pump.PumpPending();
    EXPECT_TRUE(p.app.Active());
    EXPECT_EQ(p.heard, (std::vector<std::string>{p.Heard(1, EventType::AppActivated), p.Heard(2, EventType::AppActivated),
                                                 "app:on", p.Heard(1, EventType::FocusGained)}));
    // A posted activation is the pump's own to send, and a closed window takes its focus along.
    p.heard.clear();
    p.pump.Post(Event(EventType::AppDeactivated, 1));
    p.pump.Unregister(1);
    p.pump.PumpPending();
    EXPECT_FALSE(p.app.Active());
    EXPECT_EQ(p.heard, (std::vector<std::string>{p.Heard(2, EventType::AppDeactivated), "app:off"}));
}

TEST(EventPump, NoFocusEventsLeaveTheApplicationAsItWas) {
    Pump p;
    p.Listen(1);
    p.pump.Post(Event(EventType::Exposed, 1));
    p.pump.PumpPending();
    EXPECT_TRUE(p.app.Active()) << "a window system that reports no focus never deactivates";
}

TEST(EventPump, HandlersMayNestPumpsAndQueueEventsForTheNextPump) {
    Pump p;
    std::vector<int> order;
    int nested = 0;
    p.pump.Register(1, [&](const pw::WindowEvent& e) {
        order.push_back(e.X);
        if (e.X == 1 && nested++ == 0) p.pump.PumpPending();  // a modal loop's pump
        if (e.X == 4) {
            pw::WindowEvent again = e;
            again.X = 5;
            p.pump.Post(again);
        }
    });
    for (int i = 1; i <= 4; ++i) {
        auto e = Event(EventType::MouseMove, 1);
        e.X = i;
        p.pump.Post(e);
    }
    p.pump.PumpPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4})) << "the nested pump takes the next events in order";
    p.pump.PumpPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
    // A handler may unregister its own window while it runs.
    p.pump.Register(7, [&](const pw::WindowEvent&) { p.pump.Unregister(7); });
    p.pump.Post(Event(EventType::Close, 7));
    p.pump.PumpPending();
    EXPECT_FALSE(p.pump.Registered(7));
}

TEST(EventPump, RunsQueuedWorkAndEndsItsLoopOnQuit) {
    Pump p;
    int ran = 0;
    p.dispatcher.Post([&] { ++ran; });
    EXPECT_TRUE(p.pump.WaitAndPump(0));
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(p.pump.WaitAndPump(5)) << "nothing came";
    p.dispatcher.Post([&] {
        ++ran;
        p.pump.PostQuit();
    });
    p.pump.Run();
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(p.pump.QuitRequested());
}

TEST(EventPump, SdlEventsReachTheirWindowInTheSystemsTerms) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    {
        Pump p;
        std::vector<pw::WindowEvent> got;
        p.pump.Register(9, [&](const pw::WindowEvent& e) { got.push_back(e); });
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.windowID = 9;
        key.key.keysym.scancode = SDL_SCANCODE_SPACE;
        key.key.keysym.mod = KMOD_LSHIFT;
        key.key.repeat = 1;
        SDL_PushEvent(&key);
        SDL_Event button{};
        button.type = SDL_MOUSEBUTTONDOWN;
        button.button.windowID = 9;
        button.button.button = SDL_BUTTON_RIGHT;
        button.button.x = 12, button.button.y = 34;
        SDL_PushEvent(&button);
        SDL_Event close{};
        close.type = SDL_WINDOWEVENT;
        close.window.windowID = 9;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        SDL_PushEvent(&close);
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        int ran = 0;
        p.dispatcher.Post([&] { ++ran; });  // wakes SDL's queue as well
        p.pump.PumpPending();
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[0].Type, EventType::KeyDown);
        EXPECT_EQ(got[0].Key, 0x20u);
        EXPECT_TRUE(got[0].Repeat);
        EXPECT_EQ(got[0].Modifiers, pw::kShiftKey);
        EXPECT_EQ(got[1].Type, EventType::MouseDown);
        EXPECT_EQ(got[1].Button, 1);
        EXPECT_EQ(got[1].X, 12);
        EXPECT_EQ(got[1].Y, 34);
        EXPECT_EQ(got[2].Type, EventType::Close);
        EXPECT_TRUE(p.pump.QuitRequested());
        EXPECT_EQ(ran, 1);
        EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0) << "the wake-up went too";
        // A loop waiting in SDL wakes for posted events.
        p.pump.Post(Event(EventType::Exposed, 9));
        EXPECT_TRUE(p.pump.WaitAndPump(1000));
        EXPECT_EQ(got.size(), 4u);
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}
