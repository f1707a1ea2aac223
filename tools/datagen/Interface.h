// Writer of interface descriptions (the in-game menus): the 136-byte header of version 1 with
// the name-table file at offset 72, the strings, and widget records, whole or deliberately
// damaged.
//
// A widget record written from a live widget walks the widget's type information: one pair
// (property name, value) for every published property whose kind takes one, in the order the
// reader sets them, the value as the reader parses it (decimal ordinals, enumeration names,
// reals, texts). Events name the handler they are bound to, which only the caller knows.
// Raw records (a misnamed pair, an unknown class, an event naming a method the form lacks)
// are written as given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rtl/TypeInfo.h"
#include "tools/datagen/LevelSet.h"

namespace datagen {

struct WidgetRecord {
    std::string skipped1, skipped2;  // two strings the reader skips
    std::string className;
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<WidgetRecord> children;
    std::optional<int32_t> childCount;  // empty: the real one
};

// Event property -> the handler's published method.
using WidgetEvents = std::vector<std::pair<std::string, std::string>>;

// Whether a property of this kind has a pair in a widget record (sets and 64-bit integers
// have none).
bool TakesInterfacePair(rtl::PropKind kind);
// The pairs of a live widget, in type-information order; an event without a handler in
// events names none.
WidgetRecord WidgetRecordOf(const rtl::Object& widget, const WidgetEvents& events = {});

struct InterfaceFile {
    LevelHeader header = InterfaceHeader("");
    std::vector<std::string> strings;
    std::vector<WidgetRecord> widgets;
    std::optional<int32_t> stringCount, widgetCount;

    // Version 1, the name-table file at offset 72.
    static LevelHeader InterfaceHeader(const std::string& nameTable);
};

std::string WriteWidgetRecord(const WidgetRecord& record);
std::string BuildInterfaceFile(const InterfaceFile& file);
// A description with no strings and no widgets.
std::string EmptyInterfaceFile();

// Damaged variants of a description, by name: wrong magic, magic length byte 4, versions 0
// and 2, shorter than a header, a name-table file with a folder, negative and huge string,
// widget and child counts, an unknown class, records nested 10,000 deep, the file cut inside
// each widget record.
std::vector<std::pair<std::string, std::string>> DamagedInterfaceFiles(const InterfaceFile& sample);

}  // namespace datagen
