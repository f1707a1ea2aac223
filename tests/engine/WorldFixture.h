// The world on a headless display: a kernel drawing on a real display component over the
// headless presenter, a program folder in a temporary directory, name tables, and the two
// containers (level set and game data) written by datagen.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "EngineFixtures.h"
#include "engine/gpClasses.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpPaths.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "platform/display/Display.h"
#include "platform/window/Application.h"
#include "tests/TempDir.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/WorldWriter.h"

namespace enginetest {

// The RGB565 value of $RRGGBB.
inline uint16_t To565(uint32_t rgb) {
    return static_cast<uint16_t>(((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31));
}

class WorldFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320, kHeight = 240;

    WorldFixture() : WorldFixture(kWidth, kHeight) {}
    // A display of another size (a mode the device offers).
    WorldFixture(int width, int height) : dxdraw(presenter, Device()), display(dxdraw) {
        platform::window::App().SetActive(true);
        platform::window::App().SetMainFormActive(true);
        EmptyPools();
        std::filesystem::create_directories(dir.File("Resource/Sound"));
        std::filesystem::create_directories(dir.File("Resource/Forms"));
        engine::SetProgramFolder(dir.File(""));
        engine::ClearAnimationRegistries();
        engine::ListAnimateCursor().Clear();
        datagen::NameTables names;
        names.tables[0] = {"Paddle", "Paddle2", "Monster"};
        names.tables[1] = {"Wall", "Sky"};
        names.tables[2] = {"Arrow", "Hand", "Busy"};
        names.tables[3] = {"Boom", "Spark", "Flash", "Smoke"};
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        engine::LoadPixSetGP({}, 62, &stream);
        form.ClientWidth = width;
        form.ClientHeight = height;
        form.SetActive(true);
        dxdraw.AutoInitialize = false;
        dxdraw.SetParent(&form);
        dxdraw.SetBounds(0, 0, width, height);
        dxdraw.Initialize();
        kernel = std::make_unique<engine::TGPKernel>(&display, nullptr, nullptr);
    }
    ~WorldFixture() override {
        kernel.reset();
        engine::ClearAnimationRegistries();
        engine::ListAnimateCursor().Clear();
        engine::ClearNameTables();
        EmptyPools();
    }

    static platform::ddraw::DeviceConfig Device() {
        platform::ddraw::DeviceConfig c;
        c.Modes = {{kWidth, kHeight, 16}, {800, 600, 16}};
        c.VideoMemory = size_t(16) << 20;
        return c;
    }

    // A container of the sections, opened for reading.
    std::unique_ptr<engine::TGPResource> Container(const std::vector<datagen::ContainerSection>& sections) {
        const std::string name = dir.File("c" + std::to_string(containers_++) + ".bif");
        datagen::WriteContainer(name, sections);
        return std::make_unique<engine::TGPResource>(name, rtl::fmOpenRead);
    }
    void LevelSet(const std::vector<datagen::ContainerSection>& sections) { kernel->Resource = Container(sections); }
    void GameData(const std::vector<datagen::ContainerSection>& sections) {
        gameData = Container(sections);
        kernel->InterfaceResource = gameData.get();
    }

    // The presented frame's pixel.
    uint16_t Pixel(int x, int y) const {
        const auto frame = presenter.ReadFrame();
        return frame.Pixels.at(static_cast<size_t>(y) * static_cast<size_t>(frame.Width) + static_cast<size_t>(x));
    }
    // The back surface's pixel (before a flip).
    uint32_t BackPixel(int x, int y) { return dxdraw.Surface()->Pixel(x, y); }

    TempDir dir;
    platform::display::HeadlessPresenter presenter;
    platform::display::Form form;
    media::TDXDraw dxdraw;
    engine::TKernelDXDraw display;
    std::unique_ptr<engine::TGPResource> gameData;
    std::unique_ptr<engine::TGPKernel> kernel;

private:
    int containers_ = 0;
};

}  // namespace enginetest
