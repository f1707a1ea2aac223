// Seeds for fuzz_subject_entry: level-set containers as the new-game list reads them, whole
// and with each thing it checks gone wrong.
#include <string>
#include <vector>

#include "tools/datagen/Container.h"
#include "tools/datagen/LevelSet.h"
#include "tools/datagen/Seeds.h"
#include "tools/datagen/WidgetWriter.h"

namespace {

std::string Subject(int32_t type, bool preview, const std::string& levelSet) {
    std::vector<datagen::ContainerSection> sections{{"Default", {{"TypeIG", datagen::Int32Bytes(type)}}}};
    if (preview) sections.push_back({"PreView_Level", {{"Fuzz", datagen::WidgetSheet(16, 12, 1, 1)}}});
    sections.push_back({"Subjects", {{"Subject", levelSet}}});
    return datagen::BuildContainer(sections);
}

std::string Subject(int32_t type, bool preview, const datagen::LevelSet& set) {
    return Subject(type, preview, datagen::BuildLevelSet(set));
}

const datagen::SeedWriter subjectSeeds("fuzz_subject_entry", [](const datagen::SeedSink& put) {
    datagen::LevelSet set = datagen::SampleLevelSet();
    set.header.packName = "Fuzz.bmp";
    set.header.title = "Fuzz levels";
    put("good", Subject(787878, true, set));
    put("second_type", Subject(989898, true, set));
    put("wrong_type", Subject(1, true, set));
    put("no_preview", Subject(787878, false, set));
    datagen::LevelSet longStrings = set;
    longStrings.header.packNameLength = 255;
    longStrings.header.titleLength = 255;
    put("length_bytes_beyond_fields", Subject(787878, true, longStrings));
    datagen::LevelSet wrongVersion = set;
    wrongVersion.header.version = 10;
    put("wrong_version", Subject(787878, true, wrongVersion));
    for (const auto& [name, bytes] : datagen::DamagedLevelSets()) put("damaged_" + name, Subject(787878, true, bytes));
});

}  // namespace
