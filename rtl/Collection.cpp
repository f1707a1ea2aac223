#include "rtl/Collection.h"

#include <algorithm>

#include "rtl/ListError.h"

namespace rtl {

CollectionItem::CollectionItem(Collection* collection) : collection_(collection) {
    if (collection_) collection_->InsertItem(this);
}

CollectionItem::~CollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}

void CollectionItem::SetIndex(int value) {
    if (collection_ && value != index_) collection_->MoveItem(this, value);
}

void CollectionItem::Assign(const CollectionItem& source) {
    throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

Collection::Collection(ItemFactory factory) : factory_(std::move(factory)) {}

Collection::~Collection() { Clear(); }

CollectionItem* Collection::Items(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

CollectionItem* Collection::Add() { return factory_(this); }

CollectionItem* Collection::Insert(int index) {
    if (index < 0 || index > Count()) ListIndexError(index);
    CollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void Collection::Delete(int index) { delete Items(index); }

void Collection::Clear() {
    // Last first: nothing is renumbered on the way.
    while (!items_.empty()) delete items_.back();
}

void Collection::InsertItem(CollectionItem* item) {
    item->index_ = Count();
    items_.push_back(item);
}

void Collection::RemoveItem(CollectionItem* item) {
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    const int from = static_cast<int>(it - items_.begin());
    items_.erase(items_.begin() + from);
    item->collection_ = nullptr;
    item->index_ = -1;
    Renumber(from);
}

void Collection::MoveItem(CollectionItem* item, int newIndex) {
    if (newIndex < 0 || newIndex >= Count()) ListIndexError(newIndex);
    const int cur = item->index_;
    items_.erase(items_.begin() + cur);
    items_.insert(items_.begin() + newIndex, item);
    Renumber(std::min(cur, newIndex));
}

void Collection::Renumber(int from) {
    for (int i = from; i < Count(); ++i) items_[static_cast<size_t>(i)]->index_ = i;
}

}  // namespace rtl
