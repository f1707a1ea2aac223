// Objects of play live in their pools for the life of the program: nothing is freed during
// play, every reference that can outlive an object checks its generation, and whatever a
// kernel leaves behind in the pools forgets it when it ends.
#include "engine/gpCmdExecute.h"
#include "engine/gpCrowd.h"
#include "engine/gpEffects.h"
#include "engine/gpErrors.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpWeapon.h"
#include "media/GPTimer.h"
#include "platform/window/Application.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

using namespace engine;
using enginetest::ProbeObject;

namespace {

class CountingSound : public TKernelSound {
public:
    bool Looped() const override { return false; }
    void SetLooped(bool) override {}
    bool Playing() const override { return false; }
    void SetPosition(uint32_t) override {}
    void SetPosition3D(double, double, double) override {}
    void Play() override { ++plays; }
    int plays = 0;
};

class OneSound : public TKernelSoundRegister {
public:
    TKernelSound* SoundOfNumber(TGPKernel&, int32_t, int32_t) override { return &sound; }
    TKernelSound* SoundOfSlide(TGPKernel&, TGPStructure*, int32_t) override { return &sound; }
    void ClearLoaded() override {}
    CountingSound sound;
};

class NoDevice : public TKernelSoundDevice {
public:
    bool Sound3D() const override { return false; }
    void SetSound3D(bool) override {}
    void CommitDeferredSettings() override {}
};

// Records the creation steps the nation runs for it.
class HookedObject : public ProbeObject {
public:
    void SetParam(int32_t code, int64_t value) override {
        if (code == 111) switches.push_back({GetX(), GetY()});
        ProbeObject::SetParam(code, value);
    }
    std::vector<std::pair<int32_t, int32_t>> switches;
};

// Runs `during` at the start of each of its moves.
class ClearingObject : public ProbeObject {
public:
    std::function<void()> during;
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override {
        if (during) during();
        ProbeObject::Move(mode, rect, list);
    }
};

class PoolLifetime : public ::testing::Test {
protected:
    PoolLifetime() {
        platform::window::App().SetActive(true);
        platform::window::App().SetMainFormActive(true);
        enginetest::EmptyPools();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, std::make_unique<NoDevice>());
        auto owned = std::make_unique<OneSound>();
        sounds = owned.get();
        kernel->SoundRegister = std::move(owned);
        map = std::make_unique<TGPMap>();
        map->Create(kernel.get(), 0);
    }
    ~PoolLifetime() override {
        kernel.reset();
        enginetest::EmptyPools();
    }
    TGPNation* Nation(int32_t key) {
        TGPNation* n = kernel->NationByKey(key);
        n->ObjectFactory = [] { return std::make_unique<HookedObject>(); };
        return n;
    }

    enginetest::HeadlessDisplay display;
    OneSound* sounds = nullptr;  // owned by the kernel
    std::unique_ptr<TGPKernel> kernel;
    std::unique_ptr<TGPMap> map;
};

}  // namespace

TEST_F(PoolLifetime, AnObjectWithoutASlideIsRetiredNotFreedWhileACommandStillNamesIt) {
    TGPNation* balls = Nation(4);
    TGPObject* ball = balls->CreateObject(10, 10, 62);
    ASSERT_NE(ball, nullptr);
    kernel->CommandLine->AddSound(5, ball, 0, 0, 0, 1, 1);
    kernel->SelectionMode = 2;
    kernel->Executor->SelectObject(ball, false);
    ASSERT_EQ(kernel->Selected, ball);
    ball->Loaded = false;  // its class lost its slides
    kernel->FreeObject(2, ball);
    EXPECT_EQ(balls->CreateFromPool(0, 0, false, 62), nullptr);

    // Still pool memory, out of reuse; the queued sound names an older generation.
    EXPECT_TRUE(ObjectPool().Holds(ball));
    EXPECT_EQ(ObjectPool().RetiredCount(), 1);
    EXPECT_EQ(ObjectPool().Count(), 0);
    EXPECT_TRUE(balls->Objects.Empty());
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 0);
    EXPECT_EQ(kernel->Selected, nullptr);  // an object out of play is selected no more

    TGPObject* fresh = balls->CreateFromPool(0, 0, false, 62);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, ball);  // the retired one is never handed out again
    kernel->Clear();         // the level reset frees it with the rest
    EXPECT_EQ(ObjectPool().RetiredCount(), 0);
    EXPECT_EQ(ObjectPool().Count(), 0);
}

TEST_F(PoolLifetime, AFreedStructureNamedByACommandIsSkippedWithoutReadingIt) {
    auto widget = std::make_unique<TGPStructure>();
    widget->Create(kernel.get(), 0);
    const uint32_t handle = widget->Handle();
    const uint16_t generation = widget->Generation();
    kernel->CommandLine->AddSound(1, widget.get(), 0, 0, 0, 1, 1);
    EXPECT_EQ(TGPStructure::FromHandle(handle, generation), widget.get());
    widget.reset();
    EXPECT_EQ(TGPStructure::FromHandle(handle, generation), nullptr);
    auto other = std::make_unique<TGPStructure>();  // may take the freed slot: a new generation
    if (other->Handle() == handle) {
        EXPECT_NE(other->Generation(), generation);
    }
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 0);
    EXPECT_EQ(TGPStructure::FromHandle(0, 0), nullptr);
    EXPECT_EQ(TGPStructure::FromHandle(0xFFFFFFF0u, 0), nullptr);
}

TEST_F(PoolLifetime, CreationHooksRunOnceAfterPlacingWhetherReusedOrNew) {
    TGPNation* bricks = Nation(0);
    std::vector<std::pair<int32_t, int32_t>> created;
    bricks->OnCreateObject = [&](TGPNation*, TGPObject* o) { created.push_back({o->GetX(), o->GetY()}); };
    auto* made = static_cast<HookedObject*>(bricks->CreateFromPool(130, 70, false, 12));  // none pooled
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(created, (std::vector<std::pair<int32_t, int32_t>>{{130, 70}}));
    EXPECT_EQ(made->switches, (std::vector<std::pair<int32_t, int32_t>>{{130, 70}}));

    kernel->FreeObject(2, made);
    made->switches.clear();
    created.clear();
    EXPECT_EQ(bricks->CreateFromPool(5, 6, false, 12), made);  // reused
    EXPECT_EQ(created, (std::vector<std::pair<int32_t, int32_t>>{{5, 6}}));
    EXPECT_EQ(made->switches.back(), (std::pair<int32_t, int32_t>{5, 6}));

    created.clear();
    TGPObject* direct = bricks->CreateObject(1, 2, 13);  // outside the pool: once as well
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(created.size(), 1u);
    created.clear();
    TGPStructure* made14 = kernel->CreateObject(2, bricks, true, 14);  // the pool makes it: once
    ASSERT_NE(made14, nullptr);
    EXPECT_EQ(created.size(), 1u);

    // Taken again, it is given what a new one is given: its hooks once, the handler a
    // test set in its last life gone.
    made14->OnGPMove = [](TObject*) {};
    kernel->FreeObject(2, made14);
    created.clear();
    EXPECT_EQ(kernel->CreateObject(2, bricks, true, 14), made14);
    EXPECT_EQ(created.size(), 1u);
    EXPECT_FALSE(made14->OnGPMove);
}

TEST_F(PoolLifetime, AKernelsEndLeavesNoPooledObjectPointingAtIt) {
    TGPNation* bricks = Nation(0);
    TGPObject* brick = bricks->CreateObject(0, 0, 12);
    auto* spark = dynamic_cast<TGPPhantom*>(kernel->CreateObject(1, brick, false, 3));
    auto* flash = dynamic_cast<TGPPhantom*>(kernel->CreateObject(1, kernel.get(), false, 4));
    auto* gun = dynamic_cast<TGPWeapon*>(kernel->CreateObject(3, brick, false, 1));
    ASSERT_TRUE(spark && flash && gun);
    brick->Weapon = gun;
    int pushes = 0;
    kernel->OnPUSH = [&](TObject*) { ++pushes; };
    kernel.reset();

    EXPECT_EQ(pushes, 0);  // the end is not reported to a shell that is going away
    ASSERT_TRUE(ObjectPool().Holds(brick));
    EXPECT_EQ(brick->Kernel, nullptr);
    EXPECT_EQ(brick->Group, nullptr);
    EXPECT_EQ(brick->Owner, nullptr);
    for (TGPPhantom* p : {spark, flash}) {
        ASSERT_TRUE(PhantomPool().Holds(p));
        EXPECT_EQ(p->Kernel, nullptr);
        EXPECT_EQ(p->Owner, nullptr);
    }
    ASSERT_TRUE(WeaponPool().Holds(gun));
    EXPECT_EQ(gun->Kernel, nullptr);
    EXPECT_EQ(gun->Owner, nullptr);
    EXPECT_EQ(GlobalKernel(), nullptr);

    // A later kernel takes them again, linked to itself.
    kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
    TGPNation* again = kernel->NationByKey(0);
    EXPECT_EQ(again->CreateFromPool(0, 0, false, 12), brick);
    EXPECT_EQ(brick->Kernel, kernel.get());
    EXPECT_EQ(brick->Group, again);
    EXPECT_EQ(kernel->CreateObject(1, kernel.get(), false, 4), flash);
    EXPECT_EQ(flash->Kernel, kernel.get());
}

TEST_F(PoolLifetime, ChildSpritesOfAStructureWithoutAKernelStillGoBackToTheirPool) {
    TGPObject loose;
    loose.Create(nullptr, 12);
    ASSERT_EQ(loose.Kernel, nullptr);
    TGPPhantom* spark = PhantomPool().Acquire(&loose, 3);
    ASSERT_TRUE(loose.ChildSprites && loose.ChildSprites->Contains(spark));
    loose.Clear();
    EXPECT_TRUE(loose.ChildSprites->Empty());
    EXPECT_TRUE(PhantomPool().Holds(spark));  // in a place: the pool, ready for reuse
    EXPECT_EQ(PhantomPool().Acquire(&loose, 3), spark);
    PhantomPool().Release(spark);
    PhantomPool().OwnerGone(&loose);
    EXPECT_EQ(spark->Owner, nullptr);

    // A map that goes before its kernel hands its effects back and is forgotten by them.
    TGPPhantom* smoke = PhantomPool().Acquire(map.get(), 5);
    ASSERT_TRUE(map->ChildSprites->Contains(smoke));
    map.reset();
    EXPECT_TRUE(PhantomPool().Holds(smoke));
    EXPECT_EQ(smoke->Owner, nullptr);
    EXPECT_EQ(kernel->Map, nullptr);
}

TEST_F(PoolLifetime, ThePoolRefusesToFreeObjectsWhileTheyAreWalked) {
    TGPNation* bricks = kernel->NationByKey(0);
    bricks->ObjectFactory = [] { return std::make_unique<ClearingObject>(); };
    auto* walker = static_cast<ClearingObject*>(bricks->CreateObject(0, 0, 12));
    TGPObject* pooled = bricks->CreateObject(0, 0, 13);
    kernel->FreeObject(2, pooled);
    std::string refused;
    walker->during = [&] {
        try {
            ObjectPool().Clear();
        } catch (const EStackObject& e) {
            refused = std::string(e.className()) + ": " + e.message();
        }
    };
    bricks->Move(0, {}, nullptr);
    EXPECT_EQ(refused, "EStackObject: TStackObject.Clear");
    EXPECT_EQ(ObjectPool().Count(), 1);  // nothing was freed under the walk
    EXPECT_EQ(walker->steps, 1);
    walker->during = nullptr;
    ObjectPool().Clear();  // outside a walk it frees
    EXPECT_EQ(ObjectPool().Count(), 0);
}

TEST_F(PoolLifetime, KillAllEmptiesAnyListAndSendsWeaponsChildrenAndOrdersBack) {
    TGPNation* monsters = Nation(2);
    TGPObject* m1 = monsters->CreateObject(0, 0, 3);
    TGPObject* m2 = monsters->CreateObject(0, 0, 32);
    auto* gun = dynamic_cast<TGPWeapon*>(kernel->CreateObject(3, m1, false, 2));
    m1->Weapon = gun;  // a new weapon is the caller's to attach
    auto* spark = dynamic_cast<TGPPhantom*>(kernel->CreateObject(1, m2, false, 3));
    TOrder* order = kernel->OrderPool->Acquire();
    m2->Orders = order;
    ASSERT_TRUE(gun && spark);
    std::vector<TObject*> pushed;
    kernel->OnPUSH = [&](TObject* s) { pushed.push_back(s); };

    TListGPObject chosen;  // not the nation's list: the pool does not unlink from it
    chosen.Add(m1);
    chosen.Add(m2);
    chosen.KillAll();
    EXPECT_TRUE(chosen.Empty());
    EXPECT_TRUE(monsters->Objects.Empty());
    EXPECT_TRUE(ObjectPool().Holds(m1) && ObjectPool().Holds(m2));
    EXPECT_TRUE(WeaponPool().Holds(gun));
    EXPECT_EQ(m1->Weapon, nullptr);
    EXPECT_TRUE(PhantomPool().Holds(spark));
    EXPECT_EQ(m2->Orders, nullptr);
    EXPECT_EQ(kernel->OrderPool->UsedCount(), 0);
    EXPECT_EQ(pushed, (std::vector<TObject*>{gun, m1, spark, m2}));

    TGPObject* m3 = monsters->CreateFromPool(0, 0, false, 3);
    ASSERT_EQ(m3, m1);
    monsters->Objects.KillAll();
    EXPECT_TRUE(monsters->Objects.Empty());
    EXPECT_TRUE(ObjectPool().Holds(m1));
}
