// The FluidSynth sequencer rendering on an output thread while the main thread plays, seeks
// and asks for the mode: the synthesiser renders outside the sequencer's lock.
#include "platform/audio/Device.h"
#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../../TempDir.h"

namespace audio = platform::audio;
namespace midi = platform::midi;

// FluidSynth's sound-font loading runs on OpenMP's threads, whose synchronisation
// ThreadSanitizer cannot see (the library is not instrumented): its reports are not ours.
extern "C" const char* __tsan_default_suppressions() { return "called_from_lib:libgomp.so.1\n"; }

namespace {

// A sound card ten times faster than real time: the tune, a hundred seconds long, lasts the test.
class EagerOutput final : public audio::Output {
public:
    const char* Name() const override { return "eager"; }
    uint32_t Rate() const override { return 44100; }
    void Start(audio::Mixer& mixer) override {
        running_ = true;
        thread_ = std::thread([this, &mixer] {
            std::vector<int16_t> block(512 * 2);
            while (running_) {
                mixer.Mix(block.data(), 512);  // 11.6 ms of sound
                std::this_thread::sleep_for(std::chrono::microseconds(1160));
            }
        });
    }
    void Stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace

TEST(FluidRender, MusicCallsRunWhileTheOutputThreadRenders) {
    auto device = audio::Device::Create(std::make_unique<EagerOutput>());
    midi::SequencerOptions options;
    options.device = device;
    std::string why;
    auto sequencer = midi::MakeFluidSequencer(options, why);
    if (!sequencer) GTEST_SKIP() << why;
    TempDir dir;
    dir.Write("tune.mid", datagen::WriteMidi(datagen::ScaleTune(1, 400, 240, false)));
    ASSERT_TRUE(sequencer->Open(dir.File("tune.mid")));
    ASSERT_TRUE(sequencer->Play(false));
    // The output thread moves the playhead on as it renders.
    for (int i = 0; i < 5000 && sequencer->PositionMs() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GT(sequencer->PositionMs(), 0u);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(sequencer->GetMode(), midi::Mode::Playing);
        if (i % 60 == 0) {
            ASSERT_TRUE(sequencer->Seek(30000));
            EXPECT_GE(sequencer->PositionMs(), 30000u) << "a render in flight does not move it back";
            ASSERT_TRUE(sequencer->Play(false));
        }
    }
    ASSERT_TRUE(sequencer->Stop());
    EXPECT_EQ(sequencer->GetMode(), midi::Mode::Stopped);
    sequencer.reset();  // leaves the mixer before the device goes
}
