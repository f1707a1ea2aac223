// The system's modal message box: a text, a caption and an OK button.
//
// The real backend is SDL's simple message box, which needs no open display of ours (it can
// come before the game window exists, or after it was closed); when nothing can be shown the
// text goes to standard error. With SPRALLION_VIDEO=headless (tests) every box is recorded
// instead and answered with OK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::window {

inline constexpr uint32_t MB_OK = 0x00;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;

// Texts are the game's 8-bit text; answers the button pressed (always IDOK).
int MessageBox(std::string_view text, std::string_view caption, uint32_t flags = MB_OK);

struct ShownMessageBox {
    std::string Text, Caption;
    uint32_t Flags = 0;
};
// The boxes the headless backend answered, oldest first.
std::vector<ShownMessageBox> RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

}  // namespace platform::window
