#include "app/SystemCursor.h"

#include <SDL.h>

namespace app {
namespace {
int displayCount = 0;
}

int ShowCursorNested(int show) {
    if (show != 0)
        while (displayCount < 0) ++displayCount;
    else
        while (displayCount >= 0) --displayCount;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return displayCount;
}

bool SystemCursorVisible() { return displayCount >= 0; }

}  // namespace app
