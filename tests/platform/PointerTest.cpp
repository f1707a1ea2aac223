// The pointer in the frame's coordinates: where a scaled, centred frame puts the window's
// points, and the scripted pointer with its recorded warps.
#include <gtest/gtest.h>

#include <array>

#include "platform/display/Placement.h"
#include "platform/display/Pointer.h"

namespace display = platform::display;

TEST(PointerPlacement, AFrameScaledFullScreenMapsWindowPointsBackToItsPixels) {
    // 800 x 600 on a 1920 x 1080 desktop: 1440 x 1080, centred with bars of 240.
    const display::Placement p = display::Placement::Fit(800, 600, 1920, 1080);
    EXPECT_EQ(p.left, 240);
    EXPECT_EQ(p.width, 1440);
    EXPECT_EQ(p.top, 0);
    int32_t x = 0, y = 0;
    p.ToFrame(240, 0, 800, 600, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    p.ToFrame(240 + 1439, 1079, 800, 600, x, y);
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
    p.ToFrame(100, 500, 800, 600, x, y);  // on the bar: left of the frame
    EXPECT_LT(x, 0);
    // Every frame pixel warps to a window point that maps back to it.
    for (int32_t fx : {0, 1, 399, 400, 798, 799})
        for (int32_t fy : {0, 299, 599}) {
            int32_t wx = 0, wy = 0, bx = 0, by = 0;
            p.ToOutput(fx, fy, 800, 600, wx, wy);
            p.ToFrame(wx, wy, 800, 600, bx, by);
            EXPECT_EQ(bx, fx);
            EXPECT_EQ(by, fy);
        }
    // The same size: the identity.
    const display::Placement same = display::Placement::Fit(800, 600, 800, 600);
    same.ToFrame(123, 456, 800, 600, x, y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);
    EXPECT_EQ(display::Placement::Fit(0, 600, 800, 600).width, 0);  // no frame: no place
}

TEST(PointerPlacement, AWindowShowsTheFramePixelForPixelCentredAndWholeWhenSmaller) {
    struct Case {
        int32_t outW, outH, left, top, width, height;
    };
    for (const Case c : {Case{1000, 700, 100, 50, 800, 600}, Case{800, 600, 0, 0, 800, 600},
                         Case{801, 601, 0, 0, 800, 600}, Case{1920, 1080, 560, 240, 800, 600},
                         Case{640, 600, 0, 60, 640, 480}, Case{800, 300, 200, 0, 400, 300}}) {
        const display::Placement p = display::Placement::Centred(800, 600, c.outW, c.outH);
        EXPECT_EQ((std::array{p.left, p.top, p.width, p.height}), (std::array{c.left, c.top, c.width, c.height}))
            << c.outW << "x" << c.outH;
    }
    int32_t x = 0, y = 0;
    display::Placement::Centred(800, 600, 1000, 700).ToFrame(100, 649, 800, 600, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 599);
}

TEST(ScriptedPointer, AWarpMovesItAndIsRecorded) {
    display::ClearPointerWarps();
    display::ScriptPointer(10, 20);
    EXPECT_EQ(display::GetCursorPos(), (display::PointerPoint{10, 20}));
    display::SetCursorPos(300, 200);
    EXPECT_EQ(display::GetCursorPos(), (display::PointerPoint{300, 200}));
    ASSERT_EQ(display::PointerWarps().size(), 1u);
    EXPECT_EQ(display::PointerWarps()[0], (display::PointerPoint{300, 200}));
    display::ClearPointerWarps();
}

TEST(ScriptedPointer, AnInstalledDeviceAnswersUntilRemoved) {
    struct Device : display::PointerDevice {
        bool Position(display::PointerPoint& at) override {
            at = {7, 8};
            return answers;
        }
        void Warp(display::PointerPoint to) override { warped = to; }
        bool answers = true;
        display::PointerPoint warped;
    } device;
    display::ScriptPointer(1, 1);
    display::InstallPointerDevice(&device);
    EXPECT_EQ(display::GetCursorPos(), (display::PointerPoint{7, 8}));
    device.answers = false;  // nothing told: the last known place stays
    EXPECT_EQ(display::GetCursorPos(), (display::PointerPoint{7, 8}));
    display::SetCursorPos(5, 6);
    EXPECT_EQ(device.warped, (display::PointerPoint{5, 6}));
    display::RemovePointerDevice(&device);
    EXPECT_EQ(display::GetCursorPos(), (display::PointerPoint{5, 6}));
    display::ClearPointerWarps();
}
