// The numbered error messages: a caption and a format text with one string argument per
// number, kept scrambled in the program.
#include "app/Scrambled.h"
#include "app/SystemCursor.h"
#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Terminate.h"
#include "rtl/Format.h"

namespace app {
namespace {

struct ErrorText {
    std::string (*caption)();
    std::string (*format)();
};

#define SPRALLION_TEXT(literal) [] { return Scramble(literal).Plain(); }
#define SPRALLION_PAIR(caption, format) ErrorText{SPRALLION_TEXT(caption), SPRALLION_TEXT(format)}

// Each pair's texts exist only in scrambled form in the program.
const ErrorText kErrors[] = {
    SPRALLION_PAIR("Game data", "The game data file %s is missing or cannot be read."),
    SPRALLION_PAIR("Game data", "The game data file %s is damaged."),
    SPRALLION_PAIR("Interface", "The game's menus cannot be built from %s."),
    SPRALLION_PAIR("Level", "The level file %s cannot be read."),
    SPRALLION_PAIR("Help", "The help cannot be opened. %s"),
    SPRALLION_PAIR("Sound", "The sound cannot be started. %s"),
    SPRALLION_PAIR("Display", "The display cannot show 800 x 600 pixels in 16-bit colour.%s"),
    SPRALLION_PAIR("Memory", "The game needs at least 15 MB of memory.%s"),
    SPRALLION_PAIR("Processor", "The game is meant for a Pentium processor or better.%s"),
    SPRALLION_PAIR("Input", "The input devices cannot be used. %s"),
    SPRALLION_PAIR("Screen", "The screen must show at least 800 x 600 pixels.%s"),
    SPRALLION_PAIR("Music", "The music cannot be played. %s"),
    SPRALLION_PAIR("Saved games", "The saved games cannot be read. %s"),
    SPRALLION_PAIR("Saved games", "The game cannot be saved. %s"),
    SPRALLION_PAIR("Settings", "The settings cannot be stored. %s"),
    SPRALLION_PAIR("Internet", "The internet services cannot be started. %s"),
    SPRALLION_PAIR("Updates", "The update cannot be installed. %s"),
    SPRALLION_PAIR("Screenshot", "The screenshot cannot be written. %s"),
    SPRALLION_PAIR("Game", "The game cannot go on. %s"),
};

#undef SPRALLION_PAIR
#undef SPRALLION_TEXT

}  // namespace

// The message of one error: the format with its argument, or "Error" when formatting fails.
std::string FormatErrorText(std::string_view format, std::string_view argument) {
    try {
        return rtl::Format(format, {argument});
    } catch (const std::exception&) {
        return "Error";
    }
}

size_t ErrorTextCount() { return std::size(kErrors); }

void TDlg_Sprallion::ShowError(int mode, uint32_t index, std::string_view argument) {
    // No tick while the message is prepared or shown.
    media::TGPTimer* timer = Kernel && Kernel->Timer ? Kernel->Timer.get() : nullptr;
    const bool timerWasEnabled = timer && timer->Enabled();
    if (timer) timer->SetEnabled(false);

    std::string caption = "Message", text = "Error";
    if (index < std::size(kErrors)) {
        caption = kErrors[index].caption();
        text = FormatErrorText(kErrors[index].format(), argument);
    }
    if (mode == -1) {
        if (DXDrawGP && (DXDrawGP->Options() & media::doFullScreen)) {
            if (DXDrawGP->Initialized()) DXDrawGP->Finalize();
            DXDrawGP->SetOptions(DXDrawGP->Options() & ~media::doFullScreen);
        }
        ShowCursorNested(1);
        platform::window::MessageBox(text, caption, platform::window::MB_OK | platform::window::MB_ICONERROR);
    }
    WriteLog(text, caption);
    if (mode == -1) {
        FatalErrorShown = true;
        platform::window::RequestTerminate();
    }
    if (timerWasEnabled) timer->SetEnabled(true);
}

}  // namespace app
