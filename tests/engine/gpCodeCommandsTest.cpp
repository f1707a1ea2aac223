// Scripts: the commands against a headless kernel, and a script run end to end on a game object.
#include "engine/gpCode.h"

#include "ScriptFixture.h"
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpResource.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

using ScriptCommands = ScriptFixture;

// The phantoms among the object's child sprites.
std::vector<TGPPhantom*> Phantoms(const TGPStructure& holder) {
    std::vector<TGPPhantom*> found;
    if (holder.ChildSprites)
        for (TGPStructure* s : *holder.ChildSprites)
            if (auto* p = dynamic_cast<TGPPhantom*>(s)) found.push_back(p);
    return found;
}

TEST_F(ScriptCommands, TheFirstBindSetsTheScriptKernelLaterBindsKeepItAndItEndsWithItsKernel) {
    auto code = Script(R"(
on VAR
  var SPARK TGPPHANTOM
  var PIECE TGPOBJECT
on ONCREATE
  object create PIECE 101 1
on ONMOVEENTER
  phantom bind SPARK MYNATION 4
on ONMOVEEXIT
  phantom bind SPARK MAP 4
on ONBIRTH
  object bind PIECE KERNEL 12
)");
    Run(*code, TCodeEvent::Var);
    EXPECT_EQ(ScriptKernel(), nullptr);
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCreate); }), "TGPOBJECT_CLASS_EXE") << "no script kernel";
    Run(*code, TCodeEvent::OnMoveEnter);  // an owner without an object names no kernel
    EXPECT_EQ(ScriptKernel(), nullptr);
    Run(*code, TCodeEvent::OnMoveExit);
    EXPECT_EQ(ScriptKernel(), kernel.get());

    TGPStructure loose;  // a structure of no kernel
    code->Variables().Get(TGPCode::kKernel).Object = TCodeReference::To(&loose);
    Run(*code, TCodeEvent::OnBirth);
    EXPECT_EQ(ScriptKernel(), kernel.get()) << "the second bind keeps the script kernel";
    {
        enginetest::HeadlessDisplay otherDisplay;
        TGPKernel other(&otherDisplay, nullptr, nullptr);
        code->Variables().Get(TGPCode::kKernel).Object = TCodeReference::To(&other);
        Run(*code, TCodeEvent::OnBirth);
        EXPECT_EQ(ScriptKernel(), kernel.get()) << "even when it names another kernel";
    }
    EXPECT_EQ(ScriptKernel(), kernel.get()) << "the end of another kernel leaves it";
    EXPECT_NO_THROW(Run(*code, TCodeEvent::OnCreate));

    kernel.reset();
    EXPECT_EQ(ScriptKernel(), nullptr);
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCreate); }), "TGPOBJECT_CLASS_EXE");
    EXPECT_EQ(code->Variables().Get(TGPCode::kMap).Object.Get(), nullptr);
}

constexpr const char* kSpark = R"(
on VAR
  var SPARK TGPPHANTOM
on ONCREATE
  phantom bind SPARK SELF 7
on ONCOLLISION
  phantom param SPARK 9 SELF.X
  phantom align SPARK SELF 3
on ONBIRTH
  phantom bind SPARK SELF 8
)";

TEST_F(ScriptCommands, APhantomIsTakenForItsOwnerGivenItsParameterAlignedAndKept) {
    auto code = Script(kSpark);
    code->Init();
    self->SetX(17);
    Run(*code, TCodeEvent::OnCollision);
    auto* spark = dynamic_cast<TGPPhantom*>(Var(*code, "SPARK").Object.Get());
    ASSERT_NE(spark, nullptr);
    EXPECT_EQ(spark->IDClass, 7);
    EXPECT_EQ(spark->OffX, 17);
    EXPECT_EQ(spark->AlignMode, 3);
    EXPECT_EQ(Phantoms(*self), std::vector<TGPPhantom*>{spark});
    EXPECT_FALSE(PhantomPool().Holds(spark));

    self->SetX(18);
    Run(*code, TCodeEvent::OnCollision);  // in play and of its class: kept
    EXPECT_EQ(Var(*code, "SPARK").Object.Get(), spark);
    EXPECT_EQ(spark->OffX, 18);

    Run(*code, TCodeEvent::OnBirth);  // another class: the next parameter takes another
    Run(*code, TCodeEvent::OnCollision);
    auto* other = dynamic_cast<TGPPhantom*>(Var(*code, "SPARK").Object.Get());
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, spark);
    EXPECT_EQ(other->IDClass, 8);
}

TEST_F(ScriptCommands, ADeadPhantomIsReplacedAtTheNextParameterAndOneHandedOnIsNotDrivenAgain) {
    auto code = Script(kSpark);
    code->Init();
    Run(*code, TCodeEvent::OnCollision);
    auto* first = dynamic_cast<TGPPhantom*>(Var(*code, "SPARK").Object.Get());
    ASSERT_NE(first, nullptr);

    first->SetCarrion(true);  // its life is over: back to the pool
    EXPECT_EQ(Var(*code, "SPARK").Object.Get(), nullptr);
    self->SetX(40);
    Run(*code, TCodeEvent::OnCollision);
    auto* second = dynamic_cast<TGPPhantom*>(Var(*code, "SPARK").Object.Get());
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Carrion);
    EXPECT_EQ(second->OffX, 40);
    EXPECT_EQ(Phantoms(*self), std::vector<TGPPhantom*>{second});

    // Pooled and taken by another owner, alive and of the same class: not the script's any more.
    second->SetCarrion(true);
    auto* handedOn = dynamic_cast<TGPPhantom*>(kernel->CreateObject(1, kernel.get(), true, 7));
    ASSERT_EQ(handedOn, second) << "the pool hands the idle phantom of the class out again";
    handedOn->OffX = 5;
    self->SetX(41);
    Run(*code, TCodeEvent::OnCollision);
    EXPECT_NE(Var(*code, "SPARK").Object.Get(), handedOn);
    EXPECT_EQ(handedOn->OffX, 5);
    EXPECT_EQ(Phantoms(*kernel), std::vector<TGPPhantom*>{handedOn});
}

TEST_F(ScriptCommands, PhantomCommandsWithoutAnOwnerAnObjectOrAFitParameterFail) {
    auto code = Script(R"(
on VAR
  var SPARK TGPPHANTOM
  var NESTED TGPPHANTOM
on ONCREATE
  phantom bind SPARK MYNATION 7
  phantom param SPARK 9 1
on ONCOLLISION
  phantom bind SPARK SELF 7
  phantom param SPARK 9 1
  phantom bind NESTED SPARK 7
  phantom param NESTED 9 1
on ONBIRTH
  phantom align SPARK #-1 3
on ONCARRION
  phantom align SPARK MYNATION 3
on ONVISIBLE
  phantom param SPARK 109 12345
)");
    Run(*code, TCodeEvent::Var);
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCreate); }), "TGPPHANTOM_CLASS_EXE") << "no owner";
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCollision); }), "TGPPHANTOM_CLASS_EXE") << "a phantom owner";
    ASSERT_NE(Var(*code, "SPARK").Object.Get(), nullptr);
    EXPECT_EQ(Var(*code, "NESTED").Object.Get(), nullptr);
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnBirth); }), "TGPPHANTOM_CLASS_EXE");
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCarrion); }), "TGPPHANTOM_CLASS_EXE");
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnVisible); }), "TGPPHANTOM_CLASS_EXE");
    EXPECT_EQ(dynamic_cast<TGPStructure*>(Var(*code, "SPARK").Object.Get())->Vibration.Target, nullptr);
}

TEST_F(ScriptCommands, ObjectsAreMadeOfTheBoundClassInTheOwnersNationUntilItIsFull) {
    auto code = Script(R"(
on VAR
  var PIECE TGPOBJECT
  var NOWHERE TGPOBJECT
on ONCREATE
  object bind PIECE SELF 13
  object bind NOWHERE MYNATION 13
on ONCOLLISION
  object create PIECE 101 SELF.X
  object create NOWHERE 101 1
on ONBIRTH
  object bind PIECE SELF.Tag 14
)");
    code->Init();
    TGPNation* bricks = kernel->NationByKey(0);
    bricks->SetMaxCount(3);
    self->SetX(9);
    Run(*code, TCodeEvent::OnCollision);
    ASSERT_EQ(bricks->Objects.Count(), 2);
    TGPObject* made = bricks->Objects.Items(1);
    EXPECT_EQ(made->IDClass, 13);
    EXPECT_EQ(made->Vibration.Period, 9);
    EXPECT_EQ(Var(*code, "PIECE").Object.Get(), nullptr) << "the variable is not changed";

    Run(*code, TCodeEvent::OnCollision);
    EXPECT_NO_THROW(Run(*code, TCodeEvent::OnCollision)) << "a full nation refuses silently";
    EXPECT_EQ(bricks->Objects.Count(), 3);

    Run(*code, TCodeEvent::OnBirth);  // the named form keeps the name on the owner
    EXPECT_EQ(code->Variables().Get(TGPCode::kSelf).PropertyName, "Tag");
    EXPECT_EQ(Var(*code, "PIECE").IDClass, 14);
    EXPECT_EQ(Var(*code, "PIECE").Owner.Get(), self);
}

TEST_F(ScriptCommands, ASplinterCountFromDataStopsOnceThePoolRefuses) {
    auto code = Script(R"(
on VAR
  var NONE TGPOBJECT
  var SPARK TGPPHANTOM
on ONCREATE
  phantom bind SPARK SELF 7
  phantom param SPARK 9 1
on ONCOLLISION
  object splinter SELF 0x7FFFFFFF 157 158
on ONBIRTH
  object splinter NONE 5 157 158
on ONCARRION
  object splinter SPARK 5 157 158
)");
    code->Init();
    Run(*code, TCodeEvent::OnBirth);  // no object: nothing
    EXPECT_EQ(kernel->NationByKey(6)->Objects.Count(), 0);
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCarrion); }), "TGPOBJECT_CLASS_EXE") << "a phantom";

    Run(*code, TCodeEvent::OnCollision);
    const TGPNation* splinters = kernel->NationByKey(6);
    ASSERT_EQ(splinters->Objects.Count(), 10);
    for (const TGPObject* piece : splinters->Objects) {
        EXPECT_EQ(piece->GetX(), self->GetX() + self->Width / 2 - piece->Width / 2);
        EXPECT_EQ(piece->GetY(), self->GetY() + self->Height / 2 - piece->Height / 2);
    }

    // A class the pool cannot make is skipped; -1 is none.
    kernel->NationByKey(6)->Clear();
    const int32_t classes[] = {-1, 999, 157};
    EXPECT_EQ(self->Splinter(self, 3, classes), 3);
    EXPECT_EQ(self->Splinter(self, 1000000000, std::vector<int32_t>{-1, 999}), 0);
}

TEST_F(ScriptCommands, ASoundIsQueuedAsANumberedSoundAtTheObjectsCentre) {
    auto code = Script(R"(
on VAR
  var NONE TGPOBJECT
on ONCOLLISION
  object sound SELF 0x1FFFF 0 1
on ONBIRTH
  object sound SELF 12 SELF.X 1
on ONCARRION
  object sound NONE 12 0 1
on ONCREATE
  phantom bind NONE KERNEL 1
)");
    code->Init();
    Run(*code, TCodeEvent::OnCollision);
    ASSERT_EQ(QueuedWords(), 6);
    const auto& w = kernel->CommandLine->Buffer;
    EXPECT_EQ(cmd::OpcodeOf(w[0]), cmd::PlaySound);
    ASSERT_TRUE(cmd::IsSoundNumber(w[1]));
    EXPECT_EQ(cmd::SoundNumberOf(w[1]), -1) << "the low half of the sound, signed";
    EXPECT_EQ(cmd::LiveObject(w[2]), self);
    EXPECT_EQ(w[3], TCommandWord{uint32_t(128 + 32) | uint32_t(64 + 16) << 16});
    EXPECT_EQ(w[4], TCommandWord{0u | 1u << 16});
    EXPECT_EQ(w[5], TCommandWord{1});

    kernel->CommandLine->Clear();
    kernel->CommandLine->SuppressMask = cmd::MaskNumberedSound;
    Run(*code, TCodeEvent::OnBirth);
    EXPECT_EQ(QueuedWords(), 0) << "numbered sounds switched off";
    kernel->CommandLine->SuppressMask = 0;

    self->SetX(32767);  // its centre does not fit the command's 16 bits
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnBirth); }), "TGPOBJECT_CLASS_EXE");
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCarrion); }), "TGPOBJECT_CLASS_EXE") << "no object";
}

// A game object that runs a block whenever a parameter is set, as a script hook would.
class HookedObject : public TGPObject {
public:
    void SetParam(int32_t code, int64_t value) override {
        TGPObject::SetParam(code, value);
        if (code == 101 && hook) hook();
    }
    static inline std::function<void()> hook;
};

TEST_F(ScriptCommands, AScriptThatMakesObjectsRunningItselfEndsWithAnError) {
    kernel->NationByKey(0)->ObjectFactory = [] { return std::make_unique<HookedObject>(); };
    auto code = Script(R"(
on VAR
  var PIECE TGPOBJECT
on ONCREATE
  object bind PIECE SELF 13
on ONCOLLISION
  object create PIECE 101 1
)");
    code->Init();
    int runs = 0;
    HookedObject::hook = [&] {
        ++runs;
        Run(*code, TCodeEvent::OnCollision);
    };
    EXPECT_EQ(RunError([&] { Run(*code, TCodeEvent::OnCollision); }), "TGPOBJECT_CLASS_EXE");
    HookedObject::hook = nullptr;
    EXPECT_GT(runs, 8);
    EXPECT_LT(runs, 64);
}

TEST_F(ScriptCommands, AScriptLoadedAnewWhileABlockRunsLetsThatBlockFinishWithItsWords) {
    kernel->NationByKey(0)->ObjectFactory = [] { return std::make_unique<HookedObject>(); };
    auto code = Script(R"(
on ONCREATE
  object bind SELF SELF 13
on ONCOLLISION
  object create SELF 101 1
  var AFTER 1
)");
    code->Init();
    TEventCache events;
    TGPCode::BindEvents(events, code.get());
    HookedObject::hook = [&] {
        HookedObject::hook = nullptr;
        Load(*code, datagen::AssembleCpcStream("on ONBIRTH\n word 5\n"));
    };
    code->RunEvent(events, TCodeEvent::OnCollision);
    HookedObject::hook = nullptr;
    EXPECT_GE(code->Variables().IndexOf("AFTER"), 0);
    EXPECT_EQ(code->FindBlock("ONCOLLISION"), nullptr);
    EXPECT_NO_THROW(code->RunEvent(events, TCodeEvent::OnCollision));
    EXPECT_EQ(events.Blocks[11], code->FindBlock("ONBIRTH"));
}

// ---- End to end ----

constexpr const char* kBrickScript = R"(
# The brick: a spark where it is struck, a sound, and one splinter.
on VAR
  var SPARK TGPPHANTOM
  var PIECE TGPOBJECT
on ONCREATE
  phantom bind SPARK SELF 5
  object bind PIECE SELF.Y 157
on ONCOLLISION
  phantom param SPARK 9 SELF.Y
  phantom align SPARK SELF 5
  object sound SELF 12 0 1
  object splinter SELF 1 157 -1
)";

TEST_F(ScriptCommands, ABricksScriptFromTheLevelSetRunsOnItsEventsAndOutlivesItsPhantom) {
    const std::string file = dir.File("Bricks.ig");
    datagen::WriteContainer(file, {datagen::CodeUnitSection({{"Brick", datagen::AssembleCpcStream(kBrickScript)}})});
    TGPResource levelSet(file, rtl::fmOpenRead);
    const TKernelResources resources{&levelSet, nullptr};

    TGPCode code(self, kernel.get());
    code.LoadScript(resources, "Scripts\\Brick.cpc");
    code.Init();
    TEventCache events;
    TGPCode::BindEvents(events, &code);
    EXPECT_EQ(ScriptKernel(), kernel.get());

    // Published properties written and read by name.
    TVariable& me = code.Variables().Get(TGPCode::kSelf);
    me.SetAsVariant("Y", TCodeValue(int64_t{90}));
    EXPECT_EQ(self->GetY(), 90);
    EXPECT_EQ(me.PropertyName, "Y");
    EXPECT_EQ(me.GetAsVariant(), TCodeValue(int64_t{90}));

    code.RunEvent(events, TCodeEvent::OnCollision);
    const std::vector<TGPPhantom*> sparks = Phantoms(*self);
    ASSERT_EQ(sparks.size(), 1u);
    EXPECT_EQ(sparks[0]->IDClass, 5);
    EXPECT_EQ(sparks[0]->OffX, 90);
    EXPECT_EQ(sparks[0]->AlignMode, 5);
    EXPECT_EQ(QueuedWords(), 6);
    EXPECT_EQ(cmd::SoundNumberOf(kernel->CommandLine->Buffer[1]), 12);
    EXPECT_EQ(kernel->NationByKey(6)->Objects.Count(), 1);
    kernel->RunCommands();
    EXPECT_EQ(QueuedWords(), 0);

    // The brick dies: its spark goes back to the pool with it. Reused, the brick's script
    // takes a fresh spark rather than driving the pooled one.
    self->SetDead(true);
    ASSERT_TRUE(ObjectPool().Holds(self));
    EXPECT_TRUE(PhantomPool().Holds(sparks[0]));
    TGPObject* again = kernel->NationByKey(0)->CreateFromPool(0, 0, false, kBrick);
    ASSERT_EQ(again, self);
    TGPPhantom* elsewhere = PhantomPool().Acquire(kernel.get(), 5);
    ASSERT_EQ(elsewhere, sparks[0]);
    elsewhere->OffX = 1;
    self->SetY(90);
    code.RunEvent(events, TCodeEvent::OnCollision);
    EXPECT_EQ(elsewhere->OffX, 1);
    ASSERT_EQ(Phantoms(*self).size(), 1u);
    EXPECT_NE(Phantoms(*self)[0], elsewhere);
    EXPECT_EQ(Phantoms(*self)[0]->OffX, 90);

    // The level set's script loaded anew: the event cache follows.
    code.LoadScript(resources, "Brick");
    code.RunEvent(events, TCodeEvent::OnCollision);
    EXPECT_EQ(kernel->NationByKey(6)->Objects.Count(), 3);
}

}  // namespace
