#include "tests/demo/DemoFixture.h"

#include <stdexcept>
#include <stdlib.h>

namespace demotest {

DemoData::DemoData() : set(datagen::demo::BuildDemoDataSet(true)), files(set.Files()) {
    char pattern[] = "/tmp/sprallion-demo-XXXXXX";
    home = ::mkdtemp(pattern);
    datagen::demo::WriteDemoFiles(home, files);
}

DemoData::~DemoData() { std::filesystem::remove_all(home); }

const DemoData& DemoData::Get() {
    static const DemoData data;
    return data;
}

const std::string& DemoData::FileBytes(const std::string& relative) const {
    for (const auto& f : files)
        if (f.path == relative) return f.bytes;
    throw std::out_of_range("no demo file " + relative);
}

std::string DemoData::StoredText(const std::string& stored) {
    if (stored.size() < 4) throw std::invalid_argument("no length before the text");
    const uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(stored[0]) | static_cast<uint8_t>(stored[1]) << 8 |
                                             static_cast<uint8_t>(stored[2]) << 16 | static_cast<uint8_t>(stored[3]) << 24);
    if (size_t{n} + 4 != stored.size()) throw std::invalid_argument("the length does not match the text");
    return stored.substr(4);
}

const datagen::ContainerSection* DemoData::Section(const std::vector<datagen::ContainerSection>& sections,
                                                   const std::string& section) {
    for (const auto& s : sections)
        if (s.name == section) return &s;
    return nullptr;
}

const std::string* DemoData::Entry(const std::vector<datagen::ContainerSection>& sections, const std::string& section,
                                   const std::string& key) {
    if (const auto* s = Section(sections, section))
        for (const auto& e : s->entries)
            if (e.name == key) return &e.data;
    return nullptr;
}

std::vector<std::string> ScriptedRun(const std::string& home, const std::string& run, const std::string& script) {
    const auto in = [&](const char* name) { return (std::filesystem::path(run) / name).string(); };
    return {"SPRALLION_HOME=" + home,           "SPRALLION_REGISTRY=" + in("registry"),
            "SPRALLION_RUNTIME_DIR=" + in("run"), "SPRALLION_SHELL=record:" + in("shell"),
            "SPRALLION_SCRIPT=" + script,        "SPRALLION_CLOCK=virtual",
            "SPRALLION_VIDEO=headless",          "SPRALLION_AUDIO=null",
            "SPRALLION_MIDI=null",               "SPRALLION_TEXT=headless"};
}

}  // namespace demotest
