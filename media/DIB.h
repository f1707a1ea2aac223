// TDIB: a device-independent bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel.
//
// Pixels live in memory of our own, rows stored bottom-up with a row size rounded to four
// bytes. Copies share one image until one of them is written (copy on write); images with
// equal colour tables share one palette from the palette manager. BMP files are read in
// every depth (core and info headers, top-down and bottom-up, RLE8, RLE4, bit fields) and
// written uncompressed. Every size and count from a file is checked before it is used.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/GraphicErrors.h"
#include "rtl/Streams.h"

namespace rtl {
class ComponentWriter;
}

namespace media {

class TCanvas;
class TDIBCanvas;

struct TRGBQuad {
    uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};
using TRGBQuads = std::array<TRGBQuad, 256>;

struct TPaletteEntry {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
    bool operator==(const TPaletteEntry&) const = default;
};
using TPaletteEntries = std::array<TPaletteEntry, 256>;

// How a 16- or 32-bit pixel splits into channels. The shifts bring a channel to the top of
// a byte (red and green to the right, blue to the left); the reductions bring an 8-bit
// value down to the channel's width.
struct TPixelFormat {
    uint32_t RBitMask = 0, GBitMask = 0, BBitMask = 0;
    uint32_t RBitCount = 0, GBitCount = 0, BBitCount = 0;
    int RShift = 0, GShift = 0, BShift = 0;
    int RBitCount2 = 0, GBitCount2 = 0, BBitCount2 = 0;
    bool SameMasks(const TPixelFormat& o) const {
        return RBitMask == o.RBitMask && GBitMask == o.GBitMask && BBitMask == o.BBitMask;
    }
};

TPixelFormat MakePixelFormat(uint32_t r, uint32_t g, uint32_t b);
TPixelFormat MakePixelFormatFromMasks(uint32_t rMask, uint32_t gMask, uint32_t bMask);
// Length of the run of set bits that starts at the lowest set bit; 0 for 0.
uint32_t CountMaskBits(uint32_t mask);
TPixelFormat PixelFormat888();
TPixelFormat PixelFormat555();
TPixelFormat PixelFormat565();

TRGBQuads MakeGrayColorTable();
TPaletteEntries RGBQuadsToPaletteEntries(const TRGBQuads& quads);
TRGBQuads PaletteEntriesToRGBQuads(const TPaletteEntries& entries);

// Palettes shared between images with equal colour tables. A handle of 0 is no palette.
using TPaletteHandle = uint32_t;

struct TPaletteItem {
    uint32_t Checksum = 0;
    TPaletteHandle Palette = 0;
    int RefCount = 0;
    TPaletteEntries Requested{};  // the entries as asked for, flags included: the sharing key
    TPaletteEntries Colors{};     // the palette's entries (no flags)
    int ColorCount = 0;
};

class TPaletteManager {
public:
    // Reuses an item with equal count and entries (one more reference) or makes a new one.
    TPaletteHandle CreatePalette(const TPaletteEntry* entries, int count);
    // Drops one reference of the handle's item and clears the handle; nothing for 0.
    void DeletePalette(TPaletteHandle& handle);
    const TPaletteItem* Find(TPaletteHandle handle) const;
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::unique_ptr<TPaletteItem>> items_;
    TPaletteHandle nextHandle_ = 1;
};

TPaletteManager& PaletteManager();

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// One image, shared by every TDIB that refers to it.
class TDIBSharedImage {
public:
    TDIBSharedImage() = default;
    ~TDIBSharedImage();
    TDIBSharedImage(const TDIBSharedImage&) = delete;
    TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

    // Raises "Bitcount in invalid (%d)" or "PixelFormat in invalid"; "%s cannot be made" when
    // the image is larger than this build allows.
    void NewImage(int width, int height, bool compressed, const TRGBQuads& colorTable,
                  const TPixelFormat& pixelFormat, int bitCount);
    // A private copy: a compressed image decoded, any other duplicated byte for byte.
    std::unique_ptr<TDIBSharedImage> Duplicate() const;
    TPaletteHandle GetPalette();

    int BitCount = 0;
    int Width = 0;
    int Height = 0;
    int64_t WidthBytes = 0;  // row size
    int64_t NextLine = 0;    // minus the row size: rows run bottom-up
    int64_t Size = 0;        // row size x height
    int PaletteCount = 0;
    TPixelFormat PixelFormat = PixelFormat888();
    TRGBQuads ColorTable = MakeGrayColorTable();
    bool PaletteChanged = true;
    // RLE data kept as read until pixels are needed; Compression is 1 (RLE8) or 2 (RLE4).
    bool Compressed = false;
    int Compression = 0;
    std::vector<uint8_t> CompressedData;
    std::vector<uint8_t> Pixels;
    TPaletteHandle Palette = 0;

    uint8_t* PBits() { return Pixels.data(); }
    uint8_t* TopPBits() { return Pixels.empty() ? nullptr : Pixels.data() + (Height - 1) * WidthBytes; }
    // Row Y counted from the top.
    uint8_t* ScanLine(int y) { return Pixels.data() + (Height - 1 - y) * WidthBytes; }
    const uint8_t* ScanLine(int y) const { return Pixels.data() + (Height - 1 - y) * WidthBytes; }
    // The BITMAPINFO block: 40-byte header, masks for 16 and 32 bits, the used colours.
    std::vector<uint8_t> BitmapInfo() const;
};

// The largest picture accepted: each side up to 32767 pixels and 256 MiB of pixels.
inline constexpr int kMaxDIBSide = 32767;
inline constexpr int64_t kMaxDIBBytes = int64_t{1} << 28;

class TDIB {
public:
    TDIB();
    virtual ~TDIB();
    TDIB(const TDIB& other);
    TDIB& operator=(const TDIB& other);

    // Shares the other picture's image; no pixels are copied.
    void Assign(const TDIB& source);
    void Clear();
    // A new image of the caller's colour table and pixel format; the old pixels go.
    // Nothing happens when size, depth and masks are unchanged.
    void SetSize(int width, int height, int bitCount);
    void SetWidth(int width);
    void SetHeight(int height);

    int BitCount() const { return image_->BitCount; }
    int Width() const { return image_->Width; }
    int Height() const { return image_->Height; }
    int64_t Size() const { return image_->Size; }
    int64_t WidthBytes() const { return image_->WidthBytes; }
    int64_t NextLine() const { return image_->NextLine; }
    bool Empty() const { return image_->Size == 0; }
    bool Compressed() const { return image_->Compressed; }
    const TPixelFormat& NowPixelFormat() const { return image_->PixelFormat; }
    const TRGBQuads& ImageColorTable() const { return image_->ColorTable; }
    // True when both refer to one image.
    bool SharesImageWith(const TDIB& other) const { return image_ == other.image_; }

    // The pixels of a private, uncompressed image.
    uint8_t* PBits();
    uint8_t* TopPBits();
    // Row Y counted from the top, of a private image.
    uint8_t* ScanLine(int y);

    // The caller's colour table, pushed into the image by UpdatePalette, and the caller's
    // pixel format, used by the next SetSize.
    TRGBQuads ColorTable = MakeGrayColorTable();
    TPixelFormat PixelFormat = PixelFormat888();
    void UpdatePalette();
    // The image's shared palette; 0 for more than 8 bits.
    TPaletteHandle Palette();
    // Takes the first 256 entries of the handle's palette and gives the handle up.
    void SetPalette(TPaletteHandle palette);
    bool PaletteModified = false;

    // Pixel at column X of row Y counted from the top: an index up to 8 bits, the packed
    // value for 16 and 32 bits, and for 24 bits the three bytes as stored, the first in
    // bits 16-23: $BBGGRR. Coordinates outside the picture are ignored.
    void SetPixel(int x, int y, uint32_t value);
    uint32_t Pixel(int x, int y);
    // The colour of a pixel as $RRGGBB.
    uint32_t PixelColor(int x, int y);

    // Text and simple drawing on the picture's pixels (16, 24 and 32 bits), made on first use.
    TCanvas& Canvas();

    // Stretches the whole picture onto Rect of Canvas, nearest pixel (mirrored when the
    // rectangle runs backwards), clipped to the canvas.
    void Draw(TDIB& canvas, const TRect& rect);

    // BMP files: the 14-byte file header, then the DIB. An empty stream changes nothing.
    virtual void LoadFromStream(rtl::Stream& stream);
    virtual void SaveToStream(rtl::Stream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;  // crash-safe
    // The DIB alone: BITMAPINFO and pixels.
    void ReadData(rtl::Stream& stream);
    void WriteData(rtl::Stream& stream) const;

    // The clipboard form: format CF_DIB (8), the DIB (WriteData), no palette. Loading reads
    // the DIB from the data, whose size bounds it; an empty picture gives empty data.
    void SaveToClipboardFormat(uint16_t& format, std::vector<uint8_t>& data, TPaletteHandle& palette) const;
    void LoadFromClipboardFormat(uint16_t format, std::span<const uint8_t> data, TPaletteHandle palette);

    // Component streams keep the picture as the binary property "DIB" (the DIB, written
    // only when the picture is not empty). ReadProperty answers false for any other name.
    bool ReadProperty(std::string_view name, std::span<const uint8_t> bytes);
    void WriteProperties(rtl::ComponentWriter& writer) const;

protected:
    // Makes the image private (and decoded) before it is written.
    void Changing();
    // Reads a DIB whose file header began at FileStart and gave PixelOffset (0: none).
    void ReadDIB(rtl::Stream& stream, int64_t fileStart, int64_t pixelOffset);

private:
    std::shared_ptr<TDIBSharedImage> image_;
    std::unique_ptr<TDIBCanvas> canvas_;  // never copied: a copy makes its own
};

inline constexpr const char* kDIBProperty = "DIB";
inline constexpr uint16_t CF_DIB = 8;

// The picture through the program's clipboard (platform/window): copying owns the clipboard
// with the picture; pasting answers false when the clipboard holds no picture.
void CopyToClipboard(const TDIB& picture);
bool PasteFromClipboard(TDIB& picture);

// Decodes RLE8 (compression 1) or RLE4 (2) data into an image of the same size, rows from
// the bottom. Input ends at the data's end or at the end-of-bitmap code; writes outside the
// picture are dropped.
void DecodeRLE(const uint8_t* data, size_t size, int compression, TDIBSharedImage& target);

}  // namespace media
