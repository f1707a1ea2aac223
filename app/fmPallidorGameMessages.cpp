// Numbered messages inside the game: the panel "MessageBox" drawn by the engine, and the
// medal and rank announcements in it.
#include <array>

#include "app/fmFormRgn.h"
#include "app/fmPallidor.h"
#include "engine/gpInterfaceBase.h"
#include "engine/gpKernel.h"
#include "rtl/Format.h"

namespace app {
namespace {

constexpr int32_t kLastMessage = 47;

constexpr std::array<const char*, 10> kMedalPictures = {
    "Score_stealer", "Crafty_paddle", "Gilded_cannon-ball", "Fortunate_hunt", "Thirst_for_life",
    "Step_ahead",    "Famous_hunter", "Unique_fortune",     "Clean_sheet",    "Better_then_best"};
constexpr std::array<const char*, 19> kRankPictures = {
    "private",          "corporal",          "second_sergeant", "sergeant",        "sergent-chief",
    "master_sergeant",  "second_lieutenant", "first_lieutenant", "captain",        "major",
    "lt_colonel",       "colonel",           "master_colonel",  "brigadier_general", "major_general",
    "general",          "general_of_the_rocket", "marshal",     "generalissimo"};

void SetText(engine::TGPStructure* widget, const char* property, const std::string& value) {
    if (widget) rtl::SetStrProp(*widget, property, value);
}

}  // namespace

void TDlg_Sprallion::ShowMessageBox(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args,
                                    std::function<void(TObject*)> onCancel, std::function<void(TObject*)> onOk) {
    if (OnGameMessage) OnGameMessage(n, picture);
    try {
        engine::TGPStructure* panel = Kernel ? Kernel->FindChild("MessageBox") : nullptr;
        std::string text;
        if (panel && n >= 1 && n <= kLastMessage &&
            ReadLanguageString(Resource.get(), rtl::Format("Message_%D_%S", {n, LanguageCode}), text)) {
            try {
                text = rtl::Format(text, args);
            } catch (const rtl::EConvertError&) {
                // a format that does not fit its arguments shows as it stands
            }
            std::string title;
            ReadLanguageString(Resource.get(), rtl::Format("Title_Message_%D_%S", {n, LanguageCode}), title);
            SetText(panel->FindChild("Ed_Text"), "Text", text);
            SetText(panel->FindChild("Ed_Title"), "Text", title);
            SetText(panel->FindChild("Image_Message"), "Paint", rtl::Format("MessageImage_%D", {picture}));
            auto back = [this](TObject*) {
                if (Kernel) Kernel->HideForm("MessageBox");
            };
            if (engine::TGPStructure* ok = panel->FindChild("Ok_Message"))
                ok->OnGPMouseDown = onOk ? engine::TNotifyEvent(onOk) : engine::TNotifyEvent(back);
            if (engine::TGPStructure* cancel = panel->FindChild("Cancel_Message")) {
                cancel->OnGPMouseDown = onCancel ? engine::TNotifyEvent(onCancel) : engine::TNotifyEvent(back);
                cancel->Visible = true;
            }
            Kernel->CommandLine->AddShow(panel, this);
            return;
        }
    } catch (...) {
        WriteLogException("ShowMessageBox");
    }
    if (onOk) onOk(this);
    else if (onCancel) onCancel(this);
}

// A medal (message 7) or rank (message 8) announcement: the name of `key` in the message's
// text, the picture, Ok alone; nothing without the name or the panel.
void TDlg_Sprallion::ShowAwardMessage(int32_t message, const std::string& key, const char* picture) {
    try {
        std::string name, text, title;
        if (!ReadLanguageString(Resource.get(), rtl::Format("%S_%S", {key, LanguageCode}), name)) return;
        engine::TGPStructure* panel = Kernel ? Kernel->FindChild("MessageBox") : nullptr;
        if (!panel) return;
        ReadLanguageString(Resource.get(), rtl::Format("Message_%D_%S", {message, LanguageCode}), text);
        ReadLanguageString(Resource.get(), rtl::Format("Title_Message_%D_%S", {message, LanguageCode}), title);
        try {
            text = text.empty() ? name : rtl::Format(text, {name});
        } catch (const rtl::EConvertError&) {
            // the text without a place for the name shows as it stands
        }
        SetText(panel->FindChild("Ed_Text"), "Text", text);
        SetText(panel->FindChild("Ed_Title"), "Text", title);
        SetText(panel->FindChild("Image_Message"), "Paint", picture);
        auto back = [this](TObject*) {
            if (Kernel) Kernel->HideForm("MessageBox");
        };
        if (engine::TGPStructure* ok = panel->FindChild("Ok_Message")) {
            ok->OnGPMouseDown = back;
            ok->Visible = true;
        }
        if (engine::TGPStructure* cancel = panel->FindChild("Cancel_Message")) {
            cancel->OnGPMouseDown = back;
            cancel->Visible = false;
        }
        Kernel->CommandLine->AddShow(panel, nullptr);
    } catch (...) {
        WriteLogException("ShowAwardMessage");
    }
}

void TDlg_Sprallion::ShowMedalMessage(int32_t k) {
    if (k < 1 || k > 10) return;
    if (OnGameMessage) OnGameMessage(7, k);
    ShowAwardMessage(7, rtl::Format("Medal_%D", {k}), kMedalPictures[static_cast<size_t>(k - 1)]);
}

void TDlg_Sprallion::ShowRankMessage(int32_t k) {
    if (k < 1 || k > 19) return;
    if (OnGameMessage) OnGameMessage(8, k);
    ShowAwardMessage(8, rtl::Format("Rank_%D", {k}), kRankPictures[static_cast<size_t>(k - 1)]);
}

}  // namespace app
