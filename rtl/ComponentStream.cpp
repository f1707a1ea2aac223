#include "rtl/ComponentStream.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "rtl/Collection.h"
#include "rtl/Component.h"
#include "rtl/Text.h"

namespace rtl {

// ---------------------------------------------------------------------------------------------
// Extended floats

Extended DoubleToExtended(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int exp = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & ((uint64_t{1} << 52) - 1);
    uint64_t mantissa = 0;
    int e = 0;
    if (exp == 0x7FF) {  // infinity or NaN: the payload moves up, the integer bit is set
        e = 0x7FFF;
        mantissa = (uint64_t{1} << 63) | (frac << 11);
    } else if (exp == 0) {
        if (frac != 0) {  // subnormal: normal in the wider exponent
            const int top = 63 - std::countl_zero(frac);
            mantissa = frac << (63 - top);
            e = top - 1074 + 16383;
        }
    } else {
        mantissa = (uint64_t{1} << 63) | (frac << 11);
        e = exp - 1023 + 16383;
    }
    Extended out{};
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const uint16_t se = static_cast<uint16_t>((negative ? 0x8000 : 0) | e);
    out[8] = static_cast<uint8_t>(se);
    out[9] = static_cast<uint8_t>(se >> 8);
    return out;
}

namespace {
// m / 2^shift rounded to nearest, ties to even.
uint64_t RoundShift(uint64_t m, int shift) {
    if (shift <= 0) return m;
    if (shift > 64) return 0;
    const unsigned __int128 wide = m;
    const unsigned __int128 q = wide >> shift;
    const unsigned __int128 rem = wide - (q << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    uint64_t r = static_cast<uint64_t>(q);
    if (rem > half || (rem == half && (r & 1))) ++r;
    return r;
}
}  // namespace

double ExtendedToDouble(const Extended& bytes) {
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    const uint16_t se = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
    const uint64_t sign = static_cast<uint64_t>(se >> 15) << 63;
    const int e = se & 0x7FFF;
    const uint64_t fracMask = (uint64_t{1} << 52) - 1;
    if (e == 0x7FFF) {
        const uint64_t payload = mantissa & ~(uint64_t{1} << 63);
        if (payload == 0) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
        uint64_t frac = (payload >> 11) & fracMask;
        if (frac == 0) frac = uint64_t{1} << 51;  // keep it a NaN
        return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52) | frac);
    }
    if (mantissa == 0) return std::bit_cast<double>(sign);
    // value = mantissa * 2^e2, normalised so that the top bit is set.
    int e2 = (e == 0 ? 1 : e) - 16383 - 63;
    const int lz = std::countl_zero(mantissa);
    mantissa <<= lz;
    e2 -= lz;
    const int lead = e2 + 63;  // exponent of the leading bit
    if (lead > 1023) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
    if (lead >= -1022) {
        uint64_t q = RoundShift(mantissa, 11);
        int biased = lead + 1023;
        if (q == (uint64_t{1} << 53)) {
            q >>= 1;
            ++biased;
        }
        if (biased >= 0x7FF) return std::bit_cast<double>(sign | (uint64_t{0x7FF} << 52));
        return std::bit_cast<double>(sign | (static_cast<uint64_t>(biased) << 52) | (q & fracMask));
    }
    // Subnormal: value = m * 2^-1074; a carry into bit 52 is the smallest normal number.
    const uint64_t m = RoundShift(mantissa, -(e2 + 1074));
    return std::bit_cast<double>(sign | m);
}

// ---------------------------------------------------------------------------------------------
// Reader

namespace {

constexpr int MaxDepth = 64;

[[noreturn]] void ReadFail() { throw EReadError(texts::SReadError); }
[[noreturn]] void BadFormat() { throw EReadError(texts::SInvalidImage); }
[[noreturn]] void BadValue() { throw EReadError(texts::SInvalidPropertyValue); }

std::string Fill(const char* text, std::string_view a) {
    std::string out(text);
    auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, a);
    return out;
}

bool IsIntegerTag(ValueType t) {
    return t == ValueType::vaInt8 || t == ValueType::vaInt16 || t == ValueType::vaInt32 ||
           t == ValueType::vaInt64;
}

// Whether value fits the property's bytes, read as signed or as unsigned.
bool FitsOrdinal(int64_t value, unsigned size) {
    if (size >= 8) return true;
    const int bits = static_cast<int>(size) * 8;
    return value >= -(int64_t{1} << (bits - 1)) && value < (int64_t{1} << bits);
}

}  // namespace

template <class T> T ComponentReader::ReadLE() {
    uint8_t raw[sizeof(T)];
    ReadBytes(raw, sizeof(T));
    std::make_unsigned_t<T> v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::make_unsigned_t<T>>(raw[i]) << (8 * i);
    return static_cast<T>(v);
}

uint8_t ComponentReader::ReadByte() {
    if (pos_ >= data_.size()) ReadFail();
    return data_[pos_++];
}

void ComponentReader::ReadBytes(void* out, size_t count) {
    if (count > data_.size() - pos_) ReadFail();
    if (count) std::memcpy(out, data_.data() + pos_, count);
    pos_ += count;
}

ValueType ComponentReader::NextValue() const {
    if (pos_ >= data_.size()) ReadFail();
    return static_cast<ValueType>(data_[pos_]);
}

ValueType ComponentReader::ReadValue() {
    const uint8_t tag = ReadByte();
    if (tag > static_cast<uint8_t>(ValueType::vaDouble)) BadFormat();
    return static_cast<ValueType>(tag);
}

void ComponentReader::CheckValue(ValueType expected) {
    if (ReadValue() != expected) BadFormat();
}

std::string ComponentReader::ReadStr() {
    const size_t n = ReadByte();
    std::string s(n, '\0');
    ReadBytes(s.data(), n);
    return s;
}

size_t ComponentReader::ReadCount(size_t unit) {
    const int32_t n = ReadLE<int32_t>();
    if (n < 0 || static_cast<size_t>(n) > (data_.size() - pos_) / unit) ReadFail();
    return static_cast<size_t>(n);
}

int64_t ComponentReader::ReadInteger() {
    switch (ReadValue()) {
        case ValueType::vaInt8: return ReadLE<int8_t>();
        case ValueType::vaInt16: return ReadLE<int16_t>();
        case ValueType::vaInt32: return ReadLE<int32_t>();
        case ValueType::vaInt64: return ReadLE<int64_t>();
        default: BadValue();
    }
}

double ComponentReader::ReadFloat() {
    const ValueType t = NextValue();
    if (IsIntegerTag(t)) return static_cast<double>(ReadInteger());
    ReadValue();
    switch (t) {
        case ValueType::vaExtended: {
            Extended e;
            ReadBytes(e.data(), e.size());
            return ExtendedToDouble(e);
        }
        case ValueType::vaDouble:
        case ValueType::vaDate: return std::bit_cast<double>(ReadLE<uint64_t>());
        case ValueType::vaSingle: return static_cast<double>(std::bit_cast<float>(ReadLE<uint32_t>()));
        case ValueType::vaCurrency: return static_cast<double>(ReadLE<int64_t>()) / 10000.0;
        default: BadValue();
    }
}

std::string ComponentReader::ReadString() {
    switch (ReadValue()) {
        case ValueType::vaString: return ReadStr();
        case ValueType::vaLString: {
            std::string s(ReadCount(1), '\0');
            ReadBytes(s.data(), s.size());
            return s;
        }
        case ValueType::vaUTF8String: {
            std::string s(ReadCount(1), '\0');
            ReadBytes(s.data(), s.size());
            return Utf8ToAnsi(s);
        }
        case ValueType::vaWString: {
            std::u16string w(ReadCount(2), u'\0');
            for (char16_t& c : w) c = static_cast<char16_t>(ReadLE<uint16_t>());
            return Utf16ToAnsi(w);
        }
        default: BadValue();
    }
}

std::string ComponentReader::ReadIdent() {
    switch (ReadValue()) {
        case ValueType::vaIdent: return ReadStr();
        case ValueType::vaFalse: return "False";
        case ValueType::vaTrue: return "True";
        case ValueType::vaNil: return "nil";
        case ValueType::vaNull: return "Null";
        default: BadValue();
    }
}

void ComponentReader::SkipValue() { SkipValue(0); }

void ComponentReader::SkipValue(int depth) {
    Enter(depth);
    const ValueType t = NextValue();
    if (IsIntegerTag(t)) {
        ReadInteger();
        return;
    }
    switch (t) {
        case ValueType::vaExtended: case ValueType::vaDouble: case ValueType::vaDate:
        case ValueType::vaSingle: case ValueType::vaCurrency:
            ReadFloat();
            return;
        case ValueType::vaString: case ValueType::vaLString: case ValueType::vaUTF8String:
        case ValueType::vaWString:
            ReadString();
            return;
        default:
            break;
    }
    ReadValue();
    switch (t) {
        case ValueType::vaList:
            while (NextValue() != ValueType::vaNull) SkipValue(depth + 1);
            ReadValue();
            return;
        case ValueType::vaIdent: ReadStr(); return;
        case ValueType::vaBinary: pos_ += ReadCount(1); return;
        case ValueType::vaSet:
            while (!ReadStr().empty()) {}
            return;
        case ValueType::vaCollection:
            while (NextValue() != ValueType::vaNull) {
                if (IsIntegerTag(NextValue())) ReadInteger();
                CheckValue(ValueType::vaList);
                while (NextValue() != ValueType::vaNull) {
                    ReadStr();
                    SkipValue(depth + 1);
                }
                ReadValue();
            }
            ReadValue();
            return;
        default:  // the tags without data
            return;
    }
}

void ComponentReader::Enter(int depth) const {
    if (depth > MaxDepth) BadFormat();
}

RecordHeader ComponentReader::ReadHeader() {
    RecordHeader h;
    if ((static_cast<uint8_t>(NextValue()) & 0xF0) == 0xF0) {
        h.Flags = ReadByte() & 0x0F;
        if (h.Flags & ffChildPos) {
            const int64_t pos = ReadInteger();
            if (pos < INT32_MIN || pos > INT32_MAX) BadFormat();
            h.ChildPos = static_cast<int32_t>(pos);
        }
    }
    h.ClassName = ReadStr();
    h.Name = ReadStr();
    return h;
}

namespace {
void SkipSignature(std::span<const uint8_t> data, size_t& pos) {
    if (data.size() - pos >= FilerSignature.size() &&
        std::memcmp(data.data() + pos, FilerSignature.data(), FilerSignature.size()) == 0) {
        pos += FilerSignature.size();
    }
}
}  // namespace

std::unique_ptr<Object> ComponentReader::ReadComponent() {
    SkipSignature(data_, pos_);
    const size_t start = pos_;
    const RecordHeader h = ReadHeader();
    std::unique_ptr<Object> instance = FindClass(h.ClassName).Create();
    pos_ = start;
    ReadComponent(*instance);
    return instance;
}

void ComponentReader::ReadComponent(Object& instance) {
    SkipSignature(data_, pos_);
    const RecordHeader h = ReadHeader();
    Object* savedRoot = methodRoot_;
    if (!methodRoot_) methodRoot_ = &instance;
    loaded_.clear();
    try {
        ReadBody(instance, h.Name, 0);
    } catch (...) {
        methodRoot_ = savedRoot;
        throw;
    }
    methodRoot_ = savedRoot;
    std::vector<Component*> loaded = std::move(loaded_);
    loaded_.clear();
    for (Component* c : loaded) c->Loaded();
}

void ComponentReader::ReadBody(Object& instance, const std::string& name, int depth) {
    Enter(depth);
    Component* component = dynamic_cast<Component*>(&instance);
    if (component) component->Name = name;
    while (NextValue() != ValueType::vaNull) ReadProperty(instance, name, depth);
    ReadValue();
    while (NextValue() != ValueType::vaNull) {
        const RecordHeader h = ReadHeader();
        if (!component) BadFormat();
        std::unique_ptr<Object> made = FindClass(h.ClassName).Create();
        Component* child = dynamic_cast<Component*>(made.get());
        if (!child) BadFormat();
        made.release();
        Component& inserted = component->InsertComponent(std::unique_ptr<Component>(child));
        ReadBody(inserted, h.Name, depth + 1);
    }
    ReadValue();
    if (component) loaded_.push_back(component);
}

void ComponentReader::ReadProperty(Object& instance, const std::string& name, int depth) {
    const std::string path = ReadStr();
    try {
        // "Font.Height": the leading names walk through the objects that properties hold.
        Object* target = &instance;
        std::string_view rest = path;
        for (;;) {
            const auto dot = rest.find('.');
            const std::string_view part = rest.substr(0, dot);
            const PropInfo* prop = target->ClassInfo().FindProperty(part);
            if (!prop) throw EReadError(Fill(texts::SUnknownProperty, part));
            if (dot == std::string_view::npos) {
                ReadPropValue(*target, *prop, depth);
                return;
            }
            Object* held = prop->Kind == PropKind::Class ? prop->GetObject(*target) : nullptr;
            if (!held) throw EReadError(Fill(texts::SUnknownProperty, rest.substr(dot + 1)));
            target = held;
            rest = rest.substr(dot + 1);
        }
    } catch (const EReadError& e) {
        std::string message = "Error reading ";
        message += name;
        if (!name.empty()) message += '.';
        message += path;
        message += ": ";
        message += e.message();
        throw EReadError(message);
    } catch (const EPropertyError& e) {
        throw EReadError("Error reading " + name + (name.empty() ? "" : ".") + path + ": " + e.message());
    }
}

void ComponentReader::ReadPropValue(Object& instance, const PropInfo& prop, int depth) {
    if (!prop.IsWritable() && prop.Kind != PropKind::Class) BadValue();
    switch (prop.Kind) {
        case PropKind::Integer:
        case PropKind::Int64: {
            if (!IsIntegerTag(NextValue())) BadValue();
            const int64_t v = ReadInteger();
            if (!FitsOrdinal(v, prop.OrdSize)) BadValue();
            SetOrdProp(instance, prop, v);
            return;
        }
        case PropKind::Char: {
            if (IsIntegerTag(NextValue())) {
                const int64_t v = ReadInteger();
                if (v < 0 || v > 255) BadValue();
                SetOrdProp(instance, prop, v);
                return;
            }
            const std::string s = ReadString();
            if (s.size() != 1) BadValue();
            SetOrdProp(instance, prop, static_cast<uint8_t>(s[0]));
            return;
        }
        case PropKind::Enumeration:
        case PropKind::Boolean: {
            const ValueType t = NextValue();
            if (t != ValueType::vaIdent && !(prop.Kind == PropKind::Boolean &&
                                             (t == ValueType::vaFalse || t == ValueType::vaTrue))) {
                BadValue();
            }
            const int64_t v = prop.Enum->Value(ReadIdent());
            if (v < 0) BadValue();
            SetOrdProp(instance, prop, v);
            return;
        }
        case PropKind::Set: {
            if (ReadValue() != ValueType::vaSet) BadValue();
            uint64_t bits = 0;
            for (std::string item = ReadStr(); !item.empty(); item = ReadStr()) {
                const int64_t v = prop.Enum->Value(item);
                if (v < 0 || v >= prop.OrdSize * 8) BadValue();
                bits |= uint64_t{1} << v;
            }
            SetOrdProp(instance, prop, static_cast<int64_t>(bits));
            return;
        }
        case PropKind::Float:
            SetFloatProp(instance, prop, ReadFloat());
            return;
        case PropKind::String:
            SetStrProp(instance, prop, ReadString());
            return;
        case PropKind::Method: {
            const ValueType t = ReadValue();
            if (t == ValueType::vaNil) {
                ClearEvent(instance, prop);
                return;
            }
            if (t != ValueType::vaIdent) BadValue();
            const std::string methodName = ReadStr();
            const MethodInfo* method = methodRoot_ ? methodRoot_->ClassInfo().FindMethod(methodName) : nullptr;
            if (!method || !BindEvent(instance, prop, *methodRoot_, *method)) BadValue();
            return;
        }
        case PropKind::Class: {
            const ValueType t = NextValue();
            if (t == ValueType::vaCollection) {
                ReadCollection(instance, prop, depth);
                return;
            }
            if (t == ValueType::vaNil && prop.SetObject) {
                ReadValue();
                SetObjectProp(instance, prop, nullptr);
                return;
            }
            BadValue();
        }
    }
    BadValue();
}

void ComponentReader::ReadCollection(Object& instance, const PropInfo& prop, int depth) {
    Enter(depth + 1);
    Object* held = prop.GetObject(instance);
    Collection* collection = held && held->InheritsFrom<Collection>() ? static_cast<Collection*>(held) : nullptr;
    if (!collection) BadValue();
    if (const TypeInfo* item = prop.CollectionItemClass()) collection->SetItemClass(*item);
    if (!collection->ItemClass()) BadValue();
    ReadValue();  // vaCollection
    collection->Clear();
    while (NextValue() != ValueType::vaNull) {
        if (IsIntegerTag(NextValue())) ReadInteger();  // the item's index: not needed
        CheckValue(ValueType::vaList);
        Object& item = collection->Add();
        while (NextValue() != ValueType::vaNull) ReadProperty(item, prop.Name, depth + 1);
        ReadValue();
    }
    ReadValue();
}

// ---------------------------------------------------------------------------------------------
// Writer

template <class T> void ComponentWriter::WriteLE(T value) {
    const auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ComponentWriter::WriteSignature() { WriteBytes(FilerSignature.data(), FilerSignature.size()); }

void ComponentWriter::WriteBytes(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
}

void ComponentWriter::WriteStr(std::string_view s) {
    if (s.size() > 255) throw EWriteError(texts::SWriteError);
    WriteByte(static_cast<uint8_t>(s.size()));
    WriteBytes(s.data(), s.size());
}

void ComponentWriter::WriteInteger(int64_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) {
        WriteValue(ValueType::vaInt8);
        WriteLE(static_cast<int8_t>(value));
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        WriteValue(ValueType::vaInt16);
        WriteLE(static_cast<int16_t>(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(ValueType::vaInt32);
        WriteLE(static_cast<int32_t>(value));
    } else {
        WriteInt64(value);
    }
}

void ComponentWriter::WriteInt64(int64_t value) {
    WriteValue(ValueType::vaInt64);
    WriteLE(value);
}

void ComponentWriter::WriteFloat(double value) {
    WriteValue(ValueType::vaExtended);
    const Extended e = DoubleToExtended(value);
    WriteBytes(e.data(), e.size());
}

void ComponentWriter::WriteDouble(double value) {
    WriteValue(ValueType::vaDouble);
    WriteLE(std::bit_cast<uint64_t>(value));
}

void ComponentWriter::WriteSingle(float value) {
    WriteValue(ValueType::vaSingle);
    WriteLE(std::bit_cast<uint32_t>(value));
}

void ComponentWriter::WriteCurrency(int64_t scaled) {
    WriteValue(ValueType::vaCurrency);
    WriteLE(scaled);
}

void ComponentWriter::WriteDate(double value) {
    WriteValue(ValueType::vaDate);
    WriteLE(std::bit_cast<uint64_t>(value));
}

void ComponentWriter::WriteString(std::string_view value) {
    if (value.size() <= 255) {
        WriteValue(ValueType::vaString);
        WriteStr(value);
    } else {
        WriteValue(ValueType::vaLString);
        WriteLE(static_cast<int32_t>(value.size()));
        WriteBytes(value.data(), value.size());
    }
}

void ComponentWriter::WriteUtf8String(std::string_view utf8) {
    WriteValue(ValueType::vaUTF8String);
    WriteLE(static_cast<int32_t>(utf8.size()));
    WriteBytes(utf8.data(), utf8.size());
}

void ComponentWriter::WriteWideString(std::u16string_view value) {
    WriteValue(ValueType::vaWString);
    WriteLE(static_cast<int32_t>(value.size()));
    for (char16_t c : value) WriteLE(static_cast<uint16_t>(c));
}

void ComponentWriter::WriteIdent(std::string_view ident) {
    if (SameName(ident, "False")) return WriteValue(ValueType::vaFalse);
    if (SameName(ident, "True")) return WriteValue(ValueType::vaTrue);
    if (SameName(ident, "Null")) return WriteValue(ValueType::vaNull);
    if (SameName(ident, "nil")) return WriteValue(ValueType::vaNil);
    WriteValue(ValueType::vaIdent);
    WriteStr(ident);
}

void ComponentWriter::WriteSet(const std::vector<std::string>& elements) {
    WriteValue(ValueType::vaSet);
    for (const std::string& e : elements) WriteStr(e);
    WriteStr({});
}

void ComponentWriter::WriteBinary(std::span<const uint8_t> data) {
    WriteValue(ValueType::vaBinary);
    WriteLE(static_cast<int32_t>(data.size()));
    WriteBytes(data.data(), data.size());
}

void ComponentWriter::WriteHeader(const RecordHeader& h) {
    if (h.Flags) {
        WriteByte(static_cast<uint8_t>(0xF0 | (h.Flags & 0x0F)));
        if (h.Flags & ffChildPos) WriteInteger(h.ChildPos);
    }
    WriteStr(h.ClassName);
    WriteStr(h.Name);
}

void ComponentWriter::WriteComponent(const Object& instance, uint8_t flags, int32_t childPos) {
    const auto* component = dynamic_cast<const Component*>(&instance);
    WriteHeader({flags, childPos, instance.ClassName(), component ? component->Name : std::string()});
    WriteProperties(instance);
    WriteListEnd();
    if (component) {
        for (int i = 0; i < component->ComponentCount(); ++i) WriteComponent(component->Components(i));
    }
    WriteListEnd();
}

void ComponentWriter::WriteProperties(const Object& instance, const std::string& prefix) {
    const TypeInfo& info = instance.ClassInfo();
    std::unique_ptr<Object> fresh = info.CanCreate() ? info.Create() : nullptr;
    WriteProperties(instance, prefix, fresh.get());
}

void ComponentWriter::WriteProperties(const Object& instance, const std::string& prefix, const Object* defaults) {
    for (const PropInfo* p : instance.ClassInfo().Properties()) {
        if (p->Stored) WriteProperty(instance, *p, prefix, defaults);
    }
}

// The class library leaves out zero floats, empty strings and zero int64 values. Where the
// class's constructor gives such a property another value, leaving it out would not read back
// what was written, so it is written then (the fresh instance in defaults tells).
void ComponentWriter::WriteProperty(const Object& instance, const PropInfo& prop, const std::string& prefix,
                                    const Object* defaults) {
    const std::string name = prefix + prop.Name;
    switch (prop.Kind) {
        case PropKind::Integer:
        case PropKind::Int64:
        case PropKind::Char:
        case PropKind::Enumeration:
        case PropKind::Boolean:
        case PropKind::Set: {
            const int64_t v = GetOrdProp(instance, prop);
            if (prop.HasDefault ? v == prop.Default
                                : (prop.Kind == PropKind::Int64 && v == 0 && (!defaults || GetOrdProp(*defaults, prop) == 0))) {
                return;
            }
            WriteStr(name);
            if (prop.Kind == PropKind::Char) {
                const char c = static_cast<char>(v);
                WriteValue(ValueType::vaString);
                WriteStr(std::string_view(&c, 1));
            } else if (prop.Kind == PropKind::Enumeration || prop.Kind == PropKind::Boolean) {
                WriteIdent(prop.Enum->ValueName(v));
            } else if (prop.Kind == PropKind::Set) {
                std::vector<std::string> names;
                for (int i = 0; i < prop.Enum->Count() && i < 64; ++i) {
                    if ((static_cast<uint64_t>(v) >> i) & 1) names.push_back(prop.Enum->ValueName(i));
                }
                WriteSet(names);
            } else {
                WriteInteger(v);
            }
            return;
        }
        case PropKind::Float: {
            const double v = GetFloatProp(instance, prop);
            if (v == 0 && !std::signbit(v) && (!defaults || GetFloatProp(*defaults, prop) == 0)) return;
            WriteStr(name);
            if (prop.OrdSize == 4) WriteSingle(static_cast<float>(v));
            else WriteFloat(v);
            return;
        }
        case PropKind::String: {
            const std::string v = GetStrProp(instance, prop);
            if (v.empty() && (!defaults || GetStrProp(*defaults, prop).empty())) return;
            WriteStr(name);
            WriteString(v);
            return;
        }
        case PropKind::Method:
            return;
        case PropKind::Class: {
            const Object* held = GetObjectProp(instance, prop);
            if (!held) return;
            if (held->InheritsFrom<Collection>()) {
                const auto& c = static_cast<const Collection&>(*held);
                if (c.Count() == 0) return;
                WriteStr(name);
                WriteValue(ValueType::vaCollection);
                for (int i = 0; i < c.Count(); ++i) {
                    WriteListBegin();
                    WriteProperties(c.Items(i));
                    WriteListEnd();
                }
                WriteListEnd();
            } else if (!held->InheritsFrom<Component>()) {
                const Object* heldDefaults = defaults ? GetObjectProp(*defaults, prop) : nullptr;
                WriteProperties(*held, name + ".", heldDefaults);
            }
            return;
        }
    }
}

}  // namespace rtl
