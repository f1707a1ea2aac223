// A level record applied to a headless kernel as the shell applies it: objects from the pool
// at the records' places, each record sent to its object and attached; reuse, lifetimes and
// failed sends.
#include "ObjectFixture.h"

#include <cmath>
#include <limits>

#include "engine/gpLevel.h"
#include "tools/datagen/LevelSet.h"

using namespace engine;

namespace {

class LevelObjectTest : public enginetest::ObjectFixture {
protected:
    LevelObjectTest() {
        Class(kPaddle, {.maxSpeed = 4, .toughness = 1});
        Class(kBall, {.maxSpeed = 6, .defaultSlide = 1, .toughness = 1});
        Class(kBrick, {.toughness = 1, .priceForDeath = 10});
        Commit();
    }

    static datagen::ObjectRecord Record(int32_t id, int32_t x, int32_t y) {
        datagen::ObjectRecord r;
        r.idClass = id;
        r.maxSpeed = 5;
        r.maxSpeedUp = 0.25;
        r.defaultSlide = 1;
        r.toughness = 3;
        r.minSpeed = 2;
        r.p[6] = x;
        r.p[7] = y;
        return r;
    }

    // A level of a paddle (nation 3), a ball with its default order (nation 4) and two
    // bricks of one class with their own prices, one hidden (nation 0).
    std::unique_ptr<TStructureOfLevel_1> Level() {
        datagen::ObjectRecord paddle = Record(kPaddle, 300, 480);
        datagen::ObjectRecord ball = Record(kBall, 320, 460);
        ball.p[10] = 2;   // frame row
        ball.p[11] = 4;   // default order: the ball's
        ball.p[14] = 77;  // slide value
        datagen::ObjectRecord brick = Record(kBrick, 64, 64);
        brick.toughness = 2;
        brick.p[0] = 250;     // price
        brick.p[4] = 0x1000;  // kind bits
        datagen::ObjectRecord hidden = brick;
        hidden.p[0] = 500;
        hidden.p[6] = 128;
        hidden.visible = 0;
        datagen::LevelRecord level;
        level.nations = {{3, {paddle}, {}}, {4, {ball}, {}}, {0, {brick, hidden}, {}}};
        const std::string bytes = datagen::WriteLevelRecord(level, 11);
        rtl::MemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        auto read = std::make_unique<TStructureOfLevel_1>();
        read->ReadFromStream(in, 11);
        return read;
    }

    // What the shell's level start does with each nation of the level.
    std::vector<enginetest::EventProbe*> Apply(const TStructureOfLevel_1& level) {
        std::vector<enginetest::EventProbe*> made;
        for (int n = 0; n < level.Nations.Count(); ++n) {
            const TStructurNation& nation = level.Nations.Nation(n);
            for (int i = 0; i < nation.Count(); ++i) {
                TGPGObj_1& record = nation.Object(i);
                enginetest::EventProbe* object = Make(nation.NationKey, record.IDClass, record.X, record.Y);
                record.SendObject(*object);
                record.AttachObject(*object);
                made.push_back(object);
            }
        }
        return made;
    }
};

}  // namespace

TEST_F(LevelObjectTest, ALevelSetsUpItsNationsAndObjects) {
    auto level = Level();
    const auto made = Apply(*level);
    ASSERT_EQ(made.size(), 4u);
    auto* paddle = made[0];
    auto* ball = made[1];
    auto* brick = made[2];
    auto* hidden = made[3];
    EXPECT_EQ(kernel->FindNation(3)->Objects.Count(), 1);
    EXPECT_EQ(kernel->FindNation(4)->Objects.Items(0), ball);
    EXPECT_EQ(kernel->FindNation(0)->Objects.Count(), 2);
    EXPECT_EQ(paddle->GetX(), 300);
    EXPECT_EQ(paddle->GetY(), 480);

    EXPECT_EQ(paddle->HitPoints, 3);
    EXPECT_EQ(brick->HitPoints, 2);
    EXPECT_EQ(paddle->MinSpeedFx, 2 << 16);
    EXPECT_EQ(paddle->MaxSpeedFx, 5 << 16);
    EXPECT_EQ(paddle->AccelerationFx, 1 << 14);
    EXPECT_EQ(paddle->SpeedFx, 2 << 16);  // the initial speed is the minimum

    EXPECT_EQ(brick->Kind & 0x1000, 0x1000);
    EXPECT_EQ(brick->Kind & kind::Hidden, 0);
    EXPECT_EQ(hidden->Kind & kind::Hidden, kind::Hidden);

    EXPECT_EQ(ball->FrameIndex, 2);
    ASSERT_NE(ball->CurrentSlide, nullptr);
    EXPECT_EQ(ball->CurrentSlide->Ord_Default, 1);
    EXPECT_EQ(ball->CurrentSlide->Type_Ord_Default, 4);
    ASSERT_NE(ball->Orders, nullptr);  // the ball's order installed
    EXPECT_EQ(ball->Orders->Routine, OrderRoutine(4));
    EXPECT_EQ(ball->Orders->State, 3);
    EXPECT_EQ(ball->CurrentSlide->SendValue, 77);
    // A record without a default order clears its slide's.
    EXPECT_EQ(paddle->CurrentSlide->Ord_Default, 0);

    // Each object has the record's values in a description of its own; the nation's stays
    // the class's.
    EXPECT_EQ(brick->Template->PriceForDeath, 250);
    EXPECT_EQ(hidden->Template->PriceForDeath, 500);
    EXPECT_EQ(kernel->FindNation(0)->Template(kBrick)->PriceForDeath, 10);
    EXPECT_EQ(brick->Template->Toughness, 2);

    // Selection mode 4 shows what the level hides.
    kernel->SelectionMode = 4;
    hidden->ApplyLevelRecord();
    EXPECT_EQ(hidden->Kind & kind::Hidden, 0);
}

TEST_F(LevelObjectTest, AnObjectReusedFromThePoolTakesItsRecordAgainAndTheRecordOutlivesItsLevel) {
    auto level = Level();
    const auto made = Apply(*level);
    auto* brick = made[2];
    TGPGObj* record = brick->LevelRecord;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->RefCount(), 2);  // the nation block and the object

    level.reset();  // the level goes; the object keeps its record
    EXPECT_EQ(record->RefCount(), 1);
    EXPECT_EQ(record->PriceForDeath, 250);

    brick->HitPoints = 99;
    kernel->FreeObject(2, brick);
    auto* again = Make(0, kBrick);
    ASSERT_EQ(again, brick);  // the pool hands the same object out again
    EXPECT_EQ(again->HitPoints, 2);
    EXPECT_EQ(again->Template->PriceForDeath, 250);
    EXPECT_EQ(again->LevelRecord, record);
}

TEST_F(LevelObjectTest, AFailedSendChangesNothing) {
    auto level = Level();
    const auto made = Apply(*level);
    auto* brick = made[2];
    const TGPGeneralObject* description = brick->Template;
    const int32_t kindBefore = brick->Kind, speedBefore = brick->MaxSpeedFx;
    TGPGObj_1& record = level->Nations.FindOrAddNation(0).Object(0);
    auto expectUnchanged = [&](const char* what) {
        try {
            record.SendObject(*brick);
            ADD_FAILURE() << what;
        } catch (const EDebug& e) {
            EXPECT_EQ(std::string(e.what()), "Error calling SendObject for the class 12.") << what;
        }
        EXPECT_EQ(brick->Template, description) << what;
        EXPECT_EQ(brick->HitPoints, 2) << what;
        EXPECT_EQ(brick->Kind, kindBefore) << what;
        EXPECT_EQ(brick->MaxSpeedFx, speedBefore) << what;
    };
    record.Toughness = 9;
    record.MaxSpeed = 40000;  // beyond 16.16
    expectUnchanged("max speed");
    record.MaxSpeed = 5;
    record.MaxSpeedUp = std::numeric_limits<double>::quiet_NaN();
    expectUnchanged("acceleration");
    record.MaxSpeedUp = 0.25;
    record.IDWeapon = "3\r\nthree";
    expectUnchanged("weapon list");

    // Only a game object takes a record.
    TGPStructure plain;
    EXPECT_THROW(record.SendObject(plain), rtl::EConvertError);
}
