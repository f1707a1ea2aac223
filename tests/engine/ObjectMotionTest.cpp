// Game objects: position and motion in 16.16, published properties, animation frames, the
// tick with orders and in-line commands, and drawing.
#include "ObjectFixture.h"

#include "engine/gpMap.h"
#include "rtl/Exceptions.h"

#include <cmath>
#include <limits>

using namespace engine;
using enginetest::EventProbe;
using enginetest::To565;

namespace {

class ObjectMotion : public enginetest::ObjectFixture {
protected:
    EventProbe* Brick(datagen::GeneralObjectDescription d = {.minSpeed = 2, .maxSpeed = 8},
                      datagen::UnitSlideDescription shape = {}) {
        Class(kBrick, d, shape);
        Commit();
        return Make(0, kBrick);
    }
};

int routineCalls = 0;
uint8_t CountingRoutine(TGPObject&, uint8_t, const TRect&, rtl::List<TGPStructure*>*) {
    ++routineCalls;
    return 7;
}

}  // namespace

TEST_F(ObjectMotion, XReadsItsWholePartAndYRoundsAndBothKeepTheirCell) {
    EventProbe* o = Brick();
    o->XFx = 10 * 65536 + 49152;  // 10.75
    o->YFx = 10 * 65536 + 49152;
    EXPECT_EQ(o->GetX(), 10);
    EXPECT_EQ(o->GetY(), 11);
    EXPECT_EQ(rtl::GetOrdProp(*o, "X"), 10);
    EXPECT_EQ(rtl::GetOrdProp(*o, "DGCY"), 11);
    o->YFx = 10 * 65536 + 32768;  // 10.5
    EXPECT_EQ(o->GetY(), 11);
    o->XFx = -(10 * 65536 + 32768);  // -10.5: the whole part floors
    EXPECT_EQ(o->GetX(), -11);

    rtl::SetOrdProp(*o, "X", 130);
    EXPECT_EQ(o->XFx, 130 * 65536);
    EXPECT_EQ(o->CellCol, 2);
    o->SetY(-65);
    EXPECT_EQ(o->CellRow, -1);  // truncated toward zero
    rtl::SetOrdProp(*o, "OLDY", 7);
    EXPECT_EQ(o->OldYFx, 7 * 65536);
    EXPECT_THROW(o->SetParam(2, 40000), rtl::ERangeError);
    EXPECT_THROW(o->SetX(-32769), rtl::ERangeError);
    o->SetParam(3, -32768);
    EXPECT_EQ(o->GetY(), -32768);

    map->Scroll(64, 32);
    o->SetX(100), o->SetY(100);
    EXPECT_EQ(rtl::GetOrdProp(*o, "XVisible"), 100 - map->ViewX());
    EXPECT_EQ(rtl::GetOrdProp(*o, "YVisible"), 100 - map->ViewY());
}

TEST_F(ObjectMotion, StepsAddTheVelocityAndRaiseBeyondThirtyTwoBits) {
    EventProbe* o = Brick();
    o->SetX(60);
    o->VelocityXFx = 3 * 65536 + 32768;  // 3.5 pixels per tick
    o->StepX();
    EXPECT_EQ(o->XFx, 63 * 65536 + 32768);
    EXPECT_EQ(o->CellCol, 1);  // the rounded position, 64, lies in the second cell
    o->UndoX();
    EXPECT_EQ(o->GetX(), 60);
    EXPECT_EQ(o->CellCol, 0);
    o->XFx = std::numeric_limits<int32_t>::max() - 10;
    EXPECT_THROW(o->StepX(), rtl::ERangeError);
}

TEST_F(ObjectMotion, SpeedIsClampedUnlessTheKernelChecksIt) {
    EventProbe* o = Brick();
    o->SetDGCSpeed(50);
    EXPECT_EQ(o->SpeedFx, 8 * 65536);
    o->SetDGCSpeed(0);
    EXPECT_EQ(o->SpeedFx, 2 * 65536);
    o->SetDGCVelocityX(-20);
    EXPECT_EQ(o->VelocityXFx, -8 * 65536);
    o->SetSpeedOnly(5.5);
    EXPECT_DOUBLE_EQ(rtl::GetFloatProp(*o, "DGCSpeed"), 5.5);
    EXPECT_EQ(rtl::GetOrdProp(*o, "DGCMaxSpeedValue"), 8 * 65536);

    std::vector<TVelocityXY> asked;
    kernel->OnCheckVelocity = [&](double& v, TObject*, TVelocityXY xy) {
        asked.push_back(xy);
        v = 50;
    };
    o->SetDGCSpeed(3);
    EXPECT_EQ(o->SpeedFx, 50 * 65536);  // stored beyond the maximum
    o->SetDGCVelocityY(1);
    EXPECT_EQ(o->VelocityYFx, 50 * 65536);
    EXPECT_EQ(asked, (std::vector<TVelocityXY>{TVelocityXY::vxySpeed, TVelocityXY::vxyY}));
    EXPECT_EQ(static_cast<int>(TVelocityXY::vxySpeed), 4);

    kernel->OnCheckVelocity = nullptr;
    EXPECT_THROW(o->SetDGCSpeed(std::nan("")), rtl::ERangeError);
    EXPECT_THROW(o->SetDGCSpeed(40000), rtl::ERangeError);  // 40000 << 16 leaves 32 bits
    EXPECT_THROW(rtl::SetFloatProp(*o, "DGCMinSpeed", std::numeric_limits<double>::infinity()), rtl::ERangeError);
    EXPECT_EQ(FixedFromReal(-32768), std::numeric_limits<int32_t>::min());
}

TEST_F(ObjectMotion, DirectionsAreNormalisedAndReflectionsMirrorOneComponent) {
    EventProbe* o = Brick();
    o->SetDGCSpeed(4);
    o->SetDGCDirection(0);
    o->ReflectY();
    EXPECT_EQ(o->Direction, 0);
    o->SetDGCDirection(64);
    EXPECT_NEAR(o->VelocityYFx, 4 * 65536, 1);
    EXPECT_NEAR(o->VelocityXFx, 0, 1);
    o->ReflectY();
    EXPECT_EQ(o->Direction, 192);
    EXPECT_NEAR(o->VelocityYFx, -4 * 65536, 1);
    o->SetDGCDirection(0);
    o->ReflectX();
    EXPECT_EQ(o->Direction, 128);
    o->SetDGCDirection(64);
    o->ReflectX();
    EXPECT_EQ(o->Direction, 64);

    o->SetDGCDirection(-1);
    EXPECT_EQ(o->Direction, 255);
    o->SetDGCDirection(256);  // as AngleOf answers for straight right
    EXPECT_EQ(o->Direction, 0);
    rtl::SetOrdProp(*o, "DGCDirection", 1000);
    EXPECT_EQ(o->Direction, 1000 % 256);
    o->DGCA = 0.5;
    o->SetDGCDirection(0);
    EXPECT_EQ(o->VelocityXFx, 2 * 65536);
}

TEST_F(ObjectMotion, AccelerationUsesTheSpeedFactorTheKindBitsAndTheDifficulty) {
    EventProbe* o = Brick({.minSpeed = 1, .maxSpeed = 8, .maxSpeedUp = 0.5});
    o->SetDGCSpeed(2);
    Shared().SpeedFactor = 2.0;
    o->Accelerate();
    EXPECT_EQ(o->SpeedFx, 3 * 65536);
    o->SetDGCSpeed(8);
    o->VelocityXFx = 0;
    o->Accelerate();  // at the maximum: nothing at all
    EXPECT_EQ(o->VelocityXFx, 0);
    o->Decelerate();
    EXPECT_EQ(o->SpeedFx, 7 * 65536 + 32768);
    o->SetDGCSpeed(1.2);
    o->Decelerate();
    EXPECT_EQ(o->SpeedFx, 1 * 65536);  // raised to the minimum

    double seen = 0;
    kernel->OnCheckVelocity = [&](double& v, TObject*, TVelocityXY xy) {
        if (xy == TVelocityXY::vxySpeed) seen = v;
    };
    o->SetDGCSpeed(2);
    Shared().Difficulty = 3;
    o->Kind = kind::DifficultySpeed;
    o->Accelerate();
    EXPECT_DOUBLE_EQ(seen, 2 + 0.5 * 5 * 1.5);
    o->Kind = kind::SlowAcceleration;
    o->Accelerate();
    EXPECT_NEAR(seen, 2 + 0.5 * 5 * 1.5 + 0.1, 1e-4);
    kernel->OnCheckVelocity = nullptr;

    Shared().Difficulty = 7;  // from a damaged saved game
    EXPECT_DOUBLE_EQ(Shared().DifficultyFactor(), 1.5);
    Shared().Difficulty = -2;
    EXPECT_DOUBLE_EQ(Shared().DifficultyFactor(), 1.1);
    o->Kind = 0;
    o->SetDGCSpeed(2);
    Shared().SpeedFactor = std::nan("");
    EXPECT_THROW(o->Accelerate(), rtl::ERangeError);
}

TEST_F(ObjectMotion, FramesFollowTheSlidesStyleAndTiming) {
    // HTicksPerChange 4 gives RollTick 6: a change on every fourth call.
    EventProbe* o = Brick({}, {.linesWidth = 2, .linesHeight = 3, .hTicksPerChange = 4});
    EXPECT_EQ(o->RollTick, 6);
    std::vector<int> changes;
    int last = o->FrameIndex;
    for (int call = 1; call <= 12; ++call) {
        o->NextFrame();
        if (o->FrameIndex != last) changes.push_back(call), last = o->FrameIndex;
    }
    EXPECT_EQ(changes, (std::vector<int>{4, 8}));  // swNo: holds at the last frame
    EXPECT_EQ(o->FrameIndex, 2);
    o->SetFrame(1);
    EXPECT_EQ(o->NextFrame(), 2 * 2 + 1);  // LinesWidth x frame + column
    o->FrameIndex = 5;                      // past the last frame: back to the first
    EXPECT_EQ(o->NextFrame(), 1);
    EXPECT_EQ(o->FrameIndex, 0);

    TOneSlide fast;
    fast.HTicksPerChange = 170;  // RollTick 255: a change on every call
    fast.LinesHeight = 3;
    fast.LinesWidth = 1;
    fast.StyleAniSprite = TStyleAniSprite::swDirection;
    o->SetSlide(&fast);
    EXPECT_EQ(o->RollTick, 255);
    o->FrameIndex = 0;
    std::vector<int> frames;
    for (int i = 0; i < 4; ++i) o->NextFrame(), frames.push_back(o->FrameIndex);
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1}));  // swDirection wraps
    fast.StyleAniSprite = TStyleAniSprite::swOnce;
    o->FrameIndex = 0;
    frames.clear();
    for (int i = 0; i < 4; ++i) o->NextFrame(), frames.push_back(o->FrameIndex);
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 2, 2}));
    fast.StyleAniSprite = TStyleAniSprite::swAll;
    frames.clear();
    for (int i = 0; i < 2; ++i) o->NextFrame(), frames.push_back(o->FrameIndex);
    EXPECT_EQ(frames, (std::vector<int>{0, 1}));
    o->FixedColumn = 1;
    o->Column = 0;
    EXPECT_EQ(o->NextFrame(), 0);
    EXPECT_EQ(o->FrameIndex, 1);  // a fixed column does not animate
}

TEST_F(ObjectMotion, SetFrameIgnoresColumnsOutsideTheSlideAndGrowsTheRectangleBySize) {
    EventProbe* o = Brick({}, {.linesWidth = 4, .linesHeight = 1, .baseLeft = 4, .baseTop = 4, .baseRight = 12,
                               .baseBottom = 12, .styleAniSprite = "swSize", .incSize = 2, .incSizeH = 1});
    o->SetFrame(4);  // = LinesWidth
    EXPECT_EQ(o->Column, 0);
    o->SetFrame(-1);
    EXPECT_EQ(o->Column, 0);
    o->SetFrame(3);
    EXPECT_EQ(o->CollisionRect, (TRect{4 - 6, 4 - 3, 12 + 6, 12 + 3}));
    o->SetX(100), o->SetY(50);
    EXPECT_EQ(o->GetRect(), (TRect{98, 51, 118, 65}));
}

TEST_F(ObjectMotion, CreationTakesTheClassValuesAndItsSizeInCells) {
    Class(kBrick, {.ticksPerRotate = 9, .minSpeed = 1, .maxSpeed = 5, .toughness = 3, .rotate = 1,
                   .addParamInt1 = 2, .addParamInt4 = 40},
          {.patternWidth = 100, .patternHeight = 20, .linesWidth = 4, .animationSprite = 0});
    Commit();
    EventProbe* o = Make(0, kBrick);
    EXPECT_EQ(o->Width, 100);
    EXPECT_EQ(o->CellsAcross, 2);  // 100 / 64 rounds to 2
    EXPECT_EQ(o->CellsDown, 1);    // 20 / 64 rounds to 0: at least 1
    EXPECT_EQ(o->HitPoints, 3);
    EXPECT_EQ(o->TimerCount, 100);  // creation ends with 100; a reused object takes TicksPerRotate
    EXPECT_EQ(o->LifeTime, 40);
    EXPECT_EQ(o->MinSpeedFx, 65536);
    EXPECT_GE(o->SpeedFx, 2 * 65536);  // AddParamInt1 plus Random(AddParamInt1)
    EXPECT_LE(o->SpeedFx, 3 * 65536);
    EXPECT_EQ(o->FixedColumn, 1);
    EXPECT_DOUBLE_EQ(o->DriftX, 0.6);
    EXPECT_DOUBLE_EQ(o->DriftY, -0.6);
    EXPECT_EQ(o->OrderTag, 100);
    EXPECT_EQ(o->StepsPerColumn, 64);
    o->SetDead(true);
    EXPECT_EQ(Make(0, kBrick), o);
    EXPECT_EQ(o->TimerCount, 9);

    // A class without a description still makes an object that moves, never expiring.
    ClassWithoutTemplate(kBrick + 1);
    Commit();
    EventProbe* bare = Make(0, kBrick + 1);
    EXPECT_EQ(bare->Template, nullptr);
    bare->Move(0, {}, nullptr);
    EXPECT_TRUE(bare->InPlay());
}

TEST_F(ObjectMotion, ALifetimeOfOneEndsOnTheTickAfterTheNextAndTheStepStopsThere) {
    EventProbe* o = Brick({.addParamInt4 = 1});
    int moves = 0;
    o->OnGPMove = [&](TObject*) { ++moves; };
    o->InstallOrder(&CountingRoutine, 0);
    routineCalls = 0;
    o->Move(0, {}, nullptr);
    EXPECT_TRUE(o->InPlay());
    EXPECT_EQ(o->LifeTime, 0);
    EXPECT_EQ(routineCalls, 1);
    o->Move(0, {}, nullptr);
    EXPECT_FALSE(o->InPlay());
    EXPECT_EQ(o->Count(TObjectEvent::OnCarrion), 1);
    // Pooled in its step: neither its order nor OnGPMove ran on it.
    EXPECT_EQ(routineCalls, 1);
    EXPECT_EQ(moves, 1);

    Class(kBrick + 1, {.addParamInt4 = 65535});
    Commit();
    EventProbe* endless = Make(0, kBrick + 1);
    for (int i = 0; i < 3; ++i) endless->Move(0, {}, nullptr);
    EXPECT_EQ(endless->LifeTime, 65535);
    EXPECT_TRUE(endless->InPlay());
}

TEST_F(ObjectMotion, AnInLineCommandGivesTheResultAndRunsTheOrderOnlyWithBit80) {
    EventProbe* o = Brick();
    TOrder* order = o->InstallOrder(&CountingRoutine, 0);
    routineCalls = 0;
    EXPECT_EQ(o->Step(0, {}, nullptr), 7);
    TInLineCom* inLine = kernel->InLinePool->Acquire();
    inLine->Code = 0x1234;
    o->InLine = inLine;
    EXPECT_EQ(o->Step(0, {}, nullptr), 0x34);
    EXPECT_EQ(routineCalls, 1);
    order->State |= kOrderBesideInLine;
    EXPECT_EQ(o->Step(0, {}, nullptr), 0x34);
    EXPECT_EQ(routineCalls, 2);
    o->ClearOrders();  // state 0x83 stays; the in-line command goes back to its pool
    EXPECT_EQ(o->InLine, nullptr);
    EXPECT_EQ(o->Orders, order);
    EXPECT_EQ(kernel->InLinePool->UsedCount(), 0);
    o->DropOrders();
    EXPECT_EQ(o->Orders, nullptr);
    EXPECT_EQ(kernel->OrderPool->UsedCount(), 0);
}

TEST_F(ObjectMotion, OrdersComeFromThePoolAndTheSlideNamesTheDefault) {
    EventProbe* o = Brick({}, {.ordDefault = 1, .typeOrdDefault = 13});
    // Loading the default state installed the slide's default order of kind 13.
    ASSERT_NE(o->Orders, nullptr);
    EXPECT_EQ(o->Orders->State, kOrderLasting);
    EXPECT_TRUE(o->HasDefaultOrder());
    EXPECT_EQ(rtl::GetOrdProp(*o, "Ord_Default"), 13);
    o->SetOrder(3, 11, 22, 33, 0x85);
    EXPECT_EQ(kernel->OrderPool->UsedCount(), 1);  // the old chain went back
    EXPECT_EQ(o->Orders->C, 11);
    EXPECT_EQ(o->Orders->A, 22);
    EXPECT_EQ(o->Orders->Countdown, 2);
    EXPECT_EQ(o->Orders->Kind, 5);
    EXPECT_EQ(o->OrderTag, 5);
    o->SetOrder(15, 0, 0, 0, 0);  // no such kind
    EXPECT_EQ(o->Orders->Kind, 5);
    o->ClearOrders();
    EXPECT_EQ(o->Orders, nullptr);
    EXPECT_EQ(kernel->OrderPool->UsedCount(), 0);
}

TEST_F(ObjectMotion, AlignToInModeThreeCentresTheObjectOnItsTarget) {
    EventProbe* o = Brick({}, {.patternWidth = 10, .patternHeight = 6});
    Class(kBrick + 1, {}, {.patternWidth = 40, .patternHeight = 30});
    Commit();
    EventProbe* target = Make(0, kBrick + 1, 100, 200);
    EXPECT_EQ(o->AlignTo(target, 3), 1);
    EXPECT_EQ(o->GetX(), 100 + 20 - 5);
    EXPECT_EQ(o->GetY(), 200 + 15 - 3);
    EXPECT_EQ(o->AlignTo(target, 2), 1);  // other modes place nothing
    EXPECT_EQ(o->GetX(), 115);
    EXPECT_EQ(o->AlignTo(kernel.get(), 3), 1);
    EXPECT_EQ(o->GetX(), 115);
}

TEST_F(ObjectMotion, AHiddenObjectMovesAndAnimatesButIsNotDrawn) {
    Class(kBrick, {}, {.picture = "Brick", .linesHeight = 4, .hTicksPerChange = 170, .styleAniSprite = "swAll"});
    Picture("Unit12_Birth", datagen::PatternPicture(16, 16, 1, 4, [](int, int) { return 0x00FF00u; }));
    Commit();
    EventProbe* o = Make(0, kBrick, 40, 40);
    kernel->Draw();
    EXPECT_EQ(BackPixel(48, 48), To565(0x00FF00));
    EXPECT_EQ(o->FrameIndex, 1);  // drawing animates too
    o->Kind |= kind::Hidden;
    o->SetX(80);
    kernel->Draw();
    EXPECT_EQ(BackPixel(88, 48), 0u);
    EXPECT_EQ(o->FrameIndex, 1);  // not drawn: no frame step from drawing
    o->Move(0, {}, nullptr);
    EXPECT_EQ(o->FrameIndex, 2);  // moving still animates
}
