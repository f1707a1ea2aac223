// Numbered messages in the native message box, the About lines, the question before closing,
// the help file, and the game's pointer while a dialog is up.
#include "app/PanelWidgets.h"
#include "app/Scrambled.h"
#include "app/fmGPMessageBox.h"
#include "app/fmPallidor.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpInterfaceImage.h"
#include "engine/gpInterfaceMenu.h"
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

// The in-game message panel and its widgets.
constexpr const char* kMessagePanel = "MessageBox";
constexpr int32_t kMedalMessage = 7, kRankMessage = 8;

// The pictures of the medals 1..10 and the ranks 1..19.
constexpr std::array<const char*, 10> kMedalPictures{
    "Score_stealer", "Crafty_paddle",  "Gilded_cannon-ball", "Fortunate_hunt", "Thirst_for_life",
    "Step_ahead",    "Famous_hunter",  "Unique_fortune",     "Clean_sheet",    "Better_then_best"};
constexpr std::array<const char*, 19> kRankPictures{
    "private",         "corporal",          "second_sergeant",   "sergeant",     "sergent-chief",
    "master_sergeant", "second_lieutenant", "first_lieutenant",  "captain",      "major",
    "lt_colonel",      "colonel",           "master_colonel",    "brigadier_general", "major_general",
    "general",         "general_of_the_rocket", "marshal",       "generalissimo"};

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

// ---- In-game messages ----

void TDlg_Sprallion::ShowMedalMessage(int32_t k) {
    if (k < 1 || k > static_cast<int32_t>(kMedalPictures.size())) {
        WriteLog("ShowMedalMessage", rtl::Format("Medal=%D", {k}));
        return;
    }
    if (OnGameMessage) OnGameMessage(kMedalMessage, k);
    ShowAnnouncement(kMedalMessage, LanguageString(rtl::Format("Medal_%D_%%S", {k})), kMedalPictures[size_t(k - 1)], false);
}

void TDlg_Sprallion::ShowRankMessage(int32_t k) {
    if (k < 1 || k > static_cast<int32_t>(kRankPictures.size())) {
        WriteLog("ShowRankMessage", rtl::Format("Rank=%D", {k}));
        return;
    }
    if (OnGameMessage) OnGameMessage(kRankMessage, k);
    ShowAnnouncement(kRankMessage, LanguageString(rtl::Format("Rank_%D_%%S", {k})), kRankPictures[size_t(k - 1)], true);
}

// Messages 7 and 8: the name in the message's text (the name alone without one), both buttons
// back to the panel before, Ok alone shown.
void TDlg_Sprallion::ShowAnnouncement(int32_t n, const std::string& name, const char* picture, bool rank) {
    engine::TGPStructure* panel = Kernel ? Kernel->FindChild(kMessagePanel) : nullptr;
    if (!panel || name.empty()) return;
    RememberedPanel.clear();  // the announcement returns to no panel of before
    RememberedParent.clear();
    try {
        const std::string format = LanguageString(rtl::Format("Message_%D_%%S", {n}));
        std::string text = name;
        if (!format.empty()) {
            try {
                text = rtl::Format(format, {name});
            } catch (const rtl::EConvertError&) {
                text = format;  // a format that fails shows unformatted
            }
        }
        if (auto* label = panels::Find<engine::TGPLabel>(panel, "Ed_Text")) {
            label->Text = text;
            label->Alignment = engine::gaLeftJustify;
        }
        if (auto* title = panels::Find<engine::TGPLabel>(panel, "Ed_Title"))
            title->Text = LanguageString(rtl::Format("Title_Message_%D_%%S", {n}));
        if (auto* image = panels::Find<engine::TGPImage>(panel, "Image_Message")) image->SetPaint(picture);
        const engine::TNotifyEvent back = [this](TObject* sender) { On_Link_OnClick_Concel(sender); };
        if (auto* ok = panels::Find<engine::TGPButton>(panel, "Ok_Message")) {
            ok->OnGPMouseDown = back;
            ok->Visible = true;
        }
        auto* cancel = panels::Find<engine::TGPButton>(panel, "Cancel_Message");
        if (cancel) cancel->OnGPMouseDown = back;
        Kernel->CommandLine->AddShow(panel, nullptr);
        // Showing a form shows every widget of it: Cancel hides after the show.
        if (cancel) Kernel->CommandLine->AddHide(cancel);
    } catch (...) {
        WriteLogException(rank ? "ShowRankMessage" : "ShowMedalMessage");
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
