// The headless dialog window: what the window manager does (the shape, dragging, the pointer
// grab of a held button), modal windows in the pump, and the frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/DialogWindow.h"
#include "platform/window/EventPump.h"
#include "tests/TempDir.h"

namespace pw = platform::window;
using pw::EventType;

namespace {

pw::WindowEvent Event(EventType type, uint32_t window, int32_t x = 0, int32_t y = 0, int32_t button = 0) {
    pw::WindowEvent e;
    e.Type = type;
    e.WindowId = window;
    e.X = x, e.Y = y, e.Button = button;
    return e;
}

struct Fixture {
    pw::Dispatcher dispatcher;
    pw::Application app;
    pw::EventPump pump{dispatcher, app};
    std::unique_ptr<pw::DialogWindow> window = pw::CreateHeadlessDialogWindow(false, pump);
    std::vector<pw::WindowEvent> heard;

    Fixture() {
        window->Resize(100, 50);
        window->SetHandler([this](const pw::WindowEvent& e) { heard.push_back(e); });
    }
    void Send(EventType type, int32_t x = 0, int32_t y = 0, int32_t button = 0) {
        pump.Post(Event(type, window->Id(), x, y, button));
        pump.PumpPending();
    }
    std::vector<EventType> Types() const {
        std::vector<EventType> t;
        for (const auto& e : heard) t.push_back(e.Type);
        return t;
    }
};

}  // namespace

TEST(DialogWindow, InputOutsideTheShapeNeverArrivesUnlessAButtonIsHeldSinceAPressInside) {
    Fixture f;
    f.window->SetShape(pw::Region(pw::RegionRect{0, 0, 50, 50}));  // the left half
    f.Send(EventType::MouseMove, 70, 10);
    f.Send(EventType::MouseDown, 70, 10);
    f.Send(EventType::MouseUp, 70, 10);
    f.Send(EventType::MouseDown, 120, 10);  // outside the client area too
    EXPECT_TRUE(f.heard.empty());
    // A press inside keeps the pointer until its release, wherever that is.
    f.Send(EventType::MouseDown, 10, 10);
    f.Send(EventType::MouseMove, 70, 10);
    f.Send(EventType::MouseUp, 70, 10);
    f.Send(EventType::MouseMove, 71, 10);
    EXPECT_EQ(f.Types(), (std::vector<EventType>{EventType::MouseDown, EventType::MouseMove, EventType::MouseUp}));
    // The wheel carries steps, not a point: it is not judged by the shape.
    f.heard.clear();
    f.Send(EventType::MouseWheel, 0, -1);
    EXPECT_EQ(f.Types(), std::vector<EventType>{EventType::MouseWheel});
    // Without a shape the whole client area takes input.
    f.window->ClearShape();
    f.heard.clear();
    f.Send(EventType::MouseDown, 70, 10);
    EXPECT_EQ(f.Types(), std::vector<EventType>{EventType::MouseDown});
}

TEST(DialogWindow, APressOnADraggingPointMovesTheWindowWithThePointer) {
    Fixture f;
    f.window->MoveTo(200, 100);
    f.heard.clear();
    // The left quarter drags; the rest is the dialog's own.
    f.window->SetHitTest([](int32_t x, int32_t) { return x < 25 ? pw::HitArea::Caption : pw::HitArea::Client; });
    f.Send(EventType::MouseDown, 10, 10);
    f.Send(EventType::MouseMove, 30, 15);  // the pointer 20 right, 5 down
    EXPECT_EQ(f.window->Left(), 220);
    EXPECT_EQ(f.window->Top(), 105);
    f.Send(EventType::MouseMove, 10, 10);  // the same point of the moved window: no move
    EXPECT_EQ(f.window->Left(), 220);
    f.Send(EventType::MouseUp, 10, 10);
    EXPECT_EQ(f.Types(), std::vector<EventType>{EventType::Moved}) << "the drag's own input is the window manager's";
    EXPECT_EQ(f.heard[0].X, 220);
    f.heard.clear();
    f.Send(EventType::MouseDown, 60, 10);
    f.Send(EventType::MouseMove, 80, 10);
    f.Send(EventType::MouseUp, 80, 10);
    EXPECT_EQ(f.window->Left(), 220);
    EXPECT_EQ(f.Types(), (std::vector<EventType>{EventType::MouseDown, EventType::MouseMove, EventType::MouseUp}));
}

TEST(DialogWindow, AModalWindowTakesTheInputOfTheOthersAndComesToTheFront) {
    Fixture f;
    std::vector<EventType> game;
    f.pump.Register(1, [&](const pw::WindowEvent& e) { game.push_back(e.Type); });
    std::vector<EventType> blocked;
    f.window->SetBlockedHandler([&](const pw::WindowEvent& e) { blocked.push_back(e.Type); });
    f.window->ShowModal(1);
    EXPECT_EQ(f.pump.ModalWindow(), f.window->Id());
    for (EventType t : {EventType::KeyDown, EventType::MouseDown, EventType::FocusGained, EventType::Resized})
        f.pump.Post(Event(t, 1));
    f.pump.PumpPending();
    // The game window keeps its focus and size changes, but no keys and no clicks.
    EXPECT_EQ(game, (std::vector<EventType>{EventType::FocusGained, EventType::Resized}));
    EXPECT_EQ(blocked, (std::vector<EventType>{EventType::KeyDown, EventType::MouseDown, EventType::FocusGained}));

    // A pop-up above the dialog takes the input from both.
    auto popup = pw::CreateHeadlessDialogWindow(false, f.pump);
    popup->Resize(20, 20);
    int popupHeard = 0;
    popup->SetHandler([&](const pw::WindowEvent&) { ++popupHeard; });
    popup->ShowModal(f.window->Id());
    f.heard.clear();
    f.Send(EventType::KeyDown);
    f.pump.Post(Event(EventType::KeyDown, popup->Id()));
    f.pump.PumpPending();
    EXPECT_TRUE(f.heard.empty());
    EXPECT_EQ(popupHeard, 1);
    popup.reset();  // a window that goes takes its modal place with it
    EXPECT_EQ(f.pump.ModalWindow(), f.window->Id());
    f.Send(EventType::KeyDown);
    EXPECT_EQ(f.heard.size(), 1u);

    f.window->Hide();
    EXPECT_EQ(f.pump.ModalWindow(), 0u);
    game.clear();
    f.pump.Post(Event(EventType::KeyDown, 1));
    f.pump.PumpPending();
    EXPECT_EQ(game, std::vector<EventType>{EventType::KeyDown});
}

TEST(DialogWindow, EveryWindowHearsThatADisplayChanged) {
    Fixture f;
    int game = 0;
    f.pump.Register(1, [&](const pw::WindowEvent& e) { game += e.Type == EventType::DisplayChanged; });
    f.pump.Post(Event(EventType::DisplayChanged, 0));
    f.pump.PumpPending();
    EXPECT_EQ(game, 1);
    ASSERT_EQ(f.heard.size(), 1u);
    EXPECT_EQ(f.heard[0].WindowId, f.window->Id());
}

TEST(DialogWindow, CentredOnTheScreenAndTheFrameKeptAcrossResizes) {
    Fixture f;
    pw::SetHeadlessScreen(1024, 768);
    f.window->CenterOnDisplayOf(0);
    EXPECT_EQ(f.window->Left(), (1024 - 100) / 2);
    EXPECT_EQ(f.window->Top(), (768 - 50) / 2);
    pw::SetHeadlessScreen(800, 600);
    EXPECT_EQ(f.window->ScreenX(5), f.window->Left() + 5);

    pw::DialogFrame& frame = f.window->Frame();
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 100; ++x) frame.Pixels[size_t(y * 100 + x)] = uint32_t(x << 16 | y << 8 | 7);
    f.window->SetShape(pw::Region(pw::RegionRect{-10, -10, 500, 500}));
    EXPECT_EQ(f.window->Shape().Bounds(), (pw::RegionRect{0, 0, 100, 50})) << "cut to the client area";
    f.window->Resize(60, 80);
    EXPECT_EQ(f.window->Frame().At(59, 49), uint32_t(59 << 16 | 49 << 8 | 7));
    EXPECT_EQ(f.window->Frame().At(10, 79), 0u);
    EXPECT_EQ(f.window->Shape().Bounds(), (pw::RegionRect{0, 0, 60, 50}));

    TempDir dir;
    ASSERT_TRUE(f.window->DumpFrame(dir.File("frame.bmp")));
    const std::string bmp = dir.Read("frame.bmp");
    ASSERT_EQ(bmp.size(), 54u + 60u * 3u * 80u);
    // Bottom-up rows: the first pixel stored is (0, 79), black; row 30 from the bottom is y 49.
    const size_t pixel = 54 + size_t(79 - 49) * 180 + 59 * 3;
    EXPECT_EQ(uint8_t(bmp[pixel]), 7);
    EXPECT_EQ(uint8_t(bmp[pixel + 1]), 49);
    EXPECT_EQ(uint8_t(bmp[pixel + 2]), 59);
}
