// The game data's configuration with the shell's own reader and writer: the defaults come
// back as stored, a change survives a restart, and the message box's layout stays behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/gpResource.h"
#include "tests/app/AppFixtures.h"
#include "tests/demo/DemoFixture.h"
#include "tools/datagen/ConfigStream.h"
#include "tools/datagen/demo/DemoDialogs.h"

namespace {

class DemoConfigTest : public apptest::AppTest {
protected:
    DemoConfigTest() {
        // The game writes into its container, so the test works on a copy.
        std::filesystem::copy_file(demotest::DemoData::Get().Path(datagen::demo::kGameDataFile), Container(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::string Container() const { return dir_.File("game/Resource/Demo2.bif"); }
    void Load(app::TDlg_Sprallion& form) {
        form.ContainerFile = Container();
        form.Resource = std::make_unique<engine::TGPResource>(Container(), rtl::fmOpenRead);
        form.LoadConfig(*form.Resource);
    }
};

}  // namespace

TEST_F(DemoConfigTest, StoredDefaultsLoadAndAChangeSurvivesARestart) {
    GiveDevices(*form_);
    Load(*form_);
    EXPECT_EQ(form_->GPCfg, app::TGPCfg{});
    EXPECT_EQ(waves_->GetVolume(), -200);
    EXPECT_EQ(form_->MouseControl, 1);
    const std::vector<uint32_t> keys = datagen::DefaultKeys();
    for (int state = 0; state < 36; ++state)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(static_cast<uint32_t>(form_->Input->Keyboard().KeyAssigns[static_cast<size_t>(state)][static_cast<size_t>(k)]),
                      keys[static_cast<size_t>(state * 3 + k)]);

    waves_->SetVolume(-900);
    form_->SaveConfig();
    DropDevices(*form_);
    auto next = NewForm();
    GiveDevices(*next);
    Load(*next);
    EXPECT_EQ(next->GPCfg.WaveVolume, -900);
    EXPECT_EQ(Log(), "");
    engine::TGPResource container(Container(), rtl::fmOpenRead);
    EXPECT_EQ(container.Status(), 0);
    std::array<uint8_t, 208> layout{};
    EXPECT_TRUE(container.ReadBuffer("Cfg", "MsgPos", 208, layout.data()));
    EXPECT_EQ(std::string(layout.begin(), layout.end()), datagen::demo::MessageBoxLayout());
}
