#include "media/gpMidi.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

#include "tools/datagen/MidiWriter.h"

namespace fs = std::filesystem;
using media::TGPMidi;

namespace {

struct Music : ::testing::Test {
    uint32_t now = 0;
    std::deque<std::function<void()>> mainQueue;
    fs::path dir;
    std::string music, jingle, other;
    std::unique_ptr<TGPMidi> midi;
    std::vector<int> notified;

    std::string Write(const char* name, int quarters) {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary) << datagen::WriteMidi(datagen::ScaleTune(1, quarters, 120, false));
        return path.string();
    }
    void SetUp() override {
        dir = fs::temp_directory_path() / ("sprallion-music-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        music = Write("music.mid", 8);   // 4 s
        jingle = Write("jingle.mid", 2);  // 1 s
        other = Write("other.mid", 4);
        auto seq = platform::midi::MakeNullSequencer(
            {[this](std::function<void()> f) { mainQueue.push_back(std::move(f)); }, [this] { return now; }, nullptr, {}});
        midi = std::make_unique<TGPMidi>(std::move(seq));
        midi->OnNotify = [this](TGPMidi&, int code) { notified.push_back(code); };
    }
    void TearDown() override {
        midi.reset();
        fs::remove_all(dir);
    }
    void Tick(uint32_t ms) {
        now += ms;
        while (!mainQueue.empty()) {
            auto f = std::move(mainQueue.front());
            mainQueue.pop_front();
            f();
        }
        midi->Update();
    }
};

TEST_F(Music, JingleInterruptsLoopingMusicWhichResumesAndLoops) {
    midi->AutoPlay = true;
    midi->SetEnabled(true);
    ASSERT_TRUE(midi->PlayTune(music, true, 0));
    Tick(0);
    EXPECT_EQ(midi->FileName(), music);
    EXPECT_EQ(midi->GetMode(), 2);
    Tick(1500);
    EXPECT_EQ(midi->GetPosition(), 1500u);

    ASSERT_TRUE(midi->PlayTune(jingle, false, 0));
    ASSERT_EQ(midi->Queue().size(), 2u);
    EXPECT_EQ(midi->Queue()[0].FileName, jingle);
    EXPECT_EQ(midi->Queue()[1].FileName, music);
    EXPECT_EQ(midi->Queue()[1].Position, 1500u);
    Tick(0);
    EXPECT_EQ(midi->FileName(), jingle);
    EXPECT_FALSE(midi->Loop);
    Tick(600);
    EXPECT_EQ(midi->FileName(), jingle) << "the jingle is still playing";
    Tick(500);  // the jingle ended; the music comes back where it stopped
    EXPECT_EQ(midi->FileName(), music);
    EXPECT_TRUE(midi->Loop);
    EXPECT_EQ(midi->GetPosition(), 1500u);
    EXPECT_EQ(midi->GetMode(), 2);
    Tick(2400);
    EXPECT_EQ(midi->GetPosition(), 3900u);
    Tick(200);  // ended, and looped from the start
    EXPECT_EQ(midi->GetMode(), 2);
    EXPECT_EQ(midi->FileName(), music);
    EXPECT_LE(midi->GetPosition(), 200u);
    EXPECT_TRUE(midi->Queue().empty());
    EXPECT_FALSE(midi->PlayTune(music, true, 0)) << "the current file again";
    EXPECT_NE(std::find(notified.begin(), notified.end(), 0), notified.end()) << "the jingle's end was notified";
}

TEST_F(Music, SecondLoopingTuneReplacesTheQueuedOne) {
    midi->SetEnabled(true);
    EXPECT_TRUE(midi->PlayTune(music, true, 0));
    EXPECT_FALSE(midi->PlayTune(music, true, 0)) << "already queued";
    EXPECT_TRUE(midi->PlayTune(other, true, 250));
    ASSERT_EQ(midi->Queue().size(), 1u);
    EXPECT_EQ(midi->Queue()[0].FileName, other);
    EXPECT_EQ(midi->Queue()[0].Position, 250u);
}

TEST_F(Music, PausedTuneKeepsItsPlaceInTheQueue) {
    midi->AutoPlay = true;
    midi->SetEnabled(true);
    midi->PlayTune(music, false, 0);  // a one-shot tune: a looping one queues behind it
    Tick(0);
    Tick(1000);
    ASSERT_TRUE(midi->PlayTune(other, true, 0));
    midi->PauseIfPlaying();
    Tick(100);
    EXPECT_EQ(midi->FileName(), music) << "a paused tune is not finished";
    EXPECT_EQ(midi->GetMode(), 5);
    EXPECT_EQ(midi->GetPosition(), 1000u);
    midi->Play();
    Tick(2900);
    EXPECT_EQ(midi->FileName(), music);
    Tick(200);
    EXPECT_EQ(midi->FileName(), other);
    EXPECT_EQ(midi->GetMode(), 2);
}

TEST_F(Music, DisabledStoresTheNameAndAnswersPositionZero) {
    midi->AutoPlay = true;
    midi->SetFileName(music);
    EXPECT_FALSE(midi->IsOpen());
    EXPECT_EQ(midi->GetMode(), 0);
    EXPECT_EQ(midi->GetPosition(), 0u) << "never -1, which would be queued and sought";
    ASSERT_TRUE(midi->PlayTune(jingle, false, 0));
    ASSERT_EQ(midi->Queue().size(), 2u);
    EXPECT_EQ(midi->Queue()[1].Position, 0u);
    midi->SetEnabled(true);
    EXPECT_TRUE(midi->IsOpen());
    EXPECT_NE(midi->DeviceID(), 0u);
    EXPECT_EQ(midi->GetMode(), 2);
    midi->SetEnabled(false);
    EXPECT_FALSE(midi->IsOpen());
}

TEST_F(Music, UnreadableFileLeavesThePlayerClosedAndTriesTheNext) {
    midi->AutoPlay = true;
    midi->SetEnabled(true);
    std::ofstream(dir / "bad.mid") << "not a tune";
    midi->PlayTune((dir / "bad.mid").string(), false, 0);
    midi->PlayTune(other, true, 0);
    Tick(0);
    EXPECT_FALSE(midi->IsOpen());
    EXPECT_EQ(midi->LastResult(), -1);
    Tick(0);
    EXPECT_TRUE(midi->IsOpen());
    EXPECT_EQ(midi->FileName(), other);
}

TEST_F(Music, VolumeThroughTheMidiDevice) {
    EXPECT_EQ(midi->GetDeviceCount(), 1);
    EXPECT_EQ(midi->GetVolume(), 0u) << "no device looked up yet";
    midi->SetVolume(1000);
    EXPECT_EQ(midi->GetVolume(), 0u);
    midi->FindMidiDevice();
    EXPECT_EQ(midi->Sequencer().Volume(), 0x66656665u);
    EXPECT_EQ(midi->GetVolume(), 0x6665u);
    midi->SetVolume(70000);  // clamped, not spilled into the other channel
    EXPECT_EQ(midi->Sequencer().Volume(), 0xFFFFFFFFu);
    midi->Sequencer().SetVolume(0x0000FFFF);  // left full, right silent
    EXPECT_EQ(midi->GetVolume(), 32767u);
    media::TVolumeControl none(nullptr);
    none.FindMidiDevice();
    EXPECT_EQ(none.GetVolume(2), 0u);
    none.SetVolume(2, 5);
    EXPECT_EQ(none.DeviceNumber(2), -1);
}

}  // namespace
