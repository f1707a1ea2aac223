// The class library's collection: an owned, ordered list of items of one item class.
#pragma once

#include <memory>
#include <vector>

#include "rtl/TypeInfo.h"

namespace rtl {

class Collection : public Object {
    RTL_CLASS_NAMED(Collection, Object, "TCollection")
public:
    Collection() = default;
    explicit Collection(const TypeInfo& itemClass) : itemClass_(&itemClass) {}
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    const TypeInfo* ItemClass() const { return itemClass_; }
    void SetItemClass(const TypeInfo& itemClass) { itemClass_ = &itemClass; }

    // A new item made by the item class's factory, appended.
    Object& Add();
    // Appends item, which must be of the item class (EInvalidCast otherwise).
    Object& Add(std::unique_ptr<Object> item);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    Object& Items(int index) const;  // EListError "List index out of bounds (%d)"

private:
    const TypeInfo* itemClass_ = nullptr;
    std::vector<std::unique_ptr<Object>> items_;
};

}  // namespace rtl
