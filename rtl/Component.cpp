#include "rtl/Component.h"

namespace rtl {

Component& Component::InsertComponent(std::unique_ptr<Component> child) {
    child->owner_ = this;
    components_.push_back(std::move(child));
    return *components_.back();
}

std::unique_ptr<Component> Component::RemoveComponent(Component& child) {
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        if (it->get() == &child) {
            std::unique_ptr<Component> out = std::move(*it);
            components_.erase(it);
            out->owner_ = nullptr;
            return out;
        }
    }
    return nullptr;
}

Component& Component::Components(int index) const {
    if (index < 0 || index >= ComponentCount()) {
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return *components_[static_cast<size_t>(index)];
}

Component* Component::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (const auto& c : components_) {
        if (SameName(c->Name, name)) return c.get();
    }
    return nullptr;
}

RTL_REGISTER_CLASS(Component);

}  // namespace rtl
