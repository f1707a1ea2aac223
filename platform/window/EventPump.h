// The one event pump of the program. It owns the window system's event queue and routes each
// event by window: a routing table maps a window id to the handler of that window (the game
// window to the main form, a dialog window to its dialog). It also runs the main thread's
// queued work (the dispatcher) and keeps the application's activation: the application is
// active while one of its windows has the focus.
//
// Two sources feed it: SDL's queue, whenever SDL's event subsystem is up, and a queue in
// memory (Post), which is all the headless backend has. A blocking loop waits in the window
// system (SDL_WaitEventTimeout) or on the memory queue; work posted from another thread
// wakes it, so it never spins. Pumps nest: a handler may run a modal loop of its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/WindowEvent.h"

union SDL_Event;

namespace platform::window {

class EventPump {
public:
    using Handler = std::function<void(const WindowEvent& event)>;
    // Sees every SDL event that names no window of the table (the window system's own
    // messages, such as the selection requests of the clipboard).
    using NativeHook = std::function<void(const SDL_Event& event)>;

    explicit EventPump(Dispatcher& dispatcher = MainDispatcher(), Application& app = App());
    ~EventPump();
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;

    // The routing table. A window's events go to its handler; events of windows not in the
    // table are dropped. Safe while events are being routed (a handler may unregister itself).
    void Register(uint32_t windowId, Handler handler);
    void Unregister(uint32_t windowId);
    bool Registered(uint32_t windowId) const;

    // Modal windows. While one is up, the input of every other window of ours is dropped (a
    // disabled window gets none; a button's release still reaches the window that saw its
    // press); the modal window's hook hears that input instead, and every
    // focus another window of ours gains, so it can come to the front or, being a pop-up,
    // close. They stack: the window pushed last takes the input.
    // `raise` puts the window in front with the focus.
    using BlockedHook = std::function<void(const WindowEvent& event)>;
    void PushModal(uint32_t windowId, BlockedHook blocked, std::function<void()> raise = {});
    void PopModal(uint32_t windowId);
    // The window that takes the input now; 0 when no modal window is up.
    uint32_t ModalWindow() const { return modal_.empty() ? 0 : modal_.back().WindowId; }
    // Brings the modal window that takes the input to the front (the application's last
    // active pop-up); false when none is up.
    bool RaiseModal();

    int AddNativeHook(NativeHook hook);
    void RemoveNativeHook(int id);

    // Hot keys: a key down whose virtual key and modifiers (window::kShiftKey, kAltKey,
    // kCtrlKey) match a registered one reaches the registering window as a HotKey event
    // instead, whichever of our windows has the focus. A combination belongs to one
    // registration at a time (false for a second one); ids are per window. A window that
    // leaves the table takes its hot keys along.
    bool RegisterHotKey(uint32_t windowId, int32_t id, uint32_t modifiers, uint32_t key);
    bool UnregisterHotKey(uint32_t windowId, int32_t id);

    // Queues an event as if the window system had sent it (the headless backend's input;
    // tests). Any thread.
    void Post(const WindowEvent& event);
    // Asks the loop to end; a quit from the window system (SDL_QUIT) does the same. Any thread.
    void PostQuit();
    bool QuitRequested() const { return quit_.load(); }

    // Routes what is queued now, from both sources, and runs the dispatcher's queued work;
    // answers how many events and jobs that was. Events queued meanwhile wait for the next
    // pump, so a handler that queues events cannot keep one pump going.
    int PumpPending();
    // Waits up to timeoutMs (negative: without limit) until something is queued, then pumps.
    // False when the time ran out with nothing to do.
    bool WaitAndPump(int timeoutMs);
    // The blocking message loop: pumps until a quit is asked for.
    void Run();

    Application& TheApplication() const { return app_; }
    // The window of the table that has the keyboard focus; 0 when none has.
    uint32_t FocusedWindow() const { return focused_; }

private:
    // What other threads touch: the memory queue and the wake-up. Shared with the
    // dispatcher's wake hook, which may still run while the pump goes.
    struct Queued {
        WindowEvent event;
        uint64_t serial;
    };
    struct Inbox {
        std::mutex mutex;
        std::condition_variable posted;
        std::deque<Queued> queue;  // SDL's events join it too, in the order they came
        uint64_t nextSerial = 0;
        bool woken = false;  // work or an event arrived since the last pump began
    };
    void Enqueue(const WindowEvent& event);
    static void Wake(Inbox& inbox);
    bool WaitInbox(int timeoutMs);
    void Route(const WindowEvent& event);
    void Deliver(uint32_t windowId, const WindowEvent& event);
    void SetAppActive(bool active);
    void Broadcast(WindowEvent event);
    // False when a modal window keeps the event from its window (its hook then heard it).
    bool PassModal(const WindowEvent& event);
    // Moves SDL's queued events into the inbox (the window system's own messages and a quit
    // are handled at once); answers how many it took.
    int DrainSdl();
    int HandleSdl(const SDL_Event& event);
    // -1 when SDL's events are not up, else whether an event came before the time ran out.
    int WaitSdl(int timeoutMs);

    Dispatcher& dispatcher_;
    Application& app_;

    std::map<uint32_t, std::shared_ptr<Handler>> routes_;  // main thread
    std::map<int, std::shared_ptr<NativeHook>> nativeHooks_;
    struct Modal {
        uint32_t WindowId;
        std::shared_ptr<BlockedHook> Blocked;
        std::shared_ptr<std::function<void()>> Raise;
    };
    std::vector<Modal> modal_;
    struct HotKey {
        uint32_t WindowId;
        int32_t Id;
        uint32_t Modifiers;
        uint32_t Key;
    };
    std::vector<HotKey> hotKeys_;
    // The hot key a key event stands for, routed to its window; false when it is none.
    bool RouteHotKey(const WindowEvent& event);
    int nextHook_ = 1;

    std::shared_ptr<Inbox> inbox_;
    std::atomic<bool> quit_{false};

    uint32_t focused_ = 0;
    bool focusLost_ = false;  // a window lost the focus in this pump: check the activation after it
    bool appActive_;
};

// The program's pump, on the main dispatcher and the application object.
EventPump& MainPump();

// The SDL user event with which queued work wakes a loop waiting in SDL.
uint32_t WakeEventType();

}  // namespace platform::window
