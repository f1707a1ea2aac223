// Seeds of the saved-games container: an empty one as the game makes it, one with games and
// previews, and the damage the load panel meets (a garbage slot, a foreign path, a preview
// cut short, a wrong magic).
#include <cstring>

#include "tools/datagen/Bmp.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

std::string Record(uint8_t alive, const std::string& name, const std::string& file, int32_t level) {
    std::string r(144, '\0');
    r[0] = static_cast<char>(alive);
    std::memcpy(r.data() + 1, name.data(), std::min<size_t>(name.size(), 21));
    std::memcpy(r.data() + 22, file.data(), std::min<size_t>(file.size(), 21));
    const std::string levelBytes = Int32Bytes(level), lives = Int32Bytes(3), difficulty = Int32Bytes(2);
    r.replace(64, 4, levelBytes);
    r.replace(68, 4, lives);
    r.replace(76, 4, difficulty);
    for (size_t i = 92; i < 134; ++i) r[i] = 30;
    return r;
}

std::string Container(const std::vector<std::string>& records, const std::string& preview,
                      ContainerDamage damage = ContainerDamage::None) {
    ContainerSection user{"Save_User", {}}, previews{"Save_BMP", {}};
    for (size_t i = 0; i < records.size(); ++i) {
        user.entries.push_back({"Save_" + std::to_string(i), records[i]});
        previews.entries.push_back({"Save_" + std::to_string(i), preview});
    }
    return BuildContainer({user, previews}, damage);
}

const SeedWriter saveGamesSeeds("fuzz_save_games", [](const SeedSink& put) {
    const std::string picture = EncodeBmp(TestPicture(160, 120, 8));
    const std::string empty(144, '\0');
    std::vector<std::string> games(7, empty);
    put("empty", Container(games, picture));
    games[0] = Record(1, "Pending", "Forest.ig", 2);
    games[3] = Record(1, std::string(21, 'N'), "Forest.ig", 5);
    put("games", Container(games, picture));
    std::vector<std::string> damaged = games;
    damaged[2] = std::string(144, '\xA5');
    damaged[4] = Record(1, "Evil", "..\\x.ig", 1);
    damaged[5] = empty.substr(0, 100);
    put("damaged", Container(damaged, picture.substr(0, picture.size() / 2)));
    put("magic", Container(games, picture, ContainerDamage::BadMagic));
    put("directory", Container(games, picture, ContainerDamage::TruncatedDirectory));
});

}  // namespace
}  // namespace datagen
