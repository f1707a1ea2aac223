#include "tools/datagen/ClassesWriter.h"

#include <cstring>
#include <fstream>

#include "rtl/Exceptions.h"

namespace datagen {

std::string WriteNameTables(const NameTables& names) {
    std::string out = names.signature;
    uint64_t bits;
    std::memcpy(&bits, &names.version, sizeof bits);
    for (int i = 0; i < 8; ++i) out += static_cast<char>(bits >> (8 * i));
    for (const auto& table : names.tables) {
        for (const auto& name : table) out += Int32Bytes(static_cast<int32_t>(name.size())) + name;
        out += Int32Bytes(7777);
    }
    return out;
}

RecordWriter::RecordWriter(std::string_view className, std::string_view name) {
    writer_.WriteHeader({0, 0, std::string(className), std::string(name)});
}

RecordWriter& RecordWriter::Int(std::string_view property, int64_t value, IntEncoding encoding) {
    writer_.WriteStr(property);
    switch (encoding) {
        case IntEncoding::Smallest: writer_.WriteInteger(value); break;
        case IntEncoding::Int8:
            writer_.WriteValue(rtl::ValueType::vaInt8);
            writer_.WriteByte(static_cast<uint8_t>(value));
            break;
        case IntEncoding::Int16: {
            writer_.WriteValue(rtl::ValueType::vaInt16);
            const auto v = static_cast<uint16_t>(value);
            writer_.WriteByte(static_cast<uint8_t>(v));
            writer_.WriteByte(static_cast<uint8_t>(v >> 8));
            break;
        }
        case IntEncoding::Int32: {
            writer_.WriteValue(rtl::ValueType::vaInt32);
            const auto v = static_cast<uint32_t>(value);
            for (int i = 0; i < 4; ++i) writer_.WriteByte(static_cast<uint8_t>(v >> (8 * i)));
            break;
        }
        case IntEncoding::Int64: writer_.WriteInt64(value); break;
    }
    return *this;
}

RecordWriter& RecordWriter::Real(std::string_view property, double value, RealEncoding encoding) {
    writer_.WriteStr(property);
    switch (encoding) {
        case RealEncoding::Extended: writer_.WriteFloat(value); break;
        case RealEncoding::Double: writer_.WriteDouble(value); break;
        case RealEncoding::Single: writer_.WriteSingle(static_cast<float>(value)); break;
    }
    return *this;
}

RecordWriter& RecordWriter::Str(std::string_view property, std::string_view value) {
    writer_.WriteStr(property);
    writer_.WriteString(value);
    return *this;
}

RecordWriter& RecordWriter::Ident(std::string_view property, std::string_view value) {
    writer_.WriteStr(property);
    writer_.WriteIdent(value);
    return *this;
}

RecordWriter& RecordWriter::Bool(std::string_view property, bool value) {
    writer_.WriteStr(property);
    writer_.WriteBoolean(value);
    return *this;
}

std::string RecordWriter::Finish() {
    if (!finished_) {
        writer_.WriteListEnd();
        writer_.WriteListEnd();
        finished_ = true;
    }
    const auto& b = writer_.Bytes();
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

std::string WriteRecord(const rtl::Object& object) {
    rtl::ComponentWriter writer;
    writer.WriteComponent(object);
    const auto& b = writer.Bytes();
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

std::string WriteRecords(const std::vector<const rtl::Object*>& objects) {
    std::string out;
    for (const rtl::Object* o : objects) out += WriteRecord(*o);
    return out;
}

void WriteLooseDescription(const std::string& folder, const std::string& name,
                           const std::string& extension, const std::string& bytes) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name + extension;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw rtl::EFCreateError("Cannot create file " + path);
}

ContainerSection DescriptionSection(const std::string& section,
                                    const std::vector<std::pair<std::string, std::string>>& entries) {
    ContainerSection s{section, {}};
    for (const auto& [name, bytes] : entries) s.entries.push_back({name, bytes});
    return s;
}

}  // namespace datagen
