// Fixtures for the description tests: a program folder in a temporary directory, name
// tables loaded from a datagen stream, and containers of description sections.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/gpClasses.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "rtl/Streams.h"
#include "tests/TempDir.h"
#include "tools/datagen/ClassesWriter.h"

class ClassesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.File("Resource"));
        engine::SetProgramFolder(dir_.File(""));
        engine::ClearAnimationRegistries();
        engine::ListAnimateCursor().Clear();
        LoadNames(DefaultNames());
    }
    void TearDown() override {
        engine::ClearAnimationRegistries();
        engine::ListAnimateCursor().Clear();
        engine::ClearNameTables();
    }

    static datagen::NameTables DefaultNames() {
        datagen::NameTables t;
        t.tables[0] = {"Paddle", "Paddle2", "Monster"};
        t.tables[1] = {"Wall"};
        t.tables[2] = {"Arrow", "Hand"};
        t.tables[3] = {"Boom", "Spark"};
        t.tables[4] = {"Panel", "Digits"};
        return t;
    }
    static int32_t LoadNames(const datagen::NameTables& names, int32_t flags = 62) {
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return engine::LoadPixSetGP({}, flags, &stream);
    }

    // A container file of the sections; the fixture keeps it open.
    engine::TGPResource& Container(const std::vector<datagen::ContainerSection>& sections) {
        const std::string name = dir_.File("set" + std::to_string(containers_.size()) + ".ig");
        datagen::WriteContainer(name, sections);
        containers_.push_back(std::make_unique<engine::TGPResource>(name, rtl::fmOpenRead));
        return *containers_.back();
    }
    void Loose(const std::string& name, const std::string& extension, const std::string& bytes) {
        datagen::WriteLooseDescription(dir_.File("Resource"), name, extension, bytes);
    }

    TempDir dir_;
    std::vector<std::unique_ptr<engine::TGPResource>> containers_;
};
