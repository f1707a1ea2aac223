#include "rtl/TypeInfo.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

#include "rtl/Text.h"

namespace rtl {

// ---------------------------------------------------------------------------------------------
// Names

std::string FoldName(std::string_view name) { return UpperCase(name); }

bool SameName(std::string_view a, std::string_view b) { return SameText(a, b); }

const char* PropKindName(PropKind kind) {
    switch (kind) {
        case PropKind::Integer: return "Integer";
        case PropKind::Int64: return "Int64";
        case PropKind::Char: return "Char";
        case PropKind::Enumeration: return "Enumeration";
        case PropKind::Boolean: return "Boolean";
        case PropKind::Set: return "Set";
        case PropKind::Float: return "Float";
        case PropKind::String: return "String";
        case PropKind::Class: return "Class";
        case PropKind::Method: return "Method";
    }
    return "Unknown";
}

// ---------------------------------------------------------------------------------------------
// Enumerations

EnumType::EnumType(std::string name, std::initializer_list<const char*> names)
    : name_(std::move(name)) {
    for (const char* n : names) names_.emplace_back(n);
}

const std::string& EnumType::ValueName(int64_t value) const {
    static const std::string empty;
    if (value < 0 || value >= Count()) return empty;
    return names_[static_cast<size_t>(value)];
}

int64_t EnumType::Value(std::string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (SameName(names_[i], name)) return static_cast<int64_t>(i);
    }
    return -1;
}

const EnumType& EnumType::Boolean() {
    static const EnumType type("Boolean", {"False", "True"});
    return type;
}

bool PropInfo::IsOrdinal() const {
    switch (Kind) {
        case PropKind::Integer:
        case PropKind::Int64:
        case PropKind::Char:
        case PropKind::Enumeration:
        case PropKind::Boolean:
        case PropKind::Set:
            return true;
        default:
            return false;
    }
}

bool PropInfo::IsWritable() const {
    switch (Kind) {
        case PropKind::Float: return static_cast<bool>(SetFloat);
        case PropKind::String: return static_cast<bool>(SetStr);
        case PropKind::Class: return static_cast<bool>(SetObject);
        case PropKind::Method: return static_cast<bool>(SetEvent);
        default: return static_cast<bool>(SetOrd);
    }
}

// ---------------------------------------------------------------------------------------------
// Classes

TypeInfo::TypeInfo(std::string name, const TypeInfo* parent)
    : name_(std::move(name)), parent_(parent) {}

bool TypeInfo::InheritsFrom(const TypeInfo& other) const {
    for (const TypeInfo* c = this; c; c = c->parent_) {
        if (c == &other) return true;
    }
    return false;
}

PropInfo& TypeInfo::AddProperty(PropInfo prop) {
    own_.push_back(std::make_unique<PropInfo>(std::move(prop)));
    return *own_.back();
}

void TypeInfo::AddMethod(MethodInfo method) {
    ownMethods_.push_back(std::make_unique<MethodInfo>(std::move(method)));
}

// Flattens the parent's lists with this class's own. A name published again by an heir
// (the class library's re-publication) keeps the parent's place and takes the heir's access.
void TypeInfo::Finish() {
    if (parent_) {
        all_ = parent_->all_;
        methods_ = parent_->methods_;
        propIndex_ = parent_->propIndex_;
        methodIndex_ = parent_->methodIndex_;
    }
    for (const auto& p : own_) {
        std::string key = FoldName(p->Name);
        auto it = propIndex_.find(key);
        if (it != propIndex_.end()) {
            for (auto& slot : all_) {
                if (slot == it->second) slot = p.get();
            }
            it->second = p.get();
        } else {
            propIndex_.emplace(std::move(key), p.get());
            all_.push_back(p.get());
        }
    }
    for (const auto& m : ownMethods_) {
        std::string key = FoldName(m->Name);
        auto it = methodIndex_.find(key);
        if (it != methodIndex_.end()) {
            for (auto& slot : methods_) {
                if (slot == it->second) slot = m.get();
            }
            it->second = m.get();
        } else {
            methodIndex_.emplace(std::move(key), m.get());
            methods_.push_back(m.get());
        }
    }
}

const PropInfo* TypeInfo::FindProperty(std::string_view name) const {
    auto it = propIndex_.find(FoldName(name));
    return it == propIndex_.end() ? nullptr : it->second;
}

const MethodInfo* TypeInfo::FindMethod(std::string_view name) const {
    auto it = methodIndex_.find(FoldName(name));
    return it == methodIndex_.end() ? nullptr : it->second;
}

std::unique_ptr<Object> TypeInfo::Create() const {
    if (!factory_) throw EInvalidOperation("Cannot create an instance of abstract class " + name_);
    return factory_();
}

// ---------------------------------------------------------------------------------------------
// The registry

namespace {
struct Registry {
    std::mutex lock;
    std::map<std::string, const TypeInfo*> classes;  // by folded name
};
Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::string Substitute(const char* text, std::string_view value) {
    std::string out(text);
    auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}
}  // namespace

void RegisterClassInfo(const TypeInfo& info) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto [it, added] = r.classes.emplace(FoldName(info.Name()), &info);
    if (!added && it->second != &info) {
        throw EFilerError(Substitute("A class named %s already exists", info.Name()));
    }
}

void detail_FinishClass(TypeInfo& info) {
    info.Finish();
    RegisterClassInfo(info);
}

const TypeInfo* GetClass(std::string_view name) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.classes.find(FoldName(name));
    return it == r.classes.end() ? nullptr : it->second;
}

const TypeInfo& FindClass(std::string_view name) {
    const TypeInfo* info = GetClass(name);
    if (!info) throw EClassNotFound(Substitute(texts::SClassNotFound, name));
    return *info;
}

std::unique_ptr<Object> CreateObject(std::string_view className) {
    return FindClass(className).Create();
}

const TypeInfo& Object::StaticClassInfo() {
    static const TypeInfo& info = [] () -> const TypeInfo& {
        static TypeInfo root("TObject", nullptr);
        detail_FinishClass(root);
        return root;
    }();
    return info;
}

namespace detail {
void RaiseInvalidCast() { throw EInvalidCast("Invalid class typecast"); }
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// Access

namespace {

const PropInfo& Require(const Object& instance, std::string_view name) {
    const PropInfo* p = instance.ClassInfo().FindProperty(name);
    if (!p) throw EPropertyError(Substitute(texts::SUnknownProperty, name));
    return *p;
}

// The property must belong to the instance's class, and be of an accepted kind.
void Check(const Object& instance, const PropInfo& prop, bool kindOk) {
    if (!prop.Owner || !instance.InheritsFrom(*prop.Owner)) {
        throw EPropertyError(Substitute(texts::SUnknownProperty, prop.Name));
    }
    if (!kindOk) throw EPropertyError(Substitute(texts::SInvalidPropertyType, PropKindName(prop.Kind)));
}

[[noreturn]] void ReadOnly(const PropInfo& prop) {
    throw EPropertyError("Property " + prop.Name + " is read-only");
}

[[noreturn]] void InvalidValue() { throw EPropertyError(texts::SInvalidPropertyValue); }

// Keeps the low size bytes of value, sign- or zero-extended as the property reads them.
int64_t Narrow(int64_t value, unsigned size, bool isSigned) {
    if (size >= 8) return value;
    const unsigned bits = size * 8;
    const uint64_t mask = (uint64_t{1} << bits) - 1;
    uint64_t low = static_cast<uint64_t>(value) & mask;
    if (isSigned && (low >> (bits - 1)) != 0) low |= ~mask;
    return static_cast<int64_t>(low);
}

bool IsEnumLike(const PropInfo& p) {
    return p.Kind == PropKind::Enumeration || p.Kind == PropKind::Boolean;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int64_t ParseInteger(std::string_view text) {
    std::string t(Trim(text));
    if (t.empty()) throw EConvertError(Substitute(texts::SInvalidInteger, text));
    errno = 0;
    char* end = nullptr;
    long long v;
    if (t[0] == '$') {
        v = static_cast<long long>(std::strtoull(t.c_str() + 1, &end, 16));
        if (t.size() == 1) end = t.data();
    } else {
        v = std::strtoll(t.c_str(), &end, 10);
    }
    if (errno != 0 || end != t.c_str() + t.size()) {
        throw EConvertError(Substitute(texts::SInvalidInteger, text));
    }
    return v;
}

double ParseFloat(std::string_view text) {
    std::string t(Trim(text));
    char* end = nullptr;
    double v = t.empty() ? 0.0 : std::strtod(t.c_str(), &end);
    if (t.empty() || end != t.c_str() + t.size()) {
        throw EConvertError(Substitute(texts::SInvalidFloat, text));
    }
    return v;
}

}  // namespace

const PropInfo* GetPropInfo(const TypeInfo& info, std::string_view name) { return info.FindProperty(name); }
const PropInfo* GetPropInfo(const Object& instance, std::string_view name) {
    return instance.ClassInfo().FindProperty(name);
}
std::span<const PropInfo* const> GetPropList(const TypeInfo& info) { return info.Properties(); }
std::span<const PropInfo* const> GetPropList(const Object& instance) {
    return instance.ClassInfo().Properties();
}

int64_t GetOrdProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, prop.IsOrdinal());
    return prop.GetOrd(instance);
}

void SetOrdProp(Object& instance, const PropInfo& prop, int64_t value) {
    Check(instance, prop, prop.IsOrdinal());
    if (!prop.SetOrd) ReadOnly(prop);
    if (prop.Kind == PropKind::Boolean) {
        value = value != 0;
    } else if (prop.Kind == PropKind::Enumeration) {
        if (value < 0 || value >= prop.Enum->Count()) throw ERangeError(texts::SRangeError);
    } else {
        value = Narrow(value, prop.OrdSize, prop.Signed);
    }
    prop.SetOrd(instance, value);
}

int64_t GetOrdProp(const Object& instance, std::string_view name) {
    return GetOrdProp(instance, Require(instance, name));
}
void SetOrdProp(Object& instance, std::string_view name, int64_t value) {
    SetOrdProp(instance, Require(instance, name), value);
}

std::string GetEnumProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, IsEnumLike(prop));
    return prop.Enum->ValueName(prop.GetOrd(instance));
}

void SetEnumProp(Object& instance, const PropInfo& prop, std::string_view valueName) {
    Check(instance, prop, IsEnumLike(prop));
    int64_t v = prop.Enum->Value(valueName);
    if (v < 0) InvalidValue();
    SetOrdProp(instance, prop, v);
}

std::string GetEnumProp(const Object& instance, std::string_view name) {
    return GetEnumProp(instance, Require(instance, name));
}
void SetEnumProp(Object& instance, std::string_view name, std::string_view valueName) {
    SetEnumProp(instance, Require(instance, name), valueName);
}

std::string GetSetProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, prop.Kind == PropKind::Set);
    const uint64_t bits = static_cast<uint64_t>(prop.GetOrd(instance));
    std::string out;
    for (int i = 0; i < prop.Enum->Count() && i < 64; ++i) {
        if ((bits >> i) & 1) {
            if (!out.empty()) out += ',';
            out += prop.Enum->ValueName(i);
        }
    }
    return out;
}

void SetSetProp(Object& instance, const PropInfo& prop, std::string_view elements) {
    Check(instance, prop, prop.Kind == PropKind::Set);
    std::string_view rest = Trim(elements);
    if (!rest.empty() && rest.front() == '[') {
        if (rest.back() != ']') InvalidValue();
        rest = rest.substr(1, rest.size() - 2);
    }
    uint64_t bits = 0;
    while (!Trim(rest).empty()) {
        auto comma = rest.find(',');
        std::string_view item = Trim(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        int64_t v = prop.Enum->Value(item);
        if (v < 0 || v >= prop.OrdSize * 8) InvalidValue();
        bits |= uint64_t{1} << v;
    }
    SetOrdProp(instance, prop, static_cast<int64_t>(bits));
}

double GetFloatProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, prop.Kind == PropKind::Float);
    return prop.GetFloat(instance);
}

void SetFloatProp(Object& instance, const PropInfo& prop, double value) {
    Check(instance, prop, prop.Kind == PropKind::Float);
    if (!prop.SetFloat) ReadOnly(prop);
    prop.SetFloat(instance, value);
}

double GetFloatProp(const Object& instance, std::string_view name) {
    return GetFloatProp(instance, Require(instance, name));
}
void SetFloatProp(Object& instance, std::string_view name, double value) {
    SetFloatProp(instance, Require(instance, name), value);
}

std::string GetStrProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, prop.Kind == PropKind::String);
    return prop.GetStr(instance);
}

void SetStrProp(Object& instance, const PropInfo& prop, const std::string& value) {
    Check(instance, prop, prop.Kind == PropKind::String);
    if (!prop.SetStr) ReadOnly(prop);
    prop.SetStr(instance, value);
}

std::string GetStrProp(const Object& instance, std::string_view name) {
    return GetStrProp(instance, Require(instance, name));
}
void SetStrProp(Object& instance, std::string_view name, const std::string& value) {
    SetStrProp(instance, Require(instance, name), value);
}

Object* GetObjectProp(const Object& instance, const PropInfo& prop) {
    Check(instance, prop, prop.Kind == PropKind::Class);
    return prop.GetObject(instance);
}

void SetObjectProp(Object& instance, const PropInfo& prop, Object* value) {
    Check(instance, prop, prop.Kind == PropKind::Class);
    if (!prop.SetObject) ReadOnly(prop);
    prop.SetObject(instance, value);
}

PropValue GetPropValue(const Object& instance, const PropInfo& prop) {
    switch (prop.Kind) {
        case PropKind::Float: return GetFloatProp(instance, prop);
        case PropKind::String: return GetStrProp(instance, prop);
        case PropKind::Class: return GetObjectProp(instance, prop);
        case PropKind::Method: Check(instance, prop, true); return std::monostate{};
        default: return GetOrdProp(instance, prop);
    }
}

void SetPropValue(Object& instance, const PropInfo& prop, const PropValue& value) {
    if (prop.IsOrdinal()) {
        if (const auto* i = std::get_if<int64_t>(&value)) return SetOrdProp(instance, prop, *i);
        if (const auto* d = std::get_if<double>(&value)) {
            if (!std::isfinite(*d) || std::fabs(*d) >= 9.2e18) InvalidValue();
            return SetOrdProp(instance, prop, static_cast<int64_t>(std::nearbyint(*d)));
        }
        if (const auto* s = std::get_if<std::string>(&value)) {
            if (IsEnumLike(prop)) return SetEnumProp(instance, prop, *s);
            if (prop.Kind == PropKind::Set) return SetSetProp(instance, prop, *s);
            if (prop.Kind == PropKind::Char && s->size() == 1) {
                return SetOrdProp(instance, prop, static_cast<uint8_t>((*s)[0]));
            }
            return SetOrdProp(instance, prop, ParseInteger(*s));
        }
        InvalidValue();
    }
    switch (prop.Kind) {
        case PropKind::Float:
            if (const auto* d = std::get_if<double>(&value)) return SetFloatProp(instance, prop, *d);
            if (const auto* i = std::get_if<int64_t>(&value)) {
                return SetFloatProp(instance, prop, static_cast<double>(*i));
            }
            if (const auto* s = std::get_if<std::string>(&value)) {
                return SetFloatProp(instance, prop, ParseFloat(*s));
            }
            break;
        case PropKind::String:
            if (const auto* s = std::get_if<std::string>(&value)) return SetStrProp(instance, prop, *s);
            if (const auto* i = std::get_if<int64_t>(&value)) {
                return SetStrProp(instance, prop, std::to_string(*i));
            }
            break;
        case PropKind::Class:
            if (const auto* o = std::get_if<Object*>(&value)) return SetObjectProp(instance, prop, *o);
            break;
        default:
            break;
    }
    Check(instance, prop, true);
    InvalidValue();
}

// ---------------------------------------------------------------------------------------------
// Events

bool BindEvent(Object& target, const PropInfo& event, Object& component, const MethodInfo& method) {
    if (event.Kind != PropKind::Method || !event.SetEvent) return false;
    if (!event.Owner || !target.InheritsFrom(*event.Owner)) return false;
    if (!method.Owner || !component.InheritsFrom(*method.Owner)) return false;
    if (method.Signature != event.EventType) return false;
    return event.SetEvent(target, method.MakeHandler(component));
}

bool BindEvent(Object& component, Object& target, std::string_view methodName,
               std::string_view eventName) {
    const MethodInfo* method = component.ClassInfo().FindMethod(methodName);
    const PropInfo* event = target.ClassInfo().FindProperty(eventName);
    if (!method || !event) return false;
    return BindEvent(target, *event, component, *method);
}

void ClearEvent(Object& target, const PropInfo& event) {
    Check(target, event, event.Kind == PropKind::Method);
    event.ClearEvent(target);
}

bool IsEventAssigned(const Object& target, const PropInfo& event) {
    Check(target, event, event.Kind == PropKind::Method);
    return event.EventAssigned(target);
}

}  // namespace rtl
