// The class library's collection: an ordered set of items that the collection owns.
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

namespace rtl {

class Collection;

class CollectionItem {
public:
    explicit CollectionItem(Collection* collection);
    virtual ~CollectionItem();
    CollectionItem(const CollectionItem&) = delete;
    CollectionItem& operator=(const CollectionItem&) = delete;

    virtual const char* ClassName() const { return "TCollectionItem"; }
    Collection* GetCollection() const noexcept { return collection_; }
    int Index() const noexcept { return index_; }
    // Moves the item to a new position (checked).
    virtual void SetIndex(int value);
    virtual std::string GetDisplayName() const { return ClassName(); }
    // Copies what the item's class knows how to copy; the base knows nothing and raises
    // EConvertError "Cannot assign a %s to a %s".
    virtual void Assign(const CollectionItem& source);

private:
    friend class Collection;
    Collection* collection_;
    int index_ = -1;
};

class Collection {
public:
    using ItemFactory = std::function<CollectionItem*(Collection*)>;

    // The factory constructs one item on the collection (the item joins by itself).
    explicit Collection(ItemFactory factory);
    virtual ~Collection();
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // Checked: "List index out of bounds (%d)".
    CollectionItem* Items(int index) const;
    CollectionItem* Add();
    CollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();

private:
    friend class CollectionItem;
    void InsertItem(CollectionItem* item);
    void RemoveItem(CollectionItem* item);
    void MoveItem(CollectionItem* item, int newIndex);
    void Renumber(int from);

    ItemFactory factory_;
    std::vector<CollectionItem*> items_;  // owned
};

}  // namespace rtl
