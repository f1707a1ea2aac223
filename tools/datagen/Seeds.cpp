#include "tools/datagen/Seeds.h"

#include <map>

namespace datagen {
namespace {
std::map<std::string, SeedFunction>& Writers() {
    static std::map<std::string, SeedFunction> writers;
    return writers;
}
}  // namespace

SeedWriter::SeedWriter(std::string target, SeedFunction write) {
    Writers()[std::move(target)] = std::move(write);
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
