// datagen: writes fixtures, fuzz seed corpora and the demo data set.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rtl/Exceptions.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Seeds.h"

namespace {

int WriteSeeds(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: datagen seeds TARGET DIR\n");
        return 2;
    }
    const datagen::SeedFunction* writer = datagen::FindSeedWriter(args[0]);
    if (!writer) {
        std::fprintf(stderr, "datagen: no seeds for %s\n", args[0].c_str());
        return 1;
    }
    std::filesystem::path dir = args[1];
    std::filesystem::create_directories(dir);
    int count = 0;
    (*writer)([&](const std::string& name, std::string_view bytes) {
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ++count;
    });
    std::printf("datagen: %d seeds for %s\n", count, args[0].c_str());
    return 0;
}

void Usage() {
    std::fprintf(stderr, "usage: datagen COMMAND ARGS...\n  seeds TARGET DIR  write the seed corpus of a fuzz target\n");
    for (const auto& usage : datagen::CommandUsages()) std::fprintf(stderr, "  %s\n", usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 2;
    }
    std::string name = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (name == "seeds") return WriteSeeds(args);
        if (const datagen::CommandEntry* command = datagen::FindCommand(name)) return command->run(args);
        Usage();
        return 2;
    } catch (const rtl::Exception& e) {
        std::fprintf(stderr, "datagen: %s: %s\n", e.className(), e.message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "datagen: %s\n", e.what());
    }
    return 1;
}
