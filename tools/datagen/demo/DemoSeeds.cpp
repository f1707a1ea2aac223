// The demo data joins the seed corpora of its readers: the containers and level sets, the
// name tables, description records, wave list, pictures, sounds and tunes.
#include <map>

#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Seeds.h"
#include "tools/datagen/WorldWriter.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoDataSet.h"
#include "tools/datagen/demo/DemoNames.h"
#include "tools/datagen/demo/DemoSound.h"

namespace datagen::demo {
namespace {

// The set is drawn once per seed run, whatever targets ask for it.
const DemoDataSet& DataSet() {
    static const DemoDataSet data = BuildDemoDataSet(true);
    return data;
}

const std::string* Entry(const std::vector<ContainerSection>& sections, const std::string& section, const std::string& key) {
    for (const ContainerSection& s : sections)
        if (s.name == section)
            for (const ContainerEntry& e : s.entries)
                if (e.name == key) return &e.data;
    return nullptr;
}

const SeedWriter containerSeeds("fuzz_container", [](const SeedSink& put) {
    for (const DemoFile& f : DataSet().Files())
        if (f.path.ends_with(".bif") || f.path.ends_with(".ig")) put("demo_" + f.path.substr(f.path.rfind('/') + 1), f.bytes);
});

const SeedWriter levelSetSeeds("fuzz_level_set", [](const SeedSink& put) {
    for (const DemoLevelSetData& s : DataSet().levelSets)
        put("demo_" + s.set.FileTitle(), *Entry(s.sections, "Subjects", "Subject"));
});

const SeedWriter nameSeeds("fuzz_name_tables", [](const SeedSink& put) { put("demo", WriteNameTables(DemoNameTables())); });

const SeedWriter waveListSeeds("fuzz_wave_list", [](const SeedSink& put) {
    put("demo_entry", std::string(1, '\0') + WaveListEntry(DemoWaveList()));
    put("demo_file", std::string(1, '\1') + WaveListFile(DemoWaveList()));
});

const SeedWriter descriptionSeeds("fuzz_class_descriptions", [](const SeedSink& put) {
    const auto& sets = DataSet().levelSets;
    const auto& sections = sets.back().sections;
    put("demo_paddle_slides", std::string(1, '\0') + *Entry(sections, "Classes_Unit", UnitName(unit::Paddle)));
    put("demo_ball_slides", std::string(1, '\0') + *Entry(sections, "Classes_Unit", UnitName(unit::Ball)));
    put("demo_backdrop", std::string(1, '\1') + *Entry(sections, "Classes_MapElement", MapElementNames()[0]));
    put("demo_cursor", std::string(1, '\2') + *Entry(DataSet().gameData, "Cursors", CursorNames()[0]));
    put("demo_effect", std::string(1, '\3') + *Entry(sections, "Classes_Effects", EffectNames()[effect::FloorRow - 1]));
    put("demo_panel", std::string(1, '\5') + *Entry(sections, "Classes_Interface", InterfaceNames()[0]));
    put("demo_paddle", std::string(1, '\6') + *Entry(sections, "GeneralObject_Unit", UnitName(unit::Paddle)));
});

const SeedWriter bmpSeeds("fuzz_bmp", [](const SeedSink& put) {
    const auto& sections = DataSet().levelSets.back().sections;
    put("demo_paddle_rle8", *Entry(sections, "BMP_Unit", UnitName(unit::Paddle) + "_Move"));
    put("demo_preview", *Entry(sections, "PreView_Level", "LevelPreView_1"));
    put("demo_checkbox_rle8", *Entry(DataSet().gameData, "BMP", "CheckBox"));
});

const SeedWriter jpegSeeds("fuzz_jpeg", [](const SeedSink& put) {
    put("demo_backdrop", *Entry(DataSet().gameData, "BMP", "Main_Backdrop"));
});

const SeedWriter waveSeeds("fuzz_wave", [](const SeedSink& put) {
    put("demo_button_click", *Entry(DataSet().gameData, "Wav", "Button_Click"));
});

const SeedWriter midiSeeds("fuzz_midi_file", [](const SeedSink& put) {
    for (const DemoTune& t : DemoTunes()) put("demo_" + t.file, t.midi);
});

// The entries of a section whose names are among `names`, as a target that spells entries
// takes them.
std::string SectionInput(const std::vector<ContainerSection>& sections, const std::string& section,
                         const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& name : names)
        if (const std::string* data = Entry(sections, section, name)) entries.emplace_back(name, *data);
    return EntriesInput(entries, names);
}

const SeedWriter tuningSeeds("fuzz_tuning", [](const SeedSink& put) {
    const std::vector<std::string> names = {"AverageFactor", "SizeLevel", "MinCountForTopList", "IntervalTimer",
                                            "SKB", "SS", "SGCB", "CCP", "SA", "FH", "UF", "TL", "SpeedDifficulty",
                                            "SuperSpeedup", "TypeIG"};
    for (const DemoLevelSetData& s : DataSet().levelSets)
        put("demo_" + s.set.FileTitle(), SectionInput(s.sections, "Default", names));
});

const SeedWriter gameTextSeeds("fuzz_game_texts", [](const SeedSink& put) {
    put("demo", SectionInput(DataSet().gameData, "Strings",
                             {"Message_1_419", "Title_Message_1_419", "Title_Key_419", "Message_26_409", "Script_Interface"}));
});

const SeedWriter dialogPictureSeeds("fuzz_dialog_picture", [](const SeedSink& put) {
    for (const char* key : {"Pal_Option_Win", "Pal_MessageBox", "Win_Button_Ok"})
        if (const std::string* data = Entry(DataSet().gameData, "BMP", key)) put(std::string("demo_") + key, *data);
});

}  // namespace
}  // namespace datagen::demo
