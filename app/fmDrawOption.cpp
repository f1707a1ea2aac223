#include "app/fmDrawOption.h"

#include "app/SystemCursor.h"
#include "app/fmPallidor.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "media/gpBitmap.h"
#include "rtl/Streams.h"
#include "rtl/Format.h"
#include "rtl/Text.h"

namespace app {

namespace {

constexpr TColor kLabelColor = 0xE8E8E8;

void LightLabel(TLabel& label, int32_t left, int32_t top, int32_t width) {
    label.SetBounds(left, top, width, 18);
    label.Font.Color = kLabelColor;
}

}  // namespace

TGlg_DrawOption::TGlg_DrawOption(TDlg_Sprallion& mainForm)
    : TDlg_FormRgn(mainForm, "Glg_DrawOption"),
      MessageTitle(*this, "MessageTitle"),
      ImageBif(*this, "ImageBif"),
      L_ListBif(*this, "L_ListBif"),
      L_Internet(*this, "L_Internet"),
      L_AutoCheck(*this, "L_AutoCheck"),
      L_Top(*this, "L_Top"),
      L_UpData(*this, "L_UpData"),
      ListBoxBif(*this, "ListBoxBif"),
      CB_AutoCheck(*this, "CB_AutoCheck"),
      CB_Top(*this, "CB_Top"),
      CB_UpData(*this, "CB_UpData"),
      DB_Ok(*this, "DB_Ok"),
      DB_Cancel(*this, "DB_Cancel") {
    SetClientSize(535, 447);
    MessageTitle.SetVisible(false);
    MessageTitle.SetBounds(40, 12, 455, 22);
    ImageBif.Tag = 11;
    ImageBif.SetBounds(340, 78, 160, 120);
    ImageBif.Stretch = true;
    LightLabel(L_ListBif, 28, 56, 290);
    ListBoxBif.Tag = 10;
    ListBoxBif.SetBounds(28, 78, 290, 160);
    ListBoxBif.OnClick = [this](void*) { ListBoxBifClick(); };
    LightLabel(L_Internet, 28, 256, 470);
    CB_AutoCheck.Tag = 3;
    CB_AutoCheck.SetBounds(28, 282, 16, 18);
    CB_AutoCheck.OnClick = [this](void*) { CB_AutoCheckClick(); };
    LightLabel(L_AutoCheck, 50, 282, 450);
    CB_Top.Tag = 4;
    CB_Top.SetBounds(50, 308, 16, 18);
    LightLabel(L_Top, 72, 308, 428);
    CB_UpData.Tag = 5;
    CB_UpData.SetBounds(50, 334, 16, 18);
    LightLabel(L_UpData, 72, 334, 428);
    DB_Ok.ModalResult = mrOk;
    DB_Ok.Default = true;
    DB_Ok.SetTransparent(true);
    DB_Ok.SetBounds(150, 388, 96, 30);
    DB_Cancel.Tag = 1;
    DB_Cancel.Cancel = true;
    DB_Cancel.SetTransparent(true);
    DB_Cancel.SetBounds(289, 388, 96, 30);
    DB_Cancel.OnClick = [this](void*) { DB_CancelClick(); };
}

void TGlg_DrawOption::FormCreate() {
    TDlg_FormRgn::FormCreate();
    engine::ListFiles(engine::RealPath(engine::ResourceFolders().Resource), "*.bif", ListBoxBif.Items, 0);
}

void TGlg_DrawOption::FormShow() {
    TDlg_FormRgn::FormShow();
    for (TControl* c : {static_cast<TControl*>(&MessageTitle), static_cast<TControl*>(&L_ListBif),
                        static_cast<TControl*>(&L_Internet), static_cast<TControl*>(&L_AutoCheck),
                        static_cast<TControl*>(&L_Top), static_cast<TControl*>(&L_UpData),
                        static_cast<TControl*>(&ListBoxBif)})
        c->Font.Height = -11;
}

void TGlg_DrawOption::FillTexts() {
    L_AutoCheck.SetCaption(MainForm.LanguageString("CB_AutoCheck_%S"));
    L_Top.SetCaption(MainForm.LanguageString("CB_Top_%S"));
    L_UpData.SetCaption(MainForm.LanguageString("CB_UpData_%S"));
    L_Internet.SetCaption(MainForm.LanguageString("L_Internet_%S"));
    L_ListBif.SetCaption(MainForm.LanguageString("L_ListBif_%S"));
    CB_AutoCheck.SetChecked(MainForm.CheckInternet == 1);
    CB_Top.SetChecked(MainForm.InsertTopList == 1);
    CB_UpData.SetChecked(MainForm.AutoUpDate == 1);
    CB_AutoCheckClick();
    SelectBif(MainForm.Bif);
}

void TGlg_DrawOption::SelectBif(const std::string& fileName) {
    if (fileName == BifFile) return;
    BifFile = fileName;
    TBitmap32 preview;
    try {
        // Read, then closed at once: the choice keeps no file open.
        engine::TGPResource container(
            engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, fileName)), rtl::fmOpenRead);
        container.Open();
        if (container.Status() >= 0)
            if (auto picture = ReadDialogPicture(&container, "PreViewBif")) preview = TBitmap32::FromDIB(*picture);
    } catch (const std::exception&) {
        // A file that does not open shows a blank preview.
    }
    if (preview.Empty()) preview = TBitmap32::Filled(ImageBif.Width(), ImageBif.Height(), clWhite);
    ImageBif.SetPicture(std::move(preview));
    if (ListBoxBif.ItemIndex() < 0) ListBoxBif.SetItemIndex(ListBoxBif.Items.IndexOf(fileName));
}

void TGlg_DrawOption::ListBoxBifClick() {
    if (ListBoxBif.ItemIndex() >= 0) SelectBif(ListBoxBif.Items[ListBoxBif.ItemIndex()]);
}

void TGlg_DrawOption::CB_AutoCheckClick() {
    CB_UpData.SetEnabled(CB_AutoCheck.Checked());
    CB_Top.SetEnabled(CB_AutoCheck.Checked());
}

void TGlg_DrawOption::DB_CancelClick() { Close(); }

int32_t ShowDrawOptionDialog(TDlg_Sprallion& mainForm) {
    ShowCursorNested(1);
    auto dialog = CreateForm<TGlg_DrawOption>(mainForm);
    std::unique_ptr<rtl::MemoryStream> rest;
    dialog->Bitmap = ReadDialogPicture(mainForm.Resource.get(), "Pal_Option_Win", &rest);
    if (!dialog->Bitmap) {
        ShowCursorNested(0);
        return 0;
    }
    try {
        dialog->Rgn = engine::RegionFromStream(*rest);
    } catch (const std::exception& e) {
        // Cut from the background instead.
        mainForm.WriteLog("ShowDrawOptionDialog", rtl::Format("Pal_Option_Win: %S", {std::string(e.what())}));
    }
    dialog->SetupRegion();
    if (auto picture = ReadDialogPicture(mainForm.Resource.get(), "Win_Option_Ok"))
        dialog->DB_Ok.SetPicture(TBitmap32::FromDIB(*picture));
    if (auto picture = ReadDialogPicture(mainForm.Resource.get(), "Win_Option_Cancel"))
        dialog->DB_Cancel.SetPicture(TBitmap32::FromDIB(*picture));
    const std::string title = mainForm.LanguageString("OptionBox_Title_%S");
    dialog->MessageTitle.SetCaption(title);
    dialog->SetCaption(title);
    dialog->FillTexts();

    mainForm.HideMouseSprite();
    int32_t result;
    try {
        result = dialog->ShowModal();
    } catch (...) {
        mainForm.ShowMouseSprite();
        ShowCursorNested(0);
        throw;
    }
    // The game's pointer comes back, as after every dialog.
    mainForm.ShowMouseSprite();
    ShowCursorNested(0);
    if (result == mrOk) {
        mainForm.CheckInternet = dialog->CB_AutoCheck.Checked() ? 1 : 0;
        mainForm.InsertTopList = dialog->CB_Top.Checked() ? 1 : 0;
        mainForm.AutoUpDate = dialog->CB_UpData.Checked() ? 1 : 0;
        // Files are found whatever their letter case: another case is the same file.
        if (!rtl::SameText(dialog->BifFile, mainForm.Bif)) {
            mainForm.Bif = dialog->BifFile;
            mainForm.ShowWindowMessage(18, 7, {}, 0);
        }
    }
    return 0;
}

}  // namespace app
