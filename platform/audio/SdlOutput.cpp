#include "platform/audio/SdlOutput.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

namespace platform::audio {

namespace {

// libasound, under SDL's ALSA driver, writes every failed lookup of a missing sound card to
// the terminal, a page of them. While the output opens its errors go nowhere: the one reason
// that counts is SDL's, which the caller reports.
class QuietAlsa {
public:
    QuietAlsa() : library_(dlopen("libasound.so.2", RTLD_NOW)) {
        if (library_) set_ = reinterpret_cast<SetHandler>(dlsym(library_, "snd_lib_error_set_handler"));
        if (set_) set_(&Silent);
    }
    ~QuietAlsa() {
        if (set_) set_(nullptr);  // the library's own handler again
        if (library_) dlclose(library_);
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    static void Silent(const char*, int, const char*, int, const char*, ...) {}
    void* library_;
    SetHandler set_ = nullptr;
};

}  // namespace

std::unique_ptr<SdlOutput> SdlOutput::Open(std::string& why, uint32_t rate) {
    const QuietAlsa quiet;
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
