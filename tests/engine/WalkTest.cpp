// Loops whose body can send objects to a pool: a nation's move, and the drawing of child
// sprites by the kernel, the map and game objects. Each test kills during the walk.
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "media/GPTimer.h"
#include "platform/window/Application.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace engine;
using enginetest::CountingPhantom;

namespace {

// A game object whose move runs `during` (which may free any object of its nation).
class Mover : public enginetest::ProbeObject {
public:
    std::function<void(Mover&)> during;
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override {
        ProbeObject::Move(mode, rect, list);
        if (mode == 0 && during) during(*this);
    }
};

class Walks : public ::testing::Test {
protected:
    Walks() {
        platform::window::App().SetActive(true);
        platform::window::App().SetMainFormActive(true);
        enginetest::EmptyPools();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, nullptr);
        map = std::make_unique<TGPMap>();
        map->Create(kernel.get(), 0);
        nation = kernel->NationByKey(0);
        nation->ObjectFactory = [] { return std::make_unique<Mover>(); };
    }
    ~Walks() override {
        kernel.reset();
        // The counting phantoms belong to the test, not to the pool: take them out first.
        PhantomPool().Clear();
        phantoms.clear();
        enginetest::EmptyPools();
    }
    std::vector<Mover*> Objects(int n) {
        std::vector<Mover*> out;
        for (int i = 0; i < n; ++i) out.push_back(static_cast<Mover*>(nation->CreateObject(0, 0, 12 + i)));
        return out;
    }
    // Three counting phantoms owned by holder; the middle one ends while it is drawn.
    std::vector<CountingPhantom*> ThreePhantomsOn(TGPStructure* holder) {
        std::vector<CountingPhantom*> out;
        for (int i = 0; i < 3; ++i) {
            phantoms.push_back(std::make_unique<CountingPhantom>());
            phantoms.back()->Create(holder, 20 + i);
            out.push_back(phantoms.back().get());
        }
        out[1]->whileDrawn = [](CountingPhantom& p) { p.SetCarrion(true); };
        return out;
    }
    static std::vector<int> Draws(const std::vector<CountingPhantom*>& ps) {
        std::vector<int> out;
        for (auto* p : ps) out.push_back(p->draws);
        return out;
    }

    enginetest::HeadlessDisplay display;
    std::unique_ptr<TGPKernel> kernel;
    std::unique_ptr<TGPMap> map;
    TGPNation* nation = nullptr;
    std::vector<std::unique_ptr<CountingPhantom>> phantoms;
};

}  // namespace

TEST_F(Walks, WhenAMoveRemovesTwoEarlierObjectsEveryLaterOneStillMovesOnce) {
    auto o = Objects(5);
    o[2]->during = [&](Mover&) {
        kernel->FreeObject(2, o[0]);
        kernel->FreeObject(2, o[1]);
    };
    nation->Move(0, {}, nullptr);
    EXPECT_EQ(o[0]->steps, 1);
    EXPECT_EQ(o[1]->steps, 1);
    EXPECT_EQ(o[2]->steps, 1);
    EXPECT_EQ(o[3]->steps, 1);
    EXPECT_EQ(o[4]->steps, 1);
    EXPECT_EQ(nation->Objects.Count(), 3);
}

TEST_F(Walks, ObjectsThatLeaveBeforeTheirTurnAreSkippedAndNewcomersWaitForTheNextPass) {
    auto o = Objects(5);
    Mover* newcomer = nullptr;
    o[1]->during = [&, done = false](Mover& self) mutable {
        if (done) return;
        done = true;
        kernel->FreeObject(2, &self);  // itself
        kernel->FreeObject(2, o[3]);   // and one not yet moved
        newcomer = static_cast<Mover*>(nation->CreateObject(0, 0, 40));
    };
    nation->Move(0, {}, nullptr);
    EXPECT_EQ((std::vector<int>{o[0]->steps, o[1]->steps, o[2]->steps, o[3]->steps, o[4]->steps}),
              (std::vector<int>{1, 1, 1, 0, 1}));
    ASSERT_NE(newcomer, nullptr);
    EXPECT_EQ(newcomer->steps, 0);

    // A pooled object that comes back in the same pass is a new object of play: it waits.
    Mover* back = nullptr;
    o[0]->during = [&](Mover&) {
        kernel->FreeObject(2, o[4]);
        back = static_cast<Mover*>(nation->CreateFromPool(0, 0, false, 16));
    };
    nation->Move(0, {}, nullptr);
    ASSERT_EQ(back, o[4]);
    EXPECT_EQ(o[4]->steps, 1);
    EXPECT_EQ(newcomer->steps, 1);
    EXPECT_EQ(o[2]->steps, 2);
}

TEST_F(Walks, EveryObjectLeavingDuringThePassEndsItCleanly) {
    auto o = Objects(4);
    o[0]->during = [&](Mover&) { nation->Objects.KillAll(); };
    nation->Move(0, {}, nullptr);
    EXPECT_EQ(o[0]->steps, 1);
    EXPECT_EQ(o[1]->steps + o[2]->steps + o[3]->steps, 0);
    EXPECT_TRUE(nation->Objects.Empty());
}

TEST_F(Walks, APhantomEndingWhileTheKernelDrawsItNeitherSkipsASiblingNorOverruns) {
    auto ps = ThreePhantomsOn(kernel.get());
    kernel->Draw();
    EXPECT_EQ(Draws(ps), (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(PhantomPool().Holds(ps[1]));
    EXPECT_EQ(kernel->ChildSprites->Count(), 2);
    ps[2]->whileDrawn = [](CountingPhantom& p) { p.SetCarrion(true); };  // the last one ends too
    kernel->Draw();
    EXPECT_EQ(Draws(ps), (std::vector<int>{2, 1, 2}));
    EXPECT_EQ(ps[0]->lastTarget, kernel.get());
    EXPECT_EQ(kernel->ChildSprites->Count(), 1);
}

TEST_F(Walks, APhantomEndingWhileTheMapDrawsItNeitherSkipsASiblingNorOverruns) {
    auto ps = ThreePhantomsOn(map.get());
    map->Draw();
    EXPECT_EQ(Draws(ps), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(ps[2]->lastTarget, map.get());
    EXPECT_EQ(map->ChildSprites->Count(), 2);
    kernel->Condition = ck_MainInterface;  // no effects over an interface
    map->Draw();
    EXPECT_EQ(Draws(ps), (std::vector<int>{1, 1, 1}));
}

TEST_F(Walks, APhantomEndingWhileItsObjectDrawsItNeitherSkipsASiblingNorOverruns) {
    nation->ObjectFactory = nullptr;  // a plain game object draws its effects after itself
    TGPObject* obj = nation->CreateObject(0, 0, 12);
    auto ps = ThreePhantomsOn(obj);
    ps[0]->whileDrawn = [](CountingPhantom& p) { p.SetCarrion(true); };  // the first and the middle end
    obj->DrawRidersAndEffects();  // the last step of its drawing (it has no picture here)
    EXPECT_EQ(Draws(ps), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(ps[2]->lastTarget, obj);
    EXPECT_EQ(obj->ChildSprites->Count(), 1);
    EXPECT_EQ(obj->ChildSprites->First(), ps[2]);
}
