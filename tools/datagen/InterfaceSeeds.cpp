// Seeds for fuzz_interface_file that need no widget classes: an empty description, raw
// records and the damaged variants. The demo's menus join the corpus from the demo library.
#include "tools/datagen/Interface.h"
#include "tools/datagen/Seeds.h"

namespace {

datagen::InterfaceFile RawSample() {
    datagen::InterfaceFile file;
    file.strings = {"first", "second"};
    datagen::WidgetRecord label{"", "", "TGPLabel", {{"Name", "Lb_One"}, {"Text", "text"}}, {}, {}};
    datagen::WidgetRecord form{"skip", "skip", "TGPForm", {{"Name", "Form_One"}, {"Left", "x"}}, {label, label}, {}};
    file.widgets = {form, form};
    return file;
}

const datagen::SeedWriter interfaceSeeds("fuzz_interface_file", [](const datagen::SeedSink& put) {
    put("empty", datagen::EmptyInterfaceFile());
    put("raw", datagen::BuildInterfaceFile(RawSample()));
    for (const auto& [name, bytes] : datagen::DamagedInterfaceFiles(RawSample())) put(name, bytes);
});

}  // namespace
