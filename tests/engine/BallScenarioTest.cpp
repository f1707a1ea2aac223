// A whole rally on a headless kernel and map: the paddle follows the ball under scripted
// input, the ball rides the paddle until it is released, a wall of twelve bricks (one of
// steel) is cleared, and the run is the same every time, tick by tick.
#include "BehaviourFixture.h"

#include "rtl/Numbers.h"

#include <cstdint>
#include <vector>

using namespace engine;
using enginetest::EventProbe;

namespace {

constexpr int kTickLimit = 3000;
// The digest of every tick of the rally, recorded from a run.
constexpr uint64_t kRecordedDigest = 1112714687939346392ull;

class BallScenario : public enginetest::BehaviourFixture {
protected:
    struct Run {
        std::vector<uint64_t> digests;  // one per tick
        int clearedAt = -1;             // the tick the last destructible brick went
        long allocations = -1;          // in the ticks after the wall was cleared
    };

    Run Play() {
        rtl::RandSeed = 20261209;
        for (int32_t key : {0, 1, 2, 3, 4}) Nation(key)->Reset();
        enginetest::EmptyPools();  // every object made new, as in a fresh program
        Shared().Reset();
        Shared().FloorLine = kFloor;
        Shared().Difficulty = 2;
        TGPObject* paddle = Paddle(256);
        TGPObject* ball = Make(4, kBall, 280, 470);
        ball->SetDGCSpeed(4);
        int releaseAt = 5;
        auto ride = [&] {
            ball->SetOwner(paddle);
            ball->SetKind(kind::Riding);
        };
        ride();
        // The shell's stand-ins: a struck brick dies on its second strike; the paddle
        // carries its riders; a lost ball goes back on the paddle.
        std::vector<TGPObject*> bricks;
        for (int i = 0; i < 12; ++i) {
            TGPObject* b = Make(0, i == 5 ? kSteel : kBrick, 40 + 44 * i, 96 + 24 * (i % 2));
            b->OnGPEndVibration = [](TObject* s) {
                auto* brick = static_cast<TGPObject*>(s);
                if (brick->HitPoints != kIndestructible) brick->SetDead(true);
            };
            bricks.push_back(b);
        }
        std::vector<uint16_t> generations;
        for (TGPObject* b : bricks) generations.push_back(b->Generation());
        paddle->OnGPMove = [](TObject* s) {
            auto* p = static_cast<TGPObject*>(s);
            for (int i = 0; i < p->RiderCount(); ++i) {
                TGPObject* r = (*p->Riders)[i];
                r->SetX(p->GetX() + p->CollisionRect.Left + static_cast<int32_t>(rtl::Round(r->OffsetX)));
                r->SetY(p->GetY() + static_cast<int32_t>(rtl::Round(r->OffsetY)));
            }
        };
        int tick = 0;
        kernel->OnGPEndLife = [&](TObject*) {
            ball->SetX(paddle->GetX() + 24);
            ride();
            releaseAt = tick + 5;
        };
        auto left = [&] {
            int n = 0;
            for (size_t i = 0; i < bricks.size(); ++i)
                n += i != 5 && bricks[i]->Generation() == generations[i];
            return n;
        };
        Run run;
        auto step = [&] {
            if (paddle->RiderCount() > 0 && tick >= releaseAt) paddle->ReleaseRiders(false);
            const int32_t diff = (ball->GetX() + 8) - (paddle->GetX() + 32);
            paddle->SetOrder(3, 0, diff > 4 ? 1 : diff < -4 ? -1 : 0, 0, 3);
            kernel->MoveAll();
            kernel->RunCommands();
            uint64_t h = 1469598103934665603ull;
            for (int64_t v : {int64_t{ball->XFx}, int64_t{ball->YFx}, int64_t{ball->Direction}, int64_t{paddle->XFx},
                              int64_t{Shared().Score}}) {
                h ^= static_cast<uint64_t>(v);
                h *= 1099511628211ull;
            }
            run.digests.push_back(h);
            ++tick;
        };
        while (tick < kTickLimit && run.clearedAt < 0) {
            step();
            if (left() == 0) run.clearedAt = tick;
        }
        if (run.clearedAt < 0) return run;
        for (int i = 0; i < 50; ++i) step();  // warm-up of the rally without bricks
        enginetest::AllocationCounter::Scope scope;
        for (int i = 0; i < 200; ++i) step();
        run.allocations = scope.Allocations();
        return run;
    }
};

TEST_F(BallScenario, TheWallIsClearedAndEveryRunIsTheSame) {
    const Run first = Play();
    ASSERT_GT(first.clearedAt, 0) << "the destructible bricks are gone before the tick limit";
    EXPECT_EQ(first.allocations, 0);
    const Run second = Play();
    EXPECT_EQ(first.digests, second.digests);
    uint64_t all = 0;
    for (uint64_t d : first.digests) all = all * 31 + d;
    EXPECT_EQ(all, kRecordedDigest);
}

}  // namespace
