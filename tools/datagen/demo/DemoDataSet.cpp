#include "tools/datagen/demo/DemoDataSet.h"

#include <cstring>
#include <filesystem>
#include <map>

#include "rtl/Streams.h"
#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/ConfigStream.h"
#include "tools/datagen/WorldWriter.h"
#include "tools/datagen/demo/DemoArtInsignia.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoDialogs.h"
#include "tools/datagen/demo/DemoInterface.h"
#include "tools/datagen/demo/DemoMusic.h"
#include "tools/datagen/demo/DemoNames.h"
#include "tools/datagen/demo/DemoSound.h"
#include "tools/datagen/demo/DemoTexts.h"

namespace datagen::demo {
namespace {

ContainerSection Pictures(const std::string& section, const std::vector<DemoPicture>& pictures) {
    ContainerSection s{section, {}};
    for (const DemoPicture& p : pictures) s.entries.push_back({p.key, p.Bytes()});
    return s;
}

ContainerSection Descriptions(const std::string& section, const std::vector<DescriptionData>& descriptions) {
    ContainerSection s{section, {}};
    for (const DescriptionData& d : descriptions) s.entries.push_back({d.key, d.record});
    return s;
}

ContainerSection Sounds() {
    std::map<std::string, Samples> byName;
    for (NamedSound& s : DemoSounds()) byName[s.name] = std::move(s.samples);
    ContainerSection wav{"Wav", {}};
    for (const std::string& name : DemoSoundNames()) wav.entries.push_back({name, SoundWave(byName.at(name))});
    return wav;
}

std::string DoubleBytes(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Int32Bytes(static_cast<int32_t>(bits & 0xFFFFFFFFu)) + Int32Bytes(static_cast<int32_t>(bits >> 32));
}

ContainerSection Defaults(const DemoLevelSet& set) {
    const LevelTuning& t = set.tuning;
    ContainerSection s{"Default", {}};
    const std::pair<const char*, int32_t> values[] = {
        {"TypeIG", set.typeIG}, {"AverageFactor", t.averageFactor}, {"SizeLevel", t.sizeLevel},
        {"MinCountForTopList", t.minCountForTopList}, {"IntervalTimer", t.intervalTimer}, {"SKB", t.skb},
        {"SS", t.ss}, {"SGCB", t.sgcb}, {"CCP", t.ccp}, {"SA", t.sa}, {"FH", t.fh}, {"UF", t.uf}, {"TL", t.tl}};
    for (const auto& [key, value] : values) s.entries.push_back({key, Int32Bytes(value)});
    std::string speeds, speedups;
    for (int d = 0; d < 3; ++d) {
        speeds += Int32Bytes(t.speedDifficulty[d].first) + Int32Bytes(t.speedDifficulty[d].second);
        speedups += DoubleBytes(t.superSpeedup[d]);
    }
    s.entries.push_back({"SpeedDifficulty", speeds});
    s.entries.push_back({"SuperSpeedup", speedups});
    return s;
}

ContainerSection Previews(const DemoLevelSet& set) {
    ContainerSection s{"PreView_Level", {}};
    s.entries.push_back({set.FileTitle(), EncodePicture(set.previews.at(0), {0, 0, 0}, 8)});
    for (size_t i = 0; i < set.previews.size(); ++i)
        s.entries.push_back({"LevelPreView_" + std::to_string(i + 1), EncodePicture(set.previews[i], {0, 0, 0}, 8)});
    return s;
}

// The sections every level set shares: its classes, their scripts and pictures, the
// weapons and the sounds.
std::vector<ContainerSection> ClassSections() {
    std::vector<ContainerSection> out;
    ContainerSection units{"Classes_Unit", {}}, general{"GeneralObject_Unit", {}}, unitPictures{"BMP_Unit", {}};
    for (const UnitClassData& c : DemoUnitClasses()) {
        units.entries.push_back({c.name, c.slides});
        general.entries.push_back({c.name, c.generalObject});
        for (const DemoPicture& p : c.pictures) unitPictures.entries.push_back({p.key, p.Bytes()});
    }
    const EffectsData effects = DemoEffects(), panels = DemoInterfaceClasses(), elements = DemoMapElements();
    out.push_back(std::move(units));
    out.push_back(std::move(general));
    out.push_back(CodeUnitSection(DemoScripts()));
    ContainerSection weapons{"Classes_Weapons", {}};
    for (const WeaponData& w : DemoWeapons()) weapons.entries.push_back({w.name, w.record});
    out.push_back(std::move(weapons));
    out.push_back(Descriptions("Classes_Effects", effects.descriptions));
    out.push_back(Descriptions("Classes_Interface", panels.descriptions));
    out.push_back(Descriptions("Classes_MapElement", elements.descriptions));
    out.push_back(std::move(unitPictures));
    out.push_back(Pictures("BMP_Effects", effects.pictures));
    out.push_back(Pictures("BMP_Interface", panels.pictures));
    out.push_back(Pictures("BMP_MapElement", elements.pictures));
    out.push_back(Sounds());
    return out;
}

// Keeps only the backdrops the set's levels show.
ContainerSection UsedElements(const ContainerSection& section, const DemoLevelSet& set) {
    ContainerSection out{section.name, {}};
    for (const ContainerEntry& e : section.entries)
        for (const LevelRecord& level : set.set.levels)
            if (!level.elements.empty() && MapElementNames().at(static_cast<size_t>(level.elements[0].first - 1)) == e.name) {
                out.entries.push_back(e);
                break;
            }
    return out;
}

std::vector<ContainerSection> LevelSetSections(const DemoLevelSet& set, const std::vector<ContainerSection>& shared) {
    ContainerSection strings{"Strings", {}};
    strings.entries.push_back({"PixSetGP", WriteNameTables(DemoNameTables())});
    strings.entries.push_back({"MIDI_List", StoredText(MidiListText(set))});
    if (set.scriptHud) strings.entries.push_back({"Script_Interface", StoredText(ScriptInterfaceText())});
    std::vector<ContainerSection> out{{"Subjects", {{"Subject", BuildLevelSet(set.set)}}}, Defaults(set), Previews(set),
                                      std::move(strings)};
    for (const ContainerSection& s : shared)
        out.push_back(s.name == "Classes_MapElement" || s.name == "BMP_MapElement" ? UsedElements(s, set) : s);
    return out;
}

std::vector<ContainerSection> GameDataSections(const ContainerSection& sounds) {
    ContainerSection strings{"Strings", {}};
    strings.entries.push_back({"PixSetGP", WriteNameTables(DemoNameTables())});
    strings.entries.push_back({"ListWave", WaveListEntry(DemoWaveList())});
    for (const DemoText& t : LanguageTexts()) strings.entries.push_back({t.key, StoredText(t.text)});
    for (const DemoText& t : HallOfFameNames()) strings.entries.push_back({t.key, StoredText(t.text)});

    ContainerSection bmp = Pictures("BMP", InterfacePictures());
    for (const DemoPicture& p : DialogPictures()) bmp.entries.push_back({p.key, p.Bytes()});
    for (auto& [key, bytes] : DialogEntries()) bmp.entries.push_back({key, std::move(bytes)});

    const EffectsData cursors = DemoCursors();
    // "GPCfg" directly behind the record stream's header, the layout of the message box last.
    ContainerSection cfg = ConfigSection(GameConfig{});
    cfg.entries.push_back({"MsgPos", MessageBoxLayout()});
    ContainerSection forms{"Forms", {{"GPInterface", InterfaceDescription()}}};
    return {std::move(strings), std::move(bmp), Descriptions("Cursors", cursors.descriptions),
            Pictures("BMP_Cursors", cursors.pictures), sounds, std::move(forms), std::move(cfg)};
}

std::string PageName(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == ' ') c = '_';
    return out;
}

}  // namespace

std::vector<DemoFile> HallOfFameFiles() {
    // The pictures are flattened onto the page's colour and named after the texts the page
    // shows: TopList/Ranks, TopList/Medals, TopList/Levels.
    constexpr Rgb kPage = Rgb::From(kHallOfFameColour);
    std::vector<DemoFile> out{{"TopList/Template/header.htm", HallOfFameHeader()},
                              {"TopList/Template/footer.htm", HallOfFameFooter()}};
    for (int r = 1; r <= kRankCount; ++r)
        out.push_back({"TopList/Ranks/" + PageName(RankName(r)) + ".bmp", EncodePicture(Flatten(RankInsignia(r, 48, 48), kPage), kPage, 24)});
    for (int m = 1; m <= kMedalCount; ++m)
        out.push_back({"TopList/Medals/" + PageName(MedalName(m)) + ".bmp", EncodePicture(Flatten(MedalPicture(m, 34, 48), kPage), kPage, 24)});
    for (int d = 1; d <= kDifficultyCount; ++d)
        out.push_back({"TopList/Levels/" + PageName(DifficultyName(d)) + ".bmp", EncodePicture(Flatten(DifficultyBadge(d, 48, 48), kPage), kPage, 24)});
    return out;
}

std::vector<DemoTune> DemoTunes() {
    return {{kMenuTune, TuneFile(MenuTuneStyle())},
            {"0Test.mid", TuneFile(TestTuneStyle())},
            {"Prologue.mid", TuneFile(PrologueTuneStyle())},
            {"Sprallion.mid", TuneFile(PlayTuneStyle())},
            {"Abyss.mid", TuneFile(AbyssTuneStyle())}};
}

std::string MidiListText(const DemoLevelSet& set) {
    std::string text;
    for (const std::string& tune : set.tunes) text += tune + "\r\n";
    return text;
}

DemoDataSet BuildDemoDataSet(bool testSet) {
    DemoDataSet data;
    const std::vector<ContainerSection> shared = ClassSections();
    const ContainerSection& sounds = shared.back();
    data.gameData = GameDataSections(sounds);
    for (DemoLevelSet& set : DemoLevelSets(testSet)) {
        DemoLevelSetData d;
        d.sections = LevelSetSections(set, shared);
        d.set = std::move(set);
        data.levelSets.push_back(std::move(d));
    }
    for (const DemoTune& t : DemoTunes()) data.extras.push_back({"Resource/MIDI/" + t.file, t.midi});
    data.extras.push_back({"Index.htm", HelpPage()});
    data.extras.push_back({"Help/Sprallion_419.TXT", HelpText()});
    for (DemoFile& f : HallOfFameFiles()) data.extras.push_back(std::move(f));
    return data;
}

std::vector<DemoFile> DemoDataSet::Files() const {
    std::vector<DemoFile> files{{kGameDataFile, BuildContainer(gameData)}};
    for (const DemoLevelSetData& s : levelSets) files.push_back({s.Path(), BuildContainer(s.sections)});
    files.insert(files.end(), extras.begin(), extras.end());
    return files;
}

void WriteDemoFiles(const std::string& home, const std::vector<DemoFile>& files) {
    for (const DemoFile& f : files) {
        const std::filesystem::path path = std::filesystem::path(home) / f.path;
        std::filesystem::create_directories(path.parent_path());
        rtl::WriteFileAtomically(path.string(), f.bytes.data(), f.bytes.size());
    }
}

}  // namespace datagen::demo
