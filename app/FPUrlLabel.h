// TFPUrlLabel: a hyperlink label. A click opens its address through the system's shell (a
// browser for web addresses, falling back to the system's browsers); the right button offers
// "&Copy" for web, mail and news addresses; the pointer turns into the system's hand.
#pragma once

#include <functional>

#include "app/Menus.h"
#include "app/StdCtrls.h"

namespace app {

enum class TLabelType : uint8_t { hmHTTP, hmMAIL, hmFTP, hmNews, hmCUSTOM };

class TFPUrlLabel : public TLabel {
public:
    TFPUrlLabel(TForm& owner, std::string name);

    TLabelType LabelType() const { return labelType_; }
    void SetLabelType(TLabelType type);
    TColor URLColStd() const { return urlColStd_; }
    void SetURLColStd(TColor color);
    TColor URLColPre = 255;
    bool AllowDown = false;
    bool Effect98() const { return effect98_; }
    void SetEffect98(bool on);
    std::string URL;
    std::string MailSubject;
    // The font's colour becomes the standard colour.
    void SetFont(const TFont& font);

    // The address a click opens: "http://", "ftp://" or "news://" before the target (URL, else
    // the caption) unless it has a scheme already; "mailto:" with the address and subject
    // percent-encoded; a custom target as it stands.
    std::string Address() const;
    // The text "&Copy" puts on the clipboard: URL, else the caption.
    std::string Target() const;
    // Opens the address; for the web, the system's browsers in turn, and a message when none
    // starts. Answers whether something started.
    bool OpenURL(const std::string& address);

    void Click() override;
    bool TakesMouse() const override { return true; }
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

    TPopupMenu PopupMenu;
    // The copy itself (the pop-up's item).
    void CopyClick();

private:
    // The underline follows the effect: shown without it, hidden with it; never for custom.
    void ApplyUnderline();

    TLabelType labelType_ = TLabelType::hmHTTP;
    TColor urlColStd_ = 0xFF0000;
    bool effect98_ = false;
    bool movedDown_ = false;
};

// Percent-encoding of a text of the game's code page (as UTF-8), leaving the unreserved
// characters and those in `keep`.
std::string PercentEncode(std::string_view text, std::string_view keep = {});

}  // namespace app
