// SDL audio output: 16-bit stereo at the device's rate, pulled by SDL's audio thread.
#pragma once

#include <memory>
#include <string>

#include "platform/audio/Device.h"

namespace platform::audio {

class SdlOutput : public Output {
public:
    // Opens the default output of SDL's audio driver (SDL_AUDIODRIVER chooses it);
    // nullptr with the reason in `why` when there is none.
    static std::unique_ptr<SdlOutput> Open(std::string& why, uint32_t rate = 44100);
    ~SdlOutput() override;

    const char* Name() const override { return "SDL"; }
    uint32_t Rate() const override { return rate_; }
    void Start(Mixer& mixer) override;
    void Stop() override;
    const std::string& Driver() const { return driver_; }

private:
    struct Feed {
        Mixer* mixer = nullptr;  // changed only with the device locked
    };
    SdlOutput(std::unique_ptr<Feed> feed, uint32_t device, uint32_t rate, std::string driver);
    static void Callback(void* feed, uint8_t* stream, int len);

    std::unique_ptr<Feed> feed_;  // SDL's callback data: lives as long as the device
    uint32_t device_;
    uint32_t rate_;
    std::string driver_;
};

}  // namespace platform::audio
