// The mixer's two locks: the stream source renders outside the lock of the sound calls.
#include "platform/audio/Mixer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace audio = platform::audio;
using namespace std::chrono_literals;

namespace {

// A stream source that holds its render until the test lets it go.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool inside = false, open = false;
    void Render(float* out, size_t frames) {
        std::unique_lock lock(mutex);
        inside = true;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
        for (size_t i = 0; i < frames * 2; ++i) out[i] += 0.25f;
    }
    void WaitInside() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return inside; });
    }
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

std::shared_ptr<const audio::Samples> Silence() {
    return audio::Samples::Decode({1, 22050, 16}, std::vector<uint8_t>(4410, 0));
}

}  // namespace

TEST(MixerLocks, SoundCallsGoThroughWhileTheStreamRenders) {
    audio::Mixer mixer(44100);
    Gate gate;
    mixer.SetStream([&](float* out, size_t frames) { gate.Render(out, frames); });
    const auto voice = mixer.AddVoice(Silence(), false);
    std::vector<int16_t> mixed(512 * 2);
    std::thread output([&] { mixer.Mix(mixed.data(), 512); });
    gate.WaitInside();
    // The source is in the middle of its block: the game's calls must not wait for it.
    auto calls = std::async(std::launch::async, [&] {
        mixer.Play(voice, true);
        mixer.SetVolume(voice, -600);
        const bool playing = mixer.Playing(voice);
        mixer.Stop(voice);
        return playing;
    });
    const bool done = calls.wait_for(5s) == std::future_status::ready;
    gate.Open();  // never leave the output thread stuck, whatever happened
    output.join();
    ASSERT_TRUE(done) << "a sound call waited for the stream's render";
    EXPECT_TRUE(calls.get());
    EXPECT_NEAR(mixed[0], 8192, 2) << "the stream's block is still mixed in";
}

TEST(MixerLocks, ReplacingTheStreamWaitsForItsRunningRender) {
    audio::Mixer mixer(44100);
    Gate gate;
    mixer.SetStream([&](float* out, size_t frames) { gate.Render(out, frames); });
    std::vector<int16_t> mixed(256 * 2);
    std::thread output([&] { mixer.Mix(mixed.data(), 256); });
    gate.WaitInside();
    auto replaced = std::async(std::launch::async, [&] { mixer.SetStream({}); });
    EXPECT_EQ(replaced.wait_for(50ms), std::future_status::timeout) << "the old source is still rendering";
    gate.Open();
    output.join();
    replaced.wait();
    mixer.Mix(mixed.data(), 256);
    EXPECT_EQ(mixed[0], 0) << "the source is gone";
}
