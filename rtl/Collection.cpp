#include "rtl/Collection.h"

#include <string>

namespace rtl {

Object& Collection::Add() {
    if (!itemClass_) throw EInvalidOperation("Collection has no item class");
    return Add(itemClass_->Create());
}

Object& Collection::Add(std::unique_ptr<Object> item) {
    if (!item || (itemClass_ && !item->InheritsFrom(*itemClass_))) detail::RaiseInvalidCast();
    items_.push_back(std::move(item));
    return *items_.back();
}

Object& Collection::Items(int index) const {
    if (index < 0 || index >= Count()) {
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return *items_[static_cast<size_t>(index)];
}

RTL_REGISTER_CLASS(Collection);

}  // namespace rtl
