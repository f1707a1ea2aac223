// The demo's interface description: every widget of the menu table made as the engine makes
// it, its table values set through its type information, and its record written from the
// live widget, so names, kinds and order are those the reader walks.
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "engine/gpInterface.h"
#include "engine/gpLevelInterface.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Interface.h"
#include "tools/datagen/Seeds.h"
#include "tools/datagen/demo/DemoInterface.h"

namespace datagen::demo {
namespace {

WidgetRecord RecordOf(const WidgetEntry& table) {
    const rtl::TypeInfo* info = engine::InterfaceClass(table.className);
    if (!info) throw std::invalid_argument("no widget class " + table.className);
    std::unique_ptr<rtl::Object> made = info->Create();
    auto& widget = made->As<engine::TGPBaseInterface>();
    widget.Create(nullptr, engine::InterfaceWidgetId);  // no container: nothing else sees it
    widget.SetName(table.name);
    for (const auto& [name, value] : table.properties) {
        const rtl::PropInfo* prop = rtl::GetPropInfo(widget, name);
        if (!prop) throw std::invalid_argument(table.className + " publishes no " + name);
        rtl::SetPropValue(widget, *prop, rtl::PropValue{rtl::Utf8ToAnsi(value)});
    }
    for (const auto& [event, handler] : table.events) {
        const rtl::PropInfo* prop = rtl::GetPropInfo(widget, event);
        if (!prop || prop->Kind != rtl::PropKind::Method) throw std::invalid_argument(table.className + " has no event " + event);
    }
    WidgetRecord record = WidgetRecordOf(widget, table.events);
    for (const WidgetEntry& child : table.children) record.children.push_back(RecordOf(child));
    return record;
}

const Command interfaceCommand("interface", "interface OUT [NAMETABLE]  write the demo menus as a loose interface description",
    [](const std::vector<std::string>& args) {
        if (args.empty() || args.size() > 2) {
            std::cerr << "usage: datagen interface OUT [NAMETABLE]\n";
            return 2;
        }
        const std::string bytes = InterfaceDescription(args.size() == 2 ? args[1] : "");
        rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
        return 0;
    });

const SeedWriter interfaceSeeds("fuzz_interface_file", [](const SeedSink& put) {
    put("demo", InterfaceDescription());
    for (const auto& [name, bytes] : DamagedInterfaceFiles(InterfaceDescriptionFile())) put("demo_" + name, bytes);
});

}  // namespace

InterfaceFile InterfaceDescriptionFile(const std::string& nameTable) {
    InterfaceFile file;
    file.header = InterfaceFile::InterfaceHeader(nameTable);
    for (const WidgetEntry& form : DemoForms()) file.widgets.push_back(RecordOf(form));
    return file;
}

std::string InterfaceDescription(const std::string& nameTable) { return BuildInterfaceFile(InterfaceDescriptionFile(nameTable)); }

}  // namespace datagen::demo
