// BMP files (RLE included) through the picture loader, decoded and written again.
#include "media/gpBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    try {
        media::TDIB dib;
        dib.LoadFromStream(stream);
        if (!dib.Empty() && static_cast<int64_t>(dib.Width()) * dib.Height() <= (1 << 22)) {
            dib.PixelColor(dib.Width() - 1, 0);
            rtl::MemoryStream out;
            dib.SaveToStream(out);
            media::TDIB canvas;
            canvas.SetSize(16, 16, 24);
            dib.Draw(canvas, {0, 0, 16, 16});
        }
    } catch (const rtl::Exception&) {
    }
    return 0;
}
