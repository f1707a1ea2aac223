// A headless kernel with its nations and map, a game object of play, and scripts assembled
// from command lists by datagen, for the script tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "EngineFixtures.h"
#include "engine/gpCode.h"
#include "engine/gpErrors.h"
#include "engine/gpMap.h"
#include "engine/gpPaths.h"
#include "rtl/Streams.h"
#include "tests/TempDir.h"
#include "tools/datagen/CodeWriter.h"

class ScriptFixture : public ::testing::Test {
protected:
    static constexpr int32_t kBrick = 12;

    ScriptFixture() {
        std::filesystem::create_directories(dir.File("Resource"));
        engine::SetProgramFolder(dir.File(""));
        enginetest::EmptyPools();
        kernel = std::make_unique<engine::TGPKernel>(&display, nullptr, nullptr);
        map.Create(kernel.get(), false, 34, 48, 9, 9, 9, 9, 64);
        for (int32_t key = 0; key <= 6; ++key) kernel->NationByKey(key);
        kernel->NationByKey(6)->SetMaxCount(10);
        self = kernel->NationByKey(0)->CreateFromPool(128, 64, false, kBrick);
        self->Width = 64;
        self->Height = 32;
    }
    ~ScriptFixture() override {
        kernel.reset();
        enginetest::EmptyPools();
    }

    // A script of self, loaded from a command list.
    std::unique_ptr<engine::TGPCode> Script(const std::string& source) {
        auto code = std::make_unique<engine::TGPCode>(self, kernel.get());
        Load(*code, datagen::AssembleCpcStream(source));
        return code;
    }
    static void Load(engine::TGPCode& code, const std::string& bytes) {
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        code.LoadFromStream(stream);
    }
    static void Run(engine::TGPCode& code, engine::TCodeEvent event) {
        code.RunBlock(code.FindBlock(engine::CodeEventName(event)));
    }
    // A script of one block of raw words, run once.
    void RunWords(engine::TGPCode& code, std::vector<int32_t> words) {
        Load(code, datagen::WriteCpc({{{11, std::move(words), {}}}, "_CPC", {}}));
        Run(code, engine::TCodeEvent::OnCollision);
    }
    engine::TVariable& Var(engine::TGPCode& code, const std::string& name) {
        const int i = code.Variables().IndexOf(name);
        EXPECT_GE(i, 0) << name;
        return code.Variables().Get(i);
    }
    int QueuedWords() const { return kernel->CommandLine->EndMark; }

    TempDir dir;
    enginetest::HeadlessDisplay display;
    engine::TGPMap map;  // outlives the kernel, which detaches it at its end
    std::unique_ptr<engine::TGPKernel> kernel;
    engine::TGPObject* self = nullptr;
};

// The words of a string operand, as the engine reads them.
inline std::vector<int32_t> StringWords(const std::string& text) {
    std::vector<int32_t> words;
    datagen::AppendStringOperand(words, text);
    return words;
}

// Runs f and answers the message of the ERunCPC it raises ("" when none).
template <class F> std::string RunError(F&& f) {
    try {
        f();
    } catch (const engine::ERunCPC& e) {
        return e.message();
    }
    return "";
}
