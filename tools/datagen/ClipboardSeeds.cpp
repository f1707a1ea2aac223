// Seeds of the clipboard's picture reader: BMP files as other programs offer them, of every
// depth, with a gap before the pixels, and one cut short.
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Seeds.h"

namespace {

const datagen::SeedWriter seeds("fuzz_clipboard_picture", [](const datagen::SeedSink& put) {
    for (int bits : {1, 4, 8, 16, 24, 32})
        put("plain" + std::to_string(bits), datagen::EncodeBmp(datagen::TestPicture(11, 5, bits)));
    put("gap", datagen::EncodeBmp(datagen::TestPicture(9, 9, 8), {.gap = 5}));
    put("bitfields", datagen::EncodeBmp(datagen::TestPicture(6, 4, 16, 0xF800, 0x7E0, 0x1F), {.bitFields = true}));
    const std::string whole = datagen::EncodeBmp(datagen::TestPicture(8, 8, 24));
    put("short", whole.substr(0, whole.size() / 2));
});

}  // namespace
