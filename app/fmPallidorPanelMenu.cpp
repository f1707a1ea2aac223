// The main menu and the small panels: moving between panels, Esc and Enter on panels, the
// exit question and the About message, help with the key lists, credits, the local hall of
// fame, the update check, the maker's page and the opening logos.
#include <climits>
#include <iterator>
#include <utility>

#include "app/PanelWidgets.h"
#include "app/fmFormRgn.h"
#include "app/fmPallidor.h"
#include "engine/gpCmdExecute.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "platform/display/Form.h"
#include "platform/shell/Shell.h"
#include "platform/window/Terminate.h"
#include "rtl/Format.h"
#include "rtl/StringList.h"

namespace app {

namespace {

using namespace panels;
using engine::TGPCustomGrid;
using engine::TGPForm;
using engine::TGPLogo;

constexpr const char* kMainPanel = "MainPanel";
constexpr const char* kMessageBox = "MessageBox";
constexpr const char* kSecondLogo = "Spr2_Logo_";
constexpr const char* kMakersPage = "https://www.quorvex.com/games/";

// The expanded key list shows the input states in this order.
constexpr int kHelpStateOrder[] = {0, 1, 2, 3, 4, 5, 15, 11, 12, 7, 10, 8, 6, 13, 9, 14, 16, 17, 18, 19, 20, 21, 22};
constexpr int kHelpStates = static_cast<int>(std::size(kHelpStateOrder));

constexpr const char* kCreditRoles[] = {"Producer",      "Lead Programmer", "Internet Programmer", "3D Artist",
                                        "Original Music", "Level Design",    "Web Master"};
constexpr const char* kCreditNames[] = {"Arvid Tollenfeld", "Mira Ostrovska", "Jonas Pelikaan", "Teodor Vasko",
                                        "Lina Harrowgate",  "Piet Kalmbach",  "Sana Morrow"};

// The logos: the first appears after this many frames, the panel goes this many frames after
// the last one ended; a counter past its mark jumps here and counts on.
constexpr int32_t kFirstLogoFrame = 21, kLogoEndFrames = 3, kCounterDone = 7777;

// A button's sound, placed at its centre.
void ButtonSound(engine::TGPKernel* kernel, rtl::Object* sender, int32_t number) {
    if (auto* widget = dynamic_cast<engine::TGPInterface*>(sender); widget && kernel) WidgetSound(*kernel, *widget, number);
}

void CountOn(int32_t& counter) {
    if (counter < INT32_MAX) ++counter;
}

}  // namespace

// ---- Button feedback ----

void TDlg_Sprallion::On_Link_Enter_Button(TObject* sender) { ButtonSound(Kernel.get(), sender, 0); }

void TDlg_Sprallion::On_Link_Exit_Button(TObject* sender) { ButtonSound(Kernel.get(), sender, 1); }

// ---- Navigation ----

void TDlg_Sprallion::On_Link_Help(TObject*) {
    if (!Kernel) return;
    ShowFromMainMenu(*Kernel, "Help");
}

void TDlg_Sprallion::On_Link_OnClick_Option(TObject*) {
    if (!Kernel) return;
    ShowFromMainMenu(*Kernel, "OptionPanel");
}

void TDlg_Sprallion::On_Link_Credits_Create(TObject*) {
    if (!Kernel) return;
    ShowFromMainMenu(*Kernel, "Credits");
}

void TDlg_Sprallion::On_Link_OnClick_Halt(TObject*) {
    Perform(platform::display::WM_CLOSE);
    if (Destroyed()) platform::window::RequestTerminate();  // the main form gone, the program ends
}

void TDlg_Sprallion::On_Link_OnClick_Concel(TObject* sender) {
    TGPForm* form = OwnerForm(sender);
    if (!form || !Kernel) return;
    if (const std::string parent = NameOf(form->ParentForm); !parent.empty()) {
        ReturnToParent(*Kernel, form->Name, parent);
        return;
    }
    // Nothing to return to but the game. (With a parent the flag stays as it is: set, it
    // would outlive this panel and send a later hide to play.)
    Kernel->RestorePending = true;
    Kernel->SavedCondition = engine::ck_Play;
    Kernel->HideForm(form->Name);
}

void TDlg_Sprallion::On_Link_MainPanel_Show(TObject* sender) {
    if (!Kernel) return;
    Kernel->FireDestroyGames();
    TGPForm* form = dynamic_cast<TGPForm*>(sender);
    if (!form) form = FindForm(Kernel.get(), kMainPanel);
    if (!InternetGame)
        if (auto* hall = Find<engine::TGPButton>(form, "BT_Hall_of_glory")) hall->Enabled = false;
    if (auto* update = Find<engine::TGPButton>(form, "TB_Updata")) update->Enabled = false;
    if (!MainPanelLogged) {
        MainPanelLogged = true;
        WriteLog("MainPanelShow", "");
    }
}

void TDlg_Sprallion::On_Link_DXKeyDown(TObject* sender, engine::TDXInputStates& key) {
    auto* form = dynamic_cast<TGPForm*>(sender);
    if (!form || !Kernel) return;
    if (Kernel->Condition != engine::ck_Interface && Kernel->Condition != engine::ck_MainInterface) return;
    // The children first; a handler may change the list, so the bound is checked each time.
    for (int i = 0; i < form->ChildCount(); ++i) {
        engine::TGPStructure* child = form->GetChild(i);
        if (child && child->OnDXKeyDown) child->OnDXKeyDown(child, key);
    }
    if (!OnlyPressed(key, kEscState)) return;
    if (form->Name == kMainPanel) return;  // the main menu's own buttons ask the exit question
    if (const std::string parent = NameOf(form->ParentForm); !parent.empty()) {
        ReturnToParent(*Kernel, form->Name, parent);
        key.reset();
        return;
    }
    if (form->Name != kMessageBox) {
        Kernel->HideForm(form->Name);
        Kernel->RestorePending = true;
        Kernel->SavedCondition = engine::ck_Play;
        return;
    }
    if (!RememberedPanel.empty()) {
        ReturnFromMessageBox();
        return;
    }
    if (auto* cancel = Find<engine::TGPStructure>(form, "Cancel_Message"); cancel && cancel->OnGPMouseDown)
        cancel->OnGPMouseDown(cancel);
    Kernel->RestorePending = true;
    Kernel->SavedCondition = engine::ck_Play;
}

void TDlg_Sprallion::On_Link_Main_DXKey_Cancel(TObject* sender, engine::TDXInputStates& key) {
    if (!OnlyPressed(key, kEscState)) return;
    key.reset();
    On_Link_Sprallion_Exit(sender);
}

void TDlg_Sprallion::On_Link_Message_DXKey_Ok(TObject* sender, engine::TDXInputStates& key) {
    if (!OnlyPressed(key, kEnterState)) return;
    key.reset();
    if (auto* ok = Find<engine::TGPStructure>(OwnerForm(sender), "Ok_Message"); ok && ok->OnGPMouseDown)
        ok->OnGPMouseDown(sender);
}

void TDlg_Sprallion::On_Link_Sprallion_Exit(TObject* sender) {
    if (!Kernel) return;
    if (auto* widget = dynamic_cast<engine::TGPStructure*>(sender)) {
        if (Kernel->Mouse) Kernel->Mouse->Pressed = false;
        Kernel->HoverWidget(widget);
    }
    ShowMessageOverPanel(10, 10, {}, [this](TObject* s) { On_Link_OnClick_Halt(s); });
}

void TDlg_Sprallion::On_Link_About_Show(TObject*) {
    if (!Kernel) return;
    ShowMessageOverPanel(15, 10, {});
}

// ---- The in-game message panel ----

void TDlg_Sprallion::ShowMessageBox(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args,
                                    engine::TNotifyEvent onCancel, engine::TNotifyEvent onOk, int32_t mode) {
    // A memory left by an earlier message would send this one's Esc to a panel of then.
    RememberedPanel.clear();
    RememberedParent.clear();
    RaiseMessageBox(n, picture, args, std::move(onCancel), std::move(onOk), mode);
}

void TDlg_Sprallion::ShowMessageOverPanel(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args,
                                          engine::TNotifyEvent onOk) {
    if (Kernel) RememberFocus(*Kernel, RememberedPanel, RememberedParent);
    const engine::TNotifyEvent back = [this](TObject*) { ReturnFromMessageBox(); };
    RaiseMessageBox(n, picture, args, back, onOk ? std::move(onOk) : back, 0);
}

void TDlg_Sprallion::RaiseMessageBox(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args,
                                     engine::TNotifyEvent onCancel, engine::TNotifyEvent onOk, int32_t mode) {
    if (OnGameMessage) OnGameMessage(n, picture);
    try {
        TGPForm* panel = Kernel ? FindForm(Kernel.get(), kMessageBox) : nullptr;
        std::string text;
        const bool known = panel && n >= 1 && n <= 47 && Kernel->CommandLine &&
                           ReadLanguageString(Resource.get(), rtl::Format("Message_%D_%S", {n, LanguageCode}), text);
        if (known) {
            if (n == 15) {
                rtl::StringList lines;
                FillAboutLines(lines);
                text = lines.Text();
            } else {
                try {
                    text = rtl::Format(text, args);
                } catch (const rtl::EConvertError&) {
                    // a format that does not fit its arguments shows as it stands
                }
            }
            if (auto* label = Find<engine::TGPLabel>(panel, "Ed_Text")) {
                label->Text = text;
                label->Alignment = n == 15 ? engine::gaCenter : engine::gaLeftJustify;  // the About lines centred
            }
            if (auto* title = Find<engine::TGPLabel>(panel, "Ed_Title"))
                ReadLanguageString(Resource.get(), rtl::Format("Title_Message_%D_%S", {n, LanguageCode}), title->Text);
            if (auto* image = Find<engine::TGPImage>(panel, "Image_Message"))
                image->SetPaint(rtl::Format("MessageImage_%D", {picture}));
            auto concel = [this](TObject* s) { On_Link_OnClick_Concel(s); };
            if (auto* ok = Find<engine::TGPStructure>(panel, "Ok_Message"))
                ok->OnGPMouseDown = onOk ? onOk : engine::TNotifyEvent(concel);
            if (auto* cancel = Find<engine::TGPStructure>(panel, "Cancel_Message")) {
                cancel->OnGPMouseDown = onCancel ? onCancel : engine::TNotifyEvent(concel);
                cancel->Visible = true;
            }
            // The caller is a panel the message is raised over; over play the focused form is
            // a panel of before the game, hidden, and the message has none.
            auto* focus = dynamic_cast<TGPForm*>(Kernel->FocusForm);
            TObject* caller = mode != 0 && focus && focus->Visible ? focus : nullptr;
            Kernel->CommandLine->AddShow(panel, caller);
            return;
        }
    } catch (...) {
        WriteLogException("ShowMessageBox");
    }
    // Nothing to show: the answer the player would most likely give.
    if (onOk)
        onOk(this);
    else if (onCancel)
        onCancel(this);
}

void TDlg_Sprallion::ReturnFromMessageBox() {
    if (!Kernel) return;
    Kernel->HideForm(kMessageBox);
    const std::string panel = std::exchange(RememberedPanel, {});
    const std::string parent = std::exchange(RememberedParent, {});
    if (panel.empty()) return;
    TGPForm* caller = parent.empty() ? nullptr : FindForm(Kernel.get(), parent);
    Kernel->ShowForm(panel, caller);
}

// ---- Help and information ----

void TDlg_Sprallion::On_Link_ShowHelp(TObject* sender) {
    TGPForm* form = dynamic_cast<TGPForm*>(sender);
    if (!form && Kernel) form = FindForm(Kernel.get(), "Help");
    auto keyName = [this](int state) {
        return state >= 0 && state < media::kInputStateCount ? engine::KeyName(
                                                                   static_cast<int32_t>(KeyAssigns[static_cast<size_t>(state)][0]))
                                                             : std::string();
    };
    if (auto* grid = Find<TGPCustomGrid>(form, "CG_KeyHelp")) {
        grid->HoverEnabled = false;
        for (int state = 0; state <= 5; ++state) grid->SetCell(0, state, keyName(state));
    }
    auto* grid = Find<TGPCustomGrid>(form, "CG_ExpanKeyHelp");
    if (!grid) return;
    grid->HoverEnabled = false;
    rtl::StringList titles;
    bool haveTitles = false;
    try {
        const std::string key = rtl::Format("Title_Key_%S", {LanguageCode});
        if (Resource && Resource->Locate("Strings", key)) {
            engine::ReadStringsText(*Resource, titles);
            haveTitles = true;
        }
    } catch (...) {
        WriteLogException("ShowHelp");
    }
    // From the sixth row on, the list and the order skip one entry (the state at position 11,
    // which the help does not show); each row is written once, so the end-game key of the
    // fifth row stays.
    for (int i = 1; i < grid->RowCount; ++i) {
        const int s = i < 6 ? 0 : 1;
        const int item = i + s - 1, position = i + s + 5;
        // A list shorter than the grid, or rows past the order, leave their cells empty.
        std::string title = !haveTitles ? std::string("Test") : item < titles.Count() ? titles[item] : std::string();
        std::string name = position < kHelpStates ? keyName(kHelpStateOrder[position]) : std::string();
        if (i == 6) name += ", Pause";
        grid->SetCell(0, i - 1, title);
        grid->SetCell(1, i - 1, name);
    }
}

void TDlg_Sprallion::On_Link_HelpHTML(TObject*) {
    if (FullScreen) Perform(platform::display::WM_ACTIVATEAPP, 0);
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Pressed = false;
    OpenHelpFile();
}

void TDlg_Sprallion::On_Link_Credits_Show(TObject* sender) {
    TGPForm* form = dynamic_cast<TGPForm*>(sender);
    if (!form && Kernel) form = FindForm(Kernel.get(), "Credits");
    auto* grid = Find<TGPCustomGrid>(form, "TGrid_Credits");
    if (!grid) return;
    grid->HoverEnabled = false;
    for (int row = 0; row < static_cast<int>(std::size(kCreditRoles)); ++row) {
        grid->SetCell(0, row, kCreditRoles[row]);
        grid->SetCell(1, row, kCreditNames[row]);
    }
}

void TDlg_Sprallion::On_Link_MainPanel_ShowLocalTopList(TObject*) {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Pressed = false;
    if (!InternetGame) return;
    try {
        InternetGame->ShowLocalTopList();
    } catch (...) {
        // the hall of fame is a courtesy: the menu goes on without it
    }
}

void TDlg_Sprallion::On_Link_Updata_Show(TObject* sender) {
    if (Kernel && Kernel->Mouse) Kernel->Mouse->Pressed = false;
    UpDataClick(sender);
}

void TDlg_Sprallion::OnClick_Quorvex(TObject*) {
    if (FullScreen) Perform(platform::display::WM_ACTIVATEAPP, 0);
    platform::shell::ShellExecute(kMakersPage);
}

// ---- The opening logos ----

void TDlg_Sprallion::On_Link_Spr_Logo_Show(TObject* sender) {
    LogoCounter1 = LogoCounter2 = 0;
    LogoHidden = false;
    auto* form = dynamic_cast<TGPForm*>(sender);
    auto* mirel = Find<TGPLogo>(form, "Log_Mirel");
    auto* quor = Find<TGPLogo>(form, "Log_Quor");
    if (mirel) mirel->Visible = false;
    if (quor) quor->Visible = false;
    // Without its logos nothing would ever end the panel.
    if (!mirel && !quor) LogoHidden = true;
}

void TDlg_Sprallion::On_Link_Spr_Logo_Move(TObject* sender) {
    auto* form = dynamic_cast<TGPForm*>(sender);
    CountOn(LogoCounter1);
    if (LogoCounter1 == kFirstLogoFrame) {
        if (auto* mirel = Find<TGPLogo>(form, "Log_Mirel")) {
            mirel->Show(form);
        } else if (auto* quor = Find<TGPLogo>(form, "Log_Quor")) {
            quor->Show(form);
            quor->OnGPHide = [this](TObject* s) { On_Link_Mirel_HideStand(s); };
        }
        LogoCounter1 = kCounterDone;
    }
    if (!LogoHidden || !Kernel) return;
    CountOn(LogoCounter2);
    if (LogoCounter2 == kLogoEndFrames) {
        if (form) Kernel->HideForm(form->Name);
        Kernel->ShowForm(kSecondLogo, nullptr);
        LogoCounter2 = kCounterDone;
    }
}

void TDlg_Sprallion::On_Link_Mirel_BeginStand(TObject* sender) {
    TGPForm* form = OwnerForm(sender);
    if (auto* quor = Find<TGPLogo>(form, "Log_Quor")) quor->Show(form);
    if (auto* mirel = Find<TGPLogo>(form, "Log_Mirel")) mirel->SetStand(5000);
}

void TDlg_Sprallion::On_Link_Quor_BeginStand(TObject* sender) {
    TGPForm* form = OwnerForm(sender);
    auto* mirel = Find<TGPLogo>(form, "Log_Mirel");
    auto* quor = Find<TGPLogo>(form, "Log_Quor");
    if (mirel && quor) mirel->SetStand(quor->GetStand());
}

void TDlg_Sprallion::On_Link_Mirel_HideStand(TObject*) { LogoHidden = true; }

void TDlg_Sprallion::On_Link_Spr_Logo_DXKey(TObject* sender, engine::TDXInputStates& key) {
    if (key.none() || !Kernel) return;
    key.reset();  // the key skips this panel only
    auto* form = dynamic_cast<TGPForm*>(sender);
    Kernel->ShowForm(kSecondLogo, nullptr);
    if (form) Kernel->HideForm(form->Name);
    auto* mirel = Find<TGPLogo>(form, "Log_Mirel");
    if (auto* quor = Find<TGPLogo>(form, "Log_Quor")) {
        quor->SetPhase(2);
        if (mirel && mirel->Phase == 2) quor->Visible = true;
    }
    if (mirel) {
        mirel->SetPhase(2);
        mirel->Visible = true;
    }
}

void TDlg_Sprallion::On_Link_Spr_Logo_Hide(TObject*) {}

void TDlg_Sprallion::On_Link_Spr_Logo_F_DXKey(TObject* sender, engine::TDXInputStates& key) {
    if (key.none() || !Kernel) return;
    key.reset();
    if (auto* form = dynamic_cast<TGPForm*>(sender)) Kernel->HideForm(form->Name);
    Kernel->ShowForm(kMainPanel, nullptr);
}

void TDlg_Sprallion::On_Link_Spr_Logo_F_Hide(TObject*) {
    if (!Kernel) return;
    Kernel->SetCondition(engine::ck_MainInterface);
    Kernel->ShowForm(kMainPanel, nullptr);
}

}  // namespace app
