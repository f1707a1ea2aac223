// Font files named by level sets: any bytes as a font file, added to a FreeType text system
// as the game adds a set's fonts, then text drawn and measured in its face (family "Fuzz
// Sans" in the seeds), plainly and bold, slanted and turned, and the file removed again.
// Whatever the file holds, it adds no face or faces that draw inside the target only.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "platform/text/Text.h"
#include "platform/text/TextSystem.h"

namespace {

namespace txt = platform::text;

constexpr int kWidth = 48, kHeight = 40, kGuard = 32;

void Draw(txt::TextSystem& system, const txt::LogFont& desc) {
    const txt::FontPtr font = system.CreateFont(desc);
    const int pitch = kWidth * 2 + 2;
    std::vector<uint8_t> memory(kGuard * 2 + size_t(pitch) * kHeight, 0x5A);
    const txt::Target target{memory.data() + kGuard, pitch, kWidth, kHeight, txt::PixelFormat::Rgb565};
    const std::string text = "Wg&Q \xC6\xE8\r\n\t|AV";
    txt::Rect rect{-4, 2, kWidth + 3, kHeight - 1};
    txt::Rect measured = rect;
    txt::DrawText(target, *font, text, measured, txt::DT_CALCRECT | txt::DT_EXPANDTABS, 0);
    txt::DrawText(target, *font, text, rect, txt::DT_WORDBREAK | txt::DT_EXPANDTABS, 0x00FFFFFF);
    txt::TextOut(target, *font, 5, 30, text, 0x000000FF, nullptr);
    (void)txt::GetTextExtent(*font, text);
    (void)txt::GetTextMetrics(*font);
    for (int i = 0; i < kGuard; ++i)
        if (memory[size_t(i)] != 0x5A || memory[memory.size() - 1 - size_t(i)] != 0x5A) __builtin_trap();
    for (int y = 0; y < kHeight; ++y)
        for (int i = kWidth * 2; i < pitch; ++i)
            if (memory[kGuard + size_t(y) * size_t(pitch) + size_t(i)] != 0x5A) __builtin_trap();
}

}  // namespace

// Faces the added files do not name come from fontconfig, which keeps its configuration in
// memory that it reaches through offsets the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static txt::TextSystem system(txt::Backend::FreeType);
    static const std::string path = fuzz::TempPath("font_file", ".ttf");
    static const bool quiet = [] {
        txt::SetLogSink([](const std::string&) {});
        return true;
    }();
    (void)quiet;
    fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const int faces = system.AddFontResource(path);
    if (faces < 0 || faces > 256) __builtin_trap();
    txt::LogFont desc;
    desc.FaceName = "Fuzz Sans";
    desc.Height = -18;
    Draw(system, desc);
    desc.Weight = txt::FW_BOLD;
    desc.Italic = desc.Underline = true;
    desc.Escapement = 900;
    desc.Height = 30;
    Draw(system, desc);
    if (system.RemoveFontResource(path) != (faces > 0)) __builtin_trap();
    std::remove(path.c_str());
    return 0;
}
