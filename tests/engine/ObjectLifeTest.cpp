// Game objects: damage, scoring, death and the pool, prizes, splinters and the script hooks.
#include "ObjectFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpKernelDevices.h"
#include "engine/gpMap.h"
#include "engine/gpWeapon.h"
#include "rtl/Numbers.h"

#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <tuple>

using namespace engine;
using enginetest::EventProbe;
using enginetest::FixedWeapon;

namespace {

// An object whose birth script takes it out of play.
class LeavesAtBirth : public EventProbe {
protected:
    void RunEvent(TObjectEvent event) override {
        EventProbe::RunEvent(event);
        if (event == TObjectEvent::OnBirth) SetAlive(false);
    }
};

class ObjectLife : public enginetest::ObjectFixture {
protected:
    // Drop table: class 42 for rolls 0..300, the letters for 300..600, class 99 for 600..900.
    void DropTable() {
        Shared().DropTable = {{1, 0, 300, 0x105, kPrize}, {1, 300, 600, 33, 124}, {1, 600, 900, 7, 99}};
    }
    // The kernel ends with its level; the next one starts with the same classes.
    void NextKernel() {
        kernel.reset();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
        map = CreateMap(*kernel, false, 0, 0, 9, 8, 9, 8, 64);
        Commit();
    }
};

}  // namespace

TEST_F(ObjectLife, AWeaponHitKillsAtItsDamageAndLeavesTheRestBelow) {
    Class(kBrick, {.toughness = 7});
    Class(kBrick + 1, {.toughness = 8});
    Class(kBrick + 2, {.toughness = kIndestructible});
    Commit();
    FixedWeapon weapon;
    weapon.damage = 7;
    EventProbe* seven = Make(0, kBrick);
    seven->Hit(nullptr, &weapon);
    EXPECT_FALSE(seven->InPlay());
    EXPECT_EQ(seven->Count(TObjectEvent::OnCarrion), 1);

    EventProbe* eight = Make(0, kBrick + 1);
    weapon.effect = true;
    weapon.effectClass = 2;
    eight->Hit(eight, &weapon);
    EXPECT_TRUE(eight->InPlay());
    EXPECT_EQ(eight->HitPoints, 1);
    ASSERT_EQ(eight->ChildSprites->Count(), 1);  // the hit's effect, on the struck object
    EXPECT_EQ(eight->ChildSprites->Items(0)->IDClass, 2);

    EventProbe* wall = Make(0, kBrick + 2);
    wall->Hit(nullptr, &weapon);
    EXPECT_EQ(wall->HitPoints, kIndestructible);
    EXPECT_TRUE(wall->InPlay());
    DropTable();
    EXPECT_EQ(wall->PickBonus(100), -1);  // drops nothing either
    wall->Column = 0;
    eight->Column = 3;
    wall->Hit(eight, eight);
    EXPECT_TRUE(wall->InPlay());
}

TEST_F(ObjectLife, AnObjectsHitTakesColumnsUntilNoneIsLeft) {
    Class(kBrick, {.toughness = 2});
    Commit();
    EventProbe* brick = Make(0, kBrick);
    EventProbe* ball = Make(0, kBrick);
    brick->Column = 3;
    ball->Column = 1;
    brick->Hit(ball, ball);
    EXPECT_EQ(brick->Column, 1);  // d - 1 for d = 2
    brick->Hit(ball, ball);
    EXPECT_FALSE(brick->InPlay());
}

TEST_F(ObjectLife, KilledByScoresBricksAndBallKilledMonstersSaturating) {
    Class(kBrick, {.toughness = 3, .priceForDeath = 10});
    Class(kMonster, {.toughness = 3, .priceForDeath = 50});
    Class(kBall);
    Class(kPassBall);
    Commit();
    Shared().Difficulty = 2;
    EventProbe* brick = Make(0, kBrick);
    EventProbe* ball = Make(4, kBall);
    ball->Column = 2;  // a bigger ball scores more
    brick->FrameIndex = 3;
    brick->KilledBy(ball);
    EXPECT_EQ(Shared().Score, 10 * 3 * 2);
    EXPECT_EQ(brick->FrameIndex, 0);
    EXPECT_EQ(brick->Vibration.On, 1);
    EXPECT_EQ(brick->Vibration.Target, ball);
    EXPECT_EQ(brick->Count(TObjectEvent::OnCollision), 1);

    EventProbe* monster = Make(2, kMonster);
    monster->KilledBy(brick);
    EXPECT_EQ(Shared().Score, 60);  // a monster scores only when a ball kills it
    ball->Column = 0;
    monster->KilledBy(ball);
    EXPECT_EQ(Shared().Score, 60 + 50 * 2);

    brick->Kind |= kind::Hidden;
    brick->KilledBy(ball);  // a hidden brick is shown, not scored
    EXPECT_EQ(brick->Kind & kind::Hidden, 0);
    EXPECT_EQ(Shared().Score, 160);
    EXPECT_EQ(brick->Count(TObjectEvent::OnCollision), 2);

    EventProbe* pass = Make(4, kPassBall);
    pass->KilledBy(ball);
    EXPECT_EQ(pass->Count(TObjectEvent::OnCollision), 0);

    brick->HitPoints = 3;
    brick->Template->PriceForDeath = std::numeric_limits<int32_t>::max();
    ball->Column = 7;
    Shared().Difficulty = 9;  // clamped to 3
    brick->KilledBy(ball);
    EXPECT_EQ(Shared().Score, std::numeric_limits<int32_t>::max());
    brick->Template->PriceForDeath = std::numeric_limits<int32_t>::min();
    Shared().Score = -5;
    brick->KilledBy(ball);
    EXPECT_EQ(Shared().Score, std::numeric_limits<int32_t>::min());
}

TEST_F(ObjectLife, PointsReachTheScoreVariableTheHeadsUpShowsAndTheGameKeeps) {
    Class(kBrick, {.toughness = 3, .priceForDeath = 10});
    Commit();
    Shared().Difficulty = 2;
    Make(0, kBrick)->KilledBy(nullptr);  // before the variable exists: the tally alone
    EXPECT_EQ(Shared().Score, 20);
    kernel->Data->AddField(nullptr, ftInteger, kernel->KernelRecord.Count);
    SetFieldValue(kernel->KernelRecord.Count, 1000);  // a saved game's score, restored
    Make(0, kBrick)->KilledBy(nullptr);
    EXPECT_EQ(ValueToInteger(GetFieldValue(kernel->KernelRecord.Count)), 1020);
    kernel->AddScore(int64_t{1} << 40);
    EXPECT_EQ(ValueToInteger(GetFieldValue(kernel->KernelRecord.Count)), std::numeric_limits<int32_t>::max());
}

TEST_F(ObjectLife, AClassWithoutADescriptionNeitherCrashesNorScores) {
    ClassWithoutTemplate(kBrick);
    ClassWithoutTemplate(kPaddle);
    Commit();
    DropTable();
    EventProbe* brick = Make(0, kBrick);
    FixedWeapon weapon;
    weapon.damage = 200;
    brick->Hit(nullptr, &weapon);
    brick->Hit(brick, brick);
    EXPECT_TRUE(brick->InPlay());
    EXPECT_EQ(brick->PickBonus(100), -1);
    brick->KilledBy(brick);
    EXPECT_EQ(Shared().Score, 0);
    EXPECT_EQ(brick->Count(TObjectEvent::OnCollision), 1);
    EventProbe* paddle = Make(3, kPaddle);
    paddle->SetKind(kind::NextWeapon | kind::Effect4 | kind::Stunned);
    EXPECT_EQ(paddle->Weapon, nullptr);
    paddle->SetKind(-kind::ClearAll);
    EXPECT_EQ(paddle->Kind, 0);
}

TEST_F(ObjectLife, DeathRunsTheCarrionBlockAndReturnsToThePoolEvenWhenItFails) {
    Class(kBrick);
    Commit();
    EventProbe* o = Make(0, kBrick);
    int pushes = 0;
    kernel->OnPUSH = [&](TObject*) { ++pushes; };
    o->SetDead(true);
    o->SetDead(true);  // already dead: nothing
    EXPECT_EQ(o->Count(TObjectEvent::OnCarrion), 1);
    EXPECT_EQ(pushes, 1);
    EXPECT_TRUE(ObjectPool().Holds(o));

    EventProbe* again = Make(0, kBrick);
    ASSERT_EQ(again, o);
    EXPECT_FALSE(again->Dead());
    again->failIn = TObjectEvent::OnCarrion;
    EXPECT_THROW(again->SetDead(true), std::runtime_error);
    EXPECT_TRUE(ObjectPool().Holds(again));  // in the pool all the same
    EXPECT_TRUE(Nation(0)->Objects.Empty());
    again->failIn = TObjectEvent::Var;

    // Switched off and on: a reused object can be switched off again.
    EventProbe* third = Make(0, kBrick);
    third->SetParam(6, 0);
    EXPECT_TRUE(ObjectPool().Holds(third));
    EXPECT_EQ(third->Count(TObjectEvent::OnCarrion), 0);
    EventProbe* fourth = Make(0, kBrick);
    ASSERT_EQ(fourth, third);
    EXPECT_EQ(fourth->Alive, 1);
    fourth->SetAlive(false);
    EXPECT_TRUE(ObjectPool().Holds(fourth));
    fourth->SetAlive(true);
    EXPECT_EQ(fourth->Count(TObjectEvent::OnVisible), 1);
}

TEST_F(ObjectLife, PickBonusFollowsTheDropTableTheLettersAndThePrizesOnTheField) {
    Class(kBrick);
    Class(kMonster);
    Class(kPrize);
    Class(126);
    Commit();
    DropTable();
    EventProbe* brick = Make(0, kBrick);
    EXPECT_EQ(brick->PickBonus(150), kPrize);
    EXPECT_EQ(brick->PickBonus(300), -1);  // on the shared bound: neither record
    EXPECT_EQ(brick->PickBonus(0), -1);
    EXPECT_EQ(brick->PickBonus(400), 124);
    Shared().Letters.set(0).set(1);
    EXPECT_EQ(brick->PickBonus(400), 126);
    for (int i = 0; i < 7; ++i) Shared().Letters.set(static_cast<size_t>(i));
    EXPECT_EQ(brick->PickBonus(400), -1);
    EXPECT_EQ(brick->PickBonus(700), 99);
    map->Kind |= 0x1000;  // a closed floor
    EXPECT_EQ(brick->PickBonus(700), -1);
    EXPECT_EQ(Make(2, kMonster)->PickBonus(150), -1);
    Make(kPrizeNation, kPrize);
    EXPECT_EQ(brick->PickBonus(150), -1);  // one prize of a class on the field at a time
    EXPECT_EQ(BonusEffectCode(Shared(), kPrize), 0x05);
    EXPECT_EQ(BonusEffectCode(Shared(), 129), 33);
    EXPECT_EQ(BonusEffectCode(Shared(), 77), 0);
}

TEST_F(ObjectLife, DropBonusPlacesOnePrizeOfAClassUnderTheSource) {
    Class(kBrick, {}, {.patternWidth = 40, .patternHeight = 20, .baseRight = 40, .baseBottom = 20});
    Class(kPrize, {.minSpeed = 3}, {.patternWidth = 10, .patternHeight = 10, .baseRight = 10, .baseBottom = 10});
    Class(kPrize + 1);
    Commit();
    EventProbe* brick = Make(0, kBrick, 100, 50);
    Nation(kPrizeNation);
    const std::vector<int32_t> classes = {kPrize, kPrize, -1, kBrick, kPrize + 1};
    const std::vector<int32_t> kinds = {2, 2, 2, 2};  // shorter: the last class is not walked
    brick->DropBonus(classes, kinds);
    TGPNation* prizes = kernel->FindNation(kPrizeNation);
    ASSERT_NE(prizes, nullptr);
    ASSERT_EQ(prizes->Objects.Count(), 1);
    auto* prize = static_cast<EventProbe*>(prizes->Objects.First());
    EXPECT_EQ(prize->IDClass, kPrize);
    EXPECT_EQ(prize->GetX(), 100 + 20 - 5);
    EXPECT_EQ(prize->GetY(), 50 + 20 + 2);
    EXPECT_EQ(prize->Count(TObjectEvent::OnBirth), 1);
    EXPECT_EQ(prize->DriftX, 0);
    EXPECT_GE(prize->DriftY, 0);
    EXPECT_LT(prize->DriftY, 3);
    EXPECT_TRUE(map->Cells->Get(prize->CellCol + prize->CellRow * map->Cols)->Objects.Contains(prize));

    prizes->MaxCount = 1;  // full: a refused prize is skipped
    const std::vector<int32_t> second = {kPrize + 1};
    const std::vector<int32_t> two = {2};
    brick->DropBonus(second, two);
    EXPECT_EQ(prizes->Objects.Count(), 1);
}

TEST_F(ObjectLife, PiecesAndPrizesThatLeavePlayAtBirthAreNeitherIndexedNorCounted) {
    Class(kBrick, {}, {.patternWidth = 40, .patternHeight = 20, .baseRight = 40, .baseBottom = 20});
    Class(kPrize, {.minSpeed = 3}, {.patternWidth = 10, .patternHeight = 10, .baseRight = 10, .baseBottom = 10});
    Class(kSplinter, {.minSpeed = 1, .maxSpeed = 4}, {.patternWidth = 8, .patternHeight = 8});
    Commit();
    EventProbe* brick = Make(0, kBrick, 100, 50);
    Nation(kPrizeNation)->ObjectFactory = [] { return std::make_unique<LeavesAtBirth>(); };
    Nation(kSplinterNation)->ObjectFactory = [] { return std::make_unique<LeavesAtBirth>(); };
    const std::vector<int32_t> prize = {kPrize}, dropped = {2}, pieces = {kSplinter, kSplinter};
    brick->DropBonus(prize, dropped);
    EXPECT_EQ(brick->Splinter(brick, 3, pieces), 0);
    EXPECT_EQ(kernel->FindNation(kPrizeNation)->Objects.Count(), 0);
    EXPECT_EQ(kernel->FindNation(kSplinterNation)->Objects.Count(), 0);
    for (int i = 0; i < map->CellCount(); ++i)
        for (TGPObject* o : map->Cells->Get(i)->Objects) EXPECT_EQ(o, brick) << "cell " << i;
    // Back in the pool they keep what the pool gave them: no drift, no direction.
    for (int i = 0; i < ObjectPool().Count(); ++i) {
        const TGPObject* o = ObjectPool().Get(i);
        EXPECT_TRUE(o->IDClass != kPrize || o->DriftY == -0.6);
        EXPECT_TRUE(o->IDClass != kSplinter || o->Direction == 0);
    }
}

TEST_F(ObjectLife, ADamagedPictureEndsThePictureLoadSilently) {
    Class(kBrick, {}, {.picture = "Brick"});
    Picture("Unit12_Birth", "BM this is no bitmap");
    Picture("Unit12_Stop", datagen::SolidPicture(16, 16, 0xFF));
    Commit();
    EventProbe* first = Make(0, kBrick);
    EXPECT_NO_THROW(first->LoadPictures());
    EventProbe* second = Make(0, kBrick);  // the next object of the level still loads
    EXPECT_NO_THROW(second->LoadPictures());
    EXPECT_NO_THROW(second->Draw());  // the damaged picture is not tried again
}

TEST_F(ObjectLife, SplintersStopWhenTheirNationIsFull) {
    Class(kBrick, {}, {.patternWidth = 32, .patternHeight = 32});
    Class(kSplinter, {.minSpeed = 1, .maxSpeed = 4}, {.patternWidth = 8, .patternHeight = 8});
    Class(kSplinter + 1, {.minSpeed = 1, .maxSpeed = 4}, {.patternWidth = 8, .patternHeight = 8});
    Commit();
    TGPNation* splinters = Nation(kSplinterNation);
    splinters->MaxCount = 10;
    EventProbe* brick = Make(0, kBrick, 64, 64);
    const std::vector<int32_t> classes = {kSplinter, -1, kSplinter + 1};
    EXPECT_EQ(brick->Splinter(brick, 1000000, classes), 10);
    EXPECT_EQ(splinters->Objects.Count(), 10);
    for (TGPObject* piece : splinters->Objects) {
        EXPECT_EQ(piece->GetX(), 64 + 16 - 4);
        EXPECT_EQ(piece->GetY(), 64 + 16 - 4);
        EXPECT_GE(piece->SpeedFx, 65536);
        EXPECT_LE(piece->SpeedFx, 4 * 65536);
        EXPECT_EQ(static_cast<EventProbe*>(piece)->Count(TObjectEvent::OnBirth), 1);
    }
    std::vector<int32_t> kindsSeen;
    brick->OnGPSplinterEvent = [&](TObject* sender, TObject* dest, const std::vector<int32_t>& k,
                                   const std::vector<int32_t>&) {
        EXPECT_EQ(sender, kernel.get());
        EXPECT_EQ(dest, brick);
        kindsSeen = k;
    };
    brick->DoSplinterEvent(kernel.get(), {2, 2}, {kSplinter, kSplinter});
    EXPECT_EQ(kindsSeen, (std::vector<int32_t>{2, 2}));
}

TEST_F(ObjectLife, TheShakeExemptionOfTheTemplateKeepsTheOffsets) {
    Class(kBrick, {.addParamInt3 = 2});
    Class(kBrick + 1, {.addParamInt3 = 1});
    Commit();
    for (int32_t id : {kBrick, kBrick + 1}) {
        EventProbe* o = Make(0, id);
        o->Vibration.OffsetX = 77;
        o->SetParam(108, 1);  // random offsets
        o->SetParam(102, 5);
        o->SetParam(100, 1);
        o->Vibration.OffsetX = 77;
        for (int i = 0; i < 4; ++i) o->Move(0, {}, nullptr);
        if (id == kBrick)
            EXPECT_EQ(o->Vibration.OffsetX, 77);
        else
            EXPECT_NE(o->Vibration.OffsetX, 77);
    }
}

TEST_F(ObjectLife, ChildEffectsOfOneClassGoWhileTheWalkGoesOn) {
    Class(kBrick);
    Commit();
    EventProbe* o = Make(0, kBrick);
    for (int32_t id : {4, 4, 8, 4, 9, 4}) kernel->CreateObject(1, o, true, id);
    ASSERT_EQ(o->ChildSprites->Count(), 6);
    o->RemoveChildEffects(4);  // four of them leave the list under the walk
    ASSERT_EQ(o->ChildSprites->Count(), 2);
    EXPECT_EQ(o->ChildSprites->Items(0)->IDClass, 8);
    EXPECT_EQ(o->ChildSprites->Items(1)->IDClass, 9);
    EXPECT_EQ(PhantomPool().Count(), 4);
    o->SetDead(true);  // leaving play takes the rest along
    EXPECT_EQ(PhantomPool().Count(), 6);
}

TEST_F(ObjectLife, TheSharedValuesStartAfreshWithAGameAndForgetAPooledPlayer) {
    Class(kPaddle);
    Commit();
    EventProbe* paddle = Make(3, kPaddle);
    Shared().SetPlayer(paddle);
    EXPECT_EQ(Shared().Player(), paddle);
    paddle->SetDead(true);
    EXPECT_EQ(Shared().Player(), nullptr);
    Shared().Difficulty = 3;
    Shared().Score = 99;
    Shared().DropTable.push_back({});
    Shared().FloorLine = 300;
    kernel->FireCreateGames("Set");
    EXPECT_EQ(Shared().Difficulty, 1);
    EXPECT_DOUBLE_EQ(Shared().SpeedFactor, 1.0);
    EXPECT_EQ(Shared().Score, 0);
    EXPECT_TRUE(Shared().DropTable.empty());
    EXPECT_EQ(Shared().FloorLine, 490);
    EXPECT_TRUE(Shared().CatchFlag);
}

TEST(SharedPlayer, ADestroyedPaddleCountsAsNoneEvenWhenItsSlotIsTakenAgain) {
    TGPShared shared;
    auto paddle = std::make_unique<TGPObject>();
    shared.SetPlayer(paddle.get());
    EXPECT_EQ(shared.Player(), paddle.get());
    paddle.reset();  // asking the freed paddle for its generation would read freed memory
    EXPECT_EQ(shared.Player(), nullptr);
    auto next = std::make_unique<TGPObject>();  // takes the freed handle
    EXPECT_EQ(shared.Player(), nullptr);
    shared.SetPlayer(nullptr);
    EXPECT_EQ(shared.Player(), nullptr);
}

TEST_F(ObjectLife, AnObjectPooledWhenItsKernelEndedTakesItsClassAgainInTheNext) {
    Class(kBrick, {.toughness = 5}, {.patternWidth = 24});
    Commit();
    EventProbe* o = Make(0, kBrick);
    o->SetDead(true);
    kernel.reset();  // the pool keeps the object, without links into the kernel that ended
    EXPECT_EQ(o->Kernel, nullptr);
    EXPECT_EQ(o->Template, nullptr);
    EXPECT_EQ(o->CurrentSlide, nullptr);
    NextKernel();
    EventProbe* again = Make(0, kBrick);
    ASSERT_EQ(again, o);
    ASSERT_NE(again->CurrentSlide, nullptr);
    EXPECT_EQ(again->Width, 24);
    ASSERT_NE(again->Template, nullptr);
    EXPECT_EQ(again->HitPoints, 5);
}

TEST_F(ObjectLife, TheDescriptionsWeaponIsTakenOnceAndGoesBackWithTheObject) {
    Class(kPaddle, {.connectWeapon = true, .currentWeapon = 1, .idWeapon = "4\n6"});
    Commit();
    EventProbe* paddle = Make(3, kPaddle);
    ASSERT_NE(paddle->Weapon, nullptr);
    EXPECT_EQ(paddle->Weapon->IDClass, 6);
    TGPWeapon* first = paddle->Weapon;
    paddle->ApplyTemplate();  // applied again: the weapon held goes back first, and is taken again
    EXPECT_EQ(paddle->Weapon, first);
    EXPECT_EQ(WeaponPool().Count(), 0);
    paddle->SetDead(true);
    EXPECT_EQ(WeaponPool().Count(), 1);
    EXPECT_EQ(paddle->Weapon, nullptr);
    EXPECT_EQ(Make(3, kPaddle)->Weapon, first);
}

TEST_F(ObjectLife, TheClassScriptComesWithItsDescriptionRunsOnTheHooksAndFollowsIntoTheNextKernel) {
    Class(kBrick, {.processingEvents = true, .mdName = "Scripts\\Brick.cpc"});
    Class(kBrick + 1, {.mdName = "Scripts\\Brick.cpc"});  // scripts switched off
    Class(kBrick + 2, {.processingEvents = true, .mdName = "Broken.cpc"});
    // The bind names the script kernel the sound goes through.
    Script("Brick", "on ONCREATE\n  object bind SELF SELF 12\non ONBIRTH\n  object sound SELF 12 0 1\n");
    // Takes a spark for the object, then fails on a repeated name.
    Script("Broken", "on VAR\n  var S TGPPHANTOM\n  phantom bind S SELF 2\n  phantom param S 9 1\n  var S INTEGER\n");
    Commit();
    EventProbe* o = Make(0, kBrick);
    ASSERT_NE(o->Code, nullptr);
    o->RunOnBirth();
    EXPECT_EQ(kernel->CommandLine->EndMark, 6);
    EXPECT_EQ(Make(0, kBrick + 1)->Code, nullptr);

    EXPECT_THROW(Nation(0)->CreateFromPool(0, 0, false, kBrick + 2), rtl::EAbort);
    EXPECT_EQ(PhantomPool().Count(), 1) << "the spark went back before the failure went on";

    o->SetDead(true);
    kernel.reset();
    EXPECT_EQ(o->Code, nullptr) << "loaded from the level set of the kernel that ended";
    NextKernel();
    EventProbe* again = Make(0, kBrick);
    ASSERT_EQ(again, o);
    ASSERT_NE(again->Code, nullptr);
    EXPECT_EQ(again->Code->Variables().Get(TGPCode::kKernel).Object.Get(), kernel.get());
    again->RunOnBirth();
    EXPECT_EQ(kernel->CommandLine->EndMark, 6);
}

namespace {

// What a pooled object could carry over into its next life.
struct FreshState {
    int32_t kind, direction, column, frameIndex, condition;
    int32_t velocityX, velocityY, heading, orderPhase;
    double driftX, driftY, offsetX, offsetY, orbitStep, angle;
    uint8_t alive;
    bool visible, carrion, handlers;
    TVibration vibration;
    bool operator==(const FreshState& o) const {
        const TVibration &a = vibration, &b = o.vibration;
        return std::tie(kind, direction, column, frameIndex, condition, velocityX, velocityY, heading,
                        orderPhase, driftX, driftY, offsetX, offsetY, orbitStep, angle, alive, visible, carrion,
                        handlers) == std::tie(o.kind, o.direction, o.column, o.frameIndex, o.condition, o.velocityX,
                                              o.velocityY, o.heading, o.orderPhase, o.driftX, o.driftY,
                                              o.offsetX, o.offsetY, o.orbitStep, o.angle, o.alive, o.visible,
                                              o.carrion, o.handlers) &&
               std::tie(a.On, a.Counter, a.Period, a.AmplitudeX, a.AmplitudeY, a.CurX, a.CurY, a.OffsetX, a.OffsetY,
                        a.DecX, a.DecY, a.Steps, a.MaxSteps, a.Mode, a.Target, a.Count) ==
                   std::tie(b.On, b.Counter, b.Period, b.AmplitudeX, b.AmplitudeY, b.CurX, b.CurY, b.OffsetX,
                            b.OffsetY, b.DecX, b.DecY, b.Steps, b.MaxSteps, b.Mode, b.Target, b.Count);
    }
    friend std::ostream& operator<<(std::ostream& out, const FreshState& s) {
        return out << "kind " << s.kind << " direction " << s.direction << " column " << s.column << " frame "
                   << s.frameIndex << " slide " << s.condition << " velocity " << s.velocityX << "," << s.velocityY
                   << " offset " << s.offsetX << "," << s.offsetY << " angle " << s.angle << " vibration "
                   << int{s.vibration.On} << "/" << int{s.vibration.Mode} << "/" << s.vibration.AmplitudeX << "/"
                   << s.vibration.Steps << " handlers " << s.handlers;
    }
};

FreshState StateOf(const TGPObject& o) {
    return {o.Kind, o.Direction, o.Column, o.FrameIndex, o.CurrentSlide ? o.CurrentSlide->IDCondition : -1,
            o.VelocityXFx, o.VelocityYFx, o.Heading, o.OrderPhase, o.DriftX, o.DriftY, o.OffsetX,
            o.OffsetY, o.OrbitStep, o.Angle, o.Alive, o.Visible, o.Carrion,
            o.OnGPMove || o.OnGPEndVibration || o.OnSwitchVibration || o.OnGPSetKind, o.Vibration};
}

class LoopSound : public TKernelSound {
public:
    bool Looped() const override { return looped; }
    void SetLooped(bool value) override { looped = value; }
    bool Playing() const override { return looped; }
    void SetPosition(uint32_t) override {}
    void SetPosition3D(double, double, double) override {}
    void Play() override {}
    bool looped = true;
};

}  // namespace

TEST_F(ObjectLife, AnObjectTakenAgainFromThePoolStartsAsANewOneOfItsClass) {
    Class(kBall, {.ticksPerRotate = 7, .defaultSlide = 2}, {.linesWidth = 4, .linesHeight = 3, .defaultAniSprite = 1, .animationSprite = 2});
    Commit();
    rtl::RandSeed = 77;
    EventProbe* ball = Make(4, kBall, 40, 40);
    const FreshState fresh = StateOf(*ball);
    EXPECT_EQ(fresh.condition, 2);
    EXPECT_EQ(fresh.column, 1);

    // A full life: kinds, a spin, a size step, another slide, a shake, handlers, a loop.
    ball->Kind = kind::Hidden | kind::Fast | kind::ReverseX;
    ball->SetDGCDirection(77);
    ball->SetDGCSpeed(3);
    ball->LoadOneSlide(5);
    ball->SetFrame(3);
    ball->FrameIndex = 2;
    ball->Heading = 12;
    ball->OffsetX = 5;
    ball->OrbitStep = 0.5;
    ball->SetParam(1, 90);
    ball->SetParam(102, 9);
    ball->SetParam(108, 1);
    ball->SetParam(107, 4);
    ball->SetParam(109, reinterpret_cast<intptr_t>(static_cast<TGPStructure*>(ball)));
    ball->SetParam(100, 1);
    ball->Vibration.Steps = 3;
    ball->OnGPMove = [](TObject*) {};
    ball->OnGPSetKind = [](TObject*, int32_t) {};
    LoopSound loop;
    ball->LoopingSound = &loop;
    ASSERT_FALSE(StateOf(*ball) == fresh);

    ball->SetDead(true);
    EXPECT_FALSE(loop.looped);  // the loop ends with the object's time in play
    rtl::RandSeed = 77;
    EventProbe* again = Make(4, kBall, 40, 40);
    ASSERT_EQ(again, ball);
    EXPECT_EQ(StateOf(*again), fresh);
    EXPECT_EQ(again->TimerCount, 7);  // the description's, as the pool has always given it
    EXPECT_EQ(again->LoopingSound, nullptr);
    EXPECT_FALSE(again->Dead());
}
