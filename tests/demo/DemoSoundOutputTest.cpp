// The demo heard through a real mixing path: the game on SDL's disk audio driver (the mixed
// stream written to a file, paced as a sound card would take it) with FluidSynth playing the
// music. A few seconds at the main menu must hold music, and every brick hit and break of
// the test set's levels a sound that starts within a tick of it. The ticks follow the stream
// (a tick waits until the stream has reached its time), and every event is placed on the
// stream's own timeline: the frames the mixer had rendered before and after its tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/gpKernel.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/audio/Device.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"

namespace {

constexpr int kMenuTicks = 150;  // 3.3 s of menu
constexpr int kTickMs = 22;
constexpr uint64_t kDeviceBlock = 1024;  // the frames the SDL output asks SDL to take at a time

struct Event {
    std::string what;
    uint64_t before = 0, after = 0;  // the mixer's frames when the tick began and ended
};

class SoundOutputRun {
public:
    explicit SoundOutputRun(demotest::HeadlessGame& game) : game_(game) {}

    platform::audio::Mixer& Mixer() { return game_.Form().Sound->Device().GetMixer(); }
    uint32_t Rate() { return Mixer().Rate(); }

    // One tick at the stream's pace: it waits until the stream has reached the tick's time.
    bool Tick() {
        const uint64_t due = start_ + static_cast<uint64_t>(++ticks_) * Rate() * kTickMs / 1000;
        for (int i = 0; i < 2000 && Mixer().FramesMixed() < due; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        before_ = Mixer().FramesMixed();
        game_.Tick();
        if (::testing::Test::HasFatalFailure()) return false;
        after_ = Mixer().FramesMixed();
        return true;
    }
    void Begin() { start_ = Mixer().FramesMixed(), ticks_ = 0; }
    uint64_t Before() const { return before_; }
    uint64_t After() const { return after_; }

private:
    demotest::HeadlessGame& game_;
    uint64_t start_ = 0, before_ = 0, after_ = 0;
    int ticks_ = 0;
};

std::vector<int16_t> ReadStereo(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

// The level of the stream's changes (left plus right, first difference) over frames
// [from, from + count): high where a sound strikes, low under the music's smooth tones.
double Edge(const std::vector<int16_t>& stereo, uint64_t from, uint64_t count) {
    double sum = 0;
    uint64_t n = 0;
    for (uint64_t f = std::max<uint64_t>(from, 1); f < from + count && 2 * f + 1 < stereo.size(); ++f, ++n) {
        const double now = stereo[2 * f] + stereo[2 * f + 1], then = stereo[2 * f - 2] + stereo[2 * f - 1];
        sum += (now - then) * (now - then);
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

double Loudness(const std::vector<int16_t>& stereo, uint64_t from, uint64_t count) {
    double sum = 0;
    uint64_t n = 0;
    for (uint64_t f = from; f < from + count && 2 * f + 1 < stereo.size(); ++f, ++n)
        sum += 0.5 * (double(stereo[2 * f]) * stereo[2 * f] + double(stereo[2 * f + 1]) * stereo[2 * f + 1]);
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

TEST(DemoSoundOutput, TheMenuHasMusicAndEveryBrickHitSoundsWithinATick) {
    TempDir out;
    const std::string file = out.File("stream.raw");
    testproc::ScopedEnv env;
    env.Set("SPRALLION_AUDIO", "sdl");
    env.Set("SPRALLION_MIDI", "fluidsynth");
    env.Set("SDL_AUDIODRIVER", "disk");
    env.Set("SDL_DISKAUDIOFILE", file);
    std::vector<Event> events;
    uint64_t menuFrom = 0, menuTo = 0, playFrom = 0, playTo = 0;
    uint32_t rate = 0;
    {
        demotest::HeadlessGame game;
        ASSERT_NO_FATAL_FAILURE(game.Start());
        ASSERT_TRUE(game.TickUntilShown("MainPanel", 2000));
        ASSERT_STREQ(game.Form().Sound->Device().BackendName(), "SDL") << "another sound device is open in this process";
        SoundOutputRun run(game);
        rate = run.Rate();
        run.Begin();
        menuFrom = run.Mixer().FramesMixed();
        for (int i = 0; i < kMenuTicks; ++i) ASSERT_TRUE(run.Tick());
        menuTo = run.Mixer().FramesMixed();

        // The test set: a free ball meets each level's one brick by itself.
        ASSERT_NO_FATAL_FAILURE(game.NewGame("0Test.ig", 0, 3));
        playFrom = run.Mixer().FramesMixed();
        engine::TGPKernel& kernel = *game.Form().Kernel;
        // A hit starts the brick's shaking; a break takes it out of play.
        std::vector<std::pair<uint32_t, uint16_t>> struck, present;
        int hits = 0, breaks = 0;
        for (int i = 0; i < 1500 && (hits < 2 || breaks < 2); ++i) {
            if (game.PanelShown("MessageBox")) {
                ASSERT_NO_FATAL_FAILURE(game.PressEnter());
                run.Begin();
                continue;
            }
            ASSERT_TRUE(run.Tick());
            std::vector<std::pair<uint32_t, uint16_t>> now;
            if (const engine::TGPNation* bricks = kernel.FindNation(0))
                for (const engine::TGPObject* o : bricks->Objects) {
                    if (!engine::IsBrickClass(o->IDClass) || o->HitPoints == engine::kIndestructible) continue;
                    const auto key = std::pair{o->Handle(), o->Generation()};
                    now.push_back(key);
                    if (o->Vibration.On && std::find(struck.begin(), struck.end(), key) == struck.end()) {
                        struck.push_back(key);
                        events.push_back({"hit " + std::to_string(++hits), run.Before(), run.After()});
                    }
                }
            for (const auto& key : present)
                if (std::find(now.begin(), now.end(), key) == now.end())
                    events.push_back({"break " + std::to_string(++breaks), run.Before(), run.After()});
            present = now;
        }
        // The last sounds play on: a second more of the stream.
        for (int i = 0; i < 45; ++i) {
            if (game.PanelShown("MessageBox")) break;
            ASSERT_TRUE(run.Tick());
        }
        playTo = run.Mixer().FramesMixed();
        ASSERT_NO_FATAL_FAILURE(game.EndGame());
        EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
    }

    const std::vector<int16_t> stereo = ReadStereo(file);
    ASSERT_GE(stereo.size() / 2, playTo) << "the stream is shorter than the frames mixed";
    const uint64_t window = rate / 20;  // 50 ms
    auto musicShare = [&](uint64_t from, uint64_t to) {
        int loud = 0, all = 0;
        for (uint64_t f = from; f + window <= to; f += window, ++all) loud += Loudness(stereo, f, window) > 150;
        return all ? static_cast<double>(loud) / all : 0.0;
    };
    EXPECT_GT(musicShare(menuFrom, menuTo), 0.8) << "the menu is silent";
    EXPECT_GT(musicShare(playFrom, playTo), 0.8) << "the level is silent";

    // Each hit and break: a sound's edge rising far above the stream's level just before.
    const uint64_t tick = rate * kTickMs / 1000, step = rate / 500;  // 2 ms
    auto onsetAfter = [&](uint64_t from, uint64_t to) -> uint64_t {
        const double background = Edge(stereo, from > 4 * tick ? from - 4 * tick : 0, 3 * tick);
        for (uint64_t f = from; f < to; f += step / 2)
            if (Edge(stereo, f, step) > std::max(3.5 * background, 150.0)) return f;
        return 0;
    };
    ASSERT_GE(events.size(), 4u) << "two hits and two breaks";
    // SDL's thread writes silence while the device is still paused after opening: the file
    // may begin with whole blocks the mixer never rendered. The first event tells how many;
    // from then on every event must sound within a tick of its tick on the mixer's timeline.
    const uint64_t first = onsetAfter(events[0].before > step ? events[0].before - step : 0,
                                      events[0].after + 4 * kDeviceBlock + tick);
    ASSERT_NE(first, 0u) << "no sound after the first hit";
    const uint64_t shift = (first + kDeviceBlock / 2 - events[0].before) / kDeviceBlock * kDeviceBlock;
    for (const Event& e : events) {
        SCOPED_TRACE(e.what);
        const uint64_t onset = onsetAfter(e.before + shift - step, e.after + shift + 2 * tick);
        ASSERT_NE(onset, 0u) << "no sound starts near frame " << e.before;
        EXPECT_LE(onset, e.after + shift + tick)
            << "the sound starts " << (onset - e.after - shift) * 1000.0 / rate << " ms after its tick";
    }
}

}  // namespace
