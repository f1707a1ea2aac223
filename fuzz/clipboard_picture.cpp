// Pictures another program put on the clipboard ("image/bmp" files) and pictures in
// component streams (the binary property "DIB"): into a DIB, read, written and back.
#include "media/DIB.h"
#include "platform/window/Clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    try {
        if (auto dib = platform::window::DibFromBmpFile(input)) {
            media::TDIB picture;
            picture.LoadFromClipboardFormat(media::CF_DIB, *dib, 0);
            if (!picture.Empty() && static_cast<int64_t>(picture.Width()) * picture.Height() <= (1 << 22)) {
                uint16_t format;
                std::vector<uint8_t> again;
                media::TPaletteHandle palette;
                picture.SaveToClipboardFormat(format, again, palette);
                (void)platform::window::BmpFileFromDib(again);
            }
        }
    } catch (const rtl::Exception&) {
    }
    try {
        media::TDIB property;
        property.ReadProperty(media::kDIBProperty, input);
    } catch (const rtl::Exception&) {
    }
    return 0;
}
