// TDlg_FormRgn: the skinned window. A borderless form whose outline is cut from its background
// bitmap (or given as region data), painted with the background and dragged by its own
// surface; it carries the maker's web address as a hyperlink.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/FPUrlLabel.h"
#include "app/Forms.h"
#include "platform/window/Region.h"

namespace engine {
class TGPResource;
}
namespace media {
class TDIB;
class TGPBitmap;
}
namespace rtl {
class MemoryStream;
}

namespace app {

class TDlg_Sprallion;

// The maker's web address behind the hyperlink.
inline constexpr const char* kMakerWebSite = "www.quorvex.com";

class TDlg_FormRgn : public TForm {
public:
    TDlg_FormRgn(TDlg_Sprallion& mainForm, std::string name);
    ~TDlg_FormRgn() override;

    TDlg_Sprallion& MainForm;
    TFPUrlLabel QuorvexUrlLabel;

    // The background (owned); the window region (owned) once made; set after the first
    // failure to paint the background, which is then never tried again.
    std::unique_ptr<media::TGPBitmap> Bitmap;
    std::optional<platform::window::Region> Rgn;
    bool PaintError = false;

    // The form takes the background's size; the region, when there is none yet, is cut from
    // the background with the colour of its pixel (1, 1) as transparent; the region becomes
    // the window's outline and the form's own colour is no longer painted.
    void SetupRegion();
    // The pixels whose colour (red, green, blue) equals `transparent` when takeTransparent is
    // set, the others when it is not, as rectangles of their runs row by row.
    static platform::window::Region CreateRegionFromBitmap(const media::TDIB& bitmap, TColor transparent,
                                                           bool takeTransparent);

    void FormCreate() override;
    // The hyperlink's text height -16; every font takes the game's language charset.
    void FormShow() override;
    void FormPaint(TCanvas& canvas) override;
    void FormDestroy();
    // Every point of the form's own surface drags the window (labels and images included);
    // buttons, check boxes, lists and the hyperlink keep the pointer.
    platform::window::HitArea HitTest(int32_t x, int32_t y) const override;
    // The display changed under the window: centred again (the game never changes the mode).
    void DisplayChanged() override;

protected:
    // Draws the background at (0, 0); raises when it cannot.
    virtual void PaintBackground(TCanvas& canvas);

private:
    TBitmap32 background_;  // the background at 32 bits, made at the first paint
    bool brushCleared_ = false;
};

// The picture of an entry of the container's "BMP" section; nullptr when the entry is absent
// or is no picture. With `rest`, the entry's bytes, positioned right after the picture.
std::unique_ptr<media::TGPBitmap> ReadDialogPicture(engine::TGPResource* container, const std::string& key,
                                                    std::unique_ptr<rtl::MemoryStream>* rest = nullptr);
// The text of an entry of "Strings" (a length-prefixed text); false when the entry is absent.
bool ReadLanguageString(engine::TGPResource* container, const std::string& key, std::string& text);

}  // namespace app
