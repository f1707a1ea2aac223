// Scripts: the stream format, the container's keys, variables and the running of words.
#include "engine/gpCode.h"

#include "ScriptFixture.h"
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpResource.h"
#include "tools/datagen/ClassesWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine;
using datagen::CpcBlock;
using datagen::CpcStream;
using datagen::WriteCpc;

namespace {

class ScriptLoad : public ScriptFixture {
protected:
    // A level set holding the sections.
    TKernelResources LevelSet(const std::vector<datagen::ContainerSection>& sections) {
        const std::string name = dir.File("set" + std::to_string(containers.size()) + ".ig");
        datagen::WriteContainer(name, sections);
        containers.push_back(std::make_unique<TGPResource>(name, rtl::fmOpenRead));
        return {containers.back().get(), nullptr};
    }
    std::vector<std::unique_ptr<TGPResource>> containers;
};

const std::string kTwoBlocks = datagen::AssembleCpcStream("on ONCREATE\n word 5\non ONCOLLISION\n word 5 5\n");

TEST_F(ScriptLoad, BlocksAreStoredUnderTheirEventNamesAndFoundByExactName) {
    TGPCode code(self, kernel.get());
    Load(code, kTwoBlocks);
    ASSERT_EQ(code.BlockCount(), 2);
    ASSERT_NE(code.FindBlock("ONCOLLISION"), nullptr);
    EXPECT_EQ(code.FindBlock("ONCOLLISION")->Count(), 2);
    EXPECT_EQ(code.FindBlock("ONCREATE")->Count(), 1);
    EXPECT_EQ(code.FindBlock("oncollision"), nullptr);
    EXPECT_EQ(code.FindBlock("VAR"), nullptr);
    EXPECT_EQ(&code.FindBlock("ONCREATE")->Code(), &code);
}

TEST_F(ScriptLoad, AWrongSignatureRaisesTheSystemsTextAndLeavesNoBlock) {
    TGPCode code(self, kernel.get());
    Load(code, kTwoBlocks);
    try {
        Load(code, WriteCpc({{{2, {5}, {}}}, "_CPX", {}}));
        FAIL() << "no error";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.className(), "Exception");
        EXPECT_EQ(e.message(), "TGPCode.LoadFromFile (Signature - Erroe)");
    }
    EXPECT_EQ(code.BlockCount(), 0);
    EXPECT_THROW(Load(code, "_CP"), rtl::Exception);
}

TEST_F(ScriptLoad, UntrustedCountsIndicesAndLengthsFailBeforeAllocatingAndLeaveNothing) {
    std::string truncated = kTwoBlocks;
    truncated.resize(truncated.size() - 2);
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"huge block count", WriteCpc({{{2, {5}, {}}}, "_CPC", 0x7FFFFFFF})},
        {"negative block count", WriteCpc({{}, "_CPC", -1})},
        {"block count beyond the bytes", WriteCpc({{{2, {}, {}}}, "_CPC", 2})},
        {"huge word count", WriteCpc({{{2, {5}, 0x7FFFFFFF}}, "_CPC", {}})},
        {"word count beyond the bytes", WriteCpc({{{2, {5, 5}, 3}}, "_CPC", {}})},
        {"negative word count", WriteCpc({{{2, {5}, -1}}, "_CPC", {}})},
        {"event 0", WriteCpc({{{0, {5}, {}}}, "_CPC", {}})},
        {"event 14", WriteCpc({{{14, {5}, {}}}, "_CPC", {}})},
        {"truncated", truncated},
        {"no count", "_CPC"},
    };
    for (const auto& [what, bytes] : damaged) {
        TGPCode code(self, kernel.get());
        Load(code, kTwoBlocks);
        EXPECT_THROW(Load(code, bytes), rtl::EReadError) << what;
        EXPECT_EQ(code.BlockCount(), 0) << what;
    }
}

TEST_F(ScriptLoad, ARepeatedEventIndexReplacesTheEarlierBlockWhateverItsSize) {
    TGPCode code(self, kernel.get());
    const std::vector<int32_t> later = {5, 1111, 1, 'A', 1, 5, 5};
    Load(code, WriteCpc({{{11, {5}, {}}, {2, {5}, {}}, {11, later, {}}}, "_CPC", {}}));
    EXPECT_EQ(code.BlockCount(), 2);
    const TGPCodeLine* block = code.FindBlock("ONCOLLISION");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::vector<int32_t>(block->Words().begin(), block->Words().end()), later);
    EXPECT_GE(block->Capacity(), block->Count());
    Run(code, TCodeEvent::OnCollision);
    EXPECT_EQ(code.Variables().IndexOf("A"), 4);
}

TEST_F(ScriptLoad, TheLevelSetsCodeUnitIsReadByTheBareFileName) {
    const std::string brick = datagen::AssembleCpcStream("on ONCOLLISION\n word 5 5 5\n");
    const std::string ball = datagen::AssembleCpcStream("on ONBIRTH\n word 5\n");
    const TKernelResources set = LevelSet({datagen::CodeUnitSection({{"Brick", brick}, {"Ball", ball}})});
    TGPCode code(self, kernel.get());

    code.LoadFromFile(set, "Scripts\\Brick.cpc");  // folder, name, dot and three letters
    ASSERT_NE(code.FindBlock("ONCOLLISION"), nullptr);
    EXPECT_EQ(code.FindBlock("ONCOLLISION")->Count(), 3);

    code.LoadFromFile(set, "Ball");  // no dot: looked up unchanged
    EXPECT_EQ(code.FindBlock("ONCOLLISION"), nullptr);
    EXPECT_NE(code.FindBlock("ONBIRTH"), nullptr);

    code.LoadFromFile(set, "x/y/Ball.bin.cpc");  // the four characters from the first "." go
    EXPECT_EQ(code.BlockCount(), 0) << "key Ballcpc is absent";

    code.LoadFromFile(set, "Monster.cpc");  // an absent key loads nothing, silently
    EXPECT_EQ(code.BlockCount(), 0);
    const TKernelResources noSection = LevelSet({datagen::DescriptionSection("Strings", {{"Brick", brick}})});
    EXPECT_NO_THROW(code.LoadFromFile(noSection, "Brick.cpc"));
    EXPECT_EQ(code.BlockCount(), 0);

    const TKernelResources badStream = LevelSet({datagen::CodeUnitSection({{"Brick", "_CPC\x02"}})});
    EXPECT_THROW(code.LoadFromFile(badStream, "Brick.cpc"), rtl::EReadError);
}

TEST_F(ScriptLoad, WithoutALevelSetTheLooseFileIsReadWhateverItsLetterCase) {
    std::filesystem::create_directories(dir.File("Resource/Scripts"));
    dir.Write("Resource/Scripts/brick.cpc", kTwoBlocks);
    TGPCode code(self, kernel.get());
    code.LoadFromFile({}, ResourceFolders().Resource + "SCRIPTS\\Brick.CPC");
    EXPECT_EQ(code.BlockCount(), 2);
    EXPECT_THROW(code.LoadFromFile({}, ResourceFolders().Resource + "Missing.cpc"), rtl::EFOpenError);
    EXPECT_EQ(code.BlockCount(), 0);

    code.LoadScript({}, "Scripts\\Brick.cpc");
    EXPECT_EQ(code.BlockCount(), 2);
}

TEST_F(ScriptLoad, AClassScriptNameThatLeavesTheResourceFolderIsRefused) {
    dir.Write("Outside.cpc", kTwoBlocks);
    TGPCode code(self, kernel.get());
    for (const std::string name : {"..\\Outside.cpc", "Scripts/../../Outside.cpc", "..", "\\etc\\passwd",
                                   "/etc/passwd", "C:Outside.cpc"}) {
        Load(code, kTwoBlocks);
        EXPECT_THROW(code.LoadScript({}, name), rtl::EFOpenError) << name;
        EXPECT_EQ(code.BlockCount(), 0) << name;
    }
    // In a level set only the bare name counts.
    const TKernelResources set = LevelSet({datagen::CodeUnitSection({{"Outside", kTwoBlocks}})});
    code.LoadScript(set, "..\\Outside.cpc");
    EXPECT_EQ(code.BlockCount(), 2);
}

TEST_F(ScriptLoad, ReloadingRenewsEveryEventCacheBeforeItsBlocksRun) {
    TGPCode code(self, kernel.get());
    Load(code, datagen::AssembleCpcStream("on ONCOLLISION\n var FIRST 1\n"));
    TEventCache cache;
    TGPCode::BindEvents(cache, &code);
    EXPECT_EQ(cache.Flag, 1);
    EXPECT_NE(cache.Blocks[10], nullptr);
    EXPECT_EQ(cache.Blocks[0], nullptr);

    const TGPCodeLine* before = cache.Blocks[10];
    TGPCode::BindEvents(cache, &code);  // bound already: kept
    EXPECT_EQ(cache.Blocks[10], before);

    Load(code, datagen::AssembleCpcStream("on ONCOLLISION\n var SECOND 1\non ONBIRTH\n word 5\n"));
    code.RunEvent(cache, TCodeEvent::OnCollision);  // never the freed block
    EXPECT_EQ(code.Variables().IndexOf("FIRST"), -1);
    EXPECT_GE(code.Variables().IndexOf("SECOND"), 0);
    EXPECT_EQ(cache.Blocks[11], code.FindBlock("ONBIRTH"));

    TEventCache none;
    TGPCode::BindEvents(none, nullptr);
    EXPECT_EQ(none.Flag, 1);
    for (const TGPCodeLine* b : none.Blocks) EXPECT_EQ(b, nullptr);
}

// ---- Variables ----

using ScriptVariables = ScriptFixture;

TEST_F(ScriptVariables, ThePredefinedVariablesTakeZeroToThree) {
    TGPCode code(self, kernel.get());
    const TVariableList& v = code.Variables();
    ASSERT_EQ(v.Count(), 4);
    EXPECT_EQ(v.Get(TGPCode::kSelf).Name(), "SELF");
    EXPECT_EQ(v.Get(TGPCode::kSelf).Type(), vtGameObject);
    EXPECT_EQ(v.Get(TGPCode::kSelf).Object.Get(), self);
    EXPECT_EQ(v.Get(TGPCode::kKernel).Name(), "KERNEL");
    EXPECT_EQ(v.Get(TGPCode::kKernel).Object.Get(), kernel.get());
    EXPECT_EQ(v.Get(TGPCode::kMyNation).Name(), "MYNATION");
    EXPECT_EQ(v.Get(TGPCode::kMyNation).Object.Get(), nullptr);
    EXPECT_EQ(v.Get(TGPCode::kMap).Name(), "MAP");
    EXPECT_EQ(v.Get(TGPCode::kMap).Object.Get(), &map);
    EXPECT_THROW(v.Get(4), rtl::EListError);

    TGPPhantom* phantom = PhantomPool().Acquire(kernel.get(), 3);
    EXPECT_EQ(TGPCode(phantom, nullptr).Variables().Get(0).Type(), vtPhantom);
    EXPECT_EQ(TGPCode(phantom, nullptr).Variables().Count(), 1);
    EXPECT_EQ(TGPCode(kernel.get(), nullptr).Variables().Get(0).Type(), vtObject);
    EXPECT_EQ(TGPCode(nullptr, kernel.get()).Variables().Get(0).Name(), "KERNEL");
}

TEST_F(ScriptVariables, DeclarationsSizeTheirBuffersAndRefuseARepeatedNameOrAType) {
    auto code = Script(
        "on VAR\n var I INTEGER\n var R REAL\n var S STRING\n var B BOOLEAN\n var C CHAR\n var P TGPPHANTOM\n"
        " var O TGPOBJECT\n var X 0\n");
    Run(*code, TCodeEvent::Var);
    const std::vector<std::pair<std::string, int32_t>> sizes = {{"I", 4}, {"R", 8}, {"S", 0}, {"B", 1},
                                                                {"C", 0}, {"P", 0}, {"O", 0}, {"X", 0}};
    for (const auto& [name, size] : sizes) EXPECT_EQ(Var(*code, name).ValueSize(), size) << name;
    EXPECT_EQ(Var(*code, "P").Type(), vtPhantom);
    EXPECT_EQ(code->Variables().IndexOf("I"), 4);

    try {
        RunWords(*code, [] {
            std::vector<int32_t> w = {1111};
            for (int32_t x : StringWords("I")) w.push_back(x);
            w.push_back(2);
            return w;
        }());
        FAIL() << "declared twice";
    } catch (const rtl::EAbort& e) {
        EXPECT_EQ(e.message(), "Repeated name");
    }
    EXPECT_THROW(code->Variables().Add("KERNEL", 0), rtl::EAbort);
    EXPECT_FALSE(RunError([&] { RunWords(*code, {1111, 1, 'Z', 8}); }).empty());
    EXPECT_FALSE(RunError([&] { RunWords(*code, {1111, 1, 'Z', -1}); }).empty());
    EXPECT_EQ(code->Variables().IndexOf("Z"), -1);
    EXPECT_THROW(TVariable("T", 8), ERunCPC);
}

TEST_F(ScriptVariables, ValuesAreReadAndWrittenThroughBuffersAndPublishedProperties) {
    auto code = Script("on VAR\n var I INTEGER\n var R REAL\n var B BOOLEAN\n var S STRING\n");
    Run(*code, TCodeEvent::Var);
    TVariable& i = Var(*code, "I");
    TVariable& r = Var(*code, "R");
    TVariable& b = Var(*code, "B");
    EXPECT_EQ(i.GetAsVariant(), TCodeValue(int64_t{0}));  // never assigned by a command
    i.SetAsVariant(TCodeValue(2.5));
    EXPECT_EQ(i.GetAsVariant("whatever"), TCodeValue(int64_t{2}));  // half to even
    EXPECT_THROW(i.SetAsVariant(TCodeValue(int64_t{1} << 40)), ECodeVariable);
    r.SetAsVariant(TCodeValue(int64_t{-3}));
    EXPECT_EQ(r.GetAsVariant(), TCodeValue(-3.0));
    b.SetAsVariant(TCodeValue(int64_t{7}));
    EXPECT_EQ(b.GetAsVariant(), TCodeValue(true));
    EXPECT_EQ(CodeValueToInt(b.GetAsVariant()), -1);
    EXPECT_EQ(Var(*code, "S").GetAsVariant("X"), TCodeValue());  // no object: left as it was

    TVariable& me = code->Variables().Get(TGPCode::kSelf);
    self->SetX(321);
    EXPECT_EQ(me.GetAsVariant("X"), TCodeValue(int64_t{321}));
    EXPECT_EQ(me.GetAsVariant("x"), TCodeValue(int64_t{321}));
    EXPECT_EQ(me.GetAsVariant("NoSuchProperty"), TCodeValue(int64_t{0}));
    EXPECT_EQ(me.GetAsVariant(""), TCodeValue());
    me.SetAsVariant("Y", TCodeValue(99.5));
    EXPECT_EQ(self->GetY(), 100);
    me.PropertyName = "X";
    me.SetAsVariant(TCodeValue(int64_t{12}));
    EXPECT_EQ(self->GetX(), 12);
    EXPECT_EQ(me.GetAsVariant(), TCodeValue(int64_t{12}));
    try {
        me.GetAsVariant("OnGPMove");  // an event is no value
        FAIL() << "read an event";
    } catch (const ECodeVariable& e) {
        EXPECT_EQ(e.message(), "SetAsVariant");
    }
    EXPECT_THROW(me.SetAsVariant("NoSuchProperty", TCodeValue(int64_t{1})), ECodeVariable);
    EXPECT_THROW(me.SetAsVariant("X", TCodeValue(std::nan(""))), ECodeVariable);
}

TEST_F(ScriptVariables, AReferenceToAPooledObjectEndsWithItsReturnToThePool) {
    TGPObject* other = kernel->NationByKey(0)->CreateFromPool(0, 0, false, kBrick);
    const TCodeReference ref = TCodeReference::To(other);
    const TCodeReference anchored = TCodeReference::Anchored(other);
    EXPECT_EQ(ref.Get(), other);
    other->SetDead(true);  // back to the pool
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_EQ(anchored.Get(), other);
    EXPECT_EQ(kernel->NationByKey(0)->CreateFromPool(0, 0, false, kBrick), other) << "reused";
    EXPECT_EQ(ref.Get(), nullptr) << "a reused object is another object";

    const TCodeReference toKernel = TCodeReference::To(kernel.get());
    const TCodeReference toMap = TCodeReference::To(&map);
    EXPECT_EQ(toKernel.Get(), kernel.get());
    EXPECT_EQ(toMap.Get(), &map);
    kernel.reset();
    EXPECT_EQ(toKernel.Get(), nullptr);
    EXPECT_EQ(toMap.Get(), nullptr);
    EXPECT_EQ(TCodeReference().Get(), nullptr);
}

// ---- Running ----

using ScriptRun = ScriptFixture;

TEST_F(ScriptRun, StringOperandsOfFiveFourAndZeroBytesTakeThreeTwoAndOneWords) {
    EXPECT_EQ(StringWords("ABCDE").size(), 3u);
    EXPECT_EQ(StringWords("ABCD").size(), 2u);
    EXPECT_EQ(StringWords("").size(), 1u);
    // Read back by the engine: each declaration's type word follows its name exactly.
    std::vector<int32_t> w;
    for (const char* name : {"ABCDE", "ABCD", ""}) {
        w.push_back(1111);
        for (int32_t x : StringWords(name)) w.push_back(x);
        w.push_back(name[0] ? 2 : 4);
    }
    EXPECT_EQ(w.size(), 3u + 2u + 1u + 6u);
    TGPCode code(self, kernel.get());
    RunWords(code, w);
    EXPECT_EQ(Var(code, "ABCDE").Type(), vtReal);
    EXPECT_EQ(Var(code, "ABCD").Type(), vtReal);
    EXPECT_EQ(Var(code, "").Type(), vtBoolean);
    EXPECT_EQ(code.Variables().Count(), 7);
}

TEST_F(ScriptRun, AnEmptyBlockRunsNothingAndUnknownOpcodesAndSubOpsArePassedOver) {
    TGPCode code(self, kernel.get());
    RunWords(code, {});
    code.RunBlock(nullptr);
    EXPECT_EQ(code.Variables().Count(), 4);
    EXPECT_EQ(QueuedWords(), 0);

    RunWords(code, {5, 1111, 1, 'A', 1, 0x7FFFFFFF, -1, 6, 4, 7, 9, 1111, 1, 'B', 2});
    EXPECT_EQ(Var(code, "A").Type(), vtInteger);
    EXPECT_EQ(Var(code, "B").Type(), vtReal);
    EXPECT_EQ(ScriptKernel(), nullptr) << "no bind ran";
}

TEST_F(ScriptRun, NothingIsReadPastTheBlock) {
    // Each block stops inside a command: the command fails, nothing is read beyond it.
    const std::vector<std::pair<std::vector<int32_t>, std::string>> cut = {
        {{1111}, ""},
        {{1111, 5, StringWords("ABCD")[1]}, ""},
        {{1111, 1, 'A'}, ""},
        {{6}, "TGPPHANTOM_CLASS_EXE"},
        {{6, 1, 0, 0}, "TGPPHANTOM_CLASS_EXE"},
        {{6, 2, 4, -1, 6, -1}, "TGPPHANTOM_CLASS_EXE"},
        {{6, 3, 4, 0}, "TGPPHANTOM_CLASS_EXE"},
        {{7, 1, 0}, "TGPOBJECT_CLASS_EXE"},
        {{7, 1, 0, -1, 0}, "TGPOBJECT_CLASS_EXE"},
        {{7, 1, 0, 1, 3, StringWords("AB")[1]}, "TGPOBJECT_CLASS_EXE"},
        {{7, 2, 0, 0, 1}, "TGPOBJECT_CLASS_EXE"},
        {{7, 3, 0, -1, 1, -1, 2, -1}, "TGPOBJECT_CLASS_EXE"},
        {{7, 5, 0, -1}, "TGPOBJECT_CLASS_EXE"},
    };
    for (const auto& [words, text] : cut) {
        TGPCode code(self, kernel.get());
        // The words live in a block of exactly their size, so a read past it is out of bounds.
        const std::string message = RunError([&] { RunWords(code, words); });
        EXPECT_FALSE(message.empty()) << words.size();
        if (!text.empty()) {
            EXPECT_EQ(message, text);
        }
        EXPECT_EQ(code.Variables().Count(), 4);
    }
}

TEST_F(ScriptRun, StringOperandsBeyondTheirBoundsAndBadIndicesRaise) {
    TGPCode code(self, kernel.get());
    std::vector<int32_t> longest = StringWords(std::string(256, 'x'));
    longest.insert(longest.begin(), 1111);
    longest.push_back(1);
    RunWords(code, longest);
    EXPECT_EQ(Var(code, std::string(256, 'x')).Type(), vtInteger);

    std::vector<int32_t> tooLong = StringWords(std::string(257, 'y'));
    tooLong.insert(tooLong.begin(), 1111);
    tooLong.push_back(1);
    EXPECT_FALSE(RunError([&] { RunWords(code, tooLong); }).empty());
    EXPECT_FALSE(RunError([&] { RunWords(code, {1111, -4, 1}); }).empty());
    EXPECT_FALSE(RunError([&] { RunWords(code, {1111, 0x7FFFFFFF, 1}); }).empty());
    EXPECT_EQ(RunError([&] { RunWords(code, {7, 2, 0, 3, 257}); }), "TGPOBJECT_CLASS_EXE");

    EXPECT_EQ(RunError([&] { RunWords(code, {6, 1, 99, 0, 4}); }), "TGPPHANTOM_CLASS_EXE");
    EXPECT_EQ(RunError([&] { RunWords(code, {6, 1, 0, -5, 4}); }), "TGPPHANTOM_CLASS_EXE");
    EXPECT_EQ(RunError([&] { RunWords(code, {7, 1, 4, 0}); }), "TGPOBJECT_CLASS_EXE");
}

TEST_F(ScriptRun, InitRunsVarThenOnCreateOnce) {
    auto code = Script("on ONCREATE\n var LATER 1\non VAR\n var FIRST 1\n");
    EXPECT_FALSE(code->Initialised());
    code->Init();
    EXPECT_TRUE(code->Initialised());
    EXPECT_EQ(code->Variables().IndexOf("FIRST"), 4);
    EXPECT_EQ(code->Variables().IndexOf("LATER"), 5);
    EXPECT_NO_THROW(code->Init());  // a second run would repeat the names
    EXPECT_EQ(code->Variables().Count(), 6);

    auto failing = Script("on VAR\n var A 1\n var A 1\n");
    EXPECT_THROW(failing->Init(), rtl::EAbort);
    EXPECT_NO_THROW(failing->Init());
}

}  // namespace
