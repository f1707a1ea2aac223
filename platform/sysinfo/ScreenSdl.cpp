// The screen's size from SDL's desktop mode; the headless display's 800 x 600 when the
// game runs without video.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/sysinfo/SysInfo.h"

namespace platform::sysinfo {

bool ReadSdlScreenSize(ScreenSize& size) {
    const char* video = std::getenv("SPRALLION_VIDEO");
    const bool headless = video && std::strcmp(video, "headless") == 0;
    if (!headless && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        SDL_DisplayMode mode{};
        const bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (ok) {
            size = {mode.w, mode.h};
            return true;
        }
    }
    size = {800, 600};  // the frames a headless display keeps
    return true;
}

}  // namespace platform::sysinfo
