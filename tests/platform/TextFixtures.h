// Pixel buffers for the text tests: a target of any format surrounded by guard bytes, and
// the questions the tests ask of what was drawn (where the ink is, which pixels changed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text/Font.h"
#include "platform/text/Raster.h"
#include "platform/text/Text.h"
#include "platform/text/TextSystem.h"

namespace text_test {

namespace txt = platform::text;

// The box around every pixel that differs from the background; empty when none does.
struct Box {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

class Pixels {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    // Rows `pad` bytes longer than the pixels; the whole block sits between guard bytes.
    Pixels(int width, int height, txt::PixelFormat format = txt::PixelFormat::Rgb565, int pad = 6)
        : width_(width), height_(height), format_(format), bpp_(txt::BytesPerPixel(format)),
          pitch_(width * bpp_ + pad), memory_(kGuard * 2 + size_t(pitch_) * size_t(height), kGuardByte) {
        Fill(0x00402010);
    }

    txt::Target Target() {
        return {memory_.data() + kGuard, pitch_, width_, height_, format_};
    }
    // The same pixels as a bottom-up bitmap: row 0 is the last row in memory.
    txt::Target BottomUp() {
        return {memory_.data() + kGuard + size_t(pitch_) * size_t(height_ - 1), -pitch_, width_, height_, format_};
    }

    // Fills with a colour (0x00RRGGBB in memory order's terms: the raw 32-bit value for
    // 32-bit pixels, else its low bytes) and resets the padding.
    void Fill(uint32_t raw) {
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = memory_.data() + kGuard + size_t(y) * size_t(pitch_);
            for (int x = 0; x < width_; ++x) std::memcpy(row + x * bpp_, &raw, size_t(bpp_));
            std::memset(row + width_ * bpp_, kGuardByte, size_t(pitch_ - width_ * bpp_));
        }
    }
    // Each pixel a different value, so a changed background shows.
    void FillPattern() {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) Set(x, y, uint32_t(x * 7 + y * 131) * 2654435761u >> 8);
    }

    uint32_t At(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, memory_.data() + kGuard + size_t(y) * size_t(pitch_) + size_t(x * bpp_), size_t(bpp_));
        return v;
    }
    void Set(int x, int y, uint32_t v) {
        std::memcpy(memory_.data() + kGuard + size_t(y) * size_t(pitch_) + size_t(x * bpp_), &v, size_t(bpp_));
    }

    // Guard bytes before, after and in every row's padding are untouched.
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (memory_[i] != kGuardByte || memory_[memory_.size() - 1 - i] != kGuardByte) return false;
        for (int y = 0; y < height_; ++y) {
            const uint8_t* row = memory_.data() + kGuard + size_t(y) * size_t(pitch_);
            for (int i = width_ * bpp_; i < pitch_; ++i)
                if (row[i] != kGuardByte) return false;
        }
        return true;
    }

    Box InkBox(const Pixels& before) const {
        Box b{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) != before.At(x, y)) {
                    b.Left = std::min(b.Left, x);
                    b.Top = std::min(b.Top, y);
                    b.Right = std::max(b.Right, x + 1);
                    b.Bottom = std::max(b.Bottom, y + 1);
                }
        return b.Right == 0 ? Box{} : b;
    }
    int Changed(const Pixels& before) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) != before.At(x, y);
        return n;
    }
    // The changed pixels as a mask, rows of '#' and '.', to compare shapes.
    std::string Mask(const Pixels& before, Box box) const {
        std::string s;
        for (int y = box.Top; y < box.Bottom; ++y) {
            for (int x = box.Left; x < box.Right; ++x) s += At(x, y) != before.At(x, y) ? '#' : '.';
            s += '\n';
        }
        return s;
    }

    bool operator==(const Pixels& other) const { return memory_ == other.memory_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    txt::PixelFormat format_;
    int bpp_;
    int pitch_;
    std::vector<uint8_t> memory_;
};

inline uint16_t To565(uint32_t colorRef) {
    const uint32_t r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}

// One headless system for the whole test program (what TestMain's SPRALLION_TEXT picks).
inline txt::TextSystem& Headless() {
    static txt::TextSystem system(txt::Backend::Headless);
    return system;
}

inline txt::FontPtr MakeFont(int height, uint8_t charSet = txt::RUSSIAN_CHARSET, int escapement = 0,
                             txt::TextSystem& system = Headless()) {
    txt::LogFont f;
    f.FaceName = "Arial";
    f.Height = height;
    f.CharSet = charSet;
    f.Escapement = escapement;
    return system.CreateFont(f);
}

}  // namespace text_test
