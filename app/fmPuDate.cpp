#include "app/fmPuDate.h"

#include "app/SystemCursor.h"
#include "app/fmPallidor.h"
#include "internet/R_InternetI.h"
#include "platform/com/Bstr.h"
#include "rtl/Text.h"

namespace app {

namespace {

// A download state that frees its strings.
struct DownloadState : palvrek::TCurrentDownloadStatus {
    ~DownloadState() { palvrek::FreeRecord(*this); }
};

std::string Text(platform::com::BSTR s) { return rtl::Utf16ToAnsi(platform::com::BstrToString(s)); }

}  // namespace

TGlg_UpDate::TGlg_UpDate(TDlg_Sprallion& mainForm, palvrek::IInternetGame* internet)
    : TForm("Glg_UpDate"),
      MainForm(mainForm),
      MessageText(*this, "MessageText"),
      ProgressBar1(*this, "ProgressBar1"),
      DB_Ok(*this, "DB_Ok"),
      DB_Cancel(*this, "DB_Cancel"),
      TimerUpdate(*this) {
    if (internet) {
        internet->AddRef();
        *Internet.out() = internet;
    }
    Decorated = true;
    Position = TPosition::poDesktopCenter;
    OwnerWindowId = mainForm.GameWindowId();
    SetCaption("Load Update");
    SetClientSize(409, 79);
    MessageText.SetBounds(8, 8, 393, 16);
    MessageText.ShowAccelChar = false;
    ProgressBar1.SetBounds(8, 28, 393, 16);
    ProgressBar1.SetRange(0, 100);
    DB_Ok.Caption = "Ok";
    DB_Ok.ModalResult = mrOk;
    DB_Ok.Default = true;
    DB_Ok.SetBounds(240, 50, 75, 23);
    DB_Cancel.Caption = "Cancel";
    DB_Cancel.Cancel = true;
    DB_Cancel.SetBounds(326, 50, 75, 23);
    DB_Cancel.OnClick = [this](void*) { DB_CancelClick(); };
    TimerUpdate.SetEnabled(false);
}

TGlg_UpDate::~TGlg_UpDate() { TimerUpdate.SetEnabled(false); }

void TGlg_UpDate::FormCreate() {
    FirstTick = true;
    Downloaded.Clear();
    MessageText.Font.Height = -11;
    Font.Charset = MainForm.TextCharset;
    for (TControl* c : Controls()) c->Font.Charset = MainForm.TextCharset;
}

void TGlg_UpDate::StartDownload() {
    if (!FirstTick) return;
    TimerUpdate.SetInterval(20);
    TimerUpdate.SetOnTimer([this](void*) { TimerShowUpdate(); });
    FirstTick = false;
    DownloadState state;
    if (Internet) {
        int32_t count = 0;
        Internet->DownloadAllUpdates(platform::com::VARIANT_TRUE, &count);
        Internet->GetDownloadState(state);
    }
    ProgressBar1.SetPosition(0);
    if (state.Downloaded == state.FileCount && state.FileCount != 0) {
        MessageText.SetCaption(SuccessText);
        DB_Ok.SetEnabled(true);
        SetActiveControl(&DB_Ok);  // Enter now takes what came
    } else {
        MessageText.SetCaption(FailureText);
    }
    Downloaded.SetText(Text(state.DoneFiles));
    TimerUpdate.SetEnabled(false);
    TimerUpdate.SetOnTimer(nullptr);
}

void TGlg_UpDate::TimerShowUpdate() {
    if (!Internet) return;
    DownloadState state;
    Internet->GetDownloadState(state);
    MessageText.SetCaption(Text(state.FileName));
    ProgressBar1.SetRange(0, state.TotalSize);
    ProgressBar1.SetPosition(state.TotalBytes);
    // The library's wait already turns the message loop: no loop of its own here.
}

void TGlg_UpDate::DB_CancelClick() {
    if (TimerUpdate.Enabled() && Internet) Internet->CancelDownload(platform::com::VARIANT_TRUE);
    ModalResult = mrCancel;
}

int32_t ShowUpdateDialog(TDlg_Sprallion& mainForm, palvrek::IInternetGame* internet) {
    ShowCursorNested(1);
    int32_t result;
    {
        auto dialog = CreateForm<TGlg_UpDate>(mainForm, internet);
        dialog->SuccessText = mainForm.LanguageString("Message_20_%S");
        dialog->FailureText = mainForm.LanguageString("Message_21_%S");
        dialog->DB_Ok.SetEnabled(false);
        dialog->TimerUpdate.SetOnTimer([d = dialog.get()](void*) { d->StartDownload(); });
        dialog->TimerUpdate.SetEnabled(true);
        try {
            result = dialog->ShowModal();
        } catch (...) {
            ShowCursorNested(0);
            throw;
        }
    }
    ShowCursorNested(0);
    return result;
}

}  // namespace app
