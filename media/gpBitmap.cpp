#include "media/gpBitmap.h"

#include <cstring>

namespace media {
namespace {

bool StartsJPEG(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF; }

}  // namespace

void TJPEGImage::LoadFromStream(rtl::Stream& stream) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    LoadFromMemory(bytes.data(), bytes.size());
}

void TJPEGImage::LoadFromFile(const std::string& fileName) {
    rtl::FileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    TJPEGImage::LoadFromStream(file);
}

void TGPJPEGImage::LoadFromStream(rtl::Stream& stream) {
    const int64_t remaining = stream.Remaining();
    if (remaining < 4) throw rtl::EJPEG("JPEG data length missing");
    const auto length = stream.ReadValue<int32_t>();
    if (length <= 0 || length > remaining - 4) throw rtl::EJPEG("JPEG data length out of range");
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    stream.ReadBuffer(bytes.data(), length);
    LoadFromMemory(bytes.data(), bytes.size());
}

void TGPJPEGImage::LoadFromFile(const std::string& fileName) { TJPEGImage::LoadFromFile(fileName); }

void TGPBitmap::LoadFromStream(rtl::Stream& stream) {
    const int64_t start = stream.Position();
    uint8_t magic[3] = {};
    stream.Read(magic, 3);
    if (magic[0] == 'B' && magic[1] == 'M') {
        FormatKind = gpbBMP;
    } else if (std::memcmp(magic, "GIF", 3) == 0) {
        FormatKind = gpbGIF;
    } else {
        // JFIF pictures name themselves at bytes 6..9; Exif and Adobe ones only start with
        // the start-of-image marker.
        uint8_t head[10] = {};
        FormatKind = gpbUnknown;
        if (HeaderOffset >= 0) {
            stream.SetPosition(start + HeaderOffset);
            const int64_t n = stream.Read(head, sizeof head);
            if ((n >= 10 && std::memcmp(head + 6, "JFIF", 4) == 0) || (n >= 3 && StartsJPEG(head)))
                FormatKind = gpbJPEG;
        }
    }
    stream.SetPosition(start);
    bool loaded = false;
    if (FormatKind == gpbBMP) {
        TDIB::LoadFromStream(stream);
        loaded = true;
    } else if (FormatKind == gpbJPEG && (HeaderOffset == 0 || HeaderOffset == 4)) {
        TGPJPEGImage prefixed;
        TJPEGImage plain;
        TJPEGImage& jpeg = HeaderOffset == 4 ? static_cast<TJPEGImage&>(prefixed) : plain;
        jpeg.PixelFormat = TJPEGPixelFormat::jf8Bit;
        jpeg.LoadFromStream(stream);
        Assign(jpeg.Bitmap());
        loaded = true;
    }
    Failure = !loaded;
}

void TGPBitmap::LoadFromFile(const std::string& fileName) {
    rtl::FileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    HeaderOffset = 0;
    try {
        LoadFromStream(file);
    } catch (...) {
        HeaderOffset = 4;
        throw;
    }
    HeaderOffset = 4;
}

}  // namespace media
