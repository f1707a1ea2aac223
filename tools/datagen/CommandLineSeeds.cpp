// Seeds for fuzz_command_line: the program's arguments, each ended by a zero byte.
#include <string>

#include "tools/datagen/Seeds.h"

namespace {

std::string Arguments(std::initializer_list<std::string> args) {
    std::string out;
    for (const std::string& a : args) out += a + '\0';
    return out;
}

const datagen::SeedWriter commandLineSeeds("fuzz_command_line", [](const datagen::SeedSink& put) {
    put("level", Arguments({"-Level", "3"}));
    put("language", Arguments({"/lang", "409", "-Level"}));
    put("hex_level", Arguments({"Level", "$7FFFFFFF", "Lang", "40c"}));
    put("bad_level", Arguments({"-level", "three", "--level=4"}));
    put("empty", Arguments({"", "", "Level", ""}));
});

}  // namespace
