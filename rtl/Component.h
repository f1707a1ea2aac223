// The class library's component: a named object with a Tag that owns the components
// created with it as owner. Description components and streamed records derive from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rtl/TypeInfo.h"

namespace rtl {

class Component : public Object {
    RTL_CLASS_NAMED(Component, Object, "TComponent")
public:
    Component() = default;
    ~Component() override = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    std::string Name;
    int32_t Tag = 0;

    Component* Owner() const { return owner_; }
    // Takes ownership of child; it lives until this component dies or removes it.
    Component& InsertComponent(std::unique_ptr<Component> child);
    std::unique_ptr<Component> RemoveComponent(Component& child);
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    Component& Components(int index) const;  // EListError "List index out of bounds (%d)"
    Component* FindComponent(std::string_view name) const;  // ignoring case; nullptr if none

    // Called by the component reader once the record (and its children) is read.
    virtual void Loaded() {}

    static void DescribeClass(ClassBuilder<Component>& c) {
        c.Property("Name", &Component::Name).Property("Tag", &Component::Tag);
    }

private:
    Component* owner_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
};

}  // namespace rtl
