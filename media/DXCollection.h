// The collection under the media layer's named collections: an ordered set of items it
// owns, each knowing its collection and its index.
//
// An item joins its collection when it is constructed (at the end) and leaves it when it
// is destroyed, so `delete item`, Delete(i) and Clear() are all the same operation. The
// collection keeps every item's Index() current: removing or moving an item renumbers the
// items after it. Items are made by the collection's factory (Add, Insert), which heirs
// supply for their own item classes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rtl/Exceptions.h"

namespace media {

class TDXCollection;

class TDXCollectionItem {
public:
    explicit TDXCollectionItem(TDXCollection* collection);
    virtual ~TDXCollectionItem();
    TDXCollectionItem(const TDXCollectionItem&) = delete;
    TDXCollectionItem& operator=(const TDXCollectionItem&) = delete;

    virtual const char* ClassName() const { return "TCollectionItem"; }
    TDXCollection* GetCollection() const noexcept { return collection_; }
    int Index() const noexcept { return index_; }
    // Moves the item to a new position (checked).
    virtual void SetIndex(int value);
    virtual std::string GetDisplayName() const { return ClassName(); }
    // Copies what the item's class knows how to copy; the base knows nothing and raises
    // EConvertError "Cannot assign a %s to a %s".
    virtual void Assign(const TDXCollectionItem& source);

private:
    friend class TDXCollection;
    TDXCollection* collection_;
    int index_ = -1;
};

class TDXCollection {
public:
    using ItemFactory = std::function<TDXCollectionItem*(TDXCollection*)>;

    // The factory constructs one item on the collection (the item joins by itself).
    explicit TDXCollection(ItemFactory factory);
    virtual ~TDXCollection();
    TDXCollection(const TDXCollection&) = delete;
    TDXCollection& operator=(const TDXCollection&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // Checked: "List index out of bounds (%d)".
    TDXCollectionItem* Items(int index) const;
    TDXCollectionItem* Add();
    TDXCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();

private:
    friend class TDXCollectionItem;
    void InsertItem(TDXCollectionItem* item);
    void RemoveItem(TDXCollectionItem* item);
    void MoveItem(TDXCollectionItem* item, int newIndex);
    void Renumber(int from);

    ItemFactory factory_;
    std::vector<TDXCollectionItem*> items_;  // owned
};

}  // namespace media
