#include <gtest/gtest.h>

#include <deque>

#include "platform/midi/MidiFile.h"
#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

namespace midi = platform::midi;
using datagen::MidiDamage;

namespace {

midi::MidiSong Read(const std::string& bytes) {
    return midi::ReadMidiFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

TEST(MidiFile, ReadsBothFormatsWithTheTempoMap) {
    for (int format : {0, 1}) {
        for (bool change : {false, true}) {
            const auto tune = datagen::ScaleTune(format, 16, 120, change);
            const auto song = Read(datagen::WriteMidi(tune));
            EXPECT_EQ(song.format, format);
            EXPECT_EQ(song.tracks, format == 0 ? 1 : 3);
            EXPECT_NEAR(song.LengthMs(), datagen::MidiLengthMs(tune), 1);
            EXPECT_EQ(song.LengthMs(), change ? 6000u : 8000u);
            // 16 melody and 8 bass notes, each on and off, and two program changes.
            EXPECT_EQ(song.events.size(), 16u * 2 + 8 * 2 + 2);
            for (size_t i = 1; i < song.events.size(); ++i)
                ASSERT_LE(song.events[i - 1].micros, song.events[i].micros);
            // The last notes end 20 ticks before the tracks; after the change a beat lasts 250 ms.
            const auto& last = song.events.back();
            EXPECT_NEAR(static_cast<double>(last.micros), static_cast<double>(song.lengthMicros) - (change ? 10417 : 20833), 2);
        }
    }
}

TEST(MidiFile, TimecodeDivisionIgnoresTempo) {
    auto tune = datagen::ScaleTune(1, 4, 120, true);
    tune.division = 0xE728;  // 25 frames of 40 ticks: 1000 ticks a second
    // Four beats of 480 ticks: 1.92 s whatever the tempo says.
    const auto song = Read(datagen::WriteMidi(tune));
    EXPECT_EQ(song.lengthMicros, 1920000u);
}

TEST(MidiFile, DamagedFilesFailOrReadWhatIsThere) {
    const std::string good = datagen::WriteMidi(datagen::ScaleTune(1, 16, 120, true));
    for (MidiDamage d : {MidiDamage::NoHeader, MidiDamage::Format2, MidiDamage::ZeroDivision, MidiDamage::NoTrack,
                         MidiDamage::MissingStatus, MidiDamage::LongNumber})
        EXPECT_THROW(Read(datagen::DamageMidi(good, d)), midi::EMidiFileError) << static_cast<int>(d);
    const auto cut = Read(datagen::DamageMidi(good, MidiDamage::Truncated));
    EXPECT_LT(cut.events.size(), 50u);
    EXPECT_GT(cut.events.size(), 0u);
    const auto past = Read(datagen::DamageMidi(good, MidiDamage::TrackPastEnd));
    EXPECT_GE(past.tracks, 1);
    EXPECT_THROW(Read("MThd"), midi::EMidiFileError);
    EXPECT_THROW(midi::LoadMidiFile("/nonexistent/x.mid"), midi::EMidiFileError);
}

// A main-thread queue standing in for the window's dispatcher.
struct MainQueue {
    std::deque<std::function<void()>> calls;
    midi::PostToMain Post() {
        return [this](std::function<void()> f) { calls.push_back(std::move(f)); };
    }
    void Pump() {
        while (!calls.empty()) {
            auto f = std::move(calls.front());
            calls.pop_front();
            f();
        }
    }
};

struct NullSequencer : ::testing::Test {
    uint32_t now = 0xFFFFF000u;  // wraps during the test
    MainQueue main;
    std::vector<midi::NotifyCode> codes;
    std::unique_ptr<midi::Sequencer> seq;
    void SetUp() override {
        seq = midi::MakeNullSequencer({main.Post(), [this] { return now; }, nullptr, {}});
        seq->SetNotify([this](midi::NotifyCode c) { codes.push_back(c); });
        ASSERT_TRUE(seq->OpenSong(Read(datagen::WriteMidi(datagen::ScaleTune(1, 8, 120, false)))));  // 4 s
    }
};

TEST_F(NullSequencer, KeepsTimeByTheClock) {
    EXPECT_EQ(seq->GetMode(), midi::Mode::Stopped);
    EXPECT_EQ(seq->LengthMs(), 4000u);
    seq->Play();
    now += 1500;
    EXPECT_EQ(seq->PositionMs(), 1500u);
    EXPECT_EQ(seq->GetMode(), midi::Mode::Playing);
    seq->Pause();
    now += 1000;
    EXPECT_EQ(seq->GetMode(), midi::Mode::Paused);
    EXPECT_EQ(seq->PositionMs(), 1500u);
    seq->Play();
    now += 500;
    EXPECT_EQ(seq->PositionMs(), 2000u);
    seq->Seek(3000);
    EXPECT_EQ(seq->GetMode(), midi::Mode::Stopped);
    EXPECT_EQ(seq->PositionMs(), 3000u);
    seq->Seek(99999);
    EXPECT_EQ(seq->PositionMs(), 4000u);
    seq->Close();
    EXPECT_EQ(seq->GetMode(), midi::Mode::NotReady);
    EXPECT_FALSE(seq->Play());
}

TEST_F(NullSequencer, EndIsNotifiedOnTheMainThread) {
    seq->Play();
    now += 4100;
    EXPECT_EQ(seq->GetMode(), midi::Mode::Stopped);
    EXPECT_TRUE(codes.empty()) << "not before the main thread pumps";
    main.Pump();
    EXPECT_EQ(codes, (std::vector{midi::kNotifySuccessful}));
    EXPECT_EQ(seq->PositionMs(), 4000u);

    codes.clear();
    seq->Seek(0);
    seq->Play();
    seq->Play();  // the first play's notification is superseded
    seq->Stop();
    main.Pump();
    EXPECT_EQ(codes, (std::vector{midi::kNotifySuperseded, midi::kNotifyAborted}));
}

TEST_F(NullSequencer, EndOfAnEarlierTuneStillArrivesButNotPastTheSequencer) {
    seq->Play();
    now += 5000;
    seq->GetMode();  // the end is posted
    ASSERT_TRUE(seq->OpenSong(Read(datagen::WriteMidi(datagen::ScaleTune(0, 4, 120, false)))));
    main.Pump();
    EXPECT_EQ(codes, (std::vector{midi::kNotifySuccessful}));
    seq->Play();
    now += 3000;
    seq->GetMode();
    codes.clear();
    seq.reset();
    main.Pump();  // a notification that outlives its sequencer goes nowhere
    EXPECT_TRUE(codes.empty());
}

TEST(Sequencer, OpenFailsOnABadFileAndNotifiesWithoutAPost) {
    uint32_t now = 0;
    auto seq = midi::MakeNullSequencer({nullptr, [&] { return now; }, nullptr, {}});
    EXPECT_FALSE(seq->Open("/nonexistent/tune.mid"));
    EXPECT_FALSE(seq->IsOpen());
    int ended = 0;
    seq->SetNotify([&](midi::NotifyCode c) { ended += c == midi::kNotifySuccessful; });
    seq->OpenSong(Read(datagen::WriteMidi(datagen::ScaleTune(0, 2, 120, false))));
    seq->Play();
    now += 2000;
    seq->GetMode();
    EXPECT_EQ(ended, 1);
    seq->SetVolume(0x12345678);
    EXPECT_EQ(seq->Volume(), 0x12345678u);
}

}  // namespace
