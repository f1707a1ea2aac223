// Seeds for fuzz_tuning: the "Default" section of a level set as entries the target spells;
// the names in the target's order.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace {

const std::vector<std::string> kNames = {"AverageFactor", "SizeLevel", "MinCountForTopList", "IntervalTimer",
                                         "SKB", "SS", "SGCB", "CCP", "SA", "FH", "UF", "TL", "SpeedDifficulty",
                                         "SuperSpeedup", "TypeIG"};

std::string Doubles(double a, double b, double c) {
    std::string out(24, '\0');
    for (int i = 0; i < 3; ++i) {
        const double v = i == 0 ? a : i == 1 ? b : c;
        std::memcpy(out.data() + 8 * i, &v, 8);
    }
    return out;
}

std::string Pairs(std::initializer_list<int32_t> values) {
    std::string out;
    for (int32_t v : values) out += datagen::Int32Bytes(v);
    return out;
}

const datagen::SeedWriter tuningSeeds("fuzz_tuning", [](const datagen::SeedSink& put) {
    using datagen::Int32Bytes;
    put("demo_like", datagen::EntriesInput({{"SizeLevel", Int32Bytes(3)},
                                            {"AverageFactor", Int32Bytes(1500)},
                                            {"SS", Int32Bytes(2500)},
                                            {"CCP", Int32Bytes(3)},
                                            {"SA", Int32Bytes(4)},
                                            {"FH", Int32Bytes(8)},
                                            {"TL", Int32Bytes(3)},
                                            {"TypeIG", Int32Bytes(787878)}},
                                           kNames));
    put("speeds", datagen::EntriesInput({{"SpeedDifficulty", Pairs({8, 30, 12, 30, 16, 30})},
                                         {"SuperSpeedup", Doubles(1.1, 1.3, 1.5)}},
                                        kNames));
    put("bad_factors", datagen::EntriesInput({{"SuperSpeedup", Doubles(1.0, -2.0, 1e308 * 10)}}, kNames));
    put("short_and_long", datagen::EntriesInput({{"SS", std::string(3, '\1')},
                                                 {"SKB", Int32Bytes(-1) + "tail"},
                                                 {"SpeedDifficulty", Pairs({1, 2, 3})}},
                                                kNames));
    put("zeros", datagen::EntriesInput({{"SizeLevel", Int32Bytes(0)}, {"AverageFactor", Int32Bytes(0)},
                                        {"IntervalTimer", Int32Bytes(0)}},
                                       kNames));
});

}  // namespace
