#include "engine/gpUtilsProps.h"

namespace engine {

bool SetPropertyByPath(rtl::Object& object, std::string_view path, const PathValue& value) {
    rtl::Object* target = &object;
    for (;;) {
        const size_t dot = path.find('.');
        const std::string_view head = path.substr(0, dot);
        const rtl::PropInfo* prop = target->ClassInfo().FindProperty(head);
        if (!prop) return false;
        switch (prop->Kind) {
            case rtl::PropKind::Integer:
            case rtl::PropKind::Int64:
            case rtl::PropKind::Char:
                rtl::SetPropValue(*target, *prop, std::holds_alternative<double>(value)
                                                      ? rtl::PropValue(std::get<double>(value))
                                                      : std::holds_alternative<int64_t>(value)
                                                            ? rtl::PropValue(std::get<int64_t>(value))
                                                            : rtl::PropValue(std::get<std::string>(value)));
                return true;
            case rtl::PropKind::Enumeration:
            case rtl::PropKind::Boolean:
                if (const auto* name = std::get_if<std::string>(&value)) rtl::SetEnumProp(*target, *prop, *name);
                else rtl::SetPropValue(*target, *prop, rtl::PropValue(std::get<int64_t>(value)));
                return true;
            case rtl::PropKind::Float:
                if (const auto* i = std::get_if<int64_t>(&value)) rtl::SetFloatProp(*target, *prop, static_cast<double>(*i));
                else if (const auto* d = std::get_if<double>(&value)) rtl::SetFloatProp(*target, *prop, *d);
                else rtl::SetPropValue(*target, *prop, rtl::PropValue(std::get<std::string>(value)));
                return true;
            case rtl::PropKind::String:
                if (const auto* s = std::get_if<std::string>(&value)) rtl::SetStrProp(*target, *prop, *s);
                else rtl::SetPropValue(*target, *prop, std::holds_alternative<int64_t>(value)
                                                           ? rtl::PropValue(std::get<int64_t>(value))
                                                           : rtl::PropValue(std::get<double>(value)));
                return true;
            case rtl::PropKind::Class: {
                if (dot == std::string_view::npos) return false;  // nothing left to pass on
                rtl::Object* held = rtl::GetObjectProp(*target, *prop);
                if (!held) return false;
                target = held;
                path = path.substr(dot + 1);
                continue;
            }
            default:
                return true;
        }
    }
}

}  // namespace engine
