// DrawText with everything from the input: flags, rectangle, height, escapement, style,
// character set, a small target of any pixel format, and the text. Whatever comes, nothing
// is written outside the target, and measuring agrees with drawing.
//
// Input: uint32 flags, int16 left, top, right, bottom, int32 height, int16 escapement,
// byte style (1 bold, 2 italic, 4 underline, 8 strike-out, bits 4-5 pixel format, 64
// bottom-up rows, 128 TextOut), byte character set, byte width, byte height (1..64 each),
// then the text; all little-endian.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/text/Font.h"
#include "platform/text/Raster.h"
#include "platform/text/Text.h"
#include "platform/text/TextSystem.h"

namespace {

namespace txt = platform::text;

constexpr size_t kHeader = 22;
constexpr size_t kGuard = 32;

template <class T>
T Take(const uint8_t* data, size_t at) {
    T v;
    std::memcpy(&v, data + at, sizeof v);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static txt::TextSystem system(txt::Backend::Headless);
    if (size < kHeader) return 0;
    const auto flags = Take<uint32_t>(data, 0);
    txt::Rect rect{Take<int16_t>(data, 4), Take<int16_t>(data, 6), Take<int16_t>(data, 8), Take<int16_t>(data, 10)};
    txt::LogFont desc;
    desc.FaceName = "Arial";
    desc.Height = Take<int32_t>(data, 12);
    desc.Escapement = Take<int16_t>(data, 16);
    const uint8_t style = data[18];
    desc.Weight = (style & 1) ? txt::FW_BOLD : txt::FW_NORMAL;
    desc.Italic = (style & 2) != 0;
    desc.Underline = (style & 4) != 0;
    desc.StrikeOut = (style & 8) != 0;
    desc.CharSet = data[19];
    const auto format = static_cast<txt::PixelFormat>((style >> 4) & 3);
    const int width = data[20] % 64 + 1, height = data[21] % 64 + 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + kHeader, size - kHeader);

    const int bpp = txt::BytesPerPixel(format);
    const int pitch = width * bpp + 3;
    std::vector<uint8_t> memory(kGuard * 2 + size_t(pitch) * size_t(height), 0x5A);
    txt::Target target{memory.data() + kGuard, pitch, width, height, format};
    if (style & 64) {
        target.Bits = memory.data() + kGuard + size_t(pitch) * size_t(height - 1);
        target.Pitch = -pitch;
    }

    const auto font = system.CreateFont(desc);
    if (style & 128) {
        txt::TextOut(target, *font, rect.Left, rect.Top, text, 0x00FFFFFF, &rect);
    } else {
        txt::Rect measured = rect;
        const int32_t calc = txt::DrawText(target, *font, text, measured, flags | txt::DT_CALCRECT, 0);
        const txt::Rect drawn = rect;
        txt::Rect copy = drawn;
        const int32_t answer = txt::DrawText(target, *font, text, copy, flags & ~txt::DT_CALCRECT, 0x00FFFFFF);
        if (!(copy == drawn)) __builtin_trap();  // only DT_CALCRECT changes the rectangle
        const bool placed = (flags & txt::DT_SINGLELINE) && (flags & (txt::DT_VCENTER | txt::DT_BOTTOM));
        if (!placed && answer != calc) __builtin_trap();
    }
    (void)txt::GetTextExtent(*font, text);
    for (size_t i = 0; i < kGuard; ++i)
        if (memory[i] != 0x5A || memory[memory.size() - 1 - i] != 0x5A) __builtin_trap();
    for (int y = 0; y < height; ++y)
        for (int i = width * bpp; i < pitch; ++i)
            if (memory[kGuard + size_t(y) * size_t(pitch) + size_t(i)] != 0x5A) __builtin_trap();
    return 0;
}
