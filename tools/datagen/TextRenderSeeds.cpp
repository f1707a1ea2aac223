// Seeds for DrawText: the header the fuzz target reads (flags, rectangle, height,
// escapement, style, character set, target size) followed by a text, in the shapes the
// widgets and dialogs draw.
#include <cstdint>
#include <string>

#include "tools/datagen/Seeds.h"

namespace {

struct DrawCall {
    uint32_t Flags = 0;
    int16_t Left = 0, Top = 0, Right = 64, Bottom = 64;
    int32_t Height = -16;
    int16_t Escapement = 0;
    uint8_t Style = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out, 16/32 pixel format, 64 bottom-up, 128 TextOut
    uint8_t CharSet = 204;
    uint8_t Width = 63, Height8 = 63;  // target size - 1
};

template <class T>
void Put(std::string& s, T v) {
    for (size_t i = 0; i < sizeof v; ++i) s += static_cast<char>((static_cast<uint64_t>(v) >> (8 * i)) & 0xFF);
}

std::string Encode(const DrawCall& c, const std::string& text) {
    std::string s;
    Put(s, c.Flags);
    Put(s, c.Left);
    Put(s, c.Top);
    Put(s, c.Right);
    Put(s, c.Bottom);
    Put(s, c.Height);
    Put(s, c.Escapement);
    Put(s, c.Style);
    Put(s, c.CharSet);
    Put(s, c.Width);
    Put(s, c.Height8);
    return s + text;
}

constexpr uint32_t kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kWordBreak = 0x10, kSingleLine = 0x20,
                   kExpandTabs = 0x40, kNoClip = 0x100, kNoPrefix = 0x800;

const datagen::SeedWriter seeds("fuzz_draw_text", [](const datagen::SeedSink& put) {
    put("label", Encode({kWordBreak | kExpandTabs | kCenter}, "&Options\tF2\r\nSecond line"));
    put("edit", Encode({kNoPrefix | kWordBreak | kVCenter | kCenter, 0, 0, 60, 20, -11}, "\xC8\xE3\xF0\xEE\xEA|"));
    put("grid", Encode({kWordBreak, 4, 4, 40, 30, -12, 0, 4}, "Cell text that wraps"));
    put("hud", Encode({kWordBreak | kExpandTabs | kRight, -10, -5, 70, 50, -14}, "Player\n\r1200"));
    put("rotated", Encode({0, 10, 0, 50, 64, -20, 900, 1}, "Upwards && on"));
    put("slanted", Encode({kNoClip, -20, 10, 90, 40, 24, 450, 2 | 8 | 16}, "Both ways"));
    put("huge", Encode({kSingleLine | kVCenter, -500, -500, 500, 500, 1 << 30, 0, 32}, "W"));
    put("zero", Encode({kSingleLine, 0, 0, 64, 64, 0, 2700, 48}, "&"));
    put("dialog32", Encode({kCenter | kWordBreak, 2, 2, 62, 62, -11, 0, 48 | 64, 238}, "Gr\xFC\xDF" "e \xE4\xF6"));
    put("textout", Encode({0, 60, 30, 64, 64, -18, 1800, 128}, "TextOut"));
});

}  // namespace
