// Seeds for fuzz_level_set. A seed starting with the magic's length byte is a whole level set;
// one starting with 0x80 | kind << 4 | version is a single record of that version (kind 0
// descriptor, 1 level record, 2 object record).
#include <string>

#include "tools/datagen/LevelSet.h"
#include "tools/datagen/Seeds.h"

namespace {

char Selector(int kind, int version) { return static_cast<char>(0x80 | kind << 4 | version); }

const datagen::SeedWriter levelSetSeeds("fuzz_level_set", [](const datagen::SeedSink& put) {
    const datagen::LevelSet sample = datagen::SampleLevelSet();
    put("sample", datagen::BuildLevelSet(sample));
    datagen::LevelSet repeated = sample;
    repeated.index.push_back({10, 9, 2, {}, 0});
    put("repeated_key", datagen::BuildLevelSet(repeated));
    for (const auto& [name, bytes] : datagen::DamagedLevelSets()) put(name, bytes);
    for (int version = 1; version <= 11; ++version) {
        const std::string v = std::to_string(version);
        put("descriptor_v" + v, Selector(0, version) + datagen::WriteDescriptor(sample.descriptor, version));
        put("level_v" + v, Selector(1, version) + datagen::WriteLevelRecord(sample.levels[0], version));
        put("object_v" + v, Selector(2, version) + datagen::WriteObjectRecord(sample.levels[0].nations[0].objects[0], version));
    }
    put("nested_65", Selector(0, 10) + datagen::NestedDescriptor(65, 10));
});

}  // namespace
