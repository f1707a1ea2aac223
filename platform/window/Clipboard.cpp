#include "platform/window/Clipboard.h"

#include "platform/window/BmpFile.h"

#include <climits>
#include <cstdint>

namespace platform::window {

namespace {

Clipboard* installed = nullptr;

uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t LE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Bytes of a DIB's header, masks and colour table (what precedes the pixels); 0 when the
// header does not fit the data.
size_t DibHeaderBytes(std::span<const uint8_t> dib) {
    if (dib.size() < 12) return 0;
    const uint32_t headerSize = LE32(dib.data());
    uint64_t bytes;
    if (headerSize == 12) {
        const uint16_t bits = LE16(dib.data() + 10);
        bytes = 12 + (bits <= 8 ? (uint64_t{1} << bits) * 3 : 0);
    } else {
        if (headerSize < 40 || dib.size() < 40) return 0;
        const uint16_t bits = LE16(dib.data() + 14);
        const uint32_t compression = LE32(dib.data() + 16);
        const uint32_t used = LE32(dib.data() + 32);
        const uint64_t colours = used ? used : (bits <= 8 ? uint64_t{1} << bits : 0);
        bytes = uint64_t(headerSize) + (compression == 3 && headerSize == 40 ? 12 : 0) + colours * 4;
    }
    return bytes <= dib.size() ? size_t(bytes) : 0;
}

}  // namespace

std::vector<uint8_t> BmpFileFromDib(std::span<const uint8_t> dib) {
    const size_t header = DibHeaderBytes(dib);
    if (header == 0 || dib.size() > UINT32_MAX - 14) return {};
    std::vector<uint8_t> file;
    PutBmpFileHeader(file, uint32_t(14 + dib.size()), uint32_t(14 + header));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::optional<std::vector<uint8_t>> DibFromBmpFile(std::span<const uint8_t> file) {
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::span<const uint8_t> dib = file.subspan(14);
    const size_t header = DibHeaderBytes(dib);
    if (header == 0) return std::nullopt;
    // The pixels start where the file header says, which may leave a gap after the colours.
    const uint32_t offset = LE32(file.data() + 10);
    size_t pixels = 14 + header;
    if (offset > pixels && offset <= file.size()) pixels = offset;
    std::vector<uint8_t> out(dib.begin(), dib.begin() + ptrdiff_t(header));
    out.insert(out.end(), file.begin() + ptrdiff_t(pixels), file.end());
    return out;
}

bool Clipboard::SetText(std::string_view text) {
    Clear();
    return SetData(CF_TEXT, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

std::optional<std::string> Clipboard::GetText() {
    auto data = GetData(CF_TEXT);
    if (!data) return std::nullopt;
    std::string text(data->begin(), data->end());
    // A terminator some programs leave ends the text.
    if (const auto end = text.find('\0'); end != std::string::npos) text.resize(end);
    return text;
}

bool MemoryClipboard::SetData(uint32_t format, std::span<const uint8_t> data) {
    if (format != CF_TEXT && format != CF_DIB) return false;
    formats_[format].assign(data.begin(), data.end());
    return true;
}

std::optional<std::vector<uint8_t>> MemoryClipboard::GetData(uint32_t format) {
    auto it = formats_.find(format);
    if (it == formats_.end()) return std::nullopt;
    return it->second;
}

Clipboard& TheClipboard() {
    static MemoryClipboard memory;
    return installed ? *installed : memory;
}

void InstallClipboard(Clipboard* clipboard) { installed = clipboard; }

Clipboard* InstalledClipboard() { return installed; }

void RemoveClipboard(Clipboard* clipboard) {
    if (installed == clipboard) installed = nullptr;
}

}  // namespace platform::window
