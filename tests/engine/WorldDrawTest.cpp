// One tick of the whole world on the headless display, read back from the presented frame.
#include "WorldFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "media/DXDrawsPicture.h"

using namespace engine;
using enginetest::To565;

namespace {

constexpr uint32_t kBackground = 0x404040, kMapPhantom = 0xFF0000, kObject = 0x00FF00, kKernelPhantom = 0x0000FF,
                   kCursor = 0xFFFF00;

class WorldDrawTest : public enginetest::WorldFixture {};

}  // namespace

TEST_F(WorldDrawTest, OneTickDrawsBackgroundMapPhantomsObjectsKernelPhantomsAndCursorInThatOrder) {
    const auto square = [](uint32_t rgb) { return datagen::SolidPicture(32, 32, rgb); };
    datagen::MapElementDescription ground{.idName = 1, .picture = "Ground", .patternWidth = 256, .patternHeight = 192};
    LevelSet({{"Classes_MapElement", {{"Wall", datagen::MapElementRecord(ground)}}},
              {"BMP_MapElement", {{"Wall", datagen::SolidPicture(256, 192, kBackground)}}},
              {"Classes_Effects",
               {{"Boom", datagen::EffectRecord({.idName = 1, .picture = "Red", .patternWidth = 32, .patternHeight = 32,
                                                .styleImposition = "siStandart"})},
                {"Spark", datagen::EffectRecord({.idName = 2, .picture = "Blue", .patternWidth = 32,
                                                 .patternHeight = 32})}}},
              {"BMP_Effects", {{"Red", square(kMapPhantom)}, {"Blue", square(kKernelPhantom)}}},
              {"BMP_Unit", {{"Monster_Work", square(kObject)}}}});
    GameData({{"Cursors", {{"Arrow", datagen::CursorRecord({.idName = 1, .picture = "Yellow", .patternWidth = 32,
                                                           .patternHeight = 32})}}},
              {"BMP_Cursors", {{"Yellow", square(kCursor)}}}});

    TGPMap* map = CreateMap(*kernel, false, 34, 48, 4, 3, 4, 3, 64);
    map->Cells->Get(0)->SetIDClass(1);
    TGPNation* nation = kernel->NationByKey(0);
    TGPObject* obj = nation->CreateObject(46, 46, 12);
    ASSERT_NE(obj, nullptr);
    TOneSlide work;
    work.IDName = 3;
    work.IDCondition = 3;
    work.IDSlide = "MonsterWork";
    obj->CurrentSlide = &work;
    auto* mapPhantom = static_cast<TGPPhantom*>(kernel->CreateObject(1, map, false, 1));
    mapPhantom->SetParam(2, 30);  // map coordinates: on screen at (64, 78)
    mapPhantom->SetParam(3, 30);
    auto* kernelPhantom = static_cast<TGPPhantom*>(kernel->CreateObject(1, kernel.get(), false, 2));
    kernelPhantom->SetParam(2, 96);  // screen coordinates
    kernelPhantom->SetParam(3, 110);
    auto mouse = std::make_unique<TGPMouse>();
    mouse->Create(kernel.get(), 1);
    kernel->SetMouse(std::move(mouse));
    kernel->MouseX = 112, kernel->MouseY = 126;

    const int presented = presenter.PresentCount();
    kernel->Tick();
    ASSERT_EQ(presenter.PresentCount(), presented + 1);
    EXPECT_EQ(Pixel(40, 60), To565(kBackground));
    EXPECT_EQ(Pixel(70, 84), To565(kMapPhantom));
    EXPECT_EQ(Pixel(85, 99), To565(kObject));         // over the map phantom
    EXPECT_EQ(Pixel(100, 114), To565(kKernelPhantom));  // over the object
    EXPECT_EQ(Pixel(116, 130), To565(kCursor));         // over everything
    EXPECT_EQ(Pixel(200, 200), To565(kBackground));
    EXPECT_EQ(Pixel(10, 10), 0);  // outside the playfield
}
