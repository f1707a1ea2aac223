#include "app/fmFormRgn.h"

#include <vector>

#include "app/fmPallidor.h"
#include "engine/gpClasses.h"
#include "engine/gpResource.h"
#include "media/gpBitmap.h"
#include "rtl/Streams.h"

namespace app {

namespace pw = platform::window;

namespace {

// The rectangles of a row's runs go to the region in batches of this many.
constexpr size_t kRegionBatch = 2000;

}  // namespace

TDlg_FormRgn::TDlg_FormRgn(TDlg_Sprallion& mainForm, std::string name)
    : TForm(std::move(name)), MainForm(mainForm), QuorvexUrlLabel(*this, "QuorvexUrlLabel") {
    OwnerWindowId = mainForm.GameWindowId();
    QuorvexUrlLabel.Tag = 5;
    QuorvexUrlLabel.SetAlignment(TAlignment::taCenter);
    QuorvexUrlLabel.SetVisible(false);
    QuorvexUrlLabel.SetEffect98(true);
    QuorvexUrlLabel.SetURLColStd(9961367);
    QuorvexUrlLabel.URLColPre = 16765136;
    QuorvexUrlLabel.URL = kMakerWebSite;
    QuorvexUrlLabel.SetCaption(kMakerWebSite);
    QuorvexUrlLabel.SetBounds(0, 0, 200, 20);
}

TDlg_FormRgn::~TDlg_FormRgn() { FormDestroy(); }

void TDlg_FormRgn::FormCreate() {
    PaintError = false;
    brushCleared_ = false;
}

void TDlg_FormRgn::FormDestroy() {
    if (HasWindow()) Window().ClearShape();
    Rgn.reset();
    Bitmap.reset();
    background_ = {};
}

pw::Region TDlg_FormRgn::CreateRegionFromBitmap(const media::TDIB& bitmap, TColor transparent, bool takeTransparent) {
    const TBitmap32 pixels = TBitmap32::FromDIB(bitmap);  // a copy at 32 bits per pixel
    const uint32_t key = PixelOf(transparent);
    pw::Region region;
    std::vector<pw::RegionRect> batch;
    batch.reserve(kRegionBatch);
    auto flush = [&] {
        region.Union(pw::Region::FromRects(batch));
        batch.clear();
    };
    for (int32_t y = 0; y < pixels.Height; ++y) {
        for (int32_t x = 0; x < pixels.Width;) {
            auto wanted = [&](int32_t at) { return (pixels.At(at, y) == key) == takeTransparent; };
            if (!wanted(x)) {
                ++x;
                continue;
            }
            const int32_t start = x;
            while (x < pixels.Width && wanted(x)) ++x;
            batch.push_back({start, y, x, y + 1});
            if (batch.size() == kRegionBatch) flush();
        }
    }
    flush();
    return region;
}

void TDlg_FormRgn::SetupRegion() {
    if (!Bitmap || Bitmap->Empty()) return;
    SetClientSize(Bitmap->Width(), Bitmap->Height());
    if (!Rgn) Rgn = CreateRegionFromBitmap(*Bitmap, ColorOfPixel(media::TDIB(*Bitmap).PixelColor(1, 1)), false);
    SetWindowRgn(*Rgn);
    // Asked of the window system, not of this window: its shape is set only when it shows.
    static bool told = false;  // once a run
    if (!Window().CanShape() && !told) {
        told = true;
        MainForm.WriteLog("SetupRegion", "The window system cannot shape windows: the dialogs stay rectangular");
    }
    brushCleared_ = true;
}

void TDlg_FormRgn::FormShow() {
    QuorvexUrlLabel.Font.Height = -16;
    Font.Charset = MainForm.TextCharset;
    for (TControl* c : Controls()) c->Font.Charset = MainForm.TextCharset;
    QuorvexUrlLabel.PopupMenu.Font.Charset = MainForm.TextCharset;
    InvalidateAll();
}

void TDlg_FormRgn::PaintBackground(TCanvas& canvas) {
    if (!Bitmap) return;
    if (background_.Empty()) background_ = TBitmap32::FromDIB(*Bitmap);
    canvas.Draw(0, 0, background_);
}

void TDlg_FormRgn::FormPaint(TCanvas& canvas) {
    if (!brushCleared_) TForm::FormPaint(canvas);
    if (PaintError) return;
    try {
        PaintBackground(canvas);
    } catch (const std::exception& e) {
        PaintError = true;
        MainForm.WriteLog("FormPaint", e.what());
    }
}

pw::HitArea TDlg_FormRgn::HitTest(int32_t x, int32_t y) const {
    const TControl* c = ControlAt(x, y);
    return c && c->TakesMouse() ? pw::HitArea::Client : pw::HitArea::Caption;
}

void TDlg_FormRgn::DisplayChanged() {
    PlaceWindow();
    MainForm.WriteLog("DisplayChange", "The display changed while a dialog was open: the dialog is centred again");
}

std::unique_ptr<media::TGPBitmap> ReadDialogPicture(engine::TGPResource* container, const std::string& key,
                                                    std::unique_ptr<rtl::MemoryStream>* rest) {
    if (!container) return nullptr;
    std::vector<uint8_t> bytes;
    if (!engine::ReadEntryBytes(*container, "BMP", key, bytes) || bytes.empty()) return nullptr;
    auto stream = std::make_unique<rtl::MemoryStream>(std::move(bytes));
    auto picture = std::make_unique<media::TGPBitmap>();
    try {
        picture->LoadFromStream(*stream);
    } catch (const std::exception&) {
        return nullptr;
    }
    if (picture->Failure || picture->Empty()) return nullptr;
    if (rest) *rest = std::move(stream);
    return picture;
}

bool ReadLanguageString(engine::TGPResource* container, const std::string& key, std::string& text) {
    text.clear();
    if (!container) return false;
    engine::TGPHashCollection* strings = container->GetSection("Strings");
    const engine::TGPHashCollectionItem* item = strings ? strings->Find(key) : nullptr;
    if (!item || item->Offset < 0) return false;
    text = container->ReadString("Strings", key);
    return true;
}

}  // namespace app
