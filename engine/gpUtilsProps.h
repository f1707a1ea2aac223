// Published-property helper of the engine: setting a property named by a dotted path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "rtl/TypeInfo.h"

namespace engine {

using PathValue = std::variant<int64_t, double, std::string>;

// The first element of path names a published property of object (false when absent).
// Integers and characters take an integer, enumerations a value name, reals a real,
// strings a string; an object property passes the rest of the path on to the object it
// holds (false when it holds none, or when no rest is left: the element is never applied to
// its own object again). Other kinds are accepted unchanged (true). A value of the wrong
// kind raises the type-information errors (EPropertyError, EConvertError).
bool SetPropertyByPath(rtl::Object& object, std::string_view path, const PathValue& value);

}  // namespace engine
