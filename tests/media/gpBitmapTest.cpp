#include "media/gpBitmap.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Jpeg.h"

using namespace media;

namespace {

rtl::MemoryStream StreamOf(const std::string& bytes) { return rtl::MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

// Largest channel difference between the decoded picture and the encoder's input.
int MaxError(const TDIB& decoded, const datagen::JpegParams& params) {
    TDIB dib = decoded;
    int worst = 0;
    for (int y = 0; y < params.height; ++y)
        for (int x = 0; x < params.width; ++x) {
            const uint32_t c = dib.PixelColor(x, y);
            for (int k = 0; k < params.components; ++k) {
                const int want = params.pixels[(static_cast<size_t>(y) * params.width + x) * params.components + k];
                const int got = params.components == 1 ? static_cast<int>(c & 0xFF) : static_cast<int>((c >> (16 - 8 * k)) & 0xFF);
                worst = std::max(worst, std::abs(want - got));
            }
        }
    return worst;
}

}  // namespace

TEST(TGPJPEGImage, DecodesWithinTheCodecsErrorInEveryMarkerKind) {
    for (auto marker : {datagen::JpegMarker::JFIF, datagen::JpegMarker::Exif, datagen::JpegMarker::Adobe}) {
        datagen::JpegParams params = datagen::TestJpegPicture(48, 32);
        params.quality = 95;
        params.marker = marker;
        auto s = StreamOf(datagen::LengthPrefixed(datagen::EncodeJpeg(params)) + "next entry");
        TGPJPEGImage jpeg;
        jpeg.LoadFromStream(s);
        EXPECT_EQ(jpeg.Width(), 48);
        EXPECT_EQ(jpeg.Bitmap().BitCount(), 24);
        EXPECT_LE(MaxError(jpeg.Bitmap(), params), 12);
        // The picture loader recognises it too and makes an 8-bit palette picture of it.
        auto again = StreamOf(datagen::LengthPrefixed(datagen::EncodeJpeg(params)));
        TGPBitmap bitmap;
        bitmap.LoadFromStream(again);
        EXPECT_EQ(bitmap.FormatKind, gpbJPEG);
        EXPECT_FALSE(bitmap.Failure);
        EXPECT_EQ(bitmap.BitCount(), 8);
        EXPECT_LE(MaxError(bitmap, params), 40);
    }
    datagen::JpegParams grey = datagen::TestJpegPicture(16, 16, 1);
    grey.progressive = true;
    auto s = StreamOf(datagen::LengthPrefixed(datagen::EncodeJpeg(grey)));
    TGPJPEGImage jpeg;
    jpeg.LoadFromStream(s);
    EXPECT_EQ(jpeg.Bitmap().BitCount(), 8);
    EXPECT_LE(MaxError(jpeg.Bitmap(), grey), 8);
}

TEST(TGPJPEGImage, LengthAndDataAreChecked) {
    const std::string jpeg = datagen::EncodeJpeg(datagen::TestJpegPicture(16, 16));
    TGPJPEGImage image;
    auto tooLong = StreamOf(datagen::LengthPrefixed(jpeg).substr(0, 100));
    EXPECT_THROW(image.LoadFromStream(tooLong), rtl::EJPEG);
    auto negative = StreamOf(std::string("\xFF\xFF\xFF\xFF", 4) + jpeg);
    EXPECT_THROW(image.LoadFromStream(negative), rtl::EJPEG);
    std::string corrupt = datagen::LengthPrefixed(jpeg);
    for (size_t i = 24; i < 200; ++i) corrupt[i] = '\x13';
    auto bad = StreamOf(corrupt);
    EXPECT_THROW(image.LoadFromStream(bad), rtl::EJPEG);  // an exception, never an exit
}

TEST(TGPBitmap, SniffsKindsAndReportsWhatItCannotDecode) {
    auto bmp = StreamOf(datagen::EncodeBmp(datagen::TestPicture(5, 5, 24)));
    TGPBitmap b;
    b.HeaderOffset = 7;  // "BM" wins whatever the offset
    b.LoadFromStream(bmp);
    EXPECT_EQ(b.FormatKind, gpbBMP);
    EXPECT_FALSE(b.Failure);
    EXPECT_EQ(b.Width(), 5);

    auto gif = StreamOf("GIF89a" + std::string(30, '\0'));
    TGPBitmap g;
    g.LoadFromStream(gif);
    EXPECT_EQ(g.FormatKind, gpbGIF);
    EXPECT_TRUE(g.Failure);
    EXPECT_TRUE(g.Empty());
    auto noise = StreamOf(std::string(64, '\x42'));
    g.LoadFromStream(noise);
    EXPECT_EQ(g.FormatKind, gpbUnknown);
    EXPECT_TRUE(g.Failure);
    EXPECT_EQ(noise.Position(), 0);

    TempDir dir;
    dir.Write("pic.jpg", datagen::EncodeJpeg(datagen::TestJpegPicture(20, 10)));
    TGPBitmap f;
    f.LoadFromFile(dir.File("pic.jpg"));  // a file carries no length prefix
    EXPECT_EQ(f.FormatKind, gpbJPEG);
    EXPECT_EQ(f.Width(), 20);
    EXPECT_EQ(f.HeaderOffset, 4);
    dir.Write("prefixed.jpg", datagen::LengthPrefixed(datagen::EncodeJpeg(datagen::TestJpegPicture(20, 10))));
    f.LoadFromFile(dir.File("prefixed.jpg"));
    EXPECT_TRUE(f.Failure);
    EXPECT_EQ(f.HeaderOffset, 4);
}
