#include "platform/audio/NullOutput.h"

#include <chrono>

namespace platform::audio {

NullOutput::NullOutput(Clock clock, uint32_t rate) : clock_(std::move(clock)), rate_(rate) {
    if (!clock_) {
        clock_ = [] {
            using namespace std::chrono;
            return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        };
    }
}

void NullOutput::Start(Mixer& mixer) {
    std::lock_guard lock(mutex_);
    mixer_ = &mixer;
    startMs_ = lastMs_ = clock_();
    elapsedMs_ = 0;
    rendered_ = 0;
}

void NullOutput::Stop() {
    std::lock_guard lock(mutex_);
    mixer_ = nullptr;
}

void NullOutput::Sync() {
    std::lock_guard lock(mutex_);
    if (!mixer_) return;
    const uint32_t now = clock_();
    elapsedMs_ += static_cast<uint32_t>(now - lastMs_);  // wrap-aware difference
    lastMs_ = now;
    const uint64_t due = elapsedMs_ * rate_ / 1000;
    int16_t block[512 * 2];
    while (rendered_ < due) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(due - rendered_, 512));
        mixer_->Mix(block, n);
        if (capture_) captured_.insert(captured_.end(), block, block + n * 2);
        rendered_ += n;
    }
}

void NullOutput::Note(const std::string& line) {
    std::lock_guard lock(mutex_);
    calls_.push_back(line);
    if (calls_.size() > kMaxCalls) calls_.pop_front();
}

std::vector<std::string> NullOutput::Calls() const {
    std::lock_guard lock(mutex_);
    return {calls_.begin(), calls_.end()};
}

void NullOutput::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void NullOutput::Capture(bool on) {
    std::lock_guard lock(mutex_);
    capture_ = on;
    if (on) captured_.clear();
}

std::vector<int16_t> NullOutput::Captured() const {
    std::lock_guard lock(mutex_);
    return captured_;
}

uint64_t NullOutput::FramesRendered() const {
    std::lock_guard lock(mutex_);
    return rendered_;
}

}  // namespace platform::audio
