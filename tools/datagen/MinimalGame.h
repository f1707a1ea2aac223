// The smallest program folder the game starts on: "Resource/Demo2.bif" with an interface
// entry, the configuration stream and the texts a hall-of-fame entry names. It has no menus,
// pictures or level sets: enough to bring the program up and down (tests of the start-up and
// of the program, quick checks), not to play.
#pragma once

#include <string>
#include <vector>

#include "tools/datagen/Container.h"

namespace datagen {

std::vector<ContainerSection> MinimalGameSections();
// Writes HOME/Resource/Demo2.bif (folders made as needed).
void WriteMinimalGame(const std::string& home);

}  // namespace datagen
