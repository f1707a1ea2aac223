// Seeds for fuzz_registry_options: registry files holding the game's options key as an
// installation leaves it, as a player's runs change it, and with values of the wrong type.
#include <string>

#include "tools/datagen/Seeds.h"

namespace {

std::string File(const std::string& values) {
    return "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER\\SOFTWARE\\Quorvex\\Sprallion]\n" + values + "END\n";
}

const datagen::SeedWriter registryOptionsSeeds("fuzz_registry_options", [](const datagen::SeedSink& put) {
    put("installed", File("@=string:\"/opt/sprallion/\"\n\"CurrentVersion\"=string:\"1.1.0\"\n"));
    put("options", File("\"Bif\"=string:\"Demo2.bif\"\n"
                        "\"CheckInternet\"=dword:00000001\n"
                        "\"InsertTopList\"=dword:00000000\n"
                        "\"AutoUpDate\"=dword:00000001\n"
                        "\"PlayAVI\"=dword:00000000\n"
                        "\"Language\"=string:\"419\"\n"
                        "\"DateLastUpData\"=string:\"21.03.2024\"\n"));
    put("wrong_types", File("\"CheckInternet\"=string:\"yes\"\n"
                            "\"Bif\"=dword:00000007\n"
                            "\"Language\"=binary(2):0419\n"));
    put("odd_date", File("\"CheckInternet\"=dword:00000001\n\"AutoUpDate\"=dword:00000001\n"
                         "\"DateLastUpData\"=string:\"99.99.99999999\"\n"));
    put("cut", "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER\\SOFTWARE\\Quorvex\\Sprallion]\n\"Bif\"=string:\"De");
});

}  // namespace
