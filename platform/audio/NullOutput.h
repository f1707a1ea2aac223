// The null device: no sound card, but real mixing. Time comes from a clock in milliseconds
// (a virtual one in tests); before every call the mixer renders the frames that time has
// covered, so cursors, ends of sounds and the music advance as they would on a card.
// It records one line per call, and can keep what it rendered.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/Device.h"

namespace platform::audio {

class NullOutput : public Output {
public:
    using Clock = std::function<uint32_t()>;  // milliseconds, wrapping at 2^32

    // Without a clock, the steady clock of the process.
    explicit NullOutput(Clock clock = {}, uint32_t rate = 44100);

    const char* Name() const override { return "null"; }
    uint32_t Rate() const override { return rate_; }
    void Start(Mixer& mixer) override;
    void Stop() override;
    void Sync() override;
    void Note(const std::string& line) override;

    // The recorded calls, oldest first (the last kMaxCalls of them).
    std::vector<std::string> Calls() const;
    void ClearCalls();
    static constexpr size_t kMaxCalls = 4096;

    // Keeps every rendered stereo frame from now on (interleaved 16-bit).
    void Capture(bool on);
    std::vector<int16_t> Captured() const;
    uint64_t FramesRendered() const;

private:
    Clock clock_;
    const uint32_t rate_;
    Mixer* mixer_ = nullptr;
    mutable std::mutex mutex_;
    uint32_t startMs_ = 0;
    uint64_t elapsedMs_ = 0;
    uint32_t lastMs_ = 0;
    uint64_t rendered_ = 0;
    bool capture_ = false;
    std::vector<int16_t> captured_;
    std::deque<std::string> calls_;
};

}  // namespace platform::audio
