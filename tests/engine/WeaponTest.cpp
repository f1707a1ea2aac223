// Weapons: descriptions by number, the delay between shots, volleys of stems, the aimed
// shot and its recoil, reuse from the pool, skins.
#include "ObjectFixture.h"

#include "engine/gpEffects.h"
#include "engine/gpWeapon.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace engine;
using enginetest::EventProbe;

namespace {

class Weapons : public enginetest::ObjectFixture {
protected:
    static constexpr int32_t kShot = 7, kThinPaddle = 2;

    Weapons() {
        Class(kPaddle, {}, {.patternWidth = 64, .patternHeight = 16, .baseRight = 64, .baseBottom = 16});
        Class(kThinPaddle, {}, {.patternWidth = 64, .patternHeight = 16, .baseRight = 0, .baseBottom = 16});
        Class(kShot, {.minSpeed = 2, .maxSpeed = 6}, {.patternWidth = 8, .patternHeight = 8, .baseRight = 8,
                                                     .baseBottom = 8});
        Weapon(1, {.idFlyClass = kShot, .timeOfDelays = 10});
        Weapon(2, {.idFlyClass = kShot, .idActionClass = 2, .numberOfStems = 3, .areaForStem = 10});
        Weapon(4, {.idFlyClass = kShot, .numberOfStems = 3, .areaForStem = 20});
        Weapon(5, {.idFlyClass = kShot, .numberOfStems = 7, .areaForStem = 10});
        Weapon(6, {.idFlyClass = kShot, .velX = -300, .velY = -300, .recoil = true, .shareOfRecoil = 2});
        Weapon(7, {.minDamage = 5, .maxDamage = 5, .ramdomDamage = true, .idSkinType = 1, .idSkinClass = 3});
        Commit();
        paddle = Make(3, kPaddle, 100, 400);
        paddle->DriftX = paddle->DriftY = 0;
        kernel->WeaponLog = [this](const std::string&, const std::string& text) { log.push_back(text); };
    }

    TGPWeapon* Arm(TGPObject* owner, int32_t number) {
        TGPWeapon* w = WeaponPool().Acquire(owner, number);
        EXPECT_EQ(owner->Weapon, w);
        return w;
    }
    // The shots of a nation, by X.
    std::vector<int32_t> ShotXs(int32_t key) {
        std::vector<int32_t> xs;
        for (TGPObject* o : Nation(key)->Objects)
            if (o->IDClass == kShot) xs.push_back(o->GetX());
        std::sort(xs.begin(), xs.end());
        return xs;
    }

    EventProbe* paddle = nullptr;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(Weapons, DescriptionsLoadByNumberOneToEight) {
    TGPWeaponStructure d;
    EXPECT_EQ(LoadWeaponStructure(kernel.get(), d, 9), nullptr);
    EXPECT_EQ(LoadWeaponStructure(kernel.get(), d, 0), nullptr);
    EXPECT_EQ(LoadWeaponStructure(kernel.get(), d, 3), nullptr);  // no entry
    ASSERT_EQ(LoadWeaponStructure(kernel.get(), d, 5), &d);
    EXPECT_EQ(d.NumberOfStems, 7);
    EXPECT_EQ(d.IDFlyClass, kShot);
    EXPECT_EQ(d.SoundID, -1);
}

TEST_F(Weapons, TheDelayCountsWholeTicksOfTheOwnersAge) {
    TGPWeapon* w = Arm(paddle, 1);
    paddle->Age = 100;
    w->Fire();
    EXPECT_EQ(ShotXs(3).size(), 1u);
    paddle->Age = 109;
    w->Fire();
    EXPECT_EQ(ShotXs(3).size(), 1u);
    paddle->Age = 110;
    w->Fire();
    EXPECT_EQ(ShotXs(3).size(), 2u);
}

TEST_F(Weapons, StemsSpreadAcrossTheOwnerAtLeastTheirAreaApart) {
    struct Case {
        int32_t number;
        std::vector<int32_t> xs;
    };
    // Owner at X 100, 64 wide; a stem 8 wide is centred on its slot.
    const Case cases[] = {{2, {112, 128, 144}}, {4, {112, 128, 144}}, {5, {105, 114, 123, 132, 141, 150}}};
    for (const Case& c : cases) {
        TGPWeapon* w = Arm(paddle, c.number);
        w->Fire();
        EXPECT_EQ(ShotXs(5), c.xs) << "weapon " << c.number;
        for (TGPObject* shot : Nation(5)->Objects) {
            EXPECT_EQ(shot->Direction, 192);
            EXPECT_EQ(shot->ShotWeapon(), w);
            EXPECT_EQ(shot->ShotOwner(), paddle);
        }
        Nation(5)->Objects.KillAll();
        WeaponPool().Release(w);
    }
    EXPECT_GE(paddle->ChildSprites->Count(), 3);  // a flash at each stem of weapon 2
}

TEST_F(Weapons, AnOwnerWithoutWidthFiresNoVolley) {
    EventProbe* thin = Make(3, kThinPaddle, 100, 400);
    TGPWeapon* w = Arm(thin, 2);
    EXPECT_NO_THROW(w->Fire());
    EXPECT_TRUE(ShotXs(5).empty());
}

TEST_F(Weapons, TheAimedShotLeavesAlongTheOwnersFacingWithRecoil) {
    TGPWeapon* w = Arm(paddle, 6);
    w->Fire();
    ASSERT_EQ(ShotXs(3).size(), 1u);
    TGPObject* shot = nullptr;
    for (TGPObject* o : Nation(3)->Objects)
        if (o->IDClass == kShot) shot = o;
    EXPECT_DOUBLE_EQ(shot->DriftX, 424 / 300.0);
    EXPECT_DOUBLE_EQ(shot->DriftY, 0.0);
    EXPECT_DOUBLE_EQ(paddle->DriftX, -(424 / 300.0) / 2);
    EXPECT_EQ(shot->GetX(), 100 + 32 - 4);
    EXPECT_EQ(shot->GetY(), 400 + 8 - 4);
    EXPECT_EQ(shot->ShotOwner(), paddle);
}

TEST_F(Weapons, AMissingDescriptionFiresNothingAndSaysSoOnce) {
    TGPWeapon* w = Arm(paddle, 3);
    EXPECT_EQ(w->Description().IDFlyClass, 0);
    w->Fire();
    paddle->Age = 1000;
    w->Fire();
    EXPECT_TRUE(ShotXs(3).empty());
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(Weapons, AReusedWeaponServesAYoungerOwnerAtOnce) {
    TGPWeapon* w = Arm(paddle, 1);
    paddle->Age = 500;
    w->Fire();
    WeaponPool().Release(w);
    EXPECT_EQ(paddle->Weapon, nullptr);
    EventProbe* young = Make(3, kPaddle, 300, 400);
    TGPWeapon* again = Arm(young, 1);
    EXPECT_EQ(again, w);
    EXPECT_EQ(young->Age, 0u);
    again->Fire();
    EXPECT_EQ(ShotXs(3).size(), 2u);
}

TEST_F(Weapons, EqualDamagesAndTheSkin) {
    TGPWeapon* w = Arm(paddle, 7);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w->GetDamage(), 5);
    TGPPhantom* skin = w->Skin();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->IDClass, 3);
    EXPECT_TRUE(paddle->ChildSprites->Contains(skin));
    WeaponPool().Release(w);
    EXPECT_EQ(w->Skin(), nullptr);
    EXPECT_TRUE(PhantomPool().Holds(skin));
    // Taken again: a new skin at the description's offsets.
    TGPWeapon* again = Arm(paddle, 7);
    ASSERT_NE(again->Skin(), nullptr);
}

TEST_F(Weapons, FreeSlotsAreDistinctAndRunOut) {
    std::bitset<256> used;
    std::vector<int32_t> slots;
    for (int i = 0; i < 6; ++i) slots.push_back(TGPWeapon::TakeFreeSlot(used, 6));
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(TGPWeapon::TakeFreeSlot(used, 6), 0);
}
