// The system's mouse cursor over the game window, with the window manager's display count:
// each show adds one, each hide takes one away, and the cursor is visible while the count is
// not negative. The game draws its own cursor sprite and hides this one while it runs.
#pragma once

namespace app {

// Shows (show != 0) or hides the cursor, repeating the count's step until the cursor is in
// that state; answers the new count. Applies to SDL's cursor when SDL's video is up.
int ShowCursorNested(int show);
bool SystemCursorVisible();

}  // namespace app
