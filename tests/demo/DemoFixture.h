// The demo data set, built once for the whole test program and written into a program
// folder of its own, with helpers to reach its containers' entries.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/datagen/demo/DemoDataSet.h"

namespace demotest {

class DemoData {
public:
    // Built on first use (with the test set) and kept until the program ends.
    static const DemoData& Get();

    datagen::demo::DemoDataSet set;
    std::vector<datagen::demo::DemoFile> files;
    std::string home;  // the program folder holding the files

    std::string Path(const std::string& relative) const { return (std::filesystem::path(home) / relative).string(); }
    const std::string& FileBytes(const std::string& relative) const;
    // An entry's bytes as assembled; nullptr when absent.
    static const std::string* Entry(const std::vector<datagen::ContainerSection>& sections, const std::string& section,
                                    const std::string& key);
    // The text of a string entry (int32 length, then the text), in the game's code page.
    static std::string StoredText(const std::string& stored);
    static const datagen::ContainerSection* Section(const std::vector<datagen::ContainerSection>& sections,
                                                    const std::string& section);

    DemoData();
    ~DemoData();
    DemoData(const DemoData&) = delete;
    DemoData& operator=(const DemoData&) = delete;
};

// The environment of the program run as the end-to-end tests run it: headless on the virtual
// clock, silent, over the program folder `home`, with a registry, a runtime folder and a shell
// recorder of its own and the test script `script`. The files are named inside `run`.
std::vector<std::string> ScriptedRun(const std::string& home, const std::string& run, const std::string& script);

}  // namespace demotest
