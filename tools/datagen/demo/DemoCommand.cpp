// datagen demo DIR [--test-set]: writes the demo data set into the program folder DIR.
#include <cstdio>

#include "tools/datagen/Commands.h"
#include "tools/datagen/demo/DemoDataSet.h"

namespace datagen::demo {
namespace {

const Command command("demo", "demo DIR [--test-set]  write the demo data set (Resource/Demo2.bif, level sets, music, help)",
    [](const std::vector<std::string>& args) {
        if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "--test-set")) return 2;
        const std::vector<DemoFile> files = BuildDemoDataSet(args.size() == 2).Files();
        WriteDemoFiles(args[0], files);
        size_t bytes = 0;
        for (const DemoFile& f : files) bytes += f.bytes.size();
        std::printf("datagen: %zu demo files, %zu bytes, in %s\n", files.size(), bytes, args[0].c_str());
        return 0;
    });

}  // namespace
}  // namespace datagen::demo
