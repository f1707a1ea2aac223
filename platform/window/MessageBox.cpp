#include "platform/window/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "rtl/Text.h"

namespace platform::window {
namespace {

struct Recorder {
    std::mutex mutex;
    std::vector<ShownMessageBox> shown;
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

bool Headless() {
    const char* video = std::getenv("SPRALLION_VIDEO");
    return video && std::strcmp(video, "headless") == 0;
}

uint32_t SdlFlags(uint32_t flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
        case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
        default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) {
    if (Headless()) {
        Recorder& r = TheRecorder();
        std::lock_guard lock(r.mutex);
        r.shown.push_back({std::string(text), std::string(caption), flags});
        return IDOK;
    }
    const std::string utf8Text = rtl::AnsiToUtf8(text);
    const std::string utf8Caption = rtl::AnsiToUtf8(caption);
    if (SDL_ShowSimpleMessageBox(SdlFlags(flags), utf8Caption.c_str(), utf8Text.c_str(), nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    return IDOK;
}

std::vector<ShownMessageBox> RecordedMessageBoxes() {
    Recorder& r = TheRecorder();
    std::lock_guard lock(r.mutex);
    return r.shown;
}

void ClearRecordedMessageBoxes() {
    Recorder& r = TheRecorder();
    std::lock_guard lock(r.mutex);
    r.shown.clear();
}

}  // namespace platform::window
