#include <gtest/gtest.h>

#include "DisplayFixtures.h"

using namespace media;
using fixtures::Screen;

namespace {

TPictureCollectionItem& AddPicture(TDXImageList& list, const char* name, int w, int h, int pw, int ph,
                                   int skipW = 0, int skipH = 0) {
    TPictureCollectionItem& item = *list.Items().Add();
    item.SetName(name);
    item.SetPicture(fixtures::Picture(w, h, [](int x, int y) { return uint32_t((x & 0xFF) << 16 | (y & 0xFF) << 8); }));
    item.PatternWidth = pw, item.PatternHeight = ph, item.SkipWidth = skipW, item.SkipHeight = skipH;
    return item;
}

}  // namespace

TEST(PictureCollection, PatternCountUsesTheRestoreFormulaAtTheBoundary) {
    TDXImageList list;
    EXPECT_EQ(AddPicture(list, "a", 100, 10, 10, 10, 2, 0).PatternCount(), 8);  // (100 + 2) div 12
    EXPECT_EQ(AddPicture(list, "b", 118, 10, 10, 10, 2, 0).PatternCount(), 10);
    // 23 wide: the second pattern (12..22) fits, so there are two.
    EXPECT_EQ(AddPicture(list, "c", 23, 10, 10, 10, 2, 0).PatternCount(), 2);
    EXPECT_EQ(AddPicture(list, "d", 21, 10, 10, 10, 2, 0).PatternCount(), 1);
    EXPECT_EQ(AddPicture(list, "e", 40, 30, 0, 0).PatternCount(), 1);
    TPictureCollectionItem& none = *list.Items().Add();
    EXPECT_EQ(none.PatternCount(), 0);
    EXPECT_EQ(list.Items().IndexOf("C"), 2);
    EXPECT_EQ(list.Items().Find("zz"), nullptr);
}

TEST(PictureCollection, ImageListFollowsTheDisplayAndCountsMatchAfterRestore) {
    TDXImageList list;
    Screen screen;
    for (auto [w, skip] : {std::pair{23, 2}, {21, 2}, {118, 2}}) AddPicture(list, "p", w, 10, 10, 10, skip, 0);
    TPictureCollectionItem& tiles = AddPicture(list, "tiles", 2000, 40, 40, 40);
    TPictureCollectionItem& sys = AddPicture(list, "sys", 64, 32, 16, 16);
    sys.SystemMemory = true;
    std::vector<int> before;
    for (int i = 0; i < list.Items().Count(); ++i) before.push_back(list.Items().Items(i)->PatternCount());
    list.SetDXDraw(&screen.dxdraw);
    EXPECT_FALSE(tiles.Initialized());
    screen.dxdraw.Initialize();
    ASSERT_TRUE(tiles.Initialized());
    for (int i = 0; i < list.Items().Count(); ++i) EXPECT_EQ(list.Items().Items(i)->PatternCount(), before[size_t(i)]);
    // 2000 wide, 40-pixel cells: tiles of 13 cells (520 pixels), the last one narrower.
    ASSERT_EQ(tiles.SurfaceCount(), 4);
    EXPECT_EQ(tiles.Surfaces(0).Width(), 520);
    EXPECT_EQ(tiles.Surfaces(3).Width(), 2000 - 3 * 520);
    EXPECT_EQ(tiles.Patterns()[13].Surface, &tiles.Surfaces(1));
    EXPECT_EQ(tiles.Patterns()[13].Rect.Left, 0);
    EXPECT_EQ(tiles.Patterns()[14].Rect.Left, 40);
    EXPECT_EQ(sys.SurfaceCount(), 1);
    EXPECT_TRUE(sys.Surfaces(0).SystemMemory);
    EXPECT_EQ(sys.Patterns()[5].Rect.Left, 16);  // row 1, column 1
    EXPECT_EQ(sys.Patterns()[5].Rect.Top, 16);
    screen.dxdraw.Finalize();
    EXPECT_FALSE(tiles.Initialized());
    EXPECT_EQ(tiles.SurfaceCount(), 0);
    // A late binding gets the replay and is ready at once.
    screen.dxdraw.Initialize();
    TDXImageList late;
    AddPicture(late, "x", 32, 16, 0, 0);
    late.SetDXDraw(&screen.dxdraw);
    EXPECT_EQ(late.Items().Items(0)->SurfaceCount(), 1);
    late.SetDXDraw(nullptr);
    screen.dxdraw.Finalize();
    TPictureCollection alone;
    try {
        alone.Initialize(screen.dxdraw);
        FAIL();
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
}

TEST(PictureCollection, DrawsPatternsKeyedAndReKeysOnColourChange) {
    TDXImageList list;
    Screen screen;
    TPictureCollectionItem& item = *list.Items().Add();
    // Two 4x4 patterns: the first red with a black hole at (1, 1), the second green.
    item.SetPicture(fixtures::Picture(8, 4, [](int x, int y) -> uint32_t {
        if (x < 4) return (x == 1 && y == 1) ? 0 : 0xFF0000;
        return 0x00FF00;
    }));
    item.PatternWidth = 4, item.PatternHeight = 4;
    list.SetDXDraw(&screen.dxdraw);
    screen.dxdraw.Initialize();
    TDirectDrawSurface& back = *screen.dxdraw.Surface();
    back.Fill(0x001F);
    item.Draw(back, 10, 10, 0);
    EXPECT_EQ(back.Pixel(10, 10), 0xF800u);
    EXPECT_EQ(back.Pixel(11, 11), 0x001Fu);  // key colour 0 skipped
    item.Draw(back, 20, 10, -1);
    item.Draw(back, 20, 10, item.PatternCount());
    EXPECT_EQ(back.Pixel(20, 10), 0x001Fu);
    item.Draw(back, 20, 10, 1);
    EXPECT_EQ(back.Pixel(20, 10), 0x07E0u);
    // Re-keyed to red: the red pattern now leaves its red pixels out and draws the black one.
    item.SetTransparentColor(RGBColor(255, 0, 0));
    back.Fill(0x001F);
    item.Draw(back, 10, 10, 0);
    EXPECT_EQ(back.Pixel(10, 10), 0x001Fu);
    EXPECT_EQ(back.Pixel(11, 11), 0u);
    // Alpha through the collection.
    back.Fill(0);
    item.DrawAlpha(back, {30, 30, 34, 34}, 1, 255);
    EXPECT_EQ(back.Pixel(31, 31), 0x07E0u);
}
