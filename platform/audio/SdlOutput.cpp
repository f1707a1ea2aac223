#include "platform/audio/SdlOutput.h"

#include <SDL.h>

#include <cstring>

namespace platform::audio {

std::unique_ptr<SdlOutput> SdlOutput::Open(std::string& why, uint32_t rate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return nullptr;
    }
    auto feed = std::make_unique<Feed>();
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(rate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;  // about 23 ms at 44.1 kHz: one game tick
    want.callback = &SdlOutput::Callback;
    want.userdata = feed.get();
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (id == 0) {
        why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    return std::unique_ptr<SdlOutput>(
        new SdlOutput(std::move(feed), id, static_cast<uint32_t>(have.freq), driver ? driver : "?"));
}

SdlOutput::SdlOutput(std::unique_ptr<Feed> feed, uint32_t device, uint32_t rate, std::string driver)
    : feed_(std::move(feed)), device_(device), rate_(rate), driver_(std::move(driver)) {}

SdlOutput::~SdlOutput() {
    Stop();
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::Start(Mixer& mixer) {
    SDL_LockAudioDevice(device_);
    feed_->mixer = &mixer;
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
}

void SdlOutput::Stop() {
    SDL_LockAudioDevice(device_);  // waits for a running callback
    feed_->mixer = nullptr;
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 1);
}

void SdlOutput::Callback(void* data, uint8_t* stream, int len) {
    auto* feed = static_cast<Feed*>(data);
    if (!feed->mixer) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    feed->mixer->Mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / 4);
}

}  // namespace platform::audio
