// The picture on the clipboard and in component streams, and palettes shared by their entries.
#include <gtest/gtest.h>

#include <cstring>

#include "media/DIB.h"
#include "platform/window/Clipboard.h"
#include "rtl/ComponentStream.h"

using namespace media;

namespace {

TDIB Checker() {
    TDIB dib;
    dib.SetSize(5, 3, 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) dib.SetPixel(x, y, (x + y) % 2 ? 0xFF0000 : uint32_t(0x000010 * (x + 1)));
    return dib;
}

void ExpectSamePixels(TDIB& a, TDIB& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    ASSERT_EQ(a.BitCount(), b.BitCount());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) EXPECT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

}  // namespace

TEST(DIBClipboard, TheClipboardFormIsTheDibWithoutAPalette) {
    TDIB picture = Checker();
    uint16_t format = 0;
    std::vector<uint8_t> data;
    TPaletteHandle palette = 77;
    picture.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_DIB);
    EXPECT_EQ(palette, 0u);
    rtl::MemoryStream written;
    picture.WriteData(written);
    EXPECT_EQ(data, written.Bytes());
    TDIB back;
    back.LoadFromClipboardFormat(format, data, 0);
    ExpectSamePixels(picture, back);
    EXPECT_THROW(back.LoadFromClipboardFormat(format, std::vector<uint8_t>(data.begin(), data.begin() + 20), 0),
                 rtl::Exception);
}

TEST(DIBClipboard, CopyAndPasteGoThroughTheProgramsClipboard) {
    platform::window::MemoryClipboard clipboard;
    platform::window::InstallClipboard(&clipboard);
    TDIB picture = Checker();
    CopyToClipboard(picture);
    EXPECT_TRUE(clipboard.HasFormat(platform::window::CF_DIB));
    TDIB pasted;
    EXPECT_TRUE(PasteFromClipboard(pasted));
    ExpectSamePixels(picture, pasted);
    clipboard.SetText("words");  // another owner, no picture
    EXPECT_FALSE(PasteFromClipboard(pasted));
    EXPECT_EQ(pasted.Width(), 5) << "a failed paste leaves the picture";
    platform::window::RemoveClipboard(&clipboard);
}

TEST(DIBProperty, ComponentStreamsCarryThePictureAsBinaryDIB) {
    TDIB picture = Checker();
    rtl::ComponentWriter writer;
    picture.WriteProperties(writer);
    rtl::ComponentReader reader(writer.Bytes());
    EXPECT_EQ(reader.ReadStr(), "DIB");
    EXPECT_EQ(reader.NextValue(), rtl::ValueType::vaBinary);
    // The value: the tag, a 32-bit length, the DIB.
    const auto& bytes = writer.Bytes();
    uint32_t length = 0;
    std::memcpy(&length, bytes.data() + 5, 4);
    ASSERT_EQ(bytes.size(), 9u + length);
    const std::span<const uint8_t> value(bytes.data() + 9, length);
    TDIB read;
    EXPECT_FALSE(read.ReadProperty("Data", value));
    EXPECT_TRUE(read.Empty());
    EXPECT_TRUE(read.ReadProperty("DIB", value));
    ExpectSamePixels(picture, read);
    rtl::ComponentWriter empty;
    TDIB().WriteProperties(empty);
    EXPECT_TRUE(empty.Bytes().empty()) << "an empty picture stores nothing";
}

TEST(DIBPalettes, EqualEntriesShareAPaletteFlagsIncluded) {
    TPaletteEntries flagged{};
    for (size_t i = 0; i < 16; ++i) flagged[i] = {uint8_t(i * 16), 0, 0, 0x04};
    TPaletteManager manager;
    const TPaletteHandle a = manager.CreatePalette(flagged.data(), 16);
    const TPaletteHandle b = manager.CreatePalette(flagged.data(), 16);
    EXPECT_EQ(a, b) << "entries that carry flags are shared like any others";
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_EQ(manager.Find(a)->Colors[3].peFlags, 0) << "the palette itself carries no flags";
    TPaletteEntries plain = flagged;
    for (auto& e : plain) e.peFlags = 0;
    const TPaletteHandle c = manager.CreatePalette(plain.data(), 16);
    EXPECT_NE(c, a) << "different flags, different entries";
    TPaletteHandle h = a;
    manager.DeletePalette(h);
    EXPECT_EQ(manager.Find(a)->RefCount, 1);
}
