// TDIB core: pixel formats, shared palettes, shared images, copy on write and pixel access.
#include "media/DIB.h"
#include "media/DIBCanvas.h"

#include <algorithm>
#include <cstring>

#include "media/DIBPixels.h"

namespace media {

// ---- pixel formats and colour tables ----

TPixelFormat MakePixelFormat(uint32_t r, uint32_t g, uint32_t b) {
    // A channel of `bits` bits above `shift` others; what lies beyond 32 bits is lost.
    auto maskOf = [](uint64_t bits, uint64_t shift) -> uint32_t {
        if (shift >= 32) return 0;
        const uint64_t ones = bits >= 32 ? 0xFFFFFFFFu : (uint64_t{1} << bits) - 1;
        return static_cast<uint32_t>(ones << shift);
    };
    TPixelFormat f;
    f.RBitMask = maskOf(r, uint64_t{g} + b);
    f.GBitMask = maskOf(g, b);
    f.BBitMask = maskOf(b, 0);
    f.RBitCount = r;
    f.GBitCount = g;
    f.BBitCount = b;
    f.RShift = static_cast<int>(r + g + b) - 8;
    f.GShift = static_cast<int>(g + b) - 8;
    f.BShift = 8 - static_cast<int>(b);
    f.RBitCount2 = 8 - static_cast<int>(r);
    f.GBitCount2 = 8 - static_cast<int>(g);
    f.BBitCount2 = 8 - static_cast<int>(b);
    return f;
}

uint32_t CountMaskBits(uint32_t mask) {
    if (mask == 0) return 0;
    while ((mask & 1u) == 0) mask >>= 1;
    uint32_t n = 0;
    while (mask & 1u) {
        ++n;
        mask >>= 1;
    }
    return n;
}

TPixelFormat MakePixelFormatFromMasks(uint32_t rMask, uint32_t gMask, uint32_t bMask) {
    TPixelFormat f = MakePixelFormat(CountMaskBits(rMask), CountMaskBits(gMask), CountMaskBits(bMask));
    f.RBitMask = rMask;
    f.GBitMask = gMask;
    f.BBitMask = bMask;
    return f;
}

TPixelFormat PixelFormat888() { return MakePixelFormat(8, 8, 8); }
TPixelFormat PixelFormat555() { return MakePixelFormat(5, 5, 5); }
TPixelFormat PixelFormat565() { return MakePixelFormat(5, 6, 5); }

TRGBQuads MakeGrayColorTable() {
    TRGBQuads table;
    for (int i = 0; i < 256; ++i) {
        auto v = static_cast<uint8_t>(i);
        table[static_cast<size_t>(i)] = TRGBQuad{v, v, v, 0};
    }
    return table;
}

TPaletteEntries RGBQuadsToPaletteEntries(const TRGBQuads& quads) {
    TPaletteEntries entries;
    for (size_t i = 0; i < 256; ++i) entries[i] = TPaletteEntry{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue, 0};
    return entries;
}

TRGBQuads PaletteEntriesToRGBQuads(const TPaletteEntries& entries) {
    TRGBQuads quads;
    for (size_t i = 0; i < 256; ++i) quads[i] = TRGBQuad{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return quads;
}

// ---- palette manager ----

TPaletteHandle TPaletteManager::CreatePalette(const TPaletteEntry* entries, int count) {
    count = std::clamp(count, 0, 256);
    uint32_t checksum = static_cast<uint32_t>(count);
    for (int i = 0; i < count; ++i) checksum += entries[i].peBlue + entries[i].peGreen + entries[i].peRed;
    // Shared only when every byte of the entries is equal, their flags included: the item
    // keeps the entries as they were asked for; the palette made from them carries no flags.
    for (auto& item : items_) {
        if (item->Checksum == checksum && item->ColorCount == count &&
            std::equal(entries, entries + count, item->Requested.begin())) {
            ++item->RefCount;
            return item->Palette;
        }
    }
    auto item = std::make_unique<TPaletteItem>();
    item->Checksum = checksum;
    item->ColorCount = count;
    std::copy(entries, entries + count, item->Requested.begin());
    std::copy(entries, entries + count, item->Colors.begin());
    for (int i = 0; i < count; ++i) item->Colors[static_cast<size_t>(i)].peFlags = 0;
    item->RefCount = 1;
    item->Palette = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    items_.push_back(std::move(item));
    return items_.back()->Palette;
}

void TPaletteManager::DeletePalette(TPaletteHandle& handle) {
    if (handle == 0) return;
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item->Palette == handle; });
    handle = 0;
    if (it == items_.end()) return;
    if (--(*it)->RefCount <= 0) items_.erase(it);
}

const TPaletteItem* TPaletteManager::Find(TPaletteHandle handle) const {
    for (const auto& item : items_)
        if (item->Palette == handle) return item.get();
    return nullptr;
}

TPaletteManager& PaletteManager() {
    static TPaletteManager manager;
    return manager;
}

namespace {

// The image every fresh or cleared TDIB refers to. The palette manager is made first so
// that it outlives this image.
const std::shared_ptr<TDIBSharedImage>& EmptyImage() {
    static const std::shared_ptr<TDIBSharedImage> empty = [] {
        PaletteManager();
        return std::make_shared<TDIBSharedImage>();
    }();
    return empty;
}

bool ValidFor(int bitCount, const TPixelFormat& f) {
    if (bitCount == 16) return f.SameMasks(PixelFormat555()) || f.SameMasks(PixelFormat565());
    return f.SameMasks(PixelFormat888());
}

}  // namespace

// ---- shared image ----

TDIBSharedImage::~TDIBSharedImage() {
    if (Palette != 0) PaletteManager().DeletePalette(Palette);
}

void TDIBSharedImage::NewImage(int width, int height, bool compressed, const TRGBQuads& colorTable,
                               const TPixelFormat& pixelFormat, int bitCount) {
    switch (bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: throw rtl::EInvalidGraphicOperation("Bitcount in invalid (" + std::to_string(bitCount) + ")");
    }
    if (!ValidFor(bitCount, pixelFormat)) throw rtl::EInvalidGraphicOperation("PixelFormat in invalid");
    if (width <= 0 || height <= 0 || width > kMaxDIBSide || height > kMaxDIBSide)
        throw rtl::EOutOfResources("DIB cannot be made");
    const int64_t rowSize = ((static_cast<int64_t>(bitCount) * width + 31) >> 5) * 4;
    const int64_t size = rowSize * height;
    if (size > kMaxDIBBytes) throw rtl::EOutOfResources("DIB cannot be made");

    if (Palette != 0) PaletteManager().DeletePalette(Palette);
    BitCount = bitCount;
    Width = width;
    Height = height;
    WidthBytes = rowSize;
    NextLine = -rowSize;
    Size = size;
    PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;
    PixelFormat = pixelFormat;
    ColorTable = colorTable;
    PaletteChanged = true;
    Compressed = compressed;
    Compression = 0;
    CompressedData.clear();
    Pixels.clear();
    if (!compressed) Pixels.assign(static_cast<size_t>(size), 0);
}

std::unique_ptr<TDIBSharedImage> TDIBSharedImage::Duplicate() const {
    auto copy = std::make_unique<TDIBSharedImage>();
    if (Size == 0) return copy;
    copy->NewImage(Width, Height, false, ColorTable, PixelFormat, BitCount);
    if (Compressed) DecodeRLE(CompressedData.data(), CompressedData.size(), Compression, *copy);
    else copy->Pixels = Pixels;
    return copy;
}

TPaletteHandle TDIBSharedImage::GetPalette() {
    if (Size == 0 || BitCount > 8) return 0;
    if (PaletteChanged || Palette == 0) {
        PaletteManager().DeletePalette(Palette);
        TPaletteEntries entries = RGBQuadsToPaletteEntries(ColorTable);
        Palette = PaletteManager().CreatePalette(entries.data(), PaletteCount);
        PaletteChanged = false;
    }
    return Palette;
}

// ---- TDIB ----

TDIB::TDIB() : image_(EmptyImage()) {}
TDIB::~TDIB() = default;

TCanvas& TDIB::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TDIBCanvas>(*this);
    return *canvas_;
}

TDIB::TDIB(const TDIB& other)
    : ColorTable(other.ColorTable), PixelFormat(other.PixelFormat), image_(other.image_) {}

TDIB& TDIB::operator=(const TDIB& other) {
    if (this != &other) Assign(other);
    return *this;
}

void TDIB::Assign(const TDIB& source) {
    image_ = source.image_;
    ColorTable = image_->ColorTable;
    PixelFormat = image_->PixelFormat;
    PaletteModified = true;
}

void TDIB::Clear() {
    image_ = EmptyImage();
    PaletteModified = true;
}

void TDIB::Changing() {
    if (image_->Size == 0) {
        if (image_.use_count() > 1) image_ = std::make_shared<TDIBSharedImage>();
        return;
    }
    if (image_.use_count() > 1 || image_->Compressed) image_ = std::shared_ptr<TDIBSharedImage>(image_->Duplicate());
}

void TDIB::SetSize(int width, int height, int bitCount) {
    if (width == Width() && height == Height() && bitCount == BitCount() &&
        PixelFormat.SameMasks(image_->PixelFormat))
        return;
    if (width <= 0 || height <= 0) {
        Clear();
        return;
    }
    auto image = std::make_shared<TDIBSharedImage>();
    image->NewImage(width, height, false, ColorTable, PixelFormat, bitCount);
    image_ = std::move(image);
    PaletteModified = true;
}

void TDIB::SetWidth(int width) {
    if (width <= 0) Clear();
    else if (Empty()) SetSize(width, std::max(1, Height()), 8);
    else SetSize(width, Height(), BitCount());
}

void TDIB::SetHeight(int height) {
    if (height <= 0) Clear();
    else if (Empty()) SetSize(std::max(1, Width()), height, 8);
    else SetSize(Width(), height, BitCount());
}

uint8_t* TDIB::PBits() {
    Changing();
    return image_->Pixels.empty() ? nullptr : image_->PBits();
}

uint8_t* TDIB::TopPBits() {
    Changing();
    return image_->TopPBits();
}

uint8_t* TDIB::ScanLine(int y) {
    Changing();
    if (y < 0 || y >= Height()) throw rtl::ERangeError(rtl::texts::SRangeError);
    return image_->ScanLine(y);
}

void TDIB::UpdatePalette() {
    if (ColorTable == image_->ColorTable) return;
    Changing();
    image_->ColorTable = ColorTable;
    image_->PaletteChanged = true;
    PaletteModified = true;
}

TPaletteHandle TDIB::Palette() { return image_->GetPalette(); }

void TDIB::SetPalette(TPaletteHandle palette) {
    if (const TPaletteItem* item = PaletteManager().Find(palette)) ColorTable = PaletteEntriesToRGBQuads(item->Colors);
    PaletteManager().DeletePalette(palette);
    UpdatePalette();
}

void TDIB::SetPixel(int x, int y, uint32_t value) {
    Changing();
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    dib::PutRaw(*image_, x, y, value);
}

uint32_t TDIB::Pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    if (image_->Compressed) Changing();
    return dib::GetRaw(*image_, x, y);
}

uint32_t TDIB::PixelColor(int x, int y) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    if (image_->Compressed) Changing();
    return dib::RawToColor(*image_, dib::GetRaw(*image_, x, y));
}

// ---- pixel access ----

namespace dib {

void WriteLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void WriteLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t GetRaw(const TDIBSharedImage& image, int x, int y) {
    const uint8_t* row = image.ScanLine(y);
    switch (image.BitCount) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4: return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
        case 8: return row[x];
        case 16: return ReadLE16(row + 2 * static_cast<ptrdiff_t>(x));
        case 24: {
            const uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
            return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
        }
        case 32: return ReadLE32(row + 4 * static_cast<ptrdiff_t>(x));
        default: return 0;
    }
}

void PutRaw(TDIBSharedImage& image, int x, int y, uint32_t value) {
    uint8_t* row = image.ScanLine(y);
    switch (image.BitCount) {
        case 1: {
            const auto bit = static_cast<uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>((value & 1u) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
            break;
        }
        case 4: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                        : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
            break;
        }
        case 8: row[x] = static_cast<uint8_t>(value); break;
        case 16: WriteLE16(row + 2 * static_cast<ptrdiff_t>(x), static_cast<uint16_t>(value)); break;
        case 24: {
            uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
            p[0] = static_cast<uint8_t>(value >> 16);
            p[1] = static_cast<uint8_t>(value >> 8);
            p[2] = static_cast<uint8_t>(value);
            break;
        }
        case 32: WriteLE32(row + 4 * static_cast<ptrdiff_t>(x), value); break;
        default: break;
    }
}

namespace {

uint32_t Expand(uint32_t raw, uint32_t mask) {
    if (mask == 0) return 0;
    const int low = __builtin_ctz(mask);
    const uint32_t count = CountMaskBits(mask);
    const uint32_t max = count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1u;
    const uint64_t c = (raw & mask) >> low;
    return static_cast<uint32_t>((c * 255 + max / 2) / max);
}

uint32_t Reduce(uint32_t c8, uint32_t mask) {
    if (mask == 0) return 0;
    const int low = __builtin_ctz(mask);
    const uint32_t count = CountMaskBits(mask);
    const uint64_t max = count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1u;
    return static_cast<uint32_t>(((c8 * max + 127) / 255) << low) & mask;
}

}  // namespace

uint32_t RawToColor(const TDIBSharedImage& image, uint32_t raw) {
    switch (image.BitCount) {
        case 1: case 4: case 8: {
            const TRGBQuad& q = image.ColorTable[raw & 0xFF];
            return static_cast<uint32_t>(q.rgbRed) << 16 | static_cast<uint32_t>(q.rgbGreen) << 8 | q.rgbBlue;
        }
        case 24:  // stored blue, green, red: the raw value is $BBGGRR
            return (raw & 0xFF) << 16 | (raw & 0xFF00) | ((raw >> 16) & 0xFF);
        default: {
            const TPixelFormat& f = image.PixelFormat;
            return Expand(raw, f.RBitMask) << 16 | Expand(raw, f.GBitMask) << 8 | Expand(raw, f.BBitMask);
        }
    }
}

uint32_t ColorToRaw(const TDIBSharedImage& image, uint32_t color) {
    const uint32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    switch (image.BitCount) {
        case 1: case 4: case 8: {
            uint32_t best = 0;
            int bestDistance = 1 << 30;
            for (int i = 0; i < image.PaletteCount; ++i) {
                const TRGBQuad& q = image.ColorTable[static_cast<size_t>(i)];
                const int dr = q.rgbRed - static_cast<int>(r), dg = q.rgbGreen - static_cast<int>(g),
                          db = q.rgbBlue - static_cast<int>(b);
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = static_cast<uint32_t>(i);
                    if (d == 0) break;
                }
            }
            return best;
        }
        case 24: return b << 16 | g << 8 | r;
        default: {
            const TPixelFormat& f = image.PixelFormat;
            return Reduce(r, f.RBitMask) | Reduce(g, f.GBitMask) | Reduce(b, f.BBitMask);
        }
    }
}

}  // namespace dib
}  // namespace media
