// Writing DIBs and BMP files, always uncompressed.
#include "media/DIB.h"
#include "media/DIBPixels.h"

namespace media {

std::vector<uint8_t> TDIBSharedImage::BitmapInfo() const {
    const bool bitFields = BitCount == 16 || BitCount == 32;
    std::vector<uint8_t> info(40 + (bitFields ? 12 : 0) + 4 * static_cast<size_t>(PaletteCount), 0);
    uint8_t* p = info.data();
    dib::WriteLE32(p, 40);
    dib::WriteLE32(p + 4, static_cast<uint32_t>(Width));
    dib::WriteLE32(p + 8, static_cast<uint32_t>(Height));  // positive: bottom-up
    dib::WriteLE16(p + 12, 1);
    dib::WriteLE16(p + 14, static_cast<uint16_t>(BitCount));
    dib::WriteLE32(p + 16, bitFields ? 3 : 0);
    dib::WriteLE32(p + 20, static_cast<uint32_t>(Size));
    p += 40;
    if (bitFields) {
        dib::WriteLE32(p, PixelFormat.RBitMask);
        dib::WriteLE32(p + 4, PixelFormat.GBitMask);
        dib::WriteLE32(p + 8, PixelFormat.BBitMask);
        p += 12;
    }
    for (int i = 0; i < PaletteCount; ++i) {
        const TRGBQuad& q = ColorTable[static_cast<size_t>(i)];
        p[0] = q.rgbBlue;
        p[1] = q.rgbGreen;
        p[2] = q.rgbRed;
        p[3] = q.rgbReserved;
        p += 4;
    }
    return info;
}

void TDIB::WriteData(rtl::Stream& stream) const {
    if (Empty()) return;
    // A picture still held as RLE is decoded first: what is written is always plain pixels.
    std::unique_ptr<TDIBSharedImage> decoded;
    const TDIBSharedImage* image = image_.get();
    if (image->Compressed) {
        decoded = image->Duplicate();
        image = decoded.get();
    }
    const std::vector<uint8_t> info = image->BitmapInfo();
    stream.WriteBuffer(info.data(), static_cast<int64_t>(info.size()));
    stream.WriteBuffer(image->Pixels.data(), image->Size);
}

void TDIB::SaveToStream(rtl::Stream& stream) const {
    if (Empty()) return;
    const int64_t infoSize = 40 + ((BitCount() == 16 || BitCount() == 32) ? 12 : 0) +
                             4 * static_cast<int64_t>(image_->PaletteCount);
    uint8_t header[14] = {'B', 'M'};
    dib::WriteLE32(header + 2, static_cast<uint32_t>(14 + infoSize + Size()));
    dib::WriteLE32(header + 10, static_cast<uint32_t>(14 + infoSize));
    stream.WriteBuffer(header, sizeof header);
    WriteData(stream);
}

void TDIB::SaveToFile(const std::string& fileName) const {
    rtl::MemoryStream bytes;
    SaveToStream(bytes);
    bytes.SaveToFile(fileName);
}

}  // namespace media
