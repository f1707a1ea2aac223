// The kernel as the main form makes it: the sound register loading through the form, from
// the level set before the game data, at the list's common volume.
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "media/DXSounds.h"
#include "tests/app/StartupFixture.h"
#include "tools/datagen/Wave.h"
#include "tools/datagen/WorldWriter.h"

namespace {

using apptest::StartupTest;

std::string Sound(int frames) {
    datagen::WaveParams p;
    p.samples = datagen::TestSamples(1, 16, frames);
    return datagen::BuildWave(p);
}

class GameKernelTest : public StartupTest {
protected:
    // The smallest game data with a wave list of three sounds: a good one, one whose data is
    // no sound, one without an entry.
    void WriteGameWithSounds() {
        auto sections = datagen::MinimalGameSections();
        datagen::WaveList list;
        list.names = {"Boom", "Noise", "Absent"};
        for (auto& s : sections)
            if (s.name == "Strings") s.entries.push_back({"ListWave", datagen::WaveListEntry(list)});
        sections.push_back({"Wav", {{"Boom", Sound(400)}, {"Noise", "not a wave at all"}}});
        std::filesystem::create_directories(Home() + "/Resource");
        datagen::WriteContainer(Home() + "/Resource/Demo2.bif", sections);
    }
};

TEST_F(GameKernelTest, TheSoundRegisterLoadsThroughTheFormAtTheListsVolume) {
    WriteGameWithSounds();
    Start();
    ASSERT_TRUE(form_->Kernel);
    engine::TDXRegisterSound* waves = engine::WaveRegister(*form_->Kernel);
    ASSERT_TRUE(waves);
    ASSERT_TRUE(waves->OnLoadSound);
    waves->SetVolume(-1500);
    media::TWaveCollectionItem* boom = waves->GetSound(200, 0, *form_->Kernel);  // class 200 has base 0
    ASSERT_TRUE(boom);
    EXPECT_TRUE(boom->Buffer().Loaded());
    EXPECT_EQ(boom->Buffer().GetVolume(), -1500);
    EXPECT_EQ(waves->GetSound(200, 0, *form_->Kernel), boom);  // loaded once
    const int count = waves->GetCount();
    EXPECT_EQ(waves->GetSound(200, 1, *form_->Kernel), nullptr);  // data that is no sound
    EXPECT_EQ(waves->GetSound(200, 2, *form_->Kernel), nullptr);  // no entry
    EXPECT_EQ(waves->GetCount(), count);                          // nothing left behind
    EXPECT_TRUE(form_->Kernel->SoundState->SoundOn);
    form_->FormDestroy(form_.get());
}

TEST_F(GameKernelTest, TheLevelSetsSoundsComeBeforeTheGameData) {
    WriteGameWithSounds();
    Start();
    ASSERT_TRUE(form_->Kernel && form_->Sound);
    const std::string levelSet = dir_.File("level.ig");
    datagen::WriteContainer(levelSet, {{"Wav", {{"Boom", Sound(100)}}}});
    form_->Kernel->Resource = std::make_unique<engine::TGPResource>(levelSet, rtl::fmOpenRead);
    media::TDXWaveList list(form_->Sound);
    media::TWaveCollectionItem& item = list.Add("x");
    ASSERT_TRUE(form_->LoadSoundFromResource(item, "Boom"));
    EXPECT_EQ(item.Buffer().Size(), 200u);  // the level set's 100 frames of 16 bits
    EXPECT_FALSE(form_->LoadSoundFromResource(list.Add("y"), "Noise"));  // not in the level set
    form_->Kernel->Resource.reset();
    EXPECT_FALSE(form_->LoadSoundFromResource(list.Add("z"), "Noise"));  // in the game data, but no sound
    form_->FormDestroy(form_.get());
}

}  // namespace
