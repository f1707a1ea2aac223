// Seeds for fuzz_wave_list: both forms of the wave list, with names, an empty list, bases at
// the edges of 32 bits and lengths that run past the data.
#include <limits>

#include "tools/datagen/Seeds.h"
#include "tools/datagen/WorldWriter.h"

namespace {

// The fuzz target's first byte chooses the form: 0 the container's, 1 the loose file's.
const datagen::SeedWriter seeds("fuzz_wave_list", [](const datagen::SeedSink& put) {
    datagen::WaveList game;
    game.bases = {0, 2, 30, 40, 50, 60, 70};
    for (int i = 0; i < 80; ++i) game.names.push_back("Sound" + std::to_string(i));
    put("entry", std::string(1, '\0') + datagen::WaveListEntry(game));
    put("file", std::string(1, '\1') + datagen::WaveListFile(game));
    datagen::WaveList empty;
    put("entry_empty", std::string(1, '\0') + datagen::WaveListEntry(empty));
    datagen::WaveList edges = game;
    edges.bases = {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), -1, 1, 0, 0, 0};
    put("entry_edges", std::string(1, '\0') + datagen::WaveListEntry(edges));
    datagen::WaveList longer = game;
    longer.lengthDelta = 1000;
    put("entry_long", std::string(1, '\0') + datagen::WaveListEntry(longer));
    datagen::WaveList negative = game;
    negative.lengthDelta = -static_cast<int64_t>(datagen::WaveListFile(game).size()) - 100;
    put("entry_negative", std::string(1, '\0') + datagen::WaveListEntry(negative));
    put("short", std::string(1, '\0') + datagen::WaveListEntry(game).substr(0, 17));
});

}  // namespace
