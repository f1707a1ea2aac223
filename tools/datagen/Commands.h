// Registry of datagen sub-commands, so each writer file adds its own command line.
//
//   static const datagen::Command cmd("bmp", "bmp OUT.bmp DEPTH  write a test picture",
//       [](const std::vector<std::string>& args) { ...; return 0; });
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace datagen {

using CommandFunction = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    Command(std::string name, std::string usage, CommandFunction run);
};

struct CommandEntry {
    std::string usage;
    CommandFunction run;
};

const CommandEntry* FindCommand(const std::string& name);
std::vector<std::string> CommandUsages();

}  // namespace datagen
