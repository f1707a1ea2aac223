#include "tools/datagen/Commands.h"

#include <map>

namespace datagen {
namespace {
std::map<std::string, CommandEntry>& Commands() {
    static std::map<std::string, CommandEntry> commands;
    return commands;
}
}  // namespace

Command::Command(std::string name, std::string usage, CommandFunction run) {
    Commands()[std::move(name)] = CommandEntry{std::move(usage), std::move(run)};
}

const CommandEntry* FindCommand(const std::string& name) {
    auto it = Commands().find(name);
    return it == Commands().end() ? nullptr : &it->second;
}

std::vector<std::string> CommandUsages() {
    std::vector<std::string> usages;
    for (const auto& [name, entry] : Commands()) usages.push_back(entry.usage);
    return usages;
}

}  // namespace datagen
