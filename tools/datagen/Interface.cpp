#include "tools/datagen/Interface.h"

#include <functional>

#include "rtl/Format.h"
#include "tools/datagen/Container.h"

namespace datagen {
namespace {

std::string Count(std::optional<int32_t> stored, size_t real) {
    return Int32Bytes(stored.value_or(static_cast<int32_t>(real)));
}

std::string PairValue(const rtl::Object& widget, const rtl::PropInfo& prop, const WidgetEvents& events) {
    switch (prop.Kind) {
        case rtl::PropKind::Integer:
        case rtl::PropKind::Char:
            // The reader takes 32-bit decimal numbers; the property keeps its low bytes.
            return std::to_string(static_cast<int32_t>(rtl::GetOrdProp(widget, prop)));
        case rtl::PropKind::Enumeration:
        case rtl::PropKind::Boolean: return prop.Enum->ValueName(rtl::GetOrdProp(widget, prop));
        case rtl::PropKind::Float: return rtl::FloatToStr(rtl::GetFloatProp(widget, prop));
        case rtl::PropKind::String: return rtl::GetStrProp(widget, prop);
        case rtl::PropKind::Method:
            for (const auto& [event, handler] : events)
                if (rtl::SameName(event, prop.Name)) return handler;
            return "";
        default: return "";  // a class: the reader drops the pair
    }
}

}  // namespace

bool TakesInterfacePair(rtl::PropKind kind) { return kind != rtl::PropKind::Set && kind != rtl::PropKind::Int64; }

WidgetRecord WidgetRecordOf(const rtl::Object& widget, const WidgetEvents& events) {
    WidgetRecord record;
    record.className = widget.ClassName();
    for (const rtl::PropInfo* prop : widget.ClassInfo().Properties())
        if (TakesInterfacePair(prop->Kind)) record.pairs.emplace_back(prop->Name, PairValue(widget, *prop, events));
    return record;
}

LevelHeader InterfaceFile::InterfaceHeader(const std::string& nameTable) {
    LevelHeader header;
    header.version = 1;
    header.title = nameTable;
    return header;
}

std::string WriteWidgetRecord(const WidgetRecord& record) {
    std::string out = LenString(record.skipped1) + LenString(record.skipped2) + LenString(record.className);
    for (const auto& [name, value] : record.pairs) out += LenString(name) + LenString(value);
    out += Count(record.childCount, record.children.size());
    for (const WidgetRecord& child : record.children) out += WriteWidgetRecord(child);
    return out;
}

std::string BuildInterfaceFile(const InterfaceFile& file) {
    std::string out = WriteLevelHeader(file.header) + Count(file.stringCount, file.strings.size());
    for (const std::string& s : file.strings) out += LenString(s);
    out += Count(file.widgetCount, file.widgets.size());
    for (const WidgetRecord& w : file.widgets) out += WriteWidgetRecord(w);
    return out;
}

std::string EmptyInterfaceFile() { return BuildInterfaceFile(InterfaceFile{}); }

std::vector<std::pair<std::string, std::string>> DamagedInterfaceFiles(const InterfaceFile& sample) {
    std::vector<std::pair<std::string, std::string>> out;
    auto variant = [&](const std::string& name, const std::function<void(InterfaceFile&)>& change) {
        InterfaceFile file = sample;
        change(file);
        out.emplace_back(name, BuildInterfaceFile(file));
    };
    variant("bad_magic", [](InterfaceFile& f) { f.header.magic = std::string("\x03VQX", 4); });
    variant("magic_length_4", [](InterfaceFile& f) { f.header.magic = std::string("\x04VQM", 4); });
    variant("version_0", [](InterfaceFile& f) { f.header.version = 0; });
    variant("version_2", [](InterfaceFile& f) { f.header.version = 2; });
    variant("name_table_in_folder", [](InterfaceFile& f) { f.header.title = "..\\Names.gp"; });
    variant("unknown_class", [](InterfaceFile& f) {
        WidgetRecord stray;
        stray.className = "TGPWindow";
        stray.pairs = {{"Left", "1"}};
        f.widgets.push_back(stray);
    });
    for (int32_t bad : {-1, 0x7FFFFFFF}) {
        const std::string tag = bad < 0 ? "negative_" : "huge_";
        variant(tag + "strings", [bad](InterfaceFile& f) { f.stringCount = bad; });
        variant(tag + "widgets", [bad](InterfaceFile& f) { f.widgetCount = bad; });
        if (!sample.widgets.empty())
            variant(tag + "children", [bad](InterfaceFile& f) { f.widgets.back().childCount = bad; });
    }
    {
        // Forms nested 10,000 deep, written flat so that no tree of that depth is built here.
        InterfaceFile file = sample;
        file.widgets.clear();
        file.widgetCount = 1;
        WidgetRecord form;
        form.className = "TGPForm";
        form.childCount = 1;
        std::string bytes = BuildInterfaceFile(file);
        for (int i = 0; i < 10000; ++i) bytes += WriteWidgetRecord(form);
        out.emplace_back("nested_10000", bytes);
    }
    const std::string whole = BuildInterfaceFile(sample);
    out.emplace_back("cut_header", whole.substr(0, 100));
    size_t at = BuildInterfaceFile([&] {
                    InterfaceFile head = sample;
                    head.widgets.clear();
                    return head;
                }()).size();
    for (size_t i = 0; i < sample.widgets.size() && i < 8; ++i) {
        const size_t size = WriteWidgetRecord(sample.widgets[i]).size();
        out.emplace_back("cut_widget_" + std::to_string(i), whole.substr(0, at + size / 2));
        at += size;
    }
    return out;
}

}  // namespace datagen
