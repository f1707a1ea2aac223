#include "rtl/ListError.h"

#include <string>

#include "rtl/Exceptions.h"

namespace rtl {

void ListIndexError(long long index) {
    std::string text = texts::SListIndexError;
    text.replace(text.find("%d"), 2, std::to_string(index));
    throw EListError(text);
}

}  // namespace rtl
