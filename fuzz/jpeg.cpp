// Length-prefixed JPEG data through the picture loader, as the container holds it.
#include "media/gpBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    try {
        media::TGPBitmap bitmap;
        bitmap.LoadFromStream(stream);
    } catch (const rtl::Exception&) {
    }
    try {
        stream.SetPosition(0);
        media::TGPJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
    } catch (const rtl::Exception&) {
    }
    return 0;
}
