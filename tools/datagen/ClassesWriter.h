// Writers of the name tables ("GP_R"), of description records in the class library's
// component format, of loose description files and of the container sections holding them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/ComponentStream.h"
#include "tools/datagen/Container.h"

namespace datagen {

// The five tables in stream order: unit classes, map elements, cursors, effects, interface.
// An empty name is written as an entry of length 0 (it takes no slot when read).
struct NameTables {
    std::array<std::vector<std::string>, 5> tables;
    std::string signature = std::string("GP_R\0", 5);
    double version = 1.1;
};
std::string WriteNameTables(const NameTables& names);

// How a value is encoded in a record.
enum class IntEncoding { Smallest, Int8, Int16, Int32, Int64 };
enum class RealEncoding { Extended, Double, Single };

// One record written property by property, for records the type information would not
// write (chosen encodings, unknown properties, odd orders).
class RecordWriter {
public:
    RecordWriter(std::string_view className, std::string_view name);
    RecordWriter& Int(std::string_view property, int64_t value, IntEncoding encoding = IntEncoding::Smallest);
    RecordWriter& Real(std::string_view property, double value, RealEncoding encoding = RealEncoding::Extended);
    RecordWriter& Str(std::string_view property, std::string_view value);
    RecordWriter& Ident(std::string_view property, std::string_view value);
    RecordWriter& Bool(std::string_view property, bool value);
    // Ends the property list and the (empty) child list; answers the record's bytes.
    std::string Finish();

private:
    rtl::ComponentWriter writer_;
    bool finished_ = false;
};

// The records of objects described by the type information, one after another.
std::string WriteRecords(const std::vector<const rtl::Object*>& objects);
std::string WriteRecord(const rtl::Object& object);

// A loose description file: folder + name + extension (".ss", ".se", ".cr", ".ef", ".si", ".go").
void WriteLooseDescription(const std::string& folder, const std::string& name,
                           const std::string& extension, const std::string& bytes);

// A container section of descriptions, one entry per (name, bytes).
ContainerSection DescriptionSection(const std::string& section,
                                    const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace datagen
