// Seeds of the dialogs' readers: a shaped background followed by its region data (as the
// options dialog's entry holds them), and the message box's layout record.
#include "tools/datagen/Bmp.h"
#include "tools/datagen/DialogData.h"
#include "tools/datagen/Seeds.h"

namespace {

using datagen::RegionRectangle;

const datagen::SeedWriter regionSeeds("fuzz_region", [](const datagen::SeedSink& put) {
    const std::string background = datagen::EncodeBmp(datagen::EllipseBackground(24, 12));
    std::vector<RegionRectangle> rows;
    for (int y = 0; y < 12; ++y) rows.push_back({4 - (y % 4), y, 20 + (y % 4), y + 1});
    put("ellipse", background + datagen::RegionBytes(rows));
    put("one_box", background + datagen::RegionBytes({{0, 0, 24, 12}}));
    put("empty", background + datagen::RegionBytes({}));
    put("overlapping", background + datagen::RegionBytes({{0, 0, 10, 10}, {5, 5, 15, 12}, {-3, 2, 4, 3}}));
    put("count_zero_bytes", background + datagen::RegionBytes({{1, 1, 5, 5}}, {.bytes = 0}));
    put("count_too_big", background + datagen::RegionBytes({{1, 1, 5, 5}}, {.count = 400}));
    put("length_past_end", background + datagen::RegionBytes({{1, 1, 5, 5}}, {.length = 900}));
    put("wrong_type", background + datagen::RegionBytes({{1, 1, 5, 5}}, {.type = 2}));
    put("inverted", background + datagen::RegionBytes({{9, 1, 5, 5}}));
    put("no_region", background);
    put("plain_8bit", datagen::EncodeBmp(datagen::TestPicture(7, 5, 8)) + datagen::RegionBytes({{0, 0, 7, 5}}));
});

const datagen::SeedWriter msgPosSeeds("fuzz_msgpos", [](const datagen::SeedSink& put) {
    datagen::MsgPosRecord record{};
    for (int i = 0; i < 13; ++i) record[size_t(i)] = {i * 10, i * 5, 40 + i, 20 + i};
    const std::string whole = datagen::MsgPosBytes(record);
    put("whole", whole);
    put("short", whole.substr(0, 207));
    put("longer", whole + "tail");
    record[3] = {-5, -7, -1, -2147483647 - 1};
    put("negative", datagen::MsgPosBytes(record));
});

}  // namespace
