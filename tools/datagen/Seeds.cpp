#include "tools/datagen/Seeds.h"

#include <map>

namespace datagen {
namespace {
std::map<std::string, SeedFunction>& Writers() {
    static std::map<std::string, SeedFunction> writers;
    return writers;
}
}  // namespace

// Several writers may seed one target (the fixtures' seeds and the demo data's): their
// seeds are written one after another.
SeedWriter::SeedWriter(std::string target, SeedFunction write) {
    auto it = Writers().find(target);
    if (it == Writers().end()) {
        Writers().emplace(std::move(target), std::move(write));
        return;
    }
    it->second = [first = std::move(it->second), second = std::move(write)](const SeedSink& put) {
        first(put);
        second(put);
    };
}

std::string EntriesInput(const std::vector<std::pair<std::string, std::string>>& entries,
                         const std::vector<std::string>& names) {
    std::string out;
    for (const auto& [name, data] : entries) {
        size_t index = 0;
        while (index < names.size() && names[index] != name) ++index;
        out += static_cast<char>(index);
        out += static_cast<char>(data.size() & 0xFF);
        out += static_cast<char>((data.size() >> 8) & 0xFF);
        out += data;
    }
    return out;
}

const SeedFunction* FindSeedWriter(const std::string& target) {
    auto it = Writers().find(target);
    return it == Writers().end() ? nullptr : &it->second;
}

std::vector<std::string> SeedTargets() {
    std::vector<std::string> names;
    for (const auto& [name, fn] : Writers()) names.push_back(name);
    return names;
}

}  // namespace datagen
