// Snapshots of object lists: what a walk sees when its steps kill objects or walk again.
#include "ObjectFixture.h"

#include "engine/gpObjectList.h"

using namespace engine;
using enginetest::EventProbe;

namespace {
class ObjectSnapshot : public enginetest::ObjectFixture {};
}  // namespace

TEST_F(ObjectSnapshot, AWalkEnteredAgainDuringItselfKeepsItsOwnObjects) {
    Class(kBrick);
    Commit();
    TGPNation* bricks = Nation(0);
    EventProbe* a = Make(0, kBrick);
    EventProbe* b = Make(0, kBrick);
    EventProbe* c = Make(0, kBrick);

    std::vector<TGPObject*> outerSeen, innerSeen;
    {
        const TObjectSnapshot outer(bricks->Objects);
        for (int i = 0; i < outer.Count(); ++i) {
            TGPObject* o = outer.Get(i);
            outerSeen.push_back(o);
            if (o != a) continue;
            // The first step kills b and walks the nation again, as a carrion block that
            // sets off another effect would.
            b->SetDead(true);
            const TObjectSnapshot inner(bricks->Objects);
            for (int j = 0; j < inner.Count(); ++j) innerSeen.push_back(inner.Get(j));
            // Taken again from the pool, b is another generation: the outer walk skips it.
            EXPECT_EQ(Make(0, kBrick), b);
        }
    }
    EXPECT_EQ(outerSeen, (std::vector<TGPObject*>{a, nullptr, c}));
    EXPECT_EQ(innerSeen, (std::vector<TGPObject*>{a, c}));

    // Structures that are no game objects are passed over; an empty one counts none.
    rtl::List<TGPStructure*> mixed;
    TGPStructure plain;
    mixed.Add(&plain);
    mixed.Add(c);
    const TObjectSnapshot some(mixed);
    ASSERT_EQ(some.Count(), 1);
    EXPECT_EQ(some.Get(0), c);
    const TObjectSnapshot none;
    EXPECT_EQ(none.Count(), 0);
}
