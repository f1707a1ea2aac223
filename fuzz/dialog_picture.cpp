// The dialogs' pictures: an entry of "BMP" as the options dialog and the message box read it
// (ReadDialogPicture, a BMP or a length-prefixed JPEG), its region data behind it, and what
// the dialog makes of the picture: the outline cut from its colour at (1, 1) and the
// background at 32 bits. The input is the entry; another entry follows it in the container.
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "app/Controls.h"
#include "app/fmFormRgn.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "media/gpBitmap.h"
#include "rtl/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::TempPath("dialog_picture", ".bif");
    const std::string entry(reinterpret_cast<const char*>(data), size);
    fuzz::WriteFile(path, datagen::BuildContainer({{"BMP", {{"Pal_Option_Win", entry}, {"Win_Option_Ok", "BM"}}}}));
    {
        engine::TGPResource container(path, rtl::fmOpenRead);
        std::unique_ptr<rtl::MemoryStream> rest;
        const auto picture = app::ReadDialogPicture(&container, "Pal_Option_Win", &rest);
        if (picture) {
            if (!rest || rest->Position() > int64_t(size)) __builtin_trap();
            try {
                (void)engine::RegionFromStream(*rest);
            } catch (const rtl::EReadError&) {
            }
            media::TDIB dib(*picture);
            const int64_t pixels = int64_t(dib.Width()) * dib.Height();
            if (pixels <= (1 << 16)) {  // larger ones only cost time
                const platform::window::Region outline =
                    app::TDlg_FormRgn::CreateRegionFromBitmap(dib, app::ColorOfPixel(dib.PixelColor(1, 1)), false);
                const auto bounds = outline.Bounds();
                if (!outline.Rects().empty() &&
                    (bounds.Left < 0 || bounds.Top < 0 || bounds.Right > dib.Width() || bounds.Bottom > dib.Height()))
                    __builtin_trap();
                const app::TBitmap32 background = app::TBitmap32::FromDIB(dib);
                if (background.Width != dib.Width() || background.Height != dib.Height() ||
                    int64_t(background.Pixels.size()) != pixels)
                    __builtin_trap();
            }
        }
    }
    std::remove(path.c_str());
    return 0;
}
