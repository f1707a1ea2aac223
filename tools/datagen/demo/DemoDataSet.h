// The demo data set assembled: the game-data container "Resource/Demo2.bif", one packed
// level set per set, the tunes, the help page and text and the hall-of-fame pictures, as
// files under the program folder. Byte-identical from run to run.
#pragma once

#include <string>
#include <vector>

#include "tools/datagen/Container.h"
#include "tools/datagen/demo/DemoLevels.h"

namespace datagen::demo {

inline constexpr const char* kGameDataFile = "Resource/Demo2.bif";

// A file of the set: its path under the program folder ('/' separated) and its bytes.
struct DemoFile {
    std::string path;
    std::string bytes;
};

struct DemoLevelSetData {
    DemoLevelSet set;
    std::vector<ContainerSection> sections;  // the ".ig" container
    std::string Path() const { return "Resource/" + set.file; }
};

struct DemoDataSet {
    std::vector<ContainerSection> gameData;  // "Demo2.bif"
    std::vector<DemoLevelSetData> levelSets;
    std::vector<DemoFile> extras;  // tunes, help page and text, hall-of-fame page files

    // Every file, containers built.
    std::vector<DemoFile> Files() const;
};

// Draws, composes and assembles everything (a few seconds).
DemoDataSet BuildDemoDataSet(bool testSet);

// The tunes: the menu's and each level set's (the sets' "MIDI_List").
struct DemoTune {
    std::string file;
    std::string midi;
};
std::vector<DemoTune> DemoTunes();
std::string MidiListText(const DemoLevelSet& set);

// The hall-of-fame page's files below the program folder ("TopList/..."): its header and
// footer templates and the pictures of ranks, medals and difficulties, named after them.
std::vector<DemoFile> HallOfFameFiles();

// Writes the files under `home`, each replaced atomically (folders made as needed).
void WriteDemoFiles(const std::string& home, const std::vector<DemoFile>& files);

}  // namespace datagen::demo
