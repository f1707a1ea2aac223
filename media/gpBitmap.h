// Picture loading for the engine and the shell: TGPBitmap looks at the first bytes and
// decodes BMP or JPEG into itself; TGPJPEGImage reads JPEG data kept behind a 4-byte
// length, as the resource container stores it. JPEG decoding is libjpeg's; every error of
// the library becomes an EJPEG exception.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/DIB.h"

namespace media {

enum class TJPEGPixelFormat { jf24Bit, jf8Bit };

// A JPEG picture: the compressed data and, once decoded, its pixels as a DIB.
class TJPEGImage {
public:
    virtual ~TJPEGImage() = default;

    // 24 bits (the default) or 8 bits with a colour table quantised by the library.
    TJPEGPixelFormat PixelFormat = TJPEGPixelFormat::jf24Bit;

    // Takes everything from the position to the end of the stream and decodes it.
    virtual void LoadFromStream(rtl::Stream& stream);
    virtual void LoadFromFile(const std::string& fileName);
    // Decodes Size bytes of JPEG data.
    void LoadFromMemory(const uint8_t* data, size_t size);

    int Width() const { return bitmap_.Width(); }
    int Height() const { return bitmap_.Height(); }
    const TDIB& Bitmap() const { return bitmap_; }
    const std::vector<uint8_t>& Data() const { return data_; }

protected:
    std::vector<uint8_t> data_;
    TDIB bitmap_;
};

// JPEG data behind its 4-byte little-endian length (the container's form).
class TGPJPEGImage : public TJPEGImage {
public:
    // Reads the length, checks it against what the stream holds, then decodes that many bytes.
    void LoadFromStream(rtl::Stream& stream) override;
    // A file holds plain JPEG data: everything from the position to the end.
    void LoadFromFile(const std::string& fileName) override;
};

// Picture kinds of TGPBitmap.
inline constexpr uint8_t gpbBMP = 0, gpbJPEG = 1, gpbGIF = 2, gpbUnknown = 3;

class TGPBitmap : public TDIB {
public:
    uint8_t FormatKind = gpbUnknown;
    bool Failure = false;
    int32_t HeaderOffset = 4;  // JPEG data in a container is preceded by its length

    // Sniffs the kind, returns to the start and loads BMP or JPEG (as an 8-bit palette
    // picture). Kinds it cannot decode leave the picture unchanged with Failure set.
    // Corrupt data raises.
    void LoadFromStream(rtl::Stream& stream) override;
    // A file: no length prefix.
    void LoadFromFile(const std::string& fileName);
};

}  // namespace media
