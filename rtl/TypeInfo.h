// Run-time type information: what a class publishes, found by name.
//
// Every class that takes part in streaming, scripting or name-bound events derives from
// rtl::Object and declares itself with RTL_CLASS, then describes its published section in a
// static DescribeClass next to its definition:
//
//   class TOneSlide : public rtl::Component {
//       RTL_CLASS(TOneSlide, rtl::Component)
//   public:
//       int32_t IDName = 1;
//       std::string IDSlide = "No";
//       TStyleAniSprite StyleAniSprite = TStyleAniSprite::swNo;
//       static void DescribeClass(rtl::ClassBuilder<TOneSlide>& c) {
//           c.Property("IDName", &TOneSlide::IDName)
//            .Property("IDSlide", &TOneSlide::IDSlide)
//            .Enum("StyleAniSprite", &TOneSlide::StyleAniSprite, StyleAniSpriteType);
//       }
//   };
//   RTL_REGISTER_CLASS(TOneSlide);   // in the .cpp: makes the class known to FindClass
//
// A class is described once, on first use of its StaticClassInfo(); RTL_REGISTER_CLASS (or
// rtl::RegisterClass<T>()) forces that at start-up so the factory finds it by name.
// Properties list inherited ones first, each class in declaration order. Every lookup of a
// class, property or method name ignores case (the one case fold of rtl).
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "rtl/Exceptions.h"

namespace rtl {

class Object;
class TypeInfo;
template <class T> class ClassBuilder;

// ---------------------------------------------------------------------------------------------
// Names

// The fold every name lookup goes through; equal folds mean equal names.
std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------------------------
// Property kinds and descriptions

enum class PropKind : uint8_t {
    Integer,      // signed or unsigned, 1, 2 or 4 bytes
    Int64,        // 8 bytes
    Char,         // one 8-bit character
    Enumeration,  // value names in EnumType
    Boolean,      // an enumeration of False, True
    Set,          // bit i = element i of EnumType
    Float,        // 4 (single) or 8 (double) bytes
    String,
    Class,        // an object held by the property
    Method,       // an event: a typed std::function
};

const char* PropKindName(PropKind kind);

// An enumeration's value names, in ordinal order. Declare one per enumeration, next to it.
class EnumType {
public:
    EnumType(std::string name, std::initializer_list<const char*> names);

    const std::string& Name() const { return name_; }
    int Count() const { return static_cast<int>(names_.size()); }
    // The name of value (empty when outside the type).
    const std::string& ValueName(int64_t value) const;
    // The value of a name, ignoring case; -1 when the type has no such name.
    int64_t Value(std::string_view name) const;

    static const EnumType& Boolean();  // False, True

private:
    std::string name_;
    std::vector<std::string> names_;
};

// A published method: a handler that binds to an event of the same signature.
struct MethodInfo {
    std::string Name;
    const TypeInfo* Owner = nullptr;          // the class that declares the method
    std::type_index Signature{typeid(void)};  // typeid of the std::function<Sig> it makes
    // Answers a std::function<Sig> bound to self (an instance of the declaring class).
    std::function<std::any(Object& self)> MakeHandler;
};

struct PropInfo {
    std::string Name;
    PropKind Kind = PropKind::Integer;
    uint8_t OrdSize = 4;       // bytes of an ordinal or float value
    bool Signed = true;        // ordinal values: signed or unsigned
    const EnumType* Enum = nullptr;     // enumerations, booleans and the elements of sets
    const TypeInfo* Owner = nullptr;    // the class that declares the property
    std::type_index EventType{typeid(void)};  // methods: typeid of the std::function<Sig>

    // Accessors on an instance of Owner (or an heir). An absent setter makes it read-only.
    std::function<int64_t(const Object&)> GetOrd;
    std::function<void(Object&, int64_t)> SetOrd;
    std::function<double(const Object&)> GetFloat;
    std::function<void(Object&, double)> SetFloat;
    std::function<std::string(const Object&)> GetStr;
    std::function<void(Object&, const std::string&)> SetStr;
    std::function<Object*(const Object&)> GetObject;
    std::function<void(Object&, Object*)> SetObject;
    std::function<bool(Object&, const std::any&)> SetEvent;  // false when the type differs
    std::function<void(Object&)> ClearEvent;
    std::function<bool(const Object&)> EventAssigned;

    // Class properties: the class of the object held; for collections, their item class.
    // Looked up lazily, so a class may hold objects of its own kind.
    const TypeInfo& (*PropClass)() = nullptr;
    const TypeInfo& (*ItemClass)() = nullptr;

    bool IsOrdinal() const;
    bool IsWritable() const;
    const TypeInfo* ObjectClass() const { return PropClass ? &PropClass() : nullptr; }
    const TypeInfo* CollectionItemClass() const { return ItemClass ? &ItemClass() : nullptr; }
};

// ---------------------------------------------------------------------------------------------
// Classes

class TypeInfo {
public:
    TypeInfo(std::string name, const TypeInfo* parent);
    TypeInfo(const TypeInfo&) = delete;
    TypeInfo& operator=(const TypeInfo&) = delete;

    const std::string& Name() const { return name_; }
    const TypeInfo* Parent() const { return parent_; }
    bool InheritsFrom(const TypeInfo& other) const;

    // Every published property, inherited ones first, each class in declaration order.
    std::span<const PropInfo* const> Properties() const { return all_; }
    const PropInfo* FindProperty(std::string_view name) const;
    // Published methods of this class and its parents (the nearest declaration wins).
    const MethodInfo* FindMethod(std::string_view name) const;
    std::span<const MethodInfo* const> Methods() const { return methods_; }

    // The factory: answers a new instance (default-constructed unless the class says
    // otherwise); a class without one (an abstract class) raises EInvalidOperation.
    bool CanCreate() const { return static_cast<bool>(factory_); }
    std::unique_ptr<Object> Create() const;

private:
    template <class T> friend class ClassBuilder;
    friend void detail_FinishClass(TypeInfo&);

    PropInfo& AddProperty(PropInfo prop);
    void AddMethod(MethodInfo method);
    void Finish();

    std::string name_;
    const TypeInfo* parent_;
    std::vector<std::unique_ptr<PropInfo>> own_;
    std::vector<std::unique_ptr<MethodInfo>> ownMethods_;
    std::vector<const PropInfo*> all_;
    std::vector<const MethodInfo*> methods_;
    std::unordered_map<std::string, const PropInfo*> propIndex_;
    std::unordered_map<std::string, const MethodInfo*> methodIndex_;
    std::function<std::unique_ptr<Object>()> factory_;
};

// The class registry (the class library's RegisterClass / GetClass / FindClass).
void RegisterClassInfo(const TypeInfo& info);   // EFilerError when another class has the name
const TypeInfo* GetClass(std::string_view name);  // nullptr when unknown
const TypeInfo& FindClass(std::string_view name);  // EClassNotFound "Class %s not found"
std::unique_ptr<Object> CreateObject(std::string_view className);  // via FindClass

// ---------------------------------------------------------------------------------------------
// The root class

class Object {
public:
    virtual ~Object() = default;

    static const TypeInfo& StaticClassInfo();
    virtual const TypeInfo& ClassInfo() const { return StaticClassInfo(); }
    const std::string& ClassName() const { return ClassInfo().Name(); }
    bool InheritsFrom(const TypeInfo& info) const { return ClassInfo().InheritsFrom(info); }
    template <class T> bool InheritsFrom() const { return InheritsFrom(T::StaticClassInfo()); }

    // Checked downcast: EInvalidCast "Invalid class typecast" when the object is no T.
    template <class T> T& As();
    template <class T> const T& As() const;

protected:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
};

template <class T> void RegisterClass() { (void)T::StaticClassInfo(); }

// ---------------------------------------------------------------------------------------------
// Access by name (the class library's GetOrdProp family). Lookups by name raise
// EPropertyError "Property %s does not exist" for an unknown name; accessing a property of the
// wrong kind raises EPropertyError "Invalid property type: %s"; writing a read-only property
// raises EPropertyError.

const PropInfo* GetPropInfo(const TypeInfo& info, std::string_view name);
const PropInfo* GetPropInfo(const Object& instance, std::string_view name);
std::span<const PropInfo* const> GetPropList(const TypeInfo& info);
std::span<const PropInfo* const> GetPropList(const Object& instance);

// Ordinal kinds (integer, int64, char, enumeration, boolean, set). SetOrdProp keeps the low
// OrdSize bytes of the value, as the class library does; an enumeration value outside its
// names raises ERangeError; a boolean takes value != 0.
int64_t GetOrdProp(const Object& instance, const PropInfo& prop);
void SetOrdProp(Object& instance, const PropInfo& prop, int64_t value);
int64_t GetOrdProp(const Object& instance, std::string_view name);
void SetOrdProp(Object& instance, std::string_view name, int64_t value);

// Enumerations and booleans by value name; an unknown name raises EPropertyError
// "Invalid property value".
std::string GetEnumProp(const Object& instance, const PropInfo& prop);
void SetEnumProp(Object& instance, const PropInfo& prop, std::string_view valueName);
std::string GetEnumProp(const Object& instance, std::string_view name);
void SetEnumProp(Object& instance, std::string_view name, std::string_view valueName);

// Sets as the text "a,b" (element names in ordinal order); SetSetProp accepts optional
// brackets and spaces.
std::string GetSetProp(const Object& instance, const PropInfo& prop);
void SetSetProp(Object& instance, const PropInfo& prop, std::string_view elements);

double GetFloatProp(const Object& instance, const PropInfo& prop);
void SetFloatProp(Object& instance, const PropInfo& prop, double value);
double GetFloatProp(const Object& instance, std::string_view name);
void SetFloatProp(Object& instance, std::string_view name, double value);

std::string GetStrProp(const Object& instance, const PropInfo& prop);
void SetStrProp(Object& instance, const PropInfo& prop, const std::string& value);
std::string GetStrProp(const Object& instance, std::string_view name);
void SetStrProp(Object& instance, std::string_view name, const std::string& value);

Object* GetObjectProp(const Object& instance, const PropInfo& prop);
void SetObjectProp(Object& instance, const PropInfo& prop, Object* value);

// A property's value in its natural type: ordinals as int64_t (enumerations too), floats as
// double, strings as std::string, class properties as Object*, events as monostate.
using PropValue = std::variant<std::monostate, int64_t, double, std::string, Object*>;
PropValue GetPropValue(const Object& instance, const PropInfo& prop);
// Converts where the meaning is plain: integer <-> float, names for enumerations and sets,
// decimal text for ordinals and floats. Anything else raises EPropertyError
// "Invalid property value" (EConvertError for text that is no number).
void SetPropValue(Object& instance, const PropInfo& prop, const PropValue& value);

// ---------------------------------------------------------------------------------------------
// Events

// Sets event to method bound to component. False (and the event left unset) when the
// signatures differ or the event is not a method property.
bool BindEvent(Object& target, const PropInfo& event, Object& component, const MethodInfo& method);
// By names: the published method methodName of component's class, the event property
// eventName of target's class. False, silently, when either is missing or they do not match.
bool BindEvent(Object& component, Object& target, std::string_view methodName,
               std::string_view eventName);
void ClearEvent(Object& target, const PropInfo& event);
bool IsEventAssigned(const Object& target, const PropInfo& event);

// ---------------------------------------------------------------------------------------------
// Declaring classes

// Place first in the class body; leaves the section public.
#define RTL_CLASS_NAMED(Type, ParentType, NameText)                                             \
public:                                                                                         \
    using Inherited = ParentType;                                                               \
    static const ::rtl::TypeInfo& StaticClassInfo() {                                           \
        static const ::rtl::TypeInfo& info = ::rtl::detail::BuildClass<Type, ParentType>(NameText); \
        return info;                                                                            \
    }                                                                                           \
    const ::rtl::TypeInfo& ClassInfo() const override { return StaticClassInfo(); }

#define RTL_CLASS(Type, ParentType) RTL_CLASS_NAMED(Type, ParentType, #Type)

#define RTL_DETAIL_CONCAT2(a, b) a##b
#define RTL_DETAIL_CONCAT(a, b) RTL_DETAIL_CONCAT2(a, b)
// At namespace scope in a .cpp: describes and registers the class during start-up.
#define RTL_REGISTER_CLASS(Type)                                                                \
    [[maybe_unused]] static const bool RTL_DETAIL_CONCAT(rtlRegistered_, __LINE__) =            \
        (::rtl::RegisterClass<Type>(), true)

void detail_FinishClass(TypeInfo& info);

namespace detail {

template <class T>
concept Describable = requires(ClassBuilder<T>& b) { T::DescribeClass(b); };

[[noreturn]] void RaiseInvalidCast();

// Value type of a data member or a const getter.
template <class T, class M> struct AccessedType;
template <class T, class V>
    requires(!std::is_function_v<V>)
struct AccessedType<T, V T::*> {
    using type = std::remove_cvref_t<V>;
};
template <class T, class M>
    requires std::is_member_function_pointer_v<M>
struct AccessedType<T, M> {
    using type = std::remove_cvref_t<std::invoke_result_t<M, const T&>>;
};

template <class T, class V, class G> std::function<V(const T&)> MakeGetter(G getter) {
    if constexpr (std::is_member_object_pointer_v<G>) {
        return [getter](const T& self) -> V { return static_cast<V>(self.*getter); };
    } else {
        return [getter](const T& self) -> V { return static_cast<V>((self.*getter)()); };
    }
}

template <class T, class V, class S> std::function<void(T&, V)> MakeSetter(S setter) {
    if constexpr (std::is_null_pointer_v<S>) {
        return {};
    } else if constexpr (std::is_member_object_pointer_v<S>) {
        using Field = std::remove_cvref_t<decltype(std::declval<T&>().*setter)>;
        return [setter](T& self, V v) { self.*setter = static_cast<Field>(v); };
    } else {
        return [setter](T& self, V v) { (self.*setter)(v); };
    }
}

template <class V> constexpr bool IsStdFunction = false;
template <class Sig> constexpr bool IsStdFunction<std::function<Sig>> = true;

template <class T, class P> const TypeInfo& BuildClass(const char* name);

}  // namespace detail

template <class T> class ClassBuilder {
public:
    explicit ClassBuilder(TypeInfo& info) : info_(info) {}

    // Integers (any width, signed or not), 64-bit integers, char, bool, floats and strings,
    // by data member, or by getter (data member or const method) and setter (data member,
    // method taking the value, or nullptr for read-only).
    template <class M> ClassBuilder& Property(std::string name, M member) {
        return Property(std::move(name), member, member);
    }
    template <class G, class S> ClassBuilder& Property(std::string name, G getter, S setter) {
        using V = typename detail::AccessedType<T, G>::type;
        static_assert(!std::is_enum_v<V>, "declare enumerations with Enum(), sets with Set()");
        static_assert(!detail::IsStdFunction<V>, "declare events with Event()");
        PropInfo p = Start(std::move(name));
        if constexpr (std::is_same_v<V, bool>) {
            p.Kind = PropKind::Boolean;
            p.OrdSize = 1;
            p.Signed = false;
            p.Enum = &EnumType::Boolean();
            Ordinal<bool>(p, getter, setter);
        } else if constexpr (std::is_same_v<V, char>) {
            p.Kind = PropKind::Char;
            p.OrdSize = 1;
            p.Signed = false;
            Ordinal<char>(p, getter, setter);
        } else if constexpr (std::is_integral_v<V>) {
            static_assert(sizeof(V) <= 8);
            p.Kind = sizeof(V) == 8 ? PropKind::Int64 : PropKind::Integer;
            p.OrdSize = sizeof(V);
            p.Signed = std::is_signed_v<V>;
            Ordinal<V>(p, getter, setter);
        } else if constexpr (std::is_floating_point_v<V>) {
            static_assert(sizeof(V) == 4 || sizeof(V) == 8);
            p.Kind = PropKind::Float;
            p.OrdSize = sizeof(V);
            auto get = detail::MakeGetter<T, V>(getter);
            auto set = detail::MakeSetter<T, V>(setter);
            p.GetFloat = [get](const Object& o) { return static_cast<double>(get(Self(o))); };
            if (set) p.SetFloat = [set](Object& o, double v) { set(Self(o), static_cast<V>(v)); };
        } else if constexpr (std::is_same_v<V, std::string>) {
            p.Kind = PropKind::String;
            p.OrdSize = 0;
            auto get = detail::MakeGetter<T, std::string>(getter);
            auto set = detail::MakeSetter<T, const std::string&>(setter);
            p.GetStr = [get](const Object& o) { return get(Self(o)); };
            if (set) p.SetStr = [set](Object& o, const std::string& v) { set(Self(o), v); };
        } else {
            static_assert(!std::is_same_v<V, V>, "unsupported published property type");
        }
        info_.AddProperty(std::move(p));
        return *this;
    }

    // An enumeration (a C++ enum whose values are 0..Count-1).
    template <class M> ClassBuilder& Enum(std::string name, M member, const EnumType& type) {
        return Enum(std::move(name), member, member, type);
    }
    template <class G, class S>
    ClassBuilder& Enum(std::string name, G getter, S setter, const EnumType& type) {
        using V = typename detail::AccessedType<T, G>::type;
        static_assert(std::is_enum_v<V> || std::is_integral_v<V>);
        PropInfo p = Start(std::move(name));
        p.Kind = PropKind::Enumeration;
        p.OrdSize = sizeof(V);
        p.Signed = false;
        p.Enum = &type;
        Ordinal<V>(p, getter, setter);
        info_.AddProperty(std::move(p));
        return *this;
    }

    // A set: an unsigned integer field whose bit i holds element i of elementType.
    template <class M> ClassBuilder& Set(std::string name, M member, const EnumType& elementType) {
        return Set(std::move(name), member, member, elementType);
    }
    template <class G, class S>
    ClassBuilder& Set(std::string name, G getter, S setter, const EnumType& elementType) {
        using V = typename detail::AccessedType<T, G>::type;
        static_assert(std::is_unsigned_v<V>, "a set is held in an unsigned integer");
        PropInfo p = Start(std::move(name));
        p.Kind = PropKind::Set;
        p.OrdSize = sizeof(V);
        p.Signed = false;
        p.Enum = &elementType;
        Ordinal<V>(p, getter, setter);
        info_.AddProperty(std::move(p));
        return *this;
    }

    // An event: a std::function<Sig> data member.
    template <class Sig> ClassBuilder& Event(std::string name, std::function<Sig> T::*member) {
        using F = std::function<Sig>;
        PropInfo p = Start(std::move(name));
        p.Kind = PropKind::Method;
        p.OrdSize = 0;
        p.EventType = typeid(F);
        p.SetEvent = [member](Object& o, const std::any& handler) {
            const F* f = std::any_cast<F>(&handler);
            if (!f) return false;
            Self(o).*member = *f;
            return true;
        };
        p.ClearEvent = [member](Object& o) { Self(o).*member = nullptr; };
        p.EventAssigned = [member](const Object& o) { return static_cast<bool>(Self(o).*member); };
        info_.AddProperty(std::move(p));
        return *this;
    }

    // A class property: an object that the instance holds (V derives from rtl::Object).
    // getter answers V* (data member or const method); setter takes V* or is nullptr.
    template <class V, class G, class S = std::nullptr_t>
    ClassBuilder& ObjectProperty(std::string name, G getter, S setter = nullptr) {
        static_assert(std::is_base_of_v<Object, V>);
        PropInfo p = Start(std::move(name));
        p.Kind = PropKind::Class;
        p.OrdSize = sizeof(void*);
        p.PropClass = &V::StaticClassInfo;
        ObjectAccess<V>(p, getter, setter);
        info_.AddProperty(std::move(p));
        return *this;
    }

    // A collection property: the instance holds a collection of items of class Item.
    template <class C, class Item, class G> ClassBuilder& Collection(std::string name, G getter) {
        static_assert(std::is_base_of_v<Object, C> && std::is_base_of_v<Object, Item>);
        PropInfo p = Start(std::move(name));
        p.Kind = PropKind::Class;
        p.OrdSize = sizeof(void*);
        p.PropClass = &C::StaticClassInfo;
        p.ItemClass = &Item::StaticClassInfo;
        ObjectAccess<C>(p, getter, nullptr);
        info_.AddProperty(std::move(p));
        return *this;
    }

    // A published method: binds to events whose std::function has the same signature.
    template <class R, class... Args>
    ClassBuilder& Method(std::string name, R (T::*method)(Args...)) {
        using F = std::function<R(Args...)>;
        MethodInfo m;
        m.Name = std::move(name);
        m.Owner = &info_;
        m.Signature = typeid(F);
        m.MakeHandler = [method](Object& self) -> std::any {
            T* target = &Self(self);
            return F([target, method](Args... args) -> R {
                return (target->*method)(std::forward<Args>(args)...);
            });
        };
        info_.AddMethod(std::move(m));
        return *this;
    }

    // Replaces the default factory (default construction), e.g. for two-phase creation.
    ClassBuilder& Factory(std::function<std::unique_ptr<T>()> make) {
        info_.factory_ = [make = std::move(make)]() -> std::unique_ptr<Object> { return make(); };
        return *this;
    }
    ClassBuilder& NoFactory() {
        info_.factory_ = nullptr;
        return *this;
    }

private:
    static T& Self(Object& o) { return static_cast<T&>(o); }
    static const T& Self(const Object& o) { return static_cast<const T&>(o); }

    PropInfo Start(std::string name) {
        PropInfo p;
        p.Name = std::move(name);
        p.Owner = &info_;
        return p;
    }

    template <class V, class G, class S> static void Ordinal(PropInfo& p, G getter, S setter) {
        auto get = detail::MakeGetter<T, V>(getter);
        auto set = detail::MakeSetter<T, V>(setter);
        p.GetOrd = [get](const Object& o) -> int64_t {
            V v = get(Self(o));
            if constexpr (std::is_enum_v<V>) {
                return static_cast<int64_t>(static_cast<std::underlying_type_t<V>>(v));
            } else {
                return static_cast<int64_t>(v);
            }
        };
        if (set) {
            p.SetOrd = [set](Object& o, int64_t v) {
                if constexpr (std::is_same_v<V, bool>) {
                    set(Self(o), v != 0);
                } else if constexpr (std::is_enum_v<V>) {
                    set(Self(o), static_cast<V>(static_cast<std::underlying_type_t<V>>(v)));
                } else {
                    set(Self(o), static_cast<V>(v));
                }
            };
        }
    }

    // The object a getter reaches: a pointer, a std::unique_ptr or an object held by value.
    template <class V, class G> static V* Reach(const T& self, G getter) {
        auto&& r = [&]() -> decltype(auto) {
            if constexpr (std::is_member_object_pointer_v<G>) return (self.*getter);
            else return (self.*getter)();
        }();
        using R = std::remove_cvref_t<decltype(r)>;
        if constexpr (std::is_pointer_v<R>) {
            return const_cast<V*>(static_cast<const V*>(r));
        } else if constexpr (requires { r.get(); }) {
            return const_cast<V*>(static_cast<const V*>(r.get()));
        } else {
            return const_cast<V*>(static_cast<const V*>(&r));
        }
    }

    template <class V, class G, class S> static void ObjectAccess(PropInfo& p, G getter, S setter) {
        p.GetObject = [getter](const Object& o) -> Object* { return Reach<V>(Self(o), getter); };
        if constexpr (!std::is_null_pointer_v<S>) {
            auto set = detail::MakeSetter<T, V*>(setter);
            p.SetObject = [set](Object& o, Object* v) {
                if (v && !v->InheritsFrom(V::StaticClassInfo())) detail::RaiseInvalidCast();
                set(Self(o), static_cast<V*>(v));
            };
        }
    }

    TypeInfo& info_;
};

namespace detail {

// Builds the description of T once: parent first, then T's published section, then the
// default factory when T can be made, then the registry entry.
template <class T, class P> const TypeInfo& BuildClass(const char* name) {
    static_assert(std::is_base_of_v<P, T> && std::is_base_of_v<Object, T>);
    static TypeInfo info(name, &P::StaticClassInfo());
    ClassBuilder<T> builder(info);
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>) {
        builder.Factory([] { return std::make_unique<T>(); });
    }
    if constexpr (Describable<T>) {
        T::DescribeClass(builder);
    }
    detail_FinishClass(info);
    return info;
}

}  // namespace detail

template <class T> T& Object::As() {
    if (!InheritsFrom(T::StaticClassInfo())) detail::RaiseInvalidCast();
    return static_cast<T&>(*this);
}
template <class T> const T& Object::As() const {
    if (!InheritsFrom(T::StaticClassInfo())) detail::RaiseInvalidCast();
    return static_cast<const T&>(*this);
}

}  // namespace rtl
