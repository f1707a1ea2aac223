// Numbered messages in the native message box, the About lines, the question before closing,
// the help file, and the game's pointer while a dialog is up.
#include "app/Scrambled.h"
#include "app/fmGPMessageBox.h"
#include "app/fmPallidor.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "platform/display/Display.h"
#include "platform/shell/Shell.h"
#include "platform/window/Terminate.h"
#include "rtl/Format.h"
#include "rtl/StringList.h"

namespace app {

namespace {

// The message whose text is the About lines.
constexpr int32_t kAboutMessage = 15;

// The labels of the help's two error lines.
constexpr auto kHelpPageLabel = Scramble("Help page");
constexpr auto kHelpTextLabel = Scramble("Help text");

}  // namespace

std::string TDlg_Sprallion::LanguageString(std::string_view format) const {
    std::string text;
    ReadLanguageString(Resource.get(), rtl::Format(format, {LanguageCode}), text);
    return text;
}

uint32_t TDlg_Sprallion::GameWindowId() const { return Presenter ? Presenter->WindowId() : 0; }

void TDlg_Sprallion::HideMouseSprite() {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Hide();
}

void TDlg_Sprallion::ShowMouseSprite() {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Show(nullptr);
}

void TDlg_Sprallion::FillAboutLines(rtl::StringList& list) const {
    list.Add(VersionInfo.ProductName);
    list.Add("");
    list.Add(rtl::Format("Version %S", {VersionInfo.ProductVersion}));
    list.Add("");
    list.Add(VersionInfo.LegalCopyright);
    list.Add("");
    list.Add("");
}

int32_t TDlg_Sprallion::ShowWindowMessage(int32_t n, int32_t kind, std::span<const rtl::FormatArg> args,
                                          int32_t buttons) {
    try {
        std::string title, text;
        ReadLanguageString(Resource.get(), rtl::Format("Title_Message_%D_%S", {n, LanguageCode}), title);
        if (n == kAboutMessage) {
            rtl::StringList lines;
            FillAboutLines(lines);
            text = lines.Text();
        } else {
            ReadLanguageString(Resource.get(), rtl::Format("Message_%D_%S", {n, LanguageCode}), text);
            try {
                text = rtl::Format(text, args);
            } catch (const rtl::EConvertError&) {
                // A format that does not fit its arguments shows as it stands.
            }
        }
        // The box takes the kind as its picture's number and the message's number as its kind.
        return GPMessageBox(*this, title, text, Resource.get(), buttons, kind, n);
    } catch (...) {
        WriteLogException("GPWinMessage");
        return 0;
    }
}

void TDlg_Sprallion::Close1Click() {
    if (ShowWindowMessage(10, 10, {}, 1) != 1) return;
    Perform(platform::display::WM_CLOSE);
    if (Destroyed()) platform::window::RequestTerminate();  // the main form gone, the program ends
}

void TDlg_Sprallion::OpenHelpFile() {
    const std::string page = engine::JoinDataPath(ProgramDir, rtl::Format("%S.%S", {"Index", "htm"}));
    const std::string text = engine::JoinDataPath(
        ProgramDir, rtl::Format("%S\\%S_%S.%S", {"Help", VersionInfo.ProductName, LanguageCode, "TXT"}));
    namespace shell = platform::shell;
    const int pageResult = shell::ShellExecute(engine::RealPath(page));
    if (pageResult > 32) return;
    ShowError(2, 4, rtl::Format("<%S> %S", {kHelpPageLabel.Plain(), shell::ShellErrorText(pageResult)}));
    const int textResult = shell::ShellExecute(engine::RealPath(text));
    if (textResult > 32) return;
    ShowError(2, 4, rtl::Format("<%S> %S", {kHelpTextLabel.Plain(), shell::ShellErrorText(textResult)}));
}

}  // namespace app
