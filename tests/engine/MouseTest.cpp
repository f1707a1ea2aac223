#include "WorldFixture.h"

#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "engine/gpUtils.h"

using namespace engine;
using enginetest::To565;

namespace {

class MouseTest : public enginetest::WorldFixture {
protected:
    MouseTest() {
        datagen::CursorDescription arrow{.idName = 1, .picture = "ArrowPic", .linesWidth = 4, .offsetX = 2,
                                         .offsetY = 3, .hTicksPerChange = 2};
        datagen::CursorDescription hand{.idName = 2, .picture = "HandPic", .linesWidth = 1};
        // A short animation on every drawing, then back to the arrow.
        datagen::CursorDescription busy{.idName = 3, .picture = "BusyPic", .linesWidth = 2, .hTicksPerChange = 170,
                                        .timeLifes = 4, .retIDName = 1};
        GameData({{"Cursors",
                   {{"Arrow", datagen::CursorRecord(arrow)},
                    {"Hand", datagen::CursorRecord(hand)},
                    {"Busy", datagen::CursorRecord(busy)}}},
                  {"BMP_Cursors",
                   {{"ArrowPic", datagen::PatternPicture(16, 16, 4, 1, [](int c, int) { return 0x00FF00u + c; })},
                    {"HandPic", datagen::SolidPicture(16, 16, 0x0000FF)}}}});
        auto m = std::make_unique<TGPMouse>();
        mouse = m.get();
        mouse->Create(kernel.get(), 1);
        kernel->SetMouse(std::move(m));
    }
    std::vector<int> Frames(int n) {
        std::vector<int> frames;
        for (int i = 0; i < n; ++i) frames.push_back(mouse->NextFrame());
        return frames;
    }
    TGPMouse* mouse = nullptr;
};

}  // namespace

TEST_F(MouseTest, TheCursorChangesFrameEverySecondDrawingAtTwoTicksPerChange) {
    ASSERT_NE(mouse->Cursor(), nullptr);
    EXPECT_EQ(mouse->RollTick, 3);
    EXPECT_EQ(mouse->FrameTime, 66);
    EXPECT_EQ(mouse->Width, 16);
    EXPECT_EQ(Frames(8), (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 0}));
}

TEST_F(MouseTest, ATimedCursorFallsBackOnItsFifthFrameChangeUnlessRestarted) {
    kernel->SetMouseKind(3);
    ASSERT_EQ(mouse->IDClass, 3);
    Frames(4);
    EXPECT_EQ(mouse->IDClass, 3);
    EXPECT_EQ(mouse->LifeCount, 4);
    Frames(1);
    EXPECT_EQ(mouse->IDClass, 1);
    EXPECT_EQ(mouse->Cursor()->IDName, 1);
    // Set again before its life is spent, the cursor starts its life anew.
    kernel->SetMouseKind(3);
    Frames(3);
    kernel->SetMouseKind(3);
    EXPECT_EQ(mouse->LifeCount, 0);
    Frames(4);
    EXPECT_EQ(mouse->IDClass, 3);
    Frames(1);
    EXPECT_EQ(mouse->IDClass, 1);
}

TEST_F(MouseTest, TheCursorDrawsAtTheMouseLessItsHotSpotAndNotWhileHidden) {
    kernel->MouseX = 100, kernel->MouseY = 50;
    dxdraw.Surface()->Fill(0);
    mouse->Hide();
    mouse->Draw();
    EXPECT_EQ(mouse->FrameCounter, 0);  // a hidden cursor does not advance
    EXPECT_EQ(BackPixel(98, 47), 0u);
    mouse->Pressed = true;
    mouse->Show(nullptr);
    EXPECT_FALSE(mouse->Pressed);
    mouse->Draw();
    EXPECT_EQ(BackPixel(98, 47), To565(0x00FF00));
    EXPECT_EQ(BackPixel(97, 47), 0u);
    EXPECT_EQ(BackPixel(98, 46), 0u);
    // A class whose picture fails draws nothing, and its picture is not asked for again.
    kernel->SetMouseKind(3);
    dxdraw.Surface()->Fill(0);
    mouse->Draw();
    EXPECT_EQ(mouse->Cursor()->IDClasse, "");
    EXPECT_EQ(BackPixel(98, 47), 0u);
}

TEST_F(MouseTest, ScrollingTheViewShowsTheDirectionCursors) {
    TGPMap* map = CreateMap(*kernel, false, 0, 0, 4, 4, 9, 9, 64);
    map->Scroll(128, 128);
    const auto scroll = [&](int dx, int dy) {
        kernel->Executor->ScrollView(dx, dy, true);
        return mouse->IDClass;
    };
    EXPECT_EQ(scroll(-10, 0), 6);
    EXPECT_EQ(scroll(10, 0), 7);
    EXPECT_EQ(scroll(0, -10), 8);
    EXPECT_EQ(scroll(0, 10), 9);
    EXPECT_EQ(scroll(5, 5), 9);  // a diagonal scroll keeps the cursor
    map->Scroll(-1000, 0);
    EXPECT_EQ(scroll(-10, 0), 9);  // the view did not move
}

TEST_F(MouseTest, TheCursorForgetsASpriteThatWentBackToItsPool) {
    TGPNation* nation = kernel->NationByKey(0);
    TGPObject* obj = nation->CreateFromPool(10, 10, false, 12);
    ASSERT_NE(obj, nullptr);
    SetMouseCursor(2, obj);
    EXPECT_EQ(mouse->IDClass, 2);
    EXPECT_EQ(mouse->CursorSprite(), obj);
    obj->SetDead(true);
    EXPECT_EQ(mouse->CursorSprite(), nullptr);
}

TEST(SystemCursor, KeepsTheDisplayCounterOnOneSideOfZero) {
    namespace display = platform::display;
    ASSERT_EQ(display::CursorCounter(), 0);  // shown when the program starts
    ShowSystemCursor(false);
    EXPECT_EQ(display::CursorCounter(), -1);
    ShowSystemCursor(false);  // already hidden: no further call
    EXPECT_EQ(display::CursorCounter(), -1);
    // Somebody else hid it twice more: showing steps it back up to zero, no further.
    display::ShowCursor(false);
    display::ShowCursor(false);
    ShowSystemCursor(true);
    EXPECT_EQ(display::CursorCounter(), 0);
    ShowSystemCursor(true);
    EXPECT_EQ(display::CursorCounter(), 0);
    std::vector<bool> seen;
    display::SetCursorVisibilitySink([&](bool visible) { seen.push_back(visible); });
    display::ShowCursor(false);
    display::ShowCursor(true);
    display::SetCursorVisibilitySink(nullptr);
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(display::CursorCounter(), 0);
}
