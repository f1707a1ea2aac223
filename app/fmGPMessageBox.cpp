#include "app/fmGPMessageBox.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/SystemCursor.h"
#include "app/fmPallidor.h"
#include "engine/gpClasses.h"
#include "engine/gpResource.h"
#include "internet/R_InternetI.h"
#include "media/gpBitmap.h"
#include "platform/window/Terminate.h"
#include "rtl/Format.h"

namespace app {

namespace {

int32_t ReadInt32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Kinds of message boxes with a meaning of their own.
constexpr int32_t kKindTerminate = 13;
constexpr int32_t kKindAbout = 15;
constexpr int32_t kKindConnection = 37;

}  // namespace

bool ReadMsgPos(std::span<const uint8_t> bytes, TMsgPos& record) {
    if (bytes.size() < kMsgPosSize) return false;
    // Places and sizes a window system can take: 16-bit, sizes not negative.
    auto place = [](int32_t v) { return std::clamp(v, -32768, 32767); };
    auto size = [](int32_t v) { return std::clamp(v, 0, 32767); };
    for (size_t i = 0; i < record.size(); ++i) {
        const uint8_t* p = bytes.data() + i * 16;
        record[i] = {place(ReadInt32(p)), place(ReadInt32(p + 4)), size(ReadInt32(p + 8)), size(ReadInt32(p + 12))};
    }
    return true;
}

void ApplyMsgPos(TForm& form, const TMsgPos& record) {
    for (TControl* c : form.Controls())
        if (c->Visible() && c->Tag >= 0 && c->Tag < int32_t(record.size())) {
            const TMsgPosEntry& e = record[size_t(c->Tag)];
            c->SetBounds(e.Left, e.Top, e.Width, e.Height);
        }
}

TDlg_GPMessage::TDlg_GPMessage(TDlg_Sprallion& mainForm)
    : TDlg_FormRgn(mainForm, "Dlg_GPMessage"),
      MessageTitle(*this, "MessageTitle"),
      MessageText(*this, "MessageText"),
      MessageImage(*this, "MessageImage"),
      DB_Ok(*this, "DB_Ok"),
      DB_Cancel(*this, "DB_Cancel"),
      Timer1(*this, 100) {
    SetClientSize(433, 290);
    MessageTitle.Tag = 0;
    MessageTitle.SetBounds(40, 14, 353, 22);
    MessageTitle.SetAlignment(TAlignment::taCenter);
    MessageTitle.Font.Color = 0x78D2FF;
    MessageTitle.Font.Bold = true;
    MessageText.Tag = 1;
    MessageText.SetBounds(128, 62, 283, 150);
    MessageText.WordWrap = true;
    MessageText.ShowAccelChar = false;
    MessageText.Font.Color = 0xF0F0F0;
    MessageImage.Tag = 2;
    MessageImage.SetBounds(22, 62, 96, 96);
    MessageImage.Center = true;
    DB_Ok.Tag = 3;
    DB_Ok.ModalResult = mrOk;
    DB_Ok.Default = true;
    DB_Ok.SetTransparent(true);
    DB_Ok.SetBounds(112, 236, 96, 30);
    DB_Cancel.Tag = 4;
    DB_Cancel.Cancel = true;
    DB_Cancel.SetTransparent(true);
    DB_Cancel.SetBounds(225, 236, 96, 30);
    DB_Cancel.OnClick = [this](void*) { DB_CancelClick(); };
    QuorvexUrlLabel.SetBounds(128, 206, 283, 22);
    Timer1.SetEnabled(false);
    Timer1.SetOnTimer([this](void*) { Timer1Timer(); });
}

TDlg_GPMessage::~TDlg_GPMessage() { FormDestroy(); }

void TDlg_GPMessage::FormDestroy() { Timer1.SetEnabled(false); }

void TDlg_GPMessage::FormShow() {
    TDlg_FormRgn::FormShow();
    MessageText.Font.Height = -11;
    MessageTitle.Font.Height = -11;
    if (Kind == kKindConnection) Timer1.SetEnabled(true);
}

void TDlg_GPMessage::Timer1Timer() {
    Timer1.SetEnabled(false);
    if (Kind != kKindConnection) return;
    bool connected = false;
    if (palvrek::IInternetGame* internet = MainForm.InternetGame.get()) {
        platform::com::VARIANT_BOOL answer = 0;
        connected = internet->CheckInternet(&answer) == platform::com::S_OK && answer != 0;
    }
    // Cancel pressed while the question ran (the library keeps the messages flowing) stands.
    if (ModalResult == mrNone) ModalResult = connected ? mrOk : mrCancel;
}

void TDlg_GPMessage::DB_CancelClick() { Close(); }

int32_t GPMessageBox(TDlg_Sprallion& mainForm, std::string_view title, std::string_view text,
                     engine::TGPResource* resource, int32_t buttons, int32_t imageNumber, int32_t kind) {
    ShowCursorNested(1);
    // The program's one box; a second, temporary one while that one is showing.
    std::unique_ptr<TDlg_GPMessage> temporary;
    if (!mainForm.MessageDialog) mainForm.MessageDialog = CreateForm<TDlg_GPMessage>(mainForm);
    TDlg_GPMessage* box = mainForm.MessageDialog.get();
    if (box->Showing()) {
        temporary = CreateForm<TDlg_GPMessage>(mainForm);
        box = temporary.get();
    }

    // Clean-up, however the box ends: the game's pointer back, the system's hidden again.
    auto cleanUp = [&] {
        box->Timer1.SetEnabled(false);
        mainForm.ShowMouseSprite();
        ShowCursorNested(0);
    };
    int32_t result = 0;
    try {
        box->Kind = kind;
        box->MessageTitle.SetCaption(title.empty() ? std::string("Message") : std::string(title));
        box->MessageText.SetCaption(std::string(text));
        box->MessageText.SetAlignment(kind == kKindAbout ? TAlignment::taCenter : TAlignment::taLeftJustify);
        box->QuorvexUrlLabel.SetVisible(kind == kKindAbout);
        box->DB_Ok.SetEnabled(buttons != -1);
        box->DB_Cancel.SetEnabled(buttons != -1 && buttons % 2 != 0);

        if (!box->Bitmap) box->Bitmap = ReadDialogPicture(resource, "Pal_MessageBox");
        if (box->Bitmap) {
            if (!box->Rgn) box->SetupRegion();
            if (box->DB_Ok.Picture().Empty())
                if (auto picture = ReadDialogPicture(resource, "Win_Button_Ok"))
                    box->DB_Ok.SetPicture(TBitmap32::FromDIB(*picture));
            if (box->DB_Cancel.Picture().Empty())
                if (auto picture = ReadDialogPicture(resource, "Win_Button_Cancel"))
                    box->DB_Cancel.SetPicture(TBitmap32::FromDIB(*picture));
            // A picture missing from the data shows nothing rather than the previous message's.
            box->MessageImage.ClearPicture();
            if (imageNumber >= 0)
                if (auto picture = ReadDialogPicture(resource, rtl::Format("MessageImage_%D", {imageNumber})))
                    box->MessageImage.SetPicture(TBitmap32::FromDIB(*picture));
            std::vector<uint8_t> bytes;
            TMsgPos layout;
            if (resource && engine::ReadEntryBytes(*resource, "Cfg", "MsgPos", bytes) && ReadMsgPos(bytes, layout))
                ApplyMsgPos(*box, layout);
            mainForm.HideMouseSprite();
            result = box->ShowModal();
        }
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    if (kind == kKindTerminate) platform::window::RequestTerminate();
    return result;
}

}  // namespace app
