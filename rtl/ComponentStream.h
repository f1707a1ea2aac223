// The class library's binary component format: one reader, one writer.
//
// A record: [ $F0|flags [position] ] class-name name { property-name value } 0 { child } 0,
// names being short strings (a length byte and the letters). Values start with a tag
// (ValueType). A whole stream may start with the signature "TPF0"; the engine's description
// records are written without it and follow one another directly.
//
// Properties are set through the type information by name. Every length and count read is
// checked against what is left of the (bounded) input: a malformed record raises EReadError,
// never reads outside the data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/TypeInfo.h"

namespace rtl {

class Stream;
class Component;

enum class ValueType : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
    vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
    vaCollection = 14, vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18,
    vaInt64 = 19, vaUTF8String = 20, vaDouble = 21,
};

// Record flags (the prefix byte is $F0 | flags).
inline constexpr uint8_t ffInherited = 0x01;
inline constexpr uint8_t ffChildPos = 0x02;
inline constexpr uint8_t ffInline = 0x04;

inline constexpr std::array<uint8_t, 4> FilerSignature = {'T', 'P', 'F', '0'};

// The 80-bit extended float, little-endian: 64-bit mantissa with its integer bit, then the
// sign and 15-bit exponent. Conversions are exact bit work: to double rounds to nearest even,
// overflows to infinity, underflows through the subnormals; NaN stays NaN.
using Extended = std::array<uint8_t, 10>;
Extended DoubleToExtended(double value);
double ExtendedToDouble(const Extended& bytes);

struct RecordHeader {
    uint8_t Flags = 0;
    int32_t ChildPos = 0;
    std::string ClassName;
    std::string Name;
};

class ComponentReader {
public:
    explicit ComponentReader(std::span<const uint8_t> data) : data_(data) {}

    // Bytes consumed so far.
    size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }

    // Where method properties look up their handlers by name; by default the object whose
    // record is being read at the top level.
    void SetMethodRoot(Object* root) { methodRoot_ = root; }

    // Reads one record (after an optional signature) and makes its object with the factory
    // of the class it names (EClassNotFound when unknown).
    std::unique_ptr<Object> ReadComponent();
    // Reads one record into an existing object; the class name is read and not checked.
    void ReadComponent(Object& instance);
    RecordHeader ReadHeader();

    // The primitives, for readers of their own data.
    ValueType NextValue() const;
    ValueType ReadValue();
    void CheckValue(ValueType expected);  // EReadError "Invalid stream format" otherwise
    uint8_t ReadByte();
    void ReadBytes(void* out, size_t count);
    std::string ReadStr();  // short string
    int64_t ReadInteger();  // vaInt8, vaInt16, vaInt32 or vaInt64
    double ReadFloat();     // any float tag, or an integer
    std::string ReadString();  // vaString, vaLString, vaUTF8String, vaWString
    std::string ReadIdent();   // vaIdent, and vaFalse/vaTrue/vaNil/vaNull as their names
    void SkipValue();

private:
    template <class T> T ReadLE();
    size_t ReadCount(size_t unit);  // an int32 length, checked against the data left
    void ReadBody(Object& instance, const std::string& name, int depth);
    void ReadProperty(Object& instance, const std::string& name, int depth);
    void ReadPropValue(Object& instance, const PropInfo& prop, int depth);
    void ReadCollection(Object& instance, const PropInfo& prop, int depth);
    void Enter(int depth) const;
    void SkipValue(int depth);

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    Object* methodRoot_ = nullptr;
    std::vector<Component*> loaded_;
};

class ComponentWriter {
public:
    void WriteSignature();
    // One record: header, stored published properties in declaration order, then (for a
    // component) the components it owns as children. Events are not written: a bound
    // std::function has no name.
    void WriteComponent(const Object& instance, uint8_t flags = 0, int32_t childPos = 0);
    void WriteHeader(const RecordHeader& header);
    void WriteProperties(const Object& instance, const std::string& prefix = {});

    // The primitives, as the class library's writer writes them.
    void WriteValue(ValueType tag) { WriteByte(static_cast<uint8_t>(tag)); }
    void WriteByte(uint8_t b) { bytes_.push_back(b); }
    void WriteBytes(const void* data, size_t count);
    void WriteStr(std::string_view shortString);  // raises EWriteError above 255 bytes
    void WriteInteger(int64_t value);               // the smallest integer tag that holds it
    void WriteInt64(int64_t value);                 // always vaInt64
    void WriteFloat(double value);                  // vaExtended
    void WriteDouble(double value);
    void WriteSingle(float value);
    void WriteCurrency(int64_t scaledBy10000);
    void WriteDate(double value);
    void WriteString(std::string_view value);       // vaString up to 255 bytes, else vaLString
    void WriteUtf8String(std::string_view utf8);
    void WriteWideString(std::u16string_view value);
    void WriteIdent(std::string_view ident);        // False/True/nil/Null as their own tags
    void WriteBoolean(bool value) { WriteValue(value ? ValueType::vaTrue : ValueType::vaFalse); }
    void WriteSet(const std::vector<std::string>& elements);
    void WriteBinary(std::span<const uint8_t> data);
    void WriteListBegin() { WriteValue(ValueType::vaList); }
    void WriteListEnd() { WriteValue(ValueType::vaNull); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }

private:
    template <class T> void WriteLE(T value);
    void WriteProperties(const Object& instance, const std::string& prefix, const Object* defaults);
    void WriteProperty(const Object& instance, const PropInfo& prop, const std::string& prefix,
                       const Object* defaults);

    std::vector<uint8_t> bytes_;
};

// Over streams: the reader sees at most what is left of the stream and leaves the stream
// just after the record, so records that follow one another read one by one.
std::unique_ptr<Object> ReadComponent(Stream& stream);
void ReadComponent(Stream& stream, Object& instance);
void WriteComponent(Stream& stream, const Object& instance);

}  // namespace rtl
