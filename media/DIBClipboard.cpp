// The picture on the clipboard and in component streams.
#include "media/DIB.h"

#include "platform/window/Clipboard.h"
#include "rtl/ComponentStream.h"

namespace media {

namespace {
static_assert(CF_DIB == platform::window::CF_DIB);

std::vector<uint8_t> DIBBytes(const TDIB& picture) {
    rtl::MemoryStream stream;
    picture.WriteData(stream);
    return std::move(stream.Bytes());
}

void ReadDIBBytes(TDIB& picture, std::span<const uint8_t> bytes) {
    rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    picture.ReadData(stream);
}
}  // namespace

void TDIB::SaveToClipboardFormat(uint16_t& format, std::vector<uint8_t>& data, TPaletteHandle& palette) const {
    format = CF_DIB;
    palette = 0;
    data = DIBBytes(*this);
}

void TDIB::LoadFromClipboardFormat(uint16_t, std::span<const uint8_t> data, TPaletteHandle) {
    ReadDIBBytes(*this, data);
}

bool TDIB::ReadProperty(std::string_view name, std::span<const uint8_t> bytes) {
    if (name != kDIBProperty) return false;
    ReadDIBBytes(*this, bytes);
    return true;
}

void TDIB::WriteProperties(rtl::ComponentWriter& writer) const {
    if (Empty()) return;
    writer.WriteStr(kDIBProperty);
    writer.WriteBinary(DIBBytes(*this));
}

void CopyToClipboard(const TDIB& picture) {
    uint16_t format;
    std::vector<uint8_t> data;
    TPaletteHandle palette;
    picture.SaveToClipboardFormat(format, data, palette);
    auto& clipboard = platform::window::TheClipboard();
    clipboard.Clear();
    clipboard.SetData(format, data);
}

bool PasteFromClipboard(TDIB& picture) {
    auto data = platform::window::TheClipboard().GetData(CF_DIB);
    if (!data) return false;
    picture.LoadFromClipboardFormat(CF_DIB, *data, 0);
    return true;
}

}  // namespace media
