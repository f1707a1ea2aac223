// The clipboard, by the formats the game knows: text in its 8-bit code page and device-
// independent bitmaps (the BITMAPINFO block followed by the pixels). A program that puts
// data on it owns it until another program does.
//
// Backends: in memory (headless, and whatever has no window system clipboard), the X11
// CLIPBOARD selection owned by the game window (text as UTF-8 and Latin-1, pictures as
// "image/bmp"), and SDL's text clipboard on other window systems.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Window;

namespace platform::window {

class EventPump;

// Clipboard formats, by their system numbers.
inline constexpr uint32_t CF_TEXT = 1;
inline constexpr uint32_t CF_DIB = 8;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual const char* Name() const = 0;

    // Empties the clipboard and makes this program its owner.
    virtual void Clear() = 0;
    // Adds one format to what this program offers (after Clear, or alongside what it already
    // offers); false when the format is unknown or the clipboard cannot be taken.
    virtual bool SetData(uint32_t format, std::span<const uint8_t> data) = 0;
    virtual bool HasFormat(uint32_t format) = 0;
    // The data of a format, from whichever program owns the clipboard; nothing when none
    // offers it.
    virtual std::optional<std::vector<uint8_t>> GetData(uint32_t format) = 0;

    // Text without a terminator, in the game's code page.
    bool SetText(std::string_view text);
    std::optional<std::string> GetText();
};

class MemoryClipboard : public Clipboard {
public:
    const char* Name() const override { return "memory"; }
    void Clear() override { formats_.clear(); }
    bool SetData(uint32_t format, std::span<const uint8_t> data) override;
    bool HasFormat(uint32_t format) override { return formats_.count(format) != 0; }
    std::optional<std::vector<uint8_t>> GetData(uint32_t format) override;

private:
    std::map<uint32_t, std::vector<uint8_t>> formats_;
};

// A picture between its clipboard form (a DIB) and a BMP file, as other programs exchange
// pictures ("image/bmp"). The reading direction checks every size and offset of the data:
// nothing when the file is not a BMP whose header fits.
std::vector<uint8_t> BmpFileFromDib(std::span<const uint8_t> dib);
std::optional<std::vector<uint8_t>> DibFromBmpFile(std::span<const uint8_t> file);

// The clipboard of a game window: the X11 selection owned by the window when SDL runs on
// X11, SDL's text clipboard (pictures in memory) on other window systems.
std::unique_ptr<Clipboard> OpenWindowClipboard(SDL_Window* window, EventPump& pump);

// The process's clipboard: the one a game window installed, else one in memory.
Clipboard& TheClipboard();
// The display installs its window's clipboard while the window lives (main thread). Removing
// a clipboard that is not the installed one does nothing.
void InstallClipboard(Clipboard* clipboard);
// The clipboard a game window installed; nullptr when there is none.
Clipboard* InstalledClipboard();
void RemoveClipboard(Clipboard* clipboard);

}  // namespace platform::window
