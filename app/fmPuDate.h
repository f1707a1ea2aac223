// TGlg_UpDate: the update dialog. It downloads the offered updates through the internet
// library and shows the progress; its Ok is enabled once every file came.
#pragma once

#include <string>

#include "app/Forms.h"
#include "app/StdCtrls.h"
#include "platform/com/Unknown.h"
#include "rtl/StringList.h"

namespace palvrek {
class IInternetGame;
}

namespace app {

class TDlg_Sprallion;

class TGlg_UpDate : public TForm {
public:
    TGlg_UpDate(TDlg_Sprallion& mainForm, palvrek::IInternetGame* internet);
    ~TGlg_UpDate() override;

    TDlg_Sprallion& MainForm;
    TLabel MessageText;
    TProgressBar ProgressBar1;
    TButton DB_Ok;
    TButton DB_Cancel;
    TTimer TimerUpdate;

    bool FirstTick = true;
    platform::com::ComPtr<palvrek::IInternetGame> Internet;  // held for the dialog's life
    std::string SuccessText, FailureText;
    rtl::StringList Downloaded;

    void FormCreate() override;
    // The first tick: downloads every update (the library keeps the messages flowing, so the
    // progress and Cancel work meanwhile), then shows whether all came.
    void StartDownload();
    // While the download runs: its file and progress.
    void TimerShowUpdate();
    // Cancels a download in progress and ends the dialog with Cancel; during the download
    // the dialog ends once the library returned.
    void DB_CancelClick();
    // The close box acts as Cancel.
    void CloseBox() override { DB_CancelClick(); }
    void CancelKey() override { DB_CancelClick(); }
};

// Shows the update dialog with the internet object; answers its modal result (1: every
// update was downloaded and Ok pressed).
int32_t ShowUpdateDialog(TDlg_Sprallion& mainForm, palvrek::IInternetGame* internet);

}  // namespace app
