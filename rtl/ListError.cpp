#include "rtl/ListError.h"

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

namespace rtl {

void ListIndexError(long long index) {
    throw EListError(Format(texts::SListIndexError, {static_cast<int64_t>(index)}));
}

}  // namespace rtl
