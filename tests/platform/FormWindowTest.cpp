// A form bound to its window: the window's events arrive as the window manager's messages,
// and the default handling acts on the window.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display/Display.h"
#include "platform/display/Form.h"
#include "platform/window/EventPump.h"

namespace pd = platform::display;
namespace pw = platform::window;
using pw::EventType;

namespace {

struct Window {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    pd::HeadlessPresenter presenter;
    pd::Form form;
    std::vector<pd::Message> messages;

    Window() {
        form.AttachWindow(presenter, pump);
        const pd::WindowProc below = form.WindowProcedure;
        form.WindowProcedure = [this, below](pd::Message& m) {
            messages.push_back(m);
            below(m);
        };
    }
    void Send(EventType type, int32_t x = 0, int32_t y = 0, uint32_t key = 0, int32_t button = 0,
              uint32_t modifiers = 0) {
        pw::WindowEvent e;
        e.Type = type;
        e.WindowId = presenter.WindowId();
        e.X = x, e.Y = y, e.Key = key, e.Button = button, e.Modifiers = modifiers;
        pump.Post(e);
        pump.PumpPending();
    }
    std::vector<uint32_t> Codes() const {
        std::vector<uint32_t> codes;
        for (const auto& m : messages) codes.push_back(m.Msg);
        return codes;
    }
};

}  // namespace

TEST(FormWindow, FocusAndActivationArriveAsActivationMessages) {
    Window w;
    w.Send(EventType::FocusGained);
    EXPECT_TRUE(w.form.Active());
    EXPECT_TRUE(w.app.MainFormActive());
    w.messages.clear();
    w.Send(EventType::FocusLost);
    EXPECT_FALSE(w.form.Active());
    EXPECT_FALSE(w.app.MainFormActive());
    EXPECT_FALSE(w.app.Active());
    ASSERT_EQ(w.Codes(), (std::vector<uint32_t>{pd::WM_ACTIVATE, pd::WM_ACTIVATEAPP}));
    EXPECT_EQ(w.messages[0].WParam, pd::WA_INACTIVE);
    EXPECT_EQ(w.messages[1].WParam, 0u);
    w.messages.clear();
    w.Send(EventType::FocusGained);
    ASSERT_EQ(w.Codes(), (std::vector<uint32_t>{pd::WM_ACTIVATEAPP, pd::WM_ACTIVATE}));
    EXPECT_EQ(w.messages[0].WParam, 1u);
    EXPECT_EQ(w.messages[1].WParam, pd::WA_ACTIVE);
    EXPECT_TRUE(w.app.Active());
}

TEST(FormWindow, MinimisingReachesTheRealWindowAndTheWindowsStateReachesTheForm) {
    Window w;
    w.form.Perform(pd::WM_SYSCOMMAND, pd::SC_MINIMIZE);
    EXPECT_TRUE(w.presenter.Minimized()) << "the default handling minimises the window";
    EXPECT_EQ(w.form.State, pd::WindowState::Minimized);
    w.presenter.Unminimize();
    w.messages.clear();
    w.Send(EventType::Restored);
    EXPECT_EQ(w.form.State, pd::WindowState::Normal);
    w.Send(EventType::Minimized);
    EXPECT_EQ(w.form.State, pd::WindowState::Minimized);
    ASSERT_EQ(w.Codes(), (std::vector<uint32_t>{pd::WM_SIZE, pd::WM_SIZE}));
    EXPECT_EQ(w.messages[1].WParam, pd::SIZE_MINIMIZED);
    w.Send(EventType::Moved, 40, 30);
    w.Send(EventType::Resized, 640, 480);
    EXPECT_EQ(w.form.Left, 40);
    EXPECT_EQ(w.form.ClientWidth, 640);
    EXPECT_EQ(w.form.ClientHeight, 480);
}

TEST(FormWindow, TheCloseBoxClosesTheFormOnce) {
    Window w;
    w.Send(EventType::Close);
    EXPECT_EQ(w.Codes(), (std::vector<uint32_t>{pd::WM_CLOSE, pd::WM_DESTROY}));
    EXPECT_TRUE(w.form.Destroyed());
    EXPECT_FALSE(w.pump.Registered(w.presenter.WindowId())) << "a destroyed form hears its window no more";
    w.messages.clear();
    w.Send(EventType::Close);
    EXPECT_TRUE(w.messages.empty());
}

TEST(FormWindow, KeysAndTheMouseArriveAsTheirMessages) {
    Window w;
    w.Send(EventType::KeyDown, 0, 0, 0x20, 0, pw::kShiftKey | pw::kAltKey);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].Msg, pd::WM_KEYDOWN);
    EXPECT_EQ(w.messages[0].WParam, 0x20u);
    EXPECT_TRUE(w.messages[0].LParam & pd::KF_ALTDOWN);
    EXPECT_FALSE(w.messages[0].LParam & pd::KF_REPEAT);
    EXPECT_EQ(w.form.KeyModifiers(), pw::kShiftKey | pw::kAltKey);
    w.messages.clear();
    w.Send(EventType::MouseDown, 10, 20, 0, 1, pw::kCtrlKey);
    w.Send(EventType::MouseMove, -5, 600);
    w.Send(EventType::MouseUp, 11, 21, 0, 1);
    ASSERT_EQ(w.Codes(), (std::vector<uint32_t>{pd::WM_RBUTTONDOWN, pd::WM_MOUSEMOVE, pd::WM_RBUTTONUP}));
    EXPECT_EQ(w.messages[0].WParam, pd::MK_RBUTTON | pd::MK_CONTROL);
    EXPECT_EQ(pd::PointX(w.messages[0].LParam), 10);
    EXPECT_EQ(pd::PointY(w.messages[0].LParam), 20);
    EXPECT_EQ(w.messages[1].WParam, pd::MK_RBUTTON) << "the button is still held";
    EXPECT_EQ(pd::PointX(w.messages[1].LParam), -5);
    EXPECT_EQ(pd::PointY(w.messages[1].LParam), 600);
    EXPECT_EQ(w.messages[2].WParam, 0u);
}

TEST(FormWindow, DetachingStopsTheRouting) {
    Window w;
    w.form.DetachWindow();
    w.Send(EventType::FocusGained);
    EXPECT_TRUE(w.messages.empty());
    w.form.Perform(pd::WM_SYSCOMMAND, pd::SC_MINIMIZE);
    EXPECT_FALSE(w.presenter.Minimized());
}
