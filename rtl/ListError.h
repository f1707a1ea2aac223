// The list errors of the class library, raised by every checked list.
#pragma once

namespace rtl {

// Raise EListError "List index out of bounds (%d)" naming the index.
[[noreturn]] void ListIndexError(long long index);

}  // namespace rtl
