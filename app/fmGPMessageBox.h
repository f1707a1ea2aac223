// TDlg_GPMessage: the skinned message box, and GPMessageBox, which shows it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/DrawButton.h"
#include "app/fmFormRgn.h"

namespace app {

// The message box's layout record ("Cfg"/"MsgPos"): 13 entries of Left, Top, Width, Height
// (int32 each), entry n for the component whose Tag is n.
struct TMsgPosEntry {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};
using TMsgPos = std::array<TMsgPosEntry, 13>;
inline constexpr size_t kMsgPosSize = 13 * 16;

// Reads the record; false (nothing read) when the bytes are fewer than the record's 208. A
// negative width or height reads as 0; places and sizes are kept to 16 bits.
bool ReadMsgPos(std::span<const uint8_t> bytes, TMsgPos& record);
// Each visible control whose Tag is 0..12 takes the place and size of its entry.
void ApplyMsgPos(TForm& form, const TMsgPos& record);

class TDlg_GPMessage : public TDlg_FormRgn {
public:
    explicit TDlg_GPMessage(TDlg_Sprallion& mainForm);
    ~TDlg_GPMessage() override;

    TLabel MessageTitle;
    TLabel MessageText;
    TImage MessageImage;
    TDrawButton DB_Ok;
    TDrawButton DB_Cancel;
    TTimer Timer1;
    int32_t Kind = 0;

    // The base's, then text heights -11; kind 37 starts the connection check's timer.
    void FormShow() override;
    // Kind 37: asks the internet object whether the connection works: Ok (1) when it does,
    // Cancel (2) when not, or when there is no object. A result set meanwhile (Cancel pressed
    // while the question ran) stands.
    void Timer1Timer();
    void DB_CancelClick();
    void FormDestroy();
};

// Shows the message box modally (a second, temporary box when the program's box is showing
// already) and answers the button pressed: 1 Ok, 2 Cancel, 0 when the box's background
// cannot be read. Buttons: -1 none enabled, odd: Ok and Cancel, even: Ok. Kind 13 asks the
// program to terminate after the box closed; kind 15 centres the text and shows the maker's
// address; kind 37 checks the connection.
int32_t GPMessageBox(TDlg_Sprallion& mainForm, std::string_view title, std::string_view text,
                     engine::TGPResource* resource, int32_t buttons, int32_t imageNumber, int32_t kind);

}  // namespace app
