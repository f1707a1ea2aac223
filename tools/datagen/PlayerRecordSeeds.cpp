// Seeds for the player-record fuzz target: a whole record, a short one, texts without their
// end, numbers out of every range.
#include <string>

#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace {

std::string Text(const std::string& s) { return (s + std::string(21, '\0')).substr(0, 21); }

std::string Record(const std::string& name, int32_t level, int32_t rank, char medal) {
    std::string r(1, '\1');
    r += Text(name) + Text("Demo1.ig") + Text("Demo");
    r += datagen::Int32Bytes(level) + datagen::Int32Bytes(3) + datagen::Int32Bytes(12345) + datagen::Int32Bytes(2);
    r += datagen::Int32Bytes(0) + datagen::Int32Bytes(0x3FF00000) + datagen::Int32Bytes(rank);
    r += std::string(1, medal) + std::string(20, '\x1e') + std::string(1, '\0') + std::string(20, '\x1e');
    return r + std::string(144 - r.size(), '\0');
}

const datagen::SeedWriter seeds("fuzz_player_record", [](const datagen::SeedSink& put) {
    put("whole", Record("Ann", 4, 3, '\2'));
    put("short", Record("Ann", 4, 3, '\2').substr(0, 50));
    put("no_ends", std::string(144, 'x'));
    put("out_of_range", Record("Bo", -1, 99, '\xff'));
    put("long", Record("Cy", 2, 19, '\x0a') + std::string(100, '\x7f'));
});

}  // namespace
