#include "WorldFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpNation.h"
#include "media/DXDrawsPicture.h"

using namespace engine;
using enginetest::To565;

namespace {

// An object at (x, y) spanning across + 1 columns and down + 1 rows of cells.
struct Piece : TGPObject {
    Piece(int32_t x, int32_t y, uint8_t across = 0, uint8_t down = 0) {
        SetX(x), SetY(y), CellsAcross = across, CellsDown = down;
    }
};

class MapTest : public enginetest::WorldFixture {
protected:
    MapTest() { map = CreateMap(*kernel, false, 34, 48, 9, 9, 9, 9, 64); }
    std::vector<TGPObject*> Near(TGPObject& obj) {
        TListGPObject list;
        map->ObjectsNear(&list, &obj);
        return {list.begin(), list.end()};
    }
    // A level set whose map element 1 ("Wall") is a tile of three frames, two patterns each.
    void WallElement() {
        datagen::MapElementDescription wall{.idName = 1, .picture = "WallTiles", .patternWidth = 32,
                                            .patternHeight = 32, .linesWidth = 2, .linesHeight = 3};
        datagen::MapElementDescription sky{.idName = 2, .picture = "SkyPic"};  // its picture is missing
        LevelSet({{"Classes_MapElement",
                   {{"Wall", datagen::MapElementRecord(wall)}, {"Sky", datagen::MapElementRecord(sky)}}},
                  {"BMP_MapElement", {{"Wall", datagen::PatternPicture(32, 32, 2, 3, [](int c, int r) {
                                           return 0x102030u * static_cast<uint32_t>(1 + c + 2 * r);
                                       })}}}});
    }
    TGPMap* map = nullptr;
};

}  // namespace

TEST_F(MapTest, TheShellsGridPlacesItsCellsAndScrollsWithinThePlayfield) {
    ASSERT_EQ(map->CellCount(), 81);
    EXPECT_EQ(kernel->Map, map);
    EXPECT_EQ(map->Cells->Get(10)->PixelX, 64);
    EXPECT_EQ(map->Cells->Get(10)->PixelY, 64);
    EXPECT_EQ(map->Cells->Get(80)->PixelX, 512);
    EXPECT_EQ(map->Cells->Get(80)->PixelY, 512);
    EXPECT_EQ(map->Cells->Get(0)->IDClass, -1);
    EXPECT_EQ(map->ViewWidth, 576);
    EXPECT_EQ(map->ViewX(), -34);
    EXPECT_EQ(map->ViewY(), -48);
    // The first scroll keeps the playfield where the level put it, not at the screen corner.
    map->Scroll(-100, 0);
    EXPECT_EQ(map->ScrollX, -34);
    map->Scroll(1000, 1000);  // the grid is as large as the view: nowhere to go
    EXPECT_EQ(map->ScrollX, -34);
    EXPECT_EQ(map->ScrollY, -48);
    map->Reset(false, 10, 20, 9, 9, 12, 10, 64);
    map->Scroll(1000, -5);
    EXPECT_EQ(map->ScrollX, -10 + 3 * 64);
    EXPECT_EQ(map->ScrollY, -20);
    map->Scroll(-70, 70);
    EXPECT_EQ(map->ScrollX, -10 + 3 * 64 - 70);
    EXPECT_EQ(map->ScrollY, -20 + 64);
    // The shake moves the view, not the scroll.
    map->Vibration.OffsetX = 3;
    EXPECT_EQ(map->ViewX(), map->ScrollX + 3);
}

TEST_F(MapTest, ALargerLevelGrowsTheIndexToItsFarCells) {
    map->Reset(false, 34, 48, 12, 9, 12, 9, 64);
    ASSERT_EQ(map->CellCount(), 108);
    EXPECT_EQ(map->Cells->Get(13)->PixelX, 64);  // placed again for twelve across
    EXPECT_EQ(map->Cells->Get(13)->PixelY, 64);
    // The paddle's floor line (490) is row 7; column 11 lies beyond the old 9 x 9 grid.
    Piece paddle(11 * 64, 490), ball(11 * 64 + 20, 470);
    TListGPObject met;
    map->AddObjectToCells(&met, &paddle);
    map->AddObjectToCells(&met, &ball);
    EXPECT_EQ(std::vector<TGPObject*>(met.begin(), met.end()), std::vector<TGPObject*>{&paddle});
    map->Reset(false, 34, 48, 9, 9, 9, 9, 64);
    EXPECT_EQ(map->CellCount(), 108);  // cells are never removed
    map->RemoveObjectFromCells(&ball);  // out of the cell it entered under the old grid
    EXPECT_EQ(map->Cells->Get(11 + 7 * 12)->Objects.Count(), 1);
    // Level data cannot make the grid take all memory.
    map->Reset(false, 0, 0, 9, 9, 1 << 20, 1 << 20, 64);
    EXPECT_EQ(map->CellCount(), MaxMapCells);
}

TEST_F(MapTest, TheIndexMeetsNeighboursInEveryCellOfTheFootprint) {
    Piece wide(64 + 10, 0, 1, 0);  // columns 1 and 2
    Piece left(64, 30), right(2 * 64, 10), far(5 * 64, 0);
    TListGPObject met;
    met.Add(&far);  // what an earlier mover met is not kept
    map->AddObjectToCells(&met, &wide);
    EXPECT_TRUE(met.Empty());
    map->AddObjectToCells(&met, &left);
    EXPECT_EQ(std::vector<TGPObject*>(met.begin(), met.end()), std::vector<TGPObject*>{&wide});
    map->AddObjectToCells(&met, &right);
    EXPECT_EQ(std::vector<TGPObject*>(met.begin(), met.end()), std::vector<TGPObject*>{&wide});
    EXPECT_EQ(Near(wide), (std::vector<TGPObject*>{&left, &right}));
    EXPECT_EQ(map->AddObjectToCells(&met, &wide), &met);  // already there: nothing newly met
    EXPECT_TRUE(met.Empty());
    EXPECT_EQ(map->ObjectsNear(nullptr, &wide), nullptr);
    // Leaving clears LandLocked only where no one is left.
    map->RemoveObjectFromCells(&left);
    EXPECT_TRUE(map->Cells->Get(1)->LandLocked);
    map->RemoveObjectFromCells(&wide);
    EXPECT_FALSE(map->Cells->Get(1)->LandLocked);
    EXPECT_TRUE(map->Cells->Get(2)->LandLocked);
    EXPECT_TRUE(Near(right).empty());
}

TEST_F(MapTest, AnObjectIsIndexedInEveryCellItsRectangleCovers) {
    // 80 pixels at x = 60 cover columns 0 to 2; the footprint's rounding gives 0 and 1 only.
    Piece wide(60, 0, 1, 0), tall(0, 60, 0, 1);
    wide.Width = 80, wide.Height = 10;
    tall.Width = 10, tall.Height = 80;  // rows 0 to 2 likewise
    Piece right(130, 0), below(0, 130), square(0, 0);
    for (Piece* p : {&wide, &tall, &right, &below, &square}) map->AddObjectToCells(nullptr, p);
    EXPECT_EQ(Near(right), std::vector<TGPObject*>{&wide});
    EXPECT_EQ(Near(below), std::vector<TGPObject*>{&tall});
    // The footprint itself is kept: a piece 64 wide at 0 still reaches into column 1.
    square.Width = square.Height = 64, square.CellsAcross = square.CellsDown = 1;
    map->RemoveObjectFromCells(&square);
    map->AddObjectToCells(nullptr, &square);
    EXPECT_TRUE(map->Cells->Get(1 + 9)->Objects.Contains(&square));
    map->RemoveObjectFromCells(&wide);
    EXPECT_TRUE(Near(right).empty());
}

TEST_F(MapTest, AnObjectLeavesTheCellsItEnteredWhereverItMovedSince) {
    // The last column spans past the grid: the next row's first cell is not part of it.
    Piece edge(8 * 64, 0, 1, 0);
    map->AddObjectToCells(nullptr, &edge);
    EXPECT_TRUE(map->Cells->Get(8)->LandLocked);
    EXPECT_FALSE(map->Cells->Get(9)->LandLocked);
    Piece mover(0, 0), neighbour(10, 10);
    map->AddObjectToCells(nullptr, &mover);
    map->AddObjectToCells(nullptr, &neighbour);
    mover.SetX(4 * 64);  // moved without leaving first
    map->RemoveObjectFromCells(&mover);
    EXPECT_TRUE(Near(neighbour).empty());
    // Through the pool: an object that died after moving is met no more.
    TGPNation* nation = kernel->NationByKey(0);
    TGPObject* obj = nation->CreateFromPool(0, 0, false, 12);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(Near(neighbour), std::vector<TGPObject*>{obj});
    obj->SetX(300);
    obj->SetDead(true);
    EXPECT_TRUE(ObjectPool().Holds(obj));
    EXPECT_TRUE(Near(neighbour).empty());
}

TEST_F(MapTest, SteadyMovesThroughTheIndexAllocateNothing) {
    std::vector<std::unique_ptr<Piece>> pieces;
    for (int i = 0; i < 40; ++i) pieces.push_back(std::make_unique<Piece>((i * 37) % 560, (i * 53) % 560, 1, 1));
    TListGPObject met;
    auto tick = [&] {
        for (auto& p : pieces) {
            map->RemoveObjectFromCells(p.get());
            p->SetX((p->GetX() + 13) % 560);
            map->AddObjectToCells(&met, p.get());
            map->ObjectsNear(&met, p.get());
        }
    };
    for (int i = 0; i < 560; ++i) tick();  // a whole cycle: every list at its peak
    enginetest::AllocationCounter::Scope scope;
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(scope.Allocations(), 0);
}

TEST_F(MapTest, AFirstCellWithoutPictureClearsTheFrameAndOneWithATileDrawsIt) {
    dxdraw.Surface()->Fill(0xFFFF);
    map->Draw();
    EXPECT_EQ(BackPixel(100, 100), 0u);
    WallElement();
    TGPMapElement* first = map->Cells->Get(0);
    first->SetIDClass(1);
    ASSERT_EQ(first->PictureClass(), 1);
    dxdraw.Surface()->Fill(0xFFFF);
    map->Draw();
    EXPECT_EQ(BackPixel(34, 48), To565(0x102030));  // the cell at the playfield's origin
    EXPECT_EQ(BackPixel(33, 48), 0xFFFFu);            // no clearing under a picture
    // A picture that fails marks its slide: the frame is cleared from then on.
    first->SetIDClass(2);
    ASSERT_EQ(first->PictureClass(), 2);
    map->Draw();
    EXPECT_EQ(first->PictureClass(), -1);
    dxdraw.Surface()->Fill(0xFFFF);
    map->Draw();
    EXPECT_EQ(BackPixel(34, 48), 0u);
    // A level reset gives the first cell the class -1 again.
    kernel->Clear();
    EXPECT_EQ(map->Cells->Get(0)->IDClass, -1);
    EXPECT_EQ(map->Cells->Get(0)->PictureClass(), -1);
}

TEST_F(MapTest, ATileFrameChangesEvery51Draws) {
    WallElement();
    TGPMapElement* cell = map->Cells->Get(0);
    cell->SetIDClass(1);
    std::vector<int> changes;
    int last = cell->GetAnimationSprite();
    for (int draw = 2; draw <= 160; ++draw) {
        const int pattern = cell->GetAnimationSprite();
        if (pattern != last) changes.push_back(draw);
        last = pattern;
    }
    EXPECT_EQ(changes, (std::vector<int>{51, 102, 153}));
    EXPECT_EQ(last, 0);  // three frames of two patterns: 0, 2, 4, then 0 again
}

TEST_F(MapTest, PhantomsThatEndWhileTheMapDrawsThemAreAllDrawnOnce) {
    LevelSet({{"Classes_Effects", {{"Boom", datagen::EffectRecord({.idName = 1, .picture = "BoomPic", .timeLifes = 1,
                                                                    .styleImposition = "siStandart"})}}},
              {"BMP_Effects", {{"BoomPic", datagen::SolidPicture(16, 16, 0xFF0000)}}}});
    std::vector<TGPPhantom*> phantoms;
    for (int i = 0; i < 3; ++i) {
        auto* p = static_cast<TGPPhantom*>(kernel->CreateObject(1, map, false, 1));
        p->SetParam(2, 40 * i);
        phantoms.push_back(p);
    }
    ASSERT_EQ(map->ChildSprites->Count(), 3);
    map->Draw();
    EXPECT_EQ(map->ChildSprites->Count(), 0);
    for (TGPPhantom* p : phantoms) EXPECT_TRUE(p->Carrion);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(BackPixel(40 * i + 34 + 8, 48 + 8), To565(0xFF0000)) << i;
}
