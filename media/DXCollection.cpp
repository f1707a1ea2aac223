#include "media/DXCollection.h"

#include <algorithm>

#include "rtl/ListError.h"

namespace media {

TDXCollectionItem::TDXCollectionItem(TDXCollection* collection) : collection_(collection) {
    if (collection_) collection_->InsertItem(this);
}

TDXCollectionItem::~TDXCollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}

void TDXCollectionItem::SetIndex(int value) {
    if (collection_ && value != index_) collection_->MoveItem(this, value);
}

void TDXCollectionItem::Assign(const TDXCollectionItem& source) {
    throw rtl::EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

TDXCollection::TDXCollection(ItemFactory factory) : factory_(std::move(factory)) {}

TDXCollection::~TDXCollection() { Clear(); }

TDXCollectionItem* TDXCollection::Items(int index) const {
    if (index < 0 || index >= Count()) rtl::ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

TDXCollectionItem* TDXCollection::Add() { return factory_(this); }

TDXCollectionItem* TDXCollection::Insert(int index) {
    if (index < 0 || index > Count()) rtl::ListIndexError(index);
    TDXCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TDXCollection::Delete(int index) { delete Items(index); }

void TDXCollection::Clear() {
    // Last first: nothing is renumbered on the way.
    while (!items_.empty()) delete items_.back();
}

void TDXCollection::InsertItem(TDXCollectionItem* item) {
    item->index_ = Count();
    items_.push_back(item);
}

void TDXCollection::RemoveItem(TDXCollectionItem* item) {
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    const int from = static_cast<int>(it - items_.begin());
    items_.erase(items_.begin() + from);
    item->collection_ = nullptr;
    item->index_ = -1;
    Renumber(from);
}

void TDXCollection::MoveItem(TDXCollectionItem* item, int newIndex) {
    if (newIndex < 0 || newIndex >= Count()) rtl::ListIndexError(newIndex);
    const int cur = item->index_;
    items_.erase(items_.begin() + cur);
    items_.insert(items_.begin() + newIndex, item);
    Renumber(std::min(cur, newIndex));
}

void TDXCollection::Renumber(int from) {
    for (int i = from; i < Count(); ++i) items_[static_cast<size_t>(i)]->index_ = i;
}

}  // namespace media
