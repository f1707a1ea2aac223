// The kernel's collision pass with game objects: collision rectangles, replies that send
// objects out of play in the middle of the pass, and replies that fail.
#include "ObjectFixture.h"

#include <stdexcept>

using namespace engine;
using enginetest::EventProbe;

namespace {

// Collision replies: what each object was told, and what it does about it.
struct Replies {
    std::vector<std::pair<TGPObject*, TRect>> seen;
    bool killObstacle = false;  // the reply sends its first obstacle to the pool
    bool raise = false;
};
Replies replies;

uint8_t Reply(TGPObject& o, uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) {
    if (mode != 1) return 0;
    replies.seen.emplace_back(&o, rect);
    if (replies.raise) throw std::runtime_error("reply failed");
    if (replies.killObstacle && list && !list->Empty())
        if (auto* target = dynamic_cast<TGPObject*>(list->First())) target->SetDead(true);
    return 0;
}

class CollisionPass : public enginetest::ObjectFixture {
protected:
    CollisionPass() {
        replies = {};
        Class(kBrick, {.toughness = 2}, {.baseLeft = 2, .baseTop = 3, .baseRight = 10, .baseBottom = 12});
        Class(kBall, {}, {.idCondition = 4, .baseRight = 8, .baseBottom = 8});
        Class(kMonster, {.defaultSlide = 4});
        Commit();
    }
    EventProbe* Mover(int32_t key, int32_t id, int32_t x, int32_t y) {
        EventProbe* o = Make(key, id, x, y);
        o->InstallOrder(&Reply, 0);
        return o;
    }
};

}  // namespace

TEST_F(CollisionPass, ReplyRectanglesAreTheTargetsCollisionRectangles) {
    EventProbe* ball = Mover(4, kBall, 0, 0);
    EventProbe* a = Mover(0, kBrick, 100, 50);
    EventProbe* b = Mover(0, kBrick, 120, 50);
    ball->AskMove(a, {}, {});
    ball->AskMove(b, {}, {});
    kernel->ResolveCollisions();
    ASSERT_EQ(replies.seen.size(), 1u);
    EXPECT_EQ(replies.seen[0].first, ball);
    EXPECT_EQ(replies.seen[0].second, (TRect{102, 53, 130, 62}));
    EXPECT_EQ(b->Count(TObjectEvent::OnCollision), 1);  // the second target, struck by the ball
    EXPECT_EQ(a->Count(TObjectEvent::OnCollision), 0);
}

TEST_F(CollisionPass, ARequestWhoseObjectLeftPlayEarlierInThePassIsSkipped) {
    // Two monsters (moving) and a brick (still) ask against one target; the first reply
    // kills it, and the pool hands it out again before the second request comes up.
    EventProbe* first = Mover(2, kMonster, 0, 0);
    EventProbe* second = Mover(2, kMonster, 30, 0);
    EventProbe* target = Mover(0, kBrick, 10, 0);
    first->AskMove(target, {}, {});
    second->AskMove(target, {}, {});
    replies.killObstacle = true;
    kernel->OnPUSH = [&](TObject*) {
        kernel->OnPUSH = nullptr;
        EXPECT_EQ(Make(0, kBrick), target);  // reused at once: same address, new generation
    };
    kernel->ResolveCollisions();
    ASSERT_EQ(replies.seen.size(), 1u);
    EXPECT_EQ(replies.seen[0].first, first);
    EXPECT_EQ(kernel->AskMoveList->UsedCount(), 0);

    // A moving pair: the asker's reply kills the target, which then replies no more.
    replies = {};
    replies.killObstacle = true;
    EventProbe* other = Mover(2, kMonster, 60, 0);
    first->AskMove(other, {}, {});
    kernel->ResolveCollisions();
    ASSERT_EQ(replies.seen.size(), 1u);
    EXPECT_EQ(replies.seen[0].first, first);
    EXPECT_FALSE(other->InPlay());
}

TEST_F(CollisionPass, AReplyThatRaisesLeavesNoRequestForTheNextTick) {
    EventProbe* ball = Mover(4, kBall, 0, 0);
    EventProbe* brick = Mover(0, kBrick, 10, 0);
    ball->AskMove(brick, {}, {});
    brick->AskMove(ball, {}, {});
    replies.raise = true;
    EXPECT_THROW(kernel->ResolveCollisions(), std::runtime_error);
    EXPECT_EQ(kernel->AskMoveList->UsedCount(), 0);
    EXPECT_EQ(kernel->AskMoveList->Get(0)->Asker, nullptr);
    replies.raise = false;
    replies.seen.clear();
    kernel->ResolveCollisions();
    EXPECT_TRUE(replies.seen.empty());
}
