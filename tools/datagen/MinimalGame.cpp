#include "tools/datagen/MinimalGame.h"

#include <filesystem>
#include <iostream>

#include "tools/datagen/Commands.h"
#include "tools/datagen/ConfigStream.h"
#include "tools/datagen/Interface.h"

namespace datagen {

std::vector<ContainerSection> MinimalGameSections() {
    ContainerSection strings{"Strings", {}};
    const char* difficulties[] = {"Easy", "Normal", "Hard"};
    for (int d = 1; d <= 3; ++d)
        strings.entries.push_back({"Name_Difficulty_" + std::to_string(d), LenString(difficulties[d - 1])});
    for (int r = 1; r <= 19; ++r) strings.entries.push_back({"Name_Rank_" + std::to_string(r), LenString("Rank " + std::to_string(r))});
    for (int m = 1; m <= 10; ++m)
        strings.entries.push_back({"Name_Medals_" + std::to_string(m), LenString("Medal " + std::to_string(m))});
    // An interface description without forms.
    ContainerSection forms{"Forms", {{"GPInterface", EmptyInterfaceFile()}}};
    return {std::move(strings), std::move(forms), ConfigSection(GameConfig{})};
}

void WriteMinimalGame(const std::string& home) {
    const std::filesystem::path resource = std::filesystem::path(home) / "Resource";
    std::filesystem::create_directories(resource);
    WriteContainer((resource / "Demo2.bif").string(), MinimalGameSections());
}

namespace {

const Command command("minimal-game", "minimal-game HOME  write the smallest program folder the game starts on",
                      [](const std::vector<std::string>& args) {
                          if (args.size() != 1) {
                              std::cerr << "usage: datagen minimal-game HOME\n";
                              return 2;
                          }
                          WriteMinimalGame(args[0]);
                          return 0;
                      });

}  // namespace
}  // namespace datagen
