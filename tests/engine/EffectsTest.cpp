#include "WorldFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "engine/gpUtils.h"

using namespace engine;
using enginetest::To565;

namespace {

datagen::EffectDescription Standard(int32_t id, const char* picture, int32_t frames, int32_t timeLifes) {
    // A frame change on every call (RollTick 255).
    return {.idName = id, .picture = picture, .linesWidth = frames, .hTicksPerChange = 170, .timeLifes = timeLifes,
            .styleImposition = "siStandart"};
}

class EffectsTest : public enginetest::WorldFixture {
protected:
    EffectsTest() {
        datagen::EffectDescription smoke{.idName = 4, .picture = "SmokePic", .linesWidth = 2, .hTicksPerChange = 170,
                                         .timeLifes = 2, .retIDName = 9};
        LevelSet({{"Classes_Effects",
                   {{"Boom", datagen::EffectRecord(Standard(1, "BoomPic", 4, 0))},
                    {"Spark", datagen::EffectRecord(Standard(2, "SparkPic", 20, 5))},
                    {"Flash", datagen::EffectRecord(Standard(3, "SparkPic", 4, 6))},
                    {"Smoke", datagen::EffectRecord(smoke)}}},
                  {"BMP_Effects",
                   {{"BoomPic", datagen::PatternPicture(16, 16, 4, 1, [](int, int) { return 0xFF0000u; })},
                    {"SparkPic", datagen::PatternPicture(16, 16, 20, 1, [](int, int) { return 0x00FF00u; })},
                    {"SmokePic", datagen::PatternPicture(16, 16, 2, 1, [](int, int) { return 0x0000FFu; })}}}});
    }
    TGPPhantom* Acquire(TObject* owner, int32_t id) {
        return static_cast<TGPPhantom*>(kernel->CreateObject(1, owner, false, id));
    }
    // An object of play 32 x 32 at (100, 60) whose slide has four columns.
    TGPObject* Owner() {
        TGPObject* obj = kernel->NationByKey(0)->CreateFromPool(100, 60, false, 12);
        ownerSlide.LinesWidth = 4;
        obj->SetSlide(&ownerSlide);
        obj->Width = obj->Height = 32;
        return obj;
    }
    // Calls until the phantom ends; -1 when it lives on past limit calls.
    static int CallsToEnd(TGPPhantom* p, int limit) {
        for (int call = 1; call <= limit; ++call) {
            p->NextFrame();
            if (p->Carrion) return call;
        }
        return -1;
    }
    TOneSlide ownerSlide;
};

}  // namespace

TEST_F(EffectsTest, AStandardPhantomLivesItsLimitOrForeverWithoutOne) {
    TGPPhantom* boom = Acquire(kernel.get(), 1);
    ASSERT_NE(boom->Effect(), nullptr);
    std::vector<int> frames;
    for (int i = 0; i < 8; ++i) frames.push_back(boom->NextFrame());
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0}));
    EXPECT_EQ(CallsToEnd(boom, 1000), -1);
    // A limit of L ends it within L calls, and it goes back to the pool.
    TGPPhantom* spark = Acquire(kernel.get(), 2);
    EXPECT_EQ(spark->LifeLimit, 5);
    EXPECT_EQ(CallsToEnd(spark, 100), 5);
    EXPECT_TRUE(PhantomPool().Holds(spark));
    EXPECT_FALSE(kernel->ChildSprites->Contains(spark));
    // At the end of a cycle it ends when fewer calls remain than another cycle takes.
    TGPPhantom* flash = Acquire(kernel.get(), 3);
    EXPECT_EQ(CallsToEnd(flash, 100), 4);
}

TEST_F(EffectsTest, ThePoolReusesPhantomsByClassAndMarksReturnedOnes) {
    TGPPhantom* a = Acquire(kernel.get(), 8);
    TGPPhantom* b = Acquire(kernel.get(), 8);
    EXPECT_NE(a, b);
    EXPECT_EQ(kernel->ChildSprites->Count(), 2);
    const uint16_t generation = a->Generation();
    kernel->FreeObject(1, a);
    EXPECT_TRUE(a->Carrion);  // a script holding it sees it dead, and of another generation
    EXPECT_NE(a->Generation(), generation);
    EXPECT_EQ(kernel->ChildSprites->Count(), 1);
    EXPECT_EQ(Acquire(kernel.get(), 8), a);
    EXPECT_FALSE(a->Carrion);
    EXPECT_TRUE(a->Visible);
    EXPECT_TRUE(kernel->ChildSprites->Contains(a));
    EXPECT_EQ(PhantomPool().Count(), 0);
    EXPECT_THROW(PhantomPool().Get(0), rtl::EListError);
}

TEST_F(EffectsTest, ShowingAnIdlePhantomTakesItBackOnlyToAnOwnerInPlay) {
    TGPPhantom* spark = Acquire(kernel.get(), 2);
    spark->SetCarrion(true);
    ASSERT_TRUE(PhantomPool().Holds(spark));
    spark->SetParam(6, 1);
    EXPECT_FALSE(PhantomPool().Holds(spark));
    EXPECT_FALSE(spark->Carrion);
    EXPECT_TRUE(spark->Visible);
    EXPECT_EQ(spark->EffectFrame, 0);
    EXPECT_TRUE(kernel->ChildSprites->Contains(spark));
    // Its object went back to the pool (and even came back to play since): no re-owning.
    TGPObject* obj = Owner();
    TGPPhantom* orbit = Acquire(obj, 2);
    ASSERT_TRUE(obj->ChildSprites->Contains(orbit));
    obj->SetDead(true);
    ASSERT_TRUE(PhantomPool().Holds(orbit));
    TGPObject* again = kernel->NationByKey(0)->CreateFromPool(0, 0, false, 12);
    ASSERT_EQ(again, obj);
    orbit->SetParam(6, 1);
    EXPECT_TRUE(PhantomPool().Holds(orbit));
    EXPECT_TRUE(orbit->Carrion);
    EXPECT_FALSE(obj->ChildSprites->Contains(orbit));
}

TEST_F(EffectsTest, AnEffectWithoutADescriptionDrawsNothing) {
    auto smoke = MakeStructure<TGPEffects>(kernel.get(), 4);
    ASSERT_NE(smoke->Effect(), nullptr);
    for (int i = 0; i < 3; ++i) smoke->NextFrame();  // its life spent, it becomes class 9
    EXPECT_EQ(smoke->IDClass, 9);
    EXPECT_EQ(smoke->Effect(), nullptr);
    EXPECT_EQ(smoke->NextFrame(), smoke->EffectFrame);
    TGPPhantom* none = Acquire(kernel.get(), 9);
    dxdraw.Surface()->Fill(0);
    none->DrawOn(kernel.get());
    for (int x = 0; x < 32; ++x) EXPECT_EQ(BackPixel(x, x), 0u);
}

TEST_F(EffectsTest, PhantomsFollowTheirOwnersAlignmentAndFacing) {
    TGPObject* obj = Owner();
    TGPPhantom* p = Acquire(obj, 1);
    p->SetParam(9, 5);
    p->SetParam(10, 7);
    int32_t x = 0, y = 0;
    // Attached, following the owner's direction: aligned when the alignment applies.
    p->Effect()->StyleImposition = TStyleImposition::siScaling;
    p->AlignMode = -1;
    ASSERT_TRUE(p->Position(0, 0, x, y));
    EXPECT_EQ(std::pair(x, y), std::pair(105, 67));
    p->AlignMode = 3;
    ASSERT_TRUE(p->Position(10, 20, x, y));
    EXPECT_EQ(std::pair(x, y), std::pair(100 + 16 - 8 - 10, 60 + 16 - 8 - 20));
    p->AlignMode = 4;
    ASSERT_TRUE(p->Position(0, 0, x, y));
    EXPECT_EQ(y, 60 + 32);
    // On an orbit that turns with the owner's column (four columns: 64 steps each).
    p->SetParam(8, 1);
    p->SetParam(4, 20);
    p->SetParam(5, 20);
    ASSERT_TRUE(p->Position(0, 0, x, y));
    EXPECT_EQ(rtl::TPoint(x, y), RotatePoint(100, 60, 20, 20, 8, 8, 256 - 32));
    obj->Column = 1;
    ASSERT_TRUE(p->Position(0, 0, x, y));
    EXPECT_EQ(rtl::TPoint(x, y), RotatePoint(100, 60, 20, 20, 8, 8, 32));
    // Offset from the owner's collision rectangle, which a size slide grows by its column.
    p->SetParam(8, 0);
    p->Effect()->StyleImposition = TStyleImposition::siOffset;
    ownerSlide.StyleAniSprite = TStyleAniSprite::swSize;
    ownerSlide.BaseLeft = 2, ownerSlide.BaseTop = 3, ownerSlide.IncSize = 4, ownerSlide.IncSizeH = 5;
    obj->SetFrame(2);
    ASSERT_TRUE(p->Position(10, 20, x, y));
    EXPECT_EQ(std::pair(x, y), std::pair(100 + 5 + (2 - 8) - 10, 60 + 7 + (3 - 10) - 20));
    p->SetParam(8, 2);
    EXPECT_FALSE(p->Position(0, 0, x, y));
    dxdraw.Surface()->Fill(0);
    p->DrawOn(obj);
    for (int x = 0; x < kWidth; x += 7) EXPECT_EQ(BackPixel(x, 68), 0u);
}

TEST_F(EffectsTest, PhantomsThatEndWhileTheKernelDrawsThemAreAllDrawnOnce) {
    std::vector<TGPPhantom*> phantoms;
    for (int i = 0; i < 3; ++i) {
        TGPPhantom* p = Acquire(kernel.get(), 2);
        p->SetParam(7, 1);
        p->SetParam(2, 40 * i);
        phantoms.push_back(p);
    }
    dxdraw.Surface()->Fill(0);
    kernel->Draw();
    EXPECT_EQ(kernel->ChildSprites->Count(), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(phantoms[static_cast<size_t>(i)]->Carrion);
        EXPECT_EQ(BackPixel(40 * i + 8, 8), To565(0x00FF00)) << i;
    }
}

TEST_F(EffectsTest, APhantomUnderTheMouseSetsItsCursor) {
    GameData({});  // no cursor descriptions
    auto mouse = std::make_unique<TGPMouse>();
    mouse->Create(kernel.get(), 1);
    kernel->SetMouse(std::move(mouse));
    TGPPhantom* p = Acquire(kernel.get(), 1);
    p->Effect()->VisibleForCursor = 1;
    kernel->MouseX = 200, kernel->MouseY = 200;
    p->DrawOn(kernel.get());
    EXPECT_EQ(kernel->Mouse->IDClass, 1);
    kernel->MouseX = 5, kernel->MouseY = 5;
    p->DrawOn(kernel.get());
    EXPECT_EQ(kernel->Mouse->IDClass, 4);
    EXPECT_EQ(kernel->Mouse->CursorSprite(), p);
}
