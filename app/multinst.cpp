#include "app/multinst.h"

#include <chrono>
#include <memory>
#include <thread>

#include "platform/display/Display.h"
#include "platform/instance/InstanceLock.h"
#include "platform/instance/RuntimeFolder.h"
#include "platform/window/Broadcast.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"

namespace app::multinst {

uint32_t RestoreMessage = 0;
uint32_t TerminateMessage = 0;
std::string MutexName;

namespace {

namespace display = platform::display;
namespace window = platform::window;

struct Unit {
    uint32_t status = 0;
    std::unique_ptr<platform::instance::InstanceLock> mutexHandle;  // held until the process ends
    std::unique_ptr<window::BroadcastListener> listener;
    display::WindowProc oldWindowProc;  // empty while not hooked
    display::Form* mainForm = nullptr;
    std::function<display::Presenter*()> presenter;

    ~Unit() { Unhook(); }

    void Unhook() {
        listener.reset();
        if (oldWindowProc) {
            display::ApplicationWindow().WindowProcedure = std::move(oldWindowProc);
            oldWindowProc = nullptr;
        }
    }
};

Unit& TheUnit() {
    // What the unit's end touches must end after it: statics end in reverse order.
    display::ApplicationWindow();
    window::MainDispatcher();
    static Unit unit;
    return unit;
}

// Another copy runs: bring it to the front and end. The first copy binds its socket right
// after taking the lock, so the message is sent again for up to a second until someone gets it.
void ActivateFirstInstance() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    uint32_t recipients = window::BSM_APPLICATIONS;
    while (window::BroadcastSystemMessage(window::BSF_IGNORECURRENTTASK | window::BSF_POSTMESSAGE, &recipients,
                                          RestoreMessage, 0, 0) <= 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window::RequestTerminate();
}

void HookApplicationWindow(Unit& unit) {
    display::Form& app = display::ApplicationWindow();
    if (!unit.oldWindowProc) {
        unit.oldWindowProc = app.WindowProcedure;
        app.WindowProcedure = [](display::Message& m) { InstanceWndProc(m); };
    }
    if (!unit.listener) {
        unit.listener = window::BroadcastListener::Start(
            [](uint32_t msg, uintptr_t wParam, intptr_t lParam) { display::ApplicationWindow().Perform(msg, wParam, lParam); });
        if (!unit.listener) unit.status |= kStatusHookFailed;
    }
}

}  // namespace

uint32_t Status() { return TheUnit().status; }
bool Hooked() { return static_cast<bool>(TheUnit().oldWindowProc); }

void SetMainWindow(display::Form* form, std::function<display::Presenter*()> presenter) {
    TheUnit().mainForm = form;
    TheUnit().presenter = std::move(presenter);
}

void ForgetMainWindow(const display::Form* form) {
    if (TheUnit().mainForm == form) SetMainWindow(nullptr, {});
}

bool CheckSingleInstance() {
    Unit& unit = TheUnit();
    std::string error;
    const std::string folder = platform::instance::RuntimeFolder(&error);
    std::unique_ptr<platform::instance::InstanceLock> lock;
    const auto result = platform::instance::InstanceLock::TryAcquire(folder, MutexName, lock, &error);
    if (result == platform::instance::InstanceLock::Result::HeldElsewhere) {
        ActivateFirstInstance();
        return false;
    }
    HookApplicationWindow(unit);
    if (result == platform::instance::InstanceLock::Result::Acquired)
        unit.mutexHandle = std::move(lock);
    else
        unit.status |= kStatusMutexFailed;
    return true;
}

void InstanceWndProc(display::Message& message) {
    Unit& unit = TheUnit();
    if (RestoreMessage != 0 && message.Msg == RestoreMessage) {
        display::Presenter* presenter = unit.presenter ? unit.presenter() : nullptr;
        if (unit.mainForm && unit.mainForm->State == display::WindowState::Minimized) {
            unit.mainForm->State = display::WindowState::Normal;
            if (presenter) presenter->Restore();
        }
        // The application's last active pop-up comes to the front: an open box above the
        // game, which keeps the input, else the game itself.
        if (!window::MainPump().RaiseModal() && presenter) presenter->Raise();
        message.Result = 0;
        return;
    }
    if (TerminateMessage != 0 && message.Msg == TerminateMessage) {
        window::RequestTerminate();
        message.Result = 0;
        return;
    }
    if (unit.oldWindowProc) unit.oldWindowProc(message);
}

void Finalize() { TheUnit().Unhook(); }

void ReleaseForTests() {
    Unit& unit = TheUnit();
    unit.Unhook();
    unit.mutexHandle.reset();
    unit.status = 0;
}

}  // namespace app::multinst
