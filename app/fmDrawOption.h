// TGlg_DrawOption: the skinned options dialog, in which the player chooses the game data file
// and the internet options.
#pragma once

#include <string>

#include "app/DrawButton.h"
#include "app/fmFormRgn.h"

namespace app {

class TGlg_DrawOption : public TDlg_FormRgn {
public:
    explicit TGlg_DrawOption(TDlg_Sprallion& mainForm);

    TLabel MessageTitle;
    TImage ImageBif;
    TLabel L_ListBif, L_Internet, L_AutoCheck, L_Top, L_UpData;
    TListBox ListBoxBif;
    TCheckBox CB_AutoCheck, CB_Top, CB_UpData;
    TDrawButton DB_Ok;
    TDrawButton DB_Cancel;
    // The game data file chosen.
    std::string BifFile;

    // The list holds the game data files ("*.bif") of the resource folder.
    void FormCreate() override;
    // The base's, then text height -11 for the title, the labels and the list.
    void FormShow() override;
    // Texts in the game's language and the state of the options.
    void FillTexts();
    // Chooses a game data file (when it differs from the choice): the preview shows the file's
    // "PreViewBif" picture, or is blank; the list selects the file when nothing is selected.
    void SelectBif(const std::string& fileName);
    void ListBoxBifClick();
    // The two internet options apply only while the check is on.
    void CB_AutoCheckClick();
    void DB_CancelClick();
};

// Shows the options dialog; with Ok the options take the dialog's choices (a new game data
// file is announced with window message 18). Answers 0.
int32_t ShowDrawOptionDialog(TDlg_Sprallion& mainForm);

}  // namespace app
