// Game objects end to end, through the kernel's real tick on the headless display: a ball
// moved in 16.16 by an order routine strikes a brick riding the paddle; the collision pass
// answers, the brick scores, runs its class script (from the level set's "Code_Unit"), dies,
// goes back to the pool and leaves a prize and splinters behind; the same brick comes back
// clean, and a second round allocates nothing. Objects killed while their nation is walked.
#include "ObjectFixture.h"

#include "engine/gpCmdExecute.h"
#include "engine/gpEffects.h"
#include "engine/gpMap.h"
#include "media/GPTimer.h"

#include <algorithm>
#include <array>
#include <vector>

using namespace engine;
using enginetest::EventProbe;

namespace {

// ---- The ball's order: a stand-in for the behaviours ----

// What the ball's routine works with; one test runs at a time.
struct Play {
    TGPNation* bricks = nullptr;
    int32_t roll = 500;  // the shell's Random(1000) for the prize
    int replies = 0;
};
Play play;

// Steps in 16.16 and files a move request for each brick it overlaps; the reply strikes the
// first obstacle as the shell does (score and script, the prize the drop table names, the
// hit) and turns the ball back.
uint8_t BallRoutine(TGPObject& ball, uint8_t mode, const TRect&, rtl::List<TGPStructure*>* list) {
    if (mode == 0) {
        ball.StepX();
        ball.StepY();
        const TRect own = ball.GetRect();
        for (TGPObject* brick : play.bricks->Objects) {
            const TRect r = brick->GetRect();
            if (r.Left < own.Right && own.Left < r.Right && r.Top < own.Bottom && own.Top < r.Bottom)
                ball.AskMove(brick, own, r);
        }
        return 0;
    }
    ++play.replies;
    auto* brick = list && !list->Empty() ? dynamic_cast<TGPObject*>(list->First()) : nullptr;
    if (!brick) return 0;
    brick->KilledBy(&ball);
    const int32_t prize[] = {brick->PickBonus(play.roll)};
    const int32_t kinds[] = {2};
    brick->DropBonus(prize, kinds);
    brick->Hit(&ball, &ball);
    ball.VelocityXFx = -ball.VelocityXFx;
    return 0;
}

// The brick's class script: a spark the map keeps, shown where the brick was struck; a sound
// when struck and one when it dies; as many splinters as twenty rounds give.
constexpr const char* kBrickScript = R"(
on VAR
  var SPARK TGPPHANTOM
on ONCREATE
  phantom bind SPARK MAP 2
on ONCOLLISION
  phantom param SPARK 2 SELF.X
  phantom param SPARK 3 SELF.Y
  object sound SELF 12 0 1
  object splinter SELF 20 157 -1
on ONCARRION
  object sound SELF 13 0 1
)";

class ObjectEndToEnd : public enginetest::ObjectFixture {
protected:
    static constexpr int32_t kBallStartX = 80, kBallY = 188, kBrickX = 110;
    static constexpr int32_t kBallVelocity = 0x14000;  // 1.25 pixels per tick
    static constexpr int32_t kToughness = 3, kPrice = 25, kMinSpeed = 2;

    ObjectEndToEnd() {
        play = {};
        Class(kPaddle, {}, {.patternWidth = 64, .patternHeight = 16, .baseRight = 64, .baseBottom = 16});
        Class(kBrick,
              {.processingEvents = true, .mdName = "Scripts\\Brick.cpc", .minSpeed = kMinSpeed, .maxSpeed = 4,
               .toughness = kToughness, .priceForDeath = kPrice},
              {.patternWidth = 32, .patternHeight = 16, .baseRight = 32, .baseBottom = 16});
        Class(kBall, {}, {.patternWidth = 8, .patternHeight = 8, .baseRight = 8, .baseBottom = 8});
        Class(kPrize, {}, {.patternWidth = 10, .patternHeight = 10, .baseRight = 10, .baseBottom = 10});
        Class(kSplinter, {.minSpeed = 1, .maxSpeed = 3}, {.patternWidth = 4, .patternHeight = 4});
        for (const char* key : {"Unit1_Birth", "Unit12_Birth", "Unit62_Birth", "Unit42_Birth", "Unit157_Birth"})
            Picture(key, datagen::SolidPicture(8, 8, 0x40C0FF));
        Script("Brick", kBrickScript);
        Commit();
        Nation(kSplinterNation)->MaxCount = 10;
        Nation(kPrizeNation);
        Shared().DropTable = {{1, 0, 1000, 0x105, kPrize}};
        Shared().Difficulty = 2;
        play.bricks = Nation(0);
        paddle = Make(3, kPaddle, 100, 200);
        ball = Make(4, kBall, kBallStartX, kBallY);
        ball->InstallOrder(&BallRoutine, 0);
        kernel->OnGPMove = [this](TObject*) { Capture(); };
    }

    // A brick riding the paddle and selected: what its return to the pool must undo.
    EventProbe* RidingBrick() {
        EventProbe* brick = Make(0, kBrick, kBrickX, 0);
        if (!brick) return nullptr;
        brick->SetOwner(paddle);
        brick->SetKind(kind::Riding);
        brick->SetInCrowd(true);
        brick->HitPoints = 77;  // values the description gives back on reuse
        brick->MinSpeedFx = 0;
        return brick;
    }
    void Launch() {
        ball->XFx = kBallStartX << 16;
        ball->YFx = kBallY << 16;
        ball->VelocityXFx = kBallVelocity;
        ball->VelocityYFx = 0;
    }
    void Tick() {
        media::PublishSharedClock(clock += 22);
        kernel->Tick();
    }
    // The deferred commands of the tick, seen before the tick runs them.
    void Capture() {
        const TExecuteLine& line = *kernel->CommandLine;
        if (line.EndMark == 0) return;
        queued = std::min<int32_t>(line.EndMark, static_cast<int32_t>(words.size()));
        for (int32_t i = 0; i < queued; ++i) words[static_cast<size_t>(i)] = line.Buffer[static_cast<size_t>(i)];
    }
    std::vector<TGPPhantom*> MapPhantoms() const {
        std::vector<TGPPhantom*> found;
        if (map->ChildSprites)
            for (int i = 0; i < map->ChildSprites->Count(); ++i)
                if (auto* p = dynamic_cast<TGPPhantom*>(map->ChildSprites->Items(i))) found.push_back(p);
        return found;
    }

    EventProbe* paddle = nullptr;
    EventProbe* ball = nullptr;
    uint32_t clock = 5000;
    std::array<TCommandWord, 32> words{};
    int32_t queued = 0;
};

}  // namespace

TEST_F(ObjectEndToEnd, ABallStrikesABrickThatScoresRunsItsScriptDiesAndComesBackClean) {
    EventProbe* brick = RidingBrick();
    ASSERT_NE(brick, nullptr);
    ASSERT_NE(brick->Code, nullptr) << "the description names a script in the level set";
    EXPECT_EQ(brick->GetY(), 200 - 16);  // on the paddle
    EXPECT_EQ(paddle->RiderCount(), 1);
    EXPECT_EQ(brick->Selected, 1);
    EXPECT_EQ(ScriptKernel(), kernel.get()) << "the ONCREATE bind";
    TGPCode* script = brick->Code.get();
    Launch();

    // The ball's right edge passes the brick's left one (110) once its whole X reaches 103:
    // 80 + 1.25 x 19 = 103.75.
    for (int t = 1; t <= 18; ++t) Tick();
    EXPECT_TRUE(brick->InPlay());
    EXPECT_EQ(ball->XFx, (kBallStartX << 16) + 18 * kBallVelocity) << "moved in 16.16, fraction kept";
    EXPECT_EQ(play.replies, 0);
    Tick();
    EXPECT_EQ(play.replies, 1);
    EXPECT_EQ(ball->XFx, (kBallStartX << 16) + 19 * kBallVelocity);
    EXPECT_EQ(ball->VelocityXFx, -kBallVelocity);

    // Scored (price x (ball column + 1) x difficulty), struck, dead, back in the pool.
    EXPECT_EQ(Shared().Score, kPrice * 1 * 2);
    EXPECT_EQ(brick->Count(TObjectEvent::OnCollision), 1);
    EXPECT_EQ(brick->Count(TObjectEvent::OnCarrion), 1);
    EXPECT_FALSE(brick->InPlay());
    EXPECT_TRUE(ObjectPool().Holds(brick));
    EXPECT_FALSE(play.bricks->Objects.Contains(brick));
    EXPECT_EQ(paddle->RiderCount(), 0) << "off its carrier";
    EXPECT_EQ(paddle->Kind & kind::Carrier, 0);
    EXPECT_EQ(play.bricks->Crowd->Count(), 0) << "out of the crowd";

    // The script: the map's spark where the brick was, a sound when struck and one when it died.
    const std::vector<TGPPhantom*> sparks = MapPhantoms();
    ASSERT_EQ(sparks.size(), 1u);
    EXPECT_EQ(sparks[0]->IDClass, 2);
    EXPECT_EQ(sparks[0]->X, kBrickX);
    EXPECT_EQ(sparks[0]->Y, 200 - 16);
    ASSERT_EQ(queued, 12) << "two numbered sounds of six words";
    EXPECT_EQ(cmd::SoundNumberOf(words[1]), 12);
    EXPECT_EQ(cmd::SoundNumberOf(words[7]), 13);
    EXPECT_EQ(kernel->CommandLine->EndMark, 0) << "run at the end of the tick";

    // Twenty rounds of splinters stop at the ten their nation holds.
    TGPNation* splinters = Nation(kSplinterNation);
    EXPECT_EQ(splinters->Objects.Count(), 10);
    for (TGPObject* piece : splinters->Objects) EXPECT_EQ(piece->IDClass, kSplinter);

    // The prize the drop table names, centred under the brick.
    TGPNation* prizes = Nation(kPrizeNation);
    ASSERT_EQ(prizes->Objects.Count(), 1);
    auto* prize = static_cast<EventProbe*>(prizes->Objects.First());
    EXPECT_EQ(prize->IDClass, kPrize);
    EXPECT_EQ(prize->GetX(), kBrickX + 32 / 2 - 10 / 2);
    EXPECT_EQ(prize->GetY(), 200 - 16 + 16 + 2);
    EXPECT_EQ(prize->Count(TObjectEvent::OnBirth), 1);

    // The next brick of the class is the same object: unselected, not riding, its description
    // applied again, its script kept (not run through VAR and ONCREATE again).
    EventProbe* again = Make(0, kBrick, kBrickX, 100);
    ASSERT_EQ(again, brick);
    EXPECT_TRUE(again->InPlay());
    EXPECT_EQ(again->Selected, 0);
    EXPECT_FALSE(play.bricks->Crowd->IsMember(again));
    EXPECT_EQ(again->Kind & (kind::Riding | kind::RandomRide), 0);
    EXPECT_EQ(again->Carrier(), nullptr);
    EXPECT_EQ(again->HitPoints, kToughness);
    EXPECT_EQ(again->MinSpeedFx, kMinSpeed << 16);
    EXPECT_EQ(again->Code.get(), script);
    EXPECT_EQ(again->Code->Variables().Count(), 5);  // SELF, KERNEL, MYNATION, MAP and SPARK
    EXPECT_EQ(again->GetY(), 100);
}

TEST_F(ObjectEndToEnd, OnceWarmedUpARoundOfPlayAllocatesNothing) {
    auto round = [&](EventProbe* brick) {
        Launch();
        int ticks = 0;
        while (brick->InPlay() && ticks < 40) Tick(), ++ticks;
        for (int t = 0; t < 5; ++t) Tick();  // the ball flies on; prize and splinters stay
        return ticks;
    };
    auto clearField = [&] {
        for (int32_t key : {kPrizeNation, kSplinterNation})
            while (!Nation(key)->Objects.Empty()) Nation(key)->Objects.First()->SetDead(true);
    };
    EventProbe* brick = RidingBrick();
    ASSERT_NE(brick, nullptr);
    EXPECT_EQ(round(brick), 19);  // warm-up: pools, pictures, lists at their size
    // The probes' own event records must not grow inside the count.
    brick->events.reserve(64);
    for (int32_t key : {1, 3, 4, kSplinterNation})
        for (TGPObject* o : Nation(key)->Objects) static_cast<EventProbe*>(o)->events.reserve(64);
    clearField();
    ASSERT_EQ(RidingBrick(), brick);
    long allocations = 0;
    int ticks = 0;
    {
        enginetest::AllocationCounter::Scope scope;
        ticks = round(brick);
        allocations = scope.Allocations();
    }
    EXPECT_EQ(ticks, 19);
    EXPECT_FALSE(brick->InPlay());
    EXPECT_EQ(Shared().Score, 2 * kPrice * 2);
    EXPECT_EQ(Nation(kSplinterNation)->Objects.Count(), 10);
    EXPECT_EQ(Nation(kPrizeNation)->Objects.Count(), 1);
    EXPECT_EQ(allocations, 0);
}

// ---- Objects killed while their nation is walked ----

namespace {

// Each brick records its move; the first time the second brick moves it kills a later brick
// and an earlier one, and takes a brick from the pool (the later one, handed out again at the
// same address), which it sends on; the fifth kills itself and reads its own fields after.
struct Walk {
    std::vector<TGPObject*> moved;
    TGPObject* killer = nullptr;
    TGPObject* later = nullptr;
    TGPObject* earlier = nullptr;
    TGPObject* suicide = nullptr;
    TGPObject* reborn = nullptr;
    bool done = false;
};
Walk walk;

uint8_t WalkRoutine(TGPObject& o, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    walk.moved.push_back(&o);
    if (walk.done) return 0;
    if (&o == walk.killer) {
        walk.later->SetDead(true);
        walk.earlier->SetDead(true);
        walk.reborn = static_cast<TGPNation*>(static_cast<TGPStructure*>(o.Group))->CreateFromPool(300, 0, false, o.IDClass);
        if (walk.reborn) walk.reborn->InstallOrder(&WalkRoutine, 0);
    }
    if (&o == walk.suicide) {
        walk.done = true;
        o.SetDead(true);
        o.StepX();  // pooled, never freed: its fields stay readable
    }
    return 0;
}

}  // namespace

TEST_F(ObjectEndToEnd, ObjectsKilledDuringTheirNationsWalkAreSkippedAndNewcomersWaitATick) {
    walk = {};
    std::vector<TGPObject*> bricks;
    for (int i = 0; i < 6; ++i) {
        EventProbe* b = Make(0, kBrick, 10 + 40 * i, 20);
        ASSERT_NE(b, nullptr);
        b->InstallOrder(&WalkRoutine, 0);
        bricks.push_back(b);
    }
    walk.earlier = bricks[0];
    walk.killer = bricks[1];
    walk.later = bricks[3];
    walk.suicide = bricks[4];
    Tick();
    // The later brick left and came back (same address, next generation): it joined during
    // the walk, so it waits for the next tick; the earlier one had moved already.
    ASSERT_EQ(walk.reborn, bricks[3]);
    EXPECT_EQ(walk.moved, (std::vector<TGPObject*>{bricks[0], bricks[1], bricks[2], bricks[4], bricks[5]}));
    EXPECT_FALSE(bricks[0]->InPlay());
    EXPECT_FALSE(bricks[4]->InPlay());
    EXPECT_TRUE(bricks[3]->InPlay());
    EXPECT_EQ(play.bricks->Objects.Count(), 4);

    walk.moved.clear();
    Tick();
    EXPECT_EQ(walk.moved.size(), 4u);
    EXPECT_NE(std::find(walk.moved.begin(), walk.moved.end(), bricks[3]), walk.moved.end());
    EXPECT_EQ(std::find(walk.moved.begin(), walk.moved.end(), bricks[0]), walk.moved.end());
}
