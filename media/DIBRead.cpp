// Reading BMP files and DIBs. Every field is checked before it sizes a read or an image.
#include <algorithm>
#include <vector>

#include "media/DIB.h"
#include "media/DIBPixels.h"

namespace media {
namespace {

constexpr const char* kInvalid = "DIB is invalid";

[[noreturn]] void Invalid() { throw rtl::EInvalidGraphic(kInvalid); }

void ReadOrInvalid(rtl::Stream& stream, void* buffer, int64_t count) {
    if (stream.Read(buffer, count) != count) Invalid();
}

bool KnownInfoHeader(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

void TDIB::LoadFromStream(rtl::Stream& stream) {
    const int64_t start = stream.Position();
    uint8_t header[14];
    const int64_t n = stream.Read(header, sizeof header);
    if (n == 0) return;
    if (n < 14 || header[0] != 'B' || header[1] != 'M') Invalid();
    ReadDIB(stream, start, dib::ReadLE32(header + 10));
}

void TDIB::LoadFromFile(const std::string& fileName) {
    rtl::FileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    LoadFromStream(file);
}

void TDIB::ReadData(rtl::Stream& stream) { ReadDIB(stream, -1, 0); }

void TDIB::ReadDIB(rtl::Stream& stream, int64_t fileStart, int64_t pixelOffset) {
    const int64_t infoStart = stream.Position();
    uint8_t raw[124] = {};
    const int64_t got = stream.Read(raw, 4);
    if (got == 0) {
        Clear();
        return;
    }
    if (got < 4) Invalid();
    const uint32_t headerSize = dib::ReadLE32(raw);

    int64_t width = 0, height = 0;
    int bitCount = 0;
    uint32_t compression = 0, imageSize = 0, colorsUsed = 0;
    int colorBytes = 4;
    bool masksInHeader = false;
    if (headerSize == 12) {
        ReadOrInvalid(stream, raw + 4, 8);
        width = dib::ReadLE16(raw + 4);
        height = dib::ReadLE16(raw + 6);
        bitCount = dib::ReadLE16(raw + 10);
        colorBytes = 3;
    } else if (KnownInfoHeader(headerSize)) {
        // Larger headers add colour-space fields; their first 40 bytes are the info header.
        ReadOrInvalid(stream, raw + 4, headerSize - 4);
        width = static_cast<int32_t>(dib::ReadLE32(raw + 4));
        height = static_cast<int32_t>(dib::ReadLE32(raw + 8));
        bitCount = dib::ReadLE16(raw + 14);
        compression = dib::ReadLE32(raw + 16);
        imageSize = dib::ReadLE32(raw + 20);
        colorsUsed = dib::ReadLE32(raw + 32);
        masksInHeader = headerSize >= 52;
    } else {
        Invalid();
    }

    TPixelFormat format = bitCount == 16 ? PixelFormat555() : PixelFormat888();
    if (compression == 3) {
        uint8_t masks[12];
        if (masksInHeader) std::copy(raw + 40, raw + 52, masks);
        else ReadOrInvalid(stream, masks, 12);
        format = MakePixelFormatFromMasks(dib::ReadLE32(masks), dib::ReadLE32(masks + 4), dib::ReadLE32(masks + 8));
    } else if (compression > 3) {
        Invalid();
    }
    const bool compressed = compression == 1 || compression == 2;
    if (width <= 0 || height == 0 || width > kMaxDIBSide || height > kMaxDIBSide || height < -kMaxDIBSide) Invalid();
    if (compressed && (height < 0 || (compression == 1 && bitCount != 8) || (compression == 2 && bitCount != 4)))
        Invalid();

    uint32_t colors = colorsUsed;
    if (colors == 0 && bitCount <= 8) colors = 1u << bitCount;
    colors = std::min<uint32_t>(colors, 256);
    TRGBQuads table{};
    for (uint32_t i = 0; i < colors; ++i) {
        uint8_t entry[4] = {};
        ReadOrInvalid(stream, entry, colorBytes);
        table[i] = TRGBQuad{entry[0], entry[1], entry[2], colorBytes == 4 ? entry[3] : uint8_t{0}};
    }

    // The file header says where the pixels start; honour it when it points past the headers,
    // but not past the end of the file.
    if (fileStart >= 0 && pixelOffset > 0 && fileStart + pixelOffset >= infoStart + headerSize) {
        if (fileStart + pixelOffset > stream.Size()) Invalid();
        stream.SetPosition(fileStart + pixelOffset);
    }

    auto image = std::make_shared<TDIBSharedImage>();
    image->NewImage(static_cast<int>(width), static_cast<int>(std::abs(height)), compressed, table, format, bitCount);
    if (compressed) {
        // RLE data: what the header says, but never more than the stream holds.
        int64_t count = stream.Remaining();
        if (imageSize > 0) count = std::min<int64_t>(count, imageSize);
        count = std::min<int64_t>(count, kMaxDIBBytes);
        image->Compression = static_cast<int>(compression);
        image->CompressedData.resize(static_cast<size_t>(count));
        stream.ReadBuffer(image->CompressedData.data(), count);
    } else {
        if (stream.Remaining() < image->Size) throw rtl::EReadError(rtl::texts::SReadError);
        if (height > 0) {
            stream.ReadBuffer(image->PBits(), image->Size);
        } else {
            for (int y = 0; y < image->Height; ++y) stream.ReadBuffer(image->ScanLine(y), image->WidthBytes);
        }
    }
    image_ = std::move(image);
    ColorTable = table;
    PixelFormat = format;
    PaletteModified = true;
}

}  // namespace media
