// The clipboard in memory, the process's clipboard, and pictures between DIB and BMP file.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/window/Clipboard.h"

namespace pw = platform::window;

namespace {

// A 2x2 8-bit DIB with a two-colour table (used 2), then its rows.
std::vector<uint8_t> SmallDib() {
    std::vector<uint8_t> dib(40, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(dib.data() + at, &v, 4); };
    put32(0, 40);
    put32(4, 2);
    put32(8, 2);
    dib[12] = 1;
    dib[14] = 8;
    put32(32, 2);  // colours used
    for (uint8_t b : {0, 0, 255, 0, 255, 255, 255, 0}) dib.push_back(b);
    for (uint8_t b : {0, 1, 0, 0, 1, 0, 0, 0}) dib.push_back(b);
    return dib;
}

}  // namespace

TEST(Clipboard, MemoryKeepsTextAndPicturesUntilCleared) {
    pw::MemoryClipboard c;
    EXPECT_FALSE(c.GetText());
    ASSERT_TRUE(c.SetText("\xCF\xF0\xE8\xE2\xE5\xF2"));  // "Привет" in the game's code page
    const std::vector<uint8_t> dib = SmallDib();
    ASSERT_TRUE(c.SetData(pw::CF_DIB, dib));
    EXPECT_EQ(c.GetText(), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(c.GetData(pw::CF_DIB), dib);
    EXPECT_FALSE(c.SetData(3, dib)) << "a format the game does not know";
    const std::vector<uint8_t> terminated{'a', 'b', 0, 'c'};
    c.SetData(pw::CF_TEXT, terminated);
    EXPECT_EQ(c.GetText(), "ab");
    c.SetText("x");  // a new owner's content replaces all of it
    EXPECT_FALSE(c.HasFormat(pw::CF_DIB));
}

TEST(Clipboard, TheProcessClipboardIsTheInstalledOneWhileItLives) {
    pw::MemoryClipboard window;
    pw::Clipboard& before = pw::TheClipboard();
    pw::InstallClipboard(&window);
    EXPECT_EQ(&pw::TheClipboard(), &window);
    pw::MemoryClipboard other;
    pw::RemoveClipboard(&other);  // not the installed one
    EXPECT_EQ(&pw::TheClipboard(), &window);
    pw::RemoveClipboard(&window);
    EXPECT_EQ(&pw::TheClipboard(), &before);
}

TEST(Clipboard, PicturesTravelAsBmpFilesAndComeBackWhole) {
    const std::vector<uint8_t> dib = SmallDib();
    const std::vector<uint8_t> file = pw::BmpFileFromDib(dib);
    ASSERT_EQ(file.size(), 14 + dib.size());
    EXPECT_EQ(file[0], 'B');
    uint32_t offset;
    std::memcpy(&offset, file.data() + 10, 4);
    EXPECT_EQ(offset, 14u + 40u + 8u) << "pixels after the two colours used";
    EXPECT_EQ(pw::DibFromBmpFile(file), dib);
    // A file whose pixels lie further on than the colours: the gap goes.
    std::vector<uint8_t> gapped(file.begin(), file.begin() + 62);
    gapped.insert(gapped.end(), {0xEE, 0xEE, 0xEE, 0xEE});
    gapped.insert(gapped.end(), file.begin() + 62, file.end());
    const uint32_t further = 66;
    std::memcpy(gapped.data() + 10, &further, 4);
    EXPECT_EQ(pw::DibFromBmpFile(gapped), dib);
    // Refused: not a BMP, a header longer than the data, colours past the end.
    EXPECT_FALSE(pw::DibFromBmpFile(std::vector<uint8_t>{'B', 'M', 0}));
    std::vector<uint8_t> notBmp = file;
    notBmp[0] = 'X';
    EXPECT_FALSE(pw::DibFromBmpFile(notBmp));
    std::vector<uint8_t> manyColours = file;
    const uint32_t huge = 0x40000000;
    std::memcpy(manyColours.data() + 14 + 32, &huge, 4);
    EXPECT_FALSE(pw::DibFromBmpFile(manyColours));
    EXPECT_TRUE(pw::BmpFileFromDib(std::vector<uint8_t>(10, 0)).empty());
}
