// Seeds for fuzz_dialog_picture: the entries of the dialogs' pictures: shaped backgrounds
// with and without their region data, button sheets, plain and RLE pictures, and a
// length-prefixed JPEG.
#include "tools/datagen/Bmp.h"
#include "tools/datagen/DialogData.h"
#include "tools/datagen/Jpeg.h"
#include "tools/datagen/Seeds.h"

namespace {

const datagen::SeedWriter dialogPictureSeeds("fuzz_dialog_picture", [](const datagen::SeedSink& put) {
    const std::string ellipse = datagen::EncodeBmp(datagen::EllipseBackground(40, 24));
    put("shaped_with_region", ellipse + datagen::RegionBytes({{2, 0, 38, 1}, {0, 1, 40, 23}, {2, 23, 38, 24}}));
    put("shaped", ellipse);
    put("buttons", datagen::EncodeBmp(datagen::ButtonSheet(24, 10)));
    put("rle8", datagen::EncodeBmp(datagen::TestPicture(17, 9, 8), {.rle = true}));
    put("plain", datagen::EncodeBmp(datagen::PlainPicture(6, 4, 0x336699)));
    put("jpeg", datagen::LengthPrefixed(datagen::EncodeJpeg(datagen::TestJpegPicture(16, 8))));
});

}  // namespace
