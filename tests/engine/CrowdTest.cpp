// Crowds: the selection rules of a nation's crowd and of the executor's select command, and
// members that leave play.
#include "ObjectFixture.h"

#include "engine/gpCmdExecute.h"

using namespace engine;
using enginetest::EventProbe;

namespace {

class CrowdTest : public enginetest::ObjectFixture {
protected:
    CrowdTest() {
        Class(kBrick);
        Class(kMonster);
        Commit();
        a = Make(0, kBrick);
        b = Make(0, kBrick);
        c = Make(0, kBrick);
        monster = Make(2, kMonster);
        crowd = Nation(0)->Crowd.get();
    }
    std::vector<TGPObject*> Members() const { return {crowd->Members.begin(), crowd->Members.end()}; }

    EventProbe *a = nullptr, *b = nullptr, *c = nullptr, *monster = nullptr;
    TGPCrowd* crowd = nullptr;
};

}  // namespace

TEST_F(CrowdTest, APlainSelectionIsAloneAndTogglesTheOnlyMemberOff) {
    EXPECT_EQ(crowd->Nation, Nation(0));
    crowd->AddMember(a, false);
    crowd->AddMember(b, false);
    EXPECT_EQ(Members(), std::vector<TGPObject*>{b});
    EXPECT_EQ(a->Selected, 0);
    EXPECT_EQ(b->Selected, 1);
    crowd->AddMember(b, false);  // the only selected object: deselected
    EXPECT_EQ(crowd->Count(), 0);
    EXPECT_EQ(b->Selected, 0);
}

TEST_F(CrowdTest, KeepAddsOrTakesOutOneAndAPlainSelectionOfAMemberKeepsItAlone) {
    crowd->AddMember(a, true);
    crowd->AddMember(b, true);
    crowd->AddMember(c, true);
    EXPECT_EQ(Members(), (std::vector<TGPObject*>{a, b, c}));
    crowd->AddMember(b, true);  // selected with keep: only it goes
    EXPECT_EQ(Members(), (std::vector<TGPObject*>{a, c}));
    EXPECT_EQ(b->Selected, 0);
    crowd->AddMember(c, false);  // one of several: kept alone
    EXPECT_EQ(Members(), std::vector<TGPObject*>{c});
    EXPECT_EQ(a->Selected, 0);
    EXPECT_EQ(c->Selected, 1);
    crowd->RemoveMember(a, true);  // not a member: nothing
    EXPECT_EQ(crowd->Count(), 1);
    crowd->RemoveMember(a, false);  // without keep the whole crowd goes
    EXPECT_EQ(crowd->Count(), 0);
    EXPECT_EQ(c->Selected, 0);
}

TEST_F(CrowdTest, AnObjectOfAnotherNationClearsTheSelectionAndJoinsItsOwn) {
    crowd->AddMember(a, false);
    crowd->AddMember(monster, false);  // one was selected: cleared, the monster not selected
    EXPECT_EQ(crowd->Count(), 0);
    EXPECT_EQ(monster->Selected, 0);
    crowd->AddMember(a, true);
    crowd->AddMember(b, true);
    crowd->AddMember(monster, false);  // several were: the monster is selected in its own crowd
    EXPECT_EQ(crowd->Count(), 0);
    EXPECT_EQ(monster->Selected, 1);
    EXPECT_TRUE(Nation(2)->Crowd->IsMember(monster));
    crowd->AddMember(a, true);
    crowd->AddMember(monster, true);  // with keep: only "taken out", and it was not a member here
    EXPECT_EQ(Members(), std::vector<TGPObject*>{a});
}

TEST_F(CrowdTest, AMemberThatLeavesPlayLeavesTheCrowdAndComesBackUnselected) {
    crowd->AddMember(a, true);
    crowd->AddMember(b, true);
    kernel->SelectionMode = 2;
    kernel->Selected = a;
    a->SetDead(true);
    EXPECT_EQ(Members(), std::vector<TGPObject*>{b});
    EXPECT_EQ(kernel->Selected, nullptr);
    EventProbe* reused = Make(0, kBrick);
    ASSERT_EQ(reused, a);
    EXPECT_EQ(reused->Selected, 0);
    EXPECT_FALSE(crowd->IsMember(reused));
    Nation(0)->Clear();  // every object back to the pool: the crowd ends empty
    EXPECT_EQ(crowd->Count(), 0);
}

TEST_F(CrowdTest, TheSelectCommandFollowsTheSelectionModeAndTheGroups) {
    TGP_CMD0& executor = *kernel->Executor;
    executor.SelectObject(a, false);
    EXPECT_EQ(kernel->Selected, nullptr);  // selection works in mode 2 only
    kernel->SelectionMode = 2;
    executor.SelectObject(a, false);
    EXPECT_EQ(kernel->Selected, a);
    EXPECT_EQ(Members(), std::vector<TGPObject*>{a});
    executor.SelectObject(b, true);  // same group, keep: the crowd is the selection
    EXPECT_EQ(kernel->Selected, crowd);
    EXPECT_EQ(Members(), (std::vector<TGPObject*>{a, b}));
    executor.SelectObject(c, false);  // same group as the crowd, no keep: c alone
    EXPECT_EQ(kernel->Selected, c);
    EXPECT_EQ(Members(), std::vector<TGPObject*>{c});
    executor.SelectObject(c, false);  // the selected object again: deselected
    EXPECT_EQ(kernel->Selected, nullptr);
    EXPECT_EQ(crowd->Count(), 0);
    executor.SelectObject(a, false);
    executor.SelectObject(b, true);
    executor.SelectObject(monster, false);  // another group: the crowd is cleared
    EXPECT_EQ(kernel->Selected, monster);
    EXPECT_EQ(crowd->Count(), 0);
    EXPECT_EQ(a->Selected, 0);
    EXPECT_EQ(monster->Selected, 1);
    executor.SelectObject(a, false);  // from an object of another group
    EXPECT_EQ(monster->Selected, 0);
    EXPECT_EQ(kernel->Selected, a);
}
