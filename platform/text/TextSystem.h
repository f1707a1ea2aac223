// The text system: the backend, the faces it finds for a LogFont, the font cache and the
// process-private font files.
//
// FreeType backend: a face named by a font file this process added comes first; then
// fontconfig's best match (its own substitutes included, with one log line when the face
// drawn is not the one asked for); when fontconfig finds nothing usable, DejaVu Sans with
// one log line. Glyphs are anti-aliased.
//
// Headless backend: the same code, but every face is DejaVu Sans (DejaVu Sans Bold for bold
// weights) and glyphs are monochrome, so frames do not depend on installed fonts.
#pragma once

#include <memory>
#include <string>

#include "platform/text/Text.h"

namespace platform::text {

enum class Backend { Headless, FreeType };

class TextSystem {
public:
    explicit TextSystem(Backend backend);
    ~TextSystem();
    TextSystem(const TextSystem&) = delete;
    TextSystem& operator=(const TextSystem&) = delete;

    // The process's system, made on first use: SPRALLION_TEXT=headless|freetype, by default
    // FreeType when fontconfig starts and headless otherwise. Writes one line saying which.
    static TextSystem& Default();

    Backend Kind() const;
    FontPtr CreateFont(const LogFont& font);
    int AddFontResource(const std::string& path);
    bool RemoveFontResource(const std::string& path);
    // How many times the file is added now (0 when it is not).
    int FontResourceCount(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Where DejaVu Sans lies (fonts-dejavu-core).
inline constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kDejaVuSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Writes one line through the sink set by SetLogSink (stderr by default).
void Log(const std::string& line);

}  // namespace platform::text
